// `tavrix-cli watch` on real folders: files written slowly, renamed in, deleted early, given hostile
// names; the record across restarts, moves and new content; a stop in the middle of a job.
#include "TestSupport.h"

#include "rules/WatchRules.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

const QString cli = QStringLiteral(TAVRIX_CLI_PATH);
const QStringList fast{"--video-encoder", "libx264", "--preset", "ultrafast"};

int processesMentioning(const QString &text)
{
    const QList<TestSupport::Process> all = TestSupport::livingProcesses();
    return int(std::count_if(all.cbegin(), all.cend(),
                             [&](const auto &p) { return p.commandLine.contains(text.toUtf8()); }));
}

double seconds(const QString &file)
{
    return TestSupport::ffprobe(file, "-show_entries format=duration -of csv=p=0").toDouble();
}

// The output lasts as long as its source: it was converted whole.
bool lastsAsLong(const QString &output, const QString &source)
{
    return seconds(output) > 0 && qAbs(seconds(output) - seconds(source)) < 0.15;
}

// A `tavrix-cli watch` running for a test, and what it has printed so far.
struct Watcher
{
    QProcess process;
    QString out;

    // How many times `text` is in what it printed until now.
    int saw(const QString &text)
    {
        out += QString::fromUtf8(process.readAllStandardOutput());
        return int(out.count(text));
    }
    // Stopped as a service manager stops it; whether it ended, with all it printed read.
    bool terminate()
    {
        ::kill(pid_t(process.processId()), SIGTERM);
        const bool ended = process.waitForFinished(10000);
        saw({});
        return ended;
    }
};

} // namespace

class TestCliWatch : public QObject
{
    Q_OBJECT

    // A user of their own: the record lives in `home`'s data folder.
    QStringList environment(const QString &home) const
    {
        return {"XDG_CONFIG_HOME=" + home + "/config", "XDG_DATA_HOME=" + home + "/data",
                "XDG_CACHE_HOME=" + home + "/cache"};
    }
    int once(const QString &home, const QStringList &args, QString *out, QString *err = nullptr)
    {
        QByteArray o, e;
        const int status = TestSupport::run(
            cli, QStringList{"watch", "--once", "--settle", "0"} + fast + args, &o, &e, environment(home));
        *out = QString::fromUtf8(o);
        if (err)
            *err = QString::fromUtf8(e);
        return status;
    }
    QString clip(const QString &name) const { return m_dir.filePath(name); }
    void start(Watcher &watcher, const QString &home, const QStringList &args)
    {
        watcher.process.setProcessEnvironment(TestSupport::environmentWith(environment(home)));
        watcher.process.start(cli, QStringList{"watch"} + args);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Three different contents.
        QVERIFY(TestSupport::generateSimpleClip(clip("a.mov"), 1.0));
        QVERIFY(TestSupport::generateSimpleClip(clip("b.mov"), 1.6));
        QVERIFY(TestSupport::generateSimpleClip(clip("c.mov"), 0.8));
    }

