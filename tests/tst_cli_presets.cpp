// Presets through tavrix-cli, as users share them: made by one user, exported, imported by another,
// and the built-in ones converting real files.
#include "TestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

} // namespace

class TestCliPresets : public QObject
{
    Q_OBJECT

    // A user of their own: settings store and data folder under `home`.
    static Run cli(const QString &home, const QStringList &args)
    {
        QByteArray out, err;
        const int status =
            TestSupport::run(TAVRIX_CLI_PATH, args, &out, &err,
                             {"XDG_CONFIG_HOME=" + home + "/config", "XDG_DATA_HOME=" + home + "/data",
                              "XDG_CACHE_HOME=" + home + "/cache"});
        return {status, QString::fromUtf8(out), QString::fromUtf8(err)};
    }
    QString presetsOf(const QString &home) const { return home + "/data/Tavrix/presets"; }

    // What ffprobe finds in a file: its container, then one word a stream ("h264 160x90", "aac 2ch",
    // "subrip").
    static QStringList streamsOf(const QString &path)
    {
        QByteArray out;
        TestSupport::run(QStandardPaths::findExecutable("ffprobe"),
                         {"-v", "error", "-show_entries",
                          "format=format_name:stream=codec_name,width,height,channels", "-of", "json", path},
                         &out);
        const QJsonObject probe = QJsonDocument::fromJson(out).object();
        QStringList found{probe["format"].toObject()["format_name"].toString()};
        for (const QJsonValue &value : probe["streams"].toArray()) {
            const QJsonObject s = value.toObject();
            QString word = s["codec_name"].toString();
            if (s.contains("width"))
                word += QStringLiteral(" %1x%2").arg(s["width"].toInt()).arg(s["height"].toInt());
            if (s.contains("channels"))
                word += QStringLiteral(" %1ch").arg(s["channels"].toInt());
            found << word;
        }
        return found;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_film = m_dir.filePath("film.mkv");
        QVERIFY(TestSupport::generateFilm(m_film));
        m_large = m_dir.filePath("large.mov");
        QVERIFY(TestSupport::generateClip(m_large,
                                          "-f lavfi -i testsrc2=size=1280x960:rate=5:duration=1 -f lavfi "
                                          "-i sine=duration=1 -c:a aac -shortest"));
    }

    // Saved by one user, exported, imported by another: the same commands, and nothing written beside
    // the presets folder whatever the name.
    void roundTrip()
    {
        const QString a = m_dir.filePath("userA"), b = m_dir.filePath("userB");
        const QString name = "../../Mine";
        Run saved =
            cli(a, {"presets", "save", name, "--description", "my films", "--use-preset",
                    "HEVC MKV — half the size", "--quality", "30", "--params", "-metadata comment=hi"});
        QCOMPARE(saved.status, 0);
        QCOMPARE(TestSupport::entries(presetsOf(a)), QStringList{"%2E%2E%2F%2E%2E%2FMine.json"});
        const Run commandA = cli(a, {"command", "--use-preset", name, m_film});
        QCOMPARE(commandA.status, 0);
        QVERIFY2(commandA.out.contains(" -c:v libx265 -crf 30 ") && commandA.out.contains("comment=hi"),
                 qPrintable(commandA.out));

        const QString file = m_dir.filePath("shared preset.json");
        QCOMPARE(cli(a, {"presets", "export", name, file}).status, 0);
        const QByteArray exported = TestSupport::readFile(file);
        const Run again = cli(a, {"presets", "export", name, file});
        QCOMPARE(again.status, 1);
        QVERIFY2(again.err.contains("already exists"), qPrintable(again.err));
        QCOMPARE(TestSupport::readFile(file), exported);

        const Run imported = cli(b, {"presets", "import", file});
        QCOMPARE(imported.status, 0);
        QCOMPARE(imported.out,
                 QStringLiteral("Imported “../../Mine”\n“../../Mine” adds these ffmpeg parameters to "
                                "every job: -metadata comment=hi\n"));
        QCOMPARE(cli(b, {"command", "--use-preset", name, m_film}).out, commandA.out);
        QCOMPARE(cli(b, {"command", "--use-preset", file, m_film}).out, commandA.out);
        QCOMPARE(cli(b, {"presets", "import", file}).out.section('\n', 0, 0),
                 QStringLiteral("Imported “../../Mine (2)”"));
        QCOMPARE(TestSupport::entries(m_dir.filePath("userB/data")), QStringList{"Tavrix"});
        QCOMPARE(TestSupport::entries(presetsOf(b)).size(), 2);

        const Run list = cli(b, {"presets", "list"});
        QVERIFY(list.out.contains("\n../../Mine\tuser\tmy films\n../../Mine (2)\tuser\tmy films\n"));
        QCOMPARE(cli(b, {"presets", "delete", "../../Mine (2)"}).status, 0);
        QCOMPARE(TestSupport::entries(presetsOf(b)).size(), 1);
        const Run builtIn = cli(b, {"presets", "delete", "H.264 MP4 — plays everywhere"});
        QCOMPARE(builtIn.status, 1);
        QVERIFY(builtIn.err.contains("built in"));
        QCOMPARE(cli(b, {"presets", "save", "Remux to MKV — no re-encoding"}).status, 1);
        // A name of two lines is kept on one.
        QCOMPARE(cli(b, {"presets", "save", "two\nlines"}).out, QStringLiteral("Saved “two lines”\n"));
    }

