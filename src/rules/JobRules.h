#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class MediaVideo;
enum class Container;

// Rules the job editor applies to its choices, apart from any widget.

// One subtitle stream of the source chosen for the output: its probed line ("%ID% %Format%
// %Language%") and its position among the source's subtitle streams.
struct SubtitleStream
{
    QString line;
    int position = 0;
};
// The audio tracks the job keeps, by number from 1, in the source's order: its own choice when it has
// one, else what `audioTrack` says (0 or an index past the list: every track).
QList<int> chosenAudioTracks(const MediaVideo &job);

// Makes the job keep these tracks (numbers from 1, none, one or several): in `audioTrack` and
// `subtitleTrack` when those can say it (every track, one track, no subtitle), else as the job's choice.
void chooseAudioTracks(MediaVideo &job, const QList<int> &tracks);
void chooseSubtitleTracks(MediaVideo &job, const QList<int> &tracks);

// The source's subtitle stream lines, without "No subtitle" and the summary.
QStringList subtitleStreamLines(const MediaVideo &job);
// The numbers (from 1) of the subtitle streams chosen.
QList<int> chosenSubtitleTracks(const MediaVideo &job);
// The source streams the job's subtitleChoice, or else its subtitleTrack, chooses. The track list is [] or
// ["No subtitle", s1] or
// ["No subtitle", summary, s1, s2, ...]; the summary takes them all, and an index past the list none.
QList<SubtitleStream> chosenSubtitleStreams(const MediaVideo &job);

// A subtitle stream drawn as pictures (PGS, VobSub, DVB), which only Matroska holds.
bool isPictureSubtitle(const SubtitleStream &stream);
// The chosen stream drawn into the picture; none when the video is copied.
std::optional<SubtitleStream> burntSubtitle(const MediaVideo &job);

// The chosen subtitle streams that go into the output as streams, and those the container cannot hold
// (picture subtitles in MP4 or WebM), which are left out rather than refusing the job. The burnt
// stream is in neither.
struct SubtitlePlan
{
    QList<SubtitleStream> kept;
    QList<SubtitleStream> leftOut;
};
SubtitlePlan subtitlePlan(const MediaVideo &job);
// "2 picture subtitles cannot go into MP4: left out", or empty text.
QString leftOutNote(const MediaVideo &job);

// Whether the job's external subtitle file fits its container, and why not.
struct SubtitleCheck
{
    enum class Problem {
        None,
        PictureInMp4, // a picture subtitle file in MP4 or WebM, which hold only text subtitles
        MissingFile,  // the external subtitle file is not there
    };
    Problem problem = Problem::None;
    QString reason; // a sentence for the user; empty when it fits

    bool ok() const { return problem == Problem::None; }
};
// `fileExists` tells whether the external file is there; null asks the file system.
SubtitleCheck checkSubtitles(const MediaVideo &job,
                             const std::function<bool(const QString &path)> &fileExists = {});

// The container the job writes.
Container containerOf(const MediaVideo &job);
// What the source already is when its video codec and container are those the job would write
// ("H.264 in MP4"); empty when the conversion would change either, or the source was not probed.
QString sameFormatAs(const MediaVideo &job);

// The audio track lines the job encodes: every stream after the summary (entry 0) when audioTrack is 0,
// else the one chosen; none for a source without audio.
QStringList chosenAudioLines(const MediaVideo &job);

// The format mediainfo gives for a video track line ("%ID% %StreamOrder% %Format% ..."): "AVC",
// "MPEG Video", "FFV1 2.0 kb/s ..." (what follows the format is left on: callers compare the start).
QString trackFormat(const QString &trackLine);
// Why the job's container cannot hold the source's video as it is, for a job that copies it; empty
// when it can, or when the source's format is not known (ffmpeg then says).
QString videoCopyMisfit(const MediaVideo &job);
// Why the job's container cannot hold one of its streams as the job would write it (an encoder's
// output, or a source's stream copied as it is), naming the stream; empty when every stream fits.
// WebM holds VP9 and AV1 video (VP8 too, copied) and Opus or Vorbis audio; MP4 takes FLAC only in
// ffmpeg's experimental mode, so not here; Matroska holds everything.
QString containerMisfit(const MediaVideo &job);

// Position of a job's figure (bitrate, size, sampling rate) among a list's entries; the first entry
// ("Auto", "auto") when it is not listed.
int figureIndex(const QStringList &list, int figure);

// `path` with its last extension, if any, replaced by the extension of `container` ("mp4", "mkv").
QString withContainerExtension(const QString &path, int container);

// The destination the editor shows for its current choices: with a name template chosen
// (`formatFile` not 0), the template's name for the chosen encoders and container; otherwise `shown`
// with the container's extension (empty stays empty).
QString destinationPreview(const MediaVideo &job, int formatFile, const QString &shown,
                           const QString &videoCodec, const QString &audioCodec, int container);

// A destination typed by hand, as it is taken, or why it is refused (the previous one then stays).
struct TypedDestination
{
    enum class Refusal { None, Empty, MissingFolder };
    Refusal refusal = Refusal::None;
    QString path; // the destination taken; for MissingFolder the folder that is not there
};
// A bare name goes into the folder of the job's destination (or of its source), a folder takes the
// source's name, and the container's extension replaces the typed one.
TypedDestination typedDestination(const QString &typed, const MediaVideo &job, int container);
