#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

// A folder the window watches: its new video files join the job list with the settings it names.
struct WatchedFolder
{
    QString path;   // absolute
    QString preset; // the preset its files take; empty: the settings of new files
    bool paused = false;
    // Looked through every this many seconds instead of being told of changes (a network share, where
    // nothing tells of other machines' writes); 0: told.
    int pollSeconds = 0;

    bool operator==(const WatchedFolder &) const = default;
};

// The window's watched folders, kept with the saved job list.
struct WatchSetup
{
    QList<WatchedFolder> folders;
    // New files are converted as soon as they join the list.
    bool convertNewFiles = false;

    bool operator==(const WatchSetup &) const = default;

    QJsonObject toJson() const;
    // Forgiving: an entry without an absolute path, or named twice, is left out.
    static WatchSetup fromJson(const QJsonObject &object);

    int indexOf(const QString &path) const;
};
