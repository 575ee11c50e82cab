// The batch encoder: progress parsing, the serial run and its status, honest results, lost-data guards
// and stopping. Fake encoders stand in for what real ffmpeg cannot show; real ffmpeg converts a few clips.
#include "TestSupport.h"

#include "encoding/BatchEncoder.h"
#include "encoding/EncoderOutput.h"
#include "model/Preferences.h"
#include "tools/CommandLine.h"
#include "tools/Log.h"
#include "tools/MediaProbe.h"
#include "tools/OutputName.h"
#include "tools/ShellQuote.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
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
const char *const diskFullMatroska = R"(Input #0, mov,mp4,m4a,3gp,3g2,mj2, from 'clip.mov':
  Metadata:
    encoder         : Lavf59.27.100
  Duration: 00:00:02.00, start: 0.000000, bitrate: 219 kb/s
Stream mapping:
  Stream #0:0 -> #0:0 (h264 (native) -> h264 (libx264))
[libx264 @ 0x55991b8c8500] using SAR=1/1
Output #0, matroska, to '/dev/full':
    Side data:
      cpb: bitrate max/min/avg: 0/0/0 buffer size: 0 vbv_delay: N/A
frame=    1 fps=0.0 q=0.0 size=       1kB time=00:00:00.04 bitrate= 157.1kbits/s speed=4.34x    
Error writing trailer of /dev/full: No space left on device
frame=   50 fps=0.0 q=-1.0 Lsize=      53kB time=00:00:02.02 bitrate= 213.8kbits/s speed=5.36x    
video:33kB audio:17kB subtitle:0kB other streams:0kB global headers:0kB muxing overhead: 3.716086%
Error closing file /dev/full: No space left on device
[libx264 @ 0x55991b8c8500] frame I:1     Avg QP:20.00  size:  6083
[libx264 @ 0x55991b8c8500] mb P  I16..4:  2.4%  0.0%  0.0%  P16..4: 17.3%  0.0%  0.0%  0.0%  0.0%    skip:80.3%
[libx264 @ 0x55991b8c8500] kb/s:134.38
[aac @ 0x55991b8c8500] Qavg: 105.398)";

// The same clip into a full disk as MP4, whose header cannot be written (status 1).
const char *const diskFullMp4 = R"(Stream mapping:
  Stream #0:0 -> #0:0 (h264 (native) -> h264 (libx264))
  Stream #0:1 -> #0:1 (aac (native) -> aac (native))
