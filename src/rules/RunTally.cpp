#include "rules/RunTally.h"

void RunTally::add(JobResult::Status status)
{
    switch (status) {
    case JobResult::Status::Succeeded:
        ++converted;
        break;
    case JobResult::Status::Incomplete:
        ++incomplete;
        break;
    case JobResult::Status::Failed:
        ++failed;
        break;
    case JobResult::Status::Stopped:
    case JobResult::Status::Interrupted:
        ++stopped;
        break;
    case JobResult::Status::NotRun:
    case JobResult::Status::None:
        ++notRun;
        break;
    }
}

RunTally tally(const QList<JobResult::Status> &results)
{
    RunTally counted;
    for (const JobResult::Status status : results)
        counted.add(status);
    return counted;
}

RunTally tally(const QList<MediaVideo::Ptr> &jobs)
{
    RunTally counted;
    for (const MediaVideo::Ptr &job : jobs)
        counted.add(job->result.status);
    return counted;
}

QList<MediaVideo::Ptr> pendingJobs(const QList<MediaVideo::Ptr> &jobs)
{
    QList<MediaVideo::Ptr> pending;
    for (const MediaVideo::Ptr &job : jobs)
        if (job->result.status != JobResult::Status::Succeeded)
            pending << job;
    return pending;
}

QList<MediaVideo::Ptr> retryableJobs(const QList<MediaVideo::Ptr> &jobs)
{
    QList<MediaVideo::Ptr> retryable;
    for (const MediaVideo::Ptr &job : jobs)
        if (job->result.isRetryable())
            retryable << job;
    return retryable;
}
