#include "cli/CliSettings.h"
#include "cli/Commands.h"
#include "cli/EncodeRun.h"

#include "desktop/RunDesktop.h"
#include "encoding/BatchEncoder.h"
#include "encoding/RunStatus.h"
#include "media/FileScan.h"
#include "model/Preferences.h"
#include "process/Log.h"
#include "process/ToolRunner.h"
#include "rules/RunTally.h"
#include "rules/ShellQuote.h"
#include "session/Session.h"
#include "session/StopSignals.h"
#include "store/JobLogs.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLoggingCategory>
#include <QSet>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <functional>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("tavrix-cli", text);
}

// Called once when the reader of our output has gone (`encode ... | head -2`): the run stops cleanly
// instead of dying of SIGPIPE with its encoder left running.
std::function<void()> g_outputClosed;

void write(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    const bool written =
        std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream) == std::size_t(bytes.size());
    if ((!written || std::fflush(stream) != 0) && errno == EPIPE && g_outputClosed) {
        const std::function<void()> closed = std::exchange(g_outputClosed, {});
        closed();
    }
}

QString clock(double seconds)
{
    if (seconds < 0 || !std::isfinite(seconds))
        return QStringLiteral("--:--:--");
    const qint64 whole = qint64(std::ceil(seconds));
    return QStringLiteral("%1:%2:%3")
        .arg(whole / 3600, 2, 10, QLatin1Char('0'))
        .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(whole % 60, 2, 10, QLatin1Char('0'));
}

QString resultText(const JobResult &result)
{
    QString text = result.text();
    if (!result.reason.isEmpty())
        text += QStringLiteral(": ") + result.reasonText();
    if (result.chosen.isValid())
        text += QStringLiteral(" · ") + result.chosen.text();
    if (!result.quality.isEmpty())
        text += QStringLiteral(" · ") + result.quality.text();
    return text;
}

// One line per job: rewritten in place on a terminal, written once per event otherwise.
class ProgressPrinter
{
public:
    ProgressPrinter(const RunStatus &status, const QList<MediaVideo::Ptr> &jobs)
        : m_status(status), m_jobs(jobs), m_live(::isatty(STDOUT_FILENO) == 1)
    {
        for (int i = 0; i < jobs.size(); ++i)
            m_index.insert(jobs[i]->id, i);
    }

    void statusChanged()
    {
        const QString active = m_status.activeEncoding();
        if (active.isEmpty() || m_finished.contains(active) || !m_status.showProgressBar())
            return;
        const QString head = QStringLiteral("[%1 / %2] %3")
                                 .arg(active)
                                 .arg(m_jobs.size())
                                 .arg(printableText(m_status.currentEncodeFile()));
        if (!m_live) {
            if (active != m_announced) {
                m_announced = active;
                write(stdout, head + QLatin1Char('\n'));
            }
            return;
        }
        const double shown =
            std::isfinite(m_status.percentValue()) ? std::clamp(m_status.percentValue(), 0.0, 100.0) : 0;
        QString line =
            head +
            QStringLiteral("  %1%  ETA %2").arg(shown, 0, 'f', 2).arg(clock(m_status.jobSecondsLeft()));
        if (active.toInt() < m_jobs.size())
            line += QStringLiteral("  (all %1)").arg(clock(m_status.runSecondsLeft()));
        if (line == m_lastLine)
            return;
        m_lastLine = line;
        write(stdout, QStringLiteral("\r") + line + QStringLiteral("\033[K"));
    }

    void jobFinished(const QUuid &id, const JobResult &result)
    {
        const int index = m_index.value(id, -1);
        if (index < 0)
            return;
        const QString number = QString::number(index + 1);
        m_finished.insert(number);
        const QString line = QStringLiteral("[%1 / %2] %3  %4")
                                 .arg(number)
                                 .arg(m_jobs.size())
                                 .arg(printableText(QFileInfo(m_jobs[index]->source).fileName()),
                                      printableText(resultText(result)));
        write(stdout,
              (m_live ? QStringLiteral("\r") + line + QStringLiteral("\033[K\n") : line + QLatin1Char('\n')));
        m_lastLine.clear();
    }

private:
    const RunStatus &m_status;
    const QList<MediaVideo::Ptr> &m_jobs;
    const bool m_live;
    QHash<QUuid, int> m_index;
    QString m_lastLine;
    QString m_announced;
    QSet<QString> m_finished; // jobs whose end is printed; later status changes of theirs are stale
};