    // Files that cannot be used are listed with their problem, never stop the others, never change, and a
    // FIFO in their place does not block.
    void brokenFiles()
    {
        const QString home = m_dir.filePath("broken");
        QCOMPARE(cli(home, {"presets", "save", "Good"}).status, 0);
        const QList<std::pair<QString, QByteArray>> files{
            {"cut.json", "{\"format\": \"tavrix-preset\", \"vers"},
            {"newer.json", "{\"format\": \"tavrix-preset\", \"version\": 2, \"name\": \"Newer\"}"},
            {"odd.json", "{\"format\": \"tavrix-preset\", \"version\": 1, \"name\": \"Odd\", \"settings\": "
                         "{\"videoQuality\": \"high\"}}"},
            {"outside.json",
             "{\"format\": \"tavrix-preset\", \"version\": 1, \"name\": \"Outside\", \"settings\": "
             "{\"videoEncoder\": \"x266\"}}"},
        };
        for (const auto &[name, bytes] : files)
            QVERIFY(TestSupport::writeFile(presetsOf(home) + "/" + name, bytes));
        QCOMPARE(::mkfifo(QFile::encodeName(presetsOf(home) + "/pipe.json").constData(), 0600), 0);

        const Run list = cli(home, {"presets", "list"});
        QCOMPARE(list.status, 0);
        const QStringList users = list.out.split('\n').filter("\tuser\t");
        QCOMPARE(users,
                 (QStringList{
                     "cut\tuser\tcannot be used: not JSON (unterminated string at byte 34)",
                     "Good\tuser\t",
                     "newer\tuser\tcannot be used: written by a newer version of Tavrix (preset version 2; "
                     "this one reads 1)",
                     "odd\tuser\tcannot be used: “videoQuality” is not a whole number from 0 to 63",
                     "outside\tuser\tcannot be used: “videoEncoder” is not one of: libx264, "
                     "h264_videotoolbox, libx265, hevc_videotoolbox, h264_vaapi, hevc_vaapi, h264_nvenc, "
                     "hevc_nvenc, h264_qsv, hevc_qsv, copy, libsvtav1, libvpx-vp9",
                     "pipe\tuser\tcannot be used: not a regular file",
                 }));
        for (const auto &[name, bytes] : files)
            QCOMPARE(TestSupport::readFile(presetsOf(home) + "/" + name), bytes);
        const Run use = cli(home, {"command", "--use-preset", "newer", m_film});
        QCOMPARE(use.status, 2);
        QVERIFY2(use.err.contains("written by a newer version"), qPrintable(use.err));
        QCOMPARE(cli(home, {"presets", "save", "newer", "--replace"}).status, 1);
        QCOMPARE(TestSupport::readFile(presetsOf(home) + "/newer.json"), files[1].second);

        // A data folder that cannot be made: a file stands where it would be.
        const QString blocked = m_dir.filePath("blocked");
        QVERIFY(QDir().mkpath(blocked) && TestSupport::writeFile(blocked + "/data", "a file"));
        const Run refused = cli(blocked, {"presets", "save", "Mine"});
        QCOMPARE(refused.status, 1);
        QVERIFY2(refused.err.contains("Cannot make the folder"), qPrintable(refused.err));
    }

