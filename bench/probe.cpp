// Probing speed: createMediaVideo on N generated clips against the floor of one mediainfo run plus one
// preview frame per file, measured side by side (and against asking mediainfo one question per run); then
// crop detection into the null muxer against the MP4 encode it replaces, on a 1080p clip; then importing
// 24 files of 720p through the session against the same floor taken one file after another, with the
// longest time the event loop went without answering during the import.
//
//   bench_probe [N] [ROUNDS]    (default 12 files, 5 rounds of importing; N = 0: the import only)
#include "media/MediaProbe.h"
#include "media/Preview.h"
#include "model/Preferences.h"
#include "process/Log.h"
#include "process/ToolRunner.h"
#include "rules/Crop.h"
#include "rules/ShellQuote.h"
#include "session/Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

#include <sys/resource.h>

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

// Processor time used so far by this process (all its threads) and by its children that have ended: on
// a shared machine the part of the wall time that was work and not waiting for a turn.
double cpuMs()
{
    double ms = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        ms += (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
              (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    }
    return ms;
}

// What the user waits for when importing without the session: for each file one after another, the
// duration from mediainfo, then the preview frame from its middle.
struct FloorRound
{
    double totalMs = 0;
    double mediaInfoMs = 0;
    double previewMs = 0;
    double cpuMs = 0;
};

FloorRound serialFloor(const ToolRunner &tools, const QStringList &clips)
{
    FloorRound round;
    QElapsedTimer total, part;
    const double cpuBefore = cpuMs();
    total.start();
    for (const QString &clip : clips) {
        part.start();
        const QString duration = tools.mediaInfoField(clip, "General", "Duration");
        round.mediaInfoMs += part.nsecsElapsed() / 1e6;
        part.start();
        QTemporaryDir frameDir;
        extractPreviewFrame(tools, clip, frameDir.filePath("image.png"),
                            formatDuration(duration.toDouble() * 0.5));
        round.previewMs += part.nsecsElapsed() / 1e6;
    }
    round.totalMs = total.nsecsElapsed() / 1e6;
    round.cpuMs = cpuMs() - cpuBefore;
    return round;
}

// A 10 ms timer on this thread that notes the longest time the event loop went without turning.
class LoopWatch
{
public:
    LoopWatch()
    {
        m_ticker.setTimerType(Qt::PreciseTimer);
        m_ticker.setInterval(10);
        QObject::connect(&m_ticker, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest = std::max(m_longest, now - m_lastTick);
            m_lastTick = now;
        });
    }
    void start()
    {
        m_lastTick = m_longest = 0;
        m_clock.start();
        m_ticker.start();
    }
    // The longest gap in milliseconds, the one that ends now included.
    double stop()
    {
        m_ticker.stop();
        return std::max(m_longest, m_clock.nsecsElapsed() - m_lastTick) / 1e6;
    }

private:
    QTimer m_ticker;
    QElapsedTimer m_clock;
    qint64 m_lastTick = 0, m_longest = 0;
};

// The loop with nothing to do but tick: how long it waits for its turn on this machine, as loaded as it
// is now.
double idleGapMs(int milliseconds)
{
    LoopWatch watch;
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    watch.start();
    loop.exec();
    return watch.stop();
}

struct ImportRound
{
    double totalMs = 0;
    double longestGapMs = 0; // between two turns of the event loop
    double lastProbedMs = 0; // when the last probe ended on its worker
    double cpuMs = 0;
    bool complete = false; // every file entered the list, in order, with its picture and size
};

