// What a file holds, through `tavrix-cli encode` with the real tools: audio and subtitle tracks chosen
// by number and language, subtitles kept per container, burnt in, chapters, languages, flags and dates.
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <utime.h>

namespace {

const QString cli = QStringLiteral(TAVRIX_CLI_PATH);
const QStringList fast{"--video-encoder", "libx264", "--preset", "ultrafast"};

// The streams of a file as "v:h264 a:ac3:6:eng s:subrip:fre:forced ...", and its chapter count. An MP4
// with chapters has a data stream besides, the chapter titles' track.
QString streamsOf(const QString &file, int *chapters = nullptr)
{
    const QJsonObject probed =
        QJsonDocument::fromJson(TestSupport::ffprobe(file, "-show_streams -show_chapters -of json")).object();
    QStringList streams;
    for (const QJsonValue &v : probed.value("streams").toArray()) {
        const QJsonObject s = v.toObject();
        QString text = s.value("codec_type").toString().left(1) + ':' + s.value("codec_name").toString();
        if (s.contains("channels"))
            text += ':' + QString::number(s.value("channels").toInt());
        const QString language = s.value("tags").toObject().value("language").toString();
        if (!language.isEmpty() && language != "und")
            text += ':' + language;
        if (s.value("disposition").toObject().value("forced").toInt() == 1)
            text += ":forced";
        streams << text;
    }
    if (chapters)
        *chapters = int(probed.value("chapters").toArray().size());
    return streams.join(' ');
}

// How much the frames at 1 s of two files differ in a rectangle "W:H:X:Y" (mean, 0-255).
double difference(const QString &a, const QString &b, const QString &rect)
{
    QByteArray out;
    TestSupport::run(
        TestSupport::realTool("ffmpeg"),
        {"-v", "error", "-ss", "1", "-i", "file:" + a, "-ss", "1", "-i", "file:" + b, "-filter_complex",
         "[0:v][1:v]blend=all_mode=difference,crop=" + rect + ",format=gray,scale=1:1:flags=area",
         "-frames:v", "1", "-f", "rawvideo", "-"},
        &out);
    return out.isEmpty() ? -1 : quint8(out.front());
}

} // namespace

