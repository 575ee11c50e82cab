#include "encoding/BatchEncoder.h"

#include "encoding/EncoderOutput.h"
#include "tools/Log.h"
#include "tools/OutputName.h"
#include "tools/SerialQueue.h"
#include "tools/ToolProcess.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QThread>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <future>
#include <set>

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

// The file a job writes into, created by the run itself beside the output, under a hidden name that
// keeps the output's extension: ".clip.mp4.tavrix-Xy12Ab.mp4".
struct TemporaryFile
{
    QString path;
    FileId id;

    // Still the file the run created (nobody put another in its place meanwhile).
    bool isOurs() const
    {
        struct stat st;
        return occupantOf(path, &st) == Occupant::RegularFile && FileId{st.st_dev, st.st_ino} == id;
    }

    void remove() const
    {
        if (!path.isEmpty() && isOurs())
            ::unlink(QFile::encodeName(path).constData());
    }

    static std::optional<TemporaryFile> create(const QString &output, QString &error)
    {
        static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        const QFileInfo info(output);
        const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
        bool shortName = false;
        for (int attempt = 0; attempt < 100; ++attempt) {
            QString random;
            for (int i = 0; i < 6; ++i)
                random += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)]);
            const QString name = (shortName ? QString() : QLatin1Char('.') + info.fileName()) +
                                 QStringLiteral(".tavrix-") + random + suffix;
            const QString path = info.absolutePath() + QLatin1Char('/') + name;
            // Created here and only here: never an existing file, never through a link.
            const int fd = ::open(QFile::encodeName(path).constData(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd < 0) {
                if (errno == ENAMETOOLONG && !shortName) {
                    shortName = true;
                    continue;
                }
                if (errno == EEXIST)
                    continue;
                error = QString::fromLocal8Bit(::strerror(errno));
                return std::nullopt;
            }
            struct stat st;
            const bool known = ::fstat(fd, &st) == 0;
            ::close(fd);
            if (!known) {
                error = QString::fromLocal8Bit(::strerror(errno));
                ::unlink(QFile::encodeName(path).constData());
                return std::nullopt;
            }
            return TemporaryFile{path, FileId{st.st_dev, st.st_ino}};
        }
        error = QString::fromLocal8Bit(::strerror(EEXIST));
        return std::nullopt;
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

// Whether ffmpeg can open a finished output and finds a stream in it.
struct ReadBack
{
    enum class Kind { Readable, Unreadable, Stopped };
    Kind kind = Kind::Unreadable;
    QString problem; // for Unreadable: ffmpeg's line saying why, or a sentence of ours
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
    const ToolOutcome outcome =
        reader.runTool(QStringLiteral("ffmpeg"),
                       {QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"), QStringLiteral("-i"), input},
                       ToolTimeLimit::CropDetection, [&](const QString &line) {
                           readable = readable || stream.match(line).hasMatch();
                           lines << line;
                       });
    if (readable)
        return {ReadBack::Kind::Readable, {}};
    if (outcome.kind == ToolOutcome::Kind::Stopped)
        return {ReadBack::Kind::Stopped, {}};
    if (!outcome.finished())
        return {ReadBack::Kind::Unreadable, outcome.reason()};
    QString problem = failureLine(lines);
    problem.replace(input, shownName);
    if (problem.isEmpty())
        problem = BatchEncoder::tr("it holds no stream.");
    return {ReadBack::Kind::Unreadable, problem};
}

// The last lines of the encoder's output; a run of progress lines keeps only its latest. Long enough
// that the error stays in it behind the statistics the encoders print when they close.
class OutputTail
{
public:
    void add(const QString &line)
    {
        if (isProgressLine(line) && !m_lines.isEmpty() && isProgressLine(m_lines.last()))
            m_lines.last() = line;
        else
            m_lines << line;
        while (m_lines.size() > MaxLines)
            m_lines.removeFirst();
    }

