#include "encoding/BatchEncoder.h"

#include "encoding/EncoderOutput.h"
#include "encoding/JobFolder.h"
#include "media/JobCommand.h"
#include "process/Log.h"
#include "process/SerialQueue.h"
#include "process/ToolProcess.h"
#include "rules/OutputName.h"
#include "rules/ShellQuote.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSemaphore>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <future>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using ExistingOutput = Preferences::ExistingOutput;

// The identity of a file, to tell whether two names lead to the same file.
struct FileId
{
    dev_t device = 0;
    ino_t inode = 0;

    bool operator<(const FileId &other) const
    {
        return device != other.device ? device < other.device : inode < other.inode;
    }
    bool operator==(const FileId &other) const { return device == other.device && inode == other.inode; }

    // Through links, as the encoder would open it.
    static std::optional<FileId> of(const QString &path)
    {
        struct stat st;
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return std::nullopt;
        return FileId{st.st_dev, st.st_ino};
    }
};

// A path with links and "." resolved, also for a file that does not exist yet.
QString canonicalPath(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    const QString directory = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (directory.isEmpty())
        return QDir::cleanPath(info.absoluteFilePath());
    return directory + QLatin1Char('/') + info.fileName();
}

bool isSameFile(const QString &a, const QString &b)
{
    if (canonicalPath(a) == canonicalPath(b))
        return true;
    const std::optional<FileId> first = FileId::of(a);
    return first && first == FileId::of(b);
}

// A regular file, through links: something ffmpeg can read to its end without waiting.
bool isRegularFile(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

// What stands at a path, the path itself looked at: a link is not followed.
enum class Occupant { Nothing, RegularFile, Other };

Occupant occupantOf(const QString &path, struct stat *st = nullptr)
{
    struct stat own;
    struct stat &info = st ? *st : own;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? Occupant::Nothing : Occupant::Other;
    return S_ISREG(info.st_mode) ? Occupant::RegularFile : Occupant::Other;
}

// Why a job cannot write under its destination's name.
enum class Obstacle { None, OwnSource, OtherSource, Claimed, RegularFile, OtherFile };

QString obstacleCause(Obstacle obstacle, const QString &destination)
{
    const QString name = QFileInfo(destination).fileName();
    switch (obstacle) {
    case Obstacle::None:
        break;
    case Obstacle::OwnSource:
        return BatchEncoder::tr("%1 is the source").arg(name);
    case Obstacle::OtherSource:
        return BatchEncoder::tr("%1 is the source of another job").arg(name);
    case Obstacle::Claimed:
        return BatchEncoder::tr("%1 is written by an earlier job").arg(name);
    case Obstacle::RegularFile:
        return BatchEncoder::tr("%1 exists").arg(name);
    case Obstacle::OtherFile:
        return BatchEncoder::tr("%1 is not a regular file").arg(name);
    }
    return {};
}

QString obstacleRefusal(Obstacle obstacle, const QString &destination)
{
    switch (obstacle) {
    case Obstacle::None:
        break;
    case Obstacle::OwnSource:
        return BatchEncoder::tr("The destination is the source file itself; choose another name or folder.");
    case Obstacle::OtherSource:
        return BatchEncoder::tr("The destination “%1” is the source of another job of this run.")
            .arg(destination);
    case Obstacle::Claimed:
        return BatchEncoder::tr("An earlier job of this run already writes “%1”.").arg(destination);
    case Obstacle::RegularFile:
        return BatchEncoder::tr("“%1” already exists; it is left as it is.").arg(destination);
    case Obstacle::OtherFile:
        return BatchEncoder::tr("“%1” is not a regular file (a link, a folder, a pipe or a device); nothing "
                                "is written through it.")
            .arg(destination);
    }
    return {};
}

// The finished output in the job's folder, as found once ffmpeg has ended.
struct TemporaryFile
{
    QString path;
    FileId id;

    // Still the file found then (nobody put another in its place meanwhile).
    bool isOurs() const
    {
        struct stat st;
        return !path.isEmpty() && occupantOf(path, &st) == Occupant::RegularFile &&
               FileId{st.st_dev, st.st_ino} == id;
    }
};

// Gives `from` the name `to` unless something, even a dangling link, has that name: 0 or an errno.
int renameWithoutReplacing(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP && errno != EOPNOTSUPP)
        return errno;
    // A filesystem without the flag: a new link fails on any existing name just as well.
    if (::link(source.constData(), target.constData()) == 0) {
        ::unlink(source.constData());
        return 0;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != EMLINK)
        return errno;
    // Nor links (FAT, some network filesystems): the name is looked at just before the rename.
    struct stat st;
    if (::lstat(target.constData(), &st) == 0)
        return EEXIST;
    return ::rename(source.constData(), target.constData()) == 0 ? 0 : errno;
}

// Gives the finished file (ours, still in the job's folder) the modification time of its source; a source
// gone meanwhile leaves the time of writing.
void takeSourceTime(const TemporaryFile &file, const QString &source)
{
    struct stat st;
    if (!file.isOurs() || ::stat(QFile::encodeName(source).constData(), &st) != 0)
        return;
    const struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    ::utimensat(AT_FDCWD, QFile::encodeName(file.path).constData(), times, 0);
}

// Whether ffmpeg can open a finished output and finds a stream in it.
struct ReadBack
{
    enum class Kind { Readable, Unreadable, Stopped };
    Kind kind = Kind::Unreadable;
    QString problem;               // for Unreadable: ffmpeg's line saying why, or a sentence of ours
    std::optional<double> seconds; // for Readable: how long the file lasts, when ffmpeg tells
};

ReadBack readBack(const ToolRunner &tools, const TemporaryFile &file, const QString &shownName,
                  const std::shared_ptr<const std::atomic_bool> &stopRequested)
{
    // "file:" keeps a name with a colon from reading as a protocol.
    const QString input = QStringLiteral("file:") + file.path;
    static const QRegularExpression stream(QStringLiteral("^\\s*Stream #0:\\d+"));
    QStringList lines;
    bool readable = false;
    ToolRunner reader = tools;
    reader.setCancellation(stopRequested);
    const ToolOutcome outcome = reader.runTool(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"), QStringLiteral("-i"), input},
        ToolTimeLimit::CropDetection, [&](const QString &line) {
            readable = readable || stream.match(line).hasMatch();
            lines << line;
        });
    if (readable)
        return {ReadBack::Kind::Readable, {}, firstDuration(lines)};
    if (outcome.kind == ToolOutcome::Kind::Stopped)
        return {ReadBack::Kind::Stopped, {}, {}};
    if (!outcome.finished())
        return {ReadBack::Kind::Unreadable, outcome.reason(), {}};
    // Only ffmpeg's own messages say why: not its description of what it found (indented, after
    // "Input #0"), nor its complaint about a command without an output, which this one is on purpose.
    QStringList messages;
    for (const QString &line : std::as_const(lines))
        if (!line.isEmpty() && !line.front().isSpace() && !line.startsWith(QLatin1StringView("Input #")) &&
            line != QLatin1StringView("At least one output file must be specified"))
            messages << line;
    QString problem = failureLine(messages);
    problem.replace(input, shownName);
    if (problem.isEmpty())
        problem = BatchEncoder::tr("it holds no stream.");
    return {ReadBack::Kind::Unreadable, problem, {}};
}

