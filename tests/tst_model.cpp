// Vocabularies, the job record and the preferences store.
#include "TestSupport.h"

#include "model/MediaVideo.h"
#include "model/Preferences.h"
#include "model/Vocabulary.h"

#include <QBuffer>
#include <QSettings>
#include <QtTest>

class TestModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::isolateSettings(); }
    void init() { Preferences::clear(); }

    // Stored indexes depend on these orders: a change here silently re-maps users' settings. (Figures are
    // stored as themselves, not by their place in a list.)
    void storedOrders()
    {
        QCOMPARE(rawTexts<VideoEncoders>(),
                 (QStringList{"libx264", "h264_videotoolbox", "libx265", "hevc_videotoolbox", "h264_vaapi",
                              "hevc_vaapi", "h264_nvenc", "hevc_nvenc", "h264_qsv", "hevc_qsv", "copy",
                              "libsvtav1", "libvpx-vp9"}));
        QCOMPARE(rawTexts<AudioEncoders>(),
                 (QStringList{"aac", "libmp3lame", "copy", "libopus", "flac", "ac3", "eac3"}));
        QCOMPARE(rawTexts<AudioChannels>(), (QStringList{"stereo", "keep"}));
        QCOMPARE(rawTexts<HdrKind>(), (QStringList{"none", "hdr10", "hlg"}));
        QCOMPARE(rawTexts<HdrOutput>(), (QStringList{"keep", "sdr"}));
        QCOMPARE(rawTexts<VideoProfiles>(),
                 (QStringList{"auto", "baseline", "main", "high", "high10", "high422", "high444"}));
        QCOMPARE(rawTexts<VideoPresets>(),
                 (QStringList{"auto", "ultrafast", "superfast", "veryfast", "faster", "fast", "medium",
                              "slow", "slower", "veryslow"}));
        QCOMPARE(rawTexts<VideoTunes>(), (QStringList{"auto", "film", "animation", "grain", "stillimage",
                                                      "fastdecode", "zerolatency", "psnr", "ssim"}));
        QCOMPARE(Lists::containers(), (QStringList{"mp4", "mkv", "webm"}));
        QCOMPARE(Lists::nameTemplates(),
                 (QStringList{"None", "{source}", "{source}_{videoCodec}_{audioCodec}"}));
    }

    void grainyPreviewIsKeptSmall()
    {
        // Noise compresses badly as PNG, as real camera frames do: such a preview must not cost megabytes.
        QImage grain(1920, 1080, QImage::Format_RGB32);
        quint32 state = 12345;
        for (int y = 0; y < grain.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(grain.scanLine(y));
            for (int x = 0; x < grain.width(); ++x) {
                state = state * 1664525u + 1013904223u;
                line[x] = qRgb(int(state >> 24), int(state >> 16) & 0xff, (x * 255) / grain.width());
            }
        }
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(grain.save(&buffer, "PNG"));

        MediaVideo job;
        QVERIFY(job.setImageData(png));
        QCOMPARE(job.imageSize(), QSize(1920, 1080));
        QCOMPARE(job.image().size(), QSize(1920, 1080)); // the editor's crop outline needs every pixel
        QVERIFY2(job.imageData().size() < png.size() / 2,
                 qPrintable(QStringLiteral("%1 of %2 bytes").arg(job.imageData().size()).arg(png.size())));
    }

    // Absent keys read as zero values; empty text is present, not absent.
    void absentAndEmpty()
    {
        for (const Preferences::KeyInfo &info : Preferences::allKeys()) {
            QCOMPARE(Preferences::readInt(info.key), 0);
            QCOMPARE(Preferences::readText(info.key), std::nullopt);
        }
        Preferences::writeText(Preferences::Key::subtitleLanguage, QString());
        QCOMPARE(Preferences::readText(Preferences::Key::subtitleLanguage), std::optional(QString("")));
    }

    // A value typed into the settings file by hand: outside its list or sane range it reads as 0 (the
    // effective default), never as a wrapped number.
    void storedIntegersOutOfRange_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("read");
        QTest::newRow("bitrate past int") << QByteArray("audioDebit") << QVariant("99999999999") << 0;
        QTest::newRow("negative bitrate") << QByteArray("videoDebit") << QVariant(-500) << 0;
        QTest::newRow("bitrate not in the list") << QByteArray("videoDebit") << QVariant(1200) << 1200;
        QTest::newRow("sampling too high") << QByteArray("audioSampling") << QVariant(1000000) << 0;
        QTest::newRow("index past the list") << QByteArray("formatFile") << QVariant(3) << 0;
        QTest::newRow("last index") << QByteArray("videoTune") << QVariant(8) << 8;
        QTest::newRow("not a number") << QByteArray("container") << QVariant("mkv") << 0;
    }

    void storedIntegersOutOfRange()
    {
        QFETCH(QByteArray, key);
        QFETCH(QVariant, stored);
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "Tavrix", "Tavrix").setValue(key, stored);
        QTEST(Preferences::readInt(key.constData()), "read");
    }
};

QTEST_GUILESS_MAIN(TestModel)
#include "tst_model.moc"
