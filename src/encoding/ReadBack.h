#pragma once

#include "process/ToolRunner.h"
#include "rules/JobOutcome.h"

#include <atomic>
#include <memory>

// Opens a finished output with ffmpeg's libraries, as a player would: whether it holds a stream, and how
// long it lasts. `shownName` replaces the file's path in ffmpeg's complaint. A stop ends it at once.
//
// The helper tavrix-readback (in the tools' folder) does it; one is started on first use and kept for
// every later call in the program, from any thread, one call at a time. One that crashes, hangs past the
// crop detection's time limit or answers nonsense is killed, the call fails saying so, and the next call
// starts another. Without the helper, ffmpeg opens each file instead.
ReadBackFacts readBack(const ToolRunner &tools, const QString &path, const QString &shownName,
                       const std::shared_ptr<const std::atomic_bool> &stopRequested);

// Ends the helper, if one runs, and waits for it: its processor time then counts among the program's
// children's. The next read-back starts another.
void endReadBackHelper();
