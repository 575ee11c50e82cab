#pragma once

#include "model/MediaVideo.h"
#include "model/Vocabulary.h"

#include <QCommandLineParser>
#include <QString>

#include <optional>

class ToolRunner;

// Settings given on the command line. Each one set overrides the stored default for this run only.
struct CliSettings
{
    std::optional<QString> dest; // destination directory; without it, beside the source
    std::optional<int> container;
    std::optional<VideoEncoders> videoEncoder;
    std::optional<int> videoDebit;
    std::optional<VideoPresets> preset;
    std::optional<VideoProfiles> profile;
    std::optional<VideoTunes> tune;
    std::optional<int> width;
    std::optional<int> height;
    std::optional<QString> crop; // "none", "detect", "W:H:X:Y" or a preset name
    std::optional<bool> deinterlace;
    std::optional<bool> quicktime;
    std::optional<AudioEncoders> audioEncoder;
    std::optional<int> audioDebit;
    std::optional<int> audioSampling;
    std::optional<int> audioTrack;
    std::optional<int> videoTrack;
    std::optional<QString> subtitle;
    std::optional<QString> subtitleLanguage;
    std::optional<QString> params;
    std::optional<int> templateIndex;
};

void addSettingsOptions(QCommandLineParser &parser);
// Reads the settings options; on a bad value returns nullopt and sets `error` to one line.
std::optional<CliSettings> readSettings(const QCommandLineParser &parser, QString &error);

// Creates the job for `source` with the stored defaults, probes it and applies `settings`. Problems
// that concern this file only (unreadable, a track it does not have) are added to `warnings`.
MediaVideo::Ptr importJob(const QString &source, const CliSettings &settings, const ToolRunner &tools,
                          QStringList &warnings);
