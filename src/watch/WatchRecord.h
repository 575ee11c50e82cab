#pragma once

#include "rules/WatchRules.h"

#include <QList>
#include <QString>

// Every file a folder watcher converted, refused, failed on or wrote, kept in "watch-record.json" in a
// data folder, so that a restart, a rescan or a move inside the watched folder converts nothing twice.
//
// Written whole (QSaveFile) after each change. A file that cannot be read as a record is moved aside as
// "watch-record.json.bad" (or ".2.bad", ...) and the record starts empty; load() says so.
class WatchRecord
{
public:
    static constexpr int Version = 1;

    explicit WatchRecord(QString directory);

    QString path() const;
    const QList<RecordedFile> &files() const { return m_files; }

    // Reads the record; returns what the user must be told (a record kept aside), or empty text.
    QString load();
    // Writes the record; returns why it could not be written, or empty text.
    QString save() const;

    // Adds `file`, or puts it in place of the entry for the same path.
    void put(const RecordedFile &file);
    // The entry `index` now describes the same content at `path`.
    void move(int index, const QString &path, qint64 size, qint64 modifiedMs);
    RecordMatch match(const QString &path, qint64 size, qint64 modifiedMs, const QByteArray &print = {}) const
    {
        return matchRecord(m_files, path, size, modifiedMs, print);
    }

    // The fingerprint of a file: SHA-256 over its size and its first and last MiB, in hex; empty when it
    // cannot be read.
    static QByteArray fingerprint(const QString &path);

private:
    QString m_directory;
    QList<RecordedFile> m_files;
};
