#include "encoding/BatchEncoder.h"
#include "rules/JobRules.h"

#include "encoding/HostsRun.h"
#include "encoding/JobFolder.h"
#include "encoding/JobProgress.h"
#include "encoding/OutputPlacement.h"
#include "encoding/PreparedJob.h"
#include "encoding/QualityCheck.h"
#include "encoding/QualitySearch.h"
#include "encoding/ReadBack.h"
#include "media/JobCommand.h"
#include "process/Log.h"
#include "process/OrderedWorker.h"
#include "process/SerialQueue.h"
#include "process/ToolProcess.h"
#include "rules/EncoderOutput.h"
#include "rules/JobOutcome.h"

#include <QDebug>
#include <QFileInfo>
#include <QSemaphore>
#include <QSet>

#include <atomic>
#include <future>
#include <mutex>
#include <vector>

// Everything the encoding queue needs, shared with the encoder so a stop reaches the running job.
struct BatchEncoder::Run
{
    BatchEncoder *encoder = nullptr;
    QList<MediaVideo::Ptr> jobs;
    ToolRunner tools;
    CommandBuilder builder;
    QString shell;
    int stopGraceMs = 3000;
    ExistingOutput existingOutput = ExistingOutput::Rename;
    QList<double> durations; // seconds of each source, negative when unknown
    QString globalParams;    // the extra parameters every job gets, as the run started
    bool keepLarger = true;
    bool skipSameFormat = false;
    bool checkQuality = false;
    // Shared with every tool the run starts, so that a stop reaches them all.
    std::shared_ptr<std::atomic_bool> stopFlag = std::make_shared<std::atomic_bool>(false);
    std::atomic_bool &stopRequested = *stopFlag;
    // Shared with every encoder the run starts, each of which holds its group while it is set.
    std::shared_ptr<ToolProcess::PauseControl> pause = std::make_shared<ToolProcess::PauseControl>();
    std::atomic_int encoders{0}; // running now
    PauseClock pauses;
    std::atomic_bool stopAfterCurrent{false};
    LogOpener openLog;

    OutputClaims claims;
    // Touched on the encoding queue only.
    QSet<QString> sweptFolders; // destination folders already rid of abandoned job folders
    // The next job's frame count, asked while the current job encodes so no run waits for mediainfo.
    int prefetchIndex = -1;
    std::future<std::optional<double>> prefetchedFrameCount;
    // One job after another, a job's conclusion (its read-back, its name, its result) runs here while the
    // next job encodes; every result of such a run is reported from here, so in job order.
    OrderedWorker concluder;
    // With quality checks, every result passes through here in the order it was reached, each check
    // done before its job is reported.
    OrderedWorker checker;

    // Several jobs at once, or the run handed to GNU parallel.
    int parallelJobs = 1;
    QString hostsFile;
    int jobsPerHost = 0;
    QString parallelProgram;
    QSemaphore freeSlots;
    std::vector<std::thread> workers; // touched on the encoding queue only
    // Guards the processes running now, which jobs running side by side share.
    std::mutex mutex;
    QList<ToolProcess *> processes;

    bool sideBySide() const { return parallelJobs > 1 && hostsFile.isEmpty(); }
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

    void collectSources();
    void runJob(int index);
    void startJobSideBySide(int index);
    void joinWorkers();
    void runOnHosts();
    // Decides the output's name and makes the job's folder; reports the job and gives nothing when it
    // cannot run.
    std::optional<PreparedJob> prepare(int index);
    // For a job with a quality target: searches its value and writes it into `running`; reports the job
    // and gives false when no value could be chosen.
    bool chooseQuality(PreparedJob &p, MediaVideo &running);
    void execute(PreparedJob p);
    // Reports the job from how its encoder ended, giving the checked output its name.
    void conclude(PreparedJob &p, const ProcessOutcome &outcome);
    ProcessOutcome ope(const QStringList &arguments, const QString &source, int number,
                       const JobLogSink &log);
    std::optional<double> frameCount(int index, const QString &source);
    void prefetchFrameCount(int index);
    // `check`, when given, adds the output's quality to the result first.
    void finish(const MediaVideo::Ptr &job, int number, const JobResult &result,
                std::function<void(JobResult &)> check = {});
    // finish() for a job that did not reach its conclusion: after the conclusions still going on.
    void report(const MediaVideo::Ptr &job, int number, const JobResult &result);
    bool oneAfterAnother() const { return !sideBySide() && hostsFile.isEmpty(); }
    void tell(std::function<void(BatchEncoder &)> event);
};