    const QStringList &lines() const { return m_lines; }
    // Its end, for the user to read.
    QString text() const
    {
        return m_lines.mid(std::max<qsizetype>(0, m_lines.size() - ShownLines)).join(QLatin1Char('\n'));
    }

private:
    static constexpr int MaxLines = 64;
    static constexpr int ShownLines = 20;
    QStringList m_lines;
};

// How one encoder process went.
struct ProcessOutcome
{
    enum class Kind { Exited, Crashed, FailedToStart, Stopped, NotStarted };
    Kind kind = Kind::NotStarted;
    int exitCode = 0; // the signal number for Crashed
    QString error;
    OutputTail tail;
};

// Progress parsing of one job, on that job's own serial queue so the pieces are read in order.
struct ParseState
{
    RunStatus *status = nullptr;
    std::optional<double> frameCount;
    std::optional<double> duration; // seconds, until ffmpeg tells the exact figure
    double laterSeconds = -1;
    bool sawDuration = false;

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
                left = estimateTimeLeft(readProgressFields(line), frameCount, duration, laterSeconds);
        }
        if (!percent && !left)
            return;
        status->post([percent, left](RunStatus &s) {
            if (percent)
                s.setPercentValue(*percent);
            if (left)
                s.setSecondsLeft(left->job, left->run);
        });
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
    // Shared with every tool the run starts, so that a stop reaches them all.
    std::shared_ptr<std::atomic_bool> stopFlag = std::make_shared<std::atomic_bool>(false);
    std::atomic_bool &stopRequested = *stopFlag;

    // Touched on the encoding queue only.
    QSet<QString> claimedDestinations; // canonical paths of the outputs this run writes
    QSet<QString> sourcePaths;         // canonical
    std::set<FileId> sourceFiles;
    // The next job's frame count, asked while the current job encodes so no run waits for mediainfo.
    int prefetchIndex = -1;
    std::future<std::optional<double>> prefetchedFrameCount;

