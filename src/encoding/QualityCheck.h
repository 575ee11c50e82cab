#pragma once

#include "model/QualityReport.h"
#include "process/ToolRunner.h"
#include "rules/CommandLine.h"

#include <atomic>
#include <memory>

// Compares a converted file with its source as the job's command saw it (the same video stream,
// deinterlacing, crop and tone mapping; the source sized to the output), by SSIM and PSNR over every
// frame, within a limit that grows with the film's length. A stop ends it at once. Runs synchronously:
// never on the user interface thread.
QualityReport checkQuality(const ToolRunner &tools, const QString &source, const QString &output,
                           const CommandLine &command, double sourceSeconds,
                           std::shared_ptr<const std::atomic_bool> stop);
