#pragma once

#include "encoding/RunStatus.h"
#include "model/JobResult.h"
#include "model/MediaVideo.h"
#include "tools/ToolRunner.h"

#include <QList>
#include <QObject>
#include <QUuid>

// Converts a list of jobs strictly one after another on a background serial queue.
//
// Lives on the user interface thread. The run status is written through RunStatus::post, so the
// user interface sees every change in the order it was made.
class BatchEncoder : public QObject
{
    Q_OBJECT
public:
    explicit BatchEncoder(RunStatus *status, ToolRunner tools = ToolRunner(), QObject *parent = nullptr);
    ~BatchEncoder() override; // stops a run still going

    // Queues the whole run and returns at once; false (nothing queued) while a run is active.
    bool start(const QList<MediaVideo::Ptr> &jobs);
    // Ends the run now: the current encoder is ended, its partial output removed, the remaining jobs
    // are marked not run, and the end of the run is signalled as usual.
    void stop();
    bool isRunning() const { return m_running; }

signals:
    // On the user interface thread; the job's `result` is already set when this is emitted.
    void jobFinished(const QUuid &id, const JobResult &result);
    void runFinished();

private:
    RunStatus *m_status;
    ToolRunner m_tools;
    bool m_running = false;
};
