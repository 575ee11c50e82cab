#include "store/JobLogs.h"

#include "model/MediaVideo.h"
#include "store/QueueFile.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>

namespace {

// Room for the line that says how much was left out.
constexpr qint64 MarkerRoom = 64;
constexpr qint64 WriteTailEvery = 64 * 1024;
constexpr int ReadableLength = 40;

const QRegularExpression &logName()
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\d{8}-\\d{6}-\\d{3}_[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}"
                       "(_[^/]*)?\\.log$"));
    return pattern;
}

// The readable part of a log's name: the source's base name with everything but letters, digits and
// "-_." turned into '_' (separators, control and format characters, spaces, quotes alike).
QString readablePart(const QString &source)
{
    const QString base = QFileInfo(source).completeBaseName();
    QString out;
    for (const QChar c : base) {
        const bool keep = c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('.');
        const QChar mapped = keep ? c : QLatin1Char('_');
        if (mapped == QLatin1Char('_') && out.endsWith(QLatin1Char('_')))
            continue;
        out += mapped;
        if (out.size() >= ReadableLength)
            break;
    }
    // No hidden file, and nothing that reads as a relative folder.
    while (out.startsWith(QLatin1Char('.')) || out.startsWith(QLatin1Char('_')))
        out.remove(0, 1);
    return out.isEmpty() ? QStringLiteral("job") : out;
}

} // namespace

struct JobLog::State
{
    QMutex mutex;
    QFile file;
    qint64 maxBytes = 0;
    qint64 headMax = 0;
    qint64 written = 0;  // bytes in the file while under the cap
    qint64 headEnd = 0;  // end of the last whole line within headMax
    bool capped = false; // past the cap: the head stays, the newest lines follow a marker
    QByteArray tail;     // the newest lines once capped
    qint64 leftOut = 0;
    qint64 unwritten = 0; // tail bytes not yet in the file

    ~State() { finish(); }

    void add(const QByteArray &bytes)
    {
        if (!file.isOpen())
            return;
        if (!capped) {
            if (written + bytes.size() <= maxBytes) {
                if (file.write(bytes) == bytes.size())
                    written += bytes.size();
                if (written <= headMax)
                    headEnd = written;
                return;
            }
            // The lines after the head become the start of the tail.
            capped = true;
            file.seek(headEnd);
            tail = file.read(written - headEnd);
            unwritten = tail.size();
        }
        // Trimming goes with each write-out: cutting the front of the tail for every line would move
        // the whole tail each time.
        tail += bytes;
        unwritten += bytes.size();
        if (unwritten >= WriteTailEvery)
            writeTail();
    }

    void trimTail()
    {
        const qint64 room = maxBytes - headEnd - MarkerRoom;
        if (tail.size() <= room)
            return;
        qint64 cut = tail.size() - room;
        // Whole lines go, unless one line alone is longer than the room.
        const qsizetype newline = tail.indexOf('\n', cut - 1);
        if (newline >= 0 && newline + 1 < tail.size())
            cut = newline + 1;
        leftOut += cut;
        tail.remove(0, cut);
    }

    void writeTail()
    {
        trimTail();
        const QByteArray marker = "[... " + QByteArray::number(leftOut) + " bytes of output left out ...]\n";
        file.seek(headEnd);
        file.write(marker);
        file.write(tail);
        file.resize(file.pos());
        unwritten = 0;
    }

    void finish()
    {
        if (!file.isOpen())
            return;
        if (capped && unwritten > 0)
            writeTail();
        file.close();
    }
};

bool JobLog::isOpen() const
{
    if (!m_state)
        return false;
    QMutexLocker lock(&m_state->mutex);
    return m_state->file.isOpen();
}

QString JobLog::path() const
{
    return m_state ? m_state->file.fileName() : QString();
}

void JobLog::append(const QByteArray &line)
{
    if (!m_state)
        return;
    QMutexLocker lock(&m_state->mutex);
    m_state->add(line + '\n');
}

void JobLog::append(const QString &line)
{
    append(line.toUtf8());
}

void JobLog::close()
{
    if (!m_state)
        return;
    QMutexLocker lock(&m_state->mutex);
    m_state->finish();
}

JobLogs::JobLogs(QString directory, qint64 maxBytes, int maxFiles)
    : m_directory(std::move(directory)), m_maxBytes(std::max<qint64>(maxBytes, 4 * MarkerRoom)),
      m_maxFiles(std::max(maxFiles, 1))
{
}

QString JobLogs::folder() const
{
    return QDir(m_directory).filePath(QStringLiteral("logs"));
}

JobLog JobLogs::open(const MediaVideo &job, QString *error) const
{
    JobLog log;
    const QDir dir(folder());
    if (!dir.mkpath(QStringLiteral("."))) {
        if (error)
            *error = QStringLiteral("cannot create %1").arg(folder());
        return log;
    }
    auto state = std::make_shared<JobLog::State>();
    state->maxBytes = m_maxBytes;
    state->headMax = m_maxBytes / 4;
    const QString stem = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")) +
                         QLatin1Char('_') + job.id.toString(QUuid::WithoutBraces) + QLatin1Char('_') +
                         readablePart(job.source);
    // Two runs of one job within a millisecond get distinct files; nothing existing is reopened.
    for (int n = 1; n <= 100 && !state->file.isOpen(); ++n) {
        const QString suffix = n == 1 ? QString() : QStringLiteral("-%1").arg(n);
        state->file.setFileName(dir.filePath(stem + suffix + QStringLiteral(".log")));
        state->file.open(QIODevice::ReadWrite | QIODevice::NewOnly | QIODevice::Unbuffered);
    }
    if (!state->file.isOpen()) {
        if (error)
            *error = state->file.errorString();
        return log;
    }
    log.m_state = std::move(state);
    removeOldest(log.path());
    return log;
}

QString JobLogs::latestFor(const QUuid &job) const
{
    const QString id = job.toString(QUuid::WithoutBraces);
    const QStringList names = QDir(folder()).entryList({QStringLiteral("*_") + id + QStringLiteral("*.log")},
                                                       QDir::Files, QDir::Name);
    for (auto it = names.crbegin(); it != names.crend(); ++it) {
        if (logName().match(*it).hasMatch())
            return QDir(folder()).filePath(*it);
    }
    return {};
}

void JobLogs::removeOldest(const QString &keep) const
{
    const QDir dir(folder());
    QStringList logs = dir.entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Name);
    logs.removeIf(
        [&](const QString &name) { return !logName().match(name).hasMatch() || dir.filePath(name) == keep; });
    // The newest is the one just opened, even if the clock went back.
    for (qsizetype i = 0; i < logs.size() - (m_maxFiles - 1); ++i)
        QFile::remove(dir.filePath(logs[i]));
}

LogOpener JobLogs::opener() const
{
    return [logs = *this](const MediaVideo &job) {
        QString error;
        JobLog log = logs.open(job, &error);
        if (!log.isOpen()) {
            qWarning().noquote() << QStringLiteral("No log for %1: %2").arg(job.source, error);
            return JobLogSink();
        }
        return JobLogSink{log.path(), [log](const QString &line) mutable { log.append(line); },
                          [log]() mutable { log.close(); }};
    };
}

JobLogs JobLogs::standard()
{
    return JobLogs(defaultDataFolder());
}
