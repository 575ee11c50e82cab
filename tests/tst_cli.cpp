// tavrix-cli end to end: probe, command and defaults, run as a user would.
#include "TestSupport.h"

#include "model/Preferences.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

namespace {

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

    // Each run shares this test's own store (and no other).
    Run cli(const QStringList &args) const
    {
        QByteArray out, err;
        const int status = TestSupport::run(
            TAVRIX_CLI_PATH, args, &out, &err,
            {"XDG_CONFIG_HOME=" + TestSupport::settingsHome(), "XDG_DATA_HOME=" + m_home.filePath("data")});
        return {status, QString::fromUtf8(out), QString::fromUtf8(err)};
    }

    QString ffmpeg() const { return "\"" + TestSupport::realTool("ffmpeg") + "\""; }

private slots:
    void initTestCase()
    {
        TestSupport::isolateSettings();
        QVERIFY(m_dir.isValid() && m_home.isValid());
        m_clip = m_dir.filePath("two audio.mp4");
        QVERIFY(TestSupport::generateClip(m_clip,
                                          "-f lavfi -i testsrc=size=320x240:rate=10:duration=1 -f lavfi -i "
                                          "sine=duration=1 -f lavfi -i sine=frequency=880:duration=1 "
                                          "-map 0 -map 1 -map 2 -c:a aac"));
        QVERIFY(TestSupport::writeFile(m_noHosts, "\n# studio is away\n   \n"));
    }

    void init() { QCOMPARE(cli({"defaults", "--reset"}).status, 0); }

    void helpAndVersion()
    {
        QVERIFY(cli({"probe", "--help"}).out.startsWith("Usage: tavrix-cli probe "));
        QCOMPARE(cli({"command", "--version"}).out, QStringLiteral("tavrix-cli " TAVRIX_VERSION "\n"));
    }