    void neverTakenNames_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("video") << "clip.mp4"
                               << "taken";
        QTest::newRow("any case, sub-folder") << "trip/day 1/Clip.MKV"
                                              << "taken";
        QTest::newRow("hostile") << "-x $(rm -rf ~) 'q\".mov"
                                 << "taken";
        QTest::newRow("hidden file") << ".clip.mp4"
                                     << "hidden";
        QTest::newRow("hidden folder") << "trip/.cache/clip.mp4"
                                       << "hidden";
        QTest::newRow("job folder") << ".clip.mp4.tavrix-Xy12Ab/clip.mp4"
                                    << "hidden";
        QTest::newRow("part") << "clip.mp4.part"
                              << "temporary";
        QTest::newRow("tmp") << "clip.MP4.TMP"
                             << "temporary";
        QTest::newRow("download") << "clip.mkv.crdownload"
                                  << "temporary";
        QTest::newRow("backup") << "clip.mp4~"
                                << "temporary";
        QTest::newRow("text") << "notes.txt"
                              << "not video";
        QTest::newRow("no suffix") << "mp4"
                                   << "not video";
    }
    void neverTakenNames()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        const std::optional<NeverTaken> why = neverTaken(path);
        const QString got = !why                            ? "taken"
                            : *why == NeverTaken::Hidden    ? "hidden"
                            : *why == NeverTaken::Temporary ? "temporary"
                                                            : "not video";
        QCOMPARE(got, expected);
    }

    void recordMatches_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("modified");
        QTest::addColumn<QByteArray>("print");
        QTest::addColumn<QString>("expected"); // kind and entry
        QTest::newRow("unchanged") << "/w/a.mkv" << 100LL << 1000LL << QByteArray() << "same 0";
        QTest::newRow("touched, no print yet") << "/w/a.mkv" << 100LL << 5000LL << QByteArray() << "print";
        QTest::newRow("new path, no print yet") << "/w/n.mkv" << 100LL << 1000LL << QByteArray() << "print";
        QTest::newRow("touched, same content")
            << "/w/a.mkv" << 100LL << 5000LL << QByteArray("aa") << "same 0";
        QTest::newRow("moved") << "/w/sub/a.mkv" << 100LL << 1000LL << QByteArray("aa") << "moved 0";
        QTest::newRow("moved over another") << "/w/b.mp4" << 100LL << 1000LL << QByteArray("aa") << "moved 0";
        QTest::newRow("output") << "/w/b.mp4" << 200LL << 2000LL << QByteArray() << "same 1";
        QTest::newRow("replaced") << "/w/a.mkv" << 120LL << 6000LL << QByteArray("cc") << "new -1";
        QTest::newRow("new") << "/w/n.mkv" << 120LL << 6000LL << QByteArray("cc") << "new -1";
    }
    void recordMatches()
    {
        QFETCH(QString, path);
        QFETCH(qint64, size);
        QFETCH(qint64, modified);
        QFETCH(QByteArray, print);
        QFETCH(QString, expected);
        const QList<RecordedFile> record{{"/w/a.mkv", 100, 1000, "aa", "converted", "/w/a.mp4"},
                                         {"/w/b.mp4", 200, 2000, "bb", "output", {}}};
        const RecordMatch m = matchRecord(record, path, size, modified, print);
        const QStringList kinds{"new", "same", "moved", "print"};
        QCOMPARE(m.kind == RecordMatch::Kind::NeedPrint ? "print"
                                                        : kinds[int(m.kind)] + ' ' + QString::number(m.index),
                 expected);
    }

    // Entries of files gone for 30 days leave the record; a shorter absence (a move while nothing
    // watched) keeps them, with the time it began.
    void recordPruning_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<qint64>("missingSince");
        QTest::addColumn<qint64>("now");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<qint64>("missingAfter");
        const qint64 day = 24 * 3600 * 1000LL, t = 1'800'000'000'000LL;
        QTest::newRow("there") << true << 0LL << t << true << 0LL;
        QTest::newRow("there again") << true << t - day << t << true << 0LL;
        QTest::newRow("first missed") << false << 0LL << t << true << t;
        QTest::newRow("missing 29 days") << false << t - 29 * day << t << true << t - 29 * day;
        QTest::newRow("missing 30 days") << false << t - 30 * day << t << false << t - 30 * day;
        QTest::newRow("missed in the future (clock set back)") << false << t + day << t << true << t;
    }
    void recordPruning()
    {
        QFETCH(bool, exists);
        QFETCH(qint64, missingSince);
        QFETCH(qint64, now);
        QFETCH(bool, kept);
        QFETCH(qint64, missingAfter);
        RecordedFile entry{"/w/a.mkv", 100, 1000, "aa", "converted", "/w/a.mp4", missingSince};
        QCOMPARE(keepRecorded(entry, exists, now, 30 * 24 * 3600 * 1000LL), kept);
        QCOMPARE(entry.missingSinceMs, missingAfter);
    }

    void settling_data()
    {
        QTest::addColumn<qint64>("unchangedSince");
        QTest::addColumn<qint64>("modified");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("written while watched") << 10000LL << 9990LL << 10490LL;
        QTest::newRow("moved in, written long ago") << 10000LL << 2000LL << 2500LL;
        QTest::newRow("time in the future") << 10000LL << 90000LL << 10500LL;
    }
    void settling()
    {
        QFETCH(qint64, unchangedSince);
        QFETCH(qint64, modified);
        QFETCH(qint64, expected);
        QCOMPARE(settledAtMs(unchangedSince, modified, 500), expected);
    }

    // A running watcher: each file converted once, when complete, whatever its name; its own outputs,
    // in a folder inside the watched one, never taken; a file deleted early forgotten.
    void watching_data()
    {
        QTest::addColumn<QStringList>("mode");
        QTest::newRow("inotify") << QStringList{};
        QTest::newRow("poll") << QStringList{"--poll", "0.2"};
    }
    void watching()
    {
        QFETCH(QStringList, mode);
        const QString home = m_dir.filePath(QStringLiteral("home-%1").arg(QTest::currentDataTag()));
        const QString in = m_dir.filePath(QStringLiteral("in-%1").arg(QTest::currentDataTag()));
        const QString hostile = "-x $(touch pwned) 'q\"\nline.mov";
        QVERIFY(QDir().mkpath(in + "/out"));
        QVERIFY(QFile::copy(clip("a.mov"), in + '/' + hostile));
        TestSupport::WorkingDir cwd;

        Watcher watch;
        start(watch, home,
              QStringList{"--settle", "0.4", "--dest", in + "/out"} + mode + fast + QStringList{in});
        QTRY_VERIFY_WITH_TIMEOUT(watch.saw("watching: "), 10000);

        // Written in four parts with pauses longer than the settle time, the file held open throughout.
        const qint64 size = QFileInfo(clip("b.mov")).size(), part = size / 4 + 1;
        QProcess writer;
        writer.start("bash", {"-c",
                              "exec 3>\"$2\"; for i in 0 1 2 3; do dd if=\"$1\" bs=$3 skip=$i count=1 "
                              "status=none >&3; sleep 0.7; done",
                              "-", clip("b.mov"), in + "/slow.mov", QString::number(part)});
        // Written, then deleted while still open (long enough for several rescans to see it).
        QVERIFY(QProcess::execute("bash", {"-c", "exec 3>\"$1\"; echo partial >&3; sleep 1.5; rm \"$1\"", "-",
                                           in + "/gone.mkv"}) == 0);
        // Renamed into a folder made after the start.
        QVERIFY(QDir().mkpath(in + "/sub"));
        QVERIFY(QFile::copy(clip("c.mov"), m_dir.filePath("renamed.mov")));
        QVERIFY(QFile::rename(m_dir.filePath("renamed.mov"), in + "/sub/renamed.mov"));
        QVERIFY(writer.waitForFinished(10000));

        for (const char *name : {"line.mov", "slow.mov", "renamed.mov"})
            QTRY_VERIFY2_WITH_TIMEOUT(watch.saw(name + QStringLiteral(" -> ")), qPrintable(watch.out), 30000);
        QTRY_VERIFY2_WITH_TIMEOUT(watch.saw("gone.mkv: gone before it was complete"), qPrintable(watch.out),
                                  5000);
        QVERIFY(watch.terminate());
        QCOMPARE(watch.process.exitCode(), 128 + SIGTERM);

        QCOMPARE(watch.out.count("taken: "), 3);
        QCOMPARE(watch.out.count("converted: "), 3);
        QVERIFY2(!watch.out.contains("taken: " + in + "/out/"), qPrintable(watch.out));
        QVERIFY(watch.out.contains("line.mov -> " + in + "/out/-x $(touch pwned) 'q\"\\x0aline.mp4"));
        QCOMPARE(TestSupport::entries(in + "/out"),
                 (QStringList{"-x $(touch pwned) 'q\"\nline.mp4", "renamed.mp4", "slow.mp4"}));
        QVERIFY(lastsAsLong(in + "/out/slow.mp4", clip("b.mov")));
        QVERIFY(lastsAsLong(in + "/out/renamed.mp4", clip("c.mov")));
        QVERIFY(lastsAsLong(in + "/out/" + hostile.chopped(3) + "mp4", clip("a.mov")));
        QVERIFY(cwd.isEmpty());
    }

    // --once for a timer: encode's exit statuses, and the record keeping a restart, a move and a rescan
    // from converting a file twice, while new content at a known name is converted again.
    void onceAndRecord()
    {
        const QString home = m_dir.filePath("home-once"), in = m_dir.filePath("in-once");
        QVERIFY(QDir().mkpath(in + "/sub"));
        QVERIFY(QFile::copy(clip("a.mov"), in + "/a.mov"));
        QVERIFY(TestSupport::writeFile(in + "/not a video.mp4", "text"));
        QString out, err;
        QCOMPARE(once(home, {in}, &out), 1); // a file that gives no job fails the run, as with encode
        QCOMPARE(out.count("taken: "), 2);
        QVERIFY2(out.contains("converted: " + in + "/a.mov -> " + in + "/a.mp4\n"), qPrintable(out));
        QVERIFY2(out.contains("refused: " + in + "/not a video.mp4: "), qPrintable(out));

        QCOMPARE(once(home, {in}, &out), 0);
        QVERIFY2(!out.contains("taken: "), qPrintable(out));
        QVERIFY(out.contains(in + "/a.mp4: written by this watcher\n"));
        QVERIFY(out.contains(in + "/not a video.mp4: refused before\n"));

        QVERIFY(QFile::rename(in + "/a.mov", in + "/sub/moved.mov"));
        QCOMPARE(once(home, {in}, &out), 0);
        QVERIFY2(out.contains("skipped: " + in + "/sub/moved.mov: converted before, as “" + in + "/a.mov”\n"),
                 qPrintable(out));
        QVERIFY(!out.contains("taken: "));

        // New content under the same name, and a source moved aside when done, beside a file of its name.
        QVERIFY(QFile::remove(in + "/sub/moved.mov"));
        QVERIFY(QFile::copy(clip("b.mov"), in + "/sub/moved.mov"));
        QVERIFY(QDir().mkpath(m_dir.filePath("done")));
        QVERIFY(TestSupport::writeFile(m_dir.filePath("done/moved.mov"), "theirs"));
        QCOMPARE(once(home, {"--move-done", m_dir.filePath("done"), in}, &out), 0);
        QVERIFY2(out.contains("taken: " + in + "/sub/moved.mov\n"), qPrintable(out));
        QVERIFY2(out.contains("moved: " + in + "/sub/moved.mov -> " + m_dir.filePath("done/moved-2.mov")),
                 qPrintable(out));
        QCOMPARE(TestSupport::readFile(m_dir.filePath("done/moved.mov")), "theirs");
        QVERIFY(lastsAsLong(in + "/sub/moved.mp4", clip("b.mov")));

        // A record that cannot be read is kept aside, said, and a new one begun.
        const QString record = home + "/data/Tavrix/watch-record.json";
        QVERIFY(TestSupport::writeFile(record, "{ broken"));
        QCOMPARE(once(home, {m_dir.filePath("in-once/sub")}, &out, &err), 0);
        QVERIFY2(err.contains("it was kept as “" + record + ".bad”"), qPrintable(err));
        QCOMPARE(TestSupport::readFile(record + ".bad"), "{ broken");
    }

    // Stopped in the middle of a job: the encoder ends, its unfinished output goes, and the file is not
    // recorded, so that the next start converts it.
    void stopMidJob()
    {
        const QString home = m_dir.filePath("home-stop"), in = m_dir.filePath("in-stop");
        QVERIFY(QDir().mkpath(in + "/out"));
        QVERIFY(TestSupport::generateSimpleClip(in + "/long.mov", 10.0));
        QProcess watch;
        watch.setProcessEnvironment(TestSupport::environmentWith(environment(home)));
        watch.start(cli, {"watch", "--settle", "0", "--dest", in + "/out", "--video-encoder", "libx265",
                          "--preset", "slow", in});
        QVERIFY(watch.waitForStarted());
        const QString folder = in + "/out/.long.mp4.tavrix-";
        bool started = false;
        QTRY_VERIFY_WITH_TIMEOUT((started = started || processesMentioning(folder) > 0) ||
                                     watch.state() != QProcess::Running,
                                 30000);
        ::kill(pid_t(watch.processId()), SIGTERM);
        QVERIFY(watch.waitForFinished(20000));
        QCOMPARE(watch.exitCode(), 128 + SIGTERM);
        const QString out = QString::fromUtf8(watch.readAllStandardOutput());
        QVERIFY2(out.endsWith("stopped: " + in + "/long.mov\n"), qPrintable(out));
        QCOMPARE(processesMentioning(folder), 0);
        QCOMPARE(TestSupport::entries(in + "/out"), QStringList());
        QVERIFY(!TestSupport::readFile(home + "/data/Tavrix/watch-record.json").contains("long.mov"));
    }

    // SIGHUP reads the stored settings again for the files that come next; --delete-source deletes a
    // source once its output was read back whole, and never one whose job did not succeed.
    void rereadAndDeleteSource()
    {
        const QString home = m_dir.filePath("home-hup"), in = m_dir.filePath("in-hup");
        QVERIFY(QDir().mkpath(in + "/out"));
        QVERIFY(QFile::copy(clip("a.mov"), in + "/kept.mov"));
        QVERIFY(TestSupport::writeFile(in + "/out/kept.mp4", "theirs"));
        Watcher watch;
        start(watch, home,
              QStringList{"--settle", "0.2", "--dest", in + "/out", "--existing", "skip", "--delete-source"} +
                  fast + QStringList{in});
        QTRY_VERIFY2_WITH_TIMEOUT(watch.saw("refused: " + in + "/kept.mov: "), qPrintable(watch.out), 20000);

        QCOMPARE(TestSupport::run(cli, {"defaults", "container", "1"}, nullptr, nullptr, environment(home)),
                 0);
        ::kill(pid_t(watch.process.processId()), SIGHUP);
        QTRY_VERIFY2_WITH_TIMEOUT(watch.saw("settings reread\n"), qPrintable(watch.out), 10000);
        QVERIFY(QFile::copy(clip("b.mov"), m_dir.filePath("new.mov")));
        QVERIFY(QFile::rename(m_dir.filePath("new.mov"), in + "/new.mov"));
        QTRY_VERIFY2_WITH_TIMEOUT(watch.saw("deleted: " + in + "/new.mov\n"), qPrintable(watch.out), 30000);
        QVERIFY(watch.terminate());

        QVERIFY2(watch.out.contains("converted: " + in + "/new.mov -> " + in + "/out/new.mkv\n"),
                 qPrintable(watch.out));
        QCOMPARE(TestSupport::ffprobe(in + "/out/new.mkv", "-show_entries format=format_name -of csv=p=0"),
                 QByteArray("\"matroska,webm\"\n"));
        QVERIFY(lastsAsLong(in + "/out/new.mkv", clip("b.mov")));
        QVERIFY(!QFileInfo::exists(in + "/new.mov"));
        // Not converted, so kept; and the file in its way untouched.
        QVERIFY(QFileInfo::exists(in + "/kept.mov"));
        QCOMPARE(TestSupport::readFile(in + "/out/kept.mp4"), "theirs");
    }

    // A watched folder removed, then made again, or moved away and back, is said to be missing and then
    // watched again: a service never goes on watching nothing without a word.
    void folderGoesAndComesBack()
    {
        const QString home = m_dir.filePath("home-back"), in = m_dir.filePath("in-back");
        QVERIFY(QDir().mkpath(in));
        Watcher watch;
        start(watch, home, QStringList{"--settle", "0.2"} + fast + QStringList{in});
        QTRY_COMPARE_WITH_TIMEOUT(watch.saw("watching: " + in + "\n"), 1, 10000);
        QVERIFY(QDir(in).removeRecursively());
        QTRY_COMPARE_WITH_TIMEOUT(watch.saw("missing: " + in + ": watched again once it is back\n"), 1,
                                  10000);
        QVERIFY(QDir().mkpath(in + "/sub"));
        QTRY_COMPARE_WITH_TIMEOUT(watch.saw("watching: " + in + "\n"), 2, 10000);
        // QFile::copy writes an unnamed file and links it in whole (O_TMPFILE, linkat): it is never
        // closed under its name, and is taken all the same.
        QVERIFY(QFile::copy(clip("a.mov"), in + "/sub/a.mov"));
        QTRY_VERIFY2_WITH_TIMEOUT(watch.saw("converted: " + in + "/sub/a.mov -> "), qPrintable(watch.out),
                                  30000);

        QVERIFY(QFile::rename(in, in + "-away"));
        QTRY_COMPARE_WITH_TIMEOUT(watch.saw("missing: " + in + ": "), 2, 10000);
        // Written while away: not seen at its old place, nor at the new one.
        QVERIFY(QFile::copy(clip("b.mov"), in + "-away/b.mov"));
        QVERIFY(QFile::rename(in + "-away", in));
        QTRY_VERIFY2_WITH_TIMEOUT(watch.saw("converted: " + in + "/b.mov -> "), qPrintable(watch.out), 30000);
        QVERIFY(watch.terminate());
        QCOMPARE(watch.out.count("converted: "), 2);
        QVERIFY2(!watch.out.contains("-away"), qPrintable(watch.out));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestCliWatch)
#include "tst_cli_watch.moc"
