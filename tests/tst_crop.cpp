// Crop arithmetic, crop presets, typed crops, the preview outline, preview frames and crop detection.
#include "TestSupport.h"

#include "model/MediaVideo.h"
#include "tools/Crop.h"
#include "tools/CropPresets.h"
#include "tools/Log.h"
#include "tools/ToolRunner.h"

#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

class TestCrop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        setDiagnosticStream(nullptr);
        QVERIFY(m_dir.isValid());
        // 1920x1080 with black bars: the picture is 1920x816 from y 132. Few frames keep it quick.
        QVERIFY(TestSupport::generateClip(m_letterboxed,
                                          "-f lavfi -i color=black:size=1920x1080:rate=5:duration=2 "
                                          "-f lavfi -i testsrc=size=1920x816:rate=5:duration=2 "
                                          "-filter_complex [0][1]overlay=0:132"));
        QVERIFY(TestSupport::generateClip(m_audioOnly, "-f lavfi -i sine=duration=1 -c:a aac"));
        QVERIFY(TestSupport::generateClip(
            m_anamorphic, "-f lavfi -i testsrc=size=720x576:rate=5:duration=1 -vf setsar=16/15"));
    }

    void arithmetic_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<double>("W");
        QTest::addColumn<double>("H");
        QTest::addColumn<double>("R");
        QTest::addColumn<double>("P");
        QTest::addColumn<QString>("expected");

        QTest::newRow("keep height 4:3") << 3 << 1920.0 << 1080.0 << 1.3333 << 1.0 << "1440:1080:240:0";
        QTest::newRow("by width ratio 2.35") << 2 << 1920.0 << 1080.0 << 2.35 << 1.0 << "816:816:552:128";
        QTest::newRow("width not a multiple of 8")
            << 1 << 1916.0 << 1080.0 << 2.35 << 1.0 << "1912:808:2:136";
        QTest::newRow("zero picture") << 1 << 0.0 << 0.0 << 2.35 << 0.0 << "0:0:0:0";
    }

    void arithmetic()
    {
        QFETCH(int, mode);
        QFETCH(double, W);
        QFETCH(double, H);
        QFETCH(double, R);
        QFETCH(double, P);
        const QString got = mode == 1   ? cropKeepWidth(W, H, R, P)
                            : mode == 2 ? cropByWidthRatio(W, H, R, P)
                                        : cropKeepHeight(W, H, R, P);
        QTEST(got, "expected");
    }

    // Preset index to stored crop text and preview outline; "=" for an outline equal to the text.
    void presets_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("par");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("preview");
        const auto row = [](const char *name, int index, const char *current, const char *text,
                            const char *preview = "=", int width = 1920, int height = 1080,
                            double par = 1.0) {
            QTest::newRow(name) << width << height << par << index << QString(current) << QString(text)
                                << QString(preview);
        };
        row("none", 0, "1:2:3:4", "", "");
        row("manual keeps", 1, "1904:800:8:140", "1904:800:8:140");
        row("2:35.1", 3, "x", "1920:816:0:128");
        row("16:9", 9, "x", "1920:1080:0:0");
        // Stored text and outline differ for non-square pixels.
        row("4:3 on PAL 16/15", 7, "x", "760:536:4:16", "576:576:96:0", 720, 576, 16.0 / 15.0);
        row("index past the table", 10, "x", "", "");
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
        MediaVideo job;
        job.videoWidth = width;
        job.videoHeight = height;
        job.videoPixelAspectRatio = par;
        QCOMPARE(presetCropText(index, job, current), text);
        QCOMPARE(previewCropText(index, job, text), preview == "=" ? text : preview);
    }

    // The one crop reader; "-" for no crop.
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("anywhere");
        QTest::addColumn<bool>("negative");
        QTest::addColumn<int>("maxDigits");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *text, bool anywhere, bool negative, int maxDigits,
                            const char *expected) {
            QTest::newRow(name) << QString(text) << anywhere << negative << maxDigits << QString(expected);
        };
        row("whole", "1920:816:0:132", false, false, 0, "1920:816:0:132");
        row("minus refused", "-80:100:2000:0", false, false, 0, "-");
        row("minus allowed", "-80:100:2000:-4", false, true, 0, "-80:100:2000:-4");
        row("newline after", "1920:816:0:132\n", false, false, 0, "-");
        row("too large for a number", "99999999999:1:1:1", false, false, 0, "-");
        row("five digits, four allowed", "19200:800:0:0", false, false, 4, "-");
        row("in a report", "x crop=1:22:333:4444 y", true, false, 0, "1:22:333:4444");
        row("inside a run of digits", "12345:1:1:1", true, false, 4, "2345:1:1:1");
        row("last number cut at four digits", "1:1:1:12345", true, false, 4, "1:1:1:1234");
        row("shell text around", "$(touch X) 10:10:0:0;rm", true, false, 4, "10:10:0:0");
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(bool, anywhere);
        QFETCH(bool, negative);
        QFETCH(int, maxDigits);
        const std::optional<CropNumbers> crop =
            parseCrop(text, {.anywhere = anywhere, .negative = negative, .maxDigits = maxDigits});
        QTEST(crop ? formatCrop(*crop) : QStringLiteral("-"), "expected");
    }

    // Crop texts: typed into the editor, against the picture; cut from the detector's report; and the
    // detector's rounding to multiples of 16, which is no border: that axis keeps the whole picture.
    void cropTexts_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *kind, const char *name, const char *text, QSize picture,
                            const char *expected) {
            QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(kind, name)))
                << QString(kind) << QString(text) << picture << QString(expected);
        };
        const QSize hd(1920, 1080);
        row("typed", "text around", "abc 1920:800:0:140 xyz", hd, "1920:800:0:140");
        row("typed", "too wide", "1920:800:100:0", hd, "1820:800:100:0");
        row("typed", "two numbers", "1920:1080", hd, "");
        row("typed", "offset past the picture", "100:100:2000:0", hd, "-80:100:2000:0");
        row("typed", "five digits take the first four", "19200:800:0:0", hd, "1920:800:0:0");
        row("report", "filter line",
            "[Parsed_cropdetect_0 @ 0x1] x1:0 x2:1919 w:1920 h:816 x:0 y:132 pts:5 t:0.2 "
            "crop=1920:816:0:132\n",
            {}, "crop=1920:816:0:132");
        row("report", "last wins", "a crop=1:1:0:0\nb crop=1904:800:8:140\r\n", {}, "crop=1904:800:8:140");
        row("report", "file name with digits", "Input #0, mov, from '/x/crop=1:2:3:4.mp4':\n", {}, "");
        row("rounding", "full 1080p picture", "1920:1072:0:4", hd, "1920:1080:0:0");
        row("rounding", "letterbox stays, width is whole", "1904:816:6:132", {1916, 1080}, "1916:816:0:132");
        row("rounding", "16 pixels are a border", "1904:1064:8:8", hd, "1904:1064:8:8");
        row("rounding", "picture not probed", "1920:1072:0:4", {0, 0}, "1920:1072:0:4");
    }

    void cropTexts()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(QSize, picture);
        QTEST(kind == "typed"      ? validateCropText(text, picture.width(), picture.height())
              : kind == "rounding" ? withoutRoundingBorders(text, picture.width(), picture.height())
                                   : cropReportIn(text),
              "expected");
    }

    void detectsLetterbox()
    {
        const ToolRunner tools(TestSupport::realResourceDir());
        QCOMPARE(detectCrop(tools, m_letterboxed, "00:00:01"), QStringLiteral("crop=1920:816:0:132"));
    }

    // ffmpeg names the input in its output; the name must neither run nor count as a crop.
    void hostileAudioOnlyName()
    {
        const ToolRunner tools(TestSupport::realResourceDir());
        const TestSupport::WorkingDir cwd;
        QCOMPARE(detectCrop(tools, m_audioOnly, "00:00:00"), QString());
        QCOMPARE(extractPreviewFrame(tools, m_audioOnly, m_dir.filePath("audio.png"), "00:00:00"), QString());
        QVERIFY(cwd.isEmpty());
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
        const TestSupport::ResourceDir none(TestSupport::ResourceDir::Entry::Missing,
                                            TestSupport::ResourceDir::Entry::Missing);
        QCOMPARE(detectCrop(ToolRunner(none.path()), m_letterboxed, "00:00:01"), QString());
    }

private:
    QTemporaryDir m_dir;
    const QString m_letterboxed = m_dir.filePath("letterboxed.mp4");
    const QString m_audioOnly = m_dir.filePath("crop=$(touch INJECTED).mp4");
    const QString m_anamorphic = m_dir.filePath("pal.mp4");
};

QTEST_GUILESS_MAIN(TestCrop)
#include "tst_crop.moc"
