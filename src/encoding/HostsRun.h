#pragma once

#include "encoding/PreparedJob.h"
#include "process/ToolProcess.h"
#include "process/ToolRunner.h"
#include "rules/JobOutcome.h"

#include <QList>

#include <atomic>
#include <functional>
#include <memory>

// A run handed whole to GNU parallel: it picks a host for each job, sends the source there, runs the
// command and brings the output back into the job's own temporary folder; the run then checks and names
// it exactly as after a local run.
struct HostsRun
{
    ToolRunner tools;
    QString parallelProgram;
    QString hostsFile;
    int jobsPerHost = 0; // 0: as each host's line or its cores say
    int stopGraceMs = 3000;
    QList<double> durations; // seconds of each source by job number - 1, negative when unknown
    std::shared_ptr<std::atomic_bool> stopFlag;
    std::shared_ptr<ToolProcess::PauseControl> pause;
    LogOpener openLog;
    // GNU parallel is running (or no longer): a stop or a pause reaches it.
    std::function<void(ToolProcess *)> started;
    std::function<void(ToolProcess *)> ended;
    // The job ends without running, or without output, for `reason`.
    std::function<void(PreparedJob &, const ResultReason &reason, JobResult::Status)> fail;
    // The job's encoder ended as `outcome` says, its output (if any) back in its folder.
    std::function<void(PreparedJob &, const ProcessOutcome &outcome)> conclude;

    void run(QList<PreparedJob> prepared) const;
};