// GNU parallel's own words when it could not read a line of the hosts file. It reports that as a bug of
// its own, with an identifier that says what it could not read, followed by advice about big files.
QString sshLoginComplaint(const QStringList &lines)
{
    static const QRegularExpression bugId(QStringLiteral("The bugid: (SSHLogin .*)$"));
    for (const QString &line : lines) {
        if (const QRegularExpressionMatch match = bugId.match(line); match.hasMatch())
            return match.captured(1);
    }
    return {};
}

// The last lines of the encoder's output; a run of progress lines keeps only its latest. Long enough
// that the error stays in it behind the statistics the encoders print when they close.
class OutputTail
{
public:
    void add(const QString &line)
    {
        // Said once, early, before lines enough to push it out of the tail.
        if (m_ignoredOption.isEmpty())
            m_ignoredOption = ignoredOptionLine(line);
        if (isProgressLine(line) && !m_lines.isEmpty() && isProgressLine(m_lines.last()))
            m_lines.last() = line;
        else
            m_lines << line;
        while (m_lines.size() > MaxLines)
            m_lines.removeFirst();
    }

    const QStringList &lines() const { return m_lines; }
    // The first line saying that an encoder went on without one of its options; empty for none.
    const QString &ignoredOption() const { return m_ignoredOption; }
    // Its end, for the user to read.
    QString text() const
    {
        return m_lines.mid(std::max<qsizetype>(0, m_lines.size() - ShownLines)).join(QLatin1Char('\n'));
    }

private:
    static constexpr int MaxLines = 64;
    static constexpr int ShownLines = 20;
    QStringList m_lines;
    QString m_ignoredOption;
};

// How one encoder process went.
struct ProcessOutcome
{
    enum class Kind { Exited, Crashed, FailedToStart, Stopped, NotStarted };
    Kind kind = Kind::NotStarted;
    int exitCode = 0; // the signal number for Crashed
    QString error;
    OutputTail tail;
    std::optional<double> sourceSeconds; // the first input's length as ffmpeg read it, else as probed
};

// How long a run has been paused, so the time left measures only the time the encoders worked.
class PauseClock
{
public:
    PauseClock() { m_clock.start(); }

    void setPaused(bool paused)
    {
        const QMutexLocker lock(&m_mutex);
        const qint64 now = m_clock.elapsed();
        if (paused && m_since < 0)
            m_since = now;
        else if (!paused && m_since >= 0) {
            m_total += now - m_since;
            m_since = -1;
        }
    }
    qint64 now() const { return m_clock.elapsed(); }
    // Milliseconds spent paused since the clock started, the pause going on included.
    qint64 pausedMs() const
    {
        const QMutexLocker lock(&m_mutex);
        return m_total + (m_since >= 0 ? m_clock.elapsed() - m_since : 0);
    }

private:
    mutable QMutex m_mutex;
    QElapsedTimer m_clock;
    qint64 m_total = 0;
    qint64 m_since = -1;
};

// Progress parsing of one job, on that job's own serial queue so the pieces are read in order.
struct ParseState
{
    RunStatus *status = nullptr;
    const PauseClock *pauses = nullptr;
    qint64 startedAt = 0; // on `pauses`' clock
    qint64 pausedAtStart = 0;
    std::optional<double> frameCount;
    std::optional<double> duration; // seconds, until ffmpeg tells the exact figure
    double laterSeconds = -1;
    bool sawDuration = false;
    // Side by side, the job's figures go to its own entry of the run status.
    int sideBySideNumber = 0;
    double lastPercent = 0;

    void parse(const QStringList &lines)
    {
        std::optional<double> percent;
        std::optional<TimeLeft> left;
        for (const QString &line : lines) {
            const EncoderOutput out = parseEncoderOutput(line, frameCount);
            if (out.duration) {
                writeDiagnostic(*out.duration);
                if (!sawDuration) {
                    sawDuration = true;
                    if (const std::optional<double> seconds = readClock(*out.duration);
                        seconds && *seconds > 0)
                        duration = seconds;
                }
                continue;
            }
            if (out.percentValue)
                percent = out.percentValue;
            if (isProgressLine(line))
                left = estimateTimeLeft(workingPace(readProgressFields(line)), frameCount, duration,
                                        laterSeconds);
        }
        if (!percent && !left)
            return;
        if (sideBySideNumber > 0) {
            if (percent)
                lastPercent = *percent;
            status->post([number = sideBySideNumber, shown = lastPercent, run = left ? left->run : -1](
                             RunStatus &s) { s.setJobProgress(number, shown, run); });
            return;
        }
        status->post([percent, left](RunStatus &s) {
            if (percent)
                s.setPercentValue(*percent);
            if (left)
                s.setSecondsLeft(left->job, left->run);
        });
    }

    // ffmpeg measures its rates against the wall clock, paused time included (a held process does not
    // know it was held); they are raised to the pace of the time it really worked.
    ProgressFields workingPace(ProgressFields fields) const
    {
        if (!pauses)
            return fields;
        const double wall = double(pauses->now() - startedAt);
        const double paused = double(pauses->pausedMs() - pausedAtStart);
        if (paused <= 0 || wall - paused <= 0)
            return fields;
        const double factor = wall / (wall - paused);
        if (fields.fps)
            *fields.fps *= factor;
        if (fields.speed)
            *fields.speed *= factor;
        return fields;
    }
};

} // namespace

// Everything the encoding queue needs, shared with the encoder so a stop reaches the running job.
struct BatchEncoder::Run
{
    BatchEncoder *encoder = nullptr;
    RunStatus *status = nullptr;
    QList<MediaVideo::Ptr> jobs;
    ToolRunner tools;
    CommandBuilder builder;
    QString shell;
    int stopGraceMs = 3000;
    ExistingOutput existingOutput = ExistingOutput::Rename;
    QList<double> durations; // seconds of each source, negative when unknown
    QString globalParams;    // the extra parameters every job gets, as the run started
    // Shared with every tool the run starts, so that a stop reaches them all.
    std::shared_ptr<std::atomic_bool> stopFlag = std::make_shared<std::atomic_bool>(false);
    std::atomic_bool &stopRequested = *stopFlag;
    // Shared with every encoder the run starts, each of which holds its group while it is set.
    std::shared_ptr<ToolProcess::PauseControl> pause = std::make_shared<ToolProcess::PauseControl>();
    std::atomic_int encoders{0}; // running now
    PauseClock pauses;
    std::atomic_bool stopAfterCurrent{false};
    LogOpener openLog;

