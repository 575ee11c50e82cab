// Finding and running the external tools: time limits, stops, crashes, output lines, the child's fate
// when we die, and quoting text for the shell.
#include "TestSupport.h"

#include "process/LineSplitter.h"
#include "process/ToolProcess.h"
#include "process/ToolRunner.h"
#include "rules/ShellQuote.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <thread>

using namespace std::chrono_literals;
using Kind = ToolOutcome::Kind;
using TestSupport::ResourceDir;
using TestSupport::ScopedEnv;

Q_DECLARE_METATYPE(ToolOutcome::Kind)

namespace {

// "PID PGID" as the fake tool's "pgid:FILE" step wrote it first; {0, 0} until it has.
std::pair<qint64, qint64> pidAndGroup(const QString &file)
{
    const QList<QByteArray> words = TestSupport::readFile(file).split('\n').first().split(' ');
    return words.size() == 2 ? std::pair(words[0].toLongLong(), words[1].toLongLong()) : std::pair(0LL, 0LL);
}

} // namespace

class TestToolRunner : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    const ResourceDir m_fakes{ResourceDir::Entry::Fake, ResourceDir::Entry::Fake};

private slots:
    void locatesTools()
    {
        // The default is ../libexec/tavrix beside the executable: tests live in the build's bin/.
        QCOMPARE(QFileInfo(ToolRunner::defaultResourceDir()).canonicalFilePath(),
                 QFileInfo(TestSupport::realResourceDir()).canonicalFilePath());
        const ResourceDir dir(ResourceDir::Entry::Missing, ResourceDir::Entry::Missing);
        const ToolRunner tools(dir.path());
        const ToolLocation where = tools.locateTool("mediainfo");
        QVERIFY(!where.ok());
        QVERIFY2(where.error.contains("apt-get install mediainfo"), qPrintable(where.error));
        const ToolOutcome outcome = tools.runTool("mediainfo", {}, 1s);
        QCOMPARE(outcome.kind, Kind::FailedToStart);
        QCOMPARE(outcome.reason(), "mediainfo could not be started: " + where.error);
    }

    // What a run hands over and how it ended, and the answer a mediainfo question takes from the same
    // output ("*": not asked).
    void outcomes_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("undecodable");
        QTest::addColumn<QString>("answer");
        const QString hang = QStringLiteral("mediainfo did not answer in 2 s");
        const QString line = QStringLiteral("0123456789abcdef");
        QTest::newRow("more than a pipe buffer")
            << QByteArray("lines:5000:0123456789abcdef") << Kind::Finished << QString()
            << QStringList(5000, line) << 0 << (line + '\n').repeated(5000).trimmed();
        QTest::newRow("progress ends in \\r, on standard error")
            << QByteArray("errpieces:30:frame=1 é\\r;out:\\n\\nend") << Kind::Finished << QString()
            << (QStringList(30, "frame=1 é") << "end") << 0 << "*";
        const QString cut(LineSplitter::MaxLine, 'x');
        QTest::newRow("line longer than the limit")
            << QByteArray("bytes:200000") << Kind::Finished << QString()
            << QStringList{cut, cut, cut, QString(200000 - 3 * cut.size(), 'x')} << 0 << "*";
        QTest::newRow("invalid UTF-8") << QByteArray("out:ok\\n;invalid;out:end") << Kind::Finished
                                       << QString() << QStringList{"ok", "end"} << 1 << "";
        QTest::newRow("non-zero exit")
            << QByteArray("out:1234\\n;exit:3") << Kind::Finished << "mediainfo exited with status 3"
            << QStringList{"1234"} << 0 << "1234";
        QTest::newRow("crash") << QByteArray("out:before\\n;crash") << Kind::Crashed
                               << "mediainfo crashed (signal 11)" << QStringList{"before"} << 0 << "before";
        QTest::newRow("hang") << QByteArray("out:partial\\n;hang") << Kind::TimedOut << hang
                              << QStringList{"partial"} << 0 << "";
        QTest::newRow("deaf to SIGTERM, a child left behind")
            << QByteArray("ignoreterm;fork;hang") << Kind::TimedOut << hang << QStringList{} << 0 << "*";
    }

    // However it ends, the tool ran in a group of its own and nothing of that group is left.
    void outcomes()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, answer);
        const QString groups = m_dir.filePath(QStringLiteral("groups-%1").arg(QTest::currentDataTag()));
        const ScopedEnv env{{"FAKE_TOOL_SCRIPT", "pgid:" + groups.toUtf8() + ";" + script}};
        ToolProcess process("mediainfo", TestSupport::fakeToolPath(), {});
        process.setTimeLimit(2s);
        process.setGracePeriod(200ms);
        QStringList lines;
        process.setLineHandler([&lines](const QString &line) { lines << line; });
        const ToolOutcome outcome = process.run();
        QTEST(outcome.kind, "kind");
        QTEST(outcome.reason(), "reason");
        QTEST(lines, "lines");
        QTEST(outcome.undecodableLines, "undecodable");
        const auto [pid, group] = pidAndGroup(groups);
        QCOMPARE(group, pid);
        QTRY_COMPARE_WITH_TIMEOUT(TestSupport::livingMembers(group), 0, 5000); // SIGKILL lands a moment later
        if (answer != "*") {
            ToolRunner tools(m_fakes.path());
            tools.setTimeLimits({.mediaInfo = 2s});
            QCOMPARE(tools.mediaInfoText(m_dir.filePath("clip.mp4"), "General", "x"), answer);
        }
    }

    // Another thread (the one quitting) ends a run that has no time limit; a run asked to stop before it
    // starts never starts.
    void stopAllFromAnotherThread()
    {
        const QString groups = m_dir.filePath("stopped-groups");
        ToolOutcome outcome;
        {
            const ScopedEnv env{{"FAKE_TOOL_SCRIPT", "pgid:" + groups.toUtf8() + ";ignoreterm;hang"}};
            std::thread runner([&] {
                ToolProcess process("ffmpeg",
                                    ToolProcess::ShellCommand{shellQuote(TestSupport::fakeToolPath())});
                process.setGracePeriod(200ms);
                outcome = process.run();
            });
            QTRY_VERIFY_WITH_TIMEOUT(pidAndGroup(groups).first != 0, 10000);
            ToolProcess::stopAll();
            runner.join();
        }
        QCOMPARE(outcome.kind, Kind::Stopped);
        QCOMPARE(outcome.reason(), QStringLiteral("ffmpeg was stopped"));
        QTRY_COMPARE_WITH_TIMEOUT(TestSupport::livingMembers(pidAndGroup(groups).second), 0, 5000);

        const QString marker = m_dir.filePath("never-started");
        const ScopedEnv env{{"FAKE_TOOL_SCRIPT", "touch:" + marker.toUtf8()}};
        ToolProcess early("ffmpeg", TestSupport::fakeToolPath(), {});
        early.stop();
        QCOMPARE(early.run().kind, Kind::Stopped);
        QVERIFY(!QFile::exists(marker));
    }

    // A tool deaf to SIGTERM that put a child in a group of its own, as GNU parallel does with each job
    // (ssh, rsync): stopped, it takes the child with it.
    void stopEndsChildrenInGroupsOfTheirOwn()
    {
        const QString groups = m_dir.filePath("own-groups");
        const auto cleanup = qScopeGuard([&] { ::kill(pid_t(pidAndGroup(groups).first), SIGKILL); });
        const ScopedEnv env{{"FAKE_TOOL_SCRIPT", "pgid:" + groups.toUtf8() + ";hang"}};
        const auto stop = std::make_shared<std::atomic_bool>(false);
        std::thread runner([&] {
            ToolProcess process(
                "parallel", "/bin/bash",
                {"-c", "trap '' TERM; setsid " + shellQuote(TestSupport::fakeToolPath()) + " & wait"});
            process.setGracePeriod(200ms);
            process.setCancellation(stop);
            process.run();
        });
        QTRY_VERIFY_WITH_TIMEOUT(pidAndGroup(groups).first != 0, 10000);
        *stop = true;
        runner.join();
        QTRY_COMPARE_WITH_TIMEOUT(TestSupport::survivors(groups), 0, 5000);
    }

    // Killed without a chance to stop anything, the program takes its tool with it.
    void toolDiesWithItsParent()
    {
        const QString groups = m_dir.filePath("orphan-groups");
        QProcess parent;
        parent.setProcessEnvironment(
            TestSupport::environmentWith({"FAKE_TOOL_SCRIPT=pgid:" + groups + ";hang"}));
        parent.start(TestSupport::toolParentPath(), {m_fakes.path(), "clip.mp4"});
        QVERIFY(parent.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(pidAndGroup(groups).first != 0, 10000);
        const qint64 tool = pidAndGroup(groups).first;
        const auto cleanup = qScopeGuard([tool] { ::kill(pid_t(tool), SIGKILL); });
        ::kill(pid_t(parent.processId()), SIGKILL);
        QVERIFY(parent.waitForFinished());
        QTRY_COMPARE_WITH_TIMEOUT(TestSupport::livingMembers(tool), 0, 5000); // its own group
    }

    void quoting_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("quotes, substitution, variables, separators") << QStringLiteral(
            "a \"b\" back\\slash\\\\ $(touch INJECTED) `touch INJECTED` $HOME ${PATH} $1 a;b&c|d>e<f "
            "it's end\\");
        QTest::newRow("leading dash, two spaces, non-ASCII, history and glob")
            << QStringLiteral("-y -i  été 日本 ü !! *.mov ?[a]");
        QTest::newRow("newline and control characters")
            << QStringLiteral("line\ntouch INJECTED tab\tesc\x1b]0;t\x07 del\x7f cr\r\x01.mov");
    }

    // Every byte of a name reaches the program through the real bash, and nothing else runs. Without a
    // line handler the output (more than a pipe holds) is still drained, and the call returns once the
    // program is done.
    void quoting()
    {
        QFETCH(QString, name);
        const TestSupport::WorkingDir work;
        const QString argsFile = m_dir.filePath("args");
        const QString command = QStringLiteral("cd %1 && %2 -i %3 %4")
                                    .arg(shellQuote(work.path()), shellQuote(m_fakes.path() + "/ffmpeg"),
                                         shellQuote(name), shellQuote(work.path() + '/' + name));
        QVERIFY(!command.contains('\n'));
        const ScopedEnv env{{"FAKE_TOOL_SCRIPT", "bytes:2000000;sleep:200;args:" + argsFile.toUtf8()}};
        QVERIFY(ToolRunner(m_fakes.path()).runFfmpegShell(command).succeeded());
        QStringList args = QString::fromUtf8(TestSupport::readFile(argsFile)).split(QChar(0));
        args.removeLast(); // after the final NUL
        QCOMPARE(args, (QStringList{"-i", name, work.path() + '/' + name}));
        QVERIFY(work.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestToolRunner)
#include "tst_toolrunner.moc"
