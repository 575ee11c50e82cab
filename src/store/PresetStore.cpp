#include "store/PresetStore.h"

#include "model/RegularFile.h"
#include "store/QueueFile.h"

#include <QCollator>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>

#include <algorithm>

namespace {

constexpr qint64 MaxPresetBytes = 1 << 20;
constexpr int MaxFileNameBytes = 200; // with ".json", well within the 255 bytes of a file name

QString tr(const char *text)
{
    return QCoreApplication::translate("PresetStore", text);
}

QString suffixed(const QString &name, int n)
{
    const QString suffix = QStringLiteral(" (%1)").arg(n);
    return name.left(PresetFormat::maxNameLength - int(suffix.size())) + suffix;
}

} // namespace

PresetStore::PresetStore(QString folder) : m_folder(std::move(folder))
{
}

QString PresetStore::defaultFolder()
{
    return defaultDataFolder() + QStringLiteral("/presets");
}

QString PresetStore::fileNameFor(const QString &name)
{
    QByteArray encoded;
    for (const char c : name.toUtf8()) {
        const auto u = static_cast<unsigned char>(c);
        const bool plain = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
                           u == ' ' || u == '-' || u == '_' || u == '(' || u == ')';
        if (plain)
            encoded += c;
        else
            encoded += '%' + QByteArray::number(u, 16).rightJustified(2, '0').toUpper();
    }
    // A name of many encoded characters keeps its start and a digest of the whole.
    if (encoded.size() > MaxFileNameBytes)
        encoded = encoded.left(MaxFileNameBytes - 17) + '~' +
                  QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QString::fromLatin1(encoded) + QStringLiteral(".json");
}

std::optional<Preset> PresetStore::readFile(const QString &path, const JobSettings &base, QString &error)
{
    const RegularFileRead read = readRegularFile(QFile::encodeName(path), MaxPresetBytes);
    switch (read.problem) {
    case RegularFileRead::Problem::None:
        break;
    case RegularFileRead::Problem::TooLarge:
        error = tr("larger than a preset can be");
        return std::nullopt;
    case RegularFileRead::Problem::NotRegular:
        error = tr("not a regular file");
        return std::nullopt;
    case RegularFileRead::Problem::Missing:
    case RegularFileRead::Problem::Unreadable:
        error = read.error;
        return std::nullopt;
    }
    QJsonParseError parse{};
    const QJsonDocument document = QJsonDocument::fromJson(read.bytes, &parse);
    if (!document.isObject()) {
        error = parse.error != QJsonParseError::NoError
                    ? tr("not JSON (%1 at byte %2)").arg(parse.errorString()).arg(parse.offset)
                    : tr("not a Tavrix preset");
        return std::nullopt;
    }
    std::optional<Preset> preset = presetFromJson(document.object(), base, error);
    if (preset)
        preset->file = QFileInfo(path).absoluteFilePath();
    return preset;
}