void BatchEncoder::Run::collectSources()
{
    QStringList sources;
    // In job order, so that the plan's job numbers are the run's.
    for (const MediaVideo::Ptr &job : std::as_const(jobs))
        sources << (job ? job->source : QString());
    claims.start(sources, existingOutput);
}

std::optional<double> BatchEncoder::Run::frameCount(int index, const QString &source)
{
    // Probed when the job was made; a list saved before frames were probed asks now.
    if (const qint64 probed = jobs[index] ? jobs[index]->frameCount : 0; probed > 0)
        return double(probed);
    if (sideBySide())
        return askFrameCount(tools, source);
    if (prefetchIndex == index && prefetchedFrameCount.valid()) {
        prefetchIndex = -1;
        return prefetchedFrameCount.get();
    }
    return askFrameCount(tools, source);
}

void BatchEncoder::Run::prefetchFrameCount(int index)
{
    if (prefetchedFrameCount.valid())
        prefetchedFrameCount.wait();
    prefetchIndex = -1;
    if (index >= jobs.size() || !jobs[index] || jobs[index]->frameCount > 0 || stopRequested ||
        !isRegularFile(jobs[index]->source))
        return;
    prefetchIndex = index;
    prefetchedFrameCount = std::async(std::launch::async, [tools = tools, source = jobs[index]->source] {
        return askFrameCount(tools, source);
    });
}

void BatchEncoder::Run::tell(std::function<void(BatchEncoder &)> event)
{
    // Queued from any thread of the run; those from one thread arrive in the order they were sent.
    BatchEncoder *owner = encoder;
    QMetaObject::invokeMethod(
        owner, [owner, event = std::move(event)] { event(*owner); }, Qt::QueuedConnection);
}

void BatchEncoder::Run::finish(const MediaVideo::Ptr &job, int number, const JobResult &result,
                               std::function<void(JobResult &)> check)
{
    if (!checkQuality)
        return tell([job, result, number](BatchEncoder &owner) { owner.finishJob(job, result, number); });
    checker.post([this, job, number, checked = JobResult(result), check = std::move(check)]() mutable {
        if (check)
            check(checked);
        tell([job, result = checked, number](BatchEncoder &owner) { owner.finishJob(job, result, number); });
    });
}

void BatchEncoder::Run::report(const MediaVideo::Ptr &job, int number, const JobResult &result)
{
    if (oneAfterAnother())
        concluder.post([this, job, number, result] { finish(job, number, result); });
    else
        finish(job, number, result);
}

