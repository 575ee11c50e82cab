#pragma once

#include "encoding/RunStatus.h"
#include "model/JobResult.h"
#include "model/MediaVideo.h"
#include "model/Preferences.h"
#include "tools/CommandLine.h"
#include "tools/ToolRunner.h"

#include <QList>
#include <QObject>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class SerialQueue;

// Converts a list of jobs strictly one after another on a background serial queue.
//
// A job writes into a temporary file of its own beside its output and gives it the output's name only
// once ffmpeg has written something it can read back, so a file the run did not create is never
// overwritten, truncated or deleted (Overwrite replaces the old file whole, on success only).
//
// Lives on the user interface thread. The run status is written through RunStatus::post, so the
// user interface sees every change in the order it was made. `status` must outlive the encoder.
class BatchEncoder : public QObject
{
    Q_OBJECT
public:
    // Builds the shell command of a job; commandLine() unless a test or benchmark gives its own.
    using CommandBuilder = std::function<CommandLine(const MediaVideo &, const ToolRunner &, CropDetection)>;

    explicit BatchEncoder(RunStatus *status, ToolRunner tools = ToolRunner(), QObject *parent = nullptr);
    ~BatchEncoder() override; // stops a run still going and waits for its end

    // Queues the whole run and returns at once; false (nothing queued) while a run is active.
    // The jobs must not be edited until runFinished (the user interface disables itself meanwhile).
    bool start(const QList<MediaVideo::Ptr> &jobs);
    // Ends the run now: the current encoder is ended, its unfinished output removed, the remaining jobs
    // are marked not run, and the end of the run is signalled as usual.
    void stop();
    bool isRunning() const { return m_running; }

    void setCommandBuilder(CommandBuilder builder);
    // What a job does when its output's name is taken. Without a call, each run follows the stored
    // preference as it is when the run starts.
    void setExistingOutput(Preferences::ExistingOutput policy) { m_existingOutput = policy; }
    // How long a stopped encoder may take to end after SIGTERM before it is killed.
    void setStopGrace(int milliseconds) { m_stopGraceMs = milliseconds; }
    // The shell that runs each command ("/bin/bash").
    void setShellProgram(const QString &program) { m_shell = program; }

    static QString queueLabel();

signals:
    // On the user interface thread: the job's encoder is about to start (a saved list marks it running).
    void jobStarted(const QUuid &id);
    // On the user interface thread; the job's `result` is already set when this is emitted.
    void jobFinished(const QUuid &id, const JobResult &result);
    void runFinished();

private:
    struct Run;
    void finishJob(const MediaVideo::Ptr &job, const JobResult &result);
    void finishRun();

    RunStatus *m_status;
    ToolRunner m_tools;
    CommandBuilder m_builder;
    QString m_shell = QStringLiteral("/bin/bash");
    int m_stopGraceMs = 3000;
    std::optional<Preferences::ExistingOutput> m_existingOutput;
    bool m_running = false;
    std::shared_ptr<Run> m_run;
    SerialQueue *m_queue = nullptr;
};
