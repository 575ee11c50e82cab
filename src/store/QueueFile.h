#pragma once

#include "model/MediaVideo.h"
#include "watch/WatchedFolders.h"

#include <QJsonObject>
#include <QList>
#include <QSet>
#include <QString>
#include <QUuid>

// The per-user data folder shared by the application and tavrix-cli: ~/.local/share/Tavrix. It does not
// follow the application name, which differs between the two front ends.
QString defaultDataFolder();

// The job list kept between runs of the program: "queue.json" in a data folder.
//
// The file holds every field of each job that editing and encoding need, the probed facts included, so
// a restored job needs no new probe. Preview pictures are left out: they are made again later. Writes
// are atomic (QSaveFile): a crash or a kill at any moment leaves either the old or the new list.
// Neither call touches the jobs given or the list in memory.
//
// Loading is forgiving about what the user cannot fix and strict about what it cannot trust: unknown
// fields are ignored and out-of-range choices read as their defaults, but a file that is not valid
// JSON, holds a field of the wrong type or a relative source or destination, or comes from a newer
// version is moved aside as
// "queue.json.bad" (or "queue.json.2.bad", ... when that exists) and the list starts empty, so that the
// next save cannot overwrite what the user might want to recover. Anything but a regular file (or a
// link to one) at the list's path is never opened, moved or replaced: loading says so and saving fails.
//
// The object only knows its folder; calls from several threads must not overlap (one writer at a time
// across processes is QueueLock's business).
class QueueFile
{
public:
    static constexpr int Version = 1;

    explicit QueueFile(QString directory);

    QString directory() const { return m_directory; }
    QString path() const; // directory/queue.json

    struct SaveResult
    {
        QString error; // one line for the user; empty on success
        bool ok() const { return error.isEmpty(); }
    };
    // Writes `jobs` in their order, creating the folder when needed. The jobs whose ids are in `running`
    // are marked as being converted; they load as Interrupted. The watched folders are kept with them.
    SaveResult save(const QList<MediaVideo::Ptr> &jobs, const QSet<QUuid> &running = {},
                    const WatchSetup &watch = {}) const;

    struct LoadResult
    {
        QList<MediaVideo::Ptr> jobs;
        WatchSetup watch;
        QString message;   // one line for the user when the saved list could not be used; else empty
        QString keptAside; // where the unusable file now is; empty when nothing was moved
    };
    // The saved list, or an empty one when there is none yet. Never starts a job.
    LoadResult load() const;

    // One job as the file holds it (also what a front end may print for a job).
    static QJsonObject jobToJson(const MediaVideo &job, bool running = false);
    // The job `object` describes, or null with `error` set when a field has the wrong type.
    static MediaVideo::Ptr jobFromJson(const QJsonObject &object, QString &error);

private:
    QString keepAside() const;

    QString m_directory;
};
