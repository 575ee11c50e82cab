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

// Builds the shell command that converts `job`. May run crop detection (a "-1" crop), so it is not for
// the user interface thread.
CommandLine commandLine(const MediaVideo &job, const ToolRunner &tools);
