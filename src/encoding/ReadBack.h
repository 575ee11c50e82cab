#pragma once

#include "process/ToolRunner.h"
#include "rules/JobOutcome.h"

#include <atomic>
#include <memory>

// Opens a finished output with ffmpeg, as a player would: whether it holds a stream, and how long it
// lasts. `shownName` replaces the file's path in ffmpeg's complaint. A stop ends it at once.
ReadBackFacts readBack(const ToolRunner &tools, const QString &path, const QString &shownName,
                       const std::shared_ptr<const std::atomic_bool> &stopRequested);
