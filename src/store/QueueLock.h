#pragma once

#include <QString>

#include <memory>

class QLockFile;

// One writer of the saved job list at a time, across processes: "queue.lock" in the data folder.
//
// The application holds it for its whole life, tavrix-cli for one command. A lock left by a process
// that has ended (a crash, a kill) is taken over; a lock held by a live process is never, however old
// it is. Not for use from several threads at once.
class QueueLock
{
public:
    explicit QueueLock(QString directory);
    ~QueueLock(); // releases the lock when held

    QueueLock(const QueueLock &) = delete;
    QueueLock &operator=(const QueueLock &) = delete;

    // Takes the lock without waiting, creating the folder when needed. False when another live
    // process holds it (see holder()) or the lock file cannot be written (see error()).
    bool tryLock();
    void unlock();
    bool isLocked() const;
    QString error() const { return m_error; } // one line for the user after a failed tryLock()

    // The process id of another live process that holds the lock of `directory`, or 0 when none does.
    static qint64 holder(const QString &directory);

private:
    QString m_directory;
    std::unique_ptr<QLockFile> m_file;
    QString m_error;
};
