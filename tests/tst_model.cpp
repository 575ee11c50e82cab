// Vocabularies, the job record and the preferences store.
#include "TestSupport.h"

#include "model/MediaVideo.h"
#include "model/Preferences.h"
#include "model/Vocabulary.h"

#include <QBuffer>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

#include <atomic>
#include <thread>

class TestModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::isolateSettings(); }
    void init() { Preferences::clear(); }

    // Stored indexes depend on these orders: a change here silently re-maps users' settings.
    void storedOrders()
    {
        QCOMPARE(rawTexts<VideoEncoders>(),
                 (QStringList{"libx264", "h264_videotoolbox", "libx265", "hevc_videotoolbox", "h264_vaapi",
                              "hevc_vaapi", "h264_nvenc", "hevc_nvenc", "h264_qsv", "hevc_qsv"}));
        QCOMPARE(rawTexts<AudioEncoders>(), (QStringList{"aac", "libmp3lame", "copy"}));
        QCOMPARE(rawTexts<VideoProfiles>(),
                 (QStringList{"auto", "baseline", "main", "high", "high10", "high422", "high444"}));
        QCOMPARE(rawTexts<VideoPresets>(),
                 (QStringList{"auto", "ultrafast", "superfast", "veryfast", "faster", "fast", "medium",
                              "slow", "slower", "veryslow"}));
        QCOMPARE(rawTexts<VideoTunes>(), (QStringList{"auto", "film", "animation", "grain", "stillimage",
                                                      "fastdecode", "zerolatency", "psnr", "ssim"}));
        QCOMPARE(Lists::containers(), (QStringList{"mp4", "mkv"}));
        QCOMPARE(Lists::videoDebits(),
                 (QStringList{"Auto", "500", "1000", "1600", "2000", "4000", "8500", "10000"}));
        QCOMPARE(Lists::audioDebits(), (QStringList{"Auto", "32", "64", "128", "160", "192", "256", "384"}));
        QCOMPARE(Lists::audioSamplings(), (QStringList{"Auto", "44100", "48000"}));
        QCOMPARE(Lists::widths(), (QStringList{"auto", "720", "1280", "1920", "3840", "4096"}));
        QCOMPARE(Lists::heights(), (QStringList{"auto", "576", "720", "1080", "2160"}));
        QCOMPARE(Lists::videoExtensions(),
                 (QStringList{"mp4", "mkv", "mov", "tod", "avi", "dv", "mpg", "mod", "mts", "ts", "m4v"}));
        QCOMPARE(Lists::subtitleExtensions(), (QStringList{"srt", "ssa", "ass"}));
        QCOMPARE(Lists::nameTemplates(),
                 (QStringList{"None", "{source}", "{source}_{videoCodec}_{audioCodec}"}));
    }

    void lookups()
    {
        QCOMPARE(rawText(VideoEncoders::h264_videotoolbox).size(), 17);
        QCOMPARE(caseFromRawText<VideoPresets>("medium"), std::optional(VideoPresets::medium));
        QCOMPARE(caseFromRawText<VideoPresets>("Medium"), std::nullopt);
        QCOMPARE(caseFromRawText<VideoProfiles>("auto"), std::optional(VideoProfiles::Auto));
        QCOMPARE(caseAt<VideoTunes>(9), std::nullopt);
        QCOMPARE(caseAt<VideoTunes>(-1), std::nullopt);
        QCOMPARE(caseAtOrFirst<VideoEncoders>(10), VideoEncoders::libx264);
        QCOMPARE(indexOfCase(AudioEncoders::copy), 2);
        QCOMPARE(qHash(VideoTunes::film), qHash(QStringLiteral("film")));
        QCOMPARE(Lists::rateFigure("Auto"), 0);
        QCOMPARE(Lists::rateFigure("10000"), 10000);
        QCOMPARE(Lists::sizeFigure("auto"), -2);
        QCOMPARE(Lists::sizeFigure("1920"), 1920);
        QCOMPARE(Lists::containerExtension(1), QStringLiteral("mkv"));
        QCOMPARE(Lists::containerExtension(5), QStringLiteral("mp4"));
        QVERIFY(Lists::isVideoFile("/cam/CLIP.MTS"));
        QVERIFY(Lists::isVideoFile("/a/video.Mp4"));
        QVERIFY(!Lists::isVideoFile("/a/notes.txt"));
        QVERIFY(!Lists::isVideoFile("/a/mp4"));
    }

    void startValues()
    {
        const MediaVideo job(QStringLiteral("/in/a.mov"), QStringLiteral("/out/a.mp4"));
        QCOMPARE(job.container, 1);
        QVERIFY(job.deInterlace && job.isQuicktime);
        QCOMPARE(job.videoEncoder, VideoEncoders::libx265);
        QCOMPARE(job.videoDebit, 1000);
        QCOMPARE(job.width, -2);
        QCOMPARE(job.height, -2);
        QCOMPARE(job.audioDebit, 160);
        QCOMPARE(job.audioSampling, 44100);
        QCOMPARE(job.durationVideo(), QStringLiteral("00:00:00"));
        QCOMPARE(job.durationVideoMiddle, QStringLiteral("00:00:00"));
        QCOMPARE(job.subtitleLanguage, QStringLiteral("fre"));
        QVERIFY(job.audioTracks.isEmpty() && job.videoTracks.isEmpty() && job.subtitleTracks.isEmpty());
        QCOMPARE(job.videoPixelAspectRatio, 0.0);
        QVERIFY(!job.hasImage() && job.image().isNull());
        QVERIFY(!job.id.isNull());
        QVERIFY(MediaVideo().id != job.id);
    }

    void durationObservers()
    {
        MediaVideo job;
        QStringList seen;
        const int token = job.observeDurationVideo([&](const MediaVideo &j, const QString &next) {
            seen << j.durationVideo() + QStringLiteral("->") + next; // told before the change
        });
        job.setDurationVideo(QStringLiteral("00:01:00"));
        job.removeDurationObserver(token);
        job.setDurationVideo(QStringLiteral("00:02:00"));
        QCOMPARE(seen, QStringList{"00:00:00->00:01:00"});
        QCOMPARE(job.durationVideo(), QStringLiteral("00:02:00"));
    }

    void previewImageIsKeptEncoded()
    {
        MediaVideo job;
        QVERIFY(!job.setImageData("not an image"));
        QVERIFY(!job.hasImage());
        QImage picture(1920, 1080, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        job.setImage(picture);
        QCOMPARE(job.imageSize(), QSize(1920, 1080));
        QCOMPARE(job.thumbnail().size(), QSize(128, 72));
        QVERIFY(job.imageData().size() < picture.sizeInBytes() / 10);
        QCOMPARE(job.image().pixelColor(5, 5), QColor(Qt::darkGreen));

        MediaVideo copy;
        QVERIFY(copy.setImageData(job.imageData()));
        QCOMPARE(copy.imageSize(), QSize(1920, 1080));
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

    void storeIsIsolated()
    {
        const QString location = Preferences::storeLocation();
        const QString realConfig = QDir::homePath() + QStringLiteral("/.config/Tavrix");
        QVERIFY2(!location.startsWith(realConfig), qPrintable(location));
        QVERIFY(location.contains(QStringLiteral("Tavrix")));
    }

    void zeroDefaults()
    {
        QCOMPARE(Preferences::allKeys().size(), std::size_t(20));
        for (const Preferences::KeyInfo &info : Preferences::allKeys()) {
            QVERIFY(!Preferences::contains(info.key));
            QCOMPARE(Preferences::readInt(info.key), 0);
            QCOMPARE(Preferences::readBool(info.key), false);
            QCOMPARE(Preferences::readText(info.key), std::nullopt);
        }
    }

    void roundTrips()
    {
        Preferences::writeInt(Preferences::Key::videoDebit, 1600);
        Preferences::writeBool(Preferences::Key::autoCrop, true);
        Preferences::writeText(Preferences::Key::otherParams, QStringLiteral("-threads 2 \"é\""));
        Preferences::writeText(Preferences::Key::subtitleLanguage, QString());
        QCOMPARE(Preferences::readInt(Preferences::Key::videoDebit), 1600);
        QCOMPARE(Preferences::readBool(Preferences::Key::autoCrop), true);
        QCOMPARE(Preferences::readText(Preferences::Key::otherParams), QStringLiteral("-threads 2 \"é\""));
        // Empty text is present, not absent.
        QCOMPARE(Preferences::readText(Preferences::Key::subtitleLanguage), std::optional(QString("")));
        QCOMPARE(Preferences::kindOf("autoCrop"), std::optional(Preferences::Kind::Boolean));
        QCOMPARE(Preferences::kindOf("AutoCrop"), std::nullopt);
        Preferences::remove(Preferences::Key::otherParams);
        QCOMPARE(Preferences::readText(Preferences::Key::otherParams), std::nullopt);
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
        QTest::newRow("audio bitrate too high") << QByteArray("audioDebit") << QVariant(100000) << 0;
        QTest::newRow("sampling too high") << QByteArray("audioSampling") << QVariant(1000000) << 0;
        QTest::newRow("sampling") << QByteArray("audioSampling") << QVariant(96000) << 96000;
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

    void manyThreads()
    {
        std::atomic<int> mismatches = 0;
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&mismatches] {
                for (int i = 0; i < 50; ++i) {
                    Preferences::writeInt(Preferences::Key::audioDebit, 128);
                    if (Preferences::readInt(Preferences::Key::audioDebit) != 128)
                        ++mismatches;
                }
            });
        }
        for (auto &t : threads)
            t.join();
        QCOMPARE(mismatches.load(), 0);
        QCOMPARE(Preferences::readInt(Preferences::Key::audioDebit), 128);
    }
};

QTEST_GUILESS_MAIN(TestModel)
#include "tst_model.moc"
