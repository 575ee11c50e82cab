// Finding and running the external tools: time limits, stops, crashes, output lines, the child's fate
// when we die, and quoting text for the shell.
#include "TestSupport.h"

#include "tools/LineSplitter.h"
#include "tools/ShellQuote.h"
#include "tools/ToolProcess.h"
#include "tools/ToolRunner.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <thread>

using namespace std::chrono_literals;
using Kind = ToolOutcome::Kind;

using TestSupport::ResourceDir;

namespace {

// Runs `fn` with FAKE_TOOL_SCRIPT set for the children it starts.
template<typename Fn> auto withScript(const QByteArray &script, Fn fn)
{
    qputenv("FAKE_TOOL_SCRIPT", script);
    auto result = fn();
    qunsetenv("FAKE_TOOL_SCRIPT");
    return result;
}

QStringList nulSeparated(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList out;
    for (const QByteArray &part : f.readAll().split('\0'))
        out << QString::fromUtf8(part);
    out.removeLast(); // after the final NUL
    return out;
}

// "PID PGID" as the fake tool's "pgid:FILE" step wrote it; {0, 0} until it has.
std::pair<qint64, qint64> pidAndGroup(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {0, 0};
    const QList<QByteArray> words = f.readLine().trimmed().split(' ');
    return words.size() == 2 ? std::pair(words[0].toLongLong(), words[1].toLongLong()) : std::pair(0LL, 0LL);
}

} // namespace

Q_DECLARE_METATYPE(ToolOutcome::Kind)

