// Reading a finished output back: the helper that opens files with ffmpeg's libraries, kept from one
// request to the next, and what happens when it fails.
#include "TestSupport.h"

#include "encoding/ReadBack.h"
#include "process/ProcessInfo.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <thread>

#include <sys/stat.h>

using namespace TestSupport;

namespace {

// The living read-back helpers whose parent is `parent`.
QList<qint64> helpersOf(qint64 parent)
{
    QList<qint64> helpers;
    for (const Process &process : livingProcesses()) {
        const std::optional<ProcessEntry> entry = readProcess(pid_t(process.pid));
        if (process.name == "tavrix-readback" && entry && entry->parent == parent)
            helpers << process.pid;
    }
    return helpers;
}

QString describe(const ReadBackFacts &facts)
{
    switch (facts.kind) {
    case ReadBackFacts::Kind::Readable:
        return QStringLiteral("readable %1").arg(facts.seconds ? QString::number(*facts.seconds) : "-");
    case ReadBackFacts::Kind::Stopped:
        return QStringLiteral("stopped");
    case ReadBackFacts::Kind::Unreadable:
        break;
    }
    return QStringLiteral("unreadable: ") + facts.problem.toString();
}

} // namespace

class TestReadBack : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_clip;
    const QString m_hostile = QStringLiteral("new\nline \"double\" 'single' $x:é.mp4");

private slots:
    void initTestCase()
    {
        m_clip = m_dir.filePath(QStringLiteral("clip.mp4"));
        QVERIFY(generateClip(m_clip, QStringLiteral("-f lavfi -i testsrc=size=160x120:rate=25:duration=3")));
        QVERIFY(QFile::exists(realResourceDir() + QStringLiteral("/tavrix-readback")));
    }

    // Real outputs read back by the helper of the tools' folder. One helper answers them all, and stays
    // for the next request. The file's path never shows: `shownName` takes its place.
    void readsOutputs_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // "clip": the generated clip; "-": no file at all
        QTest::addColumn<QString>("facts");
        const QByteArray clip = "clip";
        QTest::newRow("a good clip") << "good.mp4" << clip << "readable 3";
        QTest::newRow("named with a newline and quotes") << m_hostile << clip << "readable 3";
        QTest::newRow("truncated") << "cut.mp4" << QByteArray("truncated")
                                   << "unreadable: mov,mp4,m4a,3gp,3g2,mj2: moov atom not found";
        QTest::newRow("empty") << "empty.mp4" << QByteArray()
                               << "unreadable: mov,mp4,m4a,3gp,3g2,mj2: moov atom not found";
        QTest::newRow("no stream") << "meta.mp4" << QByteArray(";FFMETADATA1\ntitle=x\n")
                                   << "unreadable: it holds no stream.";
        QTest::newRow("missing, hostile name")
            << m_hostile << QByteArray("-") << "unreadable: shown.mp4: No such file or directory";
    }

    void readsOutputs()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, facts);
        const QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (content == "clip" || content == "truncated")
            QVERIFY(QFile::copy(m_clip, path));
        if (content == "truncated")
            QVERIFY(QFile::resize(path, 3000));
        else if (content != "clip" && content != "-")
            QVERIFY(writeFile(path, content));

        const QList<qint64> before = helpersOf(::getpid());
        QCOMPARE(describe(readBack(ToolRunner(realResourceDir()), path, QStringLiteral("shown.mp4"), {})),
                 facts);
        const QList<qint64> after = helpersOf(::getpid());
        QCOMPARE(after.size(), 1);
        if (!before.isEmpty())
            QCOMPARE(after, before);
    }

    // A helper that crashes, hangs past the limit, answers nonsense or ends without answering fails that
    // one read-back, saying so, and leaves no process; the next request starts a helper that works.
    void helperFailures_data()
    {
        QTest::addColumn<QByteArray>("script"); // the fake helper's
        QTest::addColumn<QString>("facts");
        QTest::newRow("crash") << QByteArray("crash") << "unreadable: tavrix-readback crashed (signal 11)";
        QTest::newRow("hang") << QByteArray("hang") << "unreadable: tavrix-readback did not answer in 1 s";
        QTest::newRow("nonsense") << QByteArray("out:{\"streams\":\\n;hang")
                                  << "unreadable: tavrix-readback gave an answer that cannot be read";
        QTest::newRow("exit") << QByteArray("exit:0")
                              << "unreadable: tavrix-readback ended without answering";
        QTest::newRow("exit with status")
            << QByteArray("exit:3") << "unreadable: tavrix-readback exited with status 3";
    }

    void helperFailures()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, facts);
        const QTemporaryDir tools;
        const QString helper = tools.filePath(QStringLiteral("tavrix-readback"));
        QVERIFY(QFile::link(fakeToolPath(), helper));
        const QString groups = tools.filePath(QStringLiteral("groups"));
        const ScopedEnv env{{"FAKE_TOOL_SCRIPT_TAVRIX_READBACK", "pgid:" + groups.toUtf8() + ';' + script}};
        ToolRunner runner(tools.path());
        ToolRunner::TimeLimits limits;
        limits.cropDetection = std::chrono::seconds(1);
        runner.setTimeLimits(limits);

        QCOMPARE(describe(readBack(runner, m_clip, QStringLiteral("shown.mp4"), {})), facts);
        QCOMPARE(survivors(groups), 0);
        QCOMPARE(helpersOf(::getpid()), QList<qint64>());

        QVERIFY(QFile::remove(helper));
        QVERIFY(QFile::link(realResourceDir() + QStringLiteral("/tavrix-readback"), helper));
        QCOMPARE(describe(readBack(runner, m_clip, QStringLiteral("shown.mp4"), {})),
                 QStringLiteral("readable 3"));
    }

    // A stop ends the wait for an answer at once, and the helper with it.
    void stopEndsTheWait()
    {
        const QTemporaryDir tools;
        QVERIFY(QFile::link(fakeToolPath(), tools.filePath(QStringLiteral("tavrix-readback"))));
        const QString groups = tools.filePath(QStringLiteral("groups"));
        const ScopedEnv env{{"FAKE_TOOL_SCRIPT_TAVRIX_READBACK", "pgid:" + groups.toUtf8() + ";hang"}};
        const auto stop = std::make_shared<std::atomic_bool>(false);
        std::thread stopper([&] {
            while (readFile(groups).isEmpty())
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            *stop = true;
        });
        const ReadBackFacts facts =
            readBack(ToolRunner(tools.path()), m_clip, QStringLiteral("shown.mp4"), stop);
        stopper.join();
        QCOMPARE(describe(facts), QStringLiteral("stopped"));
        QCOMPARE(survivors(groups), 0);
    }

    // A program killed while its helper is held up by a file that never ends (a pipe nobody writes to)
    // leaves no helper behind.
    void helperEndsWithItsProgram()
    {
        const QString fifo = m_dir.filePath(QStringLiteral("pipe.mp4"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QProcess parent;
        parent.start(QStringLiteral(READBACK_PARENT_PATH), {realResourceDir(), fifo});
        QVERIFY(parent.waitForStarted());
        QList<qint64> helpers;
        QTRY_VERIFY_WITH_TIMEOUT(!(helpers = helpersOf(parent.processId())).isEmpty(), 20000);
        ::kill(pid_t(parent.processId()), SIGKILL);
        QVERIFY(parent.waitForFinished());
        QTRY_VERIFY_WITH_TIMEOUT(!readProcess(pid_t(helpers.value(0))), 10000);
    }
};

QTEST_GUILESS_MAIN(TestReadBack)
#include "tst_readback.moc"
