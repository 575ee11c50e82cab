#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>

#include "watch/WatchedFolders.h"

class IntakeWorker;

// The window's watched folders at work: offers each complete video file that appears in them once, and
// keeps a record ("window-watch-record.json" in a data folder) of what became of every file offered, so
// that a restart, a pause or a move inside a folder offers nothing twice.
//
// The watching, the walks and the reading of fingerprints happen on a thread of the intake's own; the
// calls below return at once and its signals reach the thread that made it, in order. The thread ends
// with the intake.
class FolderIntake : public QObject
{
    Q_OBJECT
public:
    explicit FolderIntake(const QString &recordFolder, qint64 settleMs = 10000, QObject *parent = nullptr);
    ~FolderIntake() override;

    // Watches these folders, and only these, from now on, each through inotify or by looking through it
    // at its interval.
    void setFolders(const QList<WatchedFolder> &folders);
    // Records the video files complete in `folder` now as found there before it was watched: they are
    // never offered. Call before setFolders() names it.
    void skipPresent(const QString &folder);
    // What became of an offered file: "taken" into the list, or "refused"; or a file the list wrote
    // ("output"), never to be offered.
    void record(const QString &path, const QString &outcome);
    // An offered file was not taken after all (its folder was paused or removed, or the import was
    // stopped): it is offered again when found again.
    void release(const QString &path);

signals:
    // A complete video file in `folder` that the record does not hold.
    void arrived(const QString &folder, const QString &path);
    // Something about `folder` the user should know (empty folder: about the record); `watching` says
    // whether its new files are seen at all.
    void folderState(const QString &folder, const QString &message, bool watching);

private:
    QThread m_thread;
    IntakeWorker *m_worker;
};
