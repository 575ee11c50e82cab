// Which encoders can be used here (one-frame checks, kept per ffmpeg binary), and the command options of
// each encoder family in bitrate and constant quality.
#include "TestSupport.h"

#include "media/EncoderCatalog.h"
#include "model/MediaVideo.h"
#include "process/ToolRunner.h"
#include "rules/CommandLine.h"
#include "session/Session.h"

#include <QtTest>

class TestEncoderCatalog : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    static void inline_(std::function<void()> task) { task(); }

private slots:
    void initTestCase()
    {
        TestSupport::isolateSettings();
        QVERIFY(m_dir.isValid());
    }

    void commandShapes_data()
    {
        QTest::addColumn<QString>("encoder");
        QTest::addColumn<int>("quality"); // -1: the bitrate of 1000k
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QString>("profile");
        QTest::addColumn<QString>("expected"); // the command between the input and the audio, or "!error"
        const auto row = [](const char *name, const char *encoder, int quality, const char *preset,
                            const char *profile, const QString &expected) {
            QTest::newRow(name) << QString(encoder) << quality << QString(preset) << QString(profile)
                                << expected;
        };
        const QString vaapi = "-vaapi_device /dev/dri/renderD129 -y -i /in/clip.mov -vf crop=1920:800:0:140,"
                              "scale=1280:-2,format=nv12,hwupload -map 0:0 ";
        row("x264 bitrate", "libx264", -1, "slow", "high10",
            "-vf scale=-2:-2 -map 0:0 -c:v libx264 -b:v 1000k -preset slow -profile:v high10 -pix_fmt "
            "yuv420p");
        row("x265 quality, no high10", "libx265", 28, "veryslow", "high10",
            "-vf scale=-2:-2 -map 0:0 -c:v libx265 -crf 28 -preset veryslow -pix_fmt yuv420p");
        row("vaapi bitrate: device, upload after crop and scale", "h264_vaapi", -1, "slow", "baseline",
            vaapi + "-c:v h264_vaapi -b:v 1000k -profile:v constrained_baseline");
        row("vaapi quality", "hevc_vaapi", 25, "auto", "main",
            vaapi + "-c:v hevc_vaapi -qp 25 -profile:v main");
        row("nvenc quality", "hevc_nvenc", 30, "medium", "main",
            "-vf scale=-2:-2 -map 0:0 -c:v hevc_nvenc -cq 30 -preset p4 -profile:v main -pix_fmt yuv420p");
        row("qsv bitrate", "h264_qsv", -1, "superfast", "main",
            "-vf scale=-2:-2 -map 0:0 -c:v h264_qsv -b:v 1000k -preset veryfast -profile:v main -pix_fmt "
            "nv12");
        row("qsv quality", "hevc_qsv", 22, "slower", "high",
            "-vf scale=-2:-2 -map 0:0 -c:v hevc_qsv -global_quality 22 -preset slower -pix_fmt nv12");
        row("svt-av1 bitrate, ultrafast", "libsvtav1", -1, "ultrafast", "main",
            "-vf scale=-2:-2 -map 0:0 -c:v libsvtav1 -b:v 1000k -preset 13 -pix_fmt yuv420p");
        row("vp9 quality, medium", "libvpx-vp9", 33, "medium", "high",
            "-vf scale=-2:-2 -map 0:0 -c:v libvpx-vp9 -crf 33 -b:v 0 -deadline good -cpu-used 2 -row-mt 1 "
            "-pix_fmt yuv420p");
        row("videotoolbox has no quality", "hevc_videotoolbox", 20, "auto", "auto",
            "!hevc_videotoolbox has no constant quality mode");
    }
    void commandShapes()
    {
        QFETCH(QString, encoder);
        QFETCH(int, quality);
        QFETCH(QString, preset);
        QFETCH(QString, profile);
        QFETCH(QString, expected);
        MediaVideo job(QStringLiteral("/in/clip.mov"), QStringLiteral("/out/clip.mkv"));
        job.deInterlace = false;
        job.videoPixelAspectRatio = 1.0;
        job.videoTracks = {QStringLiteral("1 0 AVC")};
        job.audioTracks = {QStringLiteral("summary"), QStringLiteral("2 1 AAC")};
        job.audioTrack = 1;
        job.videoEncoder = *caseFromRawText<VideoEncoders>(encoder);
        job.videoPreset = *caseFromRawText<VideoPresets>(preset);
        job.videoProfile = *caseFromRawText<VideoProfiles>(profile);
        job.videoTune = VideoTunes::film; // x264 takes it; no hardware encoder does
        if (quality >= 0) {
            job.videoRate = VideoRate::Quality;
            job.videoQuality = quality;
        }
        if (encoder.endsWith("_vaapi")) {
            job.videoCrop = QStringLiteral("1920:800:0:140");
            job.width = 1280;
        }
        CommandContext context;
        context.ffmpegPath = QStringLiteral("/bin/ffmpeg");
        context.vaapiDevice = QStringLiteral("/dev/dri/renderD129");
        const CommandLine command = buildCommandLine(job, context);
        if (expected.startsWith('!')) {
            QVERIFY2(command.error.contains(expected.mid(1)), qPrintable(command.error));
            return;
        }
        QVERIFY2(command.ok(), qPrintable(command.error));
        const QString tune = encoder == "libx264" ? " -tune film" : "";
        const QString prefix = encoder.endsWith("_vaapi") ? "/bin/ffmpeg -hide_banner "
                                                          : "/bin/ffmpeg -hide_banner -y -i /in/clip.mov ";
        const QString suffix =
            " -map 0:1 -c:a aac -b:a 160k -ac 2 -ar 44100 -async 1 -f matroska /out/clip.mkv";
        QString text = QString(command.text).remove('"');
        if (!tune.isEmpty())
            text.remove(tune);
        QCOMPARE(text, prefix + expected + suffix);
    }

    void availabilityFromFfmpegAnswers_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<bool>("available");
        QTest::addColumn<QString>("reason");
        QTest::newRow("works") << QByteArray("exit:0") << true << QString();
        QTest::newRow("no driver")
            << QByteArray(
                   "err:[h264_nvenc @ 0x55e74ffb1700] Cannot load libcuda.so.1\\nError initializing output "
                   "stream 0:0 -- Error while opening encoder\\n;exit:1")
            << false << "Cannot load libcuda.so.1";
        QTest::newRow("x265 chatter first")
            << QByteArray("err:x265 [info]: HEVC encoder\\nx265 [error]: bad\\n;exit:1") << false
            << "x265 [error]: bad";
        // SVT-AV1 on a picture under 64x64, recorded from ffmpeg 5.1 and shortened.
        QTest::newRow("SVT-AV1 banner first")
            << QByteArray(
                   "err:Svt[info]: ------\\nSvt[info]: SVT [version]: SVT-AV1 Encoder Lib v1.4.1\\n"
                   "Svt[error]: Instance 1: Source Width must be at least 64\\n[libsvtav1 @ 0x562ccc259980] "
                   "Error setting encoder parameters: bad parameter (0x80001005)\\n;exit:1")
            << false << "Svt[error]: Instance 1: Source Width must be at least 64";
        QTest::newRow("silent failure") << QByteArray("exit:3") << false << "ffmpeg exited with status 3";
        QTest::newRow("hangs") << QByteArray("err:[h264_qsv] waiting\\n;hang") << false
                               << "ffmpeg did not answer in 0.3 s";
    }
    void availabilityFromFfmpegAnswers()
    {
        QFETCH(QByteArray, script);
        QFETCH(bool, available);
        QFETCH(QString, reason);
        const TestSupport::ResourceDir resources(TestSupport::ResourceDir::Entry::Fake,
                                                 TestSupport::ResourceDir::Entry::Missing);
        ToolRunner tools(resources.path());
        tools.setTimeLimits({.encoderCheck = std::chrono::milliseconds(300)});
        const TestSupport::ScopedEnv env{{"FAKE_TOOL_SCRIPT", script}};
        const EncoderCatalog::Check check = EncoderCatalog::check("h264_nvenc", tools, {});
        QCOMPARE(check.available, available);
        QCOMPARE(check.reason, reason);
    }

    void answersAreKeptUntilTheBinaryChanges()
    {
        // ffmpeg is a copy of the fake tool: its time can be changed alone.
        const QString resources = m_dir.filePath("cached");
        QVERIFY(QDir().mkpath(resources) && QFile::copy(TestSupport::fakeToolPath(), resources + "/ffmpeg"));
        const QString calls = m_dir.filePath("calls");
        const QString cache = m_dir.filePath("cache/encoders.json");
        const int all = int(EncoderCatalog::checkedEncoders().size());
        const TestSupport::ScopedEnv env{{"FAKE_TOOL_SCRIPT", ("pgid:" + calls + ";exit:0").toUtf8()}};
        const auto checkAll = [&] {
            EncoderCatalog catalog(cache);
            QVERIFY(catalog.checkAll(ToolRunner(resources), inline_));
            QVERIFY(catalog.isKnown());
        };
        checkAll();
        const int first = int(TestSupport::readFile(calls).count('\n'));
        // Without a render node the VAAPI encoders fail without running anything.
        QCOMPARE(first, all - (EncoderCatalog::renderNodes().isEmpty() ? 2 : 0));
        checkAll();
        QCOMPARE(int(TestSupport::readFile(calls).count('\n')), first);

        QFile binary(resources + "/ffmpeg");
        QVERIFY(binary.open(QIODevice::ReadWrite));
        QVERIFY(binary.setFileTime(binary.fileTime(QFileDevice::FileModificationTime).addSecs(-60),
                                   QFileDevice::FileModificationTime));
        binary.close();
        checkAll();
        QCOMPARE(int(TestSupport::readFile(calls).count('\n')), 2 * first);
    }

    void aJobWithAnUnusableEncoderIsFlaggedAndRefused()
    {
        const QString source = m_dir.filePath("source.mov");
        QFile(source).open(QIODevice::WriteOnly);
        Session session(ToolRunner(TestSupport::realResourceDir()), nullptr, QString());
        session.encoders()->setResult({"h264_nvenc", false, "Cannot load libcuda.so.1"});
        auto job = std::make_shared<MediaVideo>(source, m_dir.filePath("out.mkv"));
        job->videoTracks = {QStringLiteral("1 0 AVC")};
        job->videoEncoder = VideoEncoders::h264_nvenc;
        session.jobs()->append(job);
        QVERIFY(session.jobs()->index(0).data(JobListModel::WarningRole).toString().contains("libcuda.so.1"));

        QSignalSpy finished(session.encoder(), &BatchEncoder::runFinished);
        QVERIFY(session.encoder()->start({job}));
        QVERIFY(finished.wait(30000));
        QCOMPARE(job->result.status, JobResult::Status::NotRun);
        QCOMPARE(job->result.reasonText(), "h264_nvenc cannot be used: Cannot load libcuda.so.1");
        QVERIFY(!QFileInfo::exists(m_dir.filePath("out.mkv")));
    }

    void debiansFfmpegHasLibx264()
    {
        const ToolRunner tools(TestSupport::realResourceDir());
        const EncoderCatalog::Check x264 = EncoderCatalog::check("libx264", tools, {});
        QVERIFY2(x264.available, qPrintable(x264.reason));
        const EncoderCatalog::Check apple = EncoderCatalog::check("hevc_videotoolbox", tools, {});
        QCOMPARE(apple.reason, "Unknown encoder 'hevc_videotoolbox'");
    }
};

QTEST_GUILESS_MAIN(TestEncoderCatalog)
#include "tst_encodercatalog.moc"