    void badUse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown option") << QStringList{"probe", "--bogus", "x.mp4"};
        QTest::newRow("crop and a newline") << QStringList{"probe", "--crop", "1920:800:0:0\n", "x.mp4"};
        QTest::newRow("unknown HDR choice") << QStringList{"probe", "--hdr", "maybe", "x.mp4"};
        QTest::newRow("defaults figure too high") << QStringList{"defaults", "audioSampling", "999999"};
        QTest::newRow("quality beyond the encoder's scale")
            << QStringList{"command", "--video-encoder", "libx264", "--quality", "52", m_clip};
        QTest::newRow("hosts file without a host") << QStringList{"encode", "--hosts", m_noHosts, m_clip};
    }

    void badUse()
    {
        QFETCH(QStringList, args);
        const Run r = cli(args);
        QCOMPARE(r.status, 2);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY2(r.err.startsWith("tavrix-cli "), qPrintable(r.err));
    }

    void defaults()
    {
        QCOMPARE(cli({"defaults", "autoCrop", "true"}).status, 0);
        QCOMPARE(cli({"defaults", "otherParams", "-threads 2"}).status, 0);
        QCOMPARE(cli({"defaults", "videoEncoder", "libx265"}).status, 0); // a case name stores its index
        QCOMPARE(cli({"defaults", "videoEncoder"}).out, QStringLiteral("2\n"));
        // The store the application reads.
        QVERIFY(Preferences::readBool(Preferences::Key::autoCrop));
        QCOMPARE(Preferences::readText(Preferences::Key::otherParams), std::optional<QString>("-threads 2"));
        Preferences::writeInt(Preferences::Key::audioDebit, 256);
        QCOMPARE(cli({"defaults", "audioDebit"}).out, QStringLiteral("256\n"));
        const QStringList lines = cli({"defaults"}).out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 32);
        QVERIFY(lines.contains("autoCrop=true") && lines.contains("subtitleLanguage="));
        QCOMPARE(cli({"defaults", "--reset"}).status, 0);
        QCOMPARE(cli({"defaults", "otherParams"}).out, QStringLiteral("\n"));

        // A store that cannot be written says so and fails; nothing is stored.
        QTemporaryFile notADirectory;
        QVERIFY(notADirectory.open());
        QByteArray err;
        QCOMPARE(TestSupport::run(TAVRIX_CLI_PATH, {"defaults", "autoCrop", "true"}, nullptr, &err,
                                  {"XDG_CONFIG_HOME=" + notADirectory.fileName() + "/config"}),
                 1);
        QVERIFY2(err.startsWith("tavrix-cli defaults: cannot write") && err.count('\n') == 1,
                 err.constData());
    }

    // A line the store cannot read back is never dropped by a write: nothing is stored, the file stays
    // as it was, and the one line said is true.
    void defaultsKeepAnUnreadableLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("line");
        QTest::newRow("a line of garbage")
            << QStringList{"defaults", "videoEncoder", "libx265"}
            << QByteArray("[General]\nautoCrop=true\nthis is not a setting\nvideoEncoder=1\n") << 3;
        QTest::newRow("an unclosed section, reset")
            << QStringList{"defaults", "--reset"} << QByteArray("[General\nautoCrop=true\n") << 1;
        QTest::newRow("an open quote")
            << QStringList{"defaults", "autoCrop", "false"}
            << QByteArray("[General]\notherParams=\"-threads 2\nautoCrop=true\n") << 2;
    }
    void defaultsKeepAnUnreadableLine()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, content);
        QFETCH(int, line);
        const QString file = Preferences::storeLocation();
        QVERIFY(TestSupport::writeFile(file, content));
        const Run r = cli(args);
        const QByteArray after = TestSupport::readFile(file);
        QFile::remove(file);
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, QString());
        QCOMPARE(r.err, QStringLiteral("tavrix-cli defaults: the settings file “%1” has a line Tavrix cannot "
                                       "read (line %2); nothing was stored; fix or remove it\n")
                            .arg(file)
                            .arg(line));
        QCOMPARE(after, content);
    }

    void probe()
    {
        const Run r = cli({"probe", "--container", "mkv", "--crop", "2:35.1", "--audio-track", "2", m_clip});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        QCOMPARE(r.out.count('\n'), 1);
        const QJsonObject job = QJsonDocument::fromJson(r.out.toUtf8()).object();
        // Scripts read these names.
        QCOMPARE(
            job.keys().join(' '),
            QStringLiteral(
                "audioChannels audioDebit audioEncoder audioSampling audioTrack audioTracks container "
                "cropValue "
                "deInterlace deInterlaceAuto destination durationVideo durationVideoMiddle fitWithin "
                "frameCount hdr "
                "hdrOutput height id image info interlaced isQuicktime keepAllAudio keepDate "
                "masteringDisplay maxCll "
                "maxFall otherParam preset qualityTarget "
                "source streams subtitleBurn subtitleExternal subtitleLanguage subtitleTrack subtitleTracks "
                "videoBitDepth videoCrop videoDebit videoDisplayAspectRatio videoEncoder "
                "videoHeight videoPixelAspectRatio videoPreset videoProfile videoQuality videoRate "
                "videoTrack videoTracks videoTune videoWidth width"));
        QCOMPARE(job["destination"].toString(), m_dir.filePath("two audio.mkv"));
        QCOMPARE(job["audioTrack"].toInt(), 2);
        QCOMPARE(job["videoCrop"].toString(), QStringLiteral("320:136:0:48"));
        QCOMPARE(job["cropValue"].toInt(), 3);
        // Each stream with what a script needs to choose it.
        QStringList streams;
        for (const QJsonValue &v : job["streams"].toArray()) {
            const QJsonObject s = v.toObject();
            streams << QStringLiteral("%1 %2 %3 %4 ch:%5 bits:%6 hdr:%7")
                           .arg(s["kind"].toString())
                           .arg(s["number"].toInt())
                           .arg(s["codec"].toString(), s["language"].toString())
                           .arg(s["channels"].toInt())
                           .arg(s["bitDepth"].toInt())
                           .arg(s["hdr"].toString());
        }
        QCOMPARE(streams, QStringList({"video 1 AVC  ch:0 bits:8 hdr:none",
                                       "audio 1 AAC  ch:1 bits:0 hdr:", "audio 2 AAC  ch:1 bits:0 hdr:"}));
    }

    // A file that gives no job is named on standard error with the reason and fails the run; the
    // other files still get theirs.
    void refusedSources_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("command");
        QTest::newRow("missing") << m_dir.filePath("missing.mp4") << QString("no such file")
                                 << QString("probe");
        QTest::newRow("not media") << m_dir.filePath("notes.mp4") << QString("not a media file")
                                   << QString("command");
    }

    void refusedSources()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        QFETCH(QString, command);
        QVERIFY(TestSupport::writeFile(m_dir.filePath("notes.mp4"), "not a video\n"));
        const Run r = cli({command, "--template", "2", path, m_clip});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out.count('\n'), 1); // the clip's
        QVERIFY(r.out.contains("two audio"));
        QVERIFY2(r.err.startsWith("tavrix-cli " + command + ": " + path + ": " + reason) &&
                     r.err.count('\n') == 1,
                 qPrintable(r.err));
    }

    // A track the source does not have is never replaced by another one: probe, command and queue add
    // refuse the file, encode leaves its job not run; each says why and exits with 1.
    void missingTrack_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("said"); // %1: the source
        QTest::newRow("probe, audio")
            << QStringList{"probe", "--audio-track", "9"}
            << "tavrix-cli probe: %1: The source has 1 audio track; track 9 was asked for.\n";
        QTest::newRow("command, video")
            << QStringList{"command", "--video-track", "5"}
            << "tavrix-cli command: %1: The source has 1 video track; track 5 was asked for.\n";
        QTest::newRow("queue add, audio")
            << QStringList{"queue", "add", "--audio-track", "2"}
            << "tavrix-cli queue add: %1: The source has 1 audio track; track 2 was asked for.\n";
        // Without --video-encoder the stored one (libx264) sets the scale.
        QTest::newRow("command, quality beyond the stored encoder's scale")
            << QStringList{"command", "--quality", "60"}
            << "tavrix-cli command: %1: --quality 60 is beyond the scale of libx264, 0 to 51.\n";
        QTest::newRow("encode, video")
            << QStringList{"encode",  "--video-track", "5",        "--video-encoder",
                           "libx264", "--preset",      "ultrafast"}
            << "%1: The source has 1 video track; track 5 was asked for.\n";
    }
    void missingTrack()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, said);
        QTemporaryDir folder;
        const QString source = folder.filePath("one track.mkv");
        QVERIFY(TestSupport::generateSimpleClip(source, 0.5));
        const Run r = cli(args << "--dest" << folder.path() << source);
        QCOMPARE(r.status, 1);
        QVERIFY2((r.out + r.err).contains(said.arg(source)), qPrintable(r.out + r.err));
        QCOMPARE(TestSupport::entries(folder.path()), QStringList{"one track.mkv"});
        QCOMPARE(cli({"queue", "list"}).out, QString());
    }

    void command()
    {
        QCOMPARE(cli({"defaults", "otherParams", "-threads 2"}).status, 0);
        const Run r = cli({"command", "--audio-track", "0", "--video-encoder", "libx265", "--audio-bitrate",
                           "128", "--params", "-movflags +faststart", "--template", "2", m_clip});
        QCOMPARE(r.status, 0);
        QCOMPARE(
            r.out,
            ffmpeg() + " -hide_banner -threads 2 -n -i \"" + m_clip +
                "\" -vf scale=-2:-2 -map 0:0 -c:v libx265 -pix_fmt yuv420p -map 0:1 -c:a aac -b:a 128k "
                "-ac 2 -async 1 -map 0:2 -c:a aac -b:a 128k -ac 2 -async 1 -movflags +faststart -f mp4 \"" +
                m_dir.filePath("two audio_x265_aac.mp4") + "\"\n");

        // Stored defaults apply; the settings of the run win over them.
        QCOMPARE(cli({"defaults", "deInterlace", "true"}).status, 0);
        QCOMPARE(cli({"defaults", "container", "1"}).status, 0);
        const Run d =
            cli({"command", "--no-deinterlace", "--crop", "detect", "--dest", m_home.path(), m_clip});
        QCOMPARE(d.status, 0);
        QCOMPARE(d.out,
                 ffmpeg() + " -hide_banner -threads 2 -n -i \"" + m_clip +
                     "\" -vf crop=320:240:0:0,scale=-2:-2 -map 0:0 -c:v libx264 -pix_fmt yuv420p -map 0:1 "
                     "-c:a aac -ac 2 -async 1 -f matroska \"" +
                     m_home.filePath("two audio.mkv") + "\"\n");

        // Without a stored quality an encoder chosen for the run starts from its own first one.
        QCOMPARE(cli({"defaults", "videoRate", "quality"}).status, 0);
        const Run av1 = cli({"command", "--video-encoder", "libsvtav1", m_clip});
        QVERIFY2(av1.out.contains(" -c:v libsvtav1 -crf 32 -preset 8 "), qPrintable(av1.out));
    }

    // `command` prints the output a run would write, under the policy for taken names; it replaces a
    // file only where the run would, and prints nothing for a job the run would leave out.
    void commandWritesThePlannedOutput_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("expected"); // how the line ends, or the message on standard error
        QTest::newRow("an MP4 beside itself")
            << "clip.mp4" << QStringList{} << " -n -i * \"<dir>/clip-1.mp4\"";
        QTest::newRow("rename") << "clip.mov" << QStringList{"--existing", "rename"}
                                << " -n -i * \"<dir>/clip-1.mp4\"";
        QTest::newRow("overwrite") << "clip.mov" << QStringList{"--existing", "overwrite"}
                                   << " -y -i * \"<dir>/clip.mp4\"";
        QTest::newRow("skip") << "clip.mov" << QStringList{"--existing", "skip"}
                              << "“<dir>/clip.mp4” already exists; it is left as it is.";
    }

    void commandWritesThePlannedOutput()
    {
        QFETCH(QString, source);
        QFETCH(QStringList, options);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(QFile::copy(m_clip, dir.filePath(source)));
        const bool userFile = source != "clip.mp4";
        QVERIFY(!userFile || TestSupport::writeFile(dir.filePath("clip.mp4"), "the user's own"));
        const Run r = cli(QStringList{"command"} + options + QStringList{dir.filePath(source)});
        QCOMPARE(r.status, 0);
        expected.replace("<dir>", dir.path());
        if (expected.contains(" -i ")) {
            const QStringList ends = expected.split(" * ");
            QVERIFY2(r.out.contains(ends[0]) && r.out.endsWith(ends[1] + "\n"), qPrintable(r.out));
        } else {
            QCOMPARE(r.out, QString());
            QVERIFY2(r.err.contains(expected), qPrintable(r.err));
        }
        QVERIFY(!userFile || TestSupport::readFile(dir.filePath("clip.mp4")) == "the user's own");
    }

    // What `command` prints is one line per command, whatever the file is called: read line by line,
    // each line runs as it is and makes exactly the named file.
    void hostileNameEndToEnd_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("shell text") << "crop=$(touch X) `id` it's \\ \"q\".mp4";
        QTest::newRow("a line of its own") << "a\ntouch X\nb.mp4";
    }

    void hostileNameEndToEnd()
    {
        QFETCH(QString, name);
        const TestSupport::WorkingDir cwd;
        QTemporaryDir in;
        const QString source = in.filePath(name);
        QVERIFY(QFile::copy(m_clip, source));
        const Run r = cli({"command", "--video-encoder", "libx264", "--preset", "ultrafast", "--template",
                           "1", "--crop", "detect", "--dest", cwd.path(), source});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out.count('\n'), 1);
        const QString commands = in.filePath("commands");
        QVERIFY(TestSupport::writeFile(commands, r.out.toUtf8()));
        QByteArray log;
        QCOMPARE(TestSupport::run(
                     "/bin/bash",
                     {"-c", "while IFS= read -r l; do bash -c \"$l\" || exit; done < \"$0\"", commands},
                     nullptr, &log),
                 0);
        QCOMPARE(TestSupport::entries(cwd.path()), QStringList{name});
        QVERIFY2(QFileInfo(cwd.path() + '/' + name).size() > 0, log.constData());
        QVERIFY(!QFile::exists(in.filePath("X")));
    }

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_home;
    QString m_clip;
    const QString m_noHosts = m_dir.filePath("hosts");
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
