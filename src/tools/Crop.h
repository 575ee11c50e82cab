#pragma once

#include <QString>

class ToolRunner;

// Crop strings are "W:H:X:Y": width, height, x and y offsets of the kept rectangle.

// Writes one frame from `seekTime` of `source` to `imagePath` with square pixels; returns `imagePath`
// when a file exists there afterwards, otherwise empty text.
QString extractPreviewFrame(const ToolRunner &tools, const QString &source, const QString &imagePath,
                            const QString &seekTime);
// Runs the encoder's black-border detection on three seconds from `seekTime`; returns the last
// "crop=..." text it reported, or empty text.
QString detectCrop(const ToolRunner &tools, const QString &source, const QString &seekTime);

QString cropKeepWidth(double width, double height, double ratio, double factor);
QString cropByWidthRatio(double width, double height, double ratio, double factor);
QString cropKeepHeight(double width, double height, double ratio, double factor);
