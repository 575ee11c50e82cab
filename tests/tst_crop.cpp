// Crop arithmetic, crop presets, typed crops, the preview outline, preview frames and crop detection.
#include "TestSupport.h"

#include "model/MediaVideo.h"
#include "tools/Crop.h"
#include "tools/CropPresets.h"
#include "tools/Log.h"
#include "tools/ToolRunner.h"

#include <QImage>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

namespace {

MediaVideo picture(int width, int height, double pixelAspectRatio)
{
    MediaVideo job;
    job.videoWidth = width;
    job.videoHeight = height;
    job.videoPixelAspectRatio = pixelAspectRatio;
    return job;
}

} // namespace

class TestCrop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        setDiagnosticStream(nullptr);
        QVERIFY(m_dir.isValid());
        // 1920x1080 with black bars: the picture is 1920x816 from y 132. Few frames keep it quick.
        m_letterboxed = m_dir.filePath("letterboxed.mp4");
        QVERIFY(TestSupport::generateClip(
            m_letterboxed,
            {"-f", "lavfi", "-i", "color=black:size=1920x1080:rate=5:duration=2", "-f", "lavfi", "-i",
             "testsrc=size=1920x816:rate=5:duration=2", "-filter_complex", "[0][1]overlay=0:132", "-c:v",
             "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"}));
        m_audioOnly = m_dir.filePath("crop=$(touch INJECTED).mp4");
        QVERIFY(
            TestSupport::generateClip(m_audioOnly, {"-f", "lavfi", "-i", "sine=duration=1", "-c:a", "aac"}));
        m_anamorphic = m_dir.filePath("pal.mp4");
        QVERIFY(TestSupport::generateClip(m_anamorphic,
                                          {"-f", "lavfi", "-i", "testsrc=size=720x576:rate=5:duration=1",
                                           "-vf", "setsar=16/15", "-c:v", "libx264", "-preset", "ultrafast",
                                           "-pix_fmt", "yuv420p"}));
    }

    void arithmetic_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<double>("W");
        QTest::addColumn<double>("H");
        QTest::addColumn<double>("R");
        QTest::addColumn<double>("P");
        QTest::addColumn<QString>("expected");

        QTest::newRow("keep width 2.35") << 1 << 1920.0 << 1080.0 << 2.35 << 1.0 << "1920:816:0:128";
        QTest::newRow("keep height 4:3") << 3 << 1920.0 << 1080.0 << 1.3333 << 1.0 << "1440:1080:240:0";
        QTest::newRow("by width ratio 2.35") << 2 << 1920.0 << 1080.0 << 2.35 << 1.0 << "816:816:552:128";
        QTest::newRow("width not a multiple of 8")
            << 1 << 1916.0 << 1080.0 << 2.35 << 1.0 << "1912:808:2:136";
        QTest::newRow("4:3 on 720p") << 2 << 1280.0 << 720.0 << 1.33 << 1.0 << "960:720:160:0";
        QTest::newRow("4:3 on PAL 16/15") << 2 << 720.0 << 576.0 << 1.33 << 16.0 / 15.0 << "760:536:4:16";
        QTest::newRow("4:3 on PAL, square pixels") << 2 << 768.0 << 576.0 << 1.33 << 1.0 << "576:576:96:0";
        // A ratio narrower than the picture: taller than H and a negative y, as computed.
        QTest::newRow("keep width, narrow ratio")
            << 1 << 1920.0 << 1080.0 << 1.33 << 1.0 << "1920:1440:0:-176";
        QTest::newRow("zero picture") << 1 << 0.0 << 0.0 << 2.35 << 0.0 << "0:0:0:0";
    }

    void arithmetic()
    {
        QFETCH(int, mode);
        QFETCH(double, W);
        QFETCH(double, H);
        QFETCH(double, R);
        QFETCH(double, P);
        QFETCH(QString, expected);
        const QString got = mode == 1   ? cropKeepWidth(W, H, R, P)
                            : mode == 2 ? cropByWidthRatio(W, H, R, P)
                                        : cropKeepHeight(W, H, R, P);
        QCOMPARE(got, expected);
    }

    void presetTable()
    {
        QStringList names;
        for (const CropPreset &p : crops())
            names << p.name;
        QCOMPARE(names, (QStringList{"none", "manual", "1:85.1", "2:35.1", "2:39.1", "2:55.1", "2:76.1",
                                     "4:3", "5:3", "16:9"}));
        QCOMPARE(crops()[1].value, QStringLiteral("-1"));
        QCOMPARE(crops()[7].cropMode, CropMode::cropmode2);
        QCOMPARE(crops()[8].cropMode, CropMode::cropmode3);
        QCOMPARE(cropPresetIndex("2:35.1"), 3);
        QCOMPARE(cropPresetIndex("2.35:1"), -1);
    }

    void presets_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("par");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("preview");

        QTest::newRow("none") << 1920 << 1080 << 1.0 << 0 << "1:2:3:4"
                              << ""
                              << "";
        QTest::newRow("manual keeps") << 1920 << 1080 << 1.0 << 1 << "1904:800:8:140"
                                      << "1904:800:8:140"
                                      << "1904:800:8:140";
        QTest::newRow("manual, empty") << 1920 << 1080 << 1.0 << 1 << ""
                                       << ""
                                       << "";
        QTest::newRow("1:85.1") << 1920 << 1080 << 1.0 << 2 << "x"
                                << "1920:1032:0:24"
                                << "1920:1032:0:24";
        QTest::newRow("2:35.1") << 1920 << 1080 << 1.0 << 3 << "x"
                                << "1920:816:0:128"
                                << "1920:816:0:128";
        QTest::newRow("2:39.1") << 1920 << 1080 << 1.0 << 4 << "x"
                                << "1920:800:0:136"
                                << "1920:800:0:136";
        QTest::newRow("4:3") << 1920 << 1080 << 1.0 << 7 << "x"
                             << "1440:1080:240:0"
                             << "1440:1080:240:0";
        QTest::newRow("5:3") << 1920 << 1080 << 1.0 << 8 << "x"
                             << "1792:1072:64:0"
                             << "1792:1072:64:0";
        QTest::newRow("16:9") << 1920 << 1080 << 1.0 << 9 << "x"
                              << "1920:1080:0:0"
                              << "1920:1080:0:0";
        QTest::newRow("4:3 on 720p") << 1280 << 720 << 1.0 << 7 << "x"
                                     << "960:720:160:0"
                                     << "960:720:160:0";
        // Stored text and outline differ for non-square pixels.
        QTest::newRow("4:3 on PAL 16/15") << 720 << 576 << 16.0 / 15.0 << 7 << "x"
                                          << "760:536:4:16"
                                          << "576:576:96:0";
        QTest::newRow("index past the table") << 1920 << 1080 << 1.0 << 10 << "x"
                                              << ""
                                              << "";
        QTest::newRow("negative index") << 1920 << 1080 << 1.0 << -3 << "x"
                                        << ""
                                        << "";
    }

    void presets()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(double, par);
        QFETCH(int, index);
        QFETCH(QString, current);
        QFETCH(QString, text);
        QFETCH(QString, preview);
        const MediaVideo job = picture(width, height, par);
        QCOMPARE(presetCropText(index, job, current), text);
        QCOMPARE(previewCropText(index, job, text), preview);
    }

    void typedCrops_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("text around") << "abc 1920:800:0:140 xyz"
                                     << "1920:800:0:140";
        QTest::newRow("too wide") << "1920:800:100:0"
                                  << "1820:800:100:0";
        QTest::newRow("too tall") << "100:1200:0:0"
                                  << "100:1080:0:0";
        QTest::newRow("two numbers") << "1920:1080"
                                     << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("offset past the picture") << "100:100:2000:0"
                                                 << "-80:100:2000:0";
        QTest::newRow("five digits take the first four") << "19200:800:0:0"
                                                         << "1920:800:0:0";
        QTest::newRow("shell text") << "$(touch X) 10:10:0:0;rm"
                                    << "10:10:0:0";
    }

    void typedCrops()
    {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QCOMPARE(validateCropText(typed, 1920, 1080), expected);
    }

    void cropStrings()
    {
        QVERIFY(isCropString("1920:816:0:132"));
        QVERIFY(!isCropString("-80:100:2000:0"));
        QVERIFY(!isCropString("1920:816:0:132 "));
        QVERIFY(!isCropString("1920:816:0"));
        QCOMPARE(cropRect("576:576:96:0"), std::optional(QRect(96, 0, 576, 576)));
        QCOMPARE(cropRect("-80:100:2000:0"), std::optional(QRect(2000, 0, -80, 100)));
        QCOMPARE(cropRect("a:b:c:d"), std::nullopt);
        QCOMPARE(findCropString("x crop=1:22:333:4444 y"), QStringLiteral("1:22:333:4444"));
    }

    void commands()
    {
        QCOMPARE(
            cropDetectionCommand("/app/Resources/ffmpeg", "/in/a.mp4", "00:01:02"),
            QStringLiteral("\"/app/Resources/ffmpeg\" -hide_banner -ss 00:01:02 -y -i \"/in/a.mp4\" -t 3 "
                           "-vf cropdetect=24:16:0 -an -f null -"));
        QCOMPARE(cropDetectionCommand("/app/Resources/ffmpeg", "/in/a.mp4", ""),
                 QStringLiteral("\"/app/Resources/ffmpeg\" -hide_banner -y -i \"/in/a.mp4\" -t 3 "
                                "-vf cropdetect=24:16:0 -an -f null -"));
        QCOMPARE(previewFrameCommand("/app/Resources/ffmpeg", "/in/a.mp4", "/tmp/x/image.png", "00:00:05"),
                 QStringLiteral("\"/app/Resources/ffmpeg\" -ss 00:00:05 -y -i \"/in/a.mp4\" -vf "
                                "\"scale=iw*sar:ih,setsar=1\" -vframes 1 \"/tmp/x/image.png\""));
        // A seek time that is not clock text stays one quoted word.
        QVERIFY(previewFrameCommand("f", "s", "i", "$(x)").contains(" -ss \"\\$(x)\" "));
    }

    void reports_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("expected");
        QTest::newRow("filter line")
            << "[Parsed_cropdetect_0 @ 0x1] x1:0 x2:1919 w:1920 h:816 x:0 y:132 pts:5 "
               "t:0.2 crop=1920:816:0:132\n"
            << "crop=1920:816:0:132";
        QTest::newRow("last wins") << "a crop=1:1:0:0\nb crop=1904:800:8:140\r\n"
                                   << "crop=1904:800:8:140";
        QTest::newRow("file name is not a report") << "Input #0, mov, from '/x/crop=$(touch X).mp4':\n"
                                                   << "";
        QTest::newRow("file name with digits") << "Input #0, mov, from '/x/crop=1:2:3:4.mp4':\n"
                                               << "";
        QTest::newRow("nothing") << "Output #0, null\n"
                                 << "";
    }

    void reports()
    {
        QFETCH(QString, output);
        QFETCH(QString, expected);
        QCOMPARE(cropReportIn(output), expected);
    }

    void detectsLetterbox()
    {
        const ToolRunner tools(TestSupport::realResourceDir());
        QCOMPARE(detectCrop(tools, m_letterboxed, "00:00:01"), QStringLiteral("crop=1920:816:0:132"));
        QCOMPARE(detectCrop(tools, m_letterboxed, ""), QStringLiteral("crop=1920:816:0:132"));
    }

    // ffmpeg names the input in its output; the name must neither run nor count as a crop.
    void hostileAudioOnlyName()
    {
        const ToolRunner tools(TestSupport::realResourceDir());
        QTemporaryDir cwd;
        const auto back = qScopeGuard([old = QDir::currentPath()] { QDir::setCurrent(old); });
        QVERIFY(QDir::setCurrent(cwd.path()));
        QCOMPARE(detectCrop(tools, m_audioOnly, "00:00:00"), QString());
        QCOMPARE(extractPreviewFrame(tools, m_audioOnly, m_dir.filePath("audio.png"), "00:00:00"), QString());
        QVERIFY(!QFile::exists(cwd.filePath("INJECTED")));
        QVERIFY(!QFile::exists(m_dir.filePath("INJECTED")));
    }

    void previewFrameHasSquarePixels()
    {
        const ToolRunner tools(TestSupport::realResourceDir());
        const QString image = m_dir.filePath("it's a $(frame).png");
        QCOMPARE(extractPreviewFrame(tools, m_anamorphic, image, "00:00:00"), image);
        QCOMPARE(QImage(image).size(), QSize(768, 576));
        QCOMPARE(
            extractPreviewFrame(tools, m_dir.filePath("missing.mp4"), m_dir.filePath("none.png"), "00:00:00"),
            QString());
    }

    void missingToolGivesNothing()
    {
        const TestSupport::ResourceDir dir(TestSupport::ResourceDir::Entry::Missing,
                                           TestSupport::ResourceDir::Entry::Missing);
        const ToolRunner tools(dir.path());
        QCOMPARE(detectCrop(tools, m_letterboxed, "00:00:01"), QString());
        QCOMPARE(extractPreviewFrame(tools, m_letterboxed, m_dir.filePath("no.png"), "00:00:01"), QString());
    }

private:
    QTemporaryDir m_dir;
    QString m_letterboxed;
    QString m_audioOnly;
    QString m_anamorphic;
};

QTEST_GUILESS_MAIN(TestCrop)
#include "tst_crop.moc"
