// The job list kept between runs: through the session (every change saved as it happens, a run's results,
// a crash in mid-run, a kill in mid-write, files it cannot use), through two real starts of the window,
// and through tavrix-cli queue. The test binary plays the saving process when started with --save-loop.
#include "TestSupport.h"

#include "process/Log.h"
#include "rules/ShellQuote.h"
#include "session/Session.h"
#include "store/QueueFile.h"
#include "store/QueueLock.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <sys/stat.h>

using Status = JobResult::Status;

namespace {

QStringList sources(const QList<MediaVideo::Ptr> &jobs)
{
    QStringList out;
    for (const MediaVideo::Ptr &job : jobs)
        out << QFileInfo(job->source).fileName();
    return out;
}

QList<MediaVideo::Ptr> saved(const QString &folder)
{
    return QueueFile(folder).load().jobs;
}

// Child: keeps a list of 300 jobs through a session and reorders it on every turn of the event loop.
int saveLoop(const QString &folder)
{
    QueueLock lock(folder);
    Session session(ToolRunner(TestSupport::realResourceDir()));
    if (!lock.tryLock() || !session.keepJobsIn(folder, false).isEmpty())
        return 3;
    for (int i = session.jobs()->rowCount(); i < 300; ++i)
        session.jobs()->append(
            std::make_shared<MediaVideo>(QString("/v/%1.mov").arg(i), QString("/o/%1.mkv").arg(i)));
    session.flushJobs();
    std::printf("ready\n");
    std::fflush(stdout);
    QTimer turn;
    QObject::connect(&turn, &QTimer::timeout, [&session] { session.jobs()->moveJobs({0}, 300); });
    turn.start(0);
    return QCoreApplication::exec();
}

int cli(const QStringList &args, QByteArray *out = nullptr, const QStringList &env = {})
{
    return TestSupport::run(QStringLiteral(TAVRIX_CLI_PATH), args, out, nullptr, env);
}

} // namespace

class TestQueue : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_clip;