std::optional<PreparedJob> BatchEncoder::Run::prepare(int index)
{
    if (index < 0 || index >= jobs.size() || !jobs[index])
        return std::nullopt;
    const MediaVideo::Ptr job = jobs[index];
    const int number = index + 1;
    const auto notRun = [&](const ResultReason &reason) -> std::optional<PreparedJob> {
        JobResult result;
        result.status = JobResult::Status::NotRun;
        result.reason = {reason};
        report(job, number, result);
        return std::nullopt;
    };

    if (stopRequested)
        return notRun(stoppedReason());
    if (stopAfterCurrent)
        return notRun({ResultReason::Kind::StoppedAfterPrevious});
    if (!QFileInfo::exists(job->source))
        return notRun({ResultReason::Kind::SourceMissing, {job->source}});
    // Whatever the saved list says: reading a pipe or a device would wait for ever.
    if (!isRegularFile(job->source))
        return notRun({ResultReason::Kind::SourceNotRegular, {job->source}});
    if (job->destination.isEmpty())
        return notRun({ResultReason::Kind::NoDestination});
    if (const QString already = skipSameFormat ? sameFormatAs(*job) : QString(); !already.isEmpty())
        return notRun({ResultReason::Kind::AlreadyInFormat, {already}});

    PreparedJob p;
    p.job = job;
    p.number = number;
    p.destination = job->destination;
    ResultReason refusal;
    p.target = claims.claim(number, job->source, p.destination, p.cause, p.replace, refusal);
    if (p.target.isEmpty())
        return notRun(refusal);

    const QString folder = QFileInfo(p.target).absolutePath();
    if (!sweptFolders.contains(folder)) {
        sweptFolders.insert(folder);
        JobFolder::removeAbandoned(folder);
    }
    QString error;
    p.folder = JobFolder::create(p.target, error);
    if (!p.folder) {
        claims.release(number);
        JobResult result;
        result.status = JobResult::Status::Failed;
        result.exitCode = -1;
        result.reason = {{ResultReason::Kind::FolderNotCreated, {folder, error}}};
        report(job, number, result);
        return std::nullopt;
    }
    MediaVideo running = *job;
    running.destination = p.outputPath();
    if (job->videoRate == VideoRate::Target && familyOf(job->videoEncoder) != EncoderFamily::Copy &&
        !chooseQuality(p, running))
        return std::nullopt;

    // The command that runs writes into the job's folder; the one shown elsewhere names the output.
    p.command = builder(running, tools, globalParams, CropDetection::Run);
    if (!p.command.ok() || stopRequested) {
        p.discard();
        claims.release(number);
        return notRun(p.command.ok() ? stoppedReason() : ResultReason::text(p.command.error));
    }

    qInfo().noquote() << p.command.text;
    qCInfo(lcTavrix).noquote() << QStringLiteral("Source = ") + job->source;
    qCInfo(lcTavrix).noquote() << QStringLiteral("Ffmpeg path = ") + p.command.text;
    writeDiagnostic(job->source);
    qCInfo(lcTavrix).noquote()
        << QStringLiteral("Writing to %1, which becomes %2 once complete").arg(running.destination, p.target);
    return p;
}

bool BatchEncoder::Run::chooseQuality(PreparedJob &p, MediaVideo &running)
{
    tell([id = p.job->id, number = p.number, fileName = QFileInfo(p.job->source).fileName()](
             BatchEncoder &owner) { emit owner.jobSearching(id, number, fileName); });
    const QualitySearchOutcome found = searchQuality(running, {tools, stopFlag});
    if (found.stopped || stopRequested || !found.choice.isValid()) {
        p.discard();
        claims.release(p.number);
        JobResult result;
        result.status =
            found.choice.isValid() || found.stopped ? JobResult::Status::NotRun : JobResult::Status::Failed;
        result.reason = {result.status == JobResult::Status::NotRun
                             ? stoppedReason()
                             : ResultReason{ResultReason::Kind::QualitySearchFailed, {found.error}}};
        report(p.job, p.number, result);
        return false;
    }
    running.videoRate = VideoRate::Quality;
    running.videoQuality = found.choice.crf;
    if (found.detectedCrop)
        running.videoCrop = *found.detectedCrop;
    p.chosen = found.choice;
    qCInfo(lcTavrix).noquote()
        << QStringLiteral("Quality target %1: %2").arg(running.qualityTarget).arg(p.chosen.text());
    tell([id = p.job->id, number = p.number, choice = p.chosen](BatchEncoder &owner) {
        emit owner.jobQualityChosen(id, number, choice);
    });
    return true;
}

