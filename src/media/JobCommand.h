#pragma once

#include "rules/CommandLine.h"

class EncoderCatalog;
class MediaVideo;
class ToolRunner;

// Builds the shell command that converts `job`. With CropDetection::Run a "-1" crop runs ffmpeg first,
// so that form is not for the user interface thread. With a catalog, a job whose encoder the catalog
// found unusable gets no command but the catalog's reason.
CommandLine commandLine(const MediaVideo &job, const ToolRunner &tools, const QString &globalParams,
                        CropDetection crop = CropDetection::Run, const EncoderCatalog *catalog = nullptr,
                        ExistingFiles existing = ExistingFiles::Replace);