QList<Preset> PresetStore::list(const JobSettings &base) const
{
    QList<Preset> out;
    const QDir dir(m_folder);
    const QFileInfoList files =
        dir.entryInfoList({QStringLiteral("*.json")}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo &info : files) {
        QString error;
        if (std::optional<Preset> preset = readFile(info.filePath(), base, error)) {
            out << *preset;
            continue;
        }
        // Listed under its file's name, as far as that reads back.
        Preset broken;
        broken.name = cleanPresetName(QString::fromUtf8(QByteArray::fromPercentEncoding(
            info.completeBaseName().section(QLatin1Char('~'), 0, 0).toLatin1())));
        broken.settings = base;
        broken.problem = error;
        broken.file = info.absoluteFilePath();
        out << broken;
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(out.begin(), out.end(),
                     [&](const Preset &a, const Preset &b) { return collator.compare(a.name, b.name) < 0; });
    return out;
}

std::optional<Preset> PresetStore::find(const QString &name, const JobSettings &base) const
{
    for (const Preset &preset : list(base)) {
        if (preset.name == name)
            return preset;
    }
    return std::nullopt;
}

bool PresetStore::save(const Preset &preset, const QStringList &reserved, bool replace, QString &error) const
{
    const QString name = cleanPresetName(preset.name);
    if (name.isEmpty()) {
        error = tr("A preset needs a name.");
        return false;
    }
    if (reserved.contains(name)) {
        error = tr("“%1” is the name of a built-in preset.").arg(name);
        return false;
    }
    const QString path = QDir(m_folder).filePath(fileNameFor(name));
    const std::optional<Preset> existing = find(name);
    if ((existing || QFileInfo::exists(path)) && !replace) {
        error = tr("A preset called “%1” already exists.").arg(name);
        return false;
    }
    if (existing && !existing->usable()) {
        error = tr("The preset file “%1” cannot be read (%2); it is left as it is.")
                    .arg(existing->file, existing->problem);
        return false;
    }
    if (!QDir().mkpath(m_folder)) {
        error = tr("Cannot make the folder “%1”.").arg(m_folder);
        return false;
    }
    Preset written = preset;
    written.name = name;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(presetToJson(written)).toJson()) < 0 ||
        !file.commit()) {
        error = tr("Cannot write “%1”: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool PresetStore::remove(const QString &name, QString &error) const
{
    const std::optional<Preset> preset = find(name);
    if (!preset) {
        error = tr("No preset is called “%1”.").arg(name);
        return false;
    }
    QFile file(preset->file);
    if (!file.remove()) {
        error = tr("Cannot remove “%1”: %2").arg(preset->file, file.errorString());
        return false;
    }
    return true;
}

bool PresetStore::rename(const QString &from, const QString &to, const QStringList &reserved,
                         QString &error) const
{
    std::optional<Preset> preset = find(from);
    if (!preset) {
        error = tr("No preset is called “%1”.").arg(from);
        return false;
    }
    if (!preset->usable()) {
        error = tr("The preset file “%1” cannot be read (%2); it is left as it is.")
                    .arg(preset->file, preset->problem);
        return false;
    }
    const QString oldFile = preset->file;
    preset->name = cleanPresetName(to);
    if (preset->name == from)
        return true;
    if (!save(*preset, reserved, false, error))
        return false;
    // The new file is written: the old one goes, unless both names share it.
    if (QFileInfo(oldFile) != QFileInfo(QDir(m_folder).filePath(fileNameFor(preset->name))))
        QFile::remove(oldFile);
    return true;
}

std::optional<Preset> PresetStore::importFile(const QString &path, const QStringList &reserved,
                                              QString &error) const
{
    std::optional<Preset> preset = readFile(path, {}, error);
    if (!preset) {
        error = tr("“%1”: %2").arg(path, error);
        return std::nullopt;
    }
    // The folder is read once; a name is taken by a preset in it, a file at its name, or a built-in one.
    QStringList taken = reserved;
    for (const Preset &existing : list())
        taken << existing.name;
    const QString name = preset->name;
    for (int n = 2; taken.contains(preset->name) ||
                    QFileInfo::exists(QDir(m_folder).filePath(fileNameFor(preset->name)));
         ++n)
        preset->name = suffixed(name, n);
    preset->settings.preset = preset->name;
    if (!save(*preset, reserved, false, error))
        return std::nullopt;
    preset->file = QDir(m_folder).filePath(fileNameFor(preset->name));
    return preset;
}

bool PresetStore::exportTo(const Preset &preset, const QString &path, bool replace, QString &error)
{
    const QByteArray text = QJsonDocument(presetToJson(preset)).toJson();
    if (replace) {
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit())
            return true;
        error = tr("Cannot write “%1”: %2").arg(path, file.errorString());
        return false;
    }
    // Made here or not at all: a file that appeared at the name meanwhile is not touched.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        error = QFileInfo::exists(path) ? tr("“%1” already exists.").arg(path)
                                        : tr("Cannot write “%1”: %2").arg(path, file.errorString());
        return false;
    }
    if (file.write(text) != text.size() || !file.flush()) {
        error = tr("Cannot write “%1”: %2").arg(path, file.errorString());
        file.close();
        file.remove();
        return false;
    }
    return true;
}