void BatchEncoder::Run::execute(PreparedJob p)
{
    p.log = openLog ? openLog(*p.job) : JobLogSink();
    if (p.log.append)
        p.log.append(QStringLiteral("$ ") + p.command.text);
    const ProcessOutcome outcome =
        ope({QStringLiteral("-c"), p.command.text}, p.job->source, p.number, p.log);
    if (outcome.kind == ProcessOutcome::Kind::NotStarted) {
        p.discard();
        claims.release(p.number);
        JobResult result = judgeJob({outcome});
        p.closeLog(result);
        return report(p.job, p.number, result);
    }
    p.findOutput();
    if (!oneAfterAnother())
        return conclude(p, outcome);
    // ffmpeg has ended: the next job starts while this one is read back and named.
    concluder.post(
        [this, p = std::make_shared<PreparedJob>(std::move(p)), outcome] { conclude(*p, outcome); });
}

void BatchEncoder::Run::conclude(PreparedJob &p, const ProcessOutcome &outcome)
{
    const MediaVideo::Ptr &job = p.job;
    const TemporaryFile &temporary = *p.temporary;
    JobFacts facts;
    facts.process = outcome;
    facts.shownName = QFileInfo(p.target).fileName();
    facts.folder = QFileInfo(p.folder->path()).absolutePath();
    facts.folderInPlace = p.folder->isInPlace();
    facts.outputWritten = temporary.hasContent();
    facts.parameterWords = splitParameters(globalParams) + splitParameters(job->otherParam);
    facts.host = p.host;
    if (readBackNeeded(facts))
        facts.readBack = readBack(tools, temporary.path, facts.shownName, stopFlag);
    JobResult result = judgeJob(facts);
    result.chosen = p.chosen;
    if (outcome.kind == ProcessOutcome::Kind::FailedToStart)
        qWarning().noquote() << QStringLiteral("Erreur 'self.ope()' ") + outcome.error +
                                    QStringLiteral(" [") + job->source + QStringLiteral(", ") +
                                    QString::number(p.number) + QStringLiteral("]");

    if (!keepLarger)
        judgeSize(result, QFileInfo(temporary.path).size(), QFileInfo(job->source).size());
    const bool keep =
        result.status == JobResult::Status::Succeeded || result.status == JobResult::Status::Incomplete;
    if (keep && job->keepDate)
        takeSourceTime(temporary, job->source);
    QString placed; // the output's final name
    if (keep) {
        ResultReason error;
        bool refused = false;
        const QString written = claims.place(temporary, p.number, job->source, p.destination, p.target,
                                             p.replace, p.cause, error, refused);
        if (written.isEmpty() && refused) {
            result.status = JobResult::Status::NotRun;
            result.reason = {error};
        } else if (written.isEmpty()) {
            result.status = JobResult::Status::Failed;
            result.reason = {{ResultReason::Kind::NotNamed, {facts.shownName}, {error}}};
        } else {
            placed = written;
            if (written == p.destination)
                qCInfo(lcTavrix).noquote() << QStringLiteral("Wrote %1").arg(written);
            else
                qCInfo(lcTavrix).noquote() << QStringLiteral("Wrote %1 instead of %2 (%3)")
                                                  .arg(written, p.destination, p.cause.toString());
            if (written != p.destination) {
                result.writtenPath = written;
                result.renameCause = p.cause;
                result.reason << result.writtenNote();
            }
        }
    }
    // What is left in the folder was not kept: an output that failed, or nothing but the owner's note.
    p.discard();
    p.closeLog(result);
    std::function<void(JobResult &)> check;
    if (checkQuality && result.status == JobResult::Status::Succeeded && !placed.isEmpty())
        check = [this, source = job->source, command = p.command, seconds = durations.value(p.number - 1),
                 placed](JobResult &r) {
            r.quality = ::checkQuality(tools, source, placed, command, seconds, stopFlag);
        };
    finish(job, p.number, result, std::move(check));
}

void BatchEncoder::Run::runJob(int index)
{
    if (std::optional<PreparedJob> prepared = prepare(index))
        execute(std::move(*prepared));
}

