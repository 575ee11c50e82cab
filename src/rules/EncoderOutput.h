#pragma once

#include "process/LineSplitter.h" // the encoder's output reaches the parser line by line

#include <QString>
#include <QStringList>

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

// A line of ffmpeg's running report ("frame=  120 fps= 30 ... time=00:00:04.80 ...").
bool isProgressLine(const QString &line);

// Why ffmpeg failed, from its diagnostic output in order: the line that names the error, not the
// statistics the encoders print when they close, nor the closing "Conversion failed!". A system error
// (no space left, permission denied, ...) wins; otherwise the first line of the last run of error
// lines, which names the cause before ffmpeg's generic follow-ups. The "[libx264 @ 0x55d1...]" prefix
// becomes "libx264: ". Without any error line, the last line that is not progress; empty for none.
QString failureLine(const QStringList &lines);
// The line saying that writing the output failed, or empty. ffmpeg 5 exits with status 0 when it
// cannot write a Matroska trailer for want of space, so the status alone does not tell.
QString writeFailureLine(const QStringList &lines);

// The line in which an encoder says that it could not take one of its options and went on without it
// (SVT-AV1: "[libsvtav1 @ 0x...] Error parsing option foo: bar." for "-svtav1-params foo=bar"; x264 and
// x265 alike for their -x264-params and -x265-params), with its "[libsvtav1 @ 0x...]" prefix made
// "libsvtav1: "; empty when there is none. ffmpeg then exits with status 0 and an output made otherwise
// than asked (x264 given "crf=abc" encodes losslessly).
QString ignoredOptionLine(const QString &line);

// Seconds of a time as ffmpeg's options take it: "[-][HH:]MM:SS[.m...]" or "[-]S[.m...]" with an
// optional unit "s", "ms" or "us"; nothing for anything else.
std::optional<double> readOptionTime(const QString &text);

// The first "Duration:" of ffmpeg's description of its inputs, in seconds (the first input's length);
// nothing when there is none or it reads "N/A".
std::optional<double> firstDuration(const QStringList &lines);

// How long a job's output should last: the source's `sourceSeconds` cut by the -ss, -sseof, -t and -to
// among the words of its extra parameters (the smallest window they can mean). Nothing when the words
// change the length in a way not worked out here (filters, frame or size limits, -shortest) or a
// time cannot be read: the output is then not judged by its length.
std::optional<double> expectedOutputSeconds(double sourceSeconds, const QStringList &parameterWords);

// An output of `outputSeconds` misses part of what it should hold: shorter than `expectedSeconds` by
// more than 2 % and more than one second (container rounding and a few lost frames stay within that).
bool fallsShort(double outputSeconds, double expectedSeconds);

// The line in which ffmpeg says that its input is damaged or cut short ("partial file", a decoding
// error), without the "[mov,mp4 @ 0x...]" prefix; a "partial file" line wins over decoding errors.
// Empty when there is none.
QString damagedInputLine(const QStringList &lines);
