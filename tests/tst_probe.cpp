// From a file on disk to a job: stored defaults, the real mediainfo and ffmpeg on clips generated here,
// files that give no media at all, and tools that fail.
#include "TestSupport.h"

#include "media/JobCommand.h"
#include "media/MediaProbe.h"
#include "model/MediaVideo.h"
#include "model/Preferences.h"
#include "process/Log.h"
#include "process/ToolRunner.h"
#include "rules/CommandLine.h"
#include "rules/HdrSignal.h"
#include "session/JobListModel.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

using namespace std::chrono_literals;
namespace Key = Preferences::Key;
using TestSupport::ResourceDir;

class TestProbe : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString clip(const QString &name) const { return m_dir.filePath(name); }

    MediaVideo::Ptr probe(const QString &path) const
    {
        return createMediaVideo(path, m_dir.filePath("out.mp4"), ToolRunner(TestSupport::realResourceDir()),
                                Preferences::jobSettings());
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
            {"pal été.mp4", "-f lavfi -i testsrc=size=720x576:rate=5:duration=1 -vf setsar=16/15"},
            {"two-video.mkv", video + " -f lavfi -i testsrc=size=160x120:rate=10:duration=1 -map 0 -map 1"},
            {"crop=$(touch INJECTED) audio.m4a", "-f lavfi -i sine=duration=1 -c:a aac"},
            // 320x240 with bars: the picture is 320x128 from y 56.
            {"letterboxed.mp4",
             "-f lavfi -i color=black:size=320x240:rate=10:duration=2 -f lavfi -i "
             "testsrc=size=320x128:rate=10:duration=2 -filter_complex [0][1]overlay=0:56"}};
        for (const auto &[name, args] : clips)
            QVERIFY(TestSupport::generateClip(clip(name), args));
        QByteArray noise(4096, '\0');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919 + 13) % 251);
        QVERIFY(TestSupport::writeFile(clip("corrupt.mp4"), noise));
    }

    void init() { Preferences::clear(); }

    // With an empty path only the defaults are read and no tool starts; a stored index past its list reads
    // as its first case.
    void storedDefaults()
    {
        for (const auto &[key, value] : {std::pair(Key::container, 5),
                                         {Key::videoEncoder, 2},
                                         {Key::videoTune, 99},
                                         {Key::audioEncoder, 1},
                                         {Key::videoDebit, 1200}})
            Preferences::writeInt(key, value);
        Preferences::writeBool(Key::deInterlace, true);
        const ResourceDir fakes(ResourceDir::Entry::Fake, ResourceDir::Entry::Fake);
        const QString ran = m_dir.filePath("ran");
        const TestSupport::ScopedEnv script{{"FAKE_TOOL_SCRIPT", "touch:" + ran.toUtf8()}};
        const MediaVideo::Ptr job =
            createMediaVideo({}, "/out/x.mkv", ToolRunner(fakes.path()), Preferences::jobSettings());
        QVERIFY(!QFile::exists(ran));
        QCOMPARE(QList<int>({job->container, int(job->videoEncoder), int(job->videoTune),
                             int(job->audioEncoder), job->videoDebit, job->deInterlace}),
                 QList<int>({0, int(VideoEncoders::libx265), int(VideoTunes::Auto),
                             int(AudioEncoders::libmp3lame), 1200, 1}));
        QCOMPARE(job->destination, QStringLiteral("/out/x.mkv"));
    }

    // Fresh settings deinterlace what mediainfo finds interlaced (an MPEG-2 field picture, an MBAFF
    // H.264) and leave a progressive picture as it is; a stored on or off keeps its meaning.
    void deinterlacing_data()
    {
        QTest::addColumn<QString>("stored"); // "" for fresh settings, or the stored "deInterlace"
        QTest::addColumn<QString>("codec");  // of the source, with "ilme" for an interlaced one
        QTest::addColumn<bool>("yadif");
        QTest::newRow("fresh, interlaced MPEG-2") << QString() << QString("mpeg2video ilme") << true;
        QTest::newRow("fresh, MBAFF H.264") << QString() << QString("libx264 ilme") << true;
        QTest::newRow("fresh, progressive") << QString() << QString("libx264") << false;
        QTest::newRow("stored off, interlaced") << QString("false") << QString("mpeg2video ilme") << false;
        QTest::newRow("stored on, progressive") << QString("true") << QString("libx264") << true;
    }
    void deinterlacing()
    {
        QFETCH(QString, stored);
        QFETCH(QString, codec);
        if (!stored.isEmpty())
            Preferences::writeBool(Key::deInterlace, stored == "true");
        const QString source = clip(QString(codec).replace(' ', '-') + ".mkv");
        const QString args = "-f lavfi -i testsrc=size=320x240:rate=25:duration=1 -c:v " +
                             codec.section(' ', 0, 0) +
                             (codec.endsWith("ilme") ? " -vf setfield=tff -flags +ildct+ilme" : "");
        QVERIFY(QFileInfo::exists(source) || TestSupport::generateClip(source, args.split(' ')));
        const MediaVideo::Ptr job = probe(source);
        QCOMPARE(job->interlaced, codec.endsWith("ilme"));
        const QString command =
            commandLine(*job, ToolRunner(TestSupport::realResourceDir()), QString(), CropDetection::Describe)
                .text;
        QTEST(command.contains("-vf yadif=0:-1:0,"), "yadif");
    }

    // What a probe reads, with border detection on; the stream lines as patterns ("*": anything). Our
    // locale is C: the tools are given a UTF-8 one whatever ours is, so a name reaches them intact.
    void probes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("facts");
        QTest::addColumn<QString>("lines"); // v: video, a: audio, s: subtitle lines in order, split by "|"
        const auto row = [](const char *tag, const char *name, const QString &facts, const char *lines) {
            QTest::newRow(tag) << QString(name) << QString(facts) << QString(lines);
        };
        const QString whole =
            QStringLiteral("00:00:02 00:00:01 320x240 par 1.000 image 320x240 crop 320:240:0:0/1 ");
        row("two audio streams", "two-audio.mp4", whole + "MPEG-4 00:00:02.000 V:1 A:2 S:",
            "v:1 0 AVC *Size: 320x240 DAR: 4:3 PAR: 1.000|a:Select 2 track(s) for encoding|"
            "a:2 1 Advanced Audio Codec*English|a:3 2 *French");
        row("three subtitles", "three-sub.mkv", whole + "Matroska 00:00:02.000 V:1 A: S:3",
            "v:1 0 AVC |a:Select  track(s) for encoding|s:No subtitle|s:Select 3 track(s) for encoding|"
            "s:2 UTF-8 English|s:3 UTF-8 French|s:4 UTF-8 German");
        // The preview has square pixels.
        row("anamorphic PAL", "pal été.mp4",
            "00:00:01 00:00:00 720x576 par 1.067 image 768x576 crop 720:576:0:0/1 MPEG-4 00:00:01.000 V:1 A: "
            "S:",
            "v:1 0 AVC *PAR: 1.067|a:Select  track(s) for encoding");
        // Two pictures: the facts of the first, not both run together into one number.
        row("two video streams", "two-video.mkv", whole + "Matroska 00:00:02.000 V:2 A: S:",
            "v:1 0 AVC *Size: 320x240|v:2 1 AVC *Size: 160x120|a:Select  track(s) for encoding");
        // ffmpeg names the input in its output: the name neither runs nor counts as a crop.
        row("audio only, a hostile name", "crop=$(touch INJECTED) audio.m4a",
            "00:00:01 00:00:00 0x0 par 1.000 image 0x0 crop /0 MPEG-4 00:00:01.000 V: A:1 S:",
            "a:Select 1 track(s) for encoding|a:1 0 Advanced Audio Codec");
        row("letterbox", "letterboxed.mp4",
            "00:00:02 00:00:01 320x240 par 1.000 image 320x240 crop 320:128:0:56/1 MPEG-4 00:00:02.000 V:1 "
            "A: S:",
            "v:1 0 AVC |a:Select  track(s) for encoding");
        // No duration: no picture and no border detection are tried, the rest still goes on.
        row("corrupt", "corrupt.mp4",
            "00:00:00 00:00:00 0x0 par 1.000 image 0x0 crop /0 V: A: S:", "a:Select  track(s) for encoding");
    }

    void probes()
    {
        QFETCH(QString, name);
        QFETCH(QString, lines);
        Preferences::writeBool(Key::autoCrop, true);
        const TestSupport::ScopedEnv locale{{"LC_ALL", "C"}, {"LANG", "C"}};
        const TestSupport::WorkingDir cwd; // what a name made a shell run would land here
        const MediaVideo::Ptr job = probe(clip(name));
        QVERIFY(cwd.isEmpty());
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
        const QStringList expected = lines.split(QLatin1Char('|'));
        QCOMPARE(got.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i) // "*" stands for anything; the rest is the line's start
            QVERIFY2(got[i].contains(QRegularExpression(
                         '^' + QRegularExpression::escape(expected[i]).replace(QStringLiteral("\\*"), ".*"))),
                     qPrintable(got[i]));
    }

    // Bit depth and high dynamic range of the first video stream, as mediainfo reads x265's signalling;
    // the mastering display in x265's own units.
    void colourFacts_data()
    {
        QTest::addColumn<QString>("kind"); // of the generated clip; "" for an 8-bit H.264 one
        QTest::addColumn<QString>("facts");
        QTest::addColumn<QString>("row"); // what the list row adds to the summary, with libx264 | libx265
        const auto row = [](const char *name, const char *kind, const char *facts, const char *row) {
            QTest::newRow(name) << QString(kind) << QString(facts) << QString(row);
        };
        row("HDR10", "hdr10",
            "10 hdr10 G(13250,34500)B(7500,3000)R(34000,16000)WP(15635,16450)L(10000000,50) 1000 400",
            "HDR10 to SDR|HDR10");
        row("HLG", "hlg", "10 hlg  0 0", "HLG to SDR|HLG");
        row("ten-bit standard range", "sdr10", "10 none  0 0", "|");
        row("8-bit", "", "8 none  0 0", "|");
    }
    void colourFacts()
    {
        QFETCH(QString, kind);
        const QString source = clip("colour-" + kind + ".mkv");
        QVERIFY(kind.isEmpty() ? TestSupport::generateClip(source, "-f lavfi -i testsrc2=s=128x72:d=0.4")
                               : TestSupport::generateTenBitClip(source, kind));
        const MediaVideo::Ptr job = probe(source);
        QTEST(QStringLiteral("%1 %2 %3 %4 %5")
                  .arg(job->videoBitDepth)
                  .arg(rawText(job->hdr), job->masteringDisplay)
                  .arg(job->maxCll)
                  .arg(job->maxFall),
              "facts");
        JobListModel model;
        model.append(job);
        QStringList row;
        for (const VideoEncoders encoder : {VideoEncoders::libx264, VideoEncoders::libx265}) {
            job->videoEncoder = encoder;
            row << model.index(0).data(JobListModel::InfoRole).toString().mid(job->info.size()).trimmed();
        }
        QTEST(row.join('|'), "row");
    }

    // mediainfo's words for a mastering display (recorded from its output) in x265's units; anything
    // else gives nothing, so that only numbers reach a command.
    void masteringDisplay_data()
    {
        QTest::addColumn<QString>("primaries");
        QTest::addColumn<QString>("luminance");
        QTest::addColumn<QString>("x265");
        const auto row = [](const char *name, const QString &primaries, const QString &luminance,
                            const char *x265 = "") {
            QTest::newRow(name) << primaries << luminance << QString(x265);
        };
        const QString light = QStringLiteral("min: 0.0050 cd/m2, max: 1000 cd/m2");
        const QString p3 = QStringLiteral("Display P3");
        const QString numbers = QStringLiteral("R: x=%1 y=0.322000, G: x=0.260000 y=0.680000, B: x=0.148000 "
                                               "y=0.062000, White point: x=0.312000 y=0.328000");
        row("Display P3", p3, light, "G(13250,34500)B(7500,3000)R(34000,16000)WP(15635,16450)L(10000000,50)");
        row("BT.2020, 4000 cd/m2", "BT.2020", "min: 0.0001 cd/m2, max: 4000 cd/m2",
            "G(8500,39850)B(6550,2300)R(35400,14600)WP(15635,16450)L(40000000,1)");
        row("BT.709", "BT.709", "min: 0.2000 cd/m2, max: 100 cd/m2",
            "G(15000,30000)B(7500,3000)R(32000,16500)WP(15635,16450)L(1000000,2000)");
        row("DCI P3", "DCI P3", light,
            "G(13250,34500)B(7500,3000)R(34000,16000)WP(15700,17550)L(10000000,50)");
        row("given as numbers", numbers.arg("0.682000"), "min: 0.0123 cd/m2, max: 1234.5678 cd/m2",
            "G(13000,34000)B(7400,3100)R(34100,16100)WP(15600,16400)L(12345678,123)");
        row("unknown display", "Mars", light);
        row("no luminance", p3, "");
        row("chromaticity above 1", numbers.arg("1.500000"), light);
        row("minimum above maximum", p3, "min: 50 cd/m2, max: 10 cd/m2");
        row("above 10000 cd/m2", p3, "min: 0.0050 cd/m2, max: 20000 cd/m2");
        row("text after the numbers", p3, "min: 0.0050 cd/m2, max: 1000 cd/m2)$(touch x)");
    }
    void masteringDisplay()
    {
        QFETCH(QString, primaries);
        QFETCH(QString, luminance);
        QTEST(x265MasteringDisplay(primaries, luminance), "x265");
    }

    void toolFailureIsTheReason_data()
    {
        QTest::addColumn<QByteArray>("mediainfo");
        QTest::addColumn<QByteArray>("ffmpeg");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("commandError");
        const QString hang = QStringLiteral("mediainfo did not answer in 0.3 s");
        QTest::newRow("mediainfo hangs") << QByteArray("hang") << QByteArray() << hang << hang;
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
            job = createMediaVideo(QStringLiteral("/in/a.mov"), m_dir.filePath("out.mp4"), tools,
                                   Preferences::jobSettings());
        }
        QTEST(job->probeError, "reason");
        QTEST(commandLine(*job, tools, QString(), CropDetection::Describe).error, "commandError");
    }

    // Probes that run at the same time each read their own picture, and leave no file behind; a
    // leftover of another program is neither read nor removed.
    void overlappingProbes()
    {
        QTemporaryDir temp;
        const TestSupport::ScopedEnv tmpdir{{"TMPDIR", temp.path().toUtf8()}};
        QVERIFY(TestSupport::writeFile(temp.filePath("image.png"), "not a picture"));
        MediaVideo::Ptr a, b;
        std::thread first([&] { a = probe(clip("pal été.mp4")); });
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