    void collectSources();
    bool isSourceOfRun(const QString &path) const;
    bool isTaken(const QString &path) const;
    Obstacle obstacleFor(const MediaVideo &job) const;
    void runJob(int index);
    // Gives the finished temporary file its name: `target`, or the next free name when something took
    // that name meanwhile (a replace only for Overwrite). The name written, or empty and `error`.
    QString place(const TemporaryFile &file, const QString &destination, QString target, bool replace,
                  QString &cause, QString &error);
    ProcessOutcome ope(const QStringList &arguments, const QString &source, int number);
    std::optional<double> frameCount(int index, const QString &source);
    void prefetchFrameCount(int index);
    double secondsAfter(int index) const;
    void finish(const MediaVideo::Ptr &job, const JobResult &result);
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
    if (index >= jobs.size() || !jobs[index] || stopRequested)
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

void BatchEncoder::Run::finish(const MediaVideo::Ptr &job, const JobResult &result)
{
    BatchEncoder *owner = encoder;
    QMetaObject::invokeMethod(
        owner, [owner, job, result] { owner->finishJob(job, result); }, Qt::QueuedConnection);
}

void BatchEncoder::Run::runJob(int index)
{
    if (index < 0 || index >= jobs.size() || !jobs[index])
        return;
    const MediaVideo::Ptr job = jobs[index];
    const int number = index + 1;
    const auto notRun = [&](const QString &reason) {
        JobResult result;
        result.status = JobResult::Status::NotRun;
        result.reason = reason;
        finish(job, result);
    };
    const QString stoppedText = tr("Stopped by the user");

    if (stopRequested)
        return notRun(stoppedText);
    if (!QFileInfo::exists(job->source))
        return notRun(tr("The source file “%1” no longer exists.").arg(job->source));
    if (job->destination.isEmpty())
        return notRun(tr("The job has no destination."));

    // Where the output goes. Rename takes a free name for any obstacle; Skip runs only into a free
    // name; Overwrite replaces a regular file that is none of this run's sources or outputs.
    const QString &destination = job->destination;
    const Obstacle obstacle = obstacleFor(*job);
    QString target = destination;
    QString cause;
    if (obstacle != Obstacle::None) {
        if (existingOutput == ExistingOutput::Skip ||
            (existingOutput == ExistingOutput::Overwrite && obstacle != Obstacle::RegularFile))
            return notRun(obstacleRefusal(obstacle, destination));
        if (existingOutput == ExistingOutput::Rename) {
            cause = obstacleCause(obstacle, destination);
            target = freeName(destination, [this](const QString &path) { return isTaken(path); });
            if (target.isEmpty())
                return notRun(tr("No free name is left beside “%1”.").arg(destination));
        }
    }
    const bool replace = existingOutput == ExistingOutput::Overwrite && obstacle == Obstacle::RegularFile;

    QString error;
    const std::optional<TemporaryFile> temporary = TemporaryFile::create(target, error);
    if (!temporary) {
        JobResult result;
        result.status = JobResult::Status::Failed;
        result.exitCode = -1;
        result.reason = tr("Cannot create a file in “%1”: %2").arg(QFileInfo(target).absolutePath(), error);
        return finish(job, result);
    }

    // The command that runs writes into the temporary file; the one shown elsewhere names the output.
    MediaVideo running = *job;
    running.destination = temporary->path;
    const CommandLine command = builder(running, tools, CropDetection::Run);
    if (!command.ok() || stopRequested) {
        temporary->remove();
        return notRun(command.ok() ? stoppedText : command.error);
    }

    claimedDestinations.insert(canonicalPath(target));
    qInfo().noquote() << command.text;
    qCInfo(lcTavrix).noquote() << QStringLiteral("Source = ") + job->source;
    qCInfo(lcTavrix).noquote() << QStringLiteral("Ffmpeg path = ") + command.text;
    writeDiagnostic(job->source);
    qCInfo(lcTavrix).noquote() << QStringLiteral(
                                      "Writing to the temporary file %1, which becomes %2 once complete")
                                      .arg(temporary->path, target);

    QMetaObject::invokeMethod(
        encoder, [owner = encoder, id = job->id] { emit owner->jobStarted(id); }, Qt::QueuedConnection);
    const ProcessOutcome outcome = ope({QStringLiteral("-c"), command.text}, job->source, number);

    JobResult result;
    result.exitCode = outcome.exitCode;
    result.outputTail = outcome.tail.text();
    result.status = JobResult::Status::Failed;
    const QString shownName = QFileInfo(target).fileName();
    switch (outcome.kind) {
    case ProcessOutcome::Kind::NotStarted:
        temporary->remove();
        return notRun(stoppedText);
    case ProcessOutcome::Kind::FailedToStart:
        qWarning().noquote() << QStringLiteral("Erreur 'self.ope()' ") + outcome.error +
                                    QStringLiteral(" [") + job->source + QStringLiteral(", ") +
                                    QString::number(number) + QStringLiteral("]");
        result.exitCode = -1;
        result.reason = tr("The shell could not be started: %1").arg(outcome.error);
        break;
    case ProcessOutcome::Kind::Stopped:
        result.status = JobResult::Status::Stopped;
        result.reason = stoppedText;
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
        } else if (!temporary->isOurs()) {
            result.reason = tr("The file being written was removed or replaced while ffmpeg ran.");
        } else if (occupantOf(temporary->path, &st) != Occupant::RegularFile || st.st_size == 0) {
            result.reason = tr("ffmpeg ended without writing “%1”.").arg(shownName);
        } else {
            const ReadBack check = readBack(tools, *temporary, shownName, stopFlag);
            if (check.kind == ReadBack::Kind::Stopped) {
                result.status = JobResult::Status::Stopped;
                result.reason = stoppedText;
            } else if (check.kind == ReadBack::Kind::Unreadable) {
                result.reason = tr("ffmpeg ended without error, but “%1” cannot be read back: %2")
                                    .arg(shownName, check.problem);
            } else {
                result.status = JobResult::Status::Succeeded;
            }
        }
        break;
    }
    }

    if (result.status == JobResult::Status::Succeeded) {
        const QString written = place(*temporary, destination, target, replace, cause, error);
        if (written.isEmpty()) {
            result.status = JobResult::Status::Failed;
            result.reason = tr("The finished file could not be named “%1”: %2").arg(shownName, error);
        } else {
            if (written == destination)
                qCInfo(lcTavrix).noquote() << QStringLiteral("Wrote %1").arg(written);
            else
                qCInfo(lcTavrix).noquote()
                    << QStringLiteral("Wrote %1 instead of %2 (%3)").arg(written, destination, cause);
            if (written != destination) {
                result.writtenPath = written;
                result.renameCause = cause;
                result.reason = result.writtenNote();
            }
        }
    }
    if (result.status != JobResult::Status::Succeeded)
        temporary->remove();
    finish(job, result);
}

