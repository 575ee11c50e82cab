#include "encoding/HostsRun.h"

#include "process/LineSplitter.h"
#include "process/Log.h"
#include "rules/EncoderOutput.h"
#include "rules/ShellQuote.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>

namespace {

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

} // namespace

// The whole run goes to GNU parallel at once; the output of each job comes back into its folder.
void HostsRun::run(QList<PreparedJob> prepared) const
{
    if (prepared.isEmpty())
        return;
    const std::atomic_bool &stopRequested = *stopFlag;
    const QTemporaryDir work;
    if (!work.isValid()) {
        for (PreparedJob &p : prepared)
            fail(p, {ResultReason::Kind::NoTemporaryFolder, {work.errorString()}}, JobResult::Status::Failed);
        return;
    }

    // Four NUL-ended fields per job, so that any name passes: the file to send (the part after "/./"
    // is its name over there), the file to bring back, the external subtitle to send (the source
    // again when there is none) and the command. The command runs in a folder of its own on the host;
    // on this machine (":") nothing is sent and it works on the files in place.
    const QString ffmpeg = shellQuote(tools.locateTool(QStringLiteral("ffmpeg")).path);
    // GNU parallel cuts a returned path at a line break, so the output comes back through a link
    // with a plain name to the job's folder.
    const auto returnPath = [&work](const PreparedJob &p) {
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
        PreparedJob &p = prepared[i];
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
                fail(p, {ResultReason::Kind::SubtitleNamedAsSource}, JobResult::Status::Failed);
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
        for (PreparedJob &p : prepared)
            fail(p, {ResultReason::Kind::JobListNotWritten, {inputFile.errorString()}},
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
    started(&parallel);
    const ToolOutcome finished = parallel.run();
    this->ended(&parallel);
    if (finished.kind == ToolOutcome::Kind::Stopped || finished.kind == ToolOutcome::Kind::Crashed) {
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
        PreparedJob &p = prepared[i];
        const QStringList entry = log.value(i + 1);
        if (entry.isEmpty()) {
            if (stopRequested || finished.kind == ToolOutcome::Kind::Stopped)
                fail(p, stoppedReason(), JobResult::Status::Stopped);
            else if (!finished.finished())
                fail(p, {ResultReason::Kind::ParallelCouldNotRun, {finished.reason()}},
                     JobResult::Status::Failed);
            else if (const QString login = sshLoginComplaint(said.lines()); !login.isEmpty())
                fail(p, {ResultReason::Kind::HostsFileUnreadable, {hostsFile, login}},
                     JobResult::Status::Failed);
            else
                fail(p, {ResultReason::Kind::ParallelDidNotRun, {failureLine(said.lines())}},
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
                             : QCoreApplication::translate("BatchEncoder", "On %1:").arg(p.host) +
                                   QStringLiteral(" $ ") + commandsThere.value(i));
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
            fail(p, {ResultReason::Kind::NoFfmpegOnHost, {p.host}}, JobResult::Status::Failed);
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
            fail(p, {ResultReason::Kind::HostUnreachable, {p.host, unreachable}}, JobResult::Status::Failed);
            continue;
        }
        p.findOutput();
        if (outcome.kind == ProcessOutcome::Kind::Exited && outcome.exitCode == 0 &&
            p.temporary->path.isEmpty()) {
            const QString said = failureLine(outcome.tail.lines());
            fail(p,
                 said.isEmpty() ? ResultReason(ResultReason::Kind::NotBack, {p.host})
                                : ResultReason(ResultReason::Kind::NotBackSaying, {p.host, said}),
                 JobResult::Status::Failed);
            continue;
        }
        conclude(p, outcome);
    }
}
