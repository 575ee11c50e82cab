// The quality target's search against the encode it prepares: for a few generated clips of different
// kinds (a still picture, grain, fast motion), the search's time beside the whole clip's encode at the
// value it chose, and how close the whole output came to the target (and to the predicted size).
//
//   bench_quality [SECONDS] [WxH] [TARGET]    (default 120 s of 1920x1080, SSIM 0.985; x264 medium)
#include "encoding/QualityCheck.h"
#include "encoding/QualitySearch.h"
#include "media/JobCommand.h"
#include "media/MediaProbe.h"
#include "model/Preferences.h"
#include "process/ToolProcess.h"
#include "process/ToolRunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

bool generate(const QStringList &args, const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("ffmpeg"),
            QStringList{"-hide_banner", "-loglevel", "error", "-nostdin", "-y"} << args << path);
    return p.waitForFinished(-1) && p.exitCode() == 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const double seconds = args.value(1, "120").toDouble();
    const QString size = args.value(2, "1920x1080");
    const int target = int(args.value(3, "0.985").toDouble() * 10000 + 0.5);
    QTemporaryDir dir;
    ToolRunner tools;
    const QString length = QString::number(seconds);
    const QList<std::pair<const char *, QString>> kinds{
        {"still", "testsrc2=s=" + size + ":r=25:d=" + length + ",trim=end_frame=1,loop=-1:1,setpts=N/25/TB," +
                      "trim=duration=" + length},
        {"grain", "smptehdbars=s=" + size + ":r=25:d=" + length + ",noise=alls=18:allf=t+u"},
        {"motion", "mandelbrot=s=" + size + ":r=25,trim=duration=" + length},
    };
    std::printf("%-7s %9s %4s %9s %10s %8s %11s %7s %7s %8s\n", "clip", "search s", "CRF", "tried",
                "encode s", "ratio", "predicted", "size", "target", "reached");
    for (const auto &[name, source] : kinds) {
        const QString clip = dir.filePath(QString::fromLatin1(name) + ".mkv");
        // A nearly lossless source, so that the scores measure the encode under test.
        if (!generate({"-f", "lavfi", "-i", source, "-c:v", "libx264", "-preset", "ultrafast", "-qp", "4"},
                      clip)) {
            std::fprintf(stderr, "could not generate %s\n", name);
            return 1;
        }
        JobSettings settings;
        settings.container = 1;
        settings.videoEncoder = VideoEncoders::libx264;
        settings.videoRate = VideoRate::Target;
        settings.qualityTarget = target;
        settings.deInterlace = false;
        MediaVideo::Ptr job =
            createMediaVideo(clip, dir.filePath(QString::fromLatin1(name) + "-out.mkv"), tools, settings);
        job->destination = dir.filePath(QString::fromLatin1(name) + "-out.mkv");
        QElapsedTimer timer;
        timer.start();
        const QualitySearchOutcome found =
            searchQuality(*job, {tools, nullptr, dir.filePath("cache"), false});
        const double searchSeconds = timer.elapsed() / 1000.0;
        if (!found.choice.isValid()) {
            std::fprintf(stderr, "%s: %s\n", name, qPrintable(found.error));
            return 1;
        }
        MediaVideo whole = *job;
        whole.videoRate = VideoRate::Quality;
        whole.videoQuality = found.choice.crf;
        const CommandLine command = commandLine(whole, tools, {}, CropDetection::Run);
        timer.restart();
        ToolProcess encode(QStringLiteral("ffmpeg"), QStringLiteral("/bin/bash"), {"-c", command.text});
        encode.setChannels(ToolProcess::Channels::ErrorOnly);
        const ToolOutcome ended = encode.run();
        const double encodeSeconds = timer.elapsed() / 1000.0;
        if (!ended.finished() || ended.exitCode != 0) {
            std::fprintf(stderr, "%s: the encode failed\n", name);
            return 1;
        }
        const QualityReport report = checkQuality(tools, clip, job->destination, command, seconds, nullptr);
        const qint64 bytes = QFileInfo(job->destination).size();
        std::printf("%-7s %9.1f %4d %9d %10.1f %8.3f %9.1f MB %4.1f MB %7.4f %8.4f\n", name, searchSeconds,
                    found.choice.crf, found.choice.candidates, encodeSeconds, searchSeconds / encodeSeconds,
                    found.choice.predictedBytes / 1e6, bytes / 1e6, target / 10000.0,
                    report.ssim.value_or(0));
        std::fflush(stdout);
    }
    return 0;
}
