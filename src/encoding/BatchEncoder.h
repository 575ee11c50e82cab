#pragma once

#include "encoding/RunStatus.h"
#include "model/JobResult.h"
#include "model/MediaVideo.h"
#include "tools/CommandLine.h"
#include "tools/ToolRunner.h"

#include <QList>
#include <QObject>
#include <QUuid>

#include <functional>
#include <memory>

class SerialQueue;

// Converts a list of jobs strictly one after another on a background serial queue.
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
    // Ends the run now: the current encoder is ended, its partial output removed, the remaining jobs
    // are marked not run, and the end of the run is signalled as usual.
    void stop();
    bool isRunning() const { return m_running; }

    void setCommandBuilder(CommandBuilder builder);
    // How long a stopped encoder may take to end after SIGTERM before it is killed.
    void setStopGrace(int milliseconds) { m_stopGraceMs = milliseconds; }
    // The shell that runs each command ("/bin/bash").
    void setShellProgram(const QString &program) { m_shell = program; }

    static QString queueLabel();

signals:
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
    bool m_running = false;
    std::shared_ptr<Run> m_run;
    SerialQueue *m_queue = nullptr;
};
