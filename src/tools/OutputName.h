#pragma once

#include <QString>

class MediaVideo;

// The output path from the chosen name template (stored index "formatFile"): the directory of the
// job's destination, the source's base name, short encoder names and the container's extension.
// Empty arguments take the job's own encoders and container.
QString outputName(const MediaVideo &job, const QString &videoCodec = {}, const QString &audioCodec = {},
                   const QString &extension = {});
// The same with the template index given instead of read from the store. Template 0 ("None") and
// indexes outside the list keep the job's destination unchanged.
QString outputNameWithTemplate(const MediaVideo &job, int templateIndex, const QString &videoCodec = {},
                               const QString &audioCodec = {}, const QString &extension = {});

// Destination of a newly imported source: into `directory` when it is not empty, otherwise beside the
// source; in both cases with the extension replaced by "mp4".
QString importDestination(const QString &source, const QString &directory = {});
