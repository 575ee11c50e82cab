#pragma once

#include "encoding/RunOptions.h"
#include "model/JobResult.h"
#include "model/MediaVideo.h"
#include "process/ToolRunner.h"
#include "rules/CommandLine.h"
#include "rules/RunTally.h"
#include "store/LogSink.h"

#include <QList>
#include <QObject>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class SerialQueue;

// Converts a list of jobs one after another on a background serial queue, or several at once: the
// queue then decides each job's output name in list order and hands the encoder to a worker thread.
//
// A job writes into a new folder of its own beside its output and gives what ffmpeg wrote there the
// output's name only once it reads back, so a file the run did not create is never overwritten,
// truncated or deleted (Overwrite replaces the old file whole, on success only). A job whose output is
// shorter than its source (a damaged or cut source) is Incomplete, and keeps that output.
//
// Lives on the user interface thread. It shows nothing itself: it tells how the run goes through the
// signals below, each emitted on this thread in the order things happened (a job's own events in its
// order, the run's start first and its end last); the session keeps the run status from them.
class BatchEncoder : public QObject
{
    Q_OBJECT
public:
    // Builds the shell command a job runs (ffmpeg told never to replace a file); commandLine() unless a
    // test or benchmark gives its own.
    using CommandBuilder = std::function<CommandLine(const MediaVideo &, const ToolRunner &,
                                                     const QString &globalParams, CropDetection)>;

    explicit BatchEncoder(ToolRunner tools = ToolRunner(), QObject *parent = nullptr);
    ~BatchEncoder() override; // stops a run still going and waits for its end

    // Queues the whole run, which follows `options`, and returns at once; false (nothing queued) while a
    // run is active. The jobs must not be edited until runFinished (the user interface disables itself
    // meanwhile).
    bool start(const QList<MediaVideo::Ptr> &jobs, const RunOptions &options = RunOptions());
    // Ends the run now: the current encoder is ended, its unfinished output removed, the remaining jobs
    // are marked not run, and the end of the run is signalled as usual.
    void stop();
    bool isRunning() const { return m_running; }

    // Holds every running encoder's process group (SIGSTOP) or lets it go on (SIGCONT); an encoder that
    // starts while the run is paused is held from its start. The time left does not count the pause.
    void setPaused(bool paused);
    bool isPaused() const;
    // Every encoder running now is held (or none runs): the program itself may be stopped safely.
    bool isHeld() const;
    // The current job ends as usual and no later job starts; they are marked not run.
    void stopAfterCurrent();
    bool isStoppingAfterCurrent() const;
    // The user stopped the last run (Stop or Stop After This File); for after runFinished.
    bool lastRunWasStopped() const { return m_lastRunStopped; }

    // The log of one job run. The functions are called from the run's threads, one job's in turn.
    using JobLogSink = ::JobLogSink;
    using LogOpener = ::LogOpener;
    void setLogOpener(LogOpener opener) { m_logOpener = std::move(opener); }

    void setCommandBuilder(CommandBuilder builder);
    const CommandBuilder &commandBuilder() const { return m_builder; }
    // How long a stopped encoder may take to end after SIGTERM before it is killed.
    void setStopGrace(int milliseconds) { m_stopGraceMs = milliseconds; }
    // The shell that runs each command ("/bin/bash").
    void setShellProgram(const QString &program) { m_shell = program; }

    static QString queueLabel();

signals:
    // A run of `count` jobs was queued; `sideBySide` when several of them run at once on this machine.
    void runStarted(int count, bool sideBySide);
    // The encoder of job `number` (1 for the run's first) is about to start on `fileName` (a saved list
    // marks it running).
    void jobStarted(const QUuid &id, int number, const QString &fileName);
    // A job with a quality target searches its constant quality value before it encodes (the value
    // chosen, `choice`, comes next).
    void jobSearching(const QUuid &id, int number, const QString &fileName);
    void jobQualityChosen(const QUuid &id, int number, const CrfChoice &choice);
    // The job's percentage, and the seconds left for it and for the whole run (negative while unknown; a
    // job side by side knows only the run's).
    void jobProgress(int number, double percent, double jobSecondsLeft, double runSecondsLeft);
    // The job's `result` is already set when this is emitted; also for a job that never started.
    void jobFinished(const QUuid &id, const JobResult &result, int number);
    // Every job has ended; `stopped` when the user stopped the run (Stop or Stop After This File).
    void runFinished(const RunTally &tally, bool stopped);
    // The run's encoders are held, or go on.
    void pausedChanged(bool paused);

private:
    struct Run;
    void finishJob(const MediaVideo::Ptr &job, const JobResult &result, int number);
    void finishRun();

    ToolRunner m_tools;
    CommandBuilder m_builder;
    LogOpener m_logOpener;
    QString m_shell = QStringLiteral("/bin/bash");
    int m_stopGraceMs = 3000;
    bool m_running = false;
    bool m_lastRunStopped = false;
    RunTally m_tally; // of the run going on
    std::shared_ptr<Run> m_run;
    SerialQueue *m_queue = nullptr;
};
