#include "store/QueueLock.h"

#include "model/RegularFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("QueueLock", text);
}

QString lockPath(const QString &directory)
{
    return QDir(directory).filePath(QStringLiteral("queue.lock"));
}

std::unique_ptr<QLockFile> lockFile(const QString &directory)
{
    auto file = std::make_unique<QLockFile>(lockPath(directory));
    // The application holds the lock for hours: only a dead holder makes it stale, never its age.
    // Staleness is decided by inspect() below; QLockFile only creates and removes the file.
    file->setStaleLockTime(0);
    return file;
}

// The name of the program a process runs, or empty when it cannot be told.
QString programOf(qint64 pid)
{
    const QString proc = QStringLiteral("/proc/%1/").arg(pid);
    QString name = QFileInfo(QFile::symLinkTarget(proc + QStringLiteral("exe"))).fileName();
    // A program replaced by an upgrade while it runs still is that program.
    name.remove(QStringLiteral(" (deleted)"));
    if (!name.isEmpty())
        return name;
    QFile comm(proc + QStringLiteral("comm"));
    if (comm.open(QIODevice::ReadOnly))
        return QString::fromUtf8(comm.readAll()).trimmed();
    return {};
}

// tavrix, tavrix-cli, and this very program (a renamed build or a test that takes the lock as they do).
bool isTavrix(const QString &program)
{
    static const QString self = programOf(QCoreApplication::applicationPid());
    return program == QLatin1String("tavrix") || program == QLatin1String("tavrix-cli") ||
           (!self.isEmpty() && program == self);
}

struct LockState
{
    enum Kind { Absent, NotRegular, Stale, Held } kind = Absent;
    qint64 pid = 0; // the holder when Held
};

// What is at the lock's path, looked at without following a link and without opening anything that
// could block (a FIFO, a device).
LockState inspect(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    if (::lstat(name.constData(), &info) != 0)
        return {errno == ENOENT ? LockState::Absent : LockState::NotRegular};
    if (!S_ISREG(info.st_mode))
        return {LockState::NotRegular};

    const QByteArray bytes = readRegularFile(name, 64 * 1024, Links::Refuse).bytes;
    // An empty, unreadable or garbled file holds nothing: what a crash before the write reached the disk
    // leaves behind.
    const QList<QByteArray> lines = bytes.split('\n');
    bool ok = false;
    const qint64 pid = lines.value(0).toLongLong(&ok);
    if (!ok || pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return {LockState::Stale};

    // A lock written on another machine (a shared home) cannot be checked here: it holds.
    const QByteArray host = lines.value(2);
    const QByteArray hostId = lines.value(3);
    const QByteArray bootId = lines.value(4);
    const bool sameHost = !hostId.isEmpty() && !QSysInfo::machineUniqueId().isEmpty()
                              ? hostId == QSysInfo::machineUniqueId()
                              : host.isEmpty() || host == QSysInfo::machineHostName().toUtf8();
    if (!sameHost)
        return {LockState::Held, pid};
    if (!bootId.isEmpty() && bootId != QSysInfo::bootUniqueId())
        return {LockState::Stale};
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return {LockState::Stale};
    // The number may now belong to another program.
    const QString program = programOf(pid);
    if (!program.isEmpty() && !isTavrix(program))
        return {LockState::Stale};
    return {LockState::Held, pid};
}

QString notRegular(const QString &path)
{
    return tr("The job list cannot be locked: “%1” is not a regular file. Move it away or remove it, then "
              "try again.")
        .arg(path);
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
    const QString path = lockPath(m_directory);
    LockState state = inspect(path);
    if (state.kind == LockState::Stale) {
        // Two processes finding one stale lock must not both remove it: the second would remove the
        // lock the first has just made. The removal is decided again under a lock of its own.
        const QString guardPath = path + QStringLiteral(".rmlock");
        const LockState guardState = inspect(guardPath);
        if (guardState.kind == LockState::NotRegular) {
            m_error = notRegular(guardPath);
            return false;
        }
        QLockFile guard(guardPath);
        if (guard.tryLock(1000)) {
            state = inspect(path);
            if (state.kind == LockState::Stale)
                m_file->removeStaleLockFile();
        }
        state = inspect(path);
    }
    switch (state.kind) {
    case LockState::NotRegular:
        m_error = notRegular(path);
        return false;
    case LockState::Held:
        m_error = tr("The job list is in use by another Tavrix process (%1).").arg(state.pid);
        return false;
    case LockState::Absent:
    case LockState::Stale:
        break;
    }
    if (m_file->tryLock(0))
        return true;
    if (m_file->error() == QLockFile::LockFailedError) {
        // Made by another process in the meantime.
        const LockState now = inspect(path);
        if (now.kind == LockState::Held) {
            m_error = tr("The job list is in use by another Tavrix process (%1).").arg(now.pid);
            return false;
        }
    }
    m_error = tr("The job list cannot be locked in “%1”.").arg(m_directory);
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
    // Decided the way tryLock() decides, so that the two answers agree, stale locks included.
    const LockState state = inspect(lockPath(directory));
    if (state.kind != LockState::Held)
        return 0;
    return state.pid == QCoreApplication::applicationPid() ? 0 : state.pid;
}
