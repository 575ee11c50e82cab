#pragma once

#include <QList>
#include <QString>

class MediaVideo;

// Why a job as the editor leaves it cannot be taken: the field at fault and a short sentence for the
// user, shown beside that field.
struct DraftProblem
{
    enum class Field { Destination, Crop, SubtitleExternal };
    Field field = Field::Destination;
    QString message;

    bool operator==(const DraftProblem &) const = default;
};

// The problems of an edited job, in the order of the editor's rows; none when it can be taken as it is.
// The destination must be a whole path into a folder that is there and can be written to; a typed crop
// (the "manual" preset, on a video that is encoded) four whole numbers inside the picture; an external
// subtitle file a readable file the container can hold. Reads the file system for the destination's
// folder and the subtitle file, nothing else.
QList<DraftProblem> draftProblems(const MediaVideo &draft);
// The first problem of `field`, or an empty message.
QString draftProblem(const MediaVideo &draft, DraftProblem::Field field);
