#pragma once

#include "model/MediaVideo.h"
#include "model/Preset.h"

class ToolRunner;
struct ToolOutcome;

// "HH:mm:ss" of a duration in milliseconds, as a UTC clock time: a day or more wraps, fractions drop.
QString formatDuration(double milliseconds);

// Creates the job for `source`: `settings` (its output named after their template), then what
// `mediainfo` and `ffmpeg` tell about the file, its borders detected and its tracks chosen as the
// settings ask. Runs the tools synchronously: never call it on the user interface thread. A tool that
// fails (times out, crashes, cannot start) leaves its reason in the job's `probeError`.
MediaVideo::Ptr createMediaVideo(const QString &source, const QString &destination, const ToolRunner &tools,
                                 const JobSettings &settings);

// Keeps, of a probed job's tracks, those in the languages listed ("eng, fra"): for audio the first track
// stays when none is in them; for subtitles none then stays. An empty list changes nothing.
void chooseTracksByLanguage(MediaVideo &job, const QString &audioLanguages, const QString &subtitleLanguages);
// Gives a probed job the settings of `preset`, as a new job made with them would have them: its tracks
// chosen again by the preset's languages and audio policy, its output's extension that of the
// preset's container. What belongs to the source alone (crop, burnt or external subtitle) is kept.
void applyPresetToJob(MediaVideo &job, const Preset &preset);

// Why the probed `job` cannot be converted, or empty text when it can: every conversion needs a video
// stream, so a source in which mediainfo finds none (truncated, audio only, not media) gives no job.
// A tool that failed explains the missing stream better than the file does.
QString noVideoReason(const MediaVideo &job);

// The preview frame of `source` at `seekTime` as ffmpeg encoded it, in a folder of this call's own;
// empty when none could be made. Runs ffmpeg synchronously: never on the user interface thread.
QByteArray makePreviewImage(const ToolRunner &tools, const QString &source, const QString &seekTime);

// One question to mediainfo: a section ("General", "Video", ...) and an Inform template.
struct MediaInfoQuery
{
    QString section;
    QString templ; // without ';' (it ends a template in an Inform file)
};

// The answers to `queries` on `file` from one run of mediainfo: each exactly the text that
// ToolRunner::mediaInfoText(file, section, templ) gives. The Inform file is written into `workDir`.
// `outcome`, when given, tells how mediainfo ended.
QStringList mediaInfoTexts(const ToolRunner &tools, const QString &file, const QList<MediaInfoQuery> &queries,
                           const QString &workDir, ToolOutcome *outcome = nullptr);

// What createMediaVideo asks mediainfo, in this order: duration, the general summary, width, height,
// display and pixel aspect ratio, the video, audio and text stream lines, the two "Select" lines, the
// scan type, and the bit depth and high dynamic range facts of each video stream.
const QList<MediaInfoQuery> &probeQueries();
