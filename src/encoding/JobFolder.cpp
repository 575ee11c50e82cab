#include "encoding/JobFolder.h"

#include "model/RegularFile.h"

#include "process/Log.h"
#include "process/ProcessInfo.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRandomGenerator>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// When a process started, in clock ticks since boot; empty when it is gone.
QByteArray processStart(qint64 pid)
{
    const std::optional<ProcessEntry> process = readProcess(pid_t(pid));
    return process ? QByteArray::number(process->start) : QByteArray();
}

// Who made a job's folder: enough for a later run to prove that its maker is gone.
struct FolderOwner
{
    QByteArray host;
    QByteArray boot;
    qint64 pid = 0;
    QByteArray start;

    static FolderOwner self()
    {
        const qint64 pid = QCoreApplication::applicationPid();
        return {QSysInfo::machineHostName().toUtf8(), QSysInfo::bootUniqueId(), pid, processStart(pid)};
    }
    QByteArray text() const
    {
        return "host=" + host + "\nboot=" + boot + "\npid=" + QByteArray::number(pid) + "\nstart=" + start +
               "\n";
    }
    static std::optional<FolderOwner> read(const QByteArray &text)
    {
        FolderOwner owner;
        for (const QByteArray &line : text.split('\n')) {
            const qsizetype equals = line.indexOf('=');
            const QByteArray key = line.left(equals);
            const QByteArray value = line.mid(equals + 1);
            if (key == "host")
                owner.host = value;
            else if (key == "boot")
                owner.boot = value;
            else if (key == "pid")
                owner.pid = value.toLongLong();
            else if (key == "start")
                owner.start = value;
        }
        if (owner.host.isEmpty() || owner.boot.isEmpty() || owner.pid <= 0 || owner.start.isEmpty())
            return std::nullopt;
        return owner;
    }
    // Made on this machine by a process that has ended (or before the machine last started). A folder
    // from another machine sharing the disk is never judged.
    bool isGone() const
    {
        const FolderOwner now = self();
        if (host != now.host || now.boot.isEmpty())
            return false;
        return boot != now.boot || processStart(pid) != start;
    }
};

// Removes what is in the folder open as `fd`, at any depth, without following links. Everything in a
// job's folder was put there by the run (or by GNU parallel returning a job's output).
void removeContents(int fd, int depth = 0)
{
    const int listing = ::dup(fd);
    if (listing < 0)
        return;
    DIR *dir = ::fdopendir(listing);
    if (!dir) {
        ::close(listing);
        return;
    }
    QList<QByteArray> names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names << name;
    }
    ::closedir(dir);
    for (const QByteArray &name : std::as_const(names)) {
        if (::unlinkat(fd, name.constData(), 0) == 0 || errno != EISDIR || depth >= 16)
            continue;
        const int child = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (child < 0)
            continue;
        removeContents(child, depth + 1);
        ::close(child);
        ::unlinkat(fd, name.constData(), AT_REMOVEDIR);
    }
}

} // namespace

std::shared_ptr<JobFolder> JobFolder::create(const QString &output, QString &error)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const QFileInfo info(output);
    const QString parentPath = info.absolutePath();
    const int parent = ::open(QFile::encodeName(parentPath).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0) {
        error = QString::fromLocal8Bit(::strerror(errno));
        return nullptr;
    }
    bool shortName = false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString random;
        for (int i = 0; i < 6; ++i)
            random += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)]);
        const QString name = (shortName ? QString() : QLatin1Char('.') + info.fileName()) +
                             QStringLiteral(".tavrix-") + random;
        const QByteArray encoded = QFile::encodeName(name);
        if (::mkdirat(parent, encoded.constData(), 0700) != 0) {
            if (errno == ENAMETOOLONG && !shortName) {
                shortName = true;
                continue;
            }
            if (errno == EEXIST)
                continue;
            break;
        }
        auto folder = std::shared_ptr<JobFolder>(new JobFolder);
        folder->m_parent = parent;
        folder->m_name = encoded;
        folder->m_path = parentPath + QLatin1Char('/') + name;
        folder->m_fd = ::openat(parent, encoded.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int note = folder->m_fd < 0
                             ? -1
                             : ::openat(folder->m_fd, OwnerNote,
                                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        const QByteArray owner = FolderOwner::self().text();
        const bool noted = note >= 0 && ::write(note, owner.constData(), owner.size()) == owner.size();
        if (note >= 0)
            ::close(note);
        if (!noted) {
            error = QString::fromLocal8Bit(::strerror(errno)); // before the removal sets its own
            folder->remove();
            return nullptr;
        }
        return folder;
    }
    error = QString::fromLocal8Bit(::strerror(errno));
    ::close(parent);
    return nullptr;
}

JobFolder::~JobFolder()
{
    for (const int fd : {m_fd, m_parent})
        if (fd >= 0)
            ::close(fd);
}

bool JobFolder::isInPlace() const
{
    struct stat here;
    struct stat there;
    return m_fd >= 0 && ::fstat(m_fd, &here) == 0 &&
           ::lstat(QFile::encodeName(m_path).constData(), &there) == 0 && S_ISDIR(there.st_mode) &&
           here.st_dev == there.st_dev && here.st_ino == there.st_ino;
}

void JobFolder::remove()
{
    if (m_removed || m_parent < 0)
        return;
    m_removed = true;
    if (m_fd >= 0)
        removeContents(m_fd);
    ::unlinkat(m_parent, m_name.constData(), AT_REMOVEDIR);
}

void JobFolder::removeAbandoned(const QString &directory)
{
    const int parent = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0)
        return;
    const int listing = ::dup(parent);
    DIR *dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!dir) {
        if (listing >= 0)
            ::close(listing);
        ::close(parent);
        return;
    }
    QList<QByteArray> candidates;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.startsWith('.') && name.contains(".tavrix-") &&
            (entry->d_type == DT_DIR || entry->d_type == DT_UNKNOWN))
            candidates << name;
    }
    ::closedir(dir);
    for (const QByteArray &name : std::as_const(candidates)) {
        const int fd = ::openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st;
        const std::optional<FolderOwner> owner =
            FolderOwner::read(readRegularFile(OwnerNote, 4096, Links::Refuse, fd).bytes);
        if (::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && owner && owner->isGone()) {
            qCInfo(lcTavrix).noquote() << QStringLiteral("Removing %1, left by an earlier run")
                                              .arg(directory + QLatin1Char('/') + QFile::decodeName(name));
            removeContents(fd);
            ::unlinkat(parent, name.constData(), AT_REMOVEDIR);
        }
        ::close(fd);
    }
    ::close(parent);
}
