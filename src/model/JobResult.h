#pragma once

#include "model/QualityReport.h"
#include "model/ResultReason.h"

#include <QList>
#include <QMetaType>
#include <QString>

// Outcome of a job's last encoding run.
struct JobResult
{
    enum class Status {
        None,      // never run
        Succeeded, // the encoder exited with status 0
        Failed,    // the encoder could not start, crashed or exited non-zero
        NotRun,    // refused before starting (see reason)
        Stopped,   // stopped by the user while it ran
        // Was running when the program ended (crash, power cut); restored from the saved list, never
        // started again by itself.
        Interrupted,
        // ffmpeg ended without error but the output is shorter than the source (a damaged or truncated
        // source); the output is kept, since it is what could be saved.
        Incomplete,
    };

    Status status = Status::None;
    int exitCode = 0; // meaningful for Failed
    // Why, for the user: sentences worded when shown (reasonText()), e.g. why the job was not run, then
    // where its output went.
    QList<ResultReason> reason;
    QString outputTail; // last lines of the encoder's output, for Failed and Incomplete
    // Set when the output went to a free name because the destination's was taken: the file written
    // (e.g. /videos/clip-1.mp4) and why ("clip.mp4 exists").
    QString writtenPath;
    ResultReason renameCause;
    // The log of the run that gave this result (the encoder's whole output); empty without one.
    QString logPath;
    // The output compared with its source, when the run checked quality.
    QualityReport quality;
    // The constant quality value chosen for the job's quality target, when it had one.
    CrfChoice chosen;

    static QString statusText(Status status);
    // Converted again by Retry Failed: failed, stopped, interrupted or incomplete.
    bool isRetryable() const;
    QString text() const { return statusText(status); }
    // The reason in the current language, one line.
    QString reasonText() const { return ::reasonText(reason); }
    // "written to clip-1.mp4 (clip.mp4 exists)"; empty when the destination itself was written.
    ResultReason writtenNote() const;
};

Q_DECLARE_METATYPE(JobResult)
