#pragma once

#include "rules/WatchRules.h"

#include <QList>
#include <QString>

#include <optional>

// Every file a folder watcher converted, refused, failed on or wrote, kept in "watch-record.json" in a
// data folder, so that a restart, a rescan or a move inside the watched folder converts nothing twice.
//
// Written whole (QSaveFile) after each change. A file that cannot be read as a record is moved aside as
// "watch-record.json.bad" (or ".2.bad", ...) and the record starts empty; load() says so.
class WatchRecord
{
public:
    static constexpr int Version = 1;

    // The window keeps a record of its own ("window-watch-record.json"), apart from tavrix-cli's.
    explicit WatchRecord(QString directory, QString fileName = QStringLiteral("watch-record.json"));

    QString path() const;
    const QList<RecordedFile> &files() const { return m_files; }

    // Reads the record; returns what the user must be told (a record kept aside), or empty text.
    QString load();
    // Writes the record; returns why it could not be written, or empty text.
    QString save() const;

    // Forgets the files gone for `graceMs` (30 days by default), noting when the others went missing;
    // returns whether anything changed.
    bool prune(qint64 nowMs, qint64 graceMs = qint64(30) * 24 * 3600 * 1000);

    // Adds `file`, or puts it in place of the entry for the same path.
    void put(const RecordedFile &file);
    // The entry `index` now describes the same content at `path`.
    void move(int index, const QString &path, qint64 size, qint64 modifiedMs);
    RecordMatch match(const QString &path, qint64 size, qint64 modifiedMs, const QByteArray &print = {}) const
    {
        return matchRecord(m_files, path, size, modifiedMs, print);
    }

    // What the record says of a file as it is now.
    struct Found
    {
        RecordMatch::Kind kind = RecordMatch::Kind::New; // New, Same or Moved
        RecordedFile now;                                // what would be recorded of the file
        RecordedFile before;                             // the entry matched, as it was, for Same and Moved
        bool changed = false;                            // the entry took the file's new path, size or time
    };
    // Looks up the file at `path` as it is now: its size and time, and its fingerprint when they do not
    // settle it. A recorded file found moved or touched takes its new path, size and time in the record.
    // Returns nullopt when the file cannot be read.
    std::optional<Found> lookUp(const QString &path);
    // Records `file` with this outcome (and output), fingerprinting it when it is not yet; false when it
    // cannot be read.
    bool record(RecordedFile file, const QString &outcome, const QString &output = {});

    // The size and time of a file now; false when it is not there.
    static bool stat(const QString &path, qint64 &size, qint64 &modifiedMs);
    // The fingerprint of a file: SHA-256 over its size and its first and last MiB, in hex; empty when it
    // cannot be read.
    static QByteArray fingerprint(const QString &path);

private:
    QString m_directory;
    QString m_fileName;
    QList<RecordedFile> m_files;
};
