// Control of a run: Pause on a real encoder, Stop After This File, Retry Failed, the job logs, and
// Ctrl-Z / fg on tavrix-cli.
#include "TestSupport.h"

#include "encoding/BatchEncoder.h"
#include "encoding/RunStatus.h"
#include "media/MediaProbe.h"
#include "model/Preferences.h"
#include "process/Log.h"
#include "rules/ShellQuote.h"
#include "session/JobListModel.h"
#include "store/JobLogs.h"
#include "ui/ContentView.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <csignal>

using Status = JobResult::Status;

namespace {

// The state letters ("R", "S", "T"...) of the processes called `name` whose command line mentions
// `marker`.
QStringList processStates(const QString &marker, const QByteArray &name = "ffmpeg")
{
    QStringList states;
    for (const TestSupport::Process &p : TestSupport::livingProcesses())
        if (p.name == name && p.commandLine.contains(marker.toUtf8()))
            states << QString(QChar::fromLatin1(p.state));
    return states;
}

} // namespace

class TestRunControl : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    ToolRunner m_tools{TestSupport::realResourceDir()};
    QString m_clip;

    // ffmpeg encoding the job; with "-re" it reads its input at its own pace and lasts as long as the clip.
    static BatchEncoder::CommandBuilder ffmpeg(const QString &inputOptions)
    {
        return [inputOptions](const MediaVideo &job, const ToolRunner &tools, const QString &,
                              CropDetection) {
            return CommandLine{shellQuote(tools.locateTool(QStringLiteral("ffmpeg")).path) +
                                   " -hide_banner -nostdin " + inputOptions + " -i " +
                                   shellQuote(job.source) + " -c:v libx264 -preset ultrafast -c:a aac -y " +
                                   shellQuote(job.destination),
                               {}};
        };
    }

    QList<MediaVideo::Ptr> jobs(const QString &name, int count)
    {
        QList<MediaVideo::Ptr> list;
        for (int i = 0; i < count; ++i)
            list << createMediaVideo(m_clip, m_dir.filePath(QStringLiteral("%1%2.mp4").arg(name).arg(i)),
                                     m_tools, Preferences::jobSettings());
        return list;
    }

