// From a file on disk to a job: stored defaults, the real mediainfo and ffmpeg on clips generated here,
// files that give no media at all, and tools that fail.
#include "TestSupport.h"

#include "model/MediaVideo.h"
#include "model/Preferences.h"
#include "tools/CommandLine.h"
#include "tools/Log.h"
#include "tools/MediaProbe.h"
#include "tools/ToolRunner.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

using namespace std::chrono_literals;
namespace Key = Preferences::Key;
using TestSupport::ResourceDir;

namespace {

// Whether `text` starts with the first '*'-separated piece of `pattern` and holds the others in order.
bool matches(const QString &pattern, const QString &text)
{
    const QStringList pieces = pattern.split(QLatin1Char('*'));
    if (!text.startsWith(pieces.first()))
        return false;
    qsizetype at = pieces.first().size();
    for (const QString &piece : pieces.mid(1)) {
        at = text.indexOf(piece, at);
        if (at < 0)
            return false;
        at += piece.size();
    }
    return true;
}

} // namespace

class TestProbe : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString clip(const QString &name) const { return m_dir.filePath(name); }

    MediaVideo::Ptr probe(const QString &path) const
    {
        return createMediaVideo(path, m_dir.filePath("out.mp4"), ToolRunner(TestSupport::realResourceDir()));
    }