void BatchEncoder::Run::startJobSideBySide(int index)
{
    // A slot is taken before the job's name is decided, so a stop while waiting runs nothing more.
    freeSlots.acquire();
    std::optional<PreparedJob> prepared = prepare(index);
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

void BatchEncoder::Run::runOnHosts()
{
    QList<PreparedJob> prepared;
    for (int i = 0; i < jobs.size(); ++i)
        if (std::optional<PreparedJob> p = prepare(i))
            prepared << std::move(*p);
    HostsRun hosts;
    hosts.tools = tools;
    hosts.parallelProgram = parallelProgram;
    hosts.hostsFile = hostsFile;
    hosts.jobsPerHost = jobsPerHost;
    hosts.stopGraceMs = stopGraceMs;
    hosts.durations = durations;
    hosts.stopFlag = stopFlag;
    hosts.pause = pause;
    hosts.openLog = openLog;
    hosts.started = [this](ToolProcess *process) {
        ++encoders;
        track(process);
    };
    hosts.ended = [this](ToolProcess *process) {
        untrack(process);
        --encoders;
    };
    hosts.fail = [this](PreparedJob &p, const ResultReason &reason, JobResult::Status status) {
        JobResult result;
        result.status = status;
        result.exitCode = -1;
        result.reason = {reason};
        p.discard();
        claims.release(p.number);
        p.closeLog(result);
        finish(p.job, p.number, result);
    };
    hosts.conclude = [this](PreparedJob &p, const ProcessOutcome &outcome) { conclude(p, outcome); };
    hosts.run(std::move(prepared));
}

ProcessOutcome BatchEncoder::Run::ope(const QStringList &arguments, const QString &source, int number,
                                      const JobLogSink &log)
{
    ProcessOutcome outcome;
    // Side by side, each job asks for its own frame count on its own thread.
    const std::optional<double> frameCount = this->frameCount(number - 1, source);

    tell([id = jobs[number - 1]->id, number, fileName = QFileInfo(source).fileName()](BatchEncoder &owner) {
        emit owner.jobStarted(id, number, fileName);
    });
    if (stopRequested)
        return outcome;

    auto state = std::make_shared<ParseState>();
    state->report = [this, number](double percent, double jobLeft, double runLeft) {
        tell([=](BatchEncoder &owner) { emit owner.jobProgress(number, percent, jobLeft, runLeft); });
    };
    state->frameCount = frameCount;
    if (number - 1 < durations.size() && durations[number - 1] > 0)
        state->duration = durations[number - 1];
    state->laterSeconds = secondsAfter(durations, number - 1);
    state->pauses = &pauses;
    state->startedAt = pauses.now();
    state->pausedAtStart = pauses.pausedMs();
    if (sideBySide()) {
        state->sideBySide = true;
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

    return outcome;
}

BatchEncoder::BatchEncoder(ToolRunner tools, QObject *parent)
    : QObject(parent), m_tools(std::move(tools)),
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
    run->jobs = jobs;
    run->tools = m_tools;
    run->builder = m_builder;
    run->shell = m_shell;
    run->stopGraceMs = m_stopGraceMs;
    run->existingOutput = options.existing;
    run->globalParams = options.globalParams;
    run->keepLarger = options.keepLarger;
    run->skipSameFormat = options.skipSameFormat;
    run->checkQuality = options.checkQuality;
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

    m_tally = RunTally();
    m_queue = new SerialQueue(queueLabel());
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
        run->concluder.drain();
        run->checker.drain();
        run->tell([](BatchEncoder &owner) { owner.finishRun(); });
    });
    m_queue->finish();
    emit runStarted(int(jobs.size()), run->sideBySide());
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
    emit pausedChanged(paused);
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

void BatchEncoder::finishJob(const MediaVideo::Ptr &job, const JobResult &result, int number)
{
    job->result = result;
    m_tally.add(result.status);
    emit jobFinished(job->id, result, number);
}

void BatchEncoder::finishRun()
{
    const bool paused = isPaused();
    m_running = false;
    m_lastRunStopped = m_run && (m_run->stopRequested || m_run->stopAfterCurrent);
    m_run.reset();
    if (m_queue) {
        m_queue->deleteLater(); // its worker ends right after this last block
        m_queue = nullptr;
    }
    if (paused)
        emit pausedChanged(false);
    emit runFinished(m_tally, m_lastRunStopped);
}
