#pragma once

#include <QString>

#include <memory>

class QLockFile;

// One writer of the saved job list at a time, across processes: "queue.lock" in the data folder.
//
// The application holds it for its whole life, tavrix-cli for one command. A lock that holds nothing is
// taken over: one left by a process that has ended (a crash, a kill), one whose process number now
// belongs to a program other than Tavrix, one left empty or garbled by a crash before the disk was
// written. A lock held by a live Tavrix process is never taken, however old it is. Anything but a
// regular file at the lock's path (a link, a FIFO, a folder) is refused and never opened. Not for use
// from several threads at once.
class QueueLock
{
public:
    explicit QueueLock(QString directory);
    ~QueueLock(); // releases the lock when held

    QueueLock(const QueueLock &) = delete;
    QueueLock &operator=(const QueueLock &) = delete;

    // Takes the lock without waiting, creating the folder when needed. False when another live
    // Tavrix process holds it (see holder()), or the lock file is not a regular file or cannot be
    // written (see error()).
    bool tryLock();
    void unlock();
    bool isLocked() const;
    QString error() const { return m_error; } // one line for the user after a failed tryLock()

    // The process id of another live Tavrix process that holds the lock of `directory`, or 0 when none
    // does. Only looks: nothing is created or removed.
    static qint64 holder(const QString &directory);

private:
    QString m_directory;
    std::unique_ptr<QLockFile> m_file;
    QString m_error;
};
