// From a file on disk to a job: durations, stored defaults, the real mediainfo and ffmpeg on clips
// generated here, and the files that give no media at all.
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

class TestProbe : public QObject
{
    Q_OBJECT

    QString clip(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    bool generate(const char *name, const QString &args) const
    {
        return TestSupport::generateClip(
            clip(name), (args + " -c:v libx264 -preset ultrafast -pix_fmt yuv420p").split(' '));
    }

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
        const auto write = [](const QString &path, const QByteArray &bytes) {
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
        };
        QVERIFY(write(clip("a.srt"), "1\n00:00:00,000 --> 00:00:01,500\nHello\n"));
        const QString video = QStringLiteral("-f lavfi -i testsrc=size=320x240:rate=10:duration=2");
        const QString srt = " -i " + clip("a.srt");
        QVERIFY(generate("two-audio.mp4", video +
                                              " -f lavfi -i sine=frequency=440:duration=2 -f lavfi -i "
                                              "sine=frequency=880:duration=2 -map 0 -map 1 -map 2 -c:a aac "
                                              "-metadata:s:a:0 language=eng -metadata:s:a:1 language=fre"));
        QVERIFY(generate("one-sub.mkv", video + srt + " -map 0 -map 1 -c:s srt"));
        QVERIFY(generate("three-sub.mkv",
                         video + srt + srt + srt +
                             " -map 0 -map 1 -map 2 -map 3 -c:s srt -metadata:s:s:0 language=eng "
                             "-metadata:s:s:1 language=fre -metadata:s:s:2 language=ger"));
        QVERIFY(generate("pal.mp4", "-f lavfi -i testsrc=size=720x576:rate=5:duration=1 -vf setsar=16/15"));
        QVERIFY(generate("no-audio.mp4", video));
        QVERIFY(generate("two-video.mkv",
                         video + " -f lavfi -i testsrc=size=160x120:rate=10:duration=1 -map 0 -map 1"));
        QVERIFY(generate("audio-only.m4a", "-f lavfi -i sine=duration=1 -c:a aac"));
        // 320x240 with bars: the picture is 320x128 from y 56.
        QVERIFY(generate("letterboxed.mp4",
                         "-f lavfi -i color=black:size=320x240:rate=10:duration=2 -f lavfi -i "
                         "testsrc=size=320x128:rate=10:duration=2 -filter_complex [0][1]overlay=0:56"));
        QVERIFY(generate("full.mp4", "-f lavfi -i testsrc=size=328x200:rate=10:duration=2"));
        QByteArray noise(4096, '\0');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919 + 13) % 251);
        QVERIFY(write(clip("corrupt.mp4"), noise));
        QVERIFY(write(clip("empty.mp4"), {}));
    }

    void init() { Preferences::clear(); }

    void durations_data()
    {
        QTest::addColumn<double>("ms");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "00:00:00";
        QTest::newRow("fractions drop") << 1999.9 << "00:00:01";
        QTest::newRow("two hours") << 7205500.0 << "02:00:05";
        QTest::newRow("its middle") << 7205500.0 * 0.5 << "01:00:02";
        QTest::newRow("a day wraps") << 86400000.0 + 5000.0 << "00:00:05";
        QTest::newRow("not a number") << std::nan("") << "00:00:00";
    }

    void durations()
    {
        QFETCH(double, ms);
        QFETCH(QString, text);
        QCOMPARE(formatDuration(ms), text);
    }

    // With an empty path only the defaults are read: the tools (here a fake that records being run)
    // never start. Stored indexes past the lists read as their first case, figures out of range as 0.
    void emptySourceRunsNoTool()
    {
        Preferences::writeInt(Key::container, 5);
        Preferences::writeInt(Key::videoEncoder, 10);
        Preferences::writeInt(Key::videoProfile, -1);
        Preferences::writeInt(Key::videoPreset, 10);
        Preferences::writeInt(Key::videoTune, 99);
        Preferences::writeInt(Key::audioEncoder, 3);
        Preferences::writeInt(Key::formatFile, 3);
        Preferences::writeInt(Key::audioDebit, -160);
        const TestSupport::ResourceDir fakes(TestSupport::ResourceDir::Entry::Fake,
                                             TestSupport::ResourceDir::Entry::Fake);
        const QString ran = m_dir.filePath("ran");
        qputenv("FAKE_TOOL_SCRIPT", "touch:" + ran.toUtf8());
        const MediaVideo::Ptr job = createMediaVideo({}, "/out/x.mkv", ToolRunner(fakes.path()));
        qunsetenv("FAKE_TOOL_SCRIPT");
        QVERIFY(!QFile::exists(ran));
        QCOMPARE(job->durationVideo(), QStringLiteral("00:00:00"));
        QCOMPARE(job->subtitleLanguage, QStringLiteral("fre"));
        QVERIFY(job->audioTracks.isEmpty() && job->videoTracks.isEmpty() && job->subtitleTracks.isEmpty());
        QCOMPARE(job->destination, QStringLiteral("/out/x.mkv"));
        QCOMPARE(job->container, 0);
        QCOMPARE(job->videoEncoder, VideoEncoders::libx264);
        QCOMPARE(job->videoProfile, VideoProfiles::Auto);
        QCOMPARE(job->videoPreset, VideoPresets::Auto);
        QCOMPARE(job->videoTune, VideoTunes::Auto);
        QCOMPARE(job->audioEncoder, AudioEncoders::aac);
        QCOMPARE(job->audioDebit, 0);
    }

    void storedDefaults()
    {
        Preferences::writeInt(Key::container, 1);
        Preferences::writeInt(Key::videoEncoder, 2);
        Preferences::writeInt(Key::videoProfile, 2);
        Preferences::writeInt(Key::videoPreset, 6);
        Preferences::writeInt(Key::videoTune, 3);
        Preferences::writeInt(Key::audioEncoder, 1);
        Preferences::writeInt(Key::videoDebit, 1200);
        Preferences::writeInt(Key::audioDebit, 192);
        Preferences::writeInt(Key::audioSampling, 48000);
        Preferences::writeInt(Key::formatFile, 2);
        Preferences::writeBool(Key::quicktime, true);
        Preferences::writeBool(Key::deInterlace, true);
        Preferences::writeText(Key::subtitleLanguage, "eng");
        const MediaVideo::Ptr job = probe(clip("no-audio.mp4"));
        QCOMPARE(job->container, 1);
        QCOMPARE(job->videoEncoder, VideoEncoders::libx265);
        QCOMPARE(job->videoProfile, VideoProfiles::main);
        QCOMPARE(job->videoPreset, VideoPresets::medium);
        QCOMPARE(job->videoTune, VideoTunes::grain);
        QCOMPARE(job->audioEncoder, AudioEncoders::libmp3lame);
        QCOMPARE(job->videoDebit, 1200);
        QCOMPARE(job->audioDebit, 192);
        QCOMPARE(job->audioSampling, 48000);
        QVERIFY(job->isQuicktime && job->deInterlace);
        QCOMPARE(job->subtitleLanguage, QStringLiteral("eng"));
        QCOMPARE(job->destination, m_dir.filePath("no-audio_x265_mp3.mkv"));
    }

    // Audio lines follow the streams' order, each with its stream order and address.
    void twoAudioStreams()
    {
        const MediaVideo::Ptr job = probe(clip("two-audio.mp4"));
        QCOMPARE(job->durationVideo(), QStringLiteral("00:00:02"));
        QCOMPARE(job->durationVideoMiddle, QStringLiteral("00:00:01"));
        QCOMPARE(QSize(job->videoWidth, job->videoHeight), QSize(320, 240));
        QCOMPARE(job->videoPixelAspectRatio, 1.0);
        QVERIFY(qAbs(job->videoDisplayAspectRatio - 4.0 / 3.0) < 0.01);
        QCOMPARE(job->videoTracks.size(), 1);
        QVERIFY2(job->videoTracks[0].startsWith("1 0 AVC "), qPrintable(job->videoTracks[0]));
        QVERIFY(job->videoTracks[0].contains("Size: 320x240 DAR: 4:3 PAR: 1.000"));
        QCOMPARE(job->audioTracks.size(), 3);
        QCOMPARE(job->audioTracks[0], QStringLiteral("Select 2 track(s) for encoding"));
        QVERIFY2(job->audioTracks[1].startsWith("2 1 Advanced Audio Codec") &&
                     job->audioTracks[1].contains("English"),
                 qPrintable(job->audioTracks[1]));
        QVERIFY2(job->audioTracks[2].startsWith("3 2 ") && job->audioTracks[2].contains("French"),
                 qPrintable(job->audioTracks[2]));
        QCOMPARE(job->audioTrack, 1);
        QVERIFY(job->subtitleTracks.isEmpty());
        QCOMPARE(job->info, QStringLiteral("MPEG-4 00:00:02.000 V:1 A:2 S:"));
        QCOMPARE(job->imageSize(), QSize(320, 240));
        QVERIFY(job->videoCrop.isEmpty()); // no border detection unless asked for
    }

    void subtitleStreams()
    {
        const MediaVideo::Ptr one = probe(clip("one-sub.mkv"));
        QCOMPARE(one->subtitleTracks.size(), 2);
        QCOMPARE(one->subtitleTracks[0], QStringLiteral("No subtitle"));
        QVERIFY2(one->subtitleTracks[1].startsWith("2 UTF-8"), qPrintable(one->subtitleTracks[1]));
        QCOMPARE(one->subtitleTrack, 0);
        QCOMPARE(one->audioTracks.size(), 1); // no audio: the summary alone

        const MediaVideo::Ptr three = probe(clip("three-sub.mkv"));
        QCOMPARE(three->subtitleTracks, (QStringList{"No subtitle", "Select 3 track(s) for encoding",
                                                     "2 UTF-8 English", "3 UTF-8 French", "4 UTF-8 German"}));
    }

    void anamorphicPicture()
    {
        const MediaVideo::Ptr job = probe(clip("pal.mp4"));
        QCOMPARE(QSize(job->videoWidth, job->videoHeight), QSize(720, 576));
        QVERIFY(qAbs(job->videoPixelAspectRatio - 16.0 / 15.0) < 0.001);
        QVERIFY(qAbs(job->videoDisplayAspectRatio - 4.0 / 3.0) < 0.001);
        QCOMPARE(job->imageSize(), QSize(768, 576)); // the preview has square pixels
    }

    void noAudio()
    {
        const MediaVideo::Ptr job = probe(clip("no-audio.mp4"));
        // mediainfo leaves a count of zero empty; the line keeps its wording.
        QCOMPARE(job->audioTracks, QStringList{"Select  track(s) for encoding"});
        QCOMPARE(job->audioTrack, 1);
        QCOMPARE(job->videoTracks.size(), 1);
    }

    void audioOnly()
    {
        const MediaVideo::Ptr job = probe(clip("audio-only.m4a"));
        QCOMPARE(job->durationVideo(), QStringLiteral("00:00:01"));
        QVERIFY(job->videoTracks.isEmpty());
        QCOMPARE(job->videoWidth, 0);
        QCOMPARE(job->videoPixelAspectRatio, 1.0); // no text: 1.0
        QCOMPARE(job->audioTracks.size(), 2);
        QVERIFY(!job->hasImage());
    }

    void filesWithoutMedia_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("corrupt") << "corrupt.mp4";
        QTest::newRow("empty") << "empty.mp4";
        QTest::newRow("missing") << "missing.mp4";
    }

    // No duration: no picture and no border detection are tried, the rest still goes on.
    void filesWithoutMedia()
    {
        QFETCH(QString, name);
        Preferences::writeBool(Key::autoCrop, true);
        Preferences::writeText(Key::subtitleLanguage, "spa");
        const MediaVideo::Ptr job = probe(m_dir.filePath(name));
        QCOMPARE(job->durationVideo(), QStringLiteral("00:00:00"));
        QCOMPARE(job->durationVideoMiddle, QStringLiteral("00:00:00"));
        QVERIFY(!job->hasImage());
        QVERIFY(job->videoTracks.isEmpty());
        QVERIFY(job->videoCrop.isEmpty());
        QCOMPARE(job->cropValue, 0);
        QCOMPARE(job->audioTracks.size(), 1);
        QCOMPARE(job->subtitleLanguage, QStringLiteral("spa"));
    }

    void autoCrop_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("crop");
        QTest::newRow("letterbox") << "letterboxed.mp4"
                                   << "320:128:0:56";
        // The detector reports 320:192:4:4, sizes rounded down to multiples of 16: no border at all.
        QTest::newRow("no border, sides not multiples of 16") << "full.mp4"
                                                              << "328:200:0:0";
    }

    void autoCrop()
    {
        QFETCH(QString, name);
        Preferences::writeBool(Key::autoCrop, true);
        const MediaVideo::Ptr job = probe(m_dir.filePath(name));
        QTEST(job->videoCrop, "crop");
        QCOMPARE(job->cropValue, 1);
    }

    // The one mediainfo run of a probe reads exactly what a run per question would.
    void oneRunAnswersAsSeparateRuns()
    {
        const ToolRunner tools(TestSupport::realResourceDir());
        QTemporaryDir work;
        for (const char *name :
             {"two-audio.mp4", "one-sub.mkv", "three-sub.mkv", "pal.mp4", "no-audio.mp4", "audio-only.m4a",
              "two-video.mkv", "corrupt.mp4", "empty.mp4", "missing.mp4"}) {
            const QString file = clip(name);
            const QStringList together = mediaInfoTexts(tools, file, probeQueries(), work.path());
            QCOMPARE(together.size(), probeQueries().size());
            for (int k = 0; k < probeQueries().size(); ++k) {
                const MediaInfoQuery &q = probeQueries()[k];
                QCOMPARE(together[k], tools.mediaInfoText(file, q.section, q.templ));
            }
        }
    }

    void nonAsciiNameUnderAnyLocale_data()
    {
        QTest::addColumn<QByteArray>("lcAll");
        QTest::addColumn<QByteArray>("lang");
        QTest::newRow("LANG=C") << QByteArray() << QByteArray("C");
        QTest::newRow("LC_ALL=C") << QByteArray("C") << QByteArray("C.UTF-8");
        QTest::newRow("locale not installed") << QByteArray() << QByteArray("fr_FR.UTF-8");
    }

    // The tools are given a UTF-8 locale whatever ours is, so the name reaches them intact.
    void nonAsciiNameUnderAnyLocale()
    {
        QFETCH(QByteArray, lcAll);
        QFETCH(QByteArray, lang);
        const QString name = m_dir.filePath(QStringLiteral("clé été.mov"));
        if (!QFile::exists(name))
            QVERIFY(QFile::copy(clip("no-audio.mp4"), name));
        const QByteArray oldLcAll = qgetenv("LC_ALL");
        const QByteArray oldLang = qgetenv("LANG");
        const auto restore = qScopeGuard([&] {
            oldLcAll.isNull() ? qunsetenv("LC_ALL") : qputenv("LC_ALL", oldLcAll);
            oldLang.isNull() ? qunsetenv("LANG") : qputenv("LANG", oldLang);
        });
        lcAll.isNull() ? qunsetenv("LC_ALL") : qputenv("LC_ALL", lcAll);
        qputenv("LANG", lang);
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
        const QString noVideo = QStringLiteral("“/in/a.mov” has no video stream to encode.");
        QTest::newRow("mediainfo hangs")
            << QByteArray("hang") << QByteArray() << "mediainfo did not answer in 0.3 s"
            << "mediainfo did not answer in 0.3 s";
        QTest::newRow("mediainfo crashes")
            << QByteArray("crash") << QByteArray() << "mediainfo crashed (signal 11)"
            << "mediainfo crashed (signal 11)";
        QTest::newRow("nothing to find") << QByteArray("exit:1") << QByteArray() << QString() << noVideo;
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
        QFETCH(QString, reason);
        QFETCH(QString, commandError);
        const TestSupport::ResourceDir fakes(TestSupport::ResourceDir::Entry::Fake,
                                             TestSupport::ResourceDir::Entry::Fake);
        ToolRunner tools(fakes.path());
        tools.setTimeLimits({.mediaInfo = 300ms, .previewFrame = 300ms});
        qputenv("FAKE_TOOL_SCRIPT_MEDIAINFO", mediainfo);
        qputenv("FAKE_TOOL_SCRIPT_FFMPEG", ffmpeg);
        const MediaVideo::Ptr job =
            createMediaVideo(QStringLiteral("/in/a.mov"), m_dir.filePath("out.mp4"), tools);
        qunsetenv("FAKE_TOOL_SCRIPT_MEDIAINFO");
        qunsetenv("FAKE_TOOL_SCRIPT_FFMPEG");
        QCOMPARE(job->probeError, reason);
        QCOMPARE(commandLine(*job, tools, CropDetection::Describe).error, commandError);
    }

    // Two pictures: the facts of the first, not both run together into one number.
    void twoVideoStreams()
    {
        const MediaVideo::Ptr job = probe(clip("two-video.mkv"));
        QCOMPARE(job->videoTracks.size(), 2);
        QCOMPARE(QSize(job->videoWidth, job->videoHeight), QSize(320, 240));
        QVERIFY(job->videoTracks[1].contains("Size: 160x120"));
    }

    // Probes that run at the same time each read their own picture, and leave no file behind.
    void overlappingProbes()
    {
        // A temporary directory of this test's own, so that other programs' files do not count.
        QTemporaryDir temp;
        const QByteArray oldTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", temp.path().toUtf8());
        QCOMPARE(QDir::tempPath(), temp.path());
        QFile stale(temp.filePath("image.png"));
        QVERIFY(stale.open(QIODevice::WriteOnly)); // a leftover from elsewhere is neither read nor removed
        stale.write("not a picture");
        stale.close();

        MediaVideo::Ptr a, b;
        std::thread first([&] { a = probe(clip("pal.mp4")); });
        std::thread second([&] { b = probe(clip("two-audio.mp4")); });
        first.join();
        second.join();
        if (oldTemp.isEmpty())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", oldTemp);
        QCOMPARE(a->imageSize(), QSize(768, 576));
        QCOMPARE(b->imageSize(), QSize(320, 240));
        QCOMPARE(QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"image.png"});
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestProbe)
#include "tst_probe.moc"