QString BatchEncoder::Run::place(const TemporaryFile &file, const QString &destination, QString target,
                                 bool replace, QString &cause, QString &error)
{
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

ProcessOutcome BatchEncoder::Run::ope(const QStringList &arguments, const QString &source, int number)
{
    ProcessOutcome outcome;
    const std::optional<double> frameCount = this->frameCount(number - 1, source);

    const QString fileName = QFileInfo(source).fileName();
    status->post([fileName, number](RunStatus &s) {
        s.setCurrentEncodeFile(fileName);
        s.setActiveEncoding(QString::number(number));
        s.setShowProgressBar(true);
    });
    if (stopRequested)
        return outcome;

    auto state = std::make_shared<ParseState>();
    state->status = status;
    state->frameCount = frameCount;
    if (number - 1 < durations.size() && durations[number - 1] > 0)
        state->duration = durations[number - 1];
    state->laterSeconds = secondsAfter(number - 1);
    prefetchFrameCount(number);

    // Its own process group, a UTF-8 locale, an empty standard input, and it dies with us; no time
    // limit: a film takes hours. Only the diagnostics are read; what the encoder writes on standard
    // output stays ours.
    ToolProcess process(QStringLiteral("ffmpeg"), shell, arguments);
    process.setChannels(ToolProcess::Channels::ErrorOnly);
    process.setGracePeriod(std::chrono::milliseconds(stopGraceMs));
    process.setCancellation(stopFlag);
    // A line is parsed where it is read: a few string searches, far cheaper than a thread per job, and
    // the percentage can never step back.
    process.setLineHandler([&](const QString &line) {
        outcome.tail.add(line);
        state->parse({line});
    });
    const ToolOutcome ended = process.run();
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

    // Every change this job posted lands before the reset, so the next job starts from 0.
    status->post([](RunStatus &s) {
        s.setPercentValue(0);
        s.setSecondsLeft(-1, -1);
    });
    return outcome;
}

BatchEncoder::BatchEncoder(RunStatus *status, ToolRunner tools, QObject *parent)
    : QObject(parent), m_status(status), m_tools(std::move(tools)),
      m_builder([](const MediaVideo &job, const ToolRunner &runner, CropDetection crop) {
          return commandLine(job, runner, crop);
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

bool BatchEncoder::start(const QList<MediaVideo::Ptr> &jobs)
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
    run->existingOutput = m_existingOutput.value_or(Preferences::existingOutput());
    for (const MediaVideo::Ptr &job : jobs) {
        const std::optional<double> seconds = job ? readClock(job->durationVideo()) : std::nullopt;
        run->durations << (seconds && *seconds > 0 ? *seconds : -1.0);
    }
    m_run = run;

    m_status->setNbrFilesEncoding(int(jobs.size()));
    m_queue = new SerialQueue(queueLabel());
    m_queue->enqueue([run] {
        run->status->post([](RunStatus &s) {
            s.setShowProgressBar(true);
            s.setIsDisable(true);
            s.setPercentValue(0);
            s.setCurrentEncodeFile(QString());
            s.setActiveEncoding(QString());
            s.setSecondsLeft(-1, -1);
        });
    });
    m_queue->enqueue([run] { run->collectSources(); });
    for (int i = 0; i < jobs.size(); ++i)
        m_queue->enqueue([run, i] { run->runJob(i); });
    m_queue->enqueue([run] {
        // A frame count asked for a job that did not run is not left for the user interface to wait on.
        if (run->prefetchedFrameCount.valid())
            run->prefetchedFrameCount.wait();
        run->status->post([](RunStatus &s) {
            s.setShowProgressBar(false);
            s.setIsDisable(false);
        });
        BatchEncoder *owner = run->encoder;
        QMetaObject::invokeMethod(
            owner, [owner] { owner->finishRun(); }, Qt::QueuedConnection);
    });
    m_queue->finish();
    return true;
}

void BatchEncoder::stop()
{
    if (m_run)
        m_run->stopRequested = true;
}

void BatchEncoder::finishJob(const MediaVideo::Ptr &job, const JobResult &result)
{
    job->result = result;
    emit jobFinished(job->id, result);
}

void BatchEncoder::finishRun()
{
    m_running = false;
    m_run.reset();
    if (m_queue) {
        m_queue->deleteLater(); // its worker ends right after this last block
        m_queue = nullptr;
    }
    emit runFinished();
}