class TestCliTracks : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_film;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_film = m_dir.filePath("film.mkv");
        QVERIFY(TestSupport::generateFilm(m_film));
        // What the source holds, as the rows below read it.
        int chapters = 0;
        QCOMPARE(streamsOf(m_film, &chapters),
                 "v:h264 a:ac3:6:eng a:aac:2:fre s:subrip:eng s:subrip:fre:forced s:hdmv_pgs_subtitle:ger");
        QCOMPARE(chapters, 2);
    }

    // Each row converts the film (under `name`) and reads the output back. Chapters always stay.
    void conversions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("streams"); // empty: the job is not run
        QTest::addColumn<QString>("said");    // a part of what the command prints
        QTest::addColumn<QString>("burnt");   // a rectangle W:H:X:Y where the subtitle is drawn, or empty
        const auto row = [](const char *name, const QStringList &args, const char *streams,
                            const char *said = "", const char *burnt = "") {
            QTest::newRow(name) << QString("film.mkv") << args << QString(streams) << QString(said)
                                << QString(burnt);
        };
        row("remux to MP4 with every audio track: text subtitles become mov_text, the picture one is left "
            "out",
            {"--container", "mp4", "--video-encoder", "copy", "--audio-encoder", "copy", "--audio-tracks",
             "all"},
            "v:h264 a:ac3:6:eng a:aac:2:fre s:mov_text:eng s:mov_text:fre:forced d:bin_data:eng",
            "film.mkv: 1 picture subtitle");
        row("MKV, factory settings: the first audio track, every subtitle as it is",
            fast + QStringList{"--container", "mkv"},
            "v:h264 a:aac:2:eng s:subrip:eng s:subrip:fre:forced s:hdmv_pgs_subtitle:ger");
        row("by language, as codes and names",
            fast + QStringList{"--container", "mkv", "--audio-languages", "fr", "--subtitle-languages",
                               "English,deu"},
            "v:h264 a:aac:2:fre s:subrip:eng s:hdmv_pgs_subtitle:ger");
        row("a language the film lacks keeps the first audio track and no subtitle",
            fast +
                QStringList{"--container", "mkv", "--audio-languages", "jpn", "--subtitle-languages", "jpn"},
            "v:h264 a:aac:2:eng");
        row("by number, in the source's order, surround kept",
            fast + QStringList{"--container", "mkv", "--audio-tracks", "2,1", "--subtitle-tracks", "none",
                               "--audio-channels", "keep"},
            "v:h264 a:aac:6:eng a:aac:2:fre");
        // The AC-3 decoder's 5.1(side) is not one of libopus's layouts.
        row("AC-3 5.1 to Opus, surround kept",
            fast + QStringList{"--container", "mkv", "--audio-encoder", "libopus", "--audio-channels", "keep",
                               "--subtitle-tracks", "none"},
            "v:h264 a:opus:6:eng");
        row("the picture subtitle burnt in is not kept as a track",
            fast + QStringList{"--container", "mkv", "--burn-subtitle", "3"},
            "v:h264 a:aac:2:eng s:subrip:eng s:subrip:fre:forced", "", "32:8:64:24");
        row("an audio track the film does not have", fast + QStringList{"--audio-tracks", "1,3"}, "",
            "Not run: The source has 2 audio tracks; track 3 was asked for.");
        row("a subtitle to burn the film does not have", fast + QStringList{"--burn-subtitle", "4"}, "",
            "Not run: The source has 3 subtitle tracks; track 4 was asked for.");
        // libass reads the subtitle from the source: its name goes into the filter graph, escaped.
        QTest::newRow("a text subtitle burnt in, from a hostile name")
            << QString("it's [a], b; c:d \\e $x.mkv") << fast + QStringList{"--burn-subtitle", "1"}
            << QString("v:h264 a:aac:2:eng s:mov_text:fre:forced d:bin_data:eng")
            << QString("1 picture subtitle") << QString("60:16:50:66");
    }
    void conversions()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, args);
        QFETCH(QString, streams);
        QFETCH(QString, said);
        QFETCH(QString, burnt);
        const QTemporaryDir work;
        const QString source = work.filePath(name);
        QVERIFY(QFile::copy(m_film, source));
        QVERIFY(QDir().mkpath(work.filePath("out")));
        QByteArray out;
        QByteArray err;
        const int code = TestSupport::run(
            cli, QStringList{"encode", "--dest", work.filePath("out")} + args + QStringList{source}, &out,
            &err);
        const QString printed = QString::fromUtf8(out + err);
        QVERIFY2(printed.contains(said), qPrintable(printed));
        const QStringList written = QDir(work.filePath("out")).entryList(QDir::Files);
        if (streams.isEmpty()) {
            QCOMPARE(code, 1);
            QVERIFY(written.isEmpty());
            return;
        }
        QVERIFY2(code == 0, qPrintable(printed));
        QCOMPARE(written.size(), 1);
        const QString output = work.filePath("out/" + written.front());
        int chapters = 0;
        QCOMPARE(streamsOf(output, &chapters), streams);
        QCOMPARE(chapters, 2);
        if (!burnt.isEmpty()) {
            const double changed = difference(source, output, burnt);
            QVERIFY2(changed > 20, qPrintable(QString::number(changed)));
        }
    }

    // Asked to, the output gets the source's modification time; otherwise the time it was written.
    void keepDate()
    {
        const QTemporaryDir work;
        const QString source = work.filePath("old.mkv");
        QVERIFY(QFile::copy(m_film, source));
        const utimbuf in2001{1000000000, 1000000000};
        QCOMPARE(::utime(QFile::encodeName(source).constData(), &in2001), 0);
        for (const bool keep : {true, false}) {
            const QString dest = work.filePath(keep ? "kept" : "new");
            QVERIFY(QDir().mkpath(dest));
            QStringList args = QStringList{"encode", "--dest", dest} + fast + QStringList{source};
            if (keep)
                args.insert(1, "--keep-date");
            QByteArray out;
            QVERIFY2(TestSupport::run(cli, args, &out) == 0, out.constData());
            const qint64 modified = QFileInfo(dest + "/old.mp4").lastModified().toSecsSinceEpoch();
            if (keep)
                QCOMPARE(modified, 1000000000);
            else
                QVERIFY(modified > 1000000000 + 3600);
        }
    }
};

QTEST_GUILESS_MAIN(TestCliTracks)
#include "tst_cli_tracks.moc"
