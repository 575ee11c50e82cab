#pragma once

#include "model/MediaVideo.h"

class ToolRunner;

// "HH:mm:ss" of a duration in milliseconds, as a UTC clock time: a day or more wraps, fractions drop.
QString formatDuration(double milliseconds);

// Creates the job for `source`: start values, then the stored preferences, then what `mediainfo` and
// `ffmpeg` tell about the file. Runs the tools synchronously: never call it on the user interface thread.
MediaVideo::Ptr createMediaVideo(const QString &source, const QString &destination, const ToolRunner &tools);
