// The batch encoder: progress parsing, the serial run and its status, honest results, lost-data guards
// and stopping. Fake encoders stand in for what real ffmpeg cannot show; real ffmpeg converts a few clips.
#include "TestSupport.h"

#include "encoding/BatchEncoder.h"
#include "encoding/RunStatus.h"
#include "media/MediaProbe.h"
#include "model/Preferences.h"
#include "process/Log.h"
#include "rules/CommandLine.h"
#include "rules/EncoderOutput.h"
#include "rules/ShellQuote.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

#include <sys/stat.h>
#include <unistd.h>

using TestSupport::entries;
using TestSupport::readFile;
using TestSupport::ResourceDir;
using TestSupport::writeFile;
using Status = JobResult::Status;
using Number = std::optional<double>;
using Existing = Preferences::ExistingOutput;

Q_DECLARE_METATYPE(Number)

namespace {

struct Snapshot
{
    double percent;
    QString active;
    QString file;
    bool shown;
    bool disabled;
    double jobLeft;
};

// ffmpeg 5.1 converting a 2 s clip into a full disk (-f matroska /dev/full), recorded and shortened: it
// exits with status 0, and the encoders print their statistics after the error.
const char *const diskFullMatroska = R"(Error writing trailer of /dev/full: No space left on device
frame=   50 fps=0.0 q=-1.0 Lsize=      53kB time=00:00:02.02 bitrate= 213.8kbits/s speed=5.36x    
Error closing file /dev/full: No space left on device
[libx264 @ 0x55991b8c8500] kb/s:134.38
[aac @ 0x55991b8c8500] Qavg: 105.398)";

// ffmpeg 5.1 refusing a picture of odd size: the cause comes before ffmpeg's own generic line.
const char *const oddSize = R"([libx264 @ 0x55a8cdcae1c0] width not divisible by 2 (161x121)
Error initializing output stream 0:0 -- Error while opening encoder for output stream #0:0
[aac @ 0x55a8cdcbc2c0] Qavg: 102.568
Conversion failed!)";

// The fake's script for printing `text` on standard error.
QByteArray printing(const char *text)
{
    return "err:" + QByteArray(text).replace('\\', "\\\\").replace('\n', "\\n").replace(';', "\\s") + "\\n";
}

// What stands at a path (not following a link), with its identity and content, to compare before and after.
QString describeEntry(const QString &path)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return QStringLiteral("absent");
    const QByteArray content = S_ISREG(st.st_mode)
                                   ? QCryptographicHash::hash(readFile(path), QCryptographicHash::Md5)
                                   : QFile::encodeName(QFile::symLinkTarget(path));
    return QStringLiteral("%1 %2 ").arg(st.st_mode, 0, 8).arg(st.st_ino) + content.toHex();
}

} // namespace

class TestEncoder : public QObject
{
    Q_OBJECT

public:
    TestEncoder() : m_fakes(ResourceDir::Entry::Fake, ResourceDir::Entry::Fake) {}

private:
    ResourceDir m_fakes;
    QTemporaryDir m_dir;
    std::unique_ptr<RunStatus> m_status;
    QList<Snapshot> m_snapshots;
    int m_sourceCount = 0;
    ToolRunner m_realTools{TestSupport::realResourceDir()};
    ResourceDir m_realFfmpeg{ResourceDir::Entry::Real, ResourceDir::Entry::Fake};
    int m_rowCount = 0;

    // A folder of its own for one row.
    QString rowDirectory()
    {
        const QString dir = m_dir.filePath(QStringLiteral("row%1").arg(++m_rowCount));
        return QDir().mkpath(dir) ? dir : QString();
    }

    // A 2 s, 160x120 clip, made once.
    QString smallClip()
    {
        const QString clip = m_dir.filePath(QStringLiteral("small.mov"));
        const bool made =
            QFileInfo::exists(clip) ||
            TestSupport::generateClip(clip, "-f lavfi -i testsrc=size=160x120:rate=25:duration=2 -f "
                                            "lavfi -i sine=duration=2 -c:a aac -shortest");
        return made ? clip : QString();
    }

    // A job on a new source file (its content does not matter to the fakes), by default into "out_" and
    // the source's name.
    MediaVideo::Ptr job(const QString &destination = {})
    {
        const QString name = QStringLiteral("source%1").arg(++m_sourceCount);
        writeFile(m_dir.filePath(name + ".mov"), "source bytes");
        return std::make_shared<MediaVideo>(m_dir.filePath(name + ".mov"),
                                            destination.isEmpty() ? m_dir.filePath("out_" + name + ".mp4")
                                                                  : destination);
    }

    // An encoder that starts the fake like ffmpeg: tool path, the source, then the output last. The fake
    // runs under a name of its own, so that its script is not the one ffmpeg reads the file back with.
    std::unique_ptr<BatchEncoder> fakeEncoder()
    {
        auto encoder = std::make_unique<BatchEncoder>(ToolRunner(m_fakes.path()));
        m_status->follow(encoder.get());
        TestSupport::runShell(*encoder, [this](const MediaVideo &job) {
            return shellQuote(m_fakes.path() + "/encoder") + " -i " + shellQuote(job.source) + ' ' +
                   shellQuote(job.destination);
        });
        return encoder;
    }

    // `readBack`: ffmpeg opening the finished file; by default it finds a stream.
    void script(const QByteArray &encoder, const QByteArray &mediainfo = "out:",
                const QByteArray &readBack = "err:  Stream #0:0: Video: h264\\n")
    {
        qputenv("FAKE_TOOL_SCRIPT_ENCODER", encoder);
        qputenv("FAKE_TOOL_SCRIPT_MEDIAINFO", mediainfo);
        qputenv("FAKE_TOOL_SCRIPT_FFMPEG", readBack);
    }