    // Touched on the encoding queue only.
    QSet<QString> claimedDestinations; // canonical paths of the outputs this run writes
    QSet<QString> sourcePaths;         // canonical
    QSet<QString> sweptFolders;        // destination folders already rid of abandoned job folders
    std::set<FileId> sourceFiles;
    // The next job's frame count, asked while the current job encodes so no run waits for mediainfo.
    int prefetchIndex = -1;
    std::future<std::optional<double>> prefetchedFrameCount;

    // Several jobs at once, or the run handed to GNU parallel.
    int parallelJobs = 1;
    QString hostsFile;
    int jobsPerHost = 0;
    QString parallelProgram;
    QSemaphore freeSlots;
    std::vector<std::thread> workers; // touched on the encoding queue only
    // Guards what jobs running side by side share: the names claimed, and the processes running now.
    std::mutex mutex;
    QHash<int, QString> claimedBy; // job number -> the claimed name, until the job has its file
    QList<ToolProcess *> processes;

    bool sideBySide() const { return parallelJobs > 1 && hostsFile.isEmpty(); }
    static QString stoppedText() { return tr("Stopped by the user"); }
    void track(ToolProcess *process)
    {
        std::lock_guard lock(mutex);
        processes << process;
    }
    void untrack(ToolProcess *process)
    {
        std::lock_guard lock(mutex);
        processes.removeOne(process);
    }

    // A job whose output name is decided and whose folder exists.
    struct Prepared
    {
        MediaVideo::Ptr job;
        int number = 0;
        QString destination;
        QString target; // the name it will have, unless something takes it meanwhile
        QString cause;  // why target is not destination
        bool replace = false;
        std::shared_ptr<JobFolder> folder;      // ffmpeg writes (or GNU parallel returns) the output here
        std::optional<TemporaryFile> temporary; // the output found there once ffmpeg has ended
        QString host;
        CommandLine command;
        JobLogSink log; // opened as the encoder starts

        // Ends the log with the result, which then names it.
        void closeLog(JobResult &result)
        {
            if (log.append) {
                log.append(result.reason.isEmpty() ? result.text()
                                                   : result.text() + QStringLiteral(": ") + result.reason);
                result.logPath = log.path;
            }
            if (log.close)
                log.close();
            log = {};
        }

        // The name of the output in `folder` and on the host, never the source's name there.
        QString returnedName() const
        {
            const QString suffix = QFileInfo(target).suffix();
            QString name =
                QStringLiteral("tavrix-output") + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
            while (name == QFileInfo(job->source).fileName() ||
                   (!job->subtitleExternal.isEmpty() && name == QFileInfo(job->subtitleExternal).fileName()))
                name.prepend(QStringLiteral("new-"));
            return name;
        }
        QString outputPath() const { return folder->path() + QLatin1Char('/') + returnedName(); }
        // Looks for the output ffmpeg wrote: a regular file, in the folder still where it was made.
        void findOutput()
        {
            struct stat st;
            if (folder->isInPlace() && occupantOf(outputPath(), &st) == Occupant::RegularFile)
                temporary = TemporaryFile{outputPath(), FileId{st.st_dev, st.st_ino}};
            else
                temporary = TemporaryFile{};
        }
        // Removes the folder with whatever is still in it (an output that was not kept, a partial copy).
        void discard() const
        {
            if (folder)
                folder->remove();
        }
    };

    void collectSources();
    bool isSourceOfRun(const QString &path) const;
    bool isTaken(const QString &path) const;
    Obstacle obstacleFor(const MediaVideo &job) const;
    void runJob(int index);
    void startJobSideBySide(int index);
    void joinWorkers();
    void runOnHosts();
    // Decides the output's name and makes the job's folder; reports the job and gives nothing when it
    // cannot run.
    std::optional<Prepared> prepare(int index);
    void execute(Prepared p);
    // Reports the job from how its encoder ended, giving the checked output its name.
    void conclude(Prepared &p, const ProcessOutcome &outcome);
    // Makes a succeeded job Incomplete when its output falls short of what it should hold.
    void judgeLength(JobResult &result, const MediaVideo &job, const ProcessOutcome &outcome,
                     std::optional<double> outputSeconds) const;
    void release(int number);
    // Gives the finished temporary file its name: `target`, or the next free name when something took
    // that name meanwhile (a replace only for Overwrite). The name written, or empty and `error`.
    QString place(const TemporaryFile &file, const QString &destination, QString target, bool replace,
                  QString &cause, QString &error);
    ProcessOutcome ope(const QStringList &arguments, const QString &source, int number,
                       const JobLogSink &log);
    std::optional<double> frameCount(int index, const QString &source);
    void prefetchFrameCount(int index);
    double secondsAfter(int index) const;
    void finish(const MediaVideo::Ptr &job, int number, const JobResult &result);
};

void BatchEncoder::Run::collectSources()
{
    for (const MediaVideo::Ptr &job : std::as_const(jobs)) {
        if (!job)
            continue;
        sourcePaths.insert(canonicalPath(job->source));
        if (const std::optional<FileId> id = FileId::of(job->source))
            sourceFiles.insert(*id);
    }
}

bool BatchEncoder::Run::isSourceOfRun(const QString &path) const
{
    if (sourcePaths.contains(canonicalPath(path)))
        return true;
    const std::optional<FileId> id = FileId::of(path);
    return id && sourceFiles.count(*id) > 0;
}

bool BatchEncoder::Run::isTaken(const QString &path) const
{
    return occupantOf(path) != Occupant::Nothing || isSourceOfRun(path) ||
           claimedDestinations.contains(canonicalPath(path));
}

Obstacle BatchEncoder::Run::obstacleFor(const MediaVideo &job) const
{
    if (isSameFile(job.destination, job.source))
        return Obstacle::OwnSource;
    if (isSourceOfRun(job.destination))
        return Obstacle::OtherSource;
    if (claimedDestinations.contains(canonicalPath(job.destination)))
        return Obstacle::Claimed;
    switch (occupantOf(job.destination)) {
    case Occupant::Nothing:
        return Obstacle::None;
    case Occupant::RegularFile:
        return Obstacle::RegularFile;
    case Occupant::Other:
        break;
    }
    return Obstacle::OtherFile;
}

std::optional<double> BatchEncoder::Run::frameCount(int index, const QString &source)
{
    if (prefetchIndex == index && prefetchedFrameCount.valid()) {
        prefetchIndex = -1;
        return prefetchedFrameCount.get();
    }
    return readWholeNumber(
        tools.mediaInfoField(source, QStringLiteral("General"), QStringLiteral("FrameCount")));
}

void BatchEncoder::Run::prefetchFrameCount(int index)
{
    if (prefetchedFrameCount.valid())
        prefetchedFrameCount.wait();
    prefetchIndex = -1;
    if (index >= jobs.size() || !jobs[index] || stopRequested || !isRegularFile(jobs[index]->source))
        return;
    prefetchIndex = index;
    prefetchedFrameCount = std::async(std::launch::async, [tools = tools, source = jobs[index]->source] {
        return readWholeNumber(
            tools.mediaInfoField(source, QStringLiteral("General"), QStringLiteral("FrameCount")));
    });
}

