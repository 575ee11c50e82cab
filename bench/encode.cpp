// Encodes N generated clips through the batch encoder and the same command lines through one bash loop,
// alternating which goes first in each round, and prints the ratio of the total times (goal: <= 1.03).
//   bench_encode [CLIPS [SECONDS [ROUNDS]]]
#include "encoding/BatchEncoder.h"
#include "encoding/RunStatus.h"
#include "tools/CommandLine.h"
#include "tools/Log.h"
#include "tools/MediaProbe.h"
#include "tools/OutputName.h"
#include "tools/ShellQuote.h"
#include "tools/ToolRunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

#include <sys/resource.h>

namespace {

// CPU seconds used so far by this process and by its waited-for children.
double cpuSeconds()
{
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    rusage self{};
    rusage children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    return seconds(self.ru_utime) + seconds(self.ru_stime) + seconds(children.ru_utime) +
           seconds(children.ru_stime);
}

struct Timing
{
    double wall = 0;
    double cpu = 0;
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

Timing timeEncoder(const ToolRunner &tools, const QList<MediaVideo::Ptr> &jobs, const QStringList &commands,
                   int *succeeded)
{
    const double cpu = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    RunStatus status;
    BatchEncoder encoder(&status, tools);
    // Each round replaces the outputs of the one before, as the bash loop's -y does.
    encoder.setExistingOutput(Preferences::ExistingOutput::Overwrite);
    // The encoder hands the builder a copy of the job that writes into its temporary file.
    encoder.setCommandBuilder([&jobs, &commands](const MediaVideo &job, const ToolRunner &, CropDetection) {
        for (int i = 0; i < jobs.size(); ++i) {
            if (jobs[i]->id == job.id)
                return CommandLine{commands[i].chopped(shellQuote(jobs[i]->destination).size()) +
                                       shellQuote(job.destination),
                                   {}};
        }
        return CommandLine{{}, QStringLiteral("unknown job")};
    });
    QEventLoop loop;
    QObject::connect(&encoder, &BatchEncoder::runFinished, &loop, &QEventLoop::quit);
    *succeeded = 0;
    QObject::connect(&encoder, &BatchEncoder::jobFinished, &loop,
                     [succeeded](const QUuid &, const JobResult &r) {
                         *succeeded += r.status == JobResult::Status::Succeeded;
                     });
    encoder.start(jobs);
    loop.exec();
    return {clock.nsecsElapsed() / 1e9, cpuSeconds() - cpu};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
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
            createMediaVideo(source, importDestination(source, dir.filePath(QStringLiteral("out"))), tools);
        job->videoEncoder = VideoEncoders::libx264;
        job->videoPreset = VideoPresets::veryfast;
        const CommandLine command = commandLine(*job, tools, CropDetection::Run);
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
        std::printf(
            "round %d: bash loop %.3f s (cpu %.3f s), batch encoder %.3f s (cpu %.3f s), ratio %.4f\n",
            round + 1, bash.wall, bash.cpu, encoder.wall, encoder.cpu, encoder.wall / bash.wall);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("total: bash loop %.3f s, batch encoder %.3f s: wall ratio %.4f (median of rounds %.4f), "
                "cpu ratio %.4f (goal <= 1.03)\n",
                bashTotal.wall, encoderTotal.wall, encoderTotal.wall / bashTotal.wall,
                ratios[ratios.size() / 2], encoderTotal.cpu / bashTotal.cpu);
    return 0;
}
