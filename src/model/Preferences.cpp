#include "model/Preferences.h"

#include <QSettings>

namespace Preferences {
namespace {

QSettings store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tavrix"),
                     QStringLiteral("Tavrix"));
}

QString k(const char *key)
{
    return QString::fromLatin1(key);
}

} // namespace

const std::array<KeyInfo, 17> &allKeys()
{
    static const std::array<KeyInfo, 17> keys{{
        {Key::container, Kind::Integer},
        {Key::quicktime, Kind::Boolean},
        {Key::autoCrop, Kind::Boolean},
        {Key::deInterlace, Kind::Boolean},
        {Key::videoEncoder, Kind::Integer},
        {Key::videoProfile, Kind::Integer},
        {Key::videoPreset, Kind::Integer},
        {Key::videoTune, Kind::Integer},
        {Key::videoDebit, Kind::Integer},
        {Key::audioEncoder, Kind::Integer},
        {Key::audioDebit, Kind::Integer},
        {Key::audioSampling, Kind::Integer},
        {Key::otherParams, Kind::Text},
        {Key::subtitleLanguage, Kind::Text},
        {Key::formatFile, Kind::Integer},
        {Key::defaultPath, Kind::Text},
        {Key::existingOutput, Kind::Integer},
    }};
    return keys;
}

ExistingOutput existingOutput()
{
    const int value = readInt(Key::existingOutput);
    return value >= 0 && value <= 2 ? ExistingOutput(value) : ExistingOutput::Rename;
}

std::optional<Kind> kindOf(const QString &key)
{
    for (const KeyInfo &info : allKeys()) {
        if (key == QLatin1String(info.key))
            return info.kind;
    }
    return std::nullopt;
}

int readInt(const char *key)
{
    bool ok = false;
    const int value = store().value(k(key)).toInt(&ok);
    return ok ? value : 0;
}

bool readBool(const char *key)
{
    return store().value(k(key)).toBool();
}

std::optional<QString> readText(const char *key)
{
    const QVariant value = store().value(k(key));
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

void writeInt(const char *key, int value)
{
    store().setValue(k(key), value);
}

void writeBool(const char *key, bool value)
{
    store().setValue(k(key), value);
}

void writeText(const char *key, const QString &value)
{
    // An empty QString would read back as an invalid (absent) value from the native format, so it is
    // stored as an explicit empty string.
    store().setValue(k(key), value.isNull() ? QStringLiteral("") : value);
}

bool contains(const char *key)
{
    return store().contains(k(key));
}

void remove(const char *key)
{
    store().remove(k(key));
}

void clear()
{
    store().clear();
}

QString storeLocation()
{
    return store().fileName();
}

} // namespace Preferences