[libx264 @ 0x565329c864c0] using SAR=1/1
[libx264 @ 0x565329c864c0] profile Constrained Baseline, level 1.3, 4:2:0, 8-bit
Could not write header for output file #0 (incorrect codec parameters ?): No space left on device
Error initializing output stream 0:0 --
[aac @ 0x565329c80100] Qavg: 102.568
[aac @ 0x565329c80100] 2 frames left in the queue on closing
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
    const QString inode = QString::number(st.st_ino);
    if (S_ISLNK(st.st_mode))
        return "link " + inode + " -> " + QFile::symLinkTarget(path);
    if (S_ISFIFO(st.st_mode))
        return "fifo " + inode;
    if (S_ISDIR(st.st_mode))
        return "directory " + inode;
    return "file " + inode + ' ' + QCryptographicHash::hash(readFile(path), QCryptographicHash::Md5).toHex();
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

    // A job converting a copy of the small clip at `sourcePath` fast with libx264.
    MediaVideo::Ptr realJob(const QString &sourcePath, const QString &destination)
    {
        if (!QFile::copy(smallClip(), sourcePath))
            return nullptr;
        const MediaVideo::Ptr job = createMediaVideo(sourcePath, destination, m_realTools);
        job->container = 0;
        job->videoEncoder = VideoEncoders::libx264;
        job->videoPreset = VideoPresets::ultrafast;
        return job;
    }

    // A source file (its content does not matter to the fakes).
    QString source()
    {
        const QString path = m_dir.filePath(QStringLiteral("source%1.mov").arg(++m_sourceCount));
        return writeFile(path, "source bytes") ? path : QString();
    }

    MediaVideo::Ptr job(const QString &sourcePath, const QString &destination = {})
    {
        const QFileInfo info(sourcePath);
        return std::make_shared<MediaVideo>(
            sourcePath,
            destination.isEmpty() ? info.path() + "/out_" + info.completeBaseName() + ".mp4" : destination);
    }

    // An encoder that starts the fake like ffmpeg: tool path, the source, then the output last. The fake
    // runs under a name of its own, so that its script is not the one ffmpeg reads the file back with.
    std::unique_ptr<BatchEncoder> fakeEncoder()
    {
        auto encoder = std::make_unique<BatchEncoder>(m_status.get(), ToolRunner(m_fakes.path()));
        encoder->setCommandBuilder([this](const MediaVideo &job, const ToolRunner &, CropDetection) {
            return CommandLine{shellQuote(m_fakes.path() + "/encoder") + " -i " + shellQuote(job.source) +
                                   ' ' + shellQuote(job.destination),
                               {}};
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

    bool runToEnd(BatchEncoder &encoder, const QList<MediaVideo::Ptr> &jobs)
    {
        QSignalSpy finished(&encoder, &BatchEncoder::runFinished);
        return encoder.start(jobs) && finished.wait(30000);
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
        QTest::newRow("quarter") << progress << Number(480) << Number(25) << "-";
        QTest::newRow("count too low") << progress << Number(60) << Number(200) << "-";
        QTest::newRow("frame 0 without count")
            << QStringLiteral("frame=    0 fps=0.0 q=0.0 size=0kB") << Number() << Number(0) << "-";
        QTest::newRow("duration") << QStringLiteral(
                                         "  Duration: 00:00:10.00, start: 0.000000, bitrate: 213 kb/s")
                                  << Number(480) << Number() << "00:00:10.00";
        QTest::newRow("duration wins over frame")
            << QStringLiteral("  Duration: 00:00:10.00, start: 0.0 frame=  120 fps= 30") << Number(480)
            << Number() << "00:00:10.00";
        QTest::newRow("duration without start")
            << QStringLiteral("Duration: N/A, bitrate: N/A") << Number() << Number() << "";
        QTest::newRow("no fps after frame")
            << QStringLiteral("fps= 30 frame=  120 q=28.0") << Number(480) << Number() << "-";
        QTest::newRow("frame not a number")
            << QStringLiteral("frame=  12a fps= 30") << Number(480) << Number() << "-";
        QTest::newRow("first frame only")
            << QStringLiteral("frame=  240 fps= 30 q=1\rframe=  360 fps= 30 q=1") << Number(480) << Number(50)
            << "-";
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

    void readWholeNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Number>("value");
        QTest::newRow("whole") << "480" << Number(480);
        QTest::newRow("leading blank") << " 480" << Number();
        QTest::newRow("trailing text") << "480 frames" << Number();
        QTest::newRow("not finite") << "inf" << Number();
    }

    void readWholeNumber()
    {
        QFETCH(QString, text);
        QTEST(::readWholeNumber(text), "value");
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

    void valueText_data()
    {
        QTest::addColumn<QString>("active");
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("percent");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bar");
        QTest::newRow("third of seven") << "3" << 7 << 25.0 << "[3 / 7] 25.00%" << 25;
        QTest::newRow("count too low") << "2" << 2 << 250.0 << "[2 / 2] 100.00%" << 100;
        QTest::newRow("negative") << "2" << 2 << -4.0 << "[2 / 2] 0.00%" << 0;
    }

    void valueText()
    {
        QFETCH(QString, active);
        QFETCH(int, count);
        QFETCH(double, percent);
        RunStatus status;
        status.setActiveEncoding(active);
        status.setNbrFilesEncoding(count);
        status.setPercentValue(percent);
        QTEST(status.valueText(), "text");
        QTEST(status.barValue(), "bar");
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
        QStringList numbers;
        for (int i = 1; i <= count; ++i) {
            jobs << job(source());
            numbers << QString::number(i);
        }
        const auto encoder = fakeEncoder();
        QVERIFY(runToEnd(*encoder, jobs));
        QVERIFY(!encoder->isRunning());
        QCOMPARE(readFile(asked).count('\n'), count);
        QCOMPARE(m_status->nbrFilesEncoding(), count);

        const auto firstJob = std::find_if(m_snapshots.cbegin(), m_snapshots.cend(),
                                           [](const Snapshot &s) { return !s.file.isEmpty(); });
        QVERIFY(std::any_of(m_snapshots.cbegin(), firstJob, [](const Snapshot &s) {
            return s.shown && s.disabled && s.active.isEmpty() && s.percent == 0;
        }));
        QString active;
        double last = 0;
        int full = 0;
        bool knewTimeLeft = false;
        QStringList order;
        for (const Snapshot &s : std::as_const(m_snapshots)) {
            if (s.active != active) {
                QCOMPARE(last, 0.0);
                active = s.active;
                order << active;
                QCOMPARE(s.file, QFileInfo(jobs[active.toInt() - 1]->source).fileName());
            }
            if (s.percent > 0) {
                QVERIFY2(s.percent >= last, "the percentage stepped back");
                QVERIFY(QList<double>({25, 50, 75, 100}).contains(s.percent));
            }
            full += s.percent == 100 && last != 100;
            last = s.percent;
            knewTimeLeft = knewTimeLeft || s.jobLeft >= 0;
        }
        QCOMPARE(order, numbers);
        QCOMPARE(full, count);
        QCOMPARE(knewTimeLeft, count > 0);
        QCOMPARE(m_status->activeEncoding(), numbers.value(count - 1));
        QCOMPARE(m_status->percentValue(), 0.0);
        QCOMPARE(m_status->jobSecondsLeft(), -1.0);
        QVERIFY(!m_snapshots.last().shown && !m_snapshots.last().disabled);
        for (const MediaVideo::Ptr &j : jobs)
            QCOMPARE(j->result.status, Status::Succeeded);
    }

    // How one job ends on the fake encoder: ffmpeg's own error line is the reason; a destination that is
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
        row("disk full, status 1", "outlast;" + printing(diskFullMp4) + ";exit:1", "", Status::Failed, 1,
            "ffmpeg exited with status 1: Could not write header for output file #0 (incorrect codec "
            "parameters ?): No space left on device");
        row("disk full, status 0", "outlast;" + printing(diskFullMatroska) + ";exit:0", "", Status::Failed, 0,
            "Error writing trailer of /dev/full: No space left on device");
        row("destination is the source, with a dot", "outlast", "dot", Status::NotRun, 0, self);
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
        encoder->setExistingOutput(Existing::Overwrite); // the policy that replaces, even so not the source
        const QString path = how == "gone" ? m_dir.filePath("gone.mov") : source();
        QString destination = m_dir.filePath("out_" + QString::number(m_sourceCount) + ".mp4");
        const QByteArray from = QFile::encodeName(path), to = QFile::encodeName(destination);
        if (how == "dot")
            destination = m_dir.path() + "/./" + QFileInfo(path).fileName();
        if (how == "link")
            QCOMPARE(::symlink(from.constData(), to.constData()), 0);
        if (how == "hard")
            QCOMPARE(::link(from.constData(), to.constData()), 0);
        if (how == "refused")
            encoder->setCommandBuilder([reason](const MediaVideo &, const ToolRunner &, CropDetection) {
                return CommandLine{{}, reason};
            });
        if (how == "no shell")
            encoder->setShellProgram(m_dir.filePath(QStringLiteral("no-such-shell")));
        const MediaVideo::Ptr one = job(path, destination);
        QSignalSpy finishedJobs(encoder.get(), &BatchEncoder::jobFinished);
        QVERIFY(runToEnd(*encoder, {one, job(source())}));
        QCOMPARE(finishedJobs.size(), 2); // the next job is still tried
        QCOMPARE(finishedJobs[0][0].value<QUuid>(), one->id);
        QTEST(int(one->result.status), "status");
        QTEST(one->result.exitCode, "exitCode");
        QVERIFY2(one->result.reason.contains(reason), qPrintable(one->result.reason));
        QVERIFY(!ffmpeg.contains("Qavg") || one->result.outputTail.contains("Qavg"));
        QCOMPARE(readFile(path), QByteArray(how == "gone" ? "" : "source bytes"));
        if (how != "dot" && how != "link" && how != "hard")
            QCOMPARE(QFileInfo::exists(destination), one->result.status == Status::Succeeded);
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
        QTest::newRow("skip") << int(Existing::Skip) << int(Status::NotRun) << "already writes"
                              << "is the source of another job";
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
        const MediaVideo::Ptr first = job(source(), m_dir.filePath(name));
        const MediaVideo::Ptr other = job(source(), m_dir.path() + "/./" + name);
        const MediaVideo::Ptr onSource = job(source(), first->source);
        const auto encoder = fakeEncoder();
        encoder->setExistingOutput(Existing(policy));
        QVERIFY(runToEnd(*encoder, {first, other, onSource}));
        QCOMPARE(first->result.status, Status::Succeeded);
        QCOMPARE(int(other->result.status), later);
        QVERIFY2(other->result.reason.contains(second), qPrintable(other->result.reason));
        QCOMPARE(int(onSource->result.status), later);
        QVERIFY2(onSource->result.reason.contains(third), qPrintable(onSource->result.reason));
        QCOMPARE(readFile(first->source), QByteArray("source bytes"));
        QCOMPARE(readFile(first->destination), QByteArray("partial"));
        if (later == int(Status::Succeeded))
            QCOMPARE(readFile(other->result.writtenPath), QByteArray("partial"));
    }

    // Stop mid-job, or destroy the encoder (quitting the application): the shell, the encoder and its own
    // child end (even one that ignores SIGTERM), the unfinished file goes, the remaining jobs are not run,
    // and the end block runs.
    void stopMidJob_data()
    {
        QTest::addColumn<QByteArray>("ffmpeg");
        QTest::addColumn<bool>("destroy");
        QTest::newRow("ignores SIGTERM") << QByteArray("outlast;ignoreterm;fork;pgid:%1;hang") << false;
        QTest::newRow("encoder destroyed") << QByteArray("outlast;fork;pgid:%1;hang") << true;
    }

    void stopMidJob()
    {
        QFETCH(QByteArray, ffmpeg);
        QFETCH(bool, destroy);
        const QString groups = m_dir.filePath(QStringLiteral("groups_%1").arg(QTest::currentDataTag()));
        script(QString::fromLatin1(ffmpeg).arg(groups).toUtf8());
        auto encoder = fakeEncoder();
        encoder->setStopGrace(300);
        const QList<MediaVideo::Ptr> jobs{job(source()), job(source()), job(source())};
        QSignalSpy finished(encoder.get(), &BatchEncoder::runFinished);
        QVERIFY(encoder->start(jobs));
        QTRY_COMPARE_WITH_TIMEOUT(readFile(groups).count('\n'), 2, 10000);
        QCOMPARE(entries(m_dir.path()).filter(".tavrix-").size(), 1); // the file being written
        QVERIFY(!encoder->start(jobs)); // a second run is refused while this one is active
        const pid_t group = readFile(groups).split('\n').first().split(' ').last().toInt();
        QVERIFY(group > 1);
        QVERIFY(TestSupport::livingMembers(group) >= 2);

        if (destroy) {
            encoder.reset();
        } else {
            encoder->stop();
            QVERIFY(finished.wait(10000));
        }
        QTRY_COMPARE_WITH_TIMEOUT(TestSupport::livingMembers(group), 0,
                                  5000); // SIGKILL takes effect a moment later
        QVERIFY(!QFileInfo::exists(jobs[0]->destination));
        QCOMPARE(entries(m_dir.path()).filter(".tavrix-"), QStringList());
        if (destroy)
            return;
        QCOMPARE(jobs[0]->result.status, Status::Stopped);
        for (int i : {1, 2}) {
            QCOMPARE(jobs[i]->result.status, Status::NotRun);
            QCOMPARE(jobs[i]->result.reason, QStringLiteral("Stopped by the user"));
        }
        QVERIFY(!m_status->showProgressBar() && !m_status->isDisable() && !encoder->isRunning());
    }

    // The reason shown for a failure is ffmpeg's error line, not the statistics printed after it.
    void failureLines_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("writeFailure");
        const QString diskFull =
            QStringLiteral("Error writing trailer of /dev/full: No space left on device");
        QTest::newRow("disk full, recorded") << diskFullMatroska << diskFull << diskFull;
        const QString header = QStringLiteral("Could not write header for output file #0 (incorrect codec "
                                              "parameters ?): No space left on device");
        QTest::newRow("disk full at the header, recorded") << diskFullMp4 << header << header;
        QTest::newRow("odd size: the cause before ffmpeg's generic line")
            << "Stream mapping:\n  Stream #0:0 -> #0:0 (h264 (native) -> h264 (libx264))\n"
               "[libx264 @ 0x55a8cdcae1c0] width not divisible by 2 (161x121)\n"
               "Error initializing output stream 0:0 -- Error while opening encoder for output stream #0:0 - "
               "maybe incorrect parameters such as bit_rate, rate, width or height\n"
               "[aac @ 0x55a8cdcbc2c0] Qavg: 102.568\n[aac @ 0x55a8cdcbc2c0] 2 frames left in the queue on "
               "closing\nConversion failed!"
            << "libx264: width not divisible by 2 (161x121)"
            << "";
        QTest::newRow("missing filter")
            << "[AVFilterGraph @ 0x558ba23ee700] No such filter: 'foo'\nError reinitializing filters!\n"
               "Failed to inject frame into filter network: Invalid argument\n"
               "[aac @ 0x558ba23aa280] Qavg: 102.568\nConversion failed!"
            << "AVFilterGraph: No such filter: 'foo'"
            << "";
        QTest::newRow("damaged source, then the cause")
            << "[h264 @ 0x1] error while decoding MB 3 4\n[h264 @ 0x1] concealing 20 DC, 20 AC, 20 MV "
               "errors\n"
               "frame=   10 fps=0.0 q=28.0 size=1kB time=00:00:00.40 bitrate=1k speed=1x\n"
               "[matroska @ 0x2] Invalid packet\nav_interleaved_write_frame(): Invalid argument\n"
               "[libx264 @ 0x3] kb/s:119.85"
            << "matroska: Invalid packet"
            << "";
        QTest::newRow("metadata is no message")
            << "Input #0, mov, from 'a.mov':\n  Metadata:\n    title           : "
               "Unknown error\nThe end came"
            << "The end came"
            << "";
        QTest::newRow("nothing said")
            << "frame=   10 fps=0.0 q=28.0 size=1kB time=00:00:00.40\nConversion failed!"
            << ""
            << "";
    }

    void failureLines()
    {
        QFETCH(QString, output);
        const QStringList lines = output.split(QLatin1Char('\n'));
        QTEST(failureLine(lines), "line");
        QTEST(writeFailureLine(lines), "writeFailure");
    }

    // Real ffmpeg through the real command line, onto a stale file under Overwrite. Success means this job
    // wrote something ffmpeg can read back: the stale file, an empty output or one without a stream is a
    // failure, and the stale file stays as it was. An encoder this build lacks fails with ffmpeg's own
    // reason. A good job's progress is read, and the log shows the crop detected when it started.
    void realConversions_data()
    {
        QTest::addColumn<QString>("command"); // shell text writing to %1; empty for the real command
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("reason"); // empty: the job succeeds
        const QString nothing = QStringLiteral("ffmpeg ended without writing “clip.mp4”.");
        QTest::newRow("ffmpeg writes nothing") << ""
                                               << "-version" << nothing;
        QTest::newRow("empty output") << ": > %1"
                                      << "" << nothing;
        QTest::newRow("output without a stream") << "printf 'not a video' > %1"
                                                 << ""
                                                 << "ffmpeg ended without error, but “clip.mp4” cannot be "
                                                    "read back: mov,mp4,m4a,3gp,3g2,mj2: moov "
                                                    "atom not found";
        QTest::newRow("encoder this build lacks")
            << ""
            << "toolbox"
            << "ffmpeg exited with status 1: Unknown encoder 'h264_videotoolbox'";
        QTest::newRow("success, crop detected") << ""
                                                << "crop"
                                                << "";
    }

    void realConversions()
    {
        QFETCH(QString, command);
        QFETCH(QString, edit);
        QFETCH(QString, reason);
        const QString dir = rowDirectory();
        const QString name = QStringLiteral("clip \"%s\" $x.mov");
        const MediaVideo::Ptr one = realJob(dir + '/' + name, dir + "/clip.mp4");
        QVERIFY(one);
        one->otherParam = edit == "-version" ? edit : QString();
        if (edit == "toolbox")
            one->videoEncoder = VideoEncoders::h264_videotoolbox;
        if (edit == "crop") {
            one->videoCrop = QStringLiteral("-1");
            QTest::ignoreMessage(QtInfoMsg,
                                 QRegularExpression("^Ffmpeg path = .* -vf [^ ]*crop=\\d+:\\d+:\\d+:\\d+,"));
        }
        QVERIFY(writeFile(one->destination, "stale"));
        BatchEncoder encoder(m_status.get(), m_realTools);
        encoder.setExistingOutput(Existing::Overwrite);
        if (!command.isEmpty())
            encoder.setCommandBuilder([command](const MediaVideo &job, const ToolRunner &, CropDetection) {
                return CommandLine{command.arg(shellQuote(job.destination)), {}};
            });
        QVERIFY(runToEnd(encoder, {one}));
        QCOMPARE(one->result.reason, reason);
        QCOMPARE(one->result.status, reason.isEmpty() ? Status::Succeeded : Status::Failed);
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

    // Whatever stands at the destination and whatever happens to the job, a file the run did not create
    // keeps its bytes and identity (only Overwrite, on success, gives its name to the new file), nothing
    // is written through a link, a pipe or a folder, and no temporary file is left.
    void existingOutput_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<int>("policy");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("written"); // the name of the file written, if any
        const QStringList kinds{"absent",    "unrelated file", "link outside", "dangling link",
                                "hard link", "pipe",           "folder",       "the source"};
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
        const QString dir = rowDirectory();
        const QString outside = dir + "-outside";
        QVERIFY(QDir().mkpath(outside));
        const QString output = dir + "/clip.mp4";
        const QString source = destination == "the source" ? output : dir + "/clip.mov";
        const QString clip = smallClip();
        QVERIFY(QFile::copy(clip, source));
        const auto one = std::make_shared<MediaVideo>(source, output);
        const QString elsewhere = outside + (destination == "dangling link" ? "/missing.mp4" : "/kept.mp4");
        const QByteArray outputPath = QFile::encodeName(output);
        if (destination == "unrelated file")
            QVERIFY(writeFile(output, "unrelated"));
        if (destination == "link outside" || destination == "hard link")
            QVERIFY(writeFile(elsewhere, "kept elsewhere"));
        if (destination == "link outside" || destination == "dangling link")
            QVERIFY(QFile::link(elsewhere, output));
        if (destination == "hard link")
            QCOMPARE(::link(QFile::encodeName(elsewhere).constData(), outputPath.constData()), 0);
        if (destination == "pipe")
            QCOMPARE(::mkfifo(outputPath.constData(), 0644), 0);
        if (destination == "folder")
            QVERIFY(QDir().mkdir(output));
        const QString before = describeEntry(output);
        const QString elsewhereBefore = describeEntry(elsewhere);
        const QString sourceBefore = describeEntry(source);
        QStringList names = entries(dir);
        if (!written.isEmpty() && !names.contains(written)) {
            names << written;
            names.sort();
        }

        // The encoder writes a real clip, or a piece of one before it fails or is stopped; the finished
        // file is read back with the real ffmpeg.
        script({}, "out:50");
        BatchEncoder encoder(m_status.get(), ToolRunner(m_realFfmpeg.path()));
        encoder.setExistingOutput(Existing(policy));
        encoder.setCommandBuilder([&](const MediaVideo &job, const ToolRunner &, CropDetection) {
            const QString into = shellQuote(job.destination);
            if (outcome == "success")
                return CommandLine{"cat " + shellQuote(clip) + " > " + into, {}};
            const QString start = "head -c 3000 " + shellQuote(clip) + " > " + into + "; ";
            if (outcome == "failure")
                return CommandLine{start + "echo '[libx264 @ 0x55a8cdcae1c0] width not divisible by 2 "
                                           "(161x121)' >&2; exit 1",
                                   {}};
            return CommandLine{start + "printf 'frame=   25 fps=0.0 q=0.0 size=3kB time=00:00:01.00\\r' >&2; "
                                       "exec sleep 60",
                               {}};
        });
        QSignalSpy finished(&encoder, &BatchEncoder::runFinished);
        QVERIFY(encoder.start({one}));
        if (outcome == "stop") {
            QTRY_VERIFY_WITH_TIMEOUT(m_status->percentValue() > 0, 20000);
            encoder.stop();
        }
        QVERIFY(finished.wait(30000));

        QTEST(int(one->result.status), "status");
        if (outcome == "failure")
            QVERIFY2(one->result.reason.contains("width not divisible by 2"), qPrintable(one->result.reason));
        QCOMPARE(one->result.writtenPath, written == "clip-1.mp4" ? dir + "/clip-1.mp4" : QString());
        QCOMPARE(entries(dir), names);
        if (written != "clip.mp4")
            QCOMPARE(describeEntry(output), before);
        QCOMPARE(describeEntry(elsewhere), elsewhereBefore);
        QCOMPARE(describeEntry(source), sourceBefore);
        QCOMPARE(entries(outside), QStringList(destination == "link outside" || destination == "hard link"
                                                   ? QStringList{"kept.mp4"}
                                                   : QStringList{}));
        if (!written.isEmpty())
            QCOMPARE(readFile(dir + '/' + written), readFile(clip));
    }
};

QTEST_GUILESS_MAIN(TestEncoder)
#include "tst_encoder.moc"
