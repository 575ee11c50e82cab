#include "store/QueueLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("QueueLock", text);
}

std::unique_ptr<QLockFile> lockFile(const QString &directory)
{
    auto file = std::make_unique<QLockFile>(QDir(directory).filePath(QStringLiteral("queue.lock")));
    // The application holds the lock for hours: only a dead holder makes it stale, never its age.
    file->setStaleLockTime(0);
    return file;
}

} // namespace

QueueLock::QueueLock(QString directory) : m_directory(std::move(directory)), m_file(lockFile(m_directory))
{
}

QueueLock::~QueueLock() = default;

bool QueueLock::tryLock()
{
    m_error.clear();
    if (m_file->isLocked())
        return true;
    QDir().mkpath(m_directory);
    if (m_file->tryLock(0))
        return true;
    if (m_file->error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        m_file->getLockInfo(&pid, nullptr, nullptr);
        m_error = tr("The job list is in use by another Tavrix process (%1).").arg(pid);
    } else {
        m_error = tr("The job list cannot be locked in “%1”.").arg(m_directory);
    }
    return false;
}

void QueueLock::unlock()
{
    m_file->unlock();
}

bool QueueLock::isLocked() const
{
    return m_file->isLocked();
}

qint64 QueueLock::holder(const QString &directory)
{
    // Asking the way tryLock() decides keeps the two answers in agreement, stale locks included.
    const std::unique_ptr<QLockFile> probe = lockFile(directory);
    if (probe->tryLock(0)) {
        probe->unlock();
        return 0;
    }
    qint64 pid = 0;
    if (probe->error() != QLockFile::LockFailedError || !probe->getLockInfo(&pid, nullptr, nullptr))
        return 0;
    return pid == QCoreApplication::applicationPid() ? 0 : pid;
}