class TestToolRunner : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_clip = m_dir.filePath(QStringLiteral("clip.mp4"));
        QVERIFY(TestSupport::generateSimpleClip(m_clip, 2.0));
    }

    void locatesTheResourceTools()
    {
        const ToolRunner tools(TestSupport::realResourceDir());
        QVERIFY(tools.locateTool("ffmpeg").ok());
        QVERIFY(tools.locateTool("mediainfo").ok());
        QCOMPARE(tools.locateTool("ffmpeg").path, TestSupport::realResourceDir() + "/ffmpeg");
        // The default is ../libexec/tavrix beside the executable: tests live in the build's bin/.
        QCOMPARE(QFileInfo(ToolRunner::defaultResourceDir()).canonicalFilePath(),
                 QFileInfo(TestSupport::realResourceDir()).canonicalFilePath());
    }

    void missingToolIsAClearError()
    {
        const ResourceDir dir(ResourceDir::Entry::Missing, ResourceDir::Entry::Missing);
        const ToolRunner tools(dir.path());
        const ToolLocation where = tools.locateTool("mediainfo");
        QVERIFY(!where.ok());
        QVERIFY(where.path.isEmpty());
        QVERIFY(where.error.contains("apt-get install mediainfo"));
        QCOMPARE(tools.mediaInfoText(m_clip, "General", "%Duration%"), QString());
        const ToolOutcome outcome = tools.runTool("mediainfo", {}, 1s);
        QCOMPARE(outcome.kind, Kind::FailedToStart);
        QCOMPARE(outcome.reason(), "mediainfo could not be started: " + where.error);
    }

    void realMediaInfo()
    {
        const ToolRunner tools(TestSupport::realResourceDir());
        bool ok = false;
        const double ms = tools.mediaInfoField(m_clip, "General", "Duration").toDouble(&ok);
        QVERIFY(ok);
        QVERIFY2(ms > 1900 && ms < 2100, qPrintable(QString::number(ms)));
        QCOMPARE(tools.mediaInfoField(m_clip, "Video", "Width"), QStringLiteral("320"));
        const QStringList audio = tools.mediaInfoList(m_clip, "Audio", "%Format% #", '#');
        QCOMPARE(audio, QStringList{"AAC "}); // entries are not trimmed
    }

    void mediaInfoArguments()
    {
        const ResourceDir dir(ResourceDir::Entry::Fake, ResourceDir::Entry::Fake);
        const ToolRunner tools(dir.path());
        const QString argsFile = m_dir.filePath("mi-args");
        const QString hostile = m_dir.filePath("a \"b\" $(x) `y`.mov");
        withScript("args:" + argsFile.toUtf8(),
                   [&] { return tools.mediaInfoField(hostile, "General", "Duration"); });
        QCOMPARE(nulSeparated(argsFile), (QStringList{"--Output=General;%Duration%", hostile}));
    }

    void mediaInfoOutputShapes_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("expected");
        QTest::newRow("more than a pipe buffer") << QByteArray("lines:5000:0123456789abcdef")
                                                 << QString("0123456789abcdef\n").repeated(5000).trimmed();
        QTest::newRow("many small pieces") << QByteArray("pieces:400:ab") << QString("ab").repeated(400);
        QTest::newRow("standard error too") << QByteArray("err:warn \\n") << QString("warn");
        QTest::newRow("invalid UTF-8") << QByteArray("out:ok\\n;invalid") << QString();
        QTest::newRow("non-zero exit") << QByteArray("out: 1234 \\n;exit:3") << QString("1234");
        QTest::newRow("slow answer") << QByteArray("sleep:300;out:late") << QString("late");
        QTest::newRow("crash") << QByteArray("out:before\\n;crash") << QString("before");
        QTest::newRow("past the time limit") << QByteArray("out:partial\\n;hang") << QString();
    }

    void mediaInfoOutputShapes()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, expected);
        const ResourceDir dir(ResourceDir::Entry::Fake, ResourceDir::Entry::Fake);
        ToolRunner tools(dir.path());
        tools.setTimeLimits({.mediaInfo = 1500ms});
        QCOMPARE(withScript(script, [&] { return tools.mediaInfoText(m_clip, "General", "x"); }), expected);
    }

    void outcomes_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("success") << QByteArray("out:fine") << Kind::Finished << QString();
        QTest::newRow("exit status") << QByteArray("exit:3") << Kind::Finished
                                     << QString("mediainfo exited with status 3");
        QTest::newRow("crash") << QByteArray("crash") << Kind::Crashed
                               << QString("mediainfo crashed (signal 11)");
        QTest::newRow("hang") << QByteArray("hang") << Kind::TimedOut
                              << QString("mediainfo did not answer in 0.3 s");
        QTest::newRow("deaf to SIGTERM") << QByteArray("ignoreterm;hang") << Kind::TimedOut
                                         << QString("mediainfo did not answer in 0.3 s");
        QTest::newRow("child left behind")
            << QByteArray("fork;hang") << Kind::TimedOut << QString("mediainfo did not answer in 0.3 s");
    }

    // However it ends, the tool ran in a group of its own and nothing of that group is left.
    void outcomes()
    {
        QFETCH(QByteArray, script);
        QFETCH(Kind, kind);
        QFETCH(QString, reason);
        const QString groups = m_dir.filePath(QStringLiteral("groups-%1").arg(QTest::currentDataTag()));
        qputenv("FAKE_TOOL_SCRIPT", "pgid:" + groups.toUtf8() + ";" + script);
        ToolProcess process("mediainfo", TestSupport::fakeToolPath(), {});
        process.setTimeLimit(300ms);
        process.setGracePeriod(200ms);
        const ToolOutcome outcome = process.run();
        qunsetenv("FAKE_TOOL_SCRIPT");
        QCOMPARE(outcome.kind, kind);
        QCOMPARE(outcome.reason(), reason);
        const auto [pid, group] = pidAndGroup(groups);
        QCOMPARE(group, pid);
        QTRY_COMPARE_WITH_TIMEOUT(TestSupport::livingMembers(group), 0, 5000); // SIGKILL lands a moment later
    }

    // Another thread (the one quitting) ends a run that has no time limit; a run asked to stop before it
    // starts never starts.
    void stopAllFromAnotherThread()
    {
        const QString groups = m_dir.filePath("stopped-groups");
        qputenv("FAKE_TOOL_SCRIPT", "pgid:" + groups.toUtf8() + ";ignoreterm;hang");
        ToolOutcome outcome;
        std::thread runner([&] {
            ToolProcess process("ffmpeg", ToolProcess::ShellCommand{shellQuote(TestSupport::fakeToolPath())});
            process.setGracePeriod(200ms);
            outcome = process.run();
        });
        QTRY_VERIFY_WITH_TIMEOUT(pidAndGroup(groups).first != 0, 10000);
        ToolProcess::stopAll();
        runner.join();
        QCOMPARE(outcome.kind, Kind::Stopped);
        QCOMPARE(outcome.reason(), QStringLiteral("ffmpeg was stopped"));
        QTRY_COMPARE_WITH_TIMEOUT(TestSupport::livingMembers(pidAndGroup(groups).second), 0, 5000);

        const QString marker = m_dir.filePath("never-started");
        qputenv("FAKE_TOOL_SCRIPT", "touch:" + marker.toUtf8());
        ToolProcess early("ffmpeg", TestSupport::fakeToolPath(), {});
        early.stop();
        QCOMPARE(early.run().kind, Kind::Stopped);
        qunsetenv("FAKE_TOOL_SCRIPT");
        QVERIFY(!QFile::exists(marker));
    }

    // Killed without a chance to stop anything, the program takes its tool with it.
    void toolDiesWithItsParent()
    {
        const ResourceDir dir(ResourceDir::Entry::Fake, ResourceDir::Entry::Fake);
        const QString groups = m_dir.filePath("orphan-groups");
        QProcess parent;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("FAKE_TOOL_SCRIPT", "pgid:" + groups + ";hang");
        parent.setProcessEnvironment(env);
        parent.start(TestSupport::toolParentPath(), {dir.path(), m_clip});
        QVERIFY(parent.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(pidAndGroup(groups).first != 0, 10000);
        const qint64 tool = pidAndGroup(groups).first;
        const auto cleanup = qScopeGuard([tool] { ::kill(pid_t(tool), SIGKILL); });
        ::kill(pid_t(parent.processId()), SIGKILL);
        QVERIFY(parent.waitForFinished());
        QTRY_VERIFY_WITH_TIMEOUT(!TestSupport::isAlive(tool), 5000);
    }

    void outputLines_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("undecodable");
        QTest::newRow("pieces, \\r and \\n, both channels")
            << QByteArray("errpieces:300:frame=1 é\\r;out:end\\n") << (QStringList(300, "frame=1 é") << "end")
            << 0;
        QTest::newRow("last line without end") << QByteArray("out:a\\nb") << QStringList{"a", "b"} << 0;
        QTest::newRow("blank lines") << QByteArray("out:a\\r\\n\\nb\\n") << QStringList{"a", "b"} << 0;
        QTest::newRow("not UTF-8") << QByteArray("out:ok\\n;invalid;out:end") << QStringList{"ok", "end"}
                                   << 1;
        const QString cut(LineSplitter::MaxLine, 'x');
        QTest::newRow("line longer than the limit")
            << QByteArray("bytes:200000") << QStringList{cut, cut, cut, QString(200000 - 3 * cut.size(), 'x')}
            << 0;
    }

    void outputLines()
    {
        QFETCH(QByteArray, script);
        QFETCH(QStringList, lines);
        QFETCH(int, undecodable);
        const ToolRunner tools(TestSupport::realResourceDir());
        QStringList seen;
        const ToolOutcome outcome = withScript(script, [&] {
            return tools.runFfmpegShell(shellQuote(TestSupport::fakeToolPath()),
                                        [&](const QString &line) { seen << line; });
        });
        QVERIFY(outcome.succeeded());
        QCOMPARE(seen, lines);
        QCOMPARE(outcome.undecodableLines, undecodable);
    }

    void shellWithoutHandlerDrainsAndWaitsForExit()
    {
        const ResourceDir dir(ResourceDir::Entry::Fake, ResourceDir::Entry::Fake);
        const ToolRunner tools(dir.path());
        const QString marker = m_dir.filePath("finished-marker");
        const ShellOutcome outcome = withScript("bytes:2000000;sleep:200;touch:" + marker.toUtf8(), [&] {
            return tools.runFfmpegShell(shellQuote(dir.path() + "/ffmpeg"));
        });
        QVERIFY(outcome.succeeded());
        QVERIFY(QFile::exists(marker)); // returned only after the child had finished its work
    }

    void quoting_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << QStringLiteral("/data/in/clip.mov");
        QTest::newRow("double quotes") << QStringLiteral("a \"b\".mov");
        QTest::newRow("command substitution") << QStringLiteral("$(touch INJECTED).mp4");
        QTest::newRow("backticks") << QStringLiteral("`touch INJECTED`.mkv");
        QTest::newRow("variable") << QStringLiteral("$HOME ${PATH}.mov");
        QTest::newRow("backslashes") << QStringLiteral("back\\slash\\\\.mov");
        QTest::newRow("separators") << QStringLiteral("a;b&c|d>e<f.mov");
        QTest::newRow("single quote") << QStringLiteral("it's.mov");
        QTest::newRow("leading dash") << QStringLiteral("-y -i.mov");
        QTest::newRow("two spaces") << QStringLiteral("two  spaces.mov");
        QTest::newRow("non-ASCII") << QStringLiteral("été 日本 ü.mov");
        QTest::newRow("history and glob") << QStringLiteral("!! *.mov ?[a]");
        QTest::newRow("newline") << QStringLiteral("line\nbreak.mov");
        QTest::newRow("trailing backslash") << QStringLiteral("end\\");
    }

    // Every byte of a name reaches the program through the real bash, and nothing else runs.
    void quoting()
    {
        QFETCH(QString, name);
        const ResourceDir dir(ResourceDir::Entry::Fake, ResourceDir::Entry::Fake);
        const ToolRunner tools(dir.path());
        QTemporaryDir work;
        const QString argsFile = work.filePath("args");
        const QString command = QStringLiteral("cd %1 && %2 -i %3 %4")
                                    .arg(shellQuote(work.path()), shellQuote(dir.path() + "/ffmpeg"),
                                         shellQuote(name), shellQuote(work.filePath(name)));
        const ShellOutcome outcome =
            withScript("args:" + argsFile.toUtf8(), [&] { return tools.runFfmpegShell(command); });
        QVERIFY(outcome.succeeded());
        QCOMPARE(nulSeparated(argsFile), (QStringList{"-i", name, work.filePath(name)}));
        QVERIFY(!QFile::exists(work.filePath("INJECTED")));
    }

    void quotingKeepsOrdinaryPathsReadable()
    {
        QCOMPARE(shellQuote("/data/in/clip.mov"), QStringLiteral("\"/data/in/clip.mov\""));
        QCOMPARE(shellQuote("a \"b\" $c `d` \\e"), QStringLiteral("\"a \\\"b\\\" \\$c \\`d\\` \\\\e\""));
    }

    // The real ffmpeg writes a file under a hostile name, byte for byte.
    void realFfmpegWithHostileNames()
    {
        const ToolRunner tools(TestSupport::realResourceDir());
        QTemporaryDir work;
        const QString input = work.filePath("in $(touch INJECTED) `id` \"q\" it's.mp4");
        QVERIFY(QFile::copy(m_clip, input));
        const QString output = work.filePath("-out \\ été;&.png");
        const QString command = shellQuote(tools.locateTool("ffmpeg").path) + " -hide_banner -y -i " +
                                shellQuote(input) + " -frames:v 1 " + shellQuote(output);
        QString log;
        const ShellOutcome outcome = tools.runFfmpegShell(command, [&](const QString &c) { log += c; });
        QVERIFY2(outcome.succeeded(), qPrintable(log));
        QVERIFY(QFileInfo(output).size() > 0);
        QVERIFY(!QFile::exists("INJECTED"));
        QVERIFY(!QFile::exists(work.filePath("INJECTED")));
    }

private:
    QTemporaryDir m_dir;
    QString m_clip;
};

QTEST_GUILESS_MAIN(TestToolRunner)
#include "tst_toolrunner.moc"
