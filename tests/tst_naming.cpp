// Output names from the name templates.
#include "TestSupport.h"

#include "model/MediaVideo.h"
#include "model/Preferences.h"
#include "tools/OutputName.h"

#include <QtTest>

class TestNaming : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::isolateSettings(); }
    void init() { Preferences::clear(); }

    void names_data()
    {
        QTest::addColumn<int>("templ");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<int>("video");
        QTest::addColumn<int>("audio");
        QTest::addColumn<int>("container");
        QTest::addColumn<QStringList>("arguments"); // video codec, audio codec, extension
        QTest::addColumn<QString>("expected");

        const QStringList none{{}, {}, {}};
        QTest::newRow("codecs") << 2 << "/data/in/clip.mov"
                                << "/data/out/clip.mp4" << 2 << 0 << 0 << none
                                << "/data/out/clip_x265_aac.mp4";
        QTest::newRow("toolbox, mp3, mkv")
            << 2 << "/data/in/clip.mov"
            << "/data/out/clip.mp4" << 1 << 1 << 1 << none << "/data/out/clip_x264_mp3.mkv";
        QTest::newRow("source only, copy")
            << 1 << "/data/in/clip.mov"
            << "/data/out/clip.mp4" << 2 << 2 << 0 << none << "/data/out/clip.mp4";
        QTest::newRow("old destination name")
            << 1 << "/data/in/clip.mov"
            << "/data/out/old.mp4" << 2 << 0 << 0 << none << "/data/out/clip.mp4";
        QTest::newRow("last extension only")
            << 1 << "/data/in/movie.final.mov"
            << "/data/out/x.mp4" << 2 << 0 << 0 << none << "/data/out/movie.final.mp4";
        QTest::newRow("editor choices win")
            << 2 << "/data/in/clip.mov"
            << "/data/out/clip.mp4" << 2 << 0 << 0 << QStringList{"libx264", "copy", "mkv"}
            << "/data/out/clip_x264_copy.mkv";
        QTest::newRow("hevc toolbox") << 2 << "/a/b.ts"
                                      << "/o/b.mp4" << 3 << 2 << 1 << none << "/o/b_x265_copy.mkv";
        QTest::newRow("no directory") << 2 << "/data/in/clip.mov"
                                      << "clip.mp4" << 0 << 0 << 0 << none << "clip_x264_aac.mp4";
        QTest::newRow("dotted directory")
            << 1 << "/data/in.v2/clip"
            << "/data/out.v2/x.mp4" << 0 << 0 << 1 << none << "/data/out.v2/clip.mkv";
        QTest::newRow("hostile name kept")
            << 2 << "/in/a \"b\" $(x) `y`.mov"
            << "/out/z.mp4" << 0 << 2 << 0 << none << "/out/a \"b\" $(x) `y`_x264_copy.mp4";
        QTest::newRow("container out of range") << 1 << "/in/c.mov"
                                                << "/out/c.mp4" << 0 << 0 << 7 << none << "/out/c.mp4";
        QTest::newRow("template None keeps") << 0 << "/in/c.mov"
                                             << "/out/kept.mkv" << 0 << 0 << 0 << none << "/out/kept.mkv";
        QTest::newRow("template out of range keeps")
            << 5 << "/in/c.mov"
            << "/out/kept.mkv" << 0 << 0 << 0 << none << "/out/kept.mkv";
        QTest::newRow("negative template keeps") << -1 << "/in/c.mov"
                                                 << "/out/kept.mkv" << 0 << 0 << 0 << none << "/out/kept.mkv";
    }

    void names()
    {
        QFETCH(int, templ);
        QFETCH(QString, source);
        QFETCH(QString, destination);
        QFETCH(int, video);
        QFETCH(int, audio);
        QFETCH(int, container);
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);

        MediaVideo job(source, destination);
        job.videoEncoder = VideoEncoders(video);
        job.audioEncoder = AudioEncoders(audio);
        job.container = container;
        QCOMPARE(outputNameWithTemplate(job, templ, arguments[0], arguments[1], arguments[2]), expected);
        // The stored choice gives the same.
        Preferences::writeInt(Preferences::Key::formatFile, templ);
        QCOMPARE(outputName(job, arguments[0], arguments[1], arguments[2]), expected);
        QCOMPARE(job.destination, destination); // the job is not modified
    }

    // Placeholders are replaced whatever their letter case, one after another over the whole text.
    void placeholderRules()
    {
        MediaVideo job(QStringLiteral("/in/{VIDEOCODEC}.mov"), QStringLiteral("/out/x.mp4"));
        job.videoEncoder = VideoEncoders::libx264;
        // "{source}" goes in first, so a placeholder inside the source name is replaced afterwards.
        QCOMPARE(outputNameWithTemplate(job, 2), QStringLiteral("/out/x264_x264_aac.mkv")); // container 1
    }

    // The free name for an output whose name is taken: "-N" before the last extension, first free N.
    void freeNames_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("taken"); // "*" takes every name
        QTest::addColumn<QString>("expected");
        QTest::newRow("free") << "/o/clip.mp4" << QStringList{} << "/o/clip.mp4";
        QTest::newRow("taken") << "/o/clip.mp4" << QStringList{"/o/clip.mp4"} << "/o/clip-1.mp4";
        QTest::newRow("next") << "/o/clip.mp4" << QStringList{"/o/clip.mp4", "/o/clip-1.mp4"}
                              << "/o/clip-2.mp4";
        QTest::newRow("first gap") << "/o/clip.mp4" << QStringList{"/o/clip.mp4", "/o/clip-2.mp4"}
                                   << "/o/clip-1.mp4";
        QTest::newRow("last extension") << "/o/a.b.mkv" << QStringList{"/o/a.b.mkv"} << "/o/a.b-1.mkv";
        QTest::newRow("no extension") << "/o/name" << QStringList{"/o/name"} << "/o/name-1";
        QTest::newRow("dotted directory") << "/o.d/name" << QStringList{"/o.d/name"} << "/o.d/name-1";
        QTest::newRow("hidden file") << "/o/.hidden" << QStringList{"/o/.hidden"} << "/o/.hidden-1";
        QTest::newRow("bare name") << "clip.mp4" << QStringList{"clip.mp4"} << "clip-1.mp4";
        QTest::newRow("all taken") << "/o/clip.mp4" << QStringList{"*"} << "";
    }

    void freeNames()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, taken);
        QTEST(freeName(path, [&taken](const QString &p) { return taken.contains("*") || taken.contains(p); }),
              "expected");
    }

    void importDestinations()
    {
        QCOMPARE(importDestination("/data/in/clip.mov"), QStringLiteral("/data/in/clip.mp4"));
        QCOMPARE(importDestination("/data/in/clip.mov", "/data/out"), QStringLiteral("/data/out/clip.mp4"));
        QCOMPARE(importDestination("/data/in.d/clip", "/o"), QStringLiteral("/o/clip.mp4"));
    }
};

QTEST_GUILESS_MAIN(TestNaming)
#include "tst_naming.moc"
