#pragma once

#include "model/JobResult.h"
#include "model/MediaVideo.h"

#include <QList>

// How the jobs of a run ended, counted once for every front end: the window's summary, the command
// line's and the desktop notification.
struct RunTally
{
    int converted = 0;  // succeeded
    int incomplete = 0; // converted, but shorter than the source
    int failed = 0;
    int stopped = 0; // stopped by the user while they ran, or interrupted by the program's end
    int notRun = 0;  // refused, or never reached

    int total() const { return converted + incomplete + failed + stopped + notRun; }
    bool allConverted() const { return converted == total(); }
    void add(JobResult::Status status);
};

RunTally tally(const QList<JobResult::Status> &results);
RunTally tally(const QList<MediaVideo::Ptr> &jobs);

// The jobs Encoding converts: every one that has not succeeded, in list order.
QList<MediaVideo::Ptr> pendingJobs(const QList<MediaVideo::Ptr> &jobs);
// The jobs Retry Failed converts again: failed, stopped, interrupted or incomplete, in list order.
QList<MediaVideo::Ptr> retryableJobs(const QList<MediaVideo::Ptr> &jobs);