    // Each built-in preset converts real files into what its name promises.
    void builtInPresetsConvert_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<bool>("large");
        QTest::addColumn<QStringList>("streams");
        // MP4 keeps the chapters as a text track ffprobe calls "bin_data".
        const QString mp4 = "mov,mp4,m4a,3gp,3g2,mj2", mkv = "matroska,webm";
        QTest::newRow("H.264 MP4") << "H.264 MP4 — plays everywhere" << false
                                   << QStringList{mp4,        "h264 160x90", "aac 2ch",
                                                  "mov_text", "mov_text",    "bin_data"};
        QTest::newRow("HEVC MKV")
            << "HEVC MKV — half the size" << false
            << QStringList{
                   mkv, "hevc 160x90", "ac3 6ch", "aac 2ch", "subrip", "subrip", "hdmv_pgs_subtitle 160x90"};
        QTest::newRow("AV1 MKV")
            << "AV1 MKV — archive" << false
            << QStringList{
                   mkv, "av1 160x90", "opus 6ch", "opus 2ch", "subrip", "subrip", "hdmv_pgs_subtitle 160x90"};
        QTest::newRow("VP9 WebM") << "VP9 WebM — for the web" << false
                                  << QStringList{mkv, "vp9 160x90", "opus 2ch", "webvtt", "webvtt"};
        QTest::newRow("Remux to MP4")
            << "Remux to MP4 — no re-encoding" << false
            << QStringList{mp4, "h264 160x90", "ac3 6ch", "aac 2ch", "mov_text", "mov_text", "bin_data"};
        QTest::newRow("Remux to MKV")
            << "Remux to MKV — no re-encoding" << false
            << QStringList{
                   mkv, "h264 160x90", "ac3 6ch", "aac 2ch", "subrip", "subrip", "hdmv_pgs_subtitle 160x90"};
        QTest::newRow("Phone, a large source")
            << "Phone — 720p H.264" << true << QStringList{mp4, "h264 960x720", "aac 2ch"};
        QTest::newRow("Phone, a small source")
            << "Phone — 720p H.264" << false
            << QStringList{mp4, "h264 160x90", "aac 2ch", "mov_text", "mov_text", "bin_data"};
    }
    void builtInPresetsConvert()
    {
        QFETCH(QString, preset);
        QFETCH(bool, large);
        QFETCH(QStringList, streams);
        QTemporaryDir out;
        const Run run = cli(m_dir.filePath("converter"), {"encode", "--use-preset", preset, "--dest",
                                                          out.path(), large ? m_large : m_film});
        QVERIFY2(run.status == 0, qPrintable(run.out + run.err));
        const QStringList written = TestSupport::entries(out.path());
        QCOMPARE(written.size(), 1);
        QCOMPARE(streamsOf(out.filePath(written.first())).join(" | "), streams.join(" | "));
    }

private:
    QTemporaryDir m_dir;
    QString m_film;
    QString m_large;
};

QTEST_GUILESS_MAIN(TestCliPresets)
#include "tst_cli_presets.moc"
