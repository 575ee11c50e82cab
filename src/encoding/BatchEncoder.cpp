#include "encoding/BatchEncoder.h"

#include "encoding/EncoderOutput.h"
#include "tools/Log.h"
#include "tools/SerialQueue.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QThread>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <future>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// What is known of a file before the encoder runs, to tell afterwards whether the encoder wrote it.
struct FileState
{
    bool exists = false;
    bool regular = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    static FileState of(const QString &path)
    {
        struct stat st;
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return {};
        return {true, S_ISREG(st.st_mode), st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    }

    bool sameFileAs(const FileState &other) const
    {
        return exists && other.exists && device == other.device && inode == other.inode;
    }

    bool untouchedSince(const FileState &before) const
    {
        const auto same = [](const timespec &a, const timespec &b) {
            return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
        };
        return sameFileAs(before) && size == before.size && same(modified, before.modified) &&
               same(changed, before.changed);
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
    return canonicalPath(a) == canonicalPath(b) || FileState::of(a).sameFileAs(FileState::of(b));
}

bool isProgressLine(const QString &line)
{
    return line.contains(QLatin1StringView("frame=")) ||
           (line.contains(QLatin1StringView("size=")) && line.contains(QLatin1StringView("time=")));
}

// The last lines of the encoder's output; a run of progress lines keeps only its latest.
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

    QString text() const { return m_lines.join(QLatin1Char('\n')); }

    // The line most likely to say what went wrong.
    QString lastMessage() const
    {
        for (auto it = m_lines.crbegin(); it != m_lines.crend(); ++it) {
            const QString line = it->trimmed();
            if (!line.isEmpty() && !isProgressLine(line) && line != QLatin1StringView("Conversion failed!"))
                return line;
        }
        return {};
    }

private:
    static constexpr int MaxLines = 12;
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
    QList<double> durations; // seconds of each source, negative when unknown
    std::atomic<bool> stopRequested{false};

    // Touched on the encoding queue only.
    QSet<QString> claimedDestinations;
    // The next job's frame count, asked while the current job encodes so no run waits for mediainfo.
    int prefetchIndex = -1;
    std::future<std::optional<double>> prefetchedFrameCount;

    void writeDiagnostics();
    void runJob(int index);
    ProcessOutcome ope(const QStringList &arguments, const QString &source, int number);
    std::optional<double> frameCount(int index, const QString &source);
    void prefetchFrameCount(int index);
    double secondsAfter(int index) const;
    void finish(const MediaVideo::Ptr &job, const JobResult &result);
};

void BatchEncoder::Run::writeDiagnostics()
{
    const auto describe = [this](const MediaVideo &job) {
        const CommandLine command = builder(job, tools, CropDetection::Describe);
        return command.ok() ? command.text : command.error;
    };
    for (const MediaVideo::Ptr &job : std::as_const(jobs)) {
        if (!job)
            continue;
        qInfo().noquote() << describe(*job);
        qCInfo(lcTavrix).noquote() << QStringLiteral("Source = ") + job->source;
        qCInfo(lcTavrix).noquote() << QStringLiteral("Ffmpeg path = ") + describe(*job);
        writeDiagnostic(job->source);
    }
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
    if (isSameFile(job->destination, job->source))
        return notRun(tr("The destination is the source file itself; choose another name or folder."));
    for (int other = 0; other < jobs.size(); ++other) {
        if (other != index && jobs[other] && isSameFile(job->destination, jobs[other]->source))
            return notRun(
                tr("The destination “%1” is the source of another job of this run.").arg(job->destination));
    }
    const QString destinationKey = canonicalPath(job->destination);
    if (claimedDestinations.contains(destinationKey))
        return notRun(tr("An earlier job of this run already writes “%1”.").arg(job->destination));

    const CommandLine command = builder(*job, tools, CropDetection::Run);
    if (!command.ok())
        return notRun(command.error);
    if (stopRequested)
        return notRun(stoppedText);

    claimedDestinations.insert(destinationKey);
    const FileState before = FileState::of(job->destination);
    const ProcessOutcome outcome = ope({QStringLiteral("-c"), command.text}, job->source, number);

    JobResult result;
    result.exitCode = outcome.exitCode;
    result.outputTail = outcome.tail.text();
    switch (outcome.kind) {
    case ProcessOutcome::Kind::NotStarted:
        return notRun(stoppedText);
    case ProcessOutcome::Kind::FailedToStart:
        qWarning().noquote() << QStringLiteral("Erreur 'self.ope()' ") + outcome.error +
                                    QStringLiteral(" [") + job->source + QStringLiteral(", ") +
                                    QString::number(number) + QStringLiteral("]");
        result.status = JobResult::Status::Failed;
        result.exitCode = -1;
        result.reason = tr("The shell could not be started: %1").arg(outcome.error);
        break;
    case ProcessOutcome::Kind::Stopped:
        result.status = JobResult::Status::Stopped;
        result.reason = stoppedText;
        break;
    case ProcessOutcome::Kind::Crashed:
        result.status = JobResult::Status::Failed;
        result.reason = tr("ffmpeg was ended by signal %1 (%2).")
                            .arg(outcome.exitCode)
                            .arg(QString::fromLocal8Bit(::strsignal(outcome.exitCode)));
        break;
    case ProcessOutcome::Kind::Exited:
        if (outcome.exitCode != 0) {
            result.status = JobResult::Status::Failed;
            const QString message = outcome.tail.lastMessage();
            result.reason = message.isEmpty()
                                ? tr("ffmpeg exited with status %1.").arg(outcome.exitCode)
                                : tr("ffmpeg exited with status %1: %2").arg(outcome.exitCode).arg(message);
        } else if (!QFileInfo::exists(job->destination)) {
            result.status = JobResult::Status::Failed;
            result.reason = tr("ffmpeg ended without writing “%1”.").arg(job->destination);
        } else {
            result.status = JobResult::Status::Succeeded;
        }
        break;
    }

    if (result.status != JobResult::Status::Succeeded) {
        // Only a file this job created or rewrote is removed; one the encoder never opened stays.
        const FileState after = FileState::of(job->destination);
        if (after.exists && after.regular && !after.untouchedSince(before))
            QFile::remove(job->destination);
    }
    finish(job, result);
}

ProcessOutcome BatchEncoder::Run::ope(const QStringList &arguments, const QString &source, int number)
{
    ProcessOutcome outcome;
    const std::optional<double> frameCount = readWholeNumber(
        tools.mediaInfoField(source, QStringLiteral("General"), QStringLiteral("FrameCount")));

    const QString fileName = QFileInfo(source).fileName();
    status->post([fileName, number](RunStatus &s) {
        s.setCurrentEncodeFile(fileName);
        s.setActiveEncoding(QString::number(number));
        s.setShowProgressBar(true);
    });
    if (stopRequested)
        return outcome;

    QProcess process;
    process.setProgram(shell);
    process.setArguments(arguments);
    // Only the diagnostics are read; what the encoder writes on standard output stays ours.
    process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    process.setReadChannel(QProcess::StandardError);
    // A group of its own, so that a stop ends the shell and everything it started.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    process.start();
    if (!process.waitForStarted(-1)) {
        outcome.kind = ProcessOutcome::Kind::FailedToStart;
        outcome.error = process.errorString();
        return outcome;
    }
    // ffmpeg reads commands from its standard input; give it an immediate end of file.
    process.closeWriteChannel();
    const pid_t group = pid_t(process.processId());
    prefetchFrameCount(number);

    auto state = std::make_shared<ParseState>();
    state->status = status;
    state->frameCount = frameCount;
    if (number - 1 < durations.size() && durations[number - 1] > 0)
        state->duration = durations[number - 1];
    state->laterSeconds = secondsAfter(number - 1);

    SerialQueue parser(BatchEncoder::queueLabel());
    LineSplitter splitter;
    const auto deliver = [&](const QList<QByteArray> &pieces) {
        QStringList lines;
        for (const QByteArray &piece : pieces) {
            const QString line = decodeLine(piece);
            if (line.isEmpty())
                continue;
            outcome.tail.add(line);
            lines << line;
        }
        if (!lines.isEmpty())
            parser.enqueue([state, lines] { state->parse(lines); });
    };

    bool terminated = false;
    bool killed = false;
    QElapsedTimer sinceTerm;
    while (process.state() != QProcess::NotRunning) {
        if (stopRequested && !terminated) {
            ::kill(-group, SIGTERM);
            terminated = true;
            sinceTerm.start();
        }
        if (terminated && !killed && sinceTerm.elapsed() >= stopGraceMs) {
            ::kill(-group, SIGKILL);
            killed = true;
        }
        process.waitForReadyRead(terminated ? 20 : 100);
        deliver(splitter.push(process.readAllStandardError()));
    }
    process.waitForFinished(-1);
    deliver(splitter.push(process.readAllStandardError()));
    deliver(splitter.flush());

    if (terminated) {
        // The shell has gone; anything it started that outlived it goes too.
        while (::kill(-group, 0) == 0 && !killed && sinceTerm.elapsed() < stopGraceMs)
            QThread::msleep(10);
        if (::kill(-group, 0) == 0)
            ::kill(-group, SIGKILL);
        outcome.kind = ProcessOutcome::Kind::Stopped;
    } else if (process.exitStatus() == QProcess::CrashExit) {
        outcome.kind = ProcessOutcome::Kind::Crashed;
    } else {
        outcome.kind = ProcessOutcome::Kind::Exited;
    }
    outcome.exitCode = process.exitCode();

    // Every parse of this job lands before the reset, so the next job starts from 0.
    parser.finish();
    parser.wait();
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
    m_queue->enqueue([run] { run->writeDiagnostics(); });
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
