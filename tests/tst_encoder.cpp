// The batch encoder: progress parsing, the serial run and its status, honest results, lost-data guards
// and stopping. Fake encoders stand in for what real ffmpeg cannot show; real ffmpeg converts a few clips.
#include "TestSupport.h"

#include "encoding/BatchEncoder.h"
#include "encoding/EncoderOutput.h"
#include "tools/CommandLine.h"
#include "tools/Log.h"
#include "tools/MediaProbe.h"
#include "tools/OutputName.h"
#include "tools/ShellQuote.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using TestSupport::ResourceDir;
using Status = JobResult::Status;
using Number = std::optional<double>;

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

// Processes of a group that are still alive (zombies waiting for their reaper do not count).
int livingMembers(pid_t group)
{
    int count = 0;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool isPid = false;
        entry.toInt(&isPid);
        if (!isPid)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        // pid (comm) state ppid pgrp ...; comm may hold blanks, so read after the last ')'.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields[2].toInt() == group && fields[0] != "Z")
            ++count;
    }
    return count;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
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

    // A source file (its content does not matter to the fakes).
    QString source(const QString &name = {})
    {
        const QString path =
            m_dir.filePath(name.isEmpty() ? QStringLiteral("source%1.mov").arg(++m_sourceCount) : name);
        if (!QFileInfo::exists(path))
            writeFile(path, "source bytes");
        return path;
    }

    MediaVideo::Ptr job(const QString &sourcePath, const QString &destination = {})
    {
        const QFileInfo info(sourcePath);
        return std::make_shared<MediaVideo>(
            sourcePath,
            destination.isEmpty() ? info.path() + "/out_" + info.completeBaseName() + ".mp4" : destination);
    }

    QString fakeCommand(const MediaVideo &job) const
    {
        return shellQuote(QDir(m_fakes.path()).filePath(QStringLiteral("ffmpeg"))) + " -i " +
               shellQuote(job.source) + ' ' + shellQuote(job.destination);
    }

    // An encoder that starts the fake like ffmpeg: tool path, the source, then the destination last.
    std::unique_ptr<BatchEncoder> fakeEncoder()
    {
        auto encoder = std::make_unique<BatchEncoder>(m_status.get(), ToolRunner(m_fakes.path()));
        encoder->setCommandBuilder([this](const MediaVideo &job, const ToolRunner &, CropDetection) {
            return CommandLine{fakeCommand(job), {}};
        });
        return encoder;
    }

    void script(const QByteArray &ffmpeg, const QByteArray &mediainfo = "out:")
    {
        qputenv("FAKE_TOOL_SCRIPT_FFMPEG", ffmpeg);
        qputenv("FAKE_TOOL_SCRIPT_MEDIAINFO", mediainfo);
    }

    bool runToEnd(BatchEncoder &encoder, const QList<MediaVideo::Ptr> &jobs)
    {
        QSignalSpy finished(&encoder, &BatchEncoder::runFinished);
        return encoder.start(jobs) && finished.wait(30000);
    }

    bool runFake(const QList<MediaVideo::Ptr> &jobs) { return runToEnd(*fakeEncoder(), jobs); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
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
        QTest::newRow("no frame count") << progress << Number() << Number(100) << "-";
        QTest::newRow("count too low") << progress << Number(60) << Number(200) << "-";
        QTest::newRow("zero count reads as none") << progress << Number(0) << Number(100) << "-";
        QTest::newRow("frame 0 without count")
            << QStringLiteral("frame=    0 fps=0.0 q=0.0 size=0kB") << Number() << Number(0) << "-";
        QTest::newRow("tab trimmed") << QStringLiteral("frame=\t48\tfps=1") << Number(480) << Number(10)
                                     << "-";
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
        QTest::newRow("frame empty") << QStringLiteral("frame= fps= 3") << Number(480) << Number() << "-";
        QTest::newRow("no digits at all") << QStringLiteral("frame=fps=") << Number(480) << Number() << "-";
        QTest::newRow("no frame") << QStringLiteral("size=  256kB time=00:00:04.80") << Number(480)
                                  << Number() << "-";
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
        QTest::newRow("fraction") << "12.5" << Number(12.5);
        QTest::newRow("leading blank") << " 480" << Number();
        QTest::newRow("trailing text") << "480 frames" << Number();
        QTest::newRow("trailing newline") << "480\n" << Number();
        QTest::newRow("empty") << "" << Number();
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
        QTest::newRow("last job") << line << Number(480) << Number() << 0.0 << 12.0 << 12.0;
        QTest::newRow("later unknown") << line << Number(480) << Number() << -1.0 << 12.0 << -1.0;
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
        QTest::newRow("run just started") << "" << 5 << 0.0 << "[ / 5] 0.00%" << 0;
        QTest::newRow("full") << "1" << 1 << 100.0 << "[1 / 1] 100.00%" << 100;
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

    // A failed job removes only an output it wrote itself: a file it never opened stays as it was.
    void results_data()
    {
        QTest::addColumn<QByteArray>("ffmpeg");
        QTest::addColumn<QByteArray>("before"); // the destination's content before the run, if any
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("tail");
        QTest::addColumn<bool>("outputKept");
        const auto row = [](const char *name, const char *ffmpeg, const char *before, Status status,
                            int exitCode, const char *reason, const char *tail, bool outputKept) {
            QTest::newRow(name) << QByteArray(ffmpeg) << QByteArray(before) << int(status) << exitCode
                                << QString(reason) << QString(tail) << outputKept;
        };
        row("success", "outlast;exit:0", "", Status::Succeeded, 0, "", "", true);
        row("unknown encoder",
            "outlast;err:Unknown encoder 'h264_videotoolbox'\\nConversion failed!\\n;exit:1", "",
            Status::Failed, 1, "ffmpeg exited with status 1: Unknown encoder 'h264_videotoolbox'",
            "Unknown encoder", false);
        row("crash", "outlast;crash", "", Status::Failed, SIGSEGV, "signal 11", "", false);
        row("exit 0 without output", "exit:0", "", Status::Failed, 0, "ended without writing", "", false);
        row("failure keeps a file it never opened", "err:No such filter\\n;exit:1", "precious",
            Status::Failed, 1, "No such filter", "", true);
        row("failure removes a file it rewrote", "sleep:20;outlast;exit:1", "precious", Status::Failed, 1, "",
            "", false);
    }

    void results()
    {
        QFETCH(QByteArray, ffmpeg);
        QFETCH(QByteArray, before);
        QFETCH(QString, reason);
        QFETCH(QString, tail);
        QFETCH(bool, outputKept);
        script(ffmpeg);
        const auto encoder = fakeEncoder();
        const MediaVideo::Ptr one = job(source());
        QVERIFY(before.isEmpty() || writeFile(one->destination, before));
        QSignalSpy finishedJobs(encoder.get(), &BatchEncoder::jobFinished);
        QVERIFY(runToEnd(*encoder, {one}));
        QCOMPARE(finishedJobs.size(), 1);
        QCOMPARE(finishedJobs[0][0].value<QUuid>(), one->id);
        QTEST(int(one->result.status), "status");
        QTEST(one->result.exitCode, "exitCode");
        QVERIFY2(one->result.reason.contains(reason), qPrintable(one->result.reason));
        QVERIFY(one->result.outputTail.contains(tail));
        QCOMPARE(QFileInfo::exists(one->destination), outputKept);
        if (outputKept && !before.isEmpty())
            QCOMPARE(readAll(one->destination), before);
        QFile::remove(one->destination);
    }

    // Progress written in odd-sized pieces is read in order: the percentage never steps back, reaches
    // 100 and returns to 0 when the process ends; the time left is known meanwhile.
    void progressInOddPieces_data()
    {
        QTest::addColumn<QByteArray>("mediainfo");
        QTest::addColumn<QList<double>>("percents");
        QTest::newRow("frame count") << QByteArray("out:480") << QList<double>{25, 50, 75, 100};
        QTest::newRow("no frame count") << QByteArray("out:480 frames") << QList<double>{100};
    }

    void progressInOddPieces()
    {
        QFETCH(QByteArray, mediainfo);
        QFETCH(QList<double>, percents);
        script("err:  Duration: 00:00:19.20, start: 0.000000, bitrate: 1 kb/s\\n;progress:480:120:7;outlast",
               mediainfo);
        const MediaVideo::Ptr one = job(source());
        QVERIFY(runFake({one}));
        QCOMPARE(one->result.status, Status::Succeeded);

        QList<double> seen;
        bool knewTimeLeft = false;
        for (const Snapshot &s : std::as_const(m_snapshots)) {
            if (s.percent > 0 && (seen.isEmpty() || seen.last() != s.percent))
                seen << s.percent;
            knewTimeLeft = knewTimeLeft || s.jobLeft >= 0;
        }
        for (int i = 1; i < seen.size(); ++i)
            QVERIFY2(seen[i] > seen[i - 1], "the percentage stepped back");
        for (double value : std::as_const(seen))
            QVERIFY(percents.contains(value));
        QCOMPARE(seen.last(), 100.0);
        QCOMPARE(m_status->percentValue(), 0.0);
        QVERIFY(knewTimeLeft);
        QCOMPARE(m_status->jobSecondsLeft(), -1.0);
    }

    // The run status goes through its states in order: the start block raises the sheet, each job shows
    // in turn with its percentage reset before the next, and the end block lowers the sheet.
    void runStatusInOrder_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("three jobs") << 3;
        QTest::newRow("no job") << 0;
    }

    void runStatusInOrder()
    {
        QFETCH(int, count);
        script("progress:100:50:13;outlast", "out:100");
        QList<MediaVideo::Ptr> jobs;
        QStringList numbers;
        for (int i = 1; i <= count; ++i) {
            jobs << job(source());
            numbers << QString::number(i);
        }
        const auto encoder = fakeEncoder();
        QVERIFY(runToEnd(*encoder, jobs));
        QVERIFY(!encoder->isRunning());
        QCOMPARE(m_status->nbrFilesEncoding(), count);

        const auto firstJob = std::find_if(m_snapshots.cbegin(), m_snapshots.cend(),
                                           [](const Snapshot &s) { return !s.file.isEmpty(); });
        QVERIFY(std::any_of(m_snapshots.cbegin(), firstJob, [](const Snapshot &s) {
            return s.shown && s.disabled && s.active.isEmpty() && s.percent == 0;
        }));
        QString active;
        double lastPercent = 0;
        QStringList order;
        for (const Snapshot &s : std::as_const(m_snapshots)) {
            if (s.active != active) {
                QCOMPARE(lastPercent, 0.0);
                active = s.active;
                order << active;
                QCOMPARE(s.file, QFileInfo(jobs[active.toInt() - 1]->source).fileName());
            }
            lastPercent = s.percent;
        }
        QCOMPARE(order, numbers);
        QCOMPARE(m_status->activeEncoding(), numbers.value(count - 1));
        QCOMPARE(m_status->percentValue(), 0.0);
        QVERIFY(!m_snapshots.last().shown && !m_snapshots.last().disabled);
        for (const MediaVideo::Ptr &j : jobs)
            QCOMPARE(j->result.status, Status::Succeeded);
    }

    // The command and the source are logged as they are, even with format characters in the name.
    void diagnosticsAreLoggedVerbatim()
    {
        script("outlast");
        const QString path = source(QStringLiteral("100% %s %1 clip.mov"));
        const MediaVideo::Ptr one = job(path);
        const QString command = fakeCommand(*one);
        QTest::ignoreMessage(QtInfoMsg, qPrintable(command));
        QTest::ignoreMessage(QtInfoMsg, qPrintable("Source = " + path));
        QTest::ignoreMessage(QtInfoMsg, qPrintable("Ffmpeg path = " + command));
        QVERIFY(runFake({one}));
    }

    // Each job that cannot start its shell is reported and failed; the next job is still tried.
    void shellThatCannotStart()
    {
        const auto encoder = fakeEncoder();
        encoder->setShellProgram(m_dir.filePath(QStringLiteral("no-such-shell")));
        const QList<MediaVideo::Ptr> jobs{job(source()), job(source())};
        for (int i = 0; i < 2; ++i)
            QTest::ignoreMessage(
                QtWarningMsg,
                QRegularExpression("^Erreur 'self.ope\\(\\)' .*No such file or directory.* \\[" +
                                   QRegularExpression::escape(jobs[i]->source) +
                                   QStringLiteral(", %1\\]$").arg(i + 1)));
        QVERIFY(runToEnd(*encoder, jobs));
        for (const MediaVideo::Ptr &j : jobs)
            QCOMPARE(j->result.status, Status::Failed);
    }

    // Jobs that must not run leave their source as it was and say why.
    void notRun_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("reason");
        const QString self = QStringLiteral("is the source file itself");
        QTest::newRow("destination is the source") << "same" << self;
        QTest::newRow("destination is the source, with a dot") << "dot" << self;
        QTest::newRow("destination is a symbolic link to the source") << "link" << self;
        QTest::newRow("destination is a hard link to the source") << "hard" << self;
        QTest::newRow("source vanished") << "gone"
                                         << "no longer exists";
        QTest::newRow("command refused") << "refused"
                                         << "The file has no video stream.";
    }

    void notRun()
    {
        QFETCH(QString, how);
        QFETCH(QString, reason);
        script("outlast;exit:0");
        const auto encoder = fakeEncoder();
        const QString path = how == "gone" ? m_dir.filePath("gone.mov") : source("self_" + how + ".mp4");
        QString destination = how == "dot" ? m_dir.path() + "/./" + QFileInfo(path).fileName() : path;
        if (how == "link" || how == "hard") {
            destination = m_dir.filePath("link_" + how + ".mp4");
            if (how == "link")
                QVERIFY(QFile::link(path, destination));
            else
                QCOMPARE(
                    ::link(QFile::encodeName(path).constData(), QFile::encodeName(destination).constData()),
                    0);
        }
        if (how == "gone" || how == "refused")
            destination = m_dir.filePath("out_" + how + ".mp4");
        if (how == "refused")
            encoder->setCommandBuilder([reason](const MediaVideo &, const ToolRunner &, CropDetection) {
                return CommandLine{{}, reason};
            });
        const MediaVideo::Ptr one = job(path, destination);
        QVERIFY(runToEnd(*encoder, {one}));
        QCOMPARE(one->result.status, Status::NotRun);
        QVERIFY2(one->result.reason.contains(reason), qPrintable(one->result.reason));
        QCOMPARE(readAll(path), QByteArray(how == "gone" ? "" : "source bytes"));
        QVERIFY(!QFileInfo::exists(m_dir.filePath("out_" + how + ".mp4")));
    }

    void duplicateDestinations()
    {
        script("outlast;exit:0");
        const QString destination = m_dir.filePath(QStringLiteral("shared_out.mp4"));
        const MediaVideo::Ptr first = job(source(), destination);
        const MediaVideo::Ptr second = job(source(), m_dir.path() + QStringLiteral("/./shared_out.mp4"));
        // A third job would write onto the first job's source.
        const MediaVideo::Ptr third = job(source(), first->source);
        QVERIFY(runFake({first, second, third}));
        QCOMPARE(first->result.status, Status::Succeeded);
        QCOMPARE(second->result.status, Status::NotRun);
        QVERIFY(second->result.reason.contains("already writes"));
        QCOMPARE(third->result.status, Status::NotRun);
        QCOMPARE(readAll(first->source), QByteArray("source bytes"));
        QVERIFY(QFileInfo::exists(destination));
    }

    // Stop mid-job, or destroy the encoder (quitting the application): the shell, the encoder and its own
    // child end (even one that ignores SIGTERM), the partial output goes, the remaining jobs are not run,
    // and the end block runs.
    void stopMidJob_data()
    {
        QTest::addColumn<QByteArray>("ffmpeg");
        QTest::addColumn<bool>("destroy");
        QTest::newRow("ends on SIGTERM") << QByteArray("outlast;fork;pgid:%1;hang") << false;
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
        QTRY_COMPARE_WITH_TIMEOUT(readAll(groups).count('\n'), 2, 10000);
        QVERIFY(QFileInfo::exists(jobs[0]->destination));
        QVERIFY(!encoder->start(jobs)); // a second run is refused while this one is active
        const pid_t group = readAll(groups).split('\n').first().split(' ').last().toInt();
        QVERIFY(group > 1);
        QVERIFY(livingMembers(group) >= 2);

        if (destroy) {
            encoder.reset();
        } else {
            encoder->stop();
            QVERIFY(finished.wait(10000));
        }
        QTRY_COMPARE_WITH_TIMEOUT(livingMembers(group), 0, 5000); // SIGKILL takes effect a moment later
        QVERIFY(!QFileInfo::exists(jobs[0]->destination));
        if (destroy)
            return;
        QCOMPARE(jobs[0]->result.status, Status::Stopped);
        for (int i : {1, 2}) {
            QCOMPARE(jobs[i]->result.status, Status::NotRun);
            QCOMPARE(jobs[i]->result.reason, QStringLiteral("Stopped by the user"));
        }
        QVERIFY(!m_status->showProgressBar() && !m_status->isDisable() && !encoder->isRunning());
    }

    // Real ffmpeg through the real command line, its progress read: a job with an encoder this build
    // lacks fails with ffmpeg's own reason, and the next job still converts.
    void realRun()
    {
        const ToolRunner tools(TestSupport::realResourceDir());
        QTemporaryDir out;
        const QString path = m_dir.filePath(QStringLiteral("two \"%s\" $x.mkv"));
        QVERIFY(TestSupport::generateSimpleClip(path, 1.0));
        const MediaVideo::Ptr missing =
            createMediaVideo(path, out.filePath(QStringLiteral("missing.mp4")), tools);
        missing->videoEncoder = VideoEncoders::h264_videotoolbox;
        const MediaVideo::Ptr good = createMediaVideo(path, importDestination(path, out.path()), tools);
        good->videoEncoder = VideoEncoders::libx264;
        good->videoPreset = VideoPresets::ultrafast;

        BatchEncoder encoder(m_status.get(), tools);
        QVERIFY(runToEnd(encoder, {missing, good}));
        QCOMPARE(missing->result.status, Status::Failed);
        QVERIFY2(missing->result.reason.contains("Unknown encoder 'h264_videotoolbox'"),
                 qPrintable(missing->result.reason));
        QVERIFY(!QFileInfo::exists(missing->destination));
        QCOMPARE(good->result.status, Status::Succeeded);
        QCOMPARE(tools.mediaInfoField(good->destination, "Video", "Format"), QStringLiteral("AVC"));
        QVERIFY(std::any_of(m_snapshots.cbegin(), m_snapshots.cend(),
                            [](const Snapshot &s) { return s.percent > 0; }));
        QCOMPARE(m_status->percentValue(), 0.0);
    }
};

QTEST_GUILESS_MAIN(TestEncoder)
#include "tst_encoder.moc"
