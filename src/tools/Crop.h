#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

class ToolRunner;
struct ToolOutcome;

// Crop strings are "W:H:X:Y": width, height, x and y offsets of the kept rectangle.

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
// The crop text of one piece of detection output: from the last "crop=W:H:X:Y" that ends a line of it,
// e.g. "crop=1920:816:0:132"; empty when there is none.
QString cropReportIn(const QString &output);

QString cropKeepWidth(double width, double height, double ratio, double factor);
QString cropByWidthRatio(double width, double height, double ratio, double factor);
QString cropKeepHeight(double width, double height, double ratio, double factor);

// True for exactly four whole numbers of 0 or more joined by colons.
bool isCropString(const QString &text);
// The rectangle of a crop string of four integers (a typed crop may hold a negative width); nullopt for
// anything else.
std::optional<QRect> cropRect(const QString &text);
// The first W:H:X:Y group of whole numbers found anywhere in `text`, or empty text.
QString findCropString(const QString &text);

// The multiple the detector rounds its sizes to (cropdetect's "round", 16 in the detection command).
inline constexpr int DetectionRounding = 16;
// A detected crop string measured against the source picture: on an axis where it falls short of the
// whole picture by less than DetectionRounding pixels there is no border, only the detector's rounding,
// and the whole picture is kept on that axis (1920:1072:0:4 on 1920x1080 gives 1920:1080:0:0; a real
// letterbox, 1920:816:0:132, stays). Anything else, or an unknown picture size, is returned unchanged.
QString withoutRoundingBorders(const QString &crop, int pictureWidth, int pictureHeight);
