#pragma once

#include "model/MediaVideo.h"
#include "model/Preferences.h"
#include "model/Preset.h"
#include "model/Vocabulary.h"

#include <QCommandLineParser>
#include <QJsonObject>
#include <QString>

#include <cstdio>
#include <optional>

// Tracks of one kind asked for on the command line: every one, none, or these numbers (from 1).
struct TrackChoice
{
    bool all = false;
    QList<int> numbers; // empty and not `all`: none
};

// Settings given on the command line. Each one set overrides the stored default for this run only.
struct CliSettings
{
    std::optional<Preset> usePreset; // --use-preset: its settings first, the single settings given over them
    std::optional<QString> dest;     // destination directory; without it, beside the source
    std::optional<int> container;
    std::optional<VideoEncoders> videoEncoder;
    std::optional<int> videoDebit;
    std::optional<int> quality; // constant quality instead of a bitrate
    std::optional<int> qualityTarget; // an SSIM to meet, in ten-thousandths, instead of either
    std::optional<VideoPresets> preset;
    std::optional<VideoProfiles> profile;
    std::optional<VideoTunes> tune;
    std::optional<int> width;
    std::optional<int> height;
    bool fitWithin = false;      // width and height bound the picture: made smaller only
    std::optional<QString> crop; // "none", "detect", "W:H:X:Y" or a preset name
    std::optional<bool> deinterlace;
    bool deinterlaceAuto = false; // only when the source is interlaced
    std::optional<bool> quicktime;
    std::optional<AudioEncoders> audioEncoder;
    std::optional<int> audioDebit;
    std::optional<int> audioSampling;
    std::optional<AudioChannels> audioChannels;
    std::optional<HdrOutput> hdrOutput;
    std::optional<int> audioTrack;
    std::optional<int> videoTrack;
    std::optional<TrackChoice> audioTracks;
    std::optional<QString> audioLanguages;
    std::optional<TrackChoice> subtitleTracks;
    std::optional<QString> subtitleLanguages;
    std::optional<int> burnSubtitle;
    bool keepDate = false;
    std::optional<QString> subtitle;
    std::optional<QString> subtitleLanguage;
    std::optional<QString> params;
    std::optional<int> templateIndex;
    std::optional<Preferences::ExistingOutput> existing; // when an output's name is taken
    std::optional<bool> keepLarger;                      // keep a converted file larger than its source
    bool skipSameFormat = false; // leave out sources already in the job's video codec and container
    bool checkQuality = false;   // compare each output with its source
};

void addSettingsOptions(QCommandLineParser &parser);
// Reads the settings options; on a bad value returns nullopt and sets `error` to one line.
std::optional<CliSettings> readSettings(const QCommandLineParser &parser, QString &error);

// Why `path` cannot be probed as a source file (“no such file”, “is a directory”, ...), or empty text.
QString sourceProblem(const QString &path);
// `settings` with those given on the command line put in their place. Without a stored quality
// (`storedQuality` false) a chosen encoder brings its own first quality.
JobSettings jobSettingsFrom(const CliSettings &cli, JobSettings settings, bool storedQuality);
// The stored defaults with the command line's settings in their place: what new jobs take.
JobSettings newJobSettings(const CliSettings &cli);
// The settings new jobs take before the command line's: the stored defaults, or the preset chosen for
// new files (a warning on standard error when that preset cannot be used).
JobSettings storedNewJobSettings();
// The presets of this user, with the hardware presets resolved from the encoders' cached checks.
class PresetLibrary;
PresetLibrary presetLibrary();
// Applies `settings` to a job already probed from `source` (as a session import makes it, with
// jobSettingsFrom()). Problems that concern this file only (unreadable, an output that would replace it)
// are added to `warnings`; `source` is named in them as the user gave it. Returns why the job must not
// run (a track the source does not have: no other track stands in for it), or empty text.
QString applySettings(MediaVideo &job, const QString &source, const CliSettings &settings,
                      QStringList &warnings);

// Adds --help and --version and parses `arguments` (arguments[0] the program). Returns the exit status
// when the command is done already: 0 after help or version, 2 after an unknown option (one line on
// standard error naming `command`); nullopt to go on.
std::optional<int> parseArguments(QCommandLineParser &parser, const QStringList &arguments,
                                  const QString &command);

// Writes `line` and a newline as one write, flushed. `line` is written as it is: messages that hold
// names go through printableText() first.
void printLine(std::FILE *stream, const QString &line);

// Every field of the job under its own name; encoder options as their raw texts, the preview as
// {"width": W, "height": H} (0 and 0 without one).
QJsonObject jobToJson(const MediaVideo &job);
