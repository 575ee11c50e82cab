#pragma once

#include <QString>

class MediaVideo;
class ToolRunner;

// The encoder command of one job, or why there is none.
struct CommandLine
{
    QString text;  // one shell command, beginning with the quoted ffmpeg path
    QString error; // set when the job cannot be encoded (missing tool, no video stream, ...)

    bool ok() const { return error.isEmpty(); }
};

// What to do with a "-1" crop (detect the borders when encoding).
enum class CropDetection {
    Run,      // run the detection now and use its crop (for the encoder)
    Describe, // write a readable placeholder instead and start no process (for showing the command)
};

// Builds the shell command that converts `job`. With CropDetection::Run a "-1" crop runs ffmpeg first,
// so that form is not for the user interface thread.
CommandLine commandLine(const MediaVideo &job, const ToolRunner &tools, CropDetection crop = CropDetection::Run);