void printSummary(const QList<MediaVideo::Ptr> &jobs)
{
    const RunTally counted = tally(jobs);
    QString text = tr("Summary:") + QLatin1Char('\n');
    for (const MediaVideo::Ptr &job : jobs) {
        const JobResult &r = job->result;
        const QString label = r.status == JobResult::Status::None ? tr("Not run") : r.text();
        QString line = QStringLiteral("  %1  %2").arg(label, -10).arg(printableText(job->source));
        if (r.status == JobResult::Status::Succeeded && !r.writtenPath.isEmpty())
            line += QStringLiteral(" -> ") + printableText(r.writtenPath) + QStringLiteral(" (") +
                    printableText(r.renameCause.toString()) + QLatin1Char(')');
        else if (r.status == JobResult::Status::Succeeded)
            line += QStringLiteral(" -> ") + printableText(job->destination);
        else if (!r.reason.isEmpty())
            line += QStringLiteral(": ") + printableText(r.reasonText());
        if (r.status == JobResult::Status::Incomplete)
            line += QStringLiteral(" -> ") +
                    printableText(r.writtenPath.isEmpty() ? job->destination : r.writtenPath);
        text += line + QLatin1Char('\n');
        const QString chosen = r.chosen.fullText();
        for (const QString &detail : {chosen, r.quality.text()})
            if (!detail.isEmpty())
                text += QStringLiteral("      ") + printableText(detail) + QLatin1Char('\n');
        if (r.status == JobResult::Status::Failed && !r.outputTail.isEmpty()) {
            const QStringList tail = r.outputTail.split(QLatin1Char('\n'));
            for (const QString &tailLine : tail.mid(std::max<qsizetype>(0, tail.size() - 4)))
                text += QStringLiteral("      | ") + printableText(tailLine) + QLatin1Char('\n');
        }
        if ((r.status == JobResult::Status::Failed || r.status == JobResult::Status::Incomplete) &&
            !r.logPath.isEmpty())
            text += tr("      log: %1").arg(printableText(r.logPath)) + QLatin1Char('\n');
    }
    text += tr("%1 jobs: %2 succeeded, %3 failed, %4 not run, %5 stopped.")
                .arg(jobs.size())
                .arg(counted.converted)
                .arg(counted.failed)
                .arg(counted.notRun)
                .arg(counted.stopped);
    // Said only when there are some, so that the line reads as before for everyone else.
    if (const int incomplete = counted.incomplete; incomplete > 0)
        text += QLatin1Char(' ') + QCoreApplication::translate("tavrix-cli",
                                                               "%n incomplete (shorter than the source).",
                                                               nullptr, incomplete);
    text += QLatin1Char('\n');
    write(stdout, text);
}

} // namespace

QStringList collectInputs(const QStringList &inputs, const QString &command, bool &inputProblem)
{
    const QString prefix = QStringLiteral("tavrix-cli ") + command + QStringLiteral(": ");
    QStringList files;
    for (const QString &input : inputs) {
        const QFileInfo info(input);
        if (info.isDir()) {
            const VideoScan found = findVideoFiles(info.absoluteFilePath());
            // Nothing found is left out without a word, and the run then cannot count as a full success.
            for (const QString &name : found.unusable)
                write(stderr, prefix + tr("“%1”: the name is not valid UTF-8, so it cannot be opened; rename "
                                          "it to convert it\n")
                                           .arg(name));
            inputProblem = inputProblem || !found.unusable.isEmpty();
            if (found.files.isEmpty() && found.unusable.isEmpty())
                write(stderr, prefix + tr("no video files in “%1”\n").arg(printableText(input)));
            files += found.files;
        } else if (info.exists()) {
            files << info.absoluteFilePath();
        } else {
            write(stderr, prefix + tr("“%1”: no such file or directory\n").arg(printableText(input)));
            inputProblem = true;
        }
    }
    return files;
}

void addRunOptions(QCommandLineParser &parser, bool hosts)
{
    parser.addOption(
        QCommandLineOption(QStringLiteral("verbose"), tr("Also show the encoder command lines.")));
    parser.addOption(QCommandLineOption(QStringLiteral("notify"),
                                        tr("Show a desktop notification when the run has ended.")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("jobs"),
        hosts ? tr("Convert N files at once, from 1 (one after another) to the number of cores; with "
                   "--hosts, N at once on each host. Default: the stored setting.")
              : tr("Convert N files at once, from 1 (one after another) to the number of cores. Default: "
                   "the stored setting."),
        QStringLiteral("N")));
    if (hosts)
        parser.addOption(QCommandLineOption(
            QStringLiteral("hosts"),
            tr("Spread the files over the hosts listed in FILE, through GNU parallel: one ssh login a line "
               "(\"[N/]user@host\"), \":\" for this machine. Each source is copied to the host that takes "
               "it, converted there with its own ffmpeg, and the result copied back."),
            QStringLiteral("FILE")));
}