private slots:
    void initTestCase()
    {
        TestSupport::isolateSettings();
        setDiagnosticStream(nullptr);
        QVERIFY(m_dir.isValid());
        QVERIFY(TestSupport::writeFile(clip("a.srt"), "1\n00:00:00,000 --> 00:00:01,500\nHello\n"));
        const QString video = QStringLiteral("-f lavfi -i testsrc=size=320x240:rate=10:duration=2");
        const QString srt = " -i " + clip("a.srt");
        const QList<std::pair<const char *, QString>> clips{
            {"two-audio.mp4", video + " -f lavfi -i sine=frequency=440:duration=2 -f lavfi -i "
                                      "sine=frequency=880:duration=2 -map 0 -map 1 -map 2 -c:a aac "
                                      "-metadata:s:a:0 language=eng -metadata:s:a:1 language=fre"},
            {"three-sub.mkv", video + srt + srt + srt +
                                  " -map 0 -map 1 -map 2 -map 3 -c:s srt -metadata:s:s:0 language=eng "
                                  "-metadata:s:s:1 language=fre -metadata:s:s:2 language=ger"},
            {"pal.mp4", "-f lavfi -i testsrc=size=720x576:rate=5:duration=1 -vf setsar=16/15"},
            {"two-video.mkv", video + " -f lavfi -i testsrc=size=160x120:rate=10:duration=1 -map 0 -map 1"},
            {"audio-only.m4a", "-f lavfi -i sine=duration=1 -c:a aac"},
            // 320x240 with bars: the picture is 320x128 from y 56.
            {"letterboxed.mp4", "-f lavfi -i color=black:size=320x240:rate=10:duration=2 -f lavfi -i "
                                "testsrc=size=320x128:rate=10:duration=2 -filter_complex [0][1]overlay=0:56"},
            // The detector reports 320:192:4:4, sizes rounded down to multiples of 16: no border at all.
            {"full.mp4", "-f lavfi -i testsrc=size=328x200:rate=10:duration=2"}};
        for (const auto &[name, args] : clips)
            QVERIFY(TestSupport::generateClip(clip(name), args));
        QByteArray noise(4096, '\0');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919 + 13) % 251);
        QVERIFY(TestSupport::writeFile(clip("corrupt.mp4"), noise));
        QVERIFY(TestSupport::writeFile(clip("empty.mp4"), {}));
    }

    void init() { Preferences::clear(); }

    void durations_data()
    {
        QTest::addColumn<double>("ms");
        QTest::addColumn<QString>("text");
        QTest::newRow("fractions drop") << 1999.9 << "00:00:01";
        QTest::newRow("two hours") << 7205500.0 << "02:00:05";
        QTest::newRow("a day wraps") << 86400000.0 + 5000.0 << "00:00:05";
        QTest::newRow("not a number") << std::nan("") << "00:00:00";
    }

    void durations()
    {
        QFETCH(double, ms);
        QTEST(formatDuration(ms), "text");
    }

    // With an empty path only the defaults are read and no tool starts. Stored indexes past the lists
    // read as their first case, figures out of range as 0.
    void storedDefaults()
    {
        for (const auto &[key, value] : {std::pair(Key::container, 5),
                                         {Key::videoEncoder, 2},
                                         {Key::videoProfile, -1},
                                         {Key::videoPreset, 6},
                                         {Key::videoTune, 99},
                                         {Key::audioEncoder, 1},
                                         {Key::audioDebit, -160},
                                         {Key::videoDebit, 1200},
                                         {Key::audioSampling, 48000}})
            Preferences::writeInt(key, value);
        Preferences::writeBool(Key::deInterlace, true);
        const ResourceDir fakes(ResourceDir::Entry::Fake, ResourceDir::Entry::Fake);
        const QString ran = m_dir.filePath("ran");
        const TestSupport::ScopedEnv script{{"FAKE_TOOL_SCRIPT", "touch:" + ran.toUtf8()}};
        const MediaVideo::Ptr job = createMediaVideo({}, "/out/x.mkv", ToolRunner(fakes.path()));
        QVERIFY(!QFile::exists(ran));
        QCOMPARE(job->destination, QStringLiteral("/out/x.mkv"));
        QCOMPARE(job->container, 0);
        QCOMPARE(job->videoEncoder, VideoEncoders::libx265);
        QCOMPARE(job->videoProfile, VideoProfiles::Auto);
        QCOMPARE(job->videoPreset, VideoPresets::medium);
        QCOMPARE(job->videoTune, VideoTunes::Auto);
        QCOMPARE(job->audioEncoder, AudioEncoders::libmp3lame);
        QCOMPARE(job->audioDebit, 0);
        QCOMPARE(job->videoDebit, 1200);
        QCOMPARE(job->audioSampling, 48000);
        QVERIFY(job->deInterlace);
    }

    // What a probe reads, with border detection on; the stream lines as patterns ("*": anything).
    void probes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("facts");
        QTest::addColumn<QStringList>("lines"); // v: video, a: audio, s: subtitle lines in order
        QTest::newRow("two audio streams")
            << "two-audio.mp4"
            << "00:00:02 00:00:01 320x240 par 1.000 image 320x240 crop 320:240:0:0/1 MPEG-4 00:00:02.000 V:1 "
               "A:2 S:"
            << QStringList{"v:1 0 AVC *Size: 320x240 DAR: 4:3 PAR: 1.000", "a:Select 2 track(s) for encoding",
                           "a:2 1 Advanced Audio Codec*English", "a:3 2 *French"};
        QTest::newRow("three subtitles")
            << "three-sub.mkv"
            << "00:00:02 00:00:01 320x240 par 1.000 image 320x240 crop 320:240:0:0/1 Matroska 00:00:02.000 "
               "V:1 A: S:3"
            << QStringList{"v:1 0 AVC ",        "a:Select  track(s) for encoding",
                           "s:No subtitle",     "s:Select 3 track(s) for encoding",
                           "s:2 UTF-8 English", "s:3 UTF-8 French",
                           "s:4 UTF-8 German"};
        // The preview has square pixels.
        QTest::newRow("anamorphic PAL")
            << "pal.mp4"
            << "00:00:01 00:00:00 720x576 par 1.067 image 768x576 crop 720:576:0:0/1 MPEG-4 00:00:01.000 V:1 "
               "A: S:"
            << QStringList{"v:1 0 AVC *PAR: 1.067", "a:Select  track(s) for encoding"};
        // Two pictures: the facts of the first, not both run together into one number.
        QTest::newRow("two video streams")
            << "two-video.mkv"
            << "00:00:02 00:00:01 320x240 par 1.000 image 320x240 crop 320:240:0:0/1 Matroska 00:00:02.000 "
               "V:2 A: S:"
            << QStringList{"v:1 0 AVC *Size: 320x240", "v:2 1 AVC *Size: 160x120",
                           "a:Select  track(s) for encoding"};
        QTest::newRow("audio only")
            << "audio-only.m4a"
            << "00:00:01 00:00:00 0x0 par 1.000 image 0x0 crop /0 MPEG-4 00:00:01.000 V: A:1 S:"
            << QStringList{"a:Select 1 track(s) for encoding", "a:1 0 Advanced Audio Codec"};
        QTest::newRow("letterbox") << "letterboxed.mp4"
                                   << "00:00:02 00:00:01 320x240 par 1.000 image 320x240 crop 320:128:0:56/1 "
                                      "MPEG-4 00:00:02.000 V:1 A: S:"
                                   << QStringList{"v:1 0 AVC ", "a:Select  track(s) for encoding"};
        QTest::newRow("no border, sides not multiples of 16")
            << "full.mp4"
            << "00:00:02 00:00:01 328x200 par 1.000 image 328x200 crop 328:200:0:0/1 MPEG-4 00:00:02.000 V:1 "
               "A: S:"
            << QStringList{"v:1 0 AVC ", "a:Select  track(s) for encoding"};
        // No duration: no picture and no border detection are tried, the rest still goes on.
        for (const char *name : {"corrupt.mp4", "empty.mp4"})
            QTest::newRow(name) << name << "00:00:00 00:00:00 0x0 par 1.000 image 0x0 crop /0 V: A: S:"
                                << QStringList{"a:Select  track(s) for encoding"};
        QTest::newRow("missing") << "missing.mp4"
                                 << "00:00:00 00:00:00 0x0 par 1.000 image 0x0 crop /0 " << QStringList{"a:"};
    }

    void probes()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, lines);
        Preferences::writeBool(Key::autoCrop, true);
        const MediaVideo::Ptr job = probe(clip(name));
        const QSize image = job->hasImage() ? job->imageSize() : QSize(0, 0);
        QTEST(QStringLiteral("%1 %2 %3x%4 par %5 image %6x%7 crop %8/%9 %10")
                  .arg(job->durationVideo(), job->durationVideoMiddle)
                  .arg(job->videoWidth)
                  .arg(job->videoHeight)
                  .arg(job->videoPixelAspectRatio, 0, 'f', 3)
                  .arg(image.width())
                  .arg(image.height())
                  .arg(job->videoCrop)
                  .arg(job->cropValue)
                  .arg(job->info),
              "facts");
        QStringList got;
        for (const auto &[prefix, list] :
             {std::pair("v:", job->videoTracks), {"a:", job->audioTracks}, {"s:", job->subtitleTracks}})
            for (const QString &line : list)
                got << prefix + line;
        QCOMPARE(got.size(), lines.size());
        for (int i = 0; i < lines.size(); ++i)
            QVERIFY2(matches(lines[i], got[i]), qPrintable(got[i]));

        // The one mediainfo run of a probe reads exactly what a run per question would.
        const ToolRunner tools(TestSupport::realResourceDir());
        QTemporaryDir work;
        const QStringList together = mediaInfoTexts(tools, clip(name), probeQueries(), work.path());
        QCOMPARE(together.size(), probeQueries().size());
        for (int k = 0; k < probeQueries().size(); ++k)
            QCOMPARE(together[k],
                     tools.mediaInfoText(clip(name), probeQueries()[k].section, probeQueries()[k].templ));
    }

    void nonAsciiNameUnderAnyLocale_data()
    {
        QTest::addColumn<QByteArray>("lcAll");
        QTest::addColumn<QByteArray>("lang");
        QTest::newRow("LANG=C") << QByteArray() << QByteArray("C");
        QTest::newRow("LC_ALL=C") << QByteArray("C") << QByteArray("C.UTF-8");
    }

    // The tools are given a UTF-8 locale whatever ours is, so the name reaches them intact.
    void nonAsciiNameUnderAnyLocale()
    {
        QFETCH(QByteArray, lcAll);
        QFETCH(QByteArray, lang);
        const QString name = clip(QStringLiteral("clé été.mov"));
        QVERIFY(QFile::exists(name) || QFile::copy(clip("full.mp4"), name));
        const TestSupport::ScopedEnv locale{{"LC_ALL", lcAll}, {"LANG", lang}};
        const MediaVideo::Ptr job = probe(name);
        QCOMPARE(job->durationVideo(), QStringLiteral("00:00:02"));
        QCOMPARE(job->videoTracks.size(), 1);
        QVERIFY(job->hasImage());
    }

    void toolFailureIsTheReason_data()
    {
        QTest::addColumn<QByteArray>("mediainfo");
        QTest::addColumn<QByteArray>("ffmpeg");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("commandError");
        const QString hang = QStringLiteral("mediainfo did not answer in 0.3 s");
        QTest::newRow("mediainfo hangs") << QByteArray("hang") << QByteArray() << hang << hang;
        QTest::newRow("mediainfo crashes")
            << QByteArray("crash") << QByteArray() << "mediainfo crashed (signal 11)"
            << "mediainfo crashed (signal 11)";
        QTest::newRow("nothing to find") << QByteArray("exit:1") << QByteArray() << QString()
                                         << "“/in/a.mov” has no video stream to encode.";
        QTest::newRow("preview hangs")
            << QByteArray("out:|~tavrix:0~|2000|~tavrix:6~|1 0 AVC#") << QByteArray("hang")
            << "No preview picture: ffmpeg did not answer in 0.3 s" << QString();
    }

    // A tool that failed says so, in the probe and in the encode that follows, rather than leaving the
    // job to look like a file without video.
    void toolFailureIsTheReason()
    {
        QFETCH(QByteArray, mediainfo);
        QFETCH(QByteArray, ffmpeg);
        const ResourceDir fakes(ResourceDir::Entry::Fake, ResourceDir::Entry::Fake);
        ToolRunner tools(fakes.path());
        tools.setTimeLimits({.mediaInfo = 300ms, .previewFrame = 300ms});
        MediaVideo::Ptr job;
        {
            const TestSupport::ScopedEnv script{{"FAKE_TOOL_SCRIPT_MEDIAINFO", mediainfo},
                                                {"FAKE_TOOL_SCRIPT_FFMPEG", ffmpeg}};
            job = createMediaVideo(QStringLiteral("/in/a.mov"), m_dir.filePath("out.mp4"), tools);
        }
        QTEST(job->probeError, "reason");
        QTEST(commandLine(*job, tools, CropDetection::Describe).error, "commandError");
    }

    // Probes that run at the same time each read their own picture, and leave no file behind; a
    // leftover of another program is neither read nor removed.
    void overlappingProbes()
    {
        QTemporaryDir temp;
        const TestSupport::ScopedEnv tmpdir{{"TMPDIR", temp.path().toUtf8()}};
        QVERIFY(TestSupport::writeFile(temp.filePath("image.png"), "not a picture"));
        MediaVideo::Ptr a, b;
        std::thread first([&] { a = probe(clip("pal.mp4")); });
        std::thread second([&] { b = probe(clip("two-audio.mp4")); });
        first.join();
        second.join();
        QCOMPARE(a->imageSize(), QSize(768, 576));
        QCOMPARE(b->imageSize(), QSize(320, 240));
        QCOMPARE(TestSupport::entries(temp.path()), QStringList{"image.png"});
    }
};

QTEST_GUILESS_MAIN(TestProbe)
#include "tst_probe.moc"
