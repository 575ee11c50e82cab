#pragma once

#include <QString>

#include <functional>

class MediaVideo;

// The output path from a name template (an index into Lists::nameTemplates()): the directory of the
// job's destination, the source's base name, short encoder names and the container's extension. Empty
// arguments take the job's own encoders and container. Template 0 ("None") and indexes outside the
// list keep the job's destination unchanged.
QString outputNameWithTemplate(const MediaVideo &job, int templateIndex, const QString &videoCodec = {},
                               const QString &audioCodec = {}, const QString &extension = {});

// Destination of a newly imported source: into `directory` when it is not empty, otherwise beside the
// source; in both cases with the extension replaced by "mp4".
QString importDestination(const QString &source, const QString &directory = {});
// The job's destination once the destination folder becomes `directory`: the same file name (the
// template's when `templateIndex` is not 0) in that folder, or beside the source when it is empty.
QString movedDestination(const MediaVideo &job, const QString &directory, int templateIndex);

// `path` with "-N" before its last extension: clip.mp4 -> clip-1.mp4, a.b.mkv -> a.b-1.mkv, name -> name-1.
// A dot that starts the file name or sits in a directory name is not an extension.
QString numberedName(const QString &path, int number);
// `path` itself when `taken` says it is free, else the first free numberedName(path, 1, 2, ...); empty
// when the first 9999 are all taken.
QString freeName(const QString &path, const std::function<bool(const QString &path)> &taken);