// One import of `clips` into a fresh session, waited for in the event loop as the window does, while
// the loop is watched.
ImportRound importThroughSession(const QStringList &clips, int width)
{
    Session session;
    ImportRound round;
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&session, &Session::importFinished, &loop, [&] {
        finished = true;
        loop.quit();
    });

    QElapsedTimer clock;
    LoopWatch watch;
    // Set on the workers, once a probe is done and before its job goes to this thread.
    std::atomic<qint64> lastProbed{0};

    ImportRequest request;
    request.files = clips;
    request.adjust = [&clock, &lastProbed](MediaVideo &) {
        const qint64 now = clock.nsecsElapsed();
        qint64 seen = lastProbed.load();
        while (seen < now && !lastProbed.compare_exchange_weak(seen, now)) {
        }
    };
    const double cpuBefore = cpuMs();
    clock.start();
    watch.start();
    session.import(std::move(request));
    if (!finished)
        loop.exec();
    round.totalMs = clock.nsecsElapsed() / 1e6;
    round.longestGapMs = watch.stop();
    round.cpuMs = cpuMs() - cpuBefore;
    round.lastProbedMs = lastProbed.load() / 1e6;
    const QList<MediaVideo::Ptr> &jobs = session.jobs()->jobs();
    round.complete = jobs.size() == clips.size();
    for (qsizetype i = 0; round.complete && i < jobs.size(); ++i)
        round.complete = jobs[i]->source == clips[i] && jobs[i]->hasImage() && jobs[i]->videoWidth == width;
    return round;
}

// Where a probe's time goes: its steps, one file after another, each in wall and processor time.
void probeSteps(const ToolRunner &tools, const QStringList &clips)
{
    enum { MediaInfo, Preview, Picture, Steps };
    double wallMs[Steps] = {}, workMs[Steps] = {};
    QElapsedTimer wall;
    double work = 0;
    const auto begin = [&] {
        work = cpuMs();
        wall.start();
    };
    const auto end = [&](int step) {
        wallMs[step] += wall.nsecsElapsed() / 1e6;
        workMs[step] += cpuMs() - work;
    };
    for (const QString &clip : clips) {
        QTemporaryDir scratch;
        begin();
        const QStringList facts = mediaInfoTexts(tools, clip, probeQueries(), scratch.path());
        end(MediaInfo);
        begin();
        const QString image = scratch.filePath("image.png");
        extractPreviewFrame(tools, clip, image, formatDuration(facts.value(0).toDouble() * 0.5));
        end(Preview);
        begin();
        QFile file(image);
        MediaVideo job(clip, QString());
        if (!file.open(QIODevice::ReadOnly) || !job.setImageData(file.readAll()))
            std::fprintf(stderr, "bench_probe: no preview from %s\n", qPrintable(clip));
        end(Picture);
    }
    const double files = double(clips.size());
    std::printf(
        "probe steps, one file after another, wall / processor ms per file: mediainfo (every question "
        "in one run) %.1f / %.1f, preview frame %.1f / %.1f, decoding and keeping the picture "
        "%.1f / %.1f\n",
        wallMs[MediaInfo] / files, workMs[MediaInfo] / files, wallMs[Preview] / files,
        workMs[Preview] / files, wallMs[Picture] / files, workMs[Picture] / files);
}

