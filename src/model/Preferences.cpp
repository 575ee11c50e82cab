#include "model/Preferences.h"

#include "model/Vocabulary.h"

#include <QFileInfo>
#include <QSettings>
#include <QThread>

#include <algorithm>

#include <limits>

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

// Written through to the file now, so that a store that cannot be written is known to the caller.
bool commit(QSettings &settings)
{
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return false;
    const QFileInfo file(settings.fileName());
    return !file.exists() || file.isWritable();
}

int last(const QStringList &list)
{
    return int(list.size()) - 1;
}

} // namespace

const std::array<KeyInfo, 21> &allKeys()
{
    static const std::array<KeyInfo, 21> keys{{
        {Key::container, Kind::Integer, 0, last(Lists::containers())},
        {Key::quicktime, Kind::Boolean},
        {Key::autoCrop, Kind::Boolean},
        {Key::deInterlace, Kind::Boolean},
        {Key::videoEncoder, Kind::Integer, 0, caseCount<VideoEncoders>() - 1},
        {Key::videoProfile, Kind::Integer, 0, caseCount<VideoProfiles>() - 1},
        {Key::videoPreset, Kind::Integer, 0, caseCount<VideoPresets>() - 1},
        {Key::videoTune, Kind::Integer, 0, caseCount<VideoTunes>() - 1},
        {Key::videoDebit, Kind::Integer, 0, Lists::maxVideoDebit},
        {Key::audioEncoder, Kind::Integer, 0, caseCount<AudioEncoders>() - 1},
        {Key::audioDebit, Kind::Integer, 0, Lists::maxAudioDebit},
        {Key::audioSampling, Kind::Integer, 0, Lists::maxAudioSampling},
        {Key::otherParams, Kind::Text},
        {Key::subtitleLanguage, Kind::Text},
        {Key::formatFile, Kind::Integer, 0, last(Lists::nameTemplates())},
        {Key::defaultPath, Kind::Text},
        {Key::existingOutput, Kind::Integer, 0, 2},
        {Key::simultaneousJobs, Kind::Integer, 0, MaxSimultaneousJobs},
        {Key::videoRate, Kind::Integer, 0, caseCount<VideoRate>() - 1},
        {Key::videoQuality, Kind::Integer, Lists::minVideoQuality, Lists::maxVideoQuality},
        {Key::vaapiDevice, Kind::Text},
    }};
    return keys;
}

ExistingOutput existingOutput()
{
    const int value = readInt(Key::existingOutput);
    return value >= 0 && value <= 2 ? ExistingOutput(value) : ExistingOutput::Rename;
}

int simultaneousJobs()
{
    return std::clamp(readInt(Key::simultaneousJobs), 1, std::max(1, QThread::idealThreadCount()));
}

int videoQuality()
{
    return contains(Key::videoQuality) ? readInt(Key::videoQuality) : Lists::defaultVideoQuality;
}

const KeyInfo *keyInfo(const QString &key)
{
    for (const KeyInfo &info : allKeys()) {
        if (key == QLatin1String(info.key))
            return &info;
    }
    return nullptr;
}

std::optional<Kind> kindOf(const QString &key)
{
    const KeyInfo *info = keyInfo(key);
    return info ? std::optional(info->kind) : std::nullopt;
}

int readInt(const char *key)
{
    // Read wide: a figure past the int range, typed into the file by hand, must not wrap into range.
    bool ok = false;
    const qlonglong value = store().value(k(key)).toLongLong(&ok);
    if (!ok)
        return 0;
    const KeyInfo *info = keyInfo(k(key));
    const qlonglong minimum = info ? info->minimum : std::numeric_limits<int>::min();
    const qlonglong maximum = info ? info->maximum : std::numeric_limits<int>::max();
    return value >= minimum && value <= maximum ? int(value) : 0;
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

bool writeInt(const char *key, int value)
{
    QSettings settings = store();
    settings.setValue(k(key), value);
    return commit(settings);
}

bool writeBool(const char *key, bool value)
{
    QSettings settings = store();
    settings.setValue(k(key), value);
    return commit(settings);
}

bool writeText(const char *key, const QString &value)
{
    // An empty QString would read back as an invalid (absent) value from the native format, so it is
    // stored as an explicit empty string.
    QSettings settings = store();
    settings.setValue(k(key), value.isNull() ? QStringLiteral("") : value);
    return commit(settings);
}

bool contains(const char *key)
{
    return store().contains(k(key));
}

bool remove(const char *key)
{
    QSettings settings = store();
    settings.remove(k(key));
    return commit(settings);
}

bool clear()
{
    QSettings settings = store();
    settings.clear();
    return commit(settings);
}

QString storeLocation()
{
    return store().fileName();
}

} // namespace Preferences
