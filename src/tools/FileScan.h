#pragma once

#include <QStringList>

// Files below `directory`, at any depth, whose extension is an accepted video extension in any letter
// case, as absolute paths in a stable, human order (natural sort, so clip2 comes before clip10).
QStringList findVideoFiles(const QString &directory);

// Sorts paths the way a person reads them.
void sortNaturally(QStringList &paths);
