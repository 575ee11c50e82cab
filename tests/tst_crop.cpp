// Crop presets and their arithmetic, typed crops, the preview outline and the detector's report.
#include "TestSupport.h"

#include "model/MediaVideo.h"
#include "rules/Crop.h"
#include "rules/CropPresets.h"

#include <QtTest>

class TestCrop : public QObject
{
    Q_OBJECT

private slots:
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
        // Stored text and outline differ for non-square pixels.
        row("4:3 on PAL 16/15", 7, "x", "760:536:4:16", "576:576:96:0", 720, 576, 16.0 / 15.0);
        row("2:35.1, width not a multiple of 8", 3, "x", "1912:808:2:136", "=", 1916);
        row("5:3 keeps the height", 8, "x", "1792:1072:64:0");
        // A picture narrower than the ratio keeps its width (and a wider one its height) instead.
        row("5:3 on a 4:3 picture", 8, "x", "320:192:0:24", "=", 320, 240);
        row("16:9 on a scope picture", 9, "x", "1440:808:240:0", "=", 1920, 816);
        row("never probed", 3, "x", "0:0:0:0", "=", 0, 0, 0.0);
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
        row("too large for a number", "99999999999:1:1:1", false, false, 0, "-");
        row("in a report", "x crop=1:22:333:4444 y", true, false, 0, "1:22:333:4444");
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
        row("report", "last wins", "a crop=1:1:0:0\nb crop=1904:800:8:140\r\n", {}, "crop=1904:800:8:140");
        row("report", "file name with digits", "Input #0, mov, from '/x/crop=1:2:3:4.mp4':\n", {}, "");
        row("rounding", "full 1080p picture", "1920:1072:0:4", hd, "1920:1080:0:0");
        row("rounding", "letterbox stays, width is whole", "1904:816:6:132", {1916, 1080}, "1916:816:0:132");
        row("rounding", "16 pixels are a border", "1904:1064:8:8", hd, "1904:1064:8:8");
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
};

QTEST_GUILESS_MAIN(TestCrop)
#include "tst_crop.moc"