double BatchEncoder::Run::secondsAfter(int index) const
{
    double total = 0;
    for (int i = index + 1; i < durations.size(); ++i) {
        if (durations[i] < 0)
            return -1;
        total += durations[i];
    }
    return total;
}

void BatchEncoder::Run::finish(const MediaVideo::Ptr &job, int number, const JobResult &result)
{
    if (sideBySide())
        status->post([number](RunStatus &s) { s.jobEnded(number); });
    BatchEncoder *owner = encoder;
    QMetaObject::invokeMethod(
        owner, [owner, job, result] { owner->finishJob(job, result); }, Qt::QueuedConnection);
}

void BatchEncoder::Run::release(int number)
{
    std::lock_guard lock(mutex);
    claimedDestinations.remove(claimedBy.take(number));
}

std::optional<BatchEncoder::Run::Prepared> BatchEncoder::Run::prepare(int index)
{
    if (index < 0 || index >= jobs.size() || !jobs[index])
        return std::nullopt;
    const MediaVideo::Ptr job = jobs[index];
    const int number = index + 1;
    const auto notRun = [&](const QString &reason) -> std::optional<Prepared> {
        JobResult result;
        result.status = JobResult::Status::NotRun;
        result.reason = reason;
        finish(job, number, result);
        return std::nullopt;
    };

    if (stopRequested)
        return notRun(stoppedText());
    if (stopAfterCurrent)
        return notRun(tr("The run was stopped after the file before it"));
    if (!QFileInfo::exists(job->source))
        return notRun(tr("The source file “%1” no longer exists.").arg(job->source));
    // Whatever the saved list says: reading a pipe or a device would wait for ever.
    if (!isRegularFile(job->source))
        return notRun(tr("The source “%1” is not a regular file (a folder, a pipe or a device); it is not "
                         "converted.")
                          .arg(job->source));
    if (job->destination.isEmpty())
        return notRun(tr("The job has no destination."));

    Prepared p;
    p.job = job;
    p.number = number;
    p.destination = job->destination;
    {
        // Decided here, before the job starts, so that jobs running side by side never share a name.
        std::lock_guard lock(mutex);
        // Where the output goes. Rename takes a free name for any obstacle; Skip runs only into a free
        // name; Overwrite replaces a regular file that is none of this run's sources or outputs.
        const Obstacle obstacle = obstacleFor(*job);
        p.target = p.destination;
        if (obstacle != Obstacle::None) {
            if (existingOutput == ExistingOutput::Skip ||
                (existingOutput == ExistingOutput::Overwrite && obstacle != Obstacle::RegularFile))
                return notRun(obstacleRefusal(obstacle, p.destination));
            if (existingOutput == ExistingOutput::Rename) {
                p.cause = obstacleCause(obstacle, p.destination);
                p.target = freeName(p.destination, [this](const QString &path) { return isTaken(path); });
                if (p.target.isEmpty())
                    return notRun(tr("No free name is left beside “%1”.").arg(p.destination));
            }
        }
        p.replace = existingOutput == ExistingOutput::Overwrite && obstacle == Obstacle::RegularFile;
        const QString claimed = canonicalPath(p.target);
        claimedDestinations.insert(claimed);
        claimedBy.insert(number, claimed);
    }

    const QString folder = QFileInfo(p.target).absolutePath();
    if (!sweptFolders.contains(folder)) {
        sweptFolders.insert(folder);
        JobFolder::removeAbandoned(folder);
    }
    QString error;
    p.folder = JobFolder::create(p.target, error);
    if (!p.folder) {
        release(number);
        JobResult result;
        result.status = JobResult::Status::Failed;
        result.exitCode = -1;
        result.reason = tr("Cannot create a folder in “%1”: %2").arg(folder, error);
        finish(job, number, result);
        return std::nullopt;
    }
    MediaVideo running = *job;
    running.destination = p.outputPath();

    // The command that runs writes into the job's folder; the one shown elsewhere names the output.
    p.command = builder(running, tools, globalParams, CropDetection::Run);
    if (!p.command.ok() || stopRequested) {
        p.discard();
        release(number);
        return notRun(p.command.ok() ? stoppedText() : p.command.error);
    }

    qInfo().noquote() << p.command.text;
    qCInfo(lcTavrix).noquote() << QStringLiteral("Source = ") + job->source;
    qCInfo(lcTavrix).noquote() << QStringLiteral("Ffmpeg path = ") + p.command.text;
    writeDiagnostic(job->source);
    qCInfo(lcTavrix).noquote()
        << QStringLiteral("Writing to %1, which becomes %2 once complete").arg(running.destination, p.target);
    return p;
}

void BatchEncoder::Run::execute(Prepared p)
{
    QMetaObject::invokeMethod(
        encoder, [owner = encoder, id = p.job->id] { emit owner->jobStarted(id); }, Qt::QueuedConnection);
    p.log = openLog ? openLog(*p.job) : JobLogSink();
    if (p.log.append)
        p.log.append(QStringLiteral("$ ") + p.command.text);
    const ProcessOutcome outcome =
        ope({QStringLiteral("-c"), p.command.text}, p.job->source, p.number, p.log);
    if (outcome.kind == ProcessOutcome::Kind::NotStarted) {
        p.discard();
        release(p.number);
        JobResult result;
        result.status = JobResult::Status::NotRun;
        result.reason = stoppedText();
        p.closeLog(result);
        return finish(p.job, p.number, result);
    }
    p.findOutput();
    conclude(p, outcome);
}

