// Output names from the name templates, and the free name taken beside a file in the way.
#include "TestSupport.h"

#include "model/MediaVideo.h"
#include "model/Preferences.h"
#include "rules/OutputName.h"

#include <QDir>

#include <QtTest>

class TestNaming : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::isolateSettings(); }

    void names_data()
    {
        QTest::addColumn<int>("templ");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<int>("video");
        QTest::addColumn<int>("audio");
        QTest::addColumn<int>("container");
        QTest::addColumn<QStringList>("editor"); // video codec, audio codec, extension chosen in the editor
        QTest::addColumn<QString>("expected");
        const QStringList none{{}, {}, {}};
        const auto row = [](const char *name, int templ, const char *source, const char *destination,
                            int video, int audio, int container, const QStringList &editor,
                            const char *expected) {
            QTest::newRow(name) << templ << QString(source) << QString(destination) << video << audio
                                << container << editor << QString(expected);
        };
        row("codecs", 2, "/data/in/clip.mov", "/data/out/old.mp4", 2, 0, 0, none,
            "/data/out/clip_x265_aac.mp4");
        row("hevc toolbox, copy", 2, "/a/b.ts", "/o/b.mp4", 3, 2, 1, none, "/o/b_x265_copy.mkv");
        row("source name, last extension only", 1, "/in/movie.final.mov", "/o/x.mp4", 2, 0, 0, none,
            "/o/movie.final.mp4");
        row("editor choices win", 2, "/in/clip.mov", "/o/clip.mp4", 2, 0, 0, {"libx264", "copy", "mkv"},
            "/o/clip_x264_copy.mkv");
        row("no directory", 2, "/in/clip.mov", "clip.mp4", 0, 0, 0, none, "clip_x264_aac.mp4");
        row("dotted directory", 1, "/in.v2/clip", "/out.v2/x.mp4", 0, 0, 1, none, "/out.v2/clip.mkv");
        // "{source}" goes in first, so a placeholder inside the source name is replaced afterwards.
        row("placeholder in the source name", 2, "/in/{VIDEOCODEC}.mov", "/o/x.mp4", 0, 0, 1, none,
            "/o/x264_x264_aac.mkv");
        row("AV1 and Opus in WebM", 2, "/in/clip.mov", "/o/clip.mp4", 11, 3, 2, none,
            "/o/clip_av1_opus.webm");
        row("VP9 and FLAC", 2, "/in/clip.mov", "/o/clip.mp4", 12, 4, 1, none, "/o/clip_vp9_flac.mkv");
        row("container out of range", 1, "/in/c.mov", "/o/c.mp4", 0, 0, 7, none, "/o/c.mp4");
        row("template None keeps", 0, "/in/c.mov", "/o/kept.mkv", 0, 0, 0, none, "/o/kept.mkv");
    }

    void names()
    {
        QFETCH(int, templ);
        QFETCH(QString, destination);
        QFETCH(QStringList, editor);
        QFETCH(QString, source);
        QFETCH(int, video);
        QFETCH(int, audio);
        MediaVideo job(source, destination);
        job.videoEncoder = VideoEncoders(video);
        job.audioEncoder = AudioEncoders(audio);
        QFETCH(int, container);
        job.container = container;
        QTEST(outputNameWithTemplate(job, templ, editor[0], editor[1], editor[2]), "expected");
        QCOMPARE(job.destination, destination);
    }

    // A new destination folder: the job keeps its file name (or takes the template's) in that folder,
    // and goes back beside its source when the folder is cleared.
    void movedDestinations_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("templ");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *destination, const char *folder, int templ,
                            const QString &expected) {
            QTest::newRow(name) << QString(destination) << QString(folder) << templ << expected;
        };
        row("name kept", "/o/kept.mkv", "/new", 0, "/new/kept.mkv");
        row("cleared: beside the source", "/o/kept.mkv", "", 0, "/in/kept.mkv");
        row("template", "/o/kept.mkv", "/new", 2, "/new/clip_x264_aac.mp4");
        row("no name yet", "", "/new", 0, "/new/clip.mp4");
        // A saved list takes whole paths only.
        row("relative folder", "/o/kept.mkv", "out", 0, QDir::current().filePath("out/kept.mkv"));
    }
    void movedDestinations()
    {
        QFETCH(QString, destination);
        QFETCH(QString, folder);
        QFETCH(int, templ);
        MediaVideo job(QStringLiteral("/in/clip.mov"), destination);
        job.videoEncoder = VideoEncoders::libx264;
        job.container = 0;
        QTEST(movedDestination(job, folder, templ), "expected");
    }

    // "-N" before the last extension, the first free N.
    void freeNames_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("taken"); // "*" takes every name
        QTest::addColumn<QString>("expected");
        QTest::newRow("free") << "/o/clip.mp4" << QStringList{} << "/o/clip.mp4";
        QTest::newRow("first gap") << "/o/clip.mp4" << QStringList{"/o/clip.mp4", "/o/clip-2.mp4"}
                                   << "/o/clip-1.mp4";
        QTest::newRow("last extension") << "/o/a.b.mkv" << QStringList{"/o/a.b.mkv"} << "/o/a.b-1.mkv";
        QTest::newRow("dotted directory") << "/o.d/name" << QStringList{"/o.d/name"} << "/o.d/name-1";
        QTest::newRow("hidden file") << "/o/.hidden" << QStringList{"/o/.hidden"} << "/o/.hidden-1";
        QTest::newRow("all taken") << "/o/clip.mp4" << QStringList{"*"} << "";
    }

    void freeNames()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, taken);
        QTEST(freeName(path, [&taken](const QString &p) { return taken.contains("*") || taken.contains(p); }),
              "expected");
    }
};

QTEST_GUILESS_MAIN(TestNaming)
#include "tst_naming.moc"
