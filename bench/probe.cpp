// Probing speed: createMediaVideo on N generated clips against the floor of one mediainfo run plus one
// preview frame per file, measured side by side (and against asking mediainfo one question per run); then
// crop detection into the null muxer against the MP4 encode it replaces, on a 1080p clip.
//
//   bench_probe [N]    (default 12)
#include "model/Preferences.h"
#include "tools/Crop.h"
#include "tools/Log.h"
#include "tools/MediaProbe.h"
#include "tools/ShellQuote.h"
#include "tools/ToolRunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

bool generate(const QString &ffmpeg, const QStringList &args, const QString &path)
{
    QProcess p;
    p.start(ffmpeg, QStringList{"-hide_banner", "-loglevel", "error", "-nostdin", "-y"} << args << path);
    return p.waitForFinished(-1) && p.exitCode() == 0;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? std::max(1, std::atoi(argv[1])) : 12;
    setDiagnosticStream(nullptr);

    // A private, empty store: the defaults of a fresh installation, no border detection.
    QTemporaryDir store;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, store.path());
    Preferences::clear();

    const ToolRunner tools;
    const QString ffmpeg = tools.locateTool("ffmpeg").path;
    if (ffmpeg.isEmpty() || !tools.locateTool("mediainfo").ok()) {
        std::fprintf(stderr, "bench_probe: ffmpeg or mediainfo missing in %s\n",
                     qPrintable(tools.resourceDir()));
        return 1;
    }

    QTemporaryDir dir;
    QStringList clips;
    for (int i = 0; i < n; ++i) {
        const QString path = dir.filePath(QStringLiteral("clip%1.mp4").arg(i));
        if (!generate(ffmpeg,
                      {"-f", "lavfi", "-i",
                       QStringLiteral("testsrc=size=320x240:rate=25:duration=%1").arg(2 + i % 3), "-f",
                       "lavfi", "-i", "sine=duration=4", "-c:v", "libx264", "-preset", "ultrafast", "-c:a",
                       "aac", "-shortest"},
                      path)) {
            std::fprintf(stderr, "bench_probe: could not generate %s\n", qPrintable(path));
            return 1;
        }
        clips << path;
    }

    // Interleaved, so that both sides see the same machine load.
    double probeMs = 0, floorMs = 0, separateMs = 0;
    QElapsedTimer t;
    for (int round = 0; round < 2; ++round) {
        for (const QString &clip : std::as_const(clips)) {
            t.start();
            const auto job = createMediaVideo(clip, clip + ".out.mp4", tools);
            probeMs += t.nsecsElapsed() / 1e6;
            if (!job->hasImage() || job->videoWidth != 320) {
                std::fprintf(stderr, "bench_probe: probe of %s failed\n", qPrintable(clip));
                return 1;
            }

            t.start();
            const QString duration = tools.mediaInfoField(clip, "General", "Duration");
            QTemporaryDir frameDir;
            extractPreviewFrame(tools, clip, frameDir.filePath("image.png"), "00:00:01");
            floorMs += t.nsecsElapsed() / 1e6;

            // The same questions asked one run each, as a probe did before it asked them all at once.
            t.start();
            for (const MediaInfoQuery &q : probeQueries())
                tools.mediaInfoText(clip, q.section, q.templ);
            QTemporaryDir separateDir;
            extractPreviewFrame(tools, clip, separateDir.filePath("image.png"), "00:00:01");
            separateMs += t.nsecsElapsed() / 1e6;
        }
    }
    const int files = 2 * n;
    std::printf(
        "probe: %d files, createMediaVideo %.1f ms/file, floor (1 mediainfo + 1 preview frame) %.1f ms/file, "
        "ratio %.2f\n",
        files, probeMs / files, floorMs / files, probeMs / floorMs);
    std::printf(
        "probe with one mediainfo run per question (%d runs + 1 preview frame): %.1f ms/file, ratio %.2f\n",
        int(probeQueries().size()), separateMs / files, separateMs / floorMs);

    // Crop detection: three seconds of 1080p into the null muxer against an MP4 encode to /dev/null.
    const QString hd = dir.filePath("letterboxed-1080p.mp4");
    if (!generate(ffmpeg,
                  {"-f", "lavfi", "-i", "color=black:size=1920x1080:rate=25:duration=8", "-f", "lavfi", "-i",
                   "testsrc=size=1920x816:rate=25:duration=8", "-filter_complex", "[0][1]overlay=0:132",
                   "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"},
                  hd)) {
        std::fprintf(stderr, "bench_probe: could not generate %s\n", qPrintable(hd));
        return 1;
    }
    const QString oldCommand = shellQuote(ffmpeg) + " -hide_banner -ss 00:00:04 -y -i " + shellQuote(hd) +
                               " -t 3 -vf cropdetect=24:16:0 -an -f mp4 /dev/null";
    std::vector<double> nullMs, mp4Ms;
    QString nullCrop, mp4Crop;
    for (int round = 0; round < 3; ++round) {
        t.start();
        nullCrop = detectCrop(tools, hd, "00:00:04");
        nullMs.push_back(t.nsecsElapsed() / 1e6);

        QString out;
        t.start();
        tools.runFfmpegShell(oldCommand, [&](const QString &line) { out += line + QLatin1Char('\n'); });
        mp4Ms.push_back(t.nsecsElapsed() / 1e6);
        mp4Crop = cropReportIn(out);
    }
    std::printf("crop detection, 3 s of 1080p: null muxer %.0f ms (%s), mp4 to /dev/null %.0f ms (%s), "
                "speed-up %.1fx\n",
                median(nullMs), qPrintable(nullCrop), median(mp4Ms), qPrintable(mp4Crop),
                median(mp4Ms) / median(nullMs));
    return 0;
}
