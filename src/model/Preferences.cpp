#include "model/Preferences.h"

#include "model/RegularFile.h"

#include "model/Vocabulary.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

QString tr(const char *text)
{
    return QCoreApplication::translate("Preferences", text);
}

// Checks the file as it is on disk, then makes `change` and writes it through now, so that the caller
// knows whether it was stored. QSettings rewrites the whole file from what it parsed: a line it could
// not read would be dropped without a word (its status says FormatError only to the first reader in a
// process, and only after the rewrite), so such a file is not written at all.
WriteResult write(const std::function<void(QSettings &)> &change)
{
    QSettings settings = store();
    const QString path = settings.fileName();
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    if (::stat(name.constData(), &info) == 0) {
        if (!S_ISREG(info.st_mode))
            return {tr("the settings file “%1” is not a regular file; nothing was stored").arg(path)};
        const QByteArray text = readRegularFile(name, 64 * 1024 * 1024).bytes;
        if (const int line = unreadableLine(text))
            return {tr("the settings file “%1” has a line Tavrix cannot read (line %2); nothing was stored; "
                       "fix or remove it")
                        .arg(path)
                        .arg(line)};
    }
    change(settings);
    settings.sync();
    // FormatError here would mean the file was rewritten all the same: the value is stored.
    const QFileInfo file(path);
    if (settings.status() == QSettings::AccessError || (file.exists() && !file.isWritable()))
        return {tr("cannot write the settings file “%1”; nothing was stored").arg(path)};
    return {};
}

// Whether `line` ends in a backslash that is not itself escaped: the next line would be read as its
// continuation.
bool continues(const QByteArray &line)
{
    qsizetype backslashes = 0;
    for (qsizetype i = line.size() - 1; i >= 0 && line[i] == '\\'; --i)
        ++backslashes;
    return backslashes % 2 == 1;
}

// Whether the quotes of a value are closed: an open quote swallows the lines after it.
bool quotesClosed(const QByteArray &value)
{
    bool open = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '\\')
            ++i;
        else if (value[i] == '"')
            open = !open;
    }
    return !open;
}

int last(const QStringList &list)
{
    return int(list.size()) - 1;
}

} // namespace

const std::array<KeyInfo, 32> &allKeys()
{
    static const std::array<KeyInfo, 32> keys{{
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
        {Key::audioChannels, Kind::Integer, 0, caseCount<AudioChannels>() - 1},
        {Key::deInterlaceAuto, Kind::Boolean},
        {Key::audioLanguages, Kind::Text},
        {Key::subtitleLanguages, Kind::Text},
        {Key::keepDate, Kind::Boolean},
        {Key::hdrOutput, Kind::Integer, 0, caseCount<HdrOutput>() - 1},
        {Key::presetForNewFiles, Kind::Text},
        {Key::largerOutput, Kind::Integer, 0, 1},
        {Key::skipSameFormat, Kind::Boolean},
        {Key::checkQuality, Kind::Boolean},
        {Key::qualityTarget, Kind::Integer, Lists::minQualityTarget, Lists::maxQualityTarget},
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
    // Absent, it is the first quality of the stored encoder: x264's 23 would be a poor AV1 figure.
    return contains(Key::videoQuality)
               ? readInt(Key::videoQuality)
               : defaultVideoQuality(caseAtOrFirst<VideoEncoders>(readInt(Key::videoEncoder)));
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

WriteResult writeInt(const char *key, int value)
{
    return write([&](QSettings &settings) { settings.setValue(k(key), value); });
}

WriteResult writeBool(const char *key, bool value)
{
    return write([&](QSettings &settings) { settings.setValue(k(key), value); });
}

WriteResult writeText(const char *key, const QString &value)
{
    // An empty QString would read back as an invalid (absent) value from the native format, so it is
    // stored as an explicit empty string.
    return write(
        [&](QSettings &settings) { settings.setValue(k(key), value.isNull() ? QStringLiteral("") : value); });
}

bool contains(const char *key)
{
    return store().contains(k(key));
}

WriteResult remove(const char *key)
{
    return write([&](QSettings &settings) { settings.remove(k(key)); });
}

WriteResult clear()
{
    return write([](QSettings &settings) { settings.clear(); });
}

int unreadableLine(const QByteArray &text)
{
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[')) {
            if (line.endsWith(']'))
                continue;
            return int(i + 1);
        }
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0 || line.left(equals).trimmed().isEmpty() || !quotesClosed(line.mid(equals + 1)) ||
            continues(line))
            return int(i + 1);
    }
    return 0;
}

Deinterlacing deinterlacing()
{
    if (readBool(Key::deInterlace))
        return Deinterlacing::On;
    if (!contains(Key::deInterlace) && !contains(Key::deInterlaceAuto))
        return Deinterlacing::Auto;
    return readBool(Key::deInterlaceAuto) ? Deinterlacing::Auto : Deinterlacing::Off;
}

WriteResult writeDeinterlacing(Deinterlacing choice)
{
    if (WriteResult always = writeBool(Key::deInterlace, choice == Deinterlacing::On); !always)
        return always;
    return writeBool(Key::deInterlaceAuto, choice == Deinterlacing::Auto);
}

QString storeLocation()
{
    return store().fileName();
}

JobSettings jobSettings()
{
    JobSettings s;
    s.container = readInt(Key::container);
    s.videoEncoder = caseAtOrFirst<VideoEncoders>(readInt(Key::videoEncoder));
    s.videoProfile = caseAtOrFirst<VideoProfiles>(readInt(Key::videoProfile));
    s.videoPreset = caseAtOrFirst<VideoPresets>(readInt(Key::videoPreset));
    s.videoTune = caseAtOrFirst<VideoTunes>(readInt(Key::videoTune));
    s.audioEncoder = caseAtOrFirst<AudioEncoders>(readInt(Key::audioEncoder));
    s.videoDebit = readInt(Key::videoDebit);
    s.videoRate = caseAtOrFirst<VideoRate>(readInt(Key::videoRate));
    s.videoQuality = videoQuality();
    if (const int target = readInt(Key::qualityTarget); target > 0)
        s.qualityTarget = target;
    s.audioDebit = readInt(Key::audioDebit);
    s.audioSampling = readInt(Key::audioSampling);
    s.audioChannels = caseAtOrFirst<AudioChannels>(readInt(Key::audioChannels));
    s.hdrOutput = caseAtOrFirst<HdrOutput>(readInt(Key::hdrOutput));
    s.isQuicktime = readBool(Key::quicktime);
    s.keepDate = readBool(Key::keepDate);
    const Deinterlacing deinterlace = deinterlacing();
    s.deInterlace = deinterlace == Deinterlacing::On;
    s.deInterlaceAuto = deinterlace == Deinterlacing::Auto;
    s.subtitleLanguage = readText(Key::subtitleLanguage).value_or(QString());
    s.autoCrop = readBool(Key::autoCrop);
    s.audioLanguages = readText(Key::audioLanguages).value_or(QString());
    s.subtitleLanguages = readText(Key::subtitleLanguages).value_or(QString());
    s.nameTemplate = readInt(Key::formatFile);
    return s;
}

} // namespace Preferences
