#pragma once

#include <QString>
#include <QStringList>

class ToolRunner;
struct ToolOutcome;

// The preview frame and black-border detection, each one bounded ffmpeg run.

// Writes one frame from `seekTime` of `source` to `imagePath` with square pixels; returns `imagePath`
// when a file exists there afterwards, otherwise empty text. `outcome`, when given, tells how ffmpeg ended.
QString extractPreviewFrame(const ToolRunner &tools, const QString &source, const QString &imagePath,
                            const QString &seekTime, ToolOutcome *outcome = nullptr);
// Runs the encoder's black-border detection on three seconds from `seekTime` (from the start when it is
// empty); returns the last "crop=W:H:X:Y" the filter reported, or empty text.
QString detectCrop(const ToolRunner &tools, const QString &source, const QString &seekTime,
                   ToolOutcome *outcome = nullptr);

// The ffmpeg arguments of the two operations above, as they are run (directly, without a shell).
QStringList previewFrameArguments(const QString &source, const QString &imagePath, const QString &seekTime);
QStringList cropDetectionArguments(const QString &source, const QString &seekTime);