void BatchEncoder::Run::conclude(Prepared &p, const ProcessOutcome &outcome)
{
    const MediaVideo::Ptr &job = p.job;
    const int number = p.number;
    JobResult result;
    result.exitCode = outcome.exitCode;
    result.outputTail = outcome.tail.text();
    result.status = JobResult::Status::Failed;
    const QString shownName = QFileInfo(p.target).fileName();
    const TemporaryFile &temporary = *p.temporary;
    switch (outcome.kind) {
    case ProcessOutcome::Kind::NotStarted:
        break;
    case ProcessOutcome::Kind::FailedToStart:
        qWarning().noquote() << QStringLiteral("Erreur 'self.ope()' ") + outcome.error +
                                    QStringLiteral(" [") + job->source + QStringLiteral(", ") +
                                    QString::number(number) + QStringLiteral("]");
        result.exitCode = -1;
        result.reason = tr("The shell could not be started: %1").arg(outcome.error);
        break;
    case ProcessOutcome::Kind::Stopped:
        result.status = JobResult::Status::Stopped;
        result.reason = stoppedText();
        break;
    case ProcessOutcome::Kind::Crashed:
        result.reason = tr("ffmpeg was ended by signal %1 (%2).")
                            .arg(outcome.exitCode)
                            .arg(QString::fromLocal8Bit(::strsignal(outcome.exitCode)));
        break;
    case ProcessOutcome::Kind::Exited: {
        const QString message = failureLine(outcome.tail.lines());
        const QString writeFailure = writeFailureLine(outcome.tail.lines());
        struct stat st;
        if (outcome.exitCode != 0) {
            result.reason = message.isEmpty()
                                ? tr("ffmpeg exited with status %1.").arg(outcome.exitCode)
                                : tr("ffmpeg exited with status %1: %2").arg(outcome.exitCode).arg(message);
        } else if (!writeFailure.isEmpty()) {
            result.reason = tr("ffmpeg could not finish writing “%1”: %2").arg(shownName, writeFailure);
        } else if (!outcome.tail.ignoredOption().isEmpty()) {
            // The file is not what the user asked for.
            result.reason = outcome.tail.ignoredOption();
        } else if (!p.folder->isInPlace()) {
            result.reason = tr("The folder “%1” was moved or replaced while ffmpeg ran.")
                                .arg(QFileInfo(p.folder->path()).absolutePath());
        } else if (!temporary.isOurs() || ::stat(QFile::encodeName(temporary.path).constData(), &st) != 0 ||
                   st.st_size == 0) {
            result.reason = tr("ffmpeg ended without writing “%1”.").arg(shownName);
        } else {
            const ReadBack check = readBack(tools, temporary, shownName, stopFlag);
            if (check.kind == ReadBack::Kind::Stopped) {
                result.status = JobResult::Status::Stopped;
                result.reason = stoppedText();
            } else if (check.kind == ReadBack::Kind::Unreadable) {
                result.reason = tr("ffmpeg ended without error, but “%1” cannot be read back: %2")
                                    .arg(shownName, check.problem);
            } else {
                result.status = JobResult::Status::Succeeded;
                judgeLength(result, *job, outcome, check.seconds);
            }
        }
        break;
    }
    }
    if (!p.host.isEmpty() && p.host != QLatin1String(":") && result.status == JobResult::Status::Failed)
        result.reason = tr("On %1: %2").arg(p.host, result.reason);

    const bool keep =
        result.status == JobResult::Status::Succeeded || result.status == JobResult::Status::Incomplete;
    if (keep && job->keepDate)
        takeSourceTime(temporary, job->source);
    if (keep) {
        QString error;
        const QString written = place(temporary, p.destination, p.target, p.replace, p.cause, error);
        if (written.isEmpty()) {
            result.status = JobResult::Status::Failed;
            result.reason = tr("The finished file could not be named “%1”: %2").arg(shownName, error);
        } else {
            if (written == p.destination)
                qCInfo(lcTavrix).noquote() << QStringLiteral("Wrote %1").arg(written);
            else
                qCInfo(lcTavrix).noquote()
                    << QStringLiteral("Wrote %1 instead of %2 (%3)").arg(written, p.destination, p.cause);
            if (written != p.destination) {
                result.writtenPath = written;
                result.renameCause = p.cause;
                result.reason = result.reason.isEmpty()
                                    ? result.writtenNote()
                                    : result.reason + QStringLiteral("; ") + result.writtenNote();
            }
        }
    }
    // What is left in the folder was not kept: an output that failed, or nothing but the owner's note.
    p.discard();
    p.closeLog(result);
    finish(job, number, result);
}

void BatchEncoder::Run::judgeLength(JobResult &result, const MediaVideo &job, const ProcessOutcome &outcome,
                                    std::optional<double> outputSeconds) const
{
    if (!outcome.sourceSeconds || !outputSeconds)
        return;
    const std::optional<double> expected = expectedOutputSeconds(
        *outcome.sourceSeconds, splitParameters(globalParams) + splitParameters(job.otherParam));
    if (!expected || !fallsShort(*outputSeconds, *expected))
        return;
    result.status = JobResult::Status::Incomplete;
    const QString lasts = QString::number(*outputSeconds, 'f', 1);
    const QString asked = QString::number(*expected, 'f', 1);
    result.reason = qFuzzyCompare(*expected, *outcome.sourceSeconds)
                        ? tr("The output lasts %1 s of the source's %2 s").arg(lasts, asked)
                        : tr("The output lasts %1 s of the %2 s asked for").arg(lasts, asked);
    if (const QString damage = damagedInputLine(outcome.tail.lines()); !damage.isEmpty())
        result.reason += QStringLiteral("; ffmpeg: ") + damage;
}

void BatchEncoder::Run::runJob(int index)
{
    if (std::optional<Prepared> prepared = prepare(index))
        execute(std::move(*prepared));
}

void BatchEncoder::Run::startJobSideBySide(int index)
{
    // A slot is taken before the job's name is decided, so a stop while waiting runs nothing more.
    freeSlots.acquire();
    std::optional<Prepared> prepared = prepare(index);
    if (!prepared) {
        freeSlots.release();
        return;
    }
    workers.emplace_back([this, p = std::move(*prepared)]() mutable {
        execute(std::move(p));
        freeSlots.release();
    });
}

void BatchEncoder::Run::joinWorkers()
{
    for (std::thread &worker : workers)
        worker.join();
    workers.clear();
}