private slots:
    void initTestCase()
    {
        TestSupport::isolateSettings();
        setDiagnosticStream(nullptr);
        QVERIFY(m_dir.isValid());
        m_clip = m_dir.filePath(QStringLiteral("clip.mp4"));
        QVERIFY(TestSupport::generateSimpleClip(m_clip, 4.0));
    }

    // The whole group is held while paused; once resumed, the time left is that of the work still to
    // do, not stretched by the pause (ffmpeg's own rates count the paused time). The pause lasts three
    // times the work done before it, so a stretched estimate would be four times the one at the pause.
    void pauseHoldsTheEncoder()
    {
        RunStatus status;
        BatchEncoder encoder(m_tools);
        status.follow(&encoder);
        encoder.setCommandBuilder(ffmpeg(QStringLiteral("-re")));
        const QList<MediaVideo::Ptr> run = jobs(QStringLiteral("paused"), 1);
        QSignalSpy finished(&encoder, &BatchEncoder::runFinished);
        QElapsedTimer working;
        working.start();
        QVERIFY(encoder.start(run));
        // Past ffmpeg's start, whose slow first frames would blur the rates.
        QTRY_VERIFY(status.percentValue() >= 25 && status.jobSecondsLeft() > 0);
        encoder.setPaused(true);
        const qint64 worked = working.elapsed();
        QTRY_COMPARE(processStates(m_dir.path()), QStringList{"T"});
        QVERIFY(status.paused() && encoder.isHeld());
        QTest::qWait(int(3 * worked));
        // Estimates made after the pause (ffmpeg reports at once when it goes on, then catches up).
        const double leftAtPause = status.jobSecondsLeft();
        QList<double> left;
        connect(&status, &RunStatus::changed, this, [&] {
            if (status.jobSecondsLeft() != leftAtPause && status.jobSecondsLeft() > 0)
                left << status.jobSecondsLeft();
        });
        encoder.setPaused(false);
        QVERIFY(!status.paused());
        QVERIFY(finished.wait(30000));
        QCOMPARE(run[0]->result.status, Status::Succeeded);
        QVERIFY(!left.isEmpty());
        QVERIFY2(left.constFirst() < 2 * leftAtPause,
                 qPrintable(QStringLiteral("%1 s left after the pause, %2 s at it")
                                .arg(left.constFirst())
                                .arg(leftAtPause)));
    }

    // The file going on is finished and logged; no other starts and none has a log.
    void stopAfterThisFile()
    {
        RunStatus status;
        BatchEncoder encoder(m_tools);
        status.follow(&encoder);
        encoder.setCommandBuilder(ffmpeg(QStringLiteral("-re")));
        const JobLogs logs(m_dir.filePath(QStringLiteral("data")));
        encoder.setLogOpener(logs.opener());
        const QList<MediaVideo::Ptr> run = jobs(QStringLiteral("after"), 3);
        QSignalSpy finished(&encoder, &BatchEncoder::runFinished);
        QVERIFY(encoder.start(run));
        QTRY_VERIFY(status.activeEncoding() == "1" && status.percentValue() > 0);
        encoder.stopAfterCurrent();
        QVERIFY(finished.wait(30000));
        QVERIFY(encoder.lastRunWasStopped());
        QCOMPARE(run[0]->result.status, Status::Succeeded);
        QVERIFY(QFileInfo(run[0]->destination).size() > 0);
        for (const MediaVideo::Ptr &job : run.mid(1)) {
            QCOMPARE(job->result.status, Status::NotRun);
            QVERIFY(!QFileInfo::exists(job->destination));
            QVERIFY(job->result.logPath.isEmpty() && logs.latestFor(job->id).isEmpty());
        }
        // The log holds the command and ends with the result.
        QCOMPARE(logs.latestFor(run[0]->id), run[0]->result.logPath);
        const QByteArray text = TestSupport::readFile(run[0]->result.logPath);
        QVERIFY(text.startsWith("$ ") && text.contains(" -re -i "));
        QVERIFY2(text.endsWith("Succeeded\n"), text.right(200).constData());
    }

    // Failed, stopped and interrupted jobs run again; the others keep their result.
    void retryFailedRunsOnlyThoseJobs()
    {
        ContentView view(m_tools);
        view.encoder()->setCommandBuilder(ffmpeg({}));
        QAction *retry = view.command(QStringLiteral("retryFailed"));
        const QList<Status> before{Status::None,   Status::Succeeded, Status::NotRun,
                                   Status::Failed, Status::Stopped,   Status::Interrupted};
        for (const MediaVideo::Ptr &job : jobs(QStringLiteral("retry"), int(before.size())))
            view.model()->append(job);
        QVERIFY(!retry->isEnabled());
        for (int i = 0; i < before.size(); ++i)
            view.model()->jobs()[i]->result.status = before[i];
        view.model()->refreshAll();
        QVERIFY(retry->isEnabled());

        QSignalSpy finished(view.encoder(), &BatchEncoder::runFinished);
        retry->trigger();
        QVERIFY(finished.wait(30000));
        QList<Status> after;
        for (const MediaVideo::Ptr &job : view.model()->jobs())
            after << job->result.status;
        QCOMPARE(after, before.mid(0, 3) + QList<Status>(3, Status::Succeeded));
        QVERIFY(!retry->isEnabled());
    }

    // Ctrl-Z holds the encoder, which the terminal does not stop, and then the CLI itself; fg resumes both.
    void cliPausesOnCtrlZ()
    {
        QProcess cli;
        cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        cli.start(QStringLiteral(TAVRIX_CLI_PATH),
                  {QStringLiteral("encode"), QStringLiteral("--dest"),
                   m_dir.filePath(QStringLiteral("ctrl-z")), QStringLiteral("--params"),
                   QStringLiteral("-af arealtime"), m_clip});
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("ctrl-z")) && cli.waitForStarted());
        const QString marker = m_dir.filePath(QStringLiteral("ctrl-z")); // the destination folder
        QTRY_COMPARE_WITH_TIMEOUT(processStates(marker).size(), 1, 20000);
        ::kill(pid_t(cli.processId()), SIGTSTP);
        QTRY_COMPARE(processStates(marker, "tavrix-cli"), QStringList{"T"});
        QCOMPARE(processStates(marker), QStringList{"T"});
        ::kill(pid_t(cli.processId()), SIGCONT);
        QTRY_VERIFY(processStates(marker, "tavrix-cli") != QStringList{"T"} &&
                    processStates(marker) != QStringList{"T"});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        QVERIFY(QFileInfo(m_dir.filePath(QStringLiteral("ctrl-z/clip.mp4"))).size() > 0);
    }
};

QTEST_MAIN(TestRunControl)
#include "tst_runcontrol.moc"
