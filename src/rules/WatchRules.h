#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The rules of a watched folder, without files or clocks: which names are never converted, when a file
// is complete, and what the record of earlier conversions says about a file found now.

// Why a file found below a watched folder is never taken, or nullopt when it may be. `relativePath` is
// the path below the watched folder ("trip/clip.mp4"): a hidden folder on the way hides the file too.
enum class NeverTaken { Hidden, Temporary, NotVideo };
std::optional<NeverTaken> neverTaken(const QString &relativePath);

// When a file seen unchanged (the same size and modification time) since `unchangedSinceMs` may be
// taken: once `settleMs` have gone by since then, or since its modification time when that is older
// (a file moved in whole keeps the time it was last written). Times in milliseconds since the epoch.
qint64 settledAtMs(qint64 unchangedSinceMs, qint64 modifiedMs, qint64 settleMs);

// A file the record holds: converted, refused or written by the watcher.
struct RecordedFile
{
    QString path;
    qint64 size = 0;
    qint64 modifiedMs = 0;
    QByteArray fingerprint;    // hex; of the content's ends and its size
    QString outcome;           // "converted", "refused", "failed", "output"
    QString output;            // the file written, for "converted"
    qint64 missingSinceMs = 0; // when its path was first found empty; 0 while the file is there

    bool operator==(const RecordedFile &) const = default;
};

// Whether an entry stays in the record, as its path is found now (`exists`): an entry whose file has been
// gone for `graceMs` goes, so the record does not grow for ever; one gone for less stays (its file may
// have been moved while nothing watched, and will be found at its new path) with the time it was first
// missed, and one found again forgets that time. Updates `entry`.
bool keepRecorded(RecordedFile &entry, bool exists, qint64 nowMs, qint64 graceMs);

// What the record says about a file found at `path` with this size and time.
struct RecordMatch
{
    enum class Kind {
        New,      // not in the record, or its content changed: convert it
        Same,     // the file recorded at this path, unchanged
        Moved,    // the content of a file recorded at another path
        NeedPrint // not recorded with this path, size and time: only the fingerprint can tell
    };
    Kind kind = Kind::New;
    int index = -1; // the entry matched, for Same and Moved
};
// `fingerprint` empty: decided on the path, size and time alone where they suffice (NeedPrint when they
// do not). With a fingerprint: a recorded fingerprint anywhere makes it Same (at its own path) or Moved;
// none makes it New.
RecordMatch matchRecord(const QList<RecordedFile> &record, const QString &path, qint64 size,
                        qint64 modifiedMs, const QByteArray &fingerprint = {});