private slots:
    void initTestCase()
    {
        TestSupport::isolateSettings();
        setDiagnosticStream(nullptr);
        m_clip = m_dir.filePath("clip.mp4");
        QVERIFY(TestSupport::generateSimpleClip(m_clip));
        for (const char *name : {"a.mp4", "b.mp4", "c.mp4"})
            QVERIFY(QFile::copy(m_clip, m_dir.filePath(name)));
    }

    // Every change reaches the file on the next turn of the event loop; a job converting when the program
    // ends comes back Interrupted, the others with their result, and their previews are made again.
    void restoredThroughTheSession()
    {
        QTemporaryDir data;
        {
            Session session(ToolRunner(TestSupport::realResourceDir()));
            QCOMPARE(session.keepJobsIn(data.path()), QString());
            JobListModel &list = *session.jobs();
            QSignalSpy imported(&session, &Session::importFinished);
            const QStringList files{m_dir.filePath("a.mp4"), m_dir.filePath("b.mp4"),
                                    m_dir.filePath("c.mp4")};
            session.import({files, {}, {}, {}, false});
            QVERIFY(imported.wait(60000));
            QTRY_COMPARE(sources(saved(data.path())), QStringList({"a.mp4", "b.mp4", "c.mp4"}));
            list.moveJobs({2}, 0);
            QTRY_COMPARE(sources(saved(data.path())), QStringList({"c.mp4", "a.mp4", "b.mp4"}));
            list.job(1)->otherParam = "-metadata title=x";
            list.refresh(list.job(1)->id);
            QTRY_COMPARE(saved(data.path()).value(1)->otherParam, QString("-metadata title=x"));

            // c fails, a is converting when the program ends, b waits.
            TestSupport::runShell(*session.encoder(), [](const MediaVideo &job) {
                return QString(job.source.endsWith("c.mp4") ? "exit 3" : "sleep 60");
            });
            QSignalSpy started(session.encoder(), &BatchEncoder::jobStarted);
            session.encoder()->start(list.jobs());
            QTRY_COMPARE_WITH_TIMEOUT(started.size(), 2, 30000);
            QTRY_COMPARE(saved(data.path()).value(1)->result.status, Status::Interrupted);
            QCOMPARE(saved(data.path()).value(0)->result.status, Status::Failed);
        }
        Session session(ToolRunner(TestSupport::realResourceDir()));
        QCOMPARE(session.keepJobsIn(data.path()), QString());
        const QList<MediaVideo::Ptr> jobs = session.jobs()->jobs();
        QCOMPARE(sources(jobs), QStringList({"c.mp4", "a.mp4", "b.mp4"}));
        QCOMPARE(jobs[0]->result.exitCode, 3);
        QVERIFY(!jobs[0]->result.reason.isEmpty());
        QCOMPARE(jobs[1]->result.status, Status::Interrupted);
        QCOMPARE(jobs[1]->otherParam, QString("-metadata title=x"));
        QCOMPARE(jobs[2]->result.status, Status::None);
        QVERIFY(!session.isRunning());
        for (const MediaVideo::Ptr &job : jobs)
            QTRY_VERIFY_WITH_TIMEOUT(job->hasImage(), 30000);
    }

    // A list saved by the first version of the format loads whole: every setting, the streams, the
    // results and their reasons.
    void aListOfTheFirstFormatLoads()
    {
        QTemporaryDir data;
        QVERIFY(
            QFile::copy(TAVRIX_SOURCE_DIR "/tests/data/queue-version1.json", data.filePath("queue.json")));
        const QueueFile::LoadResult loaded = QueueFile(data.path()).load();
        QCOMPARE(loaded.message, QString());
        QCOMPARE(loaded.jobs.size(), 2);
        const MediaVideo &done = *loaded.jobs[0];
        QCOMPARE(done.source, QString("/videos/clip.mov"));
        QCOMPARE(done.destination, QString("/videos/clip.mp4"));
        QCOMPARE(done.videoEncoder, VideoEncoders::libx264);
        QCOMPARE(done.videoRate, VideoRate::Quality);
        QCOMPARE(done.videoQuality, 30);
        QCOMPARE(done.videoCrop, QString("160:112:0:4"));
        QCOMPARE(done.audioTracks.size(), 2);
        QCOMPARE(done.streams.size(), 2);
        QCOMPARE(done.streams[0].format, QString("AVC"));
        QCOMPARE(done.result.status, Status::Succeeded);
        const MediaVideo &skipped = *loaded.jobs[1];
        QCOMPARE(skipped.result.status, Status::NotRun);
        QCOMPARE(skipped.result.reasonText(),
                 QString("“/videos/other.mp4” already exists; it is left as it is."));
    }

    // A process killed at any moment while its session saves leaves a list that loads whole; its lock holds
    // while it lives and is taken over once it is dead.
    void killedWhileSaving()
    {
        QTemporaryDir data;
        for (int round = 0; round < 8; ++round) {
            QProcess saver;
            saver.start(QCoreApplication::applicationFilePath(), {"--save-loop", data.path()});
            QVERIFY(saver.waitForReadyRead(30000));
            QueueLock lock(data.path());
            QVERIFY(!lock.tryLock() && QueueLock::holder(data.path()) == saver.processId());
            QThread::msleep(QRandomGenerator::global()->bounded(50));
            ::kill(pid_t(saver.processId()), SIGKILL);
            QVERIFY(saver.waitForFinished(30000));
            const QueueFile::LoadResult loaded = QueueFile(data.path()).load();
            QCOMPARE(loaded.message, QString());
            QStringList names = sources(loaded.jobs);
            names.sort();
            QCOMPARE(names.size(), 300);
            QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), 300);
        }
        QueueLock lock(data.path());
        QVERIFY(lock.tryLock());
    }

    // A list it cannot use is kept aside beside an older one and the user told once in one line; a folder
    // it cannot write is told once.
    void unusableList_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("keptAside");
        QTest::newRow("newer version") << QByteArray("{\"version\":9,\"jobs\":[]}") << true;
        QTest::newRow("truncated") << QByteArray("{\"version\":1,\"jobs\":[{\"source\":\"/v/a") << true;
        QTest::newRow("not JSON") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << true;
        QTest::newRow("text for a number")
            << QByteArray(R"({"version":1,"jobs":[{"container":"1"}]})") << true;
        QTest::newRow("bad identity") << QByteArray(R"({"version":1,"jobs":[{"id":"not-a-uuid"}]})") << true;
        QTest::newRow("relative destination")
            << QByteArray(R"({"version":1,"jobs":[{"source":"/v/a.mov","destination":"out/a.mkv"}]})")
            << true;
        QTest::newRow("relative source")
            << QByteArray(R"({"version":1,"jobs":[{"source":"a.mov","destination":"/o/a.mkv"}]})") << true;
        QTest::newRow("folder is a file") << QByteArray() << false;
    }
    void unusableList()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, keptAside);
        QTemporaryDir dir;
        const QString folder = keptAside ? dir.path() : dir.filePath("file");
        QVERIFY(TestSupport::writeFile(keptAside ? QueueFile(folder).path() : folder, content));
        QVERIFY(!keptAside || TestSupport::writeFile(folder + "/queue.json.bad", "older"));

        Session session;
        const QString message = session.keepJobsIn(folder, false);
        QCOMPARE(message.isEmpty(), !keptAside);
        QVERIFY(!message.contains('\n'));
        QCOMPARE(session.jobs()->rowCount(), 0);
        QSignalSpy notSaved(&session, &Session::jobsNotSaved);
        for (int i = 0; i < 2; ++i) {
            session.jobs()->append(std::make_shared<MediaVideo>("/v/new.mov", "/o/new.mkv"));
            QCOMPARE(session.flushJobs().isEmpty(), keptAside);
            QCoreApplication::processEvents();
        }
        QCOMPARE(notSaved.size(), keptAside ? 0 : 1);
        if (keptAside) {
            QCOMPARE(TestSupport::readFile(folder + "/queue.json.2.bad"), content);
            QCOMPARE(TestSupport::readFile(folder + "/queue.json.bad"), QByteArray("older"));
            QCOMPARE(saved(folder).size(), 2);
        }
    }

    // What a power cut, a stray program or a hostile hand leaves at the lock or the list. A lock that
    // holds nothing is taken over; anything but a regular file is refused with its path, left where it
    // is, and never waited on.
    void leftInTheDataFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("status");
        const auto row = [](const char *tag, const char *name, const char *kind, const QByteArray &content,
                            int status) {
            QTest::newRow(tag) << QString(name) << QString(kind) << content << status;
        };
        row("empty lock", "queue.lock", "file", {}, 0);
        row("garbled lock", "queue.lock", "file", QByteArray("\0\0\0\0x\n", 6), 0);
        row("lock of another program", "queue.lock", "file", "PID\nsleep\n", 0);
        row("lock is a link", "queue.lock", "link", {}, 1);
        row("lock is a FIFO", "queue.lock", "fifo", {}, 1);
        row("list is a FIFO", "queue.json", "fifo", {}, 1);
    }
    void leftInTheDataFolder()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QByteArray, content);
        QFETCH(int, status);
        QTemporaryDir home;
        const QString path = home.filePath("Tavrix/" + name);
        QVERIFY(QDir().mkpath(home.filePath("Tavrix")));
        QProcess other; // a live process that is not Tavrix
        other.start("sleep", {"60"});
        QVERIFY(other.waitForStarted());
        if (kind == "file")
            QVERIFY(
                TestSupport::writeFile(path, content.replace("PID", QByteArray::number(other.processId()))));
        else if (kind == "link")
            QVERIFY(QFile::link(home.filePath("elsewhere"), path));
        else
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);

        QByteArray out, err;
        QCOMPARE(TestSupport::run(TAVRIX_CLI_PATH, {"queue", "list"}, &out, &err,
                                  {"XDG_DATA_HOME=" + home.path()}, 20000),
                 status);
        other.kill();
        other.waitForFinished();
        if (status == 0) {
            QVERIFY2(err.isEmpty(), err.constData());
            QVERIFY(!QFileInfo::exists(path)); // taken over, then released
        } else {
            QVERIFY2(err.count('\n') == 1 && err.contains(path.toUtf8() + "” is not a regular file"),
                     err.constData());
            QCOMPARE(QString(QFileInfo(path).isSymLink() ? "link" : "fifo"), kind);
        }
    }

    // The window owns the list: a second start hands it its files and ends, tavrix-cli queue adds through
    // it and refuses the rest. Once it has gone, the commands work on the list it saved.
    void windowAndCli()
    {
        QTemporaryDir home;
        QVERIFY(
            QDir().mkdir(home.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QStringList env{"XDG_DATA_HOME=" + home.filePath("data"),
                              "XDG_RUNTIME_DIR=" + home.filePath("runtime"),
                              "XDG_CONFIG_HOME=" + TestSupport::settingsHome(), "QT_QPA_PLATFORM=offscreen"};
        const QString folder = home.filePath("data/Tavrix");

        // A list from a newer Tavrix is kept aside; the window starts empty and keeps its own.
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(TestSupport::writeFile(QueueFile(folder).path(), "{\"version\":9}"));
        QProcess window;
        window.setProcessEnvironment(TestSupport::environmentWith(env));
        window.start(TAVRIX_GUI_PATH, {});
        QTRY_COMPARE_WITH_TIMEOUT(QueueLock::holder(folder), window.processId(), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(home.filePath("runtime/tavrix-instance")), 30000);
        QCOMPARE(TestSupport::run(TAVRIX_GUI_PATH, {m_dir.filePath("a.mp4")}, nullptr, nullptr, env), 0);
        QTRY_COMPARE_WITH_TIMEOUT(sources(saved(folder)), QStringList{"a.mp4"}, 30000);
        QVERIFY(QFileInfo::exists(folder + "/queue.json.bad"));
        QCOMPARE(cli({"queue", "add", m_dir.filePath("b.mp4")}, nullptr, env), 0);
        QTRY_COMPARE_WITH_TIMEOUT(sources(saved(folder)), QStringList({"a.mp4", "b.mp4"}), 30000);
        for (const QStringList &args :
             {QStringList{"queue", "list"}, QStringList{"queue", "run"}, QStringList{"queue", "clear"},
              QStringList{"queue", "add", "--container", "mkv", m_clip}})
            QCOMPARE(cli(args, nullptr, env), 2);
        window.terminate();
        QVERIFY(window.waitForFinished(30000));
        QCOMPARE(window.exitCode(), 0);

        // Names are printed escaped, one job a line.
        const QString odd = m_dir.filePath("new\nline.mp4");
        QVERIFY(QFile::copy(m_clip, odd));
        QCOMPARE(cli({"queue", "add", "--container", "mkv", "--dest", home.path(), odd}, nullptr, env), 0);
        QByteArray out;
        QCOMPARE(cli({"queue", "list"}, &out, env), 0);
        QCOMPARE(out, ("1\tWaiting\t" + m_dir.filePath("a.mp4") + "\n2\tWaiting\t" + m_dir.filePath("b.mp4") +
                       "\n3\tWaiting\t" + printableText(odd) + "\n")
                          .toUtf8());
        QCOMPARE(cli({"queue", "run"}, &out, env), 0);
        QVERIFY(QFileInfo::exists(home.filePath("new\nline.mkv")));
        QCOMPARE(cli({"queue", "list"}, &out, env), 0);
        QCOMPARE(out.count("\tSucceeded\t"), 3);
        QCOMPARE(cli({"queue", "clear"}, nullptr, env), 0);
        QCOMPARE(cli({"queue", "list"}, &out, env), 0);
        QCOMPARE(out, QByteArray());
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 3 && args[1] == "--save-loop")
        return saveLoop(args[2]);
    TestQueue test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_queue.moc"
