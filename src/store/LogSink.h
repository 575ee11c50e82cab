#pragma once

#include <QString>

#include <functional>

class MediaVideo;

// Where a run writes one job's log: the file's path and how to add a line and close it.
struct JobLogSink
{
    QString path;
    std::function<void(const QString &line)> append;
    std::function<void()> close;
};
// Opens the log of a job as it starts; a sink without `append` writes nothing. Without an opener
// no log is kept.
using LogOpener = std::function<JobLogSink(const MediaVideo &job)>;