std::optional<int> readJobsAtOnce(const QCommandLineParser &parser, const QString &command, bool &ok)
{
    ok = true;
    if (!parser.optionNames().contains(QStringLiteral("jobs")))
        return std::nullopt;
    bool number = false;
    const int value = parser.value(QStringLiteral("jobs")).toInt(&number);
    const bool overHosts = parser.optionNames().contains(QStringLiteral("hosts"));
    const int most = overHosts ? Preferences::MaxSimultaneousJobs : std::max(1, QThread::idealThreadCount());
    if (!number || value < 1 || value > most) {
        write(stderr, QStringLiteral("tavrix-cli ") + command + QStringLiteral(": ") +
                          tr("--jobs takes a number from 1 to %1\n").arg(most));
        ok = false;
        return std::nullopt;
    }
    return value;
}

namespace {

QList<int> stopSignalsFor(bool hangupStops)
{
    QList<int> numbers = StopSignals::defaultSignals();
    if (!hangupStops)
        numbers.removeAll(SIGHUP);
    return numbers;
}

} // namespace

std::optional<int> readHosts(const QCommandLineParser &parser, const QString &command, QString &hosts,
                             QString &parallelProgram)
{
    // The messages name the command they were first written for.
    const auto said = [&command](QString text) {
        return text.replace(QStringLiteral("tavrix-cli encode: "),
                            QStringLiteral("tavrix-cli ") + command + QStringLiteral(": "));
    };
    if (!parser.isSet(QStringLiteral("hosts")))
        return std::nullopt;
    const QFileInfo file(parser.value(QStringLiteral("hosts")));
    if (!file.isFile() || !file.isReadable()) {
        write(stderr, said(tr("tavrix-cli encode: “%1”: the hosts file cannot be read\n")
                               .arg(printableText(parser.value(QStringLiteral("hosts"))))));
        return ExitUsage;
    }
    hosts = file.absoluteFilePath();
    // GNU parallel skips empty lines and comments; with no login left it would convert everything here,
    // which is not what was asked.
    QFile list(hosts);
    bool listsAHost = false;
    if (list.open(QIODevice::ReadOnly))
        while (!listsAHost && !list.atEnd()) {
            const QByteArray line = list.readLine().trimmed();
            listsAHost = !line.isEmpty() && !line.startsWith('#');
        }
    if (!listsAHost) {
        write(stderr, said(tr("tavrix-cli encode: “%1” lists no host\n")
                               .arg(printableText(parser.value(QStringLiteral("hosts"))))));
        return ExitUsage;
    }
    parallelProgram = QStandardPaths::findExecutable(QStringLiteral("parallel"));
    if (parallelProgram.isEmpty()) {
        write(stderr, said(tr("tavrix-cli encode: --hosts needs GNU parallel; install the Debian package "
                              "“parallel” (sudo apt-get install parallel)\n")));
        return ExitFailure;
    }
    return std::nullopt;
}

EncodeRun::EncodeRun(QString command, bool verbose, bool hangupStops)
    : m_command(std::move(command)), m_hangupStops(hangupStops),
      m_stopSignals(stopSignalsFor(hangupStops), nullptr,
                    hangupStops ? QList<int>{SIGTSTP, SIGCONT} : QList<int>{SIGTSTP, SIGCONT, SIGHUP})
{
    // Standard output carries the progress and the summary; the core's diagnostic lines go aside.
    setDiagnosticStream(verbose ? stderr : nullptr);
    if (!verbose) {
        QLoggingCategory::setFilterRules(
            QStringLiteral("default.debug=false\ndefault.info=false\norg.tavrix.Tavrix.Tavrix.info=false\n"
                           "org.tavrix.Tavrix.desktop.info=false"));
    }
    // Ctrl-C, SIGTERM and SIGHUP stop the run as Stop does; a closed output does too.
    if (!m_stopSignals.isWatching()) {
        write(stderr, prefix() + tr("cannot watch for Ctrl-C\n"));
        return;
    }
    ::signal(SIGPIPE, SIG_IGN);
    for (const QString &name : {QStringLiteral("ffmpeg"), QStringLiteral("mediainfo")}) {
        const ToolLocation where = m_session.tools().locateTool(name);
        if (!where.ok()) {
            write(stderr, prefix() + where.error + QLatin1Char('\n'));
            return;
        }
    }
    // What earlier checks found out about this ffmpeg refuses the jobs it cannot encode; nothing is run.
    m_session.encoders()->setVaapiChoice(
        Preferences::readText(Preferences::Key::vaapiDevice).value_or(QString()));
    m_session.encoders()->loadCache(m_session.tools());
    Session *owner = &m_session;
    g_outputClosed = [this, owner] {
        m_outputClosed = true;
        owner->stop();
    };
    // Ctrl-Z (SIGTSTP) pauses the encoder, which runs in a process group of its own that the terminal
    // does not stop, then stops this program once the encoder is held; fg (SIGCONT) resumes both.
    m_suspending.setInterval(10);
    QObject::connect(&m_suspending, &QTimer::timeout, &m_session, [this, owner] {
        if (!owner->encoder()->isHeld())
            return;
        m_suspending.stop();
        ::kill(::getpid(), SIGSTOP);
    });
    QObject::connect(&m_stopSignals, &StopSignals::received, &m_session, [this, owner](int signalNumber) {
        if (signalNumber == SIGTSTP) {
            owner->encoder()->setPaused(true);
            m_suspending.start();
            return;
        }
        if (signalNumber == SIGCONT) {
            m_suspending.stop();
            owner->encoder()->setPaused(false);
            return;
        }
        if (signalNumber == SIGHUP && !m_hangupStops)
            return;
        // The message goes to standard error: standard output may be the closed pipe itself.
        write(stderr, QLatin1Char('\n') + prefix() + tr("stopping…\n"));
        owner->stop();
    });
    m_ready = true;
}

