// Which encoders the installed ffmpeg has, read from its own encoder list.
#include "TestSupport.h"

#include "model/MediaVideo.h"
#include "tools/EncoderCatalog.h"
#include "tools/ToolRunner.h"

#include <QtTest>

using TestSupport::ResourceDir;

class TestEncoderCatalog : public QObject
{
    Q_OBJECT

private slots:
    void init() { EncoderCatalog::instance().reset(); }
    void cleanupTestCase() { EncoderCatalog::instance().reset(); }

    void parsesTheInstalledFfmpegList()
    {
        QByteArray out;
        QCOMPARE(TestSupport::run(TestSupport::realTool("ffmpeg"), {"-hide_banner", "-encoders"}, &out), 0);
        const QString text = QString::fromUtf8(out);
        const QSet<QString> names = EncoderCatalog::parseEncoderList(text);

        // Every line after the dashes is one encoder; the legend before them is none.
        const qsizetype dashes = text.indexOf(QLatin1String("------"));
        QVERIFY(dashes > 0);
        const QStringList entries = text.mid(dashes).split('\n', Qt::SkipEmptyParts).mid(1);
        QCOMPARE(names.size(), entries.size());
        for (const char *name : {"libx264", "libx265", "aac", "libmp3lame", "mov_text"})
            QVERIFY2(names.contains(name), name);
        for (const char *legend : {"=", "Video", "Audio", "Subtitle", "------"})
            QVERIFY2(!names.contains(legend), legend);
    }

    void parsesPiecesOfOutput_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QStringList>("names");
        const QString legend = " V..... = Video\n A..... = Audio\n ------\n";
        QTest::newRow("video and audio") << legend + " V....D libx264  H.264\n A..... aac  AAC\n"
                                         << QStringList{"libx264", "aac"};
        QTest::newRow("carriage returns") << QString(legend).replace('\n', "\r\n") + " VF.... cfhd  GoPro\r\n"
                                          << QStringList{"cfhd"};
        QTest::newRow("no dashes, no list") << " V....D libx264  H.264\n" << QStringList{};
        QTest::newRow("junk after the list") << legend + " V....D libx264  H.264\nConversion failed!\n"
                                             << QStringList{"libx264"};
        QTest::newRow("empty") << QString() << QStringList{};
    }
    void parsesPiecesOfOutput()
    {
        QFETCH(QString, output);
        QFETCH(QStringList, names);
        QCOMPARE(EncoderCatalog::parseEncoderList(output), QSet<QString>(names.begin(), names.end()));
    }

    void refreshAsksTheInstalledFfmpeg()
    {
        EncoderCatalog &catalog = EncoderCatalog::instance();
        QVERIFY(!catalog.isKnown());
        QVERIFY(catalog.isAvailable("hevc_videotoolbox")); // nothing known yet: nothing marked

        QVERIFY(catalog.refresh(ToolRunner(TestSupport::realResourceDir())));
        QVERIFY(catalog.isKnown());
        QVERIFY(catalog.isAvailable("libx264"));
        QVERIFY(catalog.isAvailable("copy"));               // passes the stream through, no encoder needed
        QVERIFY(!catalog.isAvailable("hevc_videotoolbox")); // a macOS encoder, absent on this system
    }

    void refreshKeepsWhatWasKnownWhenTheToolFails_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QByteArray>("script");
        QTest::newRow("missing ffmpeg") << int(ResourceDir::Entry::Missing) << QByteArray();
        QTest::newRow("no list") << int(ResourceDir::Entry::Fake)
                                 << QByteArray("err:Unknown option\\n;exit:1");
        QTest::newRow("crash") << int(ResourceDir::Entry::Fake) << QByteArray("out: ------\\n;crash");
    }
    void refreshKeepsWhatWasKnownWhenTheToolFails()
    {
        QFETCH(int, entry);
        QFETCH(QByteArray, script);
        EncoderCatalog &catalog = EncoderCatalog::instance();
        catalog.setAvailable({"libx264"});
        const ResourceDir dir(ResourceDir::Entry(entry), ResourceDir::Entry::Missing);
        qputenv("FAKE_TOOL_SCRIPT", script);
        const bool refreshed = catalog.refresh(ToolRunner(dir.path()));
        qunsetenv("FAKE_TOOL_SCRIPT");
        QVERIFY(!refreshed);
        QVERIFY(catalog.isKnown());
        QVERIFY(catalog.isAvailable("libx264"));
        QVERIFY(!catalog.isAvailable("libx265"));
    }

    void warnsAboutAJobThatUsesAMissingEncoder()
    {
        EncoderCatalog &catalog = EncoderCatalog::instance();
        MediaVideo job;
        job.videoEncoder = VideoEncoders::hevc_videotoolbox;
        job.audioEncoder = AudioEncoders::libmp3lame;
        QCOMPARE(catalog.jobWarning(job), QString()); // unknown list: no warning

        catalog.setAvailable({"libx264", "libx265", "aac"});
        QVERIFY(catalog.jobWarning(job).contains("hevc_videotoolbox"));
        QVERIFY(catalog.jobWarning(job).contains("libmp3lame"));
        job.audioEncoder = AudioEncoders::copy;
        QVERIFY(catalog.jobWarning(job).contains("hevc_videotoolbox"));
        QVERIFY(!catalog.jobWarning(job).contains("copy"));
        job.videoEncoder = VideoEncoders::libx265;
        QCOMPARE(catalog.jobWarning(job), QString());
    }

    void answersFromSeveralThreads()
    {
        EncoderCatalog &catalog = EncoderCatalog::instance();
        std::atomic<int> wrong{0};
        QThread *reader = QThread::create([&] {
            for (int i = 0; i < 20000; ++i) {
                if (!catalog.isAvailable("aac"))
                    ++wrong;
            }
        });
        reader->start();
        for (int i = 0; i < 2000; ++i)
            catalog.setAvailable(i % 2 ? QSet<QString>{"aac"} : QSet<QString>{"aac", "libx264"});
        QVERIFY(reader->wait(30000));
        delete reader;
        QCOMPARE(wrong.load(), 0);
    }
};

QTEST_GUILESS_MAIN(TestEncoderCatalog)
#include "tst_encodercatalog.moc"