// Importing 24 files through the session against the serial floor, `rounds` times each, alternating.
int importSpeed(const ToolRunner &tools, const QString &ffmpeg, const QTemporaryDir &dir, int rounds)
{
    // 720p with a little grain, so that the preview is a PNG of the size a camera frame gives (and is kept
    // as JPEG, as such frames are); three clips of 1, 1.5 and 2 s, copied to make 24 files.
    const int importFiles = 24;
    QStringList originals;
    for (int i = 0; i < 3; ++i) {
        const QString path = dir.filePath(QStringLiteral("grain%1.mp4").arg(i));
        if (!generate(ffmpeg,
                      {"-f", "lavfi", "-i",
                       QStringLiteral("testsrc2=size=1280x720:rate=25:duration=%1,noise=alls=5:allf=t")
                           .arg(1 + 0.5 * i),
                       "-f", "lavfi", "-i", "sine=duration=2", "-c:v", "libx264", "-preset", "ultrafast",
                       "-crf", "26", "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest"},
                      path)) {
            std::fprintf(stderr, "bench_probe: could not generate %s\n", qPrintable(path));
            return 1;
        }
        originals << path;
    }
    QStringList imports;
    for (int i = 0; i < importFiles; ++i) {
        const QString path = dir.filePath(QStringLiteral("import%1.mp4").arg(i, 2, 10, QLatin1Char('0')));
        if (!QFile::copy(originals[i % originals.size()], path)) {
            std::fprintf(stderr, "bench_probe: could not copy to %s\n", qPrintable(path));
            return 1;
        }
        imports << path;
    }

    // Alternating which goes first, so that neither side always follows the other's leftovers.
    std::vector<double> sessionMs, floorRoundMs, floorMediaInfoMs, floorPreviewMs, gapMs, idleMs,
        lastProbedMs, ratios, sessionCpuMs, floorCpuMs, sessionCores, floorCores;
    for (int round = 0; round < rounds; ++round) {
        FloorRound floor;
        ImportRound imported;
        if (round % 2 == 0) {
            floor = serialFloor(tools, imports);
            imported = importThroughSession(imports, 1280);
        } else {
            imported = importThroughSession(imports, 1280);
            floor = serialFloor(tools, imports);
        }
        if (!imported.complete) {
            std::fprintf(stderr, "bench_probe: the session did not import every file whole and in order\n");
            return 1;
        }
        idleMs.push_back(idleGapMs(2000));
        sessionMs.push_back(imported.totalMs);
        sessionCpuMs.push_back(imported.cpuMs);
        floorCpuMs.push_back(floor.cpuMs);
        sessionCores.push_back(imported.cpuMs / imported.totalMs);
        floorCores.push_back(floor.cpuMs / floor.totalMs);
        gapMs.push_back(imported.longestGapMs);
        lastProbedMs.push_back(imported.lastProbedMs);
        floorRoundMs.push_back(floor.totalMs);
        floorMediaInfoMs.push_back(floor.mediaInfoMs);
        floorPreviewMs.push_back(floor.previewMs);
        ratios.push_back(imported.totalMs / floor.totalMs);
    }
    const double perFile = 1.0 / importFiles;
    std::printf("import of %d files of 1280x720 through the session (%d workers), median of %d rounds: "
                "%.0f ms (%.1f ms/file; last probe done at %.0f ms), serial floor %.0f ms (%.1f ms/file: "
                "mediainfo %.1f, preview frame %.1f), ratio %.2f (rounds %.2f to %.2f; goal 0.65 at most)\n",
                importFiles, Workers::poolSize(), rounds, median(sessionMs), median(sessionMs) * perFile,
                median(lastProbedMs), median(floorRoundMs), median(floorRoundMs) * perFile,
                median(floorMediaInfoMs) * perFile, median(floorPreviewMs) * perFile,
                median(sessionMs) / median(floorRoundMs), *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()));
    probeSteps(tools, imports);
    // On a shared machine the ratio can only be as good as the share of processor the machine gives: the
    // processor time over the wall time says how many cores each side had.
    std::printf("processor time (this process and its tools): session %.1f ms/file (%.2f cores busy), serial "
                "floor %.1f ms/file (%.2f cores busy)\n",
                median(sessionCpuMs) * perFile, median(sessionCores), median(floorCpuMs) * perFile,
                median(floorCores));
    std::printf("each round, ratio (cores busy, session / floor):");
    for (std::size_t i = 0; i < ratios.size(); ++i)
        std::printf(" %.2f (%.2f / %.2f)", ratios[i], sessionCores[i], floorCores[i]);
    std::printf("\n");
    std::printf("event loop during the import: longest gap between 10 ms ticks %.1f ms (median of rounds), "
                "%.1f ms (worst round); goal under 50 ms. Idle loop for 2 s after each round: %.1f ms "
                "(median), %.1f ms (worst)\n",
                median(gapMs), *std::max_element(gapMs.begin(), gapMs.end()), median(idleMs),
                *std::max_element(idleMs.begin(), idleMs.end()));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? std::max(0, std::atoi(argv[1])) : 12;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
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
    if (n == 0)
        return importSpeed(tools, ffmpeg, dir, rounds);
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
            const auto job = createMediaVideo(clip, clip + ".out.mp4", tools, Preferences::jobSettings());
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

    return importSpeed(tools, ffmpeg, dir, rounds);
}