EncodeRun::~EncodeRun()
{
    g_outputClosed = {};
}

QString EncodeRun::prefix() const
{
    return QStringLiteral("tavrix-cli ") + m_command + QStringLiteral(": ");
}

std::optional<int> EncodeRun::interrupted() const
{
    if (m_stopSignals.firstSignal() != 0)
        return StopSignals::exitStatusFor(m_stopSignals.firstSignal());
    return std::nullopt;
}

QList<MediaVideo::Ptr> EncodeRun::import(const QStringList &files, const CliSettings &settings,
                                         bool &inputProblem)
{
    // Probed side by side by the session's workers; the jobs come back in the order of the files.
    const qsizetype before = m_session.jobs()->rowCount();
    m_refused.clear();
    {
        QEventLoop importing;
        QObject::connect(&m_session, &Session::importFinished, &importing,
                         [&](int, const ImportReport &report) {
                             for (const auto &[source, reason] : report.refused)
                                 if (m_printing)
                                     write(stderr, prefix() + printableText(source) + QStringLiteral(": ") +
                                                       printableText(reason) + QLatin1Char('\n'));
                             inputProblem = inputProblem || !report.refused.isEmpty();
                             m_refused = report.refused;
                             importing.quit();
                         });
        m_session.import({files, {}, settings.dest.value_or(QString()), {}, false, newJobSettings(settings)});
        importing.exec();
    }
    const QList<MediaVideo::Ptr> jobs = m_session.jobs()->jobs().mid(before);
    for (const MediaVideo::Ptr &job : jobs) {
        QStringList warnings;
        const QString refusal = applySettings(*job, job->source, settings, warnings);
        if (!refusal.isEmpty())
            m_refusals.insert(job->id, refusal);
        for (const QString &warning : std::as_const(warnings))
            write(stderr, prefix() + printableText(warning) + QLatin1Char('\n'));
    }
    // The settings changed the jobs after they entered the list.
    m_session.jobs()->refreshAll();
    return jobs;
}

