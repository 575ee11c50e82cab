// Encodes N generated clips through the batch encoder and the same command lines through one bash loop,
// alternating which goes first in each round, and prints the ratio of the total times (goal: <= 1.03).
//   bench_encode [CLIPS [SECONDS [ROUNDS]]]
// With "jobs", runs 12 clips of 2 s at 320x240 one after another, two at once, and through GNU parallel
// on two stand-in hosts (an ssh that runs the command here), and prints the ratios to the serial run
// (goal for two at once on two cores: <= 0.75).
//   bench_encode jobs [ROUNDS]
#include "encoding/BatchEncoder.h"
#include "encoding/ReadBack.h"
#include "encoding/RunStatus.h"
#include "media/JobCommand.h"
#include "media/MediaProbe.h"
#include "model/Preferences.h"
#include "process/Log.h"
#include "process/ToolRunner.h"
#include "rules/CommandLine.h"
#include "rules/OutputName.h"
#include "rules/ShellQuote.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>

#include <sys/resource.h>

namespace {

// CPU seconds used so far by this process (`who` RUSAGE_SELF) or by its waited-for children.
double cpuSeconds(int who)
{
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    rusage usage{};
    getrusage(who, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double cpuSeconds()
{
    return cpuSeconds(RUSAGE_SELF) + cpuSeconds(RUSAGE_CHILDREN);
}

struct Timing
{
    double wall = 0;
    double cpu = 0;
    double own = 0; // the part of `cpu` spent in this process, not in the tools it ran
};

bool generate(const ToolRunner &tools, const QString &path, int seconds, int index)
{
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    const QString length = QString::number(seconds);
    ffmpeg.start(tools.locateTool(QStringLiteral("ffmpeg")).path,
                 {"-hide_banner",
                  "-loglevel",
                  "error",
                  "-nostdin",
                  "-y",
                  "-f",
                  "lavfi",
                  "-i",
                  QStringLiteral("testsrc2=size=640x360:rate=25:duration=%1").arg(length),
                  "-f",
                  "lavfi",
                  "-i",
                  QStringLiteral("sine=frequency=%1:duration=%2").arg(300 + 100 * index).arg(length),
                  "-c:v",
                  "libx264",
                  "-preset",
                  "ultrafast",
                  "-pix_fmt",
                  "yuv420p",
                  "-c:a",
                  "aac",
                  "-shortest",
                  path});
    return ffmpeg.waitForFinished(-1) && ffmpeg.exitCode() == 0;
}

Timing timeBashLoop(const QStringList &commands)
{
    const double cpu = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    QProcess bash;
    bash.setProcessChannelMode(QProcess::MergedChannels);
    bash.start(QStringLiteral("/bin/bash"), {QStringLiteral("-c"), commands.join(QLatin1Char('\n'))});
    bash.closeWriteChannel();
    while (bash.state() != QProcess::NotRunning) {
        bash.waitForReadyRead(-1);
        bash.readAll();
    }
    bash.waitForFinished(-1);
    return {clock.nsecsElapsed() / 1e9, cpuSeconds() - cpu};
}

// Runs `jobs` and returns how many succeeded.
int runToEnd(BatchEncoder &encoder, const QList<MediaVideo::Ptr> &jobs, const RunOptions &options)
{
    int succeeded = 0;
    QEventLoop loop;
    QObject::connect(&encoder, &BatchEncoder::runFinished, &loop, &QEventLoop::quit);
    QObject::connect(&encoder, &BatchEncoder::jobFinished, &loop,
                     [&succeeded](const QUuid &, const JobResult &r) {
                         succeeded += r.status == JobResult::Status::Succeeded;
                     });
    encoder.start(jobs, options);
    loop.exec();
    return succeeded;
}

Timing timeEncoder(const ToolRunner &tools, const QList<MediaVideo::Ptr> &jobs, const QStringList &commands,
                   int *succeeded)
{
    const double cpu = cpuSeconds();
    const double own = cpuSeconds(RUSAGE_SELF);
    QElapsedTimer clock;
    clock.start();
    BatchEncoder encoder(tools);
    // The encoder hands the builder a copy of the job that writes into its temporary file.
    encoder.setCommandBuilder(
        [&jobs, &commands](const MediaVideo &job, const ToolRunner &, const QString &, CropDetection) {
            for (int i = 0; i < jobs.size(); ++i) {
                if (jobs[i]->id == job.id)
                    return CommandLine{commands[i].chopped(shellQuote(jobs[i]->destination).size()) +
                                           shellQuote(job.destination),
                                       {}};
            }
            return CommandLine{{}, QStringLiteral("unknown job")};
        });
    // Each round replaces the outputs of the one before, as the bash loop's -y does.
    RunOptions options;
    options.existing = Preferences::ExistingOutput::Overwrite;
    *succeeded = runToEnd(encoder, jobs, options);
    // The read-back helper outlives the run: ended here, its time counts among the children's.
    endReadBackHelper();
    return {clock.nsecsElapsed() / 1e9, cpuSeconds() - cpu, cpuSeconds(RUSAGE_SELF) - own};
}

// Runs the jobs through the encoder `jobsAtOnce` at a time, or over the hosts of `hostsFile`.
double timeRun(const ToolRunner &tools, const QList<MediaVideo::Ptr> &jobs, int jobsAtOnce,
               const QString &hostsFile, int *succeeded)
{
    QElapsedTimer clock;
    clock.start();
    BatchEncoder encoder(tools);
    RunOptions options;
    options.existing = Preferences::ExistingOutput::Overwrite;
    options.simultaneousJobs = jobsAtOnce;
    options.hostsFile = hostsFile;
    *succeeded = runToEnd(encoder, jobs, options);
    return clock.nsecsElapsed() / 1e9;
}

int benchJobs(int rounds)
{
    const ToolRunner tools;
    QTemporaryDir dir;
    const int clips = 12;
    QList<MediaVideo::Ptr> jobs;
    QDir().mkpath(dir.filePath(QStringLiteral("out")));
    for (int i = 0; i < clips; ++i) {
        const QString source = dir.filePath(QStringLiteral("clip%1.mov").arg(i));
        QProcess ffmpeg;
        ffmpeg.start(tools.locateTool(QStringLiteral("ffmpeg")).path,
                     {"-loglevel", "error",
                      "-nostdin",  "-y",
                      "-f",        "lavfi",
                      "-i",        "testsrc2=size=320x240:rate=25:duration=2",
                      "-f",        "lavfi",
                      "-i",        QStringLiteral("sine=frequency=%1:duration=2").arg(300 + 50 * i),
                      "-c:v",      "libx264",
                      "-preset",   "ultrafast",
                      "-pix_fmt",  "yuv420p",
                      "-c:a",      "aac",
                      "-shortest", source});
        if (!ffmpeg.waitForFinished(-1) || ffmpeg.exitCode() != 0) {
            std::fprintf(stderr, "bench_encode: could not generate %s\n", qPrintable(source));
            return 1;
        }
        const MediaVideo::Ptr job =
            createMediaVideo(source, importDestination(source, dir.filePath(QStringLiteral("out"))), tools,
                             Preferences::jobSettings());
        job->videoEncoder = VideoEncoders::libx264;
        job->videoPreset = VideoPresets::veryfast;
        jobs << job;
    }

    // Two stand-in hosts: the ssh GNU parallel calls runs the command here, in a folder per host.
    const QString hostsFile = dir.filePath(QStringLiteral("hosts"));
    const QString ssh = dir.filePath(QStringLiteral("ssh"));
    QFile hosts(hostsFile);
    QFile script(ssh);
    const bool written =
        hosts.open(QIODevice::WriteOnly) && hosts.write("1/hostA\n1/hostB\n") > 0 &&
        script.open(QIODevice::WriteOnly) &&
        script.write(
            "#!/bin/bash\n"
            "while [ $# -gt 0 ]; do case \"$1\" in -l|-p|-o) shift 2;; -*) shift;; *) break;; esac; done\n"
            "host=$1; shift; [ \"$1\" = -- ] && shift\n"
            "mkdir -p \"$BENCH_REMOTE/$host\" && cd \"$BENCH_REMOTE/$host\" && "
            "HOME=\"$BENCH_REMOTE/$host\" exec setsid -w bash -c \"$*\"\n") > 0;
    hosts.close();
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);
    const bool withHosts = written && !QStandardPaths::findExecutable(QStringLiteral("parallel")).isEmpty() &&
                           !QStandardPaths::findExecutable(QStringLiteral("rsync")).isEmpty();
    qputenv("PARALLEL_SSH", ssh.toUtf8());
    qputenv("BENCH_REMOTE", dir.filePath(QStringLiteral("remote")).toUtf8());

    std::printf("%d clips of 2 s (320x240, libx264 veryfast), %d rounds, %d cores\n", clips, rounds,
                QThread::idealThreadCount());
    double serial = 0, twoAtOnce = 0, onHosts = 0;
    for (int round = 0; round < rounds; ++round) {
        // The order turns each round, so that a warm cache favours none.
        const QList<int> order = round % 2 ? QList<int>{2, 1, 0} : QList<int>{0, 1, 2};
        double times[3] = {};
        for (const int kind : order) {
            if (kind == 2 && !withHosts)
                continue;
            int succeeded = 0;
            times[kind] =
                timeRun(tools, jobs, kind == 1 ? 2 : 1, kind == 2 ? hostsFile : QString(), &succeeded);
            if (succeeded != clips) {
                std::fprintf(stderr, "bench_encode: only %d of %d jobs succeeded\n", succeeded, clips);
                return 1;
            }
        }
        serial += times[0];
        twoAtOnce += times[1];
        onHosts += times[2];
        std::printf("round %d: --jobs 1 %.3f s, --jobs 2 %.3f s, --hosts (2 stand-ins) %.3f s\n", round + 1,
                    times[0], times[1], times[2]);
    }
    std::printf("--jobs 2 / --jobs 1: %.4f (goal <= 0.75)\n", twoAtOnce / serial);
    if (withHosts)
        std::printf("--hosts / --jobs 1: %.4f (the cost of the transfers and of GNU parallel)\n",
                    onHosts / serial);
    else
        std::printf("--hosts: skipped, GNU parallel or rsync is not installed\n");
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == QStringLiteral("jobs")) {
        setDiagnosticStream(nullptr);
        QLoggingCategory::setFilterRules(
            QStringLiteral("default.info=false\norg.tavrix.Tavrix.Tavrix.info=false"));
        return benchJobs(args.size() > 2 ? args[2].toInt() : 2);
    }
    const int clips = args.size() > 1 ? args[1].toInt() : 4;
    const int seconds = args.size() > 2 ? args[2].toInt() : 12;
    const int rounds = args.size() > 3 ? args[3].toInt() : 6;

    setDiagnosticStream(nullptr);
    QLoggingCategory::setFilterRules(
        QStringLiteral("default.info=false\norg.tavrix.Tavrix.Tavrix.info=false"));
    const ToolRunner tools;
    QTemporaryDir dir;
    QList<MediaVideo::Ptr> jobs;
    QStringList commands;
    QDir().mkpath(dir.filePath(QStringLiteral("out")));
    for (int i = 0; i < clips; ++i) {
        const QString source = dir.filePath(QStringLiteral("clip%1.mov").arg(i));
        if (!generate(tools, source, seconds, i)) {
            std::fprintf(stderr, "bench_encode: could not generate %s\n", qPrintable(source));
            return 1;
        }
        const MediaVideo::Ptr job =
            createMediaVideo(source, importDestination(source, dir.filePath(QStringLiteral("out"))), tools,
                             Preferences::jobSettings());
        job->videoEncoder = VideoEncoders::libx264;
        job->videoPreset = VideoPresets::veryfast;
        const CommandLine command = commandLine(*job, tools, QString(), CropDetection::Run);
        if (!command.ok()) {
            std::fprintf(stderr, "bench_encode: %s\n", qPrintable(command.error));
            return 1;
        }
        jobs << job;
        commands << command.text;
    }

    QList<double> ratios;
    Timing bashTotal;
    Timing encoderTotal;
    std::printf("%d clips of %d s (640x360, libx264 veryfast), %d rounds\n", clips, seconds, rounds);
    for (int round = 0; round < rounds; ++round) {
        int succeeded = 0;
        Timing bash;
        Timing encoder;
        if (round % 2 == 0) {
            bash = timeBashLoop(commands);
            encoder = timeEncoder(tools, jobs, commands, &succeeded);
        } else {
            encoder = timeEncoder(tools, jobs, commands, &succeeded);
            bash = timeBashLoop(commands);
        }
        if (succeeded != clips) {
            std::fprintf(stderr, "bench_encode: only %d of %d jobs succeeded\n", succeeded, clips);
            return 1;
        }
        ratios << encoder.wall / bash.wall;
        bashTotal.wall += bash.wall;
        bashTotal.cpu += bash.cpu;
        encoderTotal.wall += encoder.wall;
        encoderTotal.cpu += encoder.cpu;
        encoderTotal.own += encoder.own;
        std::printf(
            "round %d: bash loop %.3f s (cpu %.3f s), batch encoder %.3f s (cpu %.3f s), ratio %.4f\n",
            round + 1, bash.wall, bash.cpu, encoder.wall, encoder.cpu, encoder.wall / bash.wall);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("total: bash loop %.3f s, batch encoder %.3f s: wall ratio %.4f (median of rounds %.4f), "
                "cpu ratio %.4f (goal <= 1.03)\n",
                bashTotal.wall, encoderTotal.wall, encoderTotal.wall / bashTotal.wall,
                ratios[ratios.size() / 2], encoderTotal.cpu / bashTotal.cpu);
    // What the encoder adds to each job beyond ffmpeg's own work, as the bash loop measures it.
    const double jobsRun = double(rounds) * clips;
    std::printf("per job beyond the bash loop: wall %.1f ms, cpu %.1f ms (goal < 10 ms), of which %.1f ms "
                "in the encoder's own process and the rest in the tools it runs (read-back, frame count)\n",
                (encoderTotal.wall - bashTotal.wall) / jobsRun * 1000,
                (encoderTotal.cpu - bashTotal.cpu) / jobsRun * 1000, encoderTotal.own / jobsRun * 1000);
    return 0;
}
