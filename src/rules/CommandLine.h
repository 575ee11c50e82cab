#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class MediaVideo;
enum class VideoEncoders;
enum class VideoProfiles;
enum class VideoTunes;

// The encoder command of one job, or why there is none.
struct CommandLine
{
    QString text;  // one shell command, beginning with the quoted ffmpeg path
    QString error; // set when the job cannot be encoded (missing tool, no video stream, ...)
    // What the output is measured against: the source's video stream ("0:1") and the filters its
    // picture goes through before it is sized (deinterlacing, square pixels, the crop, tone mapping).
    QString sourceVideo;
    QString comparedFilters;

    bool ok() const { return error.isEmpty(); }
};

// What to do with a "-1" crop (detect the borders when encoding).
enum class CropDetection {
    Run,      // run the detection now and use its crop (for the encoder)
    Describe, // a readable placeholder instead, no process started and nothing written to stdout
              // (for showing the command)
};

// What ffmpeg does with an output name that exists. The command shown to the user replaces it (-y), as
// one run by hand would; the run's never does (-n): it writes into a new folder of its own, so the only
// outputs that can exist are those named in the extra parameters, and a user's file is never replaced
// through them.
enum class ExistingFiles { Replace, Keep };

// Everything the command depends on besides the job: the tools, the global extra parameters, the
// crop detection and the file system.
struct CommandContext
{
    QString ffmpegPath;
    QString globalParams;                                // placed before the input
    std::function<QString()> detectCrop;                 // for a "-1" crop: "crop=W:H:X:Y" or anything else
    std::function<bool(const QString &path)> fileExists; // for the external subtitle; null = the file system
    bool writeDiagnostics = true; // the "Encode audioTrack" lines; off when the command is only shown
    QString vaapiDevice;          // the render node for VAAPI encoders
    // Why an encoder cannot be used, or empty text; null = every encoder can.
    std::function<QString(const QString &encoder)> unavailableReason;
    // Keep writes -n, and a -y among the extra parameters is left out (ffmpeg lets -y win over -n).
    ExistingFiles existingFiles = ExistingFiles::Replace;
};
CommandLine buildCommandLine(const MediaVideo &job, const CommandContext &context);

// The options that choose the video rate: "-b:v 1000k ", "-crf 23 ", ... (empty for an automatic
// bitrate); nullopt when the encoder has no constant quality mode.
std::optional<QString> videoRateOptions(const MediaVideo &job);

// The profile word written for the encoder (VAAPI's "constrained_baseline" for baseline), or empty when
// the encoder takes no such profile: the pickers offer only these.
QString profileWord(VideoEncoders encoder, VideoProfiles profile);
// Whether the encoder takes the tune (Auto is no tune: false).
bool takesTune(VideoEncoders encoder, VideoTunes tune);

// The crop element written for a "-1" crop by CropDetection::Describe.
inline constexpr const char DetectedCropPlaceholder[] = "crop=<detected-when-encoding>";

// Extra parameters typed by the user, split into words as a POSIX shell would ('single', "double"
// quotes and backslashes), so that each word can be quoted on its own and nothing in them runs.
QStringList splitParameters(const QString &text);
// The words again as shell text: plain words stay as typed, others go through shellQuote.
QString joinParameters(const QStringList &words);

// Stream address of a track description line: "0:1" from a "0-1" in it ("0:11" from "0-11"), else "0:N"
// from its second word (the stream order) when that is a whole number, else empty.
QString streamAddress(const QString &trackLine);
