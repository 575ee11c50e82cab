// Finding and running the external tools, and quoting text for the shell.
#include "TestSupport.h"

#include "tools/ShellQuote.h"
#include "tools/ToolRunner.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

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

} // namespace

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
        withScript("args:" + argsFile.toUtf8(), [&] { return tools.mediaInfoField(hostile, "General", "Duration"); });
        QCOMPARE(nulSeparated(argsFile), (QStringList{"--Output=General;%Duration%", hostile}));
    }

    void mediaInfoOutputShapes_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("expected");
        QTest::newRow("more than a pipe buffer") << QByteArray("bytes:300000") << QString(300000, 'x');
        QTest::newRow("many small pieces") << QByteArray("pieces:400:ab") << QString("ab").repeated(400);
        QTest::newRow("standard error too") << QByteArray("err:warn \\n") << QString("warn");
        QTest::newRow("invalid UTF-8") << QByteArray("out:ok\\n;invalid") << QString();
        QTest::newRow("non-zero exit") << QByteArray("out: 1234 \\n;exit:3") << QString("1234");
        QTest::newRow("slow answer") << QByteArray("sleep:300;out:late") << QString("late");
        QTest::newRow("crash") << QByteArray("out:before\\n;crash") << QString("before");
    }

    void mediaInfoOutputShapes()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, expected);
        const ResourceDir dir(ResourceDir::Entry::Fake, ResourceDir::Entry::Fake);
        const ToolRunner tools(dir.path());
        QCOMPARE(withScript(script, [&] { return tools.mediaInfoText(m_clip, "General", "x"); }), expected);
    }

    void mediaInfoThatHangsIsEnded()
    {
        const ResourceDir dir(ResourceDir::Entry::Fake, ResourceDir::Entry::Fake);
        ToolRunner tools(dir.path());
        tools.setMediaInfoTimeout(400);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(withScript("out:partial;hang", [&] { return tools.mediaInfoText(m_clip, "General", "x"); }),
                 QString());
        QVERIFY(clock.elapsed() < 5000);
    }

    void shellChunksArriveInOrder()
    {
        const ResourceDir dir(ResourceDir::Entry::Fake, ResourceDir::Entry::Fake);
        const ToolRunner tools(dir.path());
        QString joined;
        int chunks = 0;
        const ShellOutcome outcome = withScript("errpieces:300:frame=1 é\\r;out:end\\n;exit:4", [&] {
            return tools.runFfmpegShell(shellQuote(dir.path() + "/ffmpeg"), [&](const QString &chunk) {
                QVERIFY(!chunk.isEmpty());
                joined += chunk;
                ++chunks;
            });
        });
        QCOMPARE(joined, QString("frame=1 é\r").repeated(300) + "end\n");
        QVERIFY(chunks > 1);
        QCOMPARE(outcome.kind, ShellOutcome::Kind::Exited);
        QCOMPARE(outcome.exitCode, 4);
        QVERIFY(!outcome.succeeded());
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

    void shellCrashIsNotSuccess()
    {
        const ResourceDir dir(ResourceDir::Entry::Fake, ResourceDir::Entry::Fake);
        const ToolRunner tools(dir.path());
        const ShellOutcome outcome =
            withScript("crash", [&] { return tools.runFfmpegShell(shellQuote(dir.path() + "/ffmpeg")); });
        QVERIFY(!outcome.succeeded());
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
