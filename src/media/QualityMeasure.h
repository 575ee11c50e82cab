#pragma once

#include "process/ToolRunner.h"

#include <QString>

#include <optional>

// How close a converted file is to its source, as ffmpeg's ssim and psnr filters measure it over every
// frame: SSIM from 0 to 1 (1: the same picture), PSNR in dB (higher is closer; nullopt when the pictures
// are identical, where ffmpeg says "inf").
struct QualityScore
{
    double ssim = 0;
    std::optional<double> psnr;
    QString error; // why the comparison could not be made; empty when it was

    bool ok() const { return error.isEmpty(); }
};

// Compares `output` with `source`. `sourceFilters` (an ffmpeg filter chain such as "yadif,crop=...") is
// applied to the source first, so that the picture the output was made from is compared; the source is
// then scaled to the output's size. Runs ffmpeg synchronously with `limit`: never on the user interface
// thread.
QualityScore measureQuality(const ToolRunner &tools, const QString &source, const QString &output,
                            const QString &sourceFilters, std::chrono::milliseconds limit);

// The same, with the source's video stream chosen (`sourceStream`, a stream specifier such as "v:0" or
// "1", the stream's index) and PSNR left out when `withPsnr` is false (it then stays nullopt and is not
// asked for): SSIM alone costs half as much.
struct QualityComparison
{
    QString source;
    QString output;
    QString sourceStream = QStringLiteral("v:0");
    QString sourceFilters;
    bool withPsnr = true;
    // Every frame (1), or one frame in this many on both sides: a search's samples are scored well
    // enough at a fraction of the cost.
    int everyNthFrame = 1;
};
QualityScore measureQuality(const ToolRunner &tools, const QualityComparison &comparison,
                            std::chrono::milliseconds limit);

// The scores of ffmpeg's ssim and psnr summary lines among `lines`.
QualityScore qualityFromLines(const QStringList &lines);
