#pragma once

#include "tools/LineSplitter.h" // the encoder's output reaches the parser line by line

#include <QString>

#include <optional>

// What one piece of the encoder's diagnostic output says.
struct EncoderOutput
{
    std::optional<QString> duration;    // the source duration text of a "Duration:" line
    std::optional<double> percentValue; // frames done over the frame count, times 100
};

// Reads one piece of ffmpeg's standard error. A piece with "Duration:" gives only the duration text;
// otherwise the frame number between the first "frame=" and the "fps=" after it gives the percentage,
// over `frameCount` when the job has one and over the frame number itself when it has none.
EncoderOutput parseEncoderOutput(const QString &chunk, std::optional<double> frameCount);

// A decimal number filling the whole text (no blank before or after, no trailing text), or nothing.
std::optional<double> readWholeNumber(const QString &text);
// Seconds of a clock text "HH:MM:SS" or "HH:MM:SS.ss", or nothing.
std::optional<double> readClock(const QString &text);

// The fields of one ffmpeg progress line used to estimate the time left.
struct ProgressFields
{
    std::optional<double> frame;
    std::optional<double> fps;   // frames encoded per second, averaged over the job
    std::optional<double> speed; // seconds of source encoded per second ("speed=2.5x")
    std::optional<double> time;  // seconds of source done
};
ProgressFields readProgressFields(const QString &line);

// Seconds left, negative while unknown.
struct TimeLeft
{
    double job = -1;
    double run = -1;
};
// `durationSeconds` is the current source's length; `laterSeconds` the length of the jobs after it
// (negative when one of them is unknown). Later jobs are assumed to go at the speed measured now.
TimeLeft estimateTimeLeft(const ProgressFields &progress, std::optional<double> frameCount,
                          std::optional<double> durationSeconds, double laterSeconds);