    static RunOptions policy(Existing existing, int atOnce = 1)
    {
        RunOptions options;
        options.existing = existing;
        options.simultaneousJobs = atOnce;
        return options;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QFile::link(TestSupport::fakeToolPath(), QDir(m_fakes.path()).filePath("encoder")));
        TestSupport::isolateSettings();
        setDiagnosticStream(nullptr);
    }

    void init()
    {
        m_snapshots.clear();
        m_status = std::make_unique<RunStatus>();
        connect(m_status.get(), &RunStatus::changed, this, [this] {
            m_snapshots.append({m_status->percentValue(), m_status->activeEncoding(),
                                m_status->currentEncodeFile(), m_status->showProgressBar(),
                                m_status->isDisable(), m_status->jobSecondsLeft()});
        });
    }

    void cleanup()
    {
        qunsetenv("FAKE_TOOL_SCRIPT_ENCODER");
        qunsetenv("FAKE_TOOL_SCRIPT_FFMPEG");
        qunsetenv("FAKE_TOOL_SCRIPT_MEDIAINFO");
    }

    void parseEncoderOutput_data()
    {
        QTest::addColumn<QString>("chunk");
        QTest::addColumn<Number>("frameCount");
        QTest::addColumn<Number>("percent");
        QTest::addColumn<QString>("duration"); // "-" when none is reported
        const QString progress = QStringLiteral("frame=  120 fps= 30 q=28.0 size=     256kB time=00:00:04.80 "
                                                "bitrate= 436.9kbits/s speed=1.2x");
        QTest::newRow("count too low") << progress << Number(60) << Number(200) << "-";
        QTest::newRow("frame 0 without count")
            << QStringLiteral("frame=    0 fps=0.0 q=0.0 size=0kB") << Number() << Number(0) << "-";
        QTest::newRow("duration") << QStringLiteral(
                                         "  Duration: 00:00:10.00, start: 0.000000, bitrate: 213 kb/s")
                                  << Number(480) << Number() << "00:00:10.00";
    }

    void parseEncoderOutput()
    {
        QFETCH(QString, chunk);
        QFETCH(Number, frameCount);
        QFETCH(QString, duration);
        const EncoderOutput out = ::parseEncoderOutput(chunk, frameCount);
        QTEST(out.percentValue, "percent");
        QCOMPARE(out.duration.value_or(QStringLiteral("-")), duration);
    }

    // How long a finished job's output should be: the source cut by the time options among the extra
    // parameters; nothing when they change the length in other ways.
    void expectedOutputSeconds_data()
    {
        QTest::addColumn<QString>("params");
        QTest::addColumn<Number>("expected"); // of a 20 s source
        QTest::newRow("no parameters") << "" << Number(20);
        QTest::newRow("a length") << "-t 5" << Number(5);
        QTest::newRow("a length in milliseconds") << "-t 1500ms" << Number(1.5);
        QTest::newRow("a length beyond the end") << "-t 30" << Number(20);
        QTest::newRow("a start") << "-ss 5.5" << Number(14.5);
        QTest::newRow("a start and an end as clocks") << "-ss 00:00:05 -to 0:12" << Number(7);
        QTest::newRow("the end of the source") << "-sseof -3" << Number(3);
        QTest::newRow("a value that only looks like an option")
            << "-metadata title=-t -c:a copy" << Number(20);
        QTest::newRow("a filter changes the length") << "-vf setpts=2*PTS" << Number();
        QTest::newRow("a frame limit") << "-frames:v 10" << Number();
        QTest::newRow("an unreadable time") << "-t soon" << Number();
        QTest::newRow("a time missing") << "-ss" << Number();
    }

    void expectedOutputSeconds()
    {
        QFETCH(QString, params);
        QTEST(::expectedOutputSeconds(20, splitParameters(params)), "expected");
    }

    void fallsShort_data()
    {
        QTest::addColumn<double>("output");
        QTest::addColumn<double>("expected");
        QTest::addColumn<bool>("short");
        QTest::newRow("half") << 9.68 << 20.0 << true;
        QTest::newRow("under a second missing") << 19.1 << 20.0 << false;
        QTest::newRow("over a second, under 2 %") << 98.5 << 100.0 << false;
        QTest::newRow("3 % of a long film") << 97.0 << 100.0 << true;
        QTest::newRow("longer") << 20.5 << 20.0 << false;
    }

    void fallsShort()
    {
        QFETCH(double, output);
        QFETCH(double, expected);
        QTEST(::fallsShort(output, expected), "short");
    }

    // ffmpeg 5.1 reading a source cut in half (an MP4 whose index is at its start): the decoder's
    // complaint comes first, the demuxer's "partial file" names the cause.
    void damagedInputLine()
    {
        const QStringList lines =
            QString::fromLatin1(R"([aac @ 0x55a444e90e40] Input buffer exhausted before END element found
Error while decoding stream #0:1: Invalid data found when processing input
[mov,mp4,m4a,3gp,3g2,mj2 @ 0x55a444e7e980] stream 0, offset 0x44269: partial file
[mov,mp4,m4a,3gp,3g2,mj2 @ 0x55a444e7e980] stream 1, offset 0x4451c: partial file
  Metadata:
    title           : a corrupt title)")
                .split('\n');
        QCOMPARE(::damagedInputLine(lines), QStringLiteral("stream 0, offset 0x44269: partial file"));
        QCOMPARE(
            ::damagedInputLine(lines.mid(0, 2)),
            QStringLiteral("Error while decoding stream #0:1: Invalid data found when processing input"));
        QCOMPARE(::damagedInputLine(lines.mid(4)), QString());
    }

    // Progress lines end in "\r"; pieces end anywhere, even inside a multi-byte character.
    void lineSplitter()
    {
        const QByteArray stream =
            "  Duration: 00:00:01.00, start: 0.0\nframe=   12 fps=0.0 \xc3\xa9t\xc3\xa9\r"
            "frame=   25 fps= 25\r\n\xff bad\nrest";
        for (int piece : {1, 2, 3, 7, 1000}) {
            LineSplitter splitter;
            QList<QByteArray> lines;
            for (int at = 0; at < stream.size(); at += piece)
                lines += splitter.push(stream.mid(at, piece));
            lines += splitter.flush();
            QStringList texts;
            for (const QByteArray &line : std::as_const(lines))
                texts << decodeLine(line);
            QCOMPARE(texts, (QStringList{"  Duration: 00:00:01.00, start: 0.0", "frame=   12 fps=0.0 été",
                                         "frame=   25 fps= 25", "", "rest"}));
        }
    }

    void estimateTimeLeft_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<Number>("frameCount");
        QTest::addColumn<Number>("duration");
        QTest::addColumn<double>("later");
        QTest::addColumn<double>("job");
        QTest::addColumn<double>("run");
        const QString line =
            QStringLiteral("frame=  120 fps= 30 q=28.0 size=256kB time=00:00:04.80 bitrate=1k speed=1.2x");
        // 360 frames left at 30 fps; 60 s of later jobs at 1.2x.
        QTest::newRow("frames") << line << Number(480) << Number(19.2) << 60.0 << 12.0 << 62.0;
        // No frame count: (19.2 - 4.8) s of source at 1.2x.
        QTest::newRow("time and speed") << line << Number() << Number(19.2) << 0.0 << 12.0 << 12.0;
        // No speed= field: 30 fps against 25 fps of source is 1.2x.
        QTest::newRow("speed from fps")
            << QStringLiteral("frame=  120 fps= 30 q=28.0 size=256kB time=00:00:04.80 speed=N/A")
            << Number(480) << Number(19.2) << 6.0 << 12.0 << 17.0;
        QTest::newRow("nothing known") << QStringLiteral("frame=    1 fps=0.0 q=0.0 size=0kB speed=N/A")
                                       << Number() << Number() << 10.0 << -1.0 << -1.0;
    }

    void estimateTimeLeft()
    {
        QFETCH(QString, line);
        QFETCH(Number, frameCount);
        QFETCH(Number, duration);
        QFETCH(double, later);
        const TimeLeft left = ::estimateTimeLeft(readProgressFields(line), frameCount, duration, later);
        QTEST(left.job, "job");
        QTEST(left.run, "run");
    }

    // A frame count too low must not take the text or the bar past the end.
    void valueTextStopsAtTheEnd()
    {
        RunStatus status;
        status.setActiveEncoding(QStringLiteral("2"));
        status.setNbrFilesEncoding(2);
        status.setPercentValue(250.0);
        QCOMPARE(status.valueText(), QStringLiteral("[2 / 2] 100.00%"));
        QCOMPARE(status.barValue(), 100);
    }

    // The run status goes through its states in order: the start block raises the sheet; each job shows in
    // turn, its progress (written in odd-sized pieces) read in order, never stepping back, up to 100 and
    // back to 0 before the next, the time left known meanwhile; the end block lowers the sheet.
    void runStatusInOrder_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("three jobs") << 3;
        QTest::newRow("no job") << 0;
    }

    void runStatusInOrder()
    {
        QFETCH(int, count);
        // Each source's frame count is asked once.
        const QString asked = m_dir.filePath(QStringLiteral("asked_%1").arg(count));
        script("err:  Duration: 00:00:19.20, start: 0.000000, bitrate: 1 kb/s\\n;progress:480:120:7;outlast",
               "pgid:" + asked.toUtf8() + ";out:480");
        QList<MediaVideo::Ptr> jobs;
        QStringList expected{":0"}; // each change of the job shown or of its percentage
        for (int i = 1; i <= count; ++i) {
            jobs << job();
            for (int percent : {0, 25, 50, 75, 100, 0})
                expected << QStringLiteral("%1:%2").arg(i).arg(percent);
        }
        const auto encoder = fakeEncoder();
        QVERIFY(TestSupport::runToEnd(*encoder, jobs));
        QVERIFY(!encoder->isRunning());
        QCOMPARE(readFile(asked).count('\n'), count);
        QCOMPARE(m_status->nbrFilesEncoding(), count);

        QStringList trace;
        bool knewTimeLeft = false;
        for (const Snapshot &s : std::as_const(m_snapshots)) {
            const QString state = s.active + ':' + QString::number(s.percent);
            if (trace.value(trace.size() - 1) != state)
                trace << state;
            if (s.percent > 0)
                QCOMPARE(s.file, QFileInfo(jobs[s.active.toInt() - 1]->source).fileName());
            knewTimeLeft = knewTimeLeft || s.jobLeft >= 0;
        }
        QCOMPARE(trace, expected);
        QCOMPARE(knewTimeLeft, count > 0);
        QVERIFY(std::any_of(m_snapshots.cbegin(), m_snapshots.cend(),
                            [](const Snapshot &s) { return s.shown && s.disabled && s.active.isEmpty(); }));
        QVERIFY(!m_snapshots.last().shown && !m_snapshots.last().disabled);
        QCOMPARE(m_status->jobSecondsLeft(), -1.0);
        for (const MediaVideo::Ptr &j : jobs)
            QCOMPARE(j->result.status, Status::Succeeded);
    }

    // How one job ends on the fake encoder: ffmpeg's own error line is the reason, not the statistics
    // printed after it; a destination that is
    // the source by whatever name, a vanished source or a refused command never run, even under Overwrite;
    // a shell that cannot start fails the job.
    void outcomes_data()
    {
        QTest::addColumn<QByteArray>("ffmpeg");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("reason"); // a part of it
        const auto row = [](const char *name, const QByteArray &ffmpeg, const char *how, Status status,
                            int exitCode, const char *reason) {
            QTest::newRow(name) << ffmpeg << QString(how) << int(status) << exitCode << QString(reason);
        };
        const char *self = "is the source file itself";
        row("success", "outlast;exit:0", "", Status::Succeeded, 0, "");
        row("crash", "outlast;crash", "", Status::Failed, SIGSEGV, "signal 11");
        row("disk full, status 0", "outlast;" + printing(diskFullMatroska) + ";exit:0", "", Status::Failed, 0,
            "Error writing trailer of /dev/full: No space left on device");
        row("odd size: the cause, not ffmpeg's generic line", "outlast;" + printing(oddSize) + ";exit:1", "",
            Status::Failed, 1, "status 1: libx264: width not divisible by 2 (161x121)");
        row("metadata is no message",
            "outlast;" + printing("  Metadata:\n    title : Unknown error\nThe end") + ";exit:1", "",
            Status::Failed, 1, "status 1: The end");
        row("nothing said",
            "outlast;" + printing("frame=   10 fps=0.0 q=28.0 size=1kB\nConversion failed!") + ";exit:1", "",
            Status::Failed, 1, "ffmpeg exited with status 1.");
        row("destination is a symbolic link to the source", "outlast", "link", Status::NotRun, 0, self);
        row("destination is a hard link to the source", "outlast", "hard", Status::NotRun, 0, self);
        row("source vanished", "outlast", "gone", Status::NotRun, 0, "no longer exists");
        row("command refused", "outlast", "refused", Status::NotRun, 0, "The file has no video stream.");
        row("shell cannot start", "outlast", "no shell", Status::Failed, -1, "");
    }

    void outcomes()
    {
        QFETCH(QByteArray, ffmpeg);
        QFETCH(QString, how);
        QFETCH(QString, reason);
        script(ffmpeg);
        const auto encoder = fakeEncoder();
        const MediaVideo::Ptr one = job();
        const QByteArray from = QFile::encodeName(one->source), to = QFile::encodeName(one->destination);
        if (how == "gone")
            QVERIFY(QFile::remove(one->source));
        if (how == "link")
            QCOMPARE(::symlink(from.constData(), to.constData()), 0);
        if (how == "hard")
            QCOMPARE(::link(from.constData(), to.constData()), 0);
        if (how == "refused")
            encoder->setCommandBuilder(
                [reason](const MediaVideo &, const ToolRunner &, const QString &, CropDetection) {
                    return CommandLine{{}, reason};
                });
        if (how == "no shell")
            encoder->setShellProgram(m_dir.filePath(QStringLiteral("no-such-shell")));
        QSignalSpy finishedJobs(encoder.get(), &BatchEncoder::jobFinished);
        // The policy that replaces, even so not the source.
        QVERIFY(TestSupport::runToEnd(*encoder, {one, job()}, policy(Existing::Overwrite)));
        QCOMPARE(finishedJobs.size(), 2); // the next job is still tried
        QCOMPARE(finishedJobs[0][0].value<QUuid>(), one->id);
        QTEST(int(one->result.status), "status");
        QTEST(one->result.exitCode, "exitCode");
        QVERIFY2(one->result.reasonText().contains(reason), qPrintable(one->result.reasonText()));
        QVERIFY(!ffmpeg.contains("Qavg") || one->result.outputTail.contains("Qavg"));
        QCOMPARE(readFile(one->source), QByteArray(how == "gone" ? "" : "source bytes"));
        if (how != "link" && how != "hard")
            QCOMPARE(QFileInfo::exists(one->destination), one->result.status == Status::Succeeded);
        QCOMPARE(entries(m_dir.path()).filter(".tavrix-"), QStringList()); // nothing left behind
    }

    // Jobs of one run that share a destination, or write onto another job's source: Rename gives the later
    // ones free names that avoid both; Skip and Overwrite leave them out.
    void sharedDestinations_data()
    {
        QTest::addColumn<int>("policy");
        QTest::addColumn<int>("later"); // status of the second and third jobs
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("third");
        QTest::newRow("rename") << int(Existing::Rename) << int(Status::Succeeded)
                                << "written to shared_0-1.mp4"
                                << "-1.mov (source";
        QTest::newRow("overwrite") << int(Existing::Overwrite) << int(Status::NotRun) << "already writes"
                                   << "is the source of another job";
    }

    void sharedDestinations()
    {
        QFETCH(int, policy);
        QFETCH(int, later);
        QFETCH(QString, second);
        QFETCH(QString, third);
        script("outlast;exit:0");
        const QString name = QStringLiteral("shared_%1.mp4").arg(policy);
        const MediaVideo::Ptr first = job(m_dir.filePath(name));
        const MediaVideo::Ptr other = job(m_dir.path() + "/./" + name);
        const MediaVideo::Ptr onSource = job(first->source);
        const auto encoder = fakeEncoder();
        QVERIFY(TestSupport::runToEnd(*encoder, {first, other, onSource}, this->policy(Existing(policy))));
        QCOMPARE(first->result.status, Status::Succeeded);
        QCOMPARE(int(other->result.status), later);
        QVERIFY2(other->result.reasonText().contains(second), qPrintable(other->result.reasonText()));
        QCOMPARE(int(onSource->result.status), later);
        QVERIFY2(onSource->result.reasonText().contains(third), qPrintable(onSource->result.reasonText()));
        QCOMPARE(readFile(first->source), QByteArray("source bytes"));
        QCOMPARE(readFile(first->destination), QByteArray("partial"));
        if (later == int(Status::Succeeded))
            QCOMPARE(readFile(other->result.writtenPath), QByteArray("partial"));
    }

    // Stop mid-job, or destroy the encoder (quitting the application): each shell, encoder and the encoder's
    // own child end (even one that ignores SIGTERM), the unfinished files go, the jobs waiting are not run,
    // and the end block runs.
    void stopMidJob_data()
    {
        QTest::addColumn<QByteArray>("ffmpeg");
        QTest::addColumn<bool>("destroy");
        QTest::addColumn<int>("atOnce");
        QTest::newRow("ignores SIGTERM") << QByteArray("outlast;ignoreterm;fork;pgid:%1;hang") << false << 1;
        QTest::newRow("encoder destroyed") << QByteArray("outlast;fork;pgid:%1;hang") << true << 1;
        QTest::newRow("two at once") << QByteArray("outlast;fork;pgid:%1;hang") << false << 2;
    }

    void stopMidJob()
    {
        QFETCH(QByteArray, ffmpeg);
        QFETCH(bool, destroy);
        QFETCH(int, atOnce);
        const QString groups = m_dir.filePath(QStringLiteral("groups_%1").arg(QTest::currentDataTag()));
        script(QString::fromLatin1(ffmpeg).arg(groups).toUtf8());
        auto encoder = fakeEncoder();
        encoder->setStopGrace(300);
        const QList<MediaVideo::Ptr> jobs{job(), job(), job()};
        QSignalSpy finished(encoder.get(), &BatchEncoder::runFinished);
        QVERIFY(encoder->start(jobs, policy(Existing::Rename, atOnce)));
        // Each encoder and its child write a line.
        QTRY_COMPARE_WITH_TIMEOUT(readFile(groups).count('\n'), 2 * atOnce, 10000);
        QCOMPARE(entries(m_dir.path()).filter(".tavrix-").size(), atOnce); // the files being written
        QVERIFY(!encoder->start(jobs)); // a second run is refused while this one is active
        QVERIFY(TestSupport::survivors(groups) >= 2 * atOnce);

        if (destroy) {
            encoder.reset();
        } else {
            encoder->stop();
            QVERIFY(finished.wait(10000));
        }
        QTRY_COMPARE_WITH_TIMEOUT(TestSupport::survivors(groups), 0, 5000); // SIGKILL lands a moment later
        QCOMPARE(entries(m_dir.path()).filter(".tavrix-"), QStringList());
        for (int i = 0; i < 3; ++i) {
            QVERIFY(!QFileInfo::exists(jobs[i]->destination));
            if (destroy)
                continue;
            QCOMPARE(jobs[i]->result.status, i < atOnce ? Status::Stopped : Status::NotRun);
            if (i >= atOnce)
                QCOMPARE(jobs[i]->result.reasonText(), QStringLiteral("Stopped by the user"));
        }
        QVERIFY(destroy || (!m_status->showProgressBar() && !m_status->isDisable() && !encoder->isRunning()));
    }

    // One job after another, the next encoders run while the first output is still read back. A stop
    // then ends the read-back and leaves no process; no output is named, and the results come in list
    // order, all before the end of the run.
    void stopDuringReadBack()
    {
        const QString encoders = m_dir.filePath(QStringLiteral("encoders_readback"));
        const QString readers = m_dir.filePath(QStringLiteral("readers_readback"));
        script(("pgid:" + encoders + ";outlast;exit:0").toUtf8(),
               "out:", ("pgid:" + readers + ";hang").toUtf8());
        auto encoder = fakeEncoder();
        encoder->setStopGrace(300);
        const QList<MediaVideo::Ptr> jobs{job(), job(), job()};
        QList<int> order;
        connect(encoder.get(), &BatchEncoder::jobFinished, this,
                [&order](const QUuid &, const JobResult &, int number) { order << number; });
        connect(encoder.get(), &BatchEncoder::runFinished, this, [&order] { order << 0; });
        QSignalSpy finished(encoder.get(), &BatchEncoder::runFinished);
        QVERIFY(encoder->start(jobs, policy(Existing::Rename)));
        QTRY_COMPARE_WITH_TIMEOUT(readFile(encoders).count('\n'), 3, 10000);
        QCOMPARE(readFile(readers).count('\n'), 1); // the first read-back, which the others wait for
        QCOMPARE(order, QList<int>());

        encoder->stop();
        QVERIFY(finished.wait(10000));
        QCOMPARE(order, QList<int>({1, 2, 3, 0}));
        QTRY_COMPARE_WITH_TIMEOUT(TestSupport::survivors(readers), 0, 5000);
        QCOMPARE(entries(m_dir.path()).filter(".tavrix-"), QStringList());
        for (const MediaVideo::Ptr &job : jobs) {
            QCOMPARE(job->result.status, Status::Stopped);
            QVERIFY(!QFileInfo::exists(job->destination));
        }
    }

    // Real ffmpeg through the real command line, onto a stale file under Overwrite. Success means this job
    // wrote something ffmpeg can read back: the stale file, an empty output or one without a stream is a
    // failure, and the stale file stays as it was. A good job's progress is read, and the log shows the crop
    // detected when it started.
    void realConversions_data()
    {
        QTest::addColumn<QString>("command"); // shell text writing to %1; empty for the real command
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("reason"); // empty: the job succeeds
        const auto row = [](const char *name, const char *command, const char *edit, const QString &reason) {
            QTest::newRow(name) << QString(command) << QString(edit) << reason;
        };
        row("ffmpeg writes nothing", "", "-version", "ffmpeg ended without writing “clip.mp4”.");
        row("output without a stream", "printf 'not a video' > %1", "",
            "ffmpeg ended without error, but “clip.mp4” cannot be read back: mov,mp4,m4a,3gp,3g2,mj2: moov "
            "atom not found");
        row("output that holds no stream", "printf ';FFMETADATA1\\ntitle=x\\n' > %1", "",
            "ffmpeg ended without error, but “clip.mp4” cannot be read back: it holds no stream.");
        row("source that is not a regular file", "", "fifo",
            "The source “%1” is not a regular file (a folder, a pipe or a device); it is not converted.");
        row("success, crop detected", "", "crop", "");
    }

    void realConversions()
    {
        QFETCH(QString, command);
        QFETCH(QString, edit);
        QFETCH(QString, reason);
        const QString dir = rowDirectory();
        const QString name = QStringLiteral("clip \"%s\" $x.mov");
        QVERIFY(QFile::copy(smallClip(), dir + '/' + name));
        const MediaVideo::Ptr one =
            createMediaVideo(dir + '/' + name, dir + "/clip.mp4", m_realTools, Preferences::jobSettings());
        one->videoEncoder = VideoEncoders::libx264;
        one->videoPreset = VideoPresets::ultrafast;
        one->otherParam = edit == "-version" ? edit : QString();
        if (edit == "crop") {
            one->videoCrop = QStringLiteral("-1");
            QTest::ignoreMessage(QtInfoMsg,
                                 QRegularExpression("^Ffmpeg path = .* -vf [^ ]*crop=\\d+:\\d+:\\d+:\\d+,"));
        }
        if (edit == "fifo") { // a saved list may name what is now a pipe: reading it would wait for ever
            QVERIFY(QFile::remove(one->source));
            QCOMPARE(::mkfifo(QFile::encodeName(one->source).constData(), 0600), 0);
            reason = reason.arg(one->source);
        }
        QVERIFY(writeFile(one->destination, "stale"));
        BatchEncoder encoder(m_realTools);
        m_status->follow(&encoder);
        if (!command.isEmpty())
            TestSupport::runShell(encoder, [command](const MediaVideo &job) {
                return command.arg(shellQuote(job.destination));
            });
        QVERIFY(TestSupport::runToEnd(encoder, {one}, policy(Existing::Overwrite)));
        QCOMPARE(one->result.reasonText(), reason);
        QCOMPARE(one->result.status, reason.isEmpty() ? Status::Succeeded
                                     : edit == "fifo" ? Status::NotRun
                                                      : Status::Failed);
        QCOMPARE(entries(dir), (QStringList{name, "clip.mp4"}));
        if (!reason.isEmpty()) {
            QCOMPARE(readFile(one->destination), QByteArray("stale"));
            return;
        }
        QCOMPARE(m_realTools.mediaInfoField(one->destination, "Video", "Format"), QStringLiteral("AVC"));
        QVERIFY(std::any_of(m_snapshots.cbegin(), m_snapshots.cend(),
                            [](const Snapshot &s) { return s.percent > 0; }));
        QCOMPARE(m_status->percentValue(), 0.0);
    }

    // A run first removes the job folders that earlier runs on this machine left behind (a kill, a power
    // cut), once it can prove that the process which made each one is gone; anything else stays.
    void abandonedFolders_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("boot");
        QTest::addColumn<QString>("pid");   // "self", "ended" or a number
        QTest::addColumn<QString>("start"); // "self" or a number
        QTest::addColumn<bool>("removed");
        const auto row = [](const char *name, const char *host, const char *boot, const char *pid,
                            const char *start, bool removed) {
            QTest::newRow(name) << QString(host) << QString(boot) << QString(pid) << QString(start)
                                << removed;
        };
        row("a process that ended", "here", "now", "ended", "self", true);
        row("this very process", "here", "now", "self", "self", false);
        row("its number, reused", "here", "now", "self", "1", true);
        row("before the machine started", "here", "before", "self", "self", true);
        row("another machine on a shared disk", "elsewhere", "before", "ended", "1", false);
        row("no note", "", "", "", "", false);
    }

    void abandonedFolders()
    {
        QFETCH(QString, host);
        QFETCH(QString, boot);
        QFETCH(QString, pid);
        QFETCH(QString, start);
        const QString dir = rowDirectory();
        const QString left = dir + QStringLiteral("/.old.mp4.tavrix-Ab12Cd");
        QVERIFY(QDir().mkpath(left));
        QVERIFY(writeFile(left + "/tavrix-output.mp4", "half a film"));
        QVERIFY(writeFile(dir + QStringLiteral("/.notes.tavrix-Xy12Zz"), "a file of the user's"));
        if (!host.isEmpty()) {
            QProcess ended;
            ended.start(QStringLiteral("true"));
            QVERIFY(ended.waitForStarted());
            const qint64 endedPid = ended.processId();
            QVERIFY(ended.waitForFinished());
            const QByteArray self = readFile("/proc/self/stat");
            const QByteArray selfStart = self.mid(self.lastIndexOf(')') + 2).split(' ').value(19);
            const QByteArray note =
                "host=" + (host == "here" ? QSysInfo::machineHostName().toUtf8() : host.toUtf8()) +
                "\nboot=" +
                (boot == "now" ? readFile("/proc/sys/kernel/random/boot_id").trimmed() : boot.toUtf8()) +
                "\npid=" +
                (pid == "self"    ? QByteArray::number(QCoreApplication::applicationPid())
                 : pid == "ended" ? QByteArray::number(endedPid)
                                  : pid.toUtf8()) +
                "\nstart=" + (start == "self" ? selfStart : start.toUtf8()) + "\n";
            QVERIFY(writeFile(left + "/tavrix-owner", note));
        }
        script("outlast;exit:0");
        const auto encoder = fakeEncoder();
        const MediaVideo::Ptr one = job(dir + "/new.mp4");
        QVERIFY(TestSupport::runToEnd(*encoder, {one}));
        QCOMPARE(one->result.status, Status::Succeeded);
        QFETCH(bool, removed);
        QStringList expected{".notes.tavrix-Xy12Zz", "new.mp4"};
        if (!removed)
            expected.insert(1, ".old.mp4.tavrix-Ab12Cd");
        QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
                 expected);
    }

    // The destination folder renamed while the job runs (another program tidying up): the job fails
    // saying so, and its own folder is removed wherever it went; nothing is left in either place.
    void destinationFolderSwapped()
    {
        const QString dir = rowDirectory();
        QVERIFY(QDir().mkpath(dir + "/o"));
        const MediaVideo::Ptr one =
            createMediaVideo(smallClip(), dir + "/o/clip.mkv", m_realTools, Preferences::jobSettings());
        BatchEncoder encoder(m_realTools);
        m_status->follow(&encoder);
        const QString ffmpeg = shellQuote(m_realTools.locateTool(QStringLiteral("ffmpeg")).path);
        TestSupport::runShell(encoder, [ffmpeg](const MediaVideo &job) {
            return ffmpeg + " -hide_banner -n -re -i " + shellQuote(job.source) +
                   " -c:v libx264 -preset ultrafast -f matroska " + shellQuote(job.destination);
        });
        QSignalSpy finished(&encoder, &BatchEncoder::runFinished);
        QVERIFY(encoder.start({one}));
        // Once ffmpeg has opened its output, the folder is swapped for an empty one of the same name.
        QTRY_VERIFY_WITH_TIMEOUT(QDirIterator(dir + "/o", {"tavrix-output.mkv"}, QDir::Files | QDir::Hidden,
                                              QDirIterator::Subdirectories)
                                     .hasNext(),
                                 10000);
        QVERIFY(QDir(dir).rename("o", "o2"));
        QVERIFY(QDir(dir).mkdir("o"));
        QVERIFY(finished.wait(30000));
        QCOMPARE(one->result.status, Status::Failed);
        QCOMPARE(one->result.reasonText(),
                 "The folder “" + dir + "/o” was moved or replaced while ffmpeg ran.");
        QCOMPARE(entries(dir + "/o"), QStringList());
        QCOMPARE(entries(dir + "/o2"), QStringList());
    }

    // A source cut short (a download that stopped, a full card) converts to what is left of it: the job
    // is Incomplete, says how much is missing and why, and keeps that output.
    void incompleteOutputs_data()
    {
        QTest::addColumn<bool>("cut"); // the source's second half is missing, its index (at its start) whole
        QTest::addColumn<QString>("params");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason"); // a pattern
        QTest::newRow("whole source") << false << "" << int(Status::Succeeded) << "^$";
        QTest::newRow("cut source")
            << true << "" << int(Status::Incomplete)
            << "^The output lasts \\d\\.\\d s of the source's 6\\.0 s; ffmpeg: stream "
               "\\d, offset 0x[0-9a-f]+: partial file$";
        QTest::newRow("cut source, the part asked for is whole")
            << true << "-t 2" << int(Status::Succeeded) << "^$";
        QTest::newRow("cut source, a window past the cut")
            << true << "-ss 1 -t 4" << int(Status::Incomplete)
            << "^The output lasts \\d\\.\\d s of the 4\\.0 s asked for; ffmpeg: .*partial file$";
        QTest::newRow("whole source, from a start") << false << "-ss 2" << int(Status::Succeeded) << "^$";
    }

    void incompleteOutputs()
    {
        QFETCH(bool, cut);
        QFETCH(QString, params);
        QFETCH(QString, reason);
        const QString whole = m_dir.filePath(QStringLiteral("six.mp4"));
        QVERIFY(QFileInfo::exists(whole) ||
                TestSupport::generateClip(whole,
                                          "-f lavfi -i testsrc=size=160x120:rate=25:duration=6 -f lavfi -i "
                                          "sine=duration=6 -c:a aac -shortest -movflags +faststart"));
        const QString dir = rowDirectory();
        const QByteArray bytes = readFile(whole);
        QVERIFY(writeFile(dir + "/clip.mp4", cut ? bytes.left(bytes.size() / 2) : bytes));
        const MediaVideo::Ptr one =
            createMediaVideo(dir + "/clip.mp4", dir + "/clip.mkv", m_realTools, Preferences::jobSettings());
        one->videoPreset = VideoPresets::ultrafast;
        one->container = 1;
        one->otherParam = params;
        BatchEncoder encoder(m_realTools);
        m_status->follow(&encoder);
        QVERIFY(TestSupport::runToEnd(encoder, {one}));
        QVERIFY2(QRegularExpression(reason).match(one->result.reasonText()).hasMatch(),
                 qPrintable(one->result.reasonText()));
        QTEST(int(one->result.status), "status");
        QCOMPARE(entries(dir), (QStringList{"clip.mkv", "clip.mp4"})); // the output is kept either way
    }

    // A file that takes the destination's name while the job encodes (its command makes it first) is left
    // as it is: Skip then skips the job and removes its output, Rename writes the next free name, and
    // Overwrite, which replaces only the file found at the start, does too.
    void nameTakenWhileEncoding_data()
    {
        QTest::addColumn<int>("policy");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("skip") << int(Existing::Skip) << int(Status::NotRun) << QStringList{"clip.mp4"};
        QTest::newRow("rename") << int(Existing::Rename) << int(Status::Succeeded)
                                << QStringList{"clip-1.mp4", "clip.mp4"};
        QTest::newRow("overwrite") << int(Existing::Overwrite) << int(Status::Succeeded)
                                   << QStringList{"clip-1.mp4", "clip.mp4"};
    }

    void nameTakenWhileEncoding()
    {
        QFETCH(int, policy);
        const QString dir = rowDirectory();
        const QString clip = smallClip();
        QVERIFY(!dir.isEmpty() && !clip.isEmpty());
        const auto one = std::make_shared<MediaVideo>(clip, dir + "/clip.mp4");
        BatchEncoder encoder(m_realTools);
        TestSupport::runShell(encoder, [&](const MediaVideo &job) {
            return "printf other > " + shellQuote(one->destination) + " && " +
                   shellQuote(TestSupport::realTool("ffmpeg")) + " -v error -nostdin -i " + shellQuote(clip) +
                   " -c copy " + shellQuote(job.destination);
        });
        QVERIFY(TestSupport::runToEnd(encoder, {one}, this->policy(Existing(policy))));
        QTEST(int(one->result.status), "status");
        QTEST(entries(dir), "entries");
        QCOMPARE(readFile(one->destination), QByteArray("other"));
        if (Existing(policy) == Existing::Skip)
            QCOMPARE(one->result.reasonText(),
                     QStringLiteral("“%1” already exists; it is left as it is.").arg(one->destination));
        else
            QCOMPARE(m_realTools.mediaInfoField(dir + "/clip-1.mp4", "Video", "Format"),
                     QStringLiteral("AVC"));
    }

    // Whatever stands at the destination and whatever happens to the job, a file the run did not create
    // keeps its bytes and identity (only Overwrite, on success, gives its name to the new file), nothing
    // is written through a link or a pipe, and no temporary file is left.
    void existingOutput_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<int>("policy");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("written"); // the name of the file written, if any
        const QStringList kinds{"absent", "unrelated file", "link outside", "hard link", "pipe"};
        const QList<std::pair<Existing, const char *>> policies{
            {Existing::Rename, "rename"}, {Existing::Skip, "skip"}, {Existing::Overwrite, "overwrite"}};
        const QList<std::pair<const char *, Status>> outcomes{
            {"success", Status::Succeeded}, {"failure", Status::Failed}, {"stop", Status::Stopped}};
        for (const QString &kind : kinds) {
            for (const auto &[policy, policyName] : policies) {
                const bool replaceable = kind == "unrelated file" || kind == "hard link";
                const bool runs = kind == "absent" || policy == Existing::Rename ||
                                  (policy == Existing::Overwrite && replaceable);
                const QString tag = kind + ", " + policyName;
                if (!runs) {
                    QTest::newRow(qPrintable(tag)) << kind << int(policy) << "-" << int(Status::NotRun) << "";
                    continue;
                }
                const QString name =
                    kind == "absent" || policy != Existing::Rename ? "clip.mp4" : "clip-1.mp4";
                for (const auto &[outcome, status] : outcomes)
                    QTest::newRow(qPrintable(tag + ", " + outcome))
                        << kind << int(policy) << outcome << int(status)
                        << (status == Status::Succeeded ? name : QString());
            }
        }
    }

    void existingOutput()
    {
        QFETCH(QString, destination);
        QFETCH(int, policy);
        QFETCH(QString, outcome);
        QFETCH(QString, written);
        const QString dir = rowDirectory(), output = dir + "/clip.mp4", elsewhere = dir + "-kept.mp4";
        const QString clip = smallClip();
        const auto one = std::make_shared<MediaVideo>(dir + "/clip.mov", output);
        QVERIFY(QFile::copy(clip, one->source));
        const QByteArray outputPath = QFile::encodeName(output);
        if (destination == "unrelated file")
            QVERIFY(writeFile(output, "unrelated"));
        if (destination == "link outside" || destination == "hard link")
            QVERIFY(writeFile(elsewhere, "kept elsewhere"));
        if (destination == "link outside")
            QVERIFY(QFile::link(elsewhere, output));
        if (destination == "hard link")
            QCOMPARE(::link(QFile::encodeName(elsewhere).constData(), outputPath.constData()), 0);
        if (destination == "pipe")
            QCOMPARE(::mkfifo(outputPath.constData(), 0644), 0);
        // Every entry but the one written, and the file elsewhere: none may change, and none may appear.
        const auto state = [&] {
            QStringList described{describeEntry(elsewhere)};
            for (const QString &name : entries(dir))
                if (name != written)
                    described << name + ' ' + describeEntry(dir + '/' + name);
            return described;
        };
        const QStringList before = state();

        // The encoder writes a real clip, or a piece of one before it fails or is stopped; the finished
        // file is read back with the real ffmpeg.
        script({}, "out:50");
        BatchEncoder encoder(ToolRunner(m_realFfmpeg.path()));
        m_status->follow(&encoder);
        TestSupport::runShell(encoder, [&](const MediaVideo &job) {
            const QString into = shellQuote(job.destination);
            if (outcome == "success")
                return "cat " + shellQuote(clip) + " > " + into;
            return "head -c 3000 " + shellQuote(clip) + " > " + into + "; " +
                   (outcome == "failure"
                        ? "echo '[libx264 @ 0x55a8cdcae1c0] width not divisible by 2 (161x121)' >&2; exit 1"
                        : "printf 'frame=   25 fps=0.0 q=0.0 size=3kB time=00:00:01.00\\r' >&2; exec sleep "
                          "60");
        });
        QSignalSpy finished(&encoder, &BatchEncoder::runFinished);
        QVERIFY(encoder.start({one}, this->policy(Existing(policy))));
        if (outcome == "stop") {
            QTRY_VERIFY_WITH_TIMEOUT(m_status->percentValue() > 0, 20000);
            encoder.stop();
        }
        QVERIFY(finished.wait(30000));

        QTEST(int(one->result.status), "status");
        if (outcome == "failure")
            QVERIFY2(one->result.reasonText().contains("width not divisible by 2"),
                     qPrintable(one->result.reasonText()));
        QCOMPARE(one->result.writtenPath, written == "clip-1.mp4" ? dir + "/clip-1.mp4" : QString());
        QCOMPARE(state(), before);
        QCOMPARE(readFile(dir + '/' + written), written.isEmpty() ? QByteArray() : readFile(clip));
    }
};

QTEST_GUILESS_MAIN(TestEncoder)
#include "tst_encoder.moc"
