// The session: imports probed side by side that still enter the list in the order asked for, and a
// session that can be stopped and destroyed while its workers are busy.
#include "TestSupport.h"

#include "session/Session.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

using namespace TestSupport;

class TestSession : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QStringList m_clips;

private slots:
    void initTestCase()
    {
        isolateSettings();
        QVERIFY(m_dir.isValid());
        // Longer and shorter clips alternate, so later files are often probed before earlier ones.
        for (int i = 0; i < 6; ++i) {
            const QString path = m_dir.filePath(QStringLiteral("clip%1.mkv").arg(i));
            QVERIFY(generateSimpleClip(path, i % 2 ? 0.3 : 1.5));
            m_clips << path;
        }
    }

    void importsKeepTheirOrder()
    {
        Session session{ToolRunner(realResourceDir())};
        QSignalSpy finished(&session, &Session::importFinished);
        session.import({m_clips.mid(0, 3), {}, {}, {}, false});
        session.import({m_clips.mid(3, 3), {}, {}, {}, false});
        session.import({{}, {m_dir.path()}, {}, {}, false});
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 3, 60000);

        QStringList order;
        for (const MediaVideo::Ptr &job : session.jobs()->jobs())
            order << job->source + (job->videoTracks.isEmpty() ? " not probed" : "");
        QCOMPARE(order, m_clips + m_clips);
        QCOMPARE(finished.at(0).at(1).value<ImportReport>().imported, 3);
        QCOMPARE(finished.at(2).at(1).value<ImportReport>().imported, 6);
        QVERIFY(!session.isImporting());
    }

    // Without a name template an output keeps its source's name with the extension of its container.
    void importNamesTheOutputByItsContainer_data()
    {
        QTest::addColumn<int>("container");
        QTest::addColumn<QString>("into");
        QTest::addColumn<QString>("expected"); // below the clips' folder
        QTest::newRow("mp4 beside") << 0 << QString() << "clip0.mp4";
        QTest::newRow("mkv beside, the source's own name") << 1 << QString() << "clip0.mkv";
        QTest::newRow("webm into a folder") << 2 << "out"
                                            << "out/clip0.webm";
        QTest::newRow("unknown container") << 9 << QString() << "clip0.mp4";
    }
    void importNamesTheOutputByItsContainer()
    {
        QFETCH(int, container);
        QFETCH(QString, into);
        QFETCH(QString, expected);
        JobSettings settings;
        settings.container = container;
        Session session{ToolRunner(realResourceDir())};
        QSignalSpy finished(&session, &Session::importFinished);
        session.import({{m_clips[0]}, {}, into.isEmpty() ? into : m_dir.filePath(into), {}, false, settings});
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QCOMPARE(session.jobs()->job(0)->destination, m_dir.filePath(expected));
    }

    // A folder is searched by extension, in either letter case, for every container cameras, discs and
    // the web use; its other files are not probed one by one (a truncated video among them would be
    // reported, a document is not even looked at).
    void folderOfOtherContainers_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("output"); // encoder and muxer options
        const QList<std::pair<const char *, const char *>> rows{{"clip.webm", "-c:v libvpx"},
                                                                {"00001.M2TS", "-c:v mpeg2video -f mpegts"},
                                                                {"phone.3gp", "-c:v mpeg4"},
                                                                {"phone.3g2", "-c:v mpeg4"},
                                                                {"clip.wmv", "-c:v wmv2"},
                                                                {"clip.asf", "-c:v wmv2"},
                                                                {"clip.flv", "-c:v flv"},
                                                                {"clip.f4v", "-c:v libx264 -f mp4"},
                                                                {"VTS_01_1.VOB", "-c:v mpeg2video -f vob"},
                                                                {"clip.mxf", "-c:v mpeg2video"},
                                                                {"clip.ogv", "-c:v libtheora"},
                                                                {"clip.mpeg", "-c:v mpeg1video -f mpeg"},
                                                                {"clip.m2v", "-c:v mpeg2video"}};
        for (const auto &[name, output] : rows) // the name is the row's tag: upper case is on purpose
            QTest::newRow(name) << QString(name) << QString(output);
    }
    void folderOfOtherContainers()
    {
        QFETCH(QString, name);
        QFETCH(QString, output);
        QTemporaryDir folder;
        const QString clip = folder.filePath(name);
        QVERIFY(
            generateClip(clip, QStringList{"-f", "lavfi", "-i", "testsrc=size=64x48:rate=25:duration=0.5"} +
                                   output.split(' ')));
        QVERIFY(writeFile(folder.filePath("notes.txt"), "not a video\n"));
        QVERIFY(writeFile(folder.filePath("clip.docx"), readFile(clip).left(64)));

        Session session{ToolRunner(realResourceDir())};
        QSignalSpy finished(&session, &Session::importFinished);
        session.import({{}, {folder.path()}, {}, {}, false});
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QCOMPARE(session.jobs()->rowCount(), 1);
        QCOMPARE(session.jobs()->job(0)->source, clip);
        QCOMPARE(session.jobs()->job(0)->videoTracks.size(), 1);
        QCOMPARE(finished.at(0).at(1).value<ImportReport>().refused.size(), 0);
    }

    // A stopped import still ends, and a session destroyed in the middle of one neither waits for
    // the files left nor crashes on the results of the probes that were running.
    // With a mediainfo that never answers, only the stop can end the probes, and no tool is left behind.
    void stopAndDestroyDuringImport_data()
    {
        QTest::addColumn<bool>("stopFirst");
        QTest::addColumn<bool>("hangingTool");
        QTest::newRow("stopped, then destroyed") << true << false;
        QTest::newRow("destroyed while mediainfo hangs") << false << true;
    }
    void stopAndDestroyDuringImport()
    {
        QFETCH(bool, stopFirst);
        QFETCH(bool, hangingTool);
        QStringList many;
        for (int i = 0; i < 40; ++i)
            many << m_clips.at(i % m_clips.size());
        ResourceDir hanging(ResourceDir::Entry::Real, ResourceDir::Entry::Fake);
        qputenv("FAKE_TOOL_SCRIPT_MEDIAINFO", "pgid:" + m_dir.filePath("groups").toUtf8() + ";hang");
        QFile::remove(m_dir.filePath("groups"));
        auto session =
            std::make_unique<Session>(ToolRunner(hangingTool ? hanging.path() : realResourceDir()));
        QSignalSpy progress(session.get(), &Session::importProgress);
        QSignalSpy finished(session.get(), &Session::importFinished);
        session->import({many, {}, {}, {}, true});
        if (hangingTool)
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(m_dir.filePath("groups")).size() > 0, 10000);
        else
            QTRY_VERIFY_WITH_TIMEOUT(progress.size() >= 1, 30000);
        if (stopFirst) {
            session->stopImports();
            QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
            const ImportReport report = finished.at(0).at(1).value<ImportReport>();
            QVERIFY(report.cancelled);
            QVERIFY(report.imported < many.size());
            QCOMPARE(session->jobs()->rowCount(), report.imported);
            QVERIFY(!session->status()->showProgressBar());
        }
        session.reset();
        QCOMPARE(survivors(m_dir.filePath("groups")), 0);
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
