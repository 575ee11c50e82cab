// `tavrix-cli encode` end to end with the real tools: folders, results, exit statuses and Ctrl-C.
#include "TestSupport.h"

#include "process/ToolRunner.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <filesystem>

namespace {

const QString cli = QStringLiteral(TAVRIX_CLI_PATH);
const QStringList fast{"--video-encoder", "libx264", "--preset", "ultrafast"};

// Processes whose command line mentions `text`.
int processesMentioning(const QByteArray &text)
{
    const QList<TestSupport::Process> all = TestSupport::livingProcesses();
    return std::count_if(all.cbegin(), all.cend(),
                         [&](const auto &p) { return p.commandLine.contains(text); });
}

} // namespace

class TestCliEncode : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    ToolRunner m_tools{TestSupport::realResourceDir()};
    int m_rows = 0;

    int encode(const QStringList &args, QByteArray *out, QByteArray *err = nullptr)
    {
        return TestSupport::run(cli, QStringList{"encode"} + args, out, err);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("in/sub/deeper")));
        QVERIFY(TestSupport::generateSimpleClip(m_dir.filePath(QStringLiteral("in/first.mov")), 1.0));
        QVERIFY(
            TestSupport::generateSimpleClip(m_dir.filePath(QStringLiteral("in/sub/deeper/SECOND.MKV")), 1.0));
        QVERIFY(TestSupport::writeFile(m_dir.filePath(QStringLiteral("in/sub/notes.txt")), "not a video"));
    }

    void folderToDestination()
    {
        const QString dest = m_dir.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(dest));
        QByteArray out;
        const int code = encode(
            QStringList{QStringLiteral("--dest"), dest, m_dir.filePath(QStringLiteral("in"))} + fast, &out);
        QVERIFY2(code == 0, out.constData());
        QVERIFY(!out.contains('\r')); // not a terminal: plain lines only
        QVERIFY2(out.contains("[1 / 2] first.mov  Succeeded"), out.constData());
        QVERIFY2(out.contains("[2 / 2] SECOND.MKV  Succeeded"), out.constData());
        QVERIFY(out.contains("2 jobs: 2 succeeded, 0 failed, 0 not run, 0 stopped."));
        QStringList written = QDir(dest).entryList(QDir::Files);
        written.sort(Qt::CaseInsensitive);
        QCOMPARE(written, (QStringList{"first.mp4", "SECOND.mp4"}));
    }

    // Extra options reach ffmpeg as the shell reads them, quotes included; one ffmpeg refuses fails the
    // job, the run exits with 1 and names the job's log, which holds ffmpeg's words. An existing file
    // named there as another output is never replaced, even with -y among them.
    void extraOptions_data()
    {
        QTest::addColumn<QString>("params");  // %1: a file of the user's
        QTest::addColumn<QByteArray>("said"); // empty: the job succeeds
        QTest::newRow("a quoted value") << R"(-metadata title="two words")" << QByteArray();
        QTest::newRow("an unknown option") << "-no_such_option" << QByteArray("no_such_option");
        QTest::newRow("a user's file as a second output")
            << "-f mp4 %1 -map 0:0" << QByteArray("victim.mp4' already exists. Exiting.");
        QTest::newRow("the same, with -y")
            << "-y -f mp4 %1 -map 0:0" << QByteArray("victim.mp4' already exists. Exiting.");
    }
    void extraOptions()
    {
        QFETCH(QString, params);
        QFETCH(QByteArray, said);
        const QTemporaryDir work;
        const QString victim = work.filePath(QStringLiteral("victim.mp4"));
        QVERIFY(TestSupport::writeFile(victim, "the user's own"));
        if (params.contains(QLatin1String("%1")))
            params = params.arg(victim);
        QByteArray out;
        const int code =
            TestSupport::run(cli,
                             QStringList{"encode", "--dest", work.path(), "--params", params,
                                         m_dir.filePath(QStringLiteral("in/first.mov"))} +
                                 fast,
                             &out, nullptr, {"XDG_DATA_HOME=" + work.filePath(QStringLiteral("data"))});
        const QString output = work.filePath(QStringLiteral("first.mp4"));
        if (said.isEmpty()) {
            QVERIFY2(code == 0, out.constData());
            QCOMPARE(TestSupport::ffprobe(output, "-show_entries format_tags=title -of csv=p=0"),
                     "two words\n");
            return;
        }
        QCOMPARE(code, 1);
        QVERIFY2(out.contains("[1 / 1] first.mov  Failed: ffmpeg exited with status"), out.constData());
        QVERIFY(!QFileInfo::exists(output));
        const int at = out.indexOf("      log: ");
        QVERIFY(at >= 0);
        const QByteArray log = out.mid(at + 11, out.indexOf('\n', at) - at - 11);
        QVERIFY2(TestSupport::readFile(QFile::decodeName(log)).contains(said), log.constData());
        QCOMPARE(TestSupport::readFile(victim), QByteArray("the user's own"));
    }

    // The video copied as it is: the output's video packets are the source's, byte for byte; MP4 refuses
    // before the run a video it cannot hold, and MKV takes it.
    void remux_data()
    {
        QTest::addColumn<QString>("codec"); // of the source's video, in an MKV
        QTest::addColumn<QString>("container");
        QTest::addColumn<QByteArray>("said"); // empty: the job succeeds
        const auto row = [](const char *name, const char *codec, const char *container, const char *said) {
            QTest::newRow(name) << QString(codec) << QString(container) << QByteArray(said);
        };
        row("H.264 and AAC, MKV to MP4", "libx264", "mp4", "");
        row("FFV1 to MP4", "ffv1", "mp4",
            "clip.mkv  Not run: MP4 cannot hold the source's FFV1 video as it is: choose MKV, or an "
            "encoder.\n");
        row("FFV1 to MKV", "ffv1", "mkv", "");
    }
    void remux()
    {
        QFETCH(QString, codec);
        QFETCH(QString, container);
        QFETCH(QByteArray, said);
        const QTemporaryDir work;
        const QString source = work.filePath(QStringLiteral("in/clip.mkv"));
        QVERIFY(QDir().mkpath(work.filePath(QStringLiteral("in"))));
        QVERIFY(TestSupport::generateClip(source, {"-f", "lavfi", "-i",
                                                   "testsrc=size=160x120:rate=25:duration=1", "-f", "lavfi",
                                                   "-i", "sine=duration=1", "-c:v", codec, "-c:a", "aac"}));
        QByteArray out;
        const int code = encode({"--dest", work.path(), "--container", container, "--video-encoder", "copy",
                                 "--audio-encoder", "copy", source},
                                &out);
        const QString output = work.filePath("clip." + container);
        if (!said.isEmpty()) {
            QCOMPARE(code, 1);
            QVERIFY2(out.contains(said), out.constData());
            QVERIFY(!QFileInfo::exists(output));
            return;
        }
        QVERIFY2(code == 0, out.constData());
        const auto videoHash = [](const QString &file) {
            QByteArray hash;
            TestSupport::run(TestSupport::realTool(QStringLiteral("ffmpeg")),
                             {"-v", "error", "-i", "file:" + file, "-map", "0:v", "-c", "copy", "-f",
                              "streamhash", "-hash", "md5", "-"},
                             &hash);
            return hash;
        };
        QVERIFY(videoHash(source).contains("MD5="));
        QCOMPARE(videoHash(output), videoHash(source));
    }

    // An HDR10 source stays HDR10 with x265, or goes to standard range when asked: by the stored default
    // or by --hdr, the option winning.
    void hdrChoice_data()
    {
        QTest::addColumn<QString>("stored"); // the default "hdrOutput", by name
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("colours"); // as ffprobe reads the output
        const QByteArray kept("yuv420p10le,bt2020nc,smpte2084,bt2020\n");
        const QByteArray mapped("yuv420p,bt709,bt709,bt709\n");
        QTest::newRow("factory settings") << "keep" << QStringList{} << kept;
        QTest::newRow("--hdr sdr") << "keep" << QStringList{"--hdr", "sdr"} << mapped;
        QTest::newRow("stored sdr") << "sdr" << QStringList{} << mapped;
        QTest::newRow("stored sdr, --hdr keep") << "sdr" << QStringList{"--hdr", "keep"} << kept;
    }
    void hdrChoice()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, args);
        const QTemporaryDir work;
        const QString source = work.filePath(QStringLiteral("hdr10.mkv"));
        QVERIFY(TestSupport::generateTenBitClip(source, "hdr10"));
        QVERIFY(QDir().mkpath(work.filePath("out")));
        QCOMPARE(TestSupport::run(cli, {"defaults", "hdrOutput", stored}), 0);
        QByteArray out;
        const int status = encode(QStringList{"--dest", work.filePath("out"), "--video-encoder", "libx265",
                                              "--preset", "ultrafast"} +
                                      args + QStringList{source},
                                  &out);
        QCOMPARE(TestSupport::run(cli, {"defaults", "hdrOutput", "keep"}), 0);
        QVERIFY2(status == 0, out.constData());
        QTEST(TestSupport::ffprobe(work.filePath("out/hdr10.mp4"),
                                   "-select_streams v:0 -show_entries "
                                   "stream=pix_fmt,color_space,color_transfer,color_primaries -of csv=p=0"),
              "colours");
    }

    // The AV1 and VP9 encoders, the audio encoders and WebM on a 5.1 source, read back with the real
    // tools; a stream the container cannot hold is refused before the run, naming it (a video WebM cannot
    // hold is the editor's test, tst_ui_detailview), and an option the encoder went on without fails the job.
    void codecs_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("output"); // the file written
        QTest::addColumn<QString>("said");   // how the output reads back, or the job's line
        const QStringList av1{"--video-encoder", "libsvtav1", "--preset", "ultrafast"};
        const QStringList vp9{"--video-encoder", "libvpx-vp9", "--preset", "ultrafast"};
        const auto row = [](const char *name, const QStringList &args, const char *output, const char *said) {
            QTest::newRow(name) << args << QString(output) << QString(said);
        };
        row("AV1 in MKV", av1 + QStringList{"--quality", "40", "--container", "mkv"}, "clip.mkv",
            "Matroska|av1,yuv420p|aac,44100,2");
        row("VP9 and Opus in WebM", vp9 + QStringList{"--audio-encoder", "libopus", "--container", "webm"},
            "clip.webm", "WebM|vp9,yuv420p|opus,48000,2");
        row("FLAC in MKV", fast + QStringList{"--audio-encoder", "flac", "--container", "mkv"}, "clip.mkv",
            "Matroska|h264,yuv420p|flac,44100,2");
        row("AC-3, 5.1 kept", fast + QStringList{"--audio-encoder", "ac3", "--audio-channels", "keep"},
            "clip.mp4", "MPEG-4|h264,yuv420p|ac3,44100,6");
        row("Opus at 44100 Hz, 5.1 kept",
            fast + QStringList{"--audio-encoder", "libopus", "--audio-channels", "keep", "--audio-sampling",
                               "44100"},
            "clip.mp4", "MPEG-4|h264,yuv420p|opus,48000,6");
        row("E-AC-3 in MP4", fast + QStringList{"--audio-encoder", "eac3"}, "clip.mp4",
            "MPEG-4|h264,yuv420p|eac3,44100,2");
        row("WebM refuses AAC", vp9 + QStringList{"--container", "webm"}, "",
            "Not run: WebM holds only Opus or Vorbis audio, which aac does not write: choose libopus, or "
            "MKV.");
        row("WebM refuses a copied AAC", vp9 + QStringList{"--audio-encoder", "copy", "--container", "webm"},
            "",
            "Not run: WebM cannot hold the source's audio stream “1 · AAC 5.1 · 342 kb/s · Default” as it "
            "is: "
            "choose libopus, or MKV.");
        row("MP4 refuses FLAC", fast + QStringList{"--audio-encoder", "flac"}, "",
            "Not run: MP4 holds FLAC audio only in ffmpeg's experimental mode: choose MKV, or another audio "
            "encoder.");
        row("an option SVT-AV1 went on without",
            av1 + QStringList{"--container", "mkv", "--params", "-svtav1-params foo=bar"}, "",
            "Failed: libsvtav1: Error parsing option foo: bar.");
        row("a value x265 went on without",
            QStringList{"--video-encoder", "libx265", "--preset", "ultrafast", "--params",
                        "-x265-params crf=abc"},
            "", "Failed: libx265: Invalid value for crf: abc.");
    }
    void codecs()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, output);
        QFETCH(QString, said);
        const QTemporaryDir work;
        const QString source = work.filePath(QStringLiteral("clip.mov"));
        QVERIFY(TestSupport::generateClip(
            source, {"-f", "lavfi", "-i", "testsrc=size=128x72:rate=10:duration=1", "-f", "lavfi", "-i",
                     "sine=duration=1,pan=5.1|c0=c0|c1=c0|c2=c0|c3=c0|c4=c0|c5=c0", "-c:v", "libx264",
                     "-preset", "ultrafast", "-c:a", "aac"}));
        QVERIFY(QDir().mkpath(work.filePath("out")));
        QByteArray out;
        const int code =
            encode(QStringList{"--dest", work.filePath("out")} + args + QStringList{source}, &out);
        const QStringList written = QDir(work.filePath("out")).entryList(QDir::Files);
        if (output.isEmpty()) {
            QCOMPARE(code, 1);
            QVERIFY2(out.contains(("clip.mov  " + said + '\n').toUtf8()), out.constData());
            QCOMPARE(written, QStringList());
            return;
        }
        QVERIFY2(code == 0, out.constData());
        QCOMPARE(written, QStringList{output});
        const QString file = work.filePath("out/" + output);
        const auto probe = [&file](const char *stream, const char *entries) {
            return QString::fromUtf8(
                       TestSupport::ffprobe(file,
                                            QStringLiteral("-select_streams %1 -show_entries stream=%2 -of "
                                                           "default=noprint_wrappers=1:nokey=1")
                                                .arg(stream, entries)))
                .trimmed()
                .replace('\n', ',');
        };
        QCOMPARE(
            QStringList({m_tools.mediaInfoField(file, "General", "Format"),
                         probe("v:0", "codec_name,pix_fmt"), probe("a:0", "codec_name,sample_rate,channels")})
                .join('|'),
            said);
    }

    // A file already at the destination, the source itself included, is never lost: the run takes a free
    // name (the stored choice, Rename, with factory settings), skips the job or, asked to, replaces the file
    // once the new one is complete.
    void existingOutput_data()
    {
        QTest::addColumn<QString>("source"); // beside it, unless it is clip.mp4, an unrelated clip.mp4
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message"); // %1 is the folder
        QTest::addColumn<QString>("video");   // the file holding the converted video
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("mp4 source, factory settings")
            << "clip.mp4" << QStringList{}
            << "Succeeded   %1/clip.mp4 -> %1/clip-1.mp4 (clip.mp4 is the source)"
            << "clip-1.mp4" << QStringList{"clip-1.mp4", "clip.mp4"};
        QTest::newRow("unrelated file, overwrite")
            << "clip.mov" << fast + QStringList{"--existing", "overwrite"}
            << "Succeeded   %1/clip.mov -> %1/clip.mp4\n"
            << "clip.mp4" << QStringList{"clip.mov", "clip.mp4"};
    }

    void existingOutput()
    {
        QFETCH(QString, source);
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QFETCH(QString, video);
        const QString dir = m_dir.filePath(QStringLiteral("existing_%1").arg(++m_rows));
        const QString path = QDir(dir).filePath(source);
        QVERIFY(QDir().mkpath(dir) && TestSupport::generateSimpleClip(path, 1.0));
        const QByteArray sourceBytes = TestSupport::readFile(path);
        QVERIFY(source == "clip.mp4" || TestSupport::writeFile(QDir(dir).filePath("clip.mp4"), "unrelated"));

        QByteArray out;
        QCOMPARE(encode(args << path, &out), 0);
        QVERIFY2(out.contains(message.replace("%1", dir).toUtf8()), out.constData());
        QCOMPARE(TestSupport::readFile(path), sourceBytes);
        QTEST(TestSupport::entries(dir), "entries");
        QCOMPARE(m_tools.mediaInfoField(QDir(dir).filePath(video), "Video", "Format"), QStringLiteral("AVC"));
    }

    // Names that are not UTF-8 cannot be opened by any path we can spell, and a path may not exist: each
    // is named on standard error and the run fails, though every job it could run succeeded. Names holding
    // escape sequences reach the terminal escaped.
    void unusableNamesAreListed()
    {
        const QByteArray tree = QFile::encodeName(m_dir.filePath(QStringLiteral("odd")));
        const QString clip = m_dir.filePath(QStringLiteral("in/first.mov"));
        const QByteArray legacy = tree + "/legacy\xe9" + "dir"; // Latin-1 é
        std::filesystem::create_directories(legacy.toStdString());
        for (const QByteArray &path : {tree + "/caf\xe9.mov", legacy + "/inner.mov", tree + "/notes\xe9.txt",
                                       tree + "/esc\x1b]0;title\x07.mov"})
            std::filesystem::copy_file(clip.toStdString(), path.toStdString());
        const QString dest = m_dir.filePath(QStringLiteral("out_odd"));
        QVERIFY(QDir().mkpath(dest));
        QByteArray out;
        QByteArray err;
        const QString missing = QStringLiteral("/nonexistent/clip.mov");
        QCOMPARE(encode(QStringList{"--dest", dest, QFile::decodeName(tree), missing} + fast, &out, &err), 1);
        QVERIFY2(out.contains("[1 / 1] esc\\x1b]0;title\\x07.mov  Succeeded"), out.constData());
        QVERIFY(out.contains("1 jobs: 1 succeeded"));
        QCOMPARE(err.count('\n'), 3);
        QVERIFY(err.contains(missing.toUtf8() + "”: no such file or directory"));
        QVERIFY2(err.contains(tree + "/caf\\xe9.mov”: the name is not valid UTF-8"), err.constData());
        QVERIFY2(err.contains(tree + "/legacy\\xe9dir”: the name is not valid UTF-8"), err.constData());
        for (const char control : {'\x1b', '\x07', '\xe9'})
            QVERIFY(!out.contains(control) && !err.contains(control));
    }

    // Ctrl-C mid-job ends the encoder, leaves no unfinished file and exits with 128 + the
    // signal. Signal 0 stands for the reader of standard output going away (`encode ... | head -1`). A
    // killed program cannot clean up, but its encoder still dies with it.
    void interrupted_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("exitCode"); // -1: killed
        QTest::newRow("SIGINT") << int(SIGINT) << 130;
        QTest::newRow("SIGQUIT") << int(SIGQUIT) << 131;
        QTest::newRow("SIGUSR1") << int(SIGUSR1) << 138;
        QTest::newRow("SIGUSR2") << int(SIGUSR2) << 140;
        QTest::newRow("SIGALRM") << int(SIGALRM) << 142;
        QTest::newRow("closed output") << 0 << 1;
        // What a kill leaves behind, the next run into the same folder removes.
        QTest::newRow("SIGKILL") << int(SIGKILL) << -1;
    }

    void interrupted()
    {
        QFETCH(int, signal);
        QFETCH(int, exitCode);
        const QString clip = m_dir.filePath(QStringLiteral("long.mov"));
        if (!QFileInfo::exists(clip))
            QVERIFY(TestSupport::generateSimpleClip(clip, 20.0));
        const QString dest = m_dir.filePath(QStringLiteral("out_%1").arg(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(dest));

        // "closed output": the program's standard output goes to `head -1`, which leaves after one line.
        QProcess head;
        QProcess process;
        if (signal == 0) {
            process.setStandardOutputProcess(&head);
            head.start(QStringLiteral("head"), {QStringLiteral("-1")});
            QVERIFY(head.waitForStarted());
        }
        process.start(cli,
                      {"encode", "--dest", dest, "--video-encoder", "libx265", "--preset", "slow", clip});
        QVERIFY(process.waitForStarted());
        // The encoder writes into a folder of its own beside the output, whose name begins with this; it
        // has started once a process names that folder: the shell, then the ffmpeg it becomes.
        const QByteArray output = QDir(dest).filePath(QStringLiteral(".long.mp4.tavrix-")).toUtf8();
        // Sticky: the macro asks twice, and a shell turning into ffmpeg shows no command line for a moment.
        bool started = false;
        QTRY_VERIFY_WITH_TIMEOUT((started = started || processesMentioning(output) > 0) ||
                                     process.state() != QProcess::Running,
                                 60000);
        // A closed output may be noticed before the encoder starts: the run still ends cleanly.
        QVERIFY2(signal == 0 || process.state() == QProcess::Running,
                 process.readAllStandardError().constData());
        if (signal == 0) // head may be gone already, which waitForFinished() reports as false
            QVERIFY(head.state() == QProcess::NotRunning || head.waitForFinished(10000));
        else
            ::kill(pid_t(process.processId()), signal);
        QVERIFY(process.waitForFinished(20000));
        if (exitCode < 0) {
            QCOMPARE(process.exitStatus(), QProcess::CrashExit);
            QTRY_COMPARE_WITH_TIMEOUT(processesMentioning(output), 0, 5000);
            QCOMPARE(QDir(dest).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);
            QByteArray out;
            QCOMPARE(
                encode(QStringList{"--dest", dest, m_dir.filePath(QStringLiteral("in/first.mov"))} + fast,
                       &out),
                0);
            QCOMPARE(QDir(dest).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                     QStringList{"first.mp4"});
            return;
        }
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        if (signal != 0) {
            const QByteArray out = process.readAllStandardOutput();
            QVERIFY2(out.contains("[1 / 1] long.mov\n") && out.contains("long.mov  Stopped"),
                     out.constData());
        }
        QCOMPARE(processesMentioning(output), 0);
        QVERIFY(QDir(dest).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }
};

QTEST_GUILESS_MAIN(TestCliEncode)
#include "tst_cli_encode.moc"