// The whole run goes to GNU parallel at once: it picks a host for each job, sends the source there,
// runs the command and brings the output back into the job's own temporary folder; here the output
// is checked and named exactly as after a local run.
void BatchEncoder::Run::runOnHosts()
{
    QList<Prepared> prepared;
    for (int i = 0; i < jobs.size(); ++i)
        if (std::optional<Prepared> p = prepare(i))
            prepared << std::move(*p);
    if (prepared.isEmpty())
        return;

    const QTemporaryDir work;
    const auto fail = [&](Prepared &p, const QString &reason, JobResult::Status status) {
        JobResult result;
        result.status = status;
        result.exitCode = -1;
        result.reason = reason;
        p.discard();
        release(p.number);
        p.closeLog(result);
        finish(p.job, p.number, result);
    };
    if (!work.isValid()) {
        for (Prepared &p : prepared)
            fail(p, tr("Cannot make a temporary folder: %1").arg(work.errorString()),
                 JobResult::Status::Failed);
        return;
    }

    // Four NUL-ended fields per job, so that any name passes: the file to send (the part after "/./"
    // is its name over there), the file to bring back, the external subtitle to send (the source
    // again when there is none) and the command. The command runs in a folder of its own on the host;
    // on this machine (":") nothing is sent and it works on the files in place.
    const QString ffmpeg = shellQuote(tools.locateTool(QStringLiteral("ffmpeg")).path);
    // GNU parallel cuts a returned path at a line break, so the output comes back through a link
    // with a plain name to the job's folder.
    const auto returnPath = [&work](const Prepared &p) {
        const QString link = work.filePath(QStringLiteral("return-%1").arg(p.number));
        QFile::link(p.folder->path(), link);
        return link + QStringLiteral("/./") + p.returnedName();
    };
    // An input of the command read from the folder over there, where it is sent.
    const auto inputThere = [](QString &command, const QString &path) {
        const QString here = QStringLiteral(" -i ") + shellQuote(path) + QLatin1Char(' ');
        if (!command.contains(here))
            return false;
        command.replace(here, QStringLiteral(" -i ") +
                                  shellQuote(QStringLiteral("./") + QFileInfo(path).fileName()) +
                                  QLatin1Char(' '));
        return true;
    };
    QByteArray input;
    QStringList commandsThere; // per job, for its log
    for (int i = 0; i < prepared.size();) {
        Prepared &p = prepared[i];
        const QFileInfo source(p.job->source);
        const QString local = p.outputPath();
        QString there = p.command.text;
        if (!ffmpeg.isEmpty() && there.startsWith(ffmpeg))
            there.replace(0, ffmpeg.size(), QStringLiteral("ffmpeg"));
        inputThere(there, p.job->source);
        QFileInfo subtitle = source;
        if (!p.job->subtitleExternal.isEmpty() && inputThere(there, p.job->subtitleExternal)) {
            subtitle = QFileInfo(p.job->subtitleExternal);
            // Both land in one folder over there.
            if (subtitle.fileName() == source.fileName()) {
                fail(p,
                     tr("The subtitle file has the same name as the source; rename one of them to convert "
                        "on other hosts."),
                     JobResult::Status::Failed);
                prepared.removeAt(i);
                continue;
            }
        }
        if (there.endsWith(shellQuote(local)))
            there.replace(there.size() - shellQuote(local).size(), shellQuote(local).size(),
                          shellQuote(p.returnedName()));
        const QString command = QStringLiteral("if [ \"$PARALLEL_SSHLOGIN\" = : ]; then ") + p.command.text +
                                QStringLiteral("; else ") + there + QStringLiteral("; fi");
        for (const QString &field :
             {source.absolutePath() + QStringLiteral("/./") + source.fileName(), returnPath(p),
              subtitle.absolutePath() + QStringLiteral("/./") + subtitle.fileName(), command})
            input += QFile::encodeName(field) + '\0';
        commandsThere << there;
        ++i;
    }
    if (prepared.isEmpty())
        return;
    const QString inputPath = work.filePath(QStringLiteral("jobs"));
    const QString logPath = work.filePath(QStringLiteral("joblog"));
    QFile inputFile(inputPath);
    if (!inputFile.open(QIODevice::WriteOnly) || inputFile.write(input) != input.size() ||
        !inputFile.flush()) {
        for (Prepared &p : prepared)
            fail(p, tr("Cannot write the list of jobs: %1").arg(inputFile.errorString()),
                 JobResult::Status::Failed);
        return;
    }
    inputFile.close();

    // Each job works over there in a folder of its own below the login's home, named for this run alone:
    // a stop ends the jobs before their --cleanup, and then this run's folders are removed by name. On
    // this machine (":") the same folders are made in `work`, where GNU parallel runs.
    const QString folders = QStringLiteral(".parallel/tmp/tavrix-%1-")
                                .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
    const QString hosts = QFileInfo(hostsFile).absoluteFilePath();
    QStringList arguments = {QStringLiteral("--null"),
                             QStringLiteral("--max-args"),
                             QStringLiteral("4"),
                             QStringLiteral("--sshloginfile"),
                             hosts,
                             QStringLiteral("--workdir"),
                             folders + QStringLiteral("{#}"),
                             QStringLiteral("--transferfile"),
                             QStringLiteral("{1}"),
                             QStringLiteral("--transferfile"),
                             QStringLiteral("{3}"),
                             QStringLiteral("--return"),
                             QStringLiteral("{2}"),
                             QStringLiteral("--cleanup"),
                             QStringLiteral("--joblog"),
                             logPath,
                             QStringLiteral("--results"),
                             work.filePath(QStringLiteral("job-{#}")),
                             QStringLiteral("--arg-file"),
                             inputPath};
    if (jobsPerHost > 0)
        arguments << QStringLiteral("--jobs") << QString::number(jobsPerHost);
    // Stopped, it ends its jobs with this, waiting between the signals: here, within our grace period;
    // over there the same, once the job sees its connection gone.
    arguments << QStringLiteral("--termseq")
              << QStringLiteral("TERM,%1,KILL,25").arg(std::max(stopGraceMs / 2, 50));
    arguments << QStringLiteral("bash") << QStringLiteral("-c") << QStringLiteral("{4}");

    status->post([](RunStatus &s) {
        s.setCurrentEncodeFile(QString());
        s.setActiveEncoding(QString());
    });
    // Its own words and anything a job printed are read here; none of it reaches our standard output.
    ToolProcess parallel(QStringLiteral("parallel"), parallelProgram, arguments);
    parallel.setChannels(ToolProcess::Channels::Merged);
    parallel.setWorkingDirectory(work.path());
    // GNU parallel runs each job, here and on the hosts, through the user's login shell ($SHELL), or
    // guesses one from its parent when that is unset. The job is a plain `bash -c` line, which a csh,
    // a fish or a missing shell would break; any POSIX shell carries it.
    parallel.setEnvironmentVariable(QStringLiteral("PARALLEL_SHELL"), QStringLiteral("/bin/sh"));
    parallel.setGracePeriod(std::chrono::milliseconds(stopGraceMs));
    parallel.setCancellation(stopFlag);
    OutputTail said;
    parallel.setLineHandler([&said](const QString &line) { said.add(line); });
    // Pausing holds GNU parallel and the transfers and jobs it runs from here.
    parallel.setPause(pause);
    ++encoders;
    track(&parallel);
    const ToolOutcome ended = parallel.run();
    untrack(&parallel);
    --encoders;
    if (ended.kind == ToolOutcome::Kind::Stopped || ended.kind == ToolOutcome::Kind::Crashed) {
        // One login to each host removes what this run sent there; bounded, as a host may not answer.
        ToolProcess sweep(QStringLiteral("parallel"), parallelProgram,
                          {QStringLiteral("--nonall"), QStringLiteral("--sshloginfile"), hosts,
                           QStringLiteral("rm -rf -- ") + folders + QLatin1Char('*')});
        sweep.setWorkingDirectory(work.path());
        sweep.setEnvironmentVariable(QStringLiteral("PARALLEL_SHELL"), QStringLiteral("/bin/sh"));
        sweep.setTimeLimit(ToolTimeLimit::HostCleanup);
        sweep.setGracePeriod(std::chrono::milliseconds(stopGraceMs));
        if (const ToolOutcome swept = sweep.run(); !swept.succeeded())
            qCWarning(lcTavrix).noquote()
                << QStringLiteral("Removing the run's files on the hosts: ") + swept.reason();
    }

    // Seq, Host, Starttime, JobRuntime, Send, Receive, Exitval, Signal, Command.
    QHash<int, QStringList> log;
    QFile logFile(logPath);
    if (logFile.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = logFile.readAll().split('\n');
        for (const QByteArray &line : lines) {
            const QStringList fields = QString::fromUtf8(line).split(QLatin1Char('\t'));
            bool number = false;
            const int seq = fields.value(0).toInt(&number);
            if (number && fields.size() >= 8)
                log.insert(seq, fields);
        }
    }
    for (int i = 0; i < prepared.size(); ++i) {
        Prepared &p = prepared[i];
        const QStringList entry = log.value(i + 1);
        if (entry.isEmpty()) {
            if (stopRequested || ended.kind == ToolOutcome::Kind::Stopped)
                fail(p, stoppedText(), JobResult::Status::Stopped);
            else if (!ended.finished())
                fail(p, tr("GNU parallel could not run the job: %1").arg(ended.reason()),
                     JobResult::Status::Failed);
            else if (const QString login = sshLoginComplaint(said.lines()); !login.isEmpty())
                fail(p, tr("GNU parallel cannot read the hosts file “%1”: %2").arg(hostsFile, login),
                     JobResult::Status::Failed);
            else
                fail(p, tr("GNU parallel did not run the job: %1").arg(failureLine(said.lines())),
                     JobResult::Status::Failed);
            continue;
        }
        p.host = entry.value(1);
        ProcessOutcome outcome;
        outcome.kind = ProcessOutcome::Kind::Exited;
        outcome.exitCode = entry.value(6).toInt();
        if (const int signal = entry.value(7).toInt(); signal != 0) {
            outcome.kind = stopRequested ? ProcessOutcome::Kind::Stopped : ProcessOutcome::Kind::Crashed;
            outcome.exitCode = signal;
        }
        p.log = openLog ? openLog(*p.job) : JobLogSink();
        if (p.log.append)
            p.log.append(p.host == QStringLiteral(":")
                             ? QStringLiteral("$ ") + p.command.text
                             : tr("On %1:").arg(p.host) + QStringLiteral(" $ ") + commandsThere.value(i));
        QFile errors(work.filePath(QStringLiteral("job-%1.err").arg(i + 1)));
        QStringList lines;
        if (errors.open(QIODevice::ReadOnly)) {
            LineSplitter splitter;
            QList<QByteArray> bytes = splitter.push(errors.readAll());
            bytes += splitter.flush();
            for (const QByteArray &line : std::as_const(bytes))
                lines << decodeLine(line);
        }
        static const QRegularExpression notFound(QStringLiteral("\\bffmpeg: (command )?not found$"));
        bool noFfmpeg = false;
        for (const QString &line : std::as_const(lines)) {
            if (p.log.append)
                p.log.append(line);
            noFfmpeg = noFfmpeg || notFound.match(line).hasMatch();
            // When the command failed, rsync's complaint that the output is missing only follows from it.
            if (outcome.exitCode == 0 || !(line.startsWith(QStringLiteral("rsync: ")) ||
                                           line.startsWith(QStringLiteral("rsync error: "))))
                outcome.tail.add(line);
        }
        outcome.sourceSeconds = firstDuration(lines);
        if (!outcome.sourceSeconds && durations.value(p.number - 1, -1) > 0)
            outcome.sourceSeconds = durations[p.number - 1];
        if (outcome.kind == ProcessOutcome::Kind::Exited && outcome.exitCode == 127 && noFfmpeg &&
            !stopRequested) {
            fail(p, tr("ffmpeg is not installed on %1 (or not on its PATH).").arg(p.host),
                 JobResult::Status::Failed);
            continue;
        }
        if (stopRequested)
            outcome.kind = ProcessOutcome::Kind::Stopped;
        // ssh says so itself when it cannot reach the host, and exits with 255.
        QString unreachable;
        for (const QString &line : outcome.tail.lines())
            if (unreachable.isEmpty() && line.startsWith(QStringLiteral("ssh: ")))
                unreachable = line;
        if (outcome.kind == ProcessOutcome::Kind::Exited && outcome.exitCode == 255 &&
            !unreachable.isEmpty()) {
            fail(p, tr("The host %1 could not be reached: %2").arg(p.host, unreachable),
                 JobResult::Status::Failed);
            continue;
        }
        p.findOutput();
        if (outcome.kind == ProcessOutcome::Kind::Exited && outcome.exitCode == 0 &&
            p.temporary->path.isEmpty()) {
            const QString said = failureLine(outcome.tail.lines());
            fail(p,
                 said.isEmpty() ? tr("On %1: the converted file did not come back.").arg(p.host)
                                : tr("On %1: the converted file did not come back: %2").arg(p.host, said),
                 JobResult::Status::Failed);
            continue;
        }
        conclude(p, outcome);
    }
}