int EncodeRun::run(const QList<MediaVideo::Ptr> &jobs, std::optional<Preferences::ExistingOutput> existing,
                   bool inputProblem)
{
    RunStatus &status = *m_session.status();
    BatchEncoder &encoder = *m_session.encoder();
    if (existing)
        m_options.existing = *existing;
    encoder.setLogOpener(JobLogs::standard().opener());
    // Sleep is held off while the run lasts; the desktop hears of its end only when asked to.
    RunDesktop desktop(&encoder, &status);
    desktop.setNotifying(m_notifying);
    ProgressPrinter printer(status, jobs);
    QEventLoop loop;
    if (m_printing) {
        QObject::connect(&status, &RunStatus::changed, &loop, [&] { printer.statusChanged(); });
        QObject::connect(&encoder, &BatchEncoder::jobFinished, &loop,
                         [&](const QUuid &id, const JobResult &result) { printer.jobFinished(id, result); });
    }
    bool allConverted = false;
    QObject::connect(&encoder, &BatchEncoder::runFinished, &loop,
                     [&](const RunTally &counted) { allConverted = counted.allConverted(); });
    QObject::connect(&encoder, &BatchEncoder::runFinished, &loop, &QEventLoop::quit);
    // A reader that went away is noticed at once, not only at the next line written.
    QTimer readerGone;
    QObject::connect(&readerGone, &QTimer::timeout, &loop, [] {
        pollfd out{STDOUT_FILENO, 0, 0};
        if (g_outputClosed && ::poll(&out, 1, 0) == 1 && (out.revents & (POLLERR | POLLHUP))) {
            const std::function<void()> closed = std::exchange(g_outputClosed, {});
            closed();
        }
    });
    readerGone.start(250);

    // A job refused at import is not run, with the reason, rather than run on some other track.
    if (!m_builder)
        m_builder = encoder.commandBuilder();
    if (!m_refusals.isEmpty())
        encoder.setCommandBuilder(
            [inner = *m_builder, refusals = m_refusals](const MediaVideo &job, const ToolRunner &tools,
                                                        const QString &globalParams, CropDetection crop) {
                const QString refusal = refusals.value(job.id);
                return refusal.isEmpty() ? inner(job, tools, globalParams, crop) : CommandLine{{}, refusal};
            });
    // The rows about to run show no result until theirs comes, as in the window.
    for (const MediaVideo::Ptr &job : jobs)
        job->result = JobResult();
    encoder.start(jobs, m_options);
    loop.exec();
    g_outputClosed = {};
    if (!m_outputClosed && m_printing)
        printSummary(jobs);

    if (const std::optional<int> status = interrupted())
        return *status;
    if (m_outputClosed)
        return ExitFailure;
    return allConverted && !inputProblem ? ExitOk : ExitFailure;
}

int encodeCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        tr("Converts the files, and the video files found at any depth in each directory, one after another "
           "or, with --jobs or --hosts, several at once."));
    parser.addHelpOption();
    addSettingsOptions(parser);
    addRunOptions(parser, true);
    parser.addPositionalArgument(QStringLiteral("FILE|DIR"), tr("Video files or directories to convert."),
                                 QStringLiteral("FILE|DIR..."));
    if (!parser.parse(arguments)) {
        write(stderr, QStringLiteral("tavrix-cli encode: ") + parser.errorText() + QLatin1Char('\n'));
        return ExitUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        write(stdout, parser.helpText().replace(QStringLiteral("[options] FILE|DIR..."),
                                                QStringLiteral("encode [options] FILE|DIR...")));
        return ExitOk;
    }
    QString error;
    const std::optional<CliSettings> settings = readSettings(parser, error);
    if (!settings) {
        write(stderr, QStringLiteral("tavrix-cli encode: ") + printableText(error) + QLatin1Char('\n'));
        return ExitUsage;
    }
    if (parser.positionalArguments().isEmpty()) {
        write(stderr, tr("tavrix-cli encode: no file or directory given\n"));
        return ExitUsage;
    }
    bool jobsOk = true;
    const std::optional<int> jobsAtOnce = readJobsAtOnce(parser, QStringLiteral("encode"), jobsOk);
    if (!jobsOk)
        return ExitUsage;
    QString hosts;
    QString parallelProgram;
    if (const std::optional<int> status = readHosts(parser, QStringLiteral("encode"), hosts, parallelProgram))
        return *status;
    EncodeRun run(QStringLiteral("encode"), parser.isSet(QStringLiteral("verbose")));
    run.setNotifying(parser.isSet(QStringLiteral("notify")));
    if (!run.ready())
        return ExitFailure;
    RunOptions &options = run.options();
    if (jobsAtOnce)
        options.simultaneousJobs = *jobsAtOnce;
    else if (!hosts.isEmpty())
        options.simultaneousJobs = 0; // each host takes as many as its file line or its cores say
    if (!hosts.isEmpty()) {
        options.hostsFile = hosts;
        options.parallelProgram = parallelProgram;
    }

    bool inputProblem = false;
    const QStringList files =
        collectInputs(parser.positionalArguments(), QStringLiteral("encode"), inputProblem);
    if (files.isEmpty()) {
        write(stderr, tr("tavrix-cli encode: nothing to convert\n"));
        return ExitFailure;
    }
    const QList<MediaVideo::Ptr> jobs = run.import(files, *settings, inputProblem);
    if (const std::optional<int> status = run.interrupted())
        return *status;
    if (settings->keepLarger)
        run.options().keepLarger = *settings->keepLarger;
    if (settings->skipSameFormat)
        run.options().skipSameFormat = true;
    if (settings->checkQuality)
        run.options().checkQuality = true;
    return run.run(jobs, settings->existing, inputProblem);
}
