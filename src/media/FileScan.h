#pragma once

#include <QStringList>

// What a walk through a folder found.
struct VideoScan
{
    // Files whose extension is an accepted video extension in any letter case, as absolute paths in a
    // stable, human order (natural sort, so clip2 comes before clip10).
    QStringList files;
    // Video files, and folders holding video files, whose names are not UTF-8 and so cannot be opened
    // by any path this program can spell: absolute, shown with printableName() (/in/caf\xe9.mov), in
    // the same order. Callers list them to the user; nothing found is dropped without a word.
    QStringList unusable;
};

// Walks `directory` at any depth (hidden entries included, symbolic links to folders not followed).
VideoScan findVideoFiles(const QString &directory);

// Sorts paths the way a person reads them.
void sortNaturally(QStringList &paths);