QString BatchEncoder::Run::place(const TemporaryFile &file, const QString &destination, QString target,
                                 bool replace, QString &cause, QString &error)
{
    std::lock_guard lock(mutex);
    if (!file.isOurs()) {
        error = tr("the file being written was removed or replaced meanwhile.");
        return {};
    }
    const QByteArray from = QFile::encodeName(file.path);
    struct stat old;
    if (replace && occupantOf(target, &old) == Occupant::RegularFile) {
        // The new file takes the old one's permissions along with its name.
        ::chmod(from.constData(), old.st_mode & 0777);
        if (::rename(from.constData(), QFile::encodeName(target).constData()) == 0)
            return target;
        error = QString::fromLocal8Bit(::strerror(errno));
        return {};
    }
    // Nothing is replaced from here on; whatever took the name meanwhile keeps it.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int result = renameWithoutReplacing(file.path, target);
        if (result == 0) {
            claimedDestinations.insert(canonicalPath(target));
            return target;
        }
        if (result != EEXIST) {
            error = QString::fromLocal8Bit(::strerror(result));
            return {};
        }
        if (cause.isEmpty())
            cause = obstacleCause(occupantOf(destination) == Occupant::RegularFile ? Obstacle::RegularFile
                                                                                   : Obstacle::OtherFile,
                                  destination);
        target = freeName(destination, [this](const QString &path) { return isTaken(path); });
        if (target.isEmpty())
            break;
    }
    error = tr("no free name is left.");
    return {};
}

