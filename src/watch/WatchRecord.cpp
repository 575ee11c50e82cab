#include "watch/WatchRecord.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <sys/stat.h>

namespace {

constexpr qint64 EndBytes = 1 << 20;

QString tr(const char *text)
{
    return QCoreApplication::translate("WatchRecord", text);
}

QString keepAside(const QString &path)
{
    for (int n = 1; n < 1000; ++n) {
        const QString target =
            n == 1 ? path + QStringLiteral(".bad") : path + QStringLiteral(".%1.bad").arg(n);
        if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
            continue;
        // rename() refuses an existing target: a copy kept aside earlier is never replaced.
        return QFile::rename(path, target) ? target : QString();
    }
    return {};
}

} // namespace

WatchRecord::WatchRecord(QString directory, QString fileName)
    : m_directory(std::move(directory)), m_fileName(std::move(fileName))
{
}

QString WatchRecord::path() const
{
    return QDir(m_directory).filePath(m_fileName);
}

QString WatchRecord::load()
{
    m_files.clear();
    QFile file(path());
    if (!file.exists())
        return {};
    QString problem;
    if (!file.open(QIODevice::ReadOnly)) {
        problem = file.errorString();
    } else {
        QJsonParseError error;
        const QJsonObject root = QJsonDocument::fromJson(file.readAll(), &error).object();
        const QJsonValue files = root.value(QStringLiteral("files"));
        if (error.error != QJsonParseError::NoError)
            problem = error.errorString();
        else if (root.value(QStringLiteral("version")).toInt() != Version || !files.isArray())
            problem = tr("it is not a record of this version");
        for (const QJsonValue &value : files.toArray()) {
            const QJsonObject o = value.toObject();
            RecordedFile entry{o.value(QStringLiteral("path")).toString(),
                               qint64(o.value(QStringLiteral("size")).toDouble(-1)),
                               qint64(o.value(QStringLiteral("modified")).toDouble()),
                               o.value(QStringLiteral("fingerprint")).toString().toLatin1(),
                               o.value(QStringLiteral("outcome")).toString(),
                               o.value(QStringLiteral("output")).toString(),
                               qint64(o.value(QStringLiteral("missingSince")).toDouble())};
            if (problem.isEmpty() && (!QDir::isAbsolutePath(entry.path) || entry.size < 0 ||
                                      entry.fingerprint.size() != 64 || entry.outcome.isEmpty()))
                problem = tr("entry %1 is incomplete").arg(m_files.size() + 1);
            m_files << entry;
        }
        file.close();
    }
    if (problem.isEmpty())
        return {};
    m_files.clear();
    const QString kept = keepAside(path());
    return kept.isEmpty()
               ? tr("the record “%1” cannot be read (%2) and cannot be moved aside; files converted before "
                    "may be converted again")
                     .arg(path(), problem)
               : tr("the record cannot be read (%1); it was kept as “%2” and a new one is started, so files "
                    "converted before may be converted again")
                     .arg(problem, kept);
}

QString WatchRecord::save() const
{
    QJsonArray files;
    for (const RecordedFile &f : m_files) {
        QJsonObject o{{QStringLiteral("path"), f.path},
                      {QStringLiteral("size"), double(f.size)},
                      {QStringLiteral("modified"), double(f.modifiedMs)},
                      {QStringLiteral("fingerprint"), QString::fromLatin1(f.fingerprint)},
                      {QStringLiteral("outcome"), f.outcome}};
        if (!f.output.isEmpty())
            o.insert(QStringLiteral("output"), f.output);
        if (f.missingSinceMs > 0)
            o.insert(QStringLiteral("missingSince"), double(f.missingSinceMs));
        files.append(o);
    }
    const QByteArray bytes =
        QJsonDocument(QJsonObject{{QStringLiteral("version"), Version}, {QStringLiteral("files"), files}})
            .toJson(QJsonDocument::Indented);
    QDir().mkpath(m_directory);
    QSaveFile file(path());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return tr("the record “%1” cannot be written: %2").arg(path(), file.errorString());
    return {};
}

bool WatchRecord::prune(qint64 nowMs, qint64 graceMs)
{
    const QList<RecordedFile> before = m_files;
    QList<RecordedFile> kept;
    for (RecordedFile entry : std::as_const(m_files)) {
        qint64 size = 0, modified = 0;
        if (keepRecorded(entry, stat(entry.path, size, modified), nowMs, graceMs))
            kept << entry;
    }
    m_files = kept;
    return m_files != before;
}

void WatchRecord::put(const RecordedFile &file)
{
    for (RecordedFile &entry : m_files) {
        if (entry.path == file.path) {
            entry = file;
            return;
        }
    }
    m_files << file;
}

void WatchRecord::move(int index, const QString &path, qint64 size, qint64 modifiedMs)
{
    // An entry left at the new path described content that is no longer there.
    for (int i = 0; i < m_files.size(); ++i) {
        if (i != index && m_files[i].path == path) {
            m_files.removeAt(i);
            if (i < index)
                --index;
            break;
        }
    }
    m_files[index].path = path;
    m_files[index].size = size;
    m_files[index].modifiedMs = modifiedMs;
    m_files[index].missingSinceMs = 0;
}

bool WatchRecord::stat(const QString &path, qint64 &size, qint64 &modifiedMs)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    size = info.st_size;
    modifiedMs = qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
    return true;
}

std::optional<WatchRecord::Found> WatchRecord::lookUp(const QString &path)
{
    Found found;
    found.now.path = path;
    if (!stat(path, found.now.size, found.now.modifiedMs))
        return std::nullopt;
    RecordMatch m = match(path, found.now.size, found.now.modifiedMs);
    if (m.kind == RecordMatch::Kind::NeedPrint) {
        found.now.fingerprint = fingerprint(path);
        if (found.now.fingerprint.isEmpty())
            return std::nullopt;
        m = match(path, found.now.size, found.now.modifiedMs, found.now.fingerprint);
    }
    found.kind = m.kind;
    if (m.index < 0)
        return found;
    found.before = m_files[m.index];
    const RecordedFile &before = found.before;
    if (before.path != path || before.size != found.now.size || before.modifiedMs != found.now.modifiedMs) {
        move(m.index, path, found.now.size, found.now.modifiedMs);
        found.changed = true;
    }
    return found;
}

bool WatchRecord::record(RecordedFile file, const QString &outcome, const QString &output)
{
    if (file.fingerprint.isEmpty()) {
        if (!stat(file.path, file.size, file.modifiedMs))
            return false;
        file.fingerprint = fingerprint(file.path);
    }
    if (file.fingerprint.isEmpty())
        return false;
    file.outcome = outcome;
    file.output = output;
    put(file);
    return true;
}

QByteArray WatchRecord::fingerprint(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = file.size();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArray::number(size) + '\n');
    hash.addData(file.read(EndBytes));
    if (size > EndBytes) {
        file.seek(std::max(EndBytes, size - EndBytes));
        hash.addData(file.read(EndBytes));
    }
    return hash.result().toHex();
}
