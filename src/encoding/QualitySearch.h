#pragma once

#include "model/MediaVideo.h"
#include "model/QualityReport.h"
#include "process/ToolRunner.h"

#include <atomic>
#include <memory>

// How a search for a job's quality target went.
struct QualitySearchOutcome
{
    CrfChoice choice;     // valid once a value is chosen
    QString error;        // why none could be
    bool stopped = false; // a stop ended it
    // For a job that detects its borders when it encodes: the crop the samples were made with (empty:
    // none found), which the whole film must then use too.
    std::optional<QString> detectedCrop;
};

struct QualitySearchSetup
{
    ToolRunner tools;
    std::shared_ptr<const std::atomic_bool> stop;
    QString cacheFolder; // empty: the user's cache folder
    bool useCache = true;
};

// Chooses the constant quality value of a job with VideoRate::Target: a few stretches of the source are
// cut without re-encoding (the whole file when it is short), encoded side by side with the job's own
// video settings at each candidate value, and scored by SSIM against the same stretch; a bisection finds
// the highest value (smallest file) whose mean score meets the target. The answer is remembered by
// source and settings. Synchronous and long: on a worker, never on the user interface thread.
QualitySearchOutcome searchQuality(const MediaVideo &job, const QualitySearchSetup &setup);