ProcessOutcome BatchEncoder::Run::ope(const QStringList &arguments, const QString &source, int number,
                                      const JobLogSink &log)
{
    ProcessOutcome outcome;
    // Side by side, each job asks for its own frame count on its own thread.
    const std::optional<double> frameCount =
        sideBySide() ? readWholeNumber(tools.mediaInfoField(source, QStringLiteral("General"),
                                                            QStringLiteral("FrameCount")))
                     : this->frameCount(number - 1, source);

    const QString fileName = QFileInfo(source).fileName();
    if (sideBySide()) {
        status->post([fileName, number, id = jobs[number - 1]->id](RunStatus &s) {
            s.jobStarted(number, id, fileName);
        });
    } else {
        status->post([fileName, number](RunStatus &s) {
            s.setCurrentEncodeFile(fileName);
            s.setActiveEncoding(QString::number(number));
            s.setShowProgressBar(true);
        });
    }
    if (stopRequested)
        return outcome;

    auto state = std::make_shared<ParseState>();
    state->status = status;
    state->frameCount = frameCount;
    if (number - 1 < durations.size() && durations[number - 1] > 0)
        state->duration = durations[number - 1];
    state->laterSeconds = secondsAfter(number - 1);
    state->pauses = &pauses;
    state->startedAt = pauses.now();
    state->pausedAtStart = pauses.pausedMs();
    if (sideBySide()) {
        state->sideBySideNumber = number;
        // What follows is shared among the slots.
        if (state->laterSeconds > 0)
            state->laterSeconds /= parallelJobs;
    } else {
        prefetchFrameCount(number);
    }

    // Its own process group, a UTF-8 locale, an empty standard input, and it dies with us; no time
    // limit: a film takes hours. Only the diagnostics are read; what the encoder writes on standard
    // output stays ours.
    ToolProcess process(QStringLiteral("ffmpeg"), shell, arguments);
    process.setChannels(ToolProcess::Channels::ErrorOnly);
    process.setGracePeriod(std::chrono::milliseconds(stopGraceMs));
    process.setCancellation(stopFlag);
    process.setPause(pause);
    // A line is parsed where it is read: a few string searches, far cheaper than a thread per job, and
    // the percentage can never step back.
    process.setLineHandler([&](const QString &line) {
        outcome.tail.add(line);
        if (log.append)
            log.append(line);
        state->parse({line});
    });
    ++encoders;
    track(&process);
    const ToolOutcome ended = process.run();
    untrack(&process);
    --encoders;
    switch (ended.kind) {
    case ToolOutcome::Kind::FailedToStart:
        outcome.kind = ProcessOutcome::Kind::FailedToStart;
        outcome.error = ended.error;
        break;
    case ToolOutcome::Kind::Stopped:
    case ToolOutcome::Kind::TimedOut:
        outcome.kind = ProcessOutcome::Kind::Stopped;
        break;
    case ToolOutcome::Kind::Crashed:
        outcome.kind = ProcessOutcome::Kind::Crashed;
        outcome.exitCode = ended.signal;
        break;
    case ToolOutcome::Kind::Finished:
        outcome.kind = ProcessOutcome::Kind::Exited;
        outcome.exitCode = ended.exitCode;
        break;
    }

    outcome.sourceSeconds = state->duration;

    // Every change this job posted lands before the reset, so the next job starts from 0.
    if (sideBySide())
        return outcome;
    status->post([](RunStatus &s) {
        s.setPercentValue(0);
        s.setSecondsLeft(-1, -1);
    });
    return outcome;
}

BatchEncoder::BatchEncoder(RunStatus *status, ToolRunner tools, QObject *parent)
    : QObject(parent), m_status(status), m_tools(std::move(tools)),
      m_builder([](const MediaVideo &job, const ToolRunner &runner, const QString &globalParams,
                   CropDetection crop) {
          return commandLine(job, runner, globalParams, crop, nullptr, ExistingFiles::Keep);
      })
{
}

BatchEncoder::~BatchEncoder()
{
    stop();
    delete m_queue; // lets the stopped run reach its end, then joins the worker
}

QString BatchEncoder::queueLabel()
{
    return QStringLiteral("org.tavrix.Tavrix.encoding.queue");
}

void BatchEncoder::setCommandBuilder(CommandBuilder builder)
{
    m_builder = std::move(builder);
}

bool BatchEncoder::start(const QList<MediaVideo::Ptr> &jobs, const RunOptions &options)
{
    if (m_running)
        return false;
    m_running = true;

    auto run = std::make_shared<Run>();
    run->encoder = this;
    run->status = m_status;
    run->jobs = jobs;
    run->tools = m_tools;
    run->builder = m_builder;
    run->shell = m_shell;
    run->stopGraceMs = m_stopGraceMs;
    run->existingOutput = options.existing;
    run->globalParams = options.globalParams;
    run->openLog = m_logOpener;
    run->parallelJobs = std::max(1, options.simultaneousJobs);
    run->hostsFile = options.hostsFile;
    run->jobsPerHost = std::max(0, options.simultaneousJobs);
    run->parallelProgram = options.parallelProgram;
    run->freeSlots.release(run->parallelJobs);
    for (const MediaVideo::Ptr &job : jobs) {
        const std::optional<double> seconds = job ? readClock(job->durationVideo()) : std::nullopt;
        run->durations << (seconds && *seconds > 0 ? *seconds : -1.0);
    }
    m_run = run;

    m_status->setNbrFilesEncoding(int(jobs.size()));
    m_queue = new SerialQueue(queueLabel());
    m_queue->enqueue([run] {
        run->status->post([sideBySide = run->sideBySide()](RunStatus &s) {
            s.setShowProgressBar(true);
            s.setIsDisable(true);
            s.setPercentValue(0);
            s.setCurrentEncodeFile(QString());
            s.setActiveEncoding(QString());
            s.setSecondsLeft(-1, -1);
            if (sideBySide)
                s.beginSideBySide();
        });
    });
    m_queue->enqueue([run] { run->collectSources(); });
    if (!run->hostsFile.isEmpty())
        m_queue->enqueue([run] { run->runOnHosts(); });
    else if (run->sideBySide())
        for (int i = 0; i < jobs.size(); ++i)
            m_queue->enqueue([run, i] { run->startJobSideBySide(i); });
    else
        for (int i = 0; i < jobs.size(); ++i)
            m_queue->enqueue([run, i] { run->runJob(i); });
    m_queue->enqueue([run] {
        run->joinWorkers();
        // A frame count asked for a job that did not run is not left for the user interface to wait on.
        if (run->prefetchedFrameCount.valid())
            run->prefetchedFrameCount.wait();
        run->status->post([sideBySide = run->sideBySide()](RunStatus &s) {
            if (sideBySide)
                s.endSideBySide();
            s.setShowProgressBar(false);
            s.setIsDisable(false);
        });
        BatchEncoder *owner = run->encoder;
        QMetaObject::invokeMethod(
            owner, [owner] { owner->finishRun(); }, Qt::QueuedConnection);
    });
    m_queue->finish();
    emit runStarted(int(jobs.size()));
    return true;
}

void BatchEncoder::stop()
{
    if (m_run)
        m_run->stopRequested = true;
}

void BatchEncoder::setPaused(bool paused)
{
    if (!m_run || m_run->pause->paused.load() == paused)
        return;
    m_run->pauses.setPaused(paused);
    m_run->pause->paused.store(paused);
    m_status->setPaused(paused);
}

bool BatchEncoder::isPaused() const
{
    return m_run && m_run->pause->paused.load();
}

bool BatchEncoder::isHeld() const
{
    return !m_run || (m_run->pause->paused.load() && m_run->pause->held.load() >= m_run->encoders.load());
}

void BatchEncoder::stopAfterCurrent()
{
    if (m_run)
        m_run->stopAfterCurrent = true;
}

bool BatchEncoder::isStoppingAfterCurrent() const
{
    return m_run && m_run->stopAfterCurrent;
}

void BatchEncoder::finishJob(const MediaVideo::Ptr &job, const JobResult &result)
{
    job->result = result;
    emit jobFinished(job->id, result);
}

void BatchEncoder::finishRun()
{
    m_status->setPaused(false);
    m_running = false;
    m_lastRunStopped = m_run && (m_run->stopRequested || m_run->stopAfterCurrent);
    m_run.reset();
    if (m_queue) {
        m_queue->deleteLater(); // its worker ends right after this last block
        m_queue = nullptr;
    }
    emit runFinished();
}
