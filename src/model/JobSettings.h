#pragma once

#include "model/Vocabulary.h"

#include <QList>
#include <QString>

#include <optional>

// What a run does when a job's destination already exists. The stored index keeps its meaning.
enum class ExistingOutput { Rename = 0, Skip = 1, Overwrite = 2 };

// Every choice a user makes for a job, apart from its source and destination: made by the stored
// defaults, the command line's settings and the editor, and handed to the rules as a value. A job
// (MediaVideo) is its source, what probing found, these settings and its result.
struct JobSettings
{
    int container = 1;            // index into Lists::containers()
    bool deInterlace = true;      // always deinterlace
    bool deInterlaceAuto = false; // deinterlace when the source is interlaced
    bool isQuicktime = true;
    VideoEncoders videoEncoder = VideoEncoders::libx265;
    int videoDebit = 1000; // kbit/s, 0 = automatic
    VideoRate videoRate = VideoRate::Bitrate;
    int videoQuality = Lists::defaultVideoQuality; // used with VideoRate::Quality, lower is better
    // With VideoRate::Target, the SSIM the output must keep, in ten-thousandths (9850: 0.985).
    int qualityTarget = Lists::defaultQualityTarget;
    int width = -2;                                // pixels, -2 = automatic
    int height = -2;
    // With fitWithin, width and height are the most the picture may measure (-2: no bound on that
    // side): a larger picture is made smaller with its shape kept, a smaller one is left as it is.
    bool fitWithin = false;
    QString videoCrop; // empty = none, "-1" = detect when encoding, else "W:H:X:Y"
    int cropValue = 0; // index into the crop presets
    VideoProfiles videoProfile = VideoProfiles::Auto;
    VideoPresets videoPreset = VideoPresets::Auto;
    VideoTunes videoTune = VideoTunes::Auto;
    AudioEncoders audioEncoder = AudioEncoders::aac;
    int audioDebit = 160;      // kbit/s, 0 = automatic
    int audioSampling = 44100; // Hz, 0 = automatic
    AudioChannels audioChannels = AudioChannels::Stereo;
    HdrOutput hdrOutput = HdrOutput::Keep;
    bool keepDate = false; // the output gets the source's modification time

    // The tracks kept: a line of the probed track lists (0 = every stream for audio), or, for audio and
    // subtitles, the tracks chosen one by one by number from 1 in the source's order (nullopt leaves
    // the choice to the line).
    int videoTrack = 0;
    int audioTrack = 0;
    int subtitleTrack = 0;
    std::optional<QList<int>> audioChoice;
    std::optional<QList<int>> subtitleChoice;
    int subtitleBurn = 0; // the subtitle track drawn into the picture, by number from 1; 0 = none
    QString subtitleExternal;
    QString subtitleLanguage = QStringLiteral("fre");
    QString otherParam; // the job's own extra ffmpeg parameters

    // How a new job is made from these settings: its borders detected, its tracks chosen by language
    // ("eng, fra": empty keeps the first audio track and every subtitle track), its output named after
    // a template (an index into Lists::nameTemplates(); 0 keeps the name given).
    bool autoCrop = false;
    QString audioLanguages;
    QString subtitleLanguages;
    int nameTemplate = 0;
    // New jobs keep every audio track of the source (when no language picks them), not the first only.
    bool keepAllAudio = false;

    // The preset these settings were taken from; empty when none.
    QString preset;
};
