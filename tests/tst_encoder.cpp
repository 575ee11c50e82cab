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
#include <QMutex>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using TestSupport::ResourceDir;
using Status = JobResult::Status;

Q_DECLARE_METATYPE(std::optional<double>)

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

// Every message logged while it lives, with its category.
class LogCapture
{
public:
    struct Entry
    {
        QtMsgType type;
        QString category;
        QString text;
    };

    LogCapture()
    {
        s_current = this;
        m_previous = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
    }
    QList<Entry> entries()
    {
        QMutexLocker lock(&m_mutex);
        return m_entries;
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        QMutexLocker lock(&s_current->m_mutex);
        s_current->m_entries.append({type, QString::fromLatin1(context.category), text});
    }

    static inline LogCapture *s_current = nullptr;
    QtMessageHandler m_previous = nullptr;
    QMutex m_mutex;
    QList<Entry> m_entries;
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
    RunStatus m_status;
    QList<Snapshot> m_snapshots;
    QMetaObject::Connection m_recording;
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
        return std::make_shared<MediaVideo>(
            sourcePath, destination.isEmpty()
                            ? QFileInfo(sourcePath).path() + QStringLiteral("/out_") +
                                  QFileInfo(sourcePath).completeBaseName() + QStringLiteral(".mp4")
                            : destination);
    }

    // The fake encoder is started like ffmpeg: tool path, the source, then the destination last.
    void useFakeCommand(BatchEncoder &encoder)
    {
        const QString ffmpeg = QDir(m_fakes.path()).filePath(QStringLiteral("ffmpeg"));
        encoder.setCommandBuilder([ffmpeg](const MediaVideo &job, const ToolRunner &, CropDetection) {
            return CommandLine{shellQuote(ffmpeg) + QStringLiteral(" -i ") + shellQuote(job.source) +
                                   QLatin1Char(' ') + shellQuote(job.destination),
                               {}};
        });
    }

    void script(const QByteArray &ffmpeg, const QByteArray &mediainfo = "out:")
    {
        qputenv("FAKE_TOOL_SCRIPT_FFMPEG", ffmpeg);
        qputenv("FAKE_TOOL_SCRIPT_MEDIAINFO", mediainfo);
    }

    bool runToEnd(BatchEncoder &encoder, const QList<MediaVideo::Ptr> &jobs)
    {
        QSignalSpy finished(&encoder, &BatchEncoder::runFinished);
        if (!encoder.start(jobs))
            return false;
        return finished.wait(30000);
    }

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
        m_status.setActiveEncoding({});
        m_status.setCurrentEncodeFile({});
        m_status.setPercentValue(0);
        m_status.setShowProgressBar(false);
        m_status.setIsDisable(false);
        m_status.setSecondsLeft(-1, -1);
        m_recording = connect(&m_status, &RunStatus::changed, this, [this] {
            m_snapshots.append({m_status.percentValue(), m_status.activeEncoding(),
                                m_status.currentEncodeFile(), m_status.showProgressBar(),
                                m_status.isDisable(), m_status.jobSecondsLeft()});
        });
    }

    void cleanup()
    {
        disconnect(m_recording);
        qunsetenv("FAKE_TOOL_SCRIPT_FFMPEG");
        qunsetenv("FAKE_TOOL_SCRIPT_MEDIAINFO");
    }

    void parseEncoderOutput_data()
    {
        QTest::addColumn<QString>("chunk");
        QTest::addColumn<std::optional<double>>("frameCount");
        QTest::addColumn<std::optional<double>>("percent");
        QTest::addColumn<QString>("duration"); // "-" when none is reported
        const std::optional<double> none;
        const QString progress = QStringLiteral("frame=  120 fps= 30 q=28.0 size=     256kB time=00:00:04.80 "
                                                "bitrate= 436.9kbits/s speed=1.2x");
        QTest::newRow("quarter") << progress << std::optional<double>(480) << std::optional<double>(25)
                                 << "-";
        QTest::newRow("no frame count") << progress << none << std::optional<double>(100) << "-";
        QTest::newRow("count too low")
            << progress << std::optional<double>(60) << std::optional<double>(200) << "-";
        QTest::newRow("zero count reads as none")
            << progress << std::optional<double>(0) << std::optional<double>(100) << "-";
        QTest::newRow("frame 0 without count") << QStringLiteral("frame=    0 fps=0.0 q=0.0 size=0kB") << none
                                               << std::optional<double>(0) << "-";
        QTest::newRow("tab trimmed") << QStringLiteral("frame=\t48\tfps=1") << std::optional<double>(480)
                                     << std::optional<double>(10) << "-";
        QTest::newRow("duration") << QStringLiteral(
                                         "  Duration: 00:00:10.00, start: 0.000000, bitrate: 213 kb/s")
                                  << std::optional<double>(480) << none << "00:00:10.00";
        QTest::newRow("duration wins over frame")
            << QStringLiteral("  Duration: 00:00:10.00, start: 0.0 frame=  120 fps= 30")
            << std::optional<double>(480) << none << "00:00:10.00";
        QTest::newRow("duration without start")
            << QStringLiteral("Duration: N/A, bitrate: N/A") << none << none << "";
        QTest::newRow("no fps after frame")
            << QStringLiteral("fps= 30 frame=  120 q=28.0") << std::optional<double>(480) << none << "-";
        QTest::newRow("frame not a number")
            << QStringLiteral("frame=  12a fps= 30") << std::optional<double>(480) << none << "-";
        QTest::newRow("frame empty") << QStringLiteral("frame= fps= 3") << std::optional<double>(480) << none
                                     << "-";
        QTest::newRow("no digits at all")
            << QStringLiteral("frame=fps=") << std::optional<double>(480) << none << "-";
        QTest::newRow("no frame") << QStringLiteral("size=  256kB time=00:00:04.80")
                                  << std::optional<double>(480) << none << "-";
        QTest::newRow("first frame only")
            << QStringLiteral("frame=  240 fps= 30 q=1\rframe=  360 fps= 30 q=1")
            << std::optional<double>(480) << std::optional<double>(50) << "-";
    }

    void parseEncoderOutput()
    {
        QFETCH(QString, chunk);
        QFETCH(std::optional<double>, frameCount);
        QFETCH(std::optional<double>, percent);
        QFETCH(QString, duration);
        const EncoderOutput out = ::parseEncoderOutput(chunk, frameCount);
        QCOMPARE(out.percentValue.has_value(), percent.has_value());
        if (percent)
            QCOMPARE(*out.percentValue, *percent);
        QCOMPARE(out.duration.value_or(QStringLiteral("-")), duration);
    }

    void readWholeNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<double>>("value");
        QTest::newRow("whole") << "480" << std::optional<double>(480);
        QTest::newRow("fraction") << "12.5" << std::optional<double>(12.5);
        QTest::newRow("leading blank") << " 480" << std::optional<double>();
        QTest::newRow("trailing text") << "480 frames" << std::optional<double>();
        QTest::newRow("trailing newline") << "480\n" << std::optional<double>();
        QTest::newRow("empty") << "" << std::optional<double>();
        QTest::newRow("not finite") << "inf" << std::optional<double>();
    }

    void readWholeNumber()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<double>, value);
        QCOMPARE(::readWholeNumber(text), value);
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
        QTest::addColumn<std::optional<double>>("frameCount");
        QTest::addColumn<std::optional<double>>("duration");
        QTest::addColumn<double>("later");
        QTest::addColumn<double>("job");
        QTest::addColumn<double>("run");
        const std::optional<double> none;
        const QString line =
            QStringLiteral("frame=  120 fps= 30 q=28.0 size=256kB time=00:00:04.80 bitrate=1k "
                           "speed=1.2x");
        // 360 frames left at 30 fps; 60 s of later jobs at 1.2x.
        QTest::newRow("frames") << line << std::optional<double>(480) << std::optional<double>(19.2) << 60.0
                                << 12.0 << 62.0;
        QTest::newRow("last job") << line << std::optional<double>(480) << none << 0.0 << 12.0 << 12.0;
        QTest::newRow("later unknown") << line << std::optional<double>(480) << none << -1.0 << 12.0 << -1.0;
        // No frame count: (19.2 - 4.8) s of source at 1.2x.
        QTest::newRow("time and speed") << line << none << std::optional<double>(19.2) << 0.0 << 12.0 << 12.0;
        // No speed= field: 30 fps against 25 fps of source is 1.2x.
        QTest::newRow("speed from fps")
            << QStringLiteral("frame=  120 fps= 30 q=28.0 size=256kB time=00:00:04.80 speed=N/A")
            << std::optional<double>(480) << std::optional<double>(19.2) << 6.0 << 12.0 << 17.0;
        QTest::newRow("nothing known") << QStringLiteral("frame=    1 fps=0.0 q=0.0 size=0kB speed=N/A")
                                       << none << none << 10.0 << -1.0 << -1.0;
    }

    void estimateTimeLeft()
    {
        QFETCH(QString, line);
        QFETCH(std::optional<double>, frameCount);
        QFETCH(std::optional<double>, duration);
        QFETCH(double, later);
        QFETCH(double, job);
        QFETCH(double, run);
        const TimeLeft left = ::estimateTimeLeft(readProgressFields(line), frameCount, duration, later);
        QCOMPARE(left.job, job);
        QCOMPARE(left.run, run);
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
        QFETCH(QString, text);
        QFETCH(int, bar);
        RunStatus status;
        status.setActiveEncoding(active);
        status.setNbrFilesEncoding(count);
        status.setPercentValue(percent);
        QCOMPARE(status.valueText(), text);
        QCOMPARE(status.barValue(), bar);
        QCOMPARE(status.percentValue(), percent); // the stored value keeps what was computed
    }

    void emptyRunRaisesAndLowersTheSheet()
    {
        BatchEncoder encoder(&m_status, ToolRunner(m_fakes.path()));
        QVERIFY(runToEnd(encoder, {}));
        QCOMPARE(m_status.nbrFilesEncoding(), 0);
        QVERIFY(!m_status.showProgressBar());
        QVERIFY(!m_status.isDisable());
        QVERIFY(std::any_of(m_snapshots.cbegin(), m_snapshots.cend(),
                            [](const Snapshot &s) { return s.shown && s.disabled; }));
        QVERIFY(!encoder.isRunning());
    }

    void results_data()
    {
        QTest::addColumn<QByteArray>("ffmpeg");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("outputKept");
        QTest::newRow("success") << QByteArray("outlast;exit:0") << int(Status::Succeeded) << 0 << "" << true;
        QTest::newRow("unknown encoder")
            << QByteArray("outlast;err:Unknown encoder 'h264_videotoolbox'\\nConversion failed!\\n;exit:1")
            << int(Status::Failed) << 1 << "ffmpeg exited with status 1: Unknown encoder 'h264_videotoolbox'"
            << false;
        QTest::newRow("crash") << QByteArray("outlast;crash") << int(Status::Failed) << int(SIGSEGV)
                               << "signal 11" << false;
        QTest::newRow("exit 0 without output")
            << QByteArray("exit:0") << int(Status::Failed) << 0 << "ended without writing" << false;
    }

    void results()
    {
        QFETCH(QByteArray, ffmpeg);
        QFETCH(int, status);
        QFETCH(int, exitCode);
        QFETCH(QString, reason);
        QFETCH(bool, outputKept);
        script(ffmpeg);
        BatchEncoder encoder(&m_status, ToolRunner(m_fakes.path()));
        useFakeCommand(encoder);
        const MediaVideo::Ptr one = job(source());
        QSignalSpy finishedJobs(&encoder, &BatchEncoder::jobFinished);
        QVERIFY(runToEnd(encoder, {one}));
        QCOMPARE(finishedJobs.size(), 1);
        QCOMPARE(finishedJobs[0][0].value<QUuid>(), one->id);
        QCOMPARE(int(one->result.status), status);
        QCOMPARE(one->result.exitCode, exitCode);
        QVERIFY2(one->result.reason.contains(reason), qPrintable(one->result.reason));
        QCOMPARE(QFileInfo::exists(one->destination), outputKept);
        if (status == int(Status::Failed) && exitCode == 1)
            QVERIFY(one->result.outputTail.contains("Unknown encoder"));
    }

    void commandErrorIsNotRun()
    {
        BatchEncoder encoder(&m_status, ToolRunner(m_fakes.path()));
        encoder.setCommandBuilder([](const MediaVideo &, const ToolRunner &, CropDetection) {
            return CommandLine{{}, QStringLiteral("The file has no video stream.")};
        });
        const MediaVideo::Ptr one = job(source());
        QVERIFY(runToEnd(encoder, {one}));
        QCOMPARE(one->result.status, Status::NotRun);
        QCOMPARE(one->result.reason, QStringLiteral("The file has no video stream."));
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
        BatchEncoder encoder(&m_status, ToolRunner(m_fakes.path()));
        useFakeCommand(encoder);
        const MediaVideo::Ptr one = job(source());
        QVERIFY(runToEnd(encoder, {one}));
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
        QCOMPARE(m_status.percentValue(), 0.0);
        QVERIFY(knewTimeLeft);
        QCOMPARE(m_status.jobSecondsLeft(), -1.0);
    }

    // The run status goes through the Part's states in order: start block, each job, end block.
    void runStatusInOrder()
    {
        script("progress:100:50:13;outlast", "out:100");
        BatchEncoder encoder(&m_status, ToolRunner(m_fakes.path()));
        useFakeCommand(encoder);
        QList<MediaVideo::Ptr> jobs{job(source()), job(source()), job(source())};
        QVERIFY(runToEnd(encoder, jobs));
        QCOMPARE(m_status.nbrFilesEncoding(), 3);

        // Right before the first job shows: the start block's state.
        const auto firstJob = std::find_if(m_snapshots.cbegin(), m_snapshots.cend(),
                                           [](const Snapshot &s) { return !s.file.isEmpty(); });
        QVERIFY(firstJob != m_snapshots.cbegin() && firstJob != m_snapshots.cend());
        const Snapshot &started = *(firstJob - 1);
        QVERIFY(started.shown && started.disabled && started.active.isEmpty() && started.percent == 0);
        QString active;
        double lastPercent = 0;
        QStringList order;
        for (const Snapshot &s : std::as_const(m_snapshots)) {
            if (s.active != active) {
                QCOMPARE(lastPercent, 0.0); // each job's percentage was reset before the next began
                active = s.active;
                order << active;
                QCOMPARE(s.file, QFileInfo(jobs[active.toInt() - 1]->source).fileName());
            }
            lastPercent = s.percent;
        }
        QCOMPARE(order, (QStringList{"1", "2", "3"}));
        QCOMPARE(m_status.activeEncoding(), QStringLiteral("3"));
        QCOMPARE(m_status.percentValue(), 0.0);
        QVERIFY(!m_snapshots.last().shown && !m_snapshots.last().disabled);
        for (const MediaVideo::Ptr &j : jobs)
            QCOMPARE(j->result.status, Status::Succeeded);
    }

    void diagnosticsAreLoggedVerbatim()
    {
        script("outlast");
        BatchEncoder encoder(&m_status, ToolRunner(m_fakes.path()));
        useFakeCommand(encoder);
        const QString path = source(QStringLiteral("100% %s %1 clip.mov"));
        const MediaVideo::Ptr one = job(path);
        LogCapture log;
        QVERIFY(runToEnd(encoder, {one}));
        const QString command = shellQuote(QDir(m_fakes.path()).filePath(QStringLiteral("ffmpeg"))) +
                                QStringLiteral(" -i ") + shellQuote(one->source) + QLatin1Char(' ') +
                                shellQuote(one->destination);
        QStringList ours;
        QStringList plain;
        for (const LogCapture::Entry &e : log.entries()) {
            if (e.category == QLatin1String("org.tavrix.Tavrix.Tavrix"))
                ours << e.text;
            else if (e.category == QLatin1String("default") && e.text.contains(QLatin1String("clip.mov")))
                plain << e.text;
        }
        QCOMPARE(plain, QStringList{command});
        QCOMPARE(ours, (QStringList{"Source = " + path, "Ffmpeg path = " + command}));
    }

    void shellThatCannotStart()
    {
        BatchEncoder encoder(&m_status, ToolRunner(m_fakes.path()));
        useFakeCommand(encoder);
        encoder.setShellProgram(m_dir.filePath(QStringLiteral("no-such-shell")));
        const QList<MediaVideo::Ptr> jobs{job(source()), job(source())};
        LogCapture log;
        QVERIFY(runToEnd(encoder, jobs));
        QStringList errors;
        for (const LogCapture::Entry &e : log.entries()) {
            if (e.type == QtWarningMsg && e.text.startsWith(QLatin1String("Erreur")))
                errors << e.text;
        }
        QCOMPARE(errors.size(), 2); // the second job was still tried
        for (int i = 0; i < 2; ++i) {
            QVERIFY2(errors[i].startsWith("Erreur 'self.ope()' ") &&
                         errors[i].contains("No such file or directory"),
                     qPrintable(errors[i]));
            QVERIFY(errors[i].endsWith(QStringLiteral(" [%1, %2]").arg(jobs[i]->source).arg(i + 1)));
            QCOMPARE(jobs[i]->result.status, Status::Failed);
        }
    }

    void destinationIsTheSource_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("same path") << "same";
        QTest::newRow("dot in path") << "dot";
        QTest::newRow("symbolic link") << "link";
        QTest::newRow("hard link") << "hard";
    }

    void destinationIsTheSource()
    {
        QFETCH(QString, how);
        script("outlast;exit:0");
        BatchEncoder encoder(&m_status, ToolRunner(m_fakes.path()));
        useFakeCommand(encoder);
        const QString path = source(QStringLiteral("self_%1.mp4").arg(how));
        QString destination = path;
        if (how == QLatin1String("dot"))
            destination = m_dir.path() + QStringLiteral("/./") + QFileInfo(path).fileName();
        if (how == QLatin1String("link") || how == QLatin1String("hard")) {
            destination = m_dir.filePath(QStringLiteral("link_%1.mp4").arg(how));
            if (how == QLatin1String("link"))
                QVERIFY(QFile::link(path, destination));
            else
                QCOMPARE(
                    ::link(QFile::encodeName(path).constData(), QFile::encodeName(destination).constData()),
                    0);
        }
        const MediaVideo::Ptr one = job(path, destination);
        QVERIFY(runToEnd(encoder, {one}));
        QCOMPARE(one->result.status, Status::NotRun);
        QVERIFY(!one->result.reason.isEmpty());
        QCOMPARE(readAll(path), QByteArray("source bytes"));
    }

    void duplicateDestinations()
    {
        script("outlast;exit:0");
        BatchEncoder encoder(&m_status, ToolRunner(m_fakes.path()));
        useFakeCommand(encoder);
        const QString destination = m_dir.filePath(QStringLiteral("shared_out.mp4"));
        const MediaVideo::Ptr first = job(source(), destination);
        const MediaVideo::Ptr second = job(source(), m_dir.path() + QStringLiteral("/./shared_out.mp4"));
        // A third job would write onto the first job's source.
        const MediaVideo::Ptr third = job(source(), first->source);
        QVERIFY(runToEnd(encoder, {first, second, third}));
        QCOMPARE(first->result.status, Status::Succeeded);
        QCOMPARE(second->result.status, Status::NotRun);
        QVERIFY(second->result.reason.contains("already writes"));
        QCOMPARE(third->result.status, Status::NotRun);
        QCOMPARE(readAll(first->source), QByteArray("source bytes"));
        QVERIFY(QFileInfo::exists(destination));
    }

    // A failed job removes only an output it wrote itself.
    void failedJobKeepsAFileItNeverOpened_data()
    {
        QTest::addColumn<QByteArray>("ffmpeg");
        QTest::addColumn<bool>("kept");
        QTest::newRow("never opened") << QByteArray("err:No such filter\\n;exit:1") << true;
        QTest::newRow("rewritten") << QByteArray("sleep:20;outlast;exit:1") << false;
    }

    void failedJobKeepsAFileItNeverOpened()
    {
        QFETCH(QByteArray, ffmpeg);
        QFETCH(bool, kept);
        script(ffmpeg);
        BatchEncoder encoder(&m_status, ToolRunner(m_fakes.path()));
        useFakeCommand(encoder);
        const MediaVideo::Ptr one = job(source());
        QVERIFY(writeFile(one->destination, "precious"));
        QVERIFY(runToEnd(encoder, {one}));
        QCOMPARE(one->result.status, Status::Failed);
        QCOMPARE(QFileInfo::exists(one->destination), kept);
        if (kept)
            QCOMPARE(readAll(one->destination), QByteArray("precious"));
        QFile::remove(one->destination);
    }

    void vanishedSourceIsNotRun()
    {
        BatchEncoder encoder(&m_status, ToolRunner(m_fakes.path()));
        useFakeCommand(encoder);
        const MediaVideo::Ptr one = job(m_dir.filePath(QStringLiteral("gone.mov")));
        QVERIFY(runToEnd(encoder, {one}));
        QCOMPARE(one->result.status, Status::NotRun);
        QVERIFY(one->result.reason.contains("no longer exists"));
    }

    // Stop mid-job: the shell, the encoder and its own child end (even one that ignores SIGTERM), the
    // partial output goes, the remaining jobs are not run, and the end block runs.
    void stopMidJob_data()
    {
        QTest::addColumn<QByteArray>("ffmpeg");
        QTest::newRow("ends on SIGTERM") << QByteArray("outlast;fork;pgid:%1;hang");
        QTest::newRow("ignores SIGTERM") << QByteArray("outlast;ignoreterm;fork;pgid:%1;hang");
    }

    void stopMidJob()
    {
        QFETCH(QByteArray, ffmpeg);
        const QString groups = m_dir.filePath(QStringLiteral("groups_%1").arg(QTest::currentDataTag()));
        script(QString::fromLatin1(ffmpeg).arg(groups).toUtf8());
        BatchEncoder encoder(&m_status, ToolRunner(m_fakes.path()));
        useFakeCommand(encoder);
        encoder.setStopGrace(300);
        const QList<MediaVideo::Ptr> jobs{job(source()), job(source()), job(source())};
        QSignalSpy finished(&encoder, &BatchEncoder::runFinished);
        QVERIFY(encoder.start(jobs));
        QTRY_COMPARE_WITH_TIMEOUT(readAll(groups).count('\n'), 2, 10000);
        QVERIFY(QFileInfo::exists(jobs[0]->destination));
        QVERIFY(!encoder.start(jobs)); // a second run is refused while this one is active
        const pid_t group = readAll(groups).split('\n').first().split(' ').last().toInt();
        QVERIFY(group > 1);
        QVERIFY(livingMembers(group) >= 2);

        encoder.stop();
        QVERIFY(finished.wait(10000));
        QTRY_COMPARE_WITH_TIMEOUT(livingMembers(group), 0, 5000); // SIGKILL takes effect a moment later
        QCOMPARE(jobs[0]->result.status, Status::Stopped);
        QVERIFY(!QFileInfo::exists(jobs[0]->destination));
        for (int i : {1, 2}) {
            QCOMPARE(jobs[i]->result.status, Status::NotRun);
            QCOMPARE(jobs[i]->result.reason, QStringLiteral("Stopped by the user"));
        }
        QVERIFY(!m_status.showProgressBar());
        QVERIFY(!m_status.isDisable());
        QVERIFY(!encoder.isRunning());
    }

    // Destroying the encoder (quitting the application) stops the run the same way.
    void destructionStops()
    {
        const QString groups = m_dir.filePath(QStringLiteral("groups_destroyed"));
        script(QStringLiteral("outlast;pgid:%1;hang").arg(groups).toUtf8());
        const MediaVideo::Ptr one = job(source());
        {
            BatchEncoder encoder(&m_status, ToolRunner(m_fakes.path()));
            useFakeCommand(encoder);
            QVERIFY(encoder.start({one}));
            QTRY_COMPARE_WITH_TIMEOUT(readAll(groups).count('\n'), 1, 10000);
        }
        const pid_t group = readAll(groups).split(' ').last().trimmed().toInt();
        QTRY_COMPARE_WITH_TIMEOUT(livingMembers(group), 0, 5000); // SIGKILL takes effect a moment later
        QVERIFY(!QFileInfo::exists(one->destination));
    }

    // Real ffmpeg through the real command line: playable outputs, and an encoder this build lacks
    // reported as failed with ffmpeg's own reason.
    void realRun()
    {
        const ToolRunner tools(TestSupport::realResourceDir());
        QTemporaryDir out;
        QList<MediaVideo::Ptr> jobs;
        for (const QString &name : {QStringLiteral("one.mov"), QStringLiteral("two \"%s\" $x.mkv")}) {
            const QString path = m_dir.filePath(name);
            QVERIFY(TestSupport::generateSimpleClip(path, 1.0));
            const MediaVideo::Ptr job = createMediaVideo(path, importDestination(path, out.path()), tools);
            QVERIFY(!job->videoTracks.isEmpty());
            job->videoEncoder = VideoEncoders::libx264;
            job->videoPreset = VideoPresets::ultrafast;
            jobs << job;
        }
        const MediaVideo::Ptr missing = createMediaVideo(m_dir.filePath(QStringLiteral("one.mov")),
                                                         out.filePath(QStringLiteral("missing.mp4")), tools);
        missing->videoEncoder = VideoEncoders::h264_videotoolbox;
        jobs.insert(1, missing);

        BatchEncoder encoder(&m_status, tools);
        QVERIFY(runToEnd(encoder, jobs));
        QCOMPARE(missing->result.status, Status::Failed);
        QVERIFY2(missing->result.reason.contains("Unknown encoder 'h264_videotoolbox'"),
                 qPrintable(missing->result.reason));
        QVERIFY(!QFileInfo::exists(missing->destination));
        for (const MediaVideo::Ptr &job : {jobs[0], jobs[2]}) {
            QCOMPARE(job->result.status, Status::Succeeded);
            QCOMPARE(tools.mediaInfoField(job->destination, "Video", "Format"), QStringLiteral("AVC"));
            QCOMPARE(tools.mediaInfoField(job->destination, "Video", "Width"), QStringLiteral("320"));
            QCOMPARE(tools.mediaInfoField(job->destination, "Audio", "Format"), QStringLiteral("AAC"));
            const double ms = tools.mediaInfoField(job->destination, "General", "Duration").toDouble();
            QVERIFY2(ms > 900 && ms < 1100, qPrintable(QString::number(ms)));
        }
        // Real progress reached the status: a percentage above 0 while each good job ran.
        QVERIFY(std::any_of(m_snapshots.cbegin(), m_snapshots.cend(),
                            [](const Snapshot &s) { return s.percent > 0; }));
        QCOMPARE(m_status.percentValue(), 0.0);
    }
};

QTEST_GUILESS_MAIN(TestEncoder)
#include "tst_encoder.moc"
