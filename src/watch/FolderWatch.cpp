#include "watch/FolderWatch.h"

#include "media/FileScan.h"
#include "rules/ShellQuote.h"
#include "rules/WatchRules.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

constexpr uint32_t FolderEvents = IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM |
                                  IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW;

qint64 modifiedMs(const struct stat &st)
{
    return qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
}

bool isRepresentable(const QByteArray &name)
{
    return QFile::encodeName(QFile::decodeName(name)) == name;
}

bool isBelow(const QString &path, const QString &folder)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

} // namespace

FolderWatch::FolderWatch(Options options, QObject *parent) : QObject(parent), m_options(std::move(options))
{
    for (QString &folder : m_options.folders)
        folder = QDir::cleanPath(folder);
    for (QString &folder : m_options.excluded)
        folder = QDir::cleanPath(folder);
    m_checkTimer.setSingleShot(true);
    connect(&m_checkTimer, &QTimer::timeout, this, &FolderWatch::checkPending);
    connect(&m_pollTimer, &QTimer::timeout, this, &FolderWatch::rescan);
    m_rootTimer.setInterval(2000);
    connect(&m_rootTimer, &QTimer::timeout, this, &FolderWatch::rescan);
}

FolderWatch::~FolderWatch()
{
    delete m_notifier;
    if (m_inotify >= 0)
        ::close(m_inotify);
}

qint64 FolderWatch::now() const
{
    return QDateTime::currentMSecsSinceEpoch();
}

bool FolderWatch::isExcluded(const QString &path) const
{
    return std::any_of(m_options.excluded.cbegin(), m_options.excluded.cend(),
                       [&](const QString &folder) { return isBelow(path, folder); });
}

QString FolderWatch::start()
{
    if (m_options.pollMs <= 0) {
        m_inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_inotify < 0)
            return QCoreApplication::translate("FolderWatch", "inotify cannot be used (%1)")
                .arg(QString::fromLocal8Bit(::strerror(errno)));
        m_notifier = new QSocketNotifier(m_inotify, QSocketNotifier::Read);
        connect(m_notifier, &QSocketNotifier::activated, this, &FolderWatch::readEvents);
    } else {
        m_pollTimer.start(int(std::min<qint64>(m_options.pollMs, 24 * 3600 * 1000)));
    }
    rescan();
    return {};
}

void FolderWatch::tell(const QString &message)
{
    // A walk again finds what the last one did: each problem is told once.
    if (!m_told.contains(message)) {
        m_told.insert(message);
        emit problem(message);
    }
}

void FolderWatch::watchDirectory(const QByteArray &directory, const QString &root)
{
    const QString path = QFile::decodeName(directory);
    m_rootOf.insert(path, root);
    if (m_inotify < 0)
        return;
    const int wd = ::inotify_add_watch(m_inotify, directory.constData(), FolderEvents);
    if (wd < 0) {
        tell(QCoreApplication::translate("FolderWatch",
                                         "“%1” cannot be watched (%2); its new files are not seen")
                 .arg(printableName(directory), QString::fromLocal8Bit(::strerror(errno))));
        return;
    }
    m_watchPaths.insert(wd, path);
}

void FolderWatch::walk(const QByteArray &directory, const QString &root, QStringList &seen, bool watch)
{
    if (watch)
        watchDirectory(directory, root);
    DIR *dir = ::opendir(directory.constData());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == ".." || name.startsWith('.'))
            continue;
        const QByteArray path = directory + '/' + name;
        struct stat info = {};
        if (::lstat(path.constData(), &info) != 0)
            continue;
        if (S_ISDIR(info.st_mode)) {
            const QString folder = QFile::decodeName(path);
            if (!isRepresentable(name))
                tell(QCoreApplication::translate(
                         "FolderWatch", "“%1”: the name is not valid UTF-8, so what it holds is not seen")
                         .arg(printableName(path)));
            else if (!isExcluded(folder))
                walk(path, root, seen, watch);
            continue;
        }
        if (S_ISLNK(info.st_mode) && (::stat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode)))
            continue;
        if (!S_ISREG(info.st_mode))
            continue;
        const QString file = QFile::decodeName(path);
        if (neverTaken(file.mid(root.size() + 1)))
            continue;
        if (!isRepresentable(name)) {
            tell(QCoreApplication::translate("FolderWatch",
                                             "“%1”: the name is not valid UTF-8, so it cannot be opened; "
                                             "rename it to convert it")
                     .arg(printableName(path)));
            continue;
        }
        seen << file;
    }
    ::closedir(dir);
}

void FolderWatch::rescan()
{
    QStringList seen;
    for (const QString &root : std::as_const(m_options.folders)) {
        struct stat info = {};
        const bool present = ::stat(QFile::encodeName(root).constData(), &info) == 0 && S_ISDIR(info.st_mode);
        if (!present) {
            if (!m_missingRoots.contains(root)) {
                m_missingRoots.insert(root);
                forget(root, true);
                emit rootState(root, false);
            }
            continue;
        }
        walk(QFile::encodeName(root), root, seen, true);
        if (m_missingRoots.remove(root)) {
            m_told.clear(); // what it holds is said again
            emit rootState(root, true);
        }
    }
    // Told of nothing while it is away: looked for until it is back.
    if (m_inotify >= 0 && !m_missingRoots.isEmpty())
        m_rootTimer.start();
    else
        m_rootTimer.stop();
    for (const QString &path : std::as_const(seen))
        observe(path, false);
    // What the walk no longer finds is forgotten: it is looked at afresh if it comes back.
    const QSet<QString> found(seen.cbegin(), seen.cend());
    for (auto it = m_offered.begin(); it != m_offered.end();)
        it = found.contains(it.key()) ? std::next(it) : m_offered.erase(it);
    QStringList vanished;
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it)
        if (!found.contains(it.key()))
            vanished << it.key();
    for (const QString &path : std::as_const(vanished))
        forget(path, false);
}

QStringList FolderWatch::completeNow(QStringList &incomplete)
{
    QStringList seen;
    for (const QString &root : std::as_const(m_options.folders))
        walk(QFile::encodeName(root), root, seen, false);
    sortNaturally(seen);
    QStringList complete;
    std::optional<QSet<std::pair<quint64, quint64>>> writers;
    const qint64 at = now();
    for (const QString &path : std::as_const(seen)) {
        struct stat info = {};
        if (::stat(QFile::encodeName(path).constData(), &info) != 0)
            continue;
        if (settledAtMs(at, modifiedMs(info), m_options.settleMs) > at) {
            incomplete << path;
            continue;
        }
        if (!writers)
            writers = filesOpenForWriting(); // once, for all the files
        (writers->contains({quint64(info.st_dev), quint64(info.st_ino)}) ? incomplete : complete) << path;
    }
    return complete;
}

void FolderWatch::observe(const QString &path, bool writing)
{
    auto pending = m_pending.find(path);
    if (writing && pending != m_pending.end() && pending->writing) {
        pending->unchangedSinceMs = now(); // a write among many: nothing more to learn from a stat
        return;
    }
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return;
    const qint64 size = info.st_size, modified = modifiedMs(info);
    if (pending == m_pending.end()) {
        const auto offered = m_offered.constFind(path);
        if (!writing && offered != m_offered.cend() && *offered == std::pair{size, modified})
            return;
        m_offered.remove(path);
        pending = m_pending.insert(path, {size, modified, now(), writing});
    } else if (pending->size != size || pending->modifiedMs != modified || writing) {
        *pending = {size, modified, now(), writing || pending->writing};
    }
    if (!writing)
        pending->writing = false;
    scheduleCheck();
}

void FolderWatch::scheduleCheck()
{
    // Looked at again when the first of them may be complete; a file being written waits for inotify to
    // say it was closed. A change meanwhile is seen then, and starts its wait again.
    std::optional<qint64> first;
    for (const Pending &p : std::as_const(m_pending)) {
        if (!p.writing) {
            const qint64 at =
                std::max(settledAtMs(p.unchangedSinceMs, p.modifiedMs, m_options.settleMs), p.notBeforeMs);
            first = first ? std::min(*first, at) : at;
        }
    }
    if (!first) {
        m_checkTimer.stop();
        return;
    }
    const qint64 wait = std::clamp<qint64>(*first - now() + 1, 0, 24 * 3600 * 1000);
    if (!m_checkTimer.isActive() || m_checkTimer.remainingTime() > wait)
        m_checkTimer.start(int(wait));
}

void FolderWatch::forget(const QString &path, bool below)
{
    QStringList dropped;
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it)
        if (below ? isBelow(it.key(), path) : it.key() == path)
            dropped << it.key();
    for (const QString &file : std::as_const(dropped)) {
        m_pending.remove(file);
        emit gone(file);
    }
    for (auto it = m_offered.begin(); it != m_offered.end();)
        it = (below ? isBelow(it.key(), path) : it.key() == path) ? m_offered.erase(it) : std::next(it);
    if (!below)
        return;
    for (auto it = m_watchPaths.begin(); it != m_watchPaths.end();) {
        if (isBelow(it.value(), path)) {
            ::inotify_rm_watch(m_inotify, it.key());
            m_rootOf.remove(it.value());
            it = m_watchPaths.erase(it);
        } else {
            ++it;
        }
    }
}

void FolderWatch::readEvents()
{
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        const ssize_t length = ::read(m_inotify, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t at = 0; at < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event)) + event->len;
            if (event->mask & IN_Q_OVERFLOW) {
                rescan();
                continue;
            }
            const QString folder = m_watchPaths.value(event->wd);
            if (folder.isEmpty())
                continue;
            if (event->mask & IN_IGNORED) {
                m_watchPaths.remove(event->wd);
                continue;
            }
            if (event->len == 0) {
                // A watched folder itself went; a folder below it is its parent's watch's business.
                if ((event->mask & (IN_DELETE_SELF | IN_MOVE_SELF)) && m_options.folders.contains(folder))
                    rescan();
                continue;
            }
            const QByteArray name(event->name);
            if (name.startsWith('.'))
                continue;
            const QString path = folder + QLatin1Char('/') + QFile::decodeName(name);
            const QString root = m_rootOf.value(folder);
            if (event->mask & IN_ISDIR) {
                if (event->mask & (IN_MOVED_FROM | IN_DELETE))
                    forget(path, true);
                else if ((event->mask & (IN_CREATE | IN_MOVED_TO)) && !isExcluded(path) &&
                         isRepresentable(name)) {
                    QStringList seen; // what arrived before the watch did
                    walk(QFile::encodeName(path), root, seen, true);
                    for (const QString &file : std::as_const(seen))
                        observe(file, false);
                }
                continue;
            }
            if (event->mask & (IN_MOVED_FROM | IN_DELETE)) {
                forget(path, false);
                continue;
            }
            if (neverTaken(path.mid(root.size() + 1)) || !isRepresentable(name))
                continue;
            // Written through this name and not closed since. A name that merely appears proves nothing:
            // a file made whole elsewhere and linked in (O_TMPFILE, then linkat) is never closed under
            // it, and a writer not seen here still has the settle time and the open-for-writing check.
            observe(path, (event->mask & IN_MODIFY) && !(event->mask & IN_CLOSE_WRITE));
        }
    }
}

void FolderWatch::checkPending()
{
    const qint64 at = now();
    QStringList vanished, complete;
    std::optional<QSet<std::pair<quint64, quint64>>> writers;
    for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
        Pending &p = it.value();
        struct stat info = {};
        if (::stat(QFile::encodeName(it.key()).constData(), &info) != 0) {
            vanished << it.key();
            continue;
        }
        if (info.st_size != p.size || modifiedMs(info) != p.modifiedMs) {
            p = {info.st_size, modifiedMs(info), at, p.writing};
            continue;
        }
        if (p.writing || settledAtMs(p.unchangedSinceMs, p.modifiedMs, m_options.settleMs) > at ||
            p.notBeforeMs > at)
            continue;
        // Written by a process that holds it open without writing for now: it is not complete, and is
        // looked at again a settle time later.
        if (!writers)
            writers = filesOpenForWriting(); // once, for all the files
        if (writers->contains({quint64(info.st_dev), quint64(info.st_ino)})) {
            p.notBeforeMs = at + std::max<qint64>(m_options.settleMs, 100);
            continue;
        }
        complete << it.key();
    }
    for (const QString &path : std::as_const(vanished))
        forget(path, false);
    for (const QString &path : std::as_const(complete)) {
        const Pending p = m_pending.take(path);
        m_offered.insert(path, {p.size, p.modifiedMs});
    }
    scheduleCheck();
    for (const QString &path : std::as_const(complete))
        emit ready(path);
}

QSet<std::pair<quint64, quint64>> FolderWatch::filesOpenForWriting()
{
    QSet<std::pair<quint64, quint64>> files;
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return files;
    while (const dirent *process = ::readdir(proc)) {
        if (process->d_name[0] < '0' || process->d_name[0] > '9')
            continue;
        const QByteArray base = QByteArray("/proc/") + process->d_name;
        DIR *dir = ::opendir((base + "/fdinfo").constData());
        if (!dir)
            continue; // another user's, or gone
        while (const dirent *fd = ::readdir(dir)) {
            if (fd->d_name[0] == '.')
                continue;
            char text[256];
            const int info = ::openat(::dirfd(dir), fd->d_name, O_RDONLY | O_CLOEXEC);
            if (info < 0)
                continue;
            const ssize_t length = ::read(info, text, sizeof text - 1);
            ::close(info);
            if (length <= 0)
                continue;
            text[length] = 0;
            const char *flags = std::strstr(text, "flags:");
            if (!flags || (std::strtol(flags + 6, nullptr, 8) & O_ACCMODE) == O_RDONLY)
                continue;
            struct stat st = {};
            if (::stat((base + "/fd/" + fd->d_name).constData(), &st) == 0 && S_ISREG(st.st_mode))
                files.insert({quint64(st.st_dev), quint64(st.st_ino)});
        }
        ::closedir(dir);
    }
    ::closedir(proc);
    return files;
}

bool FolderWatch::isNetworkFolder(const QString &path)
{
    struct statfs info = {};
    if (::statfs(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    // The kernel's magic numbers: NFS, SMB, CIFS, SMB2, FUSE, Coda, AFS, 9p.
    const quint32 type = quint32(info.f_type);
    return type == 0x6969 || type == 0x517B || type == 0xFF534D42 || type == 0xFE534D42 ||
           type == 0x65735546 || type == 0x73757245 || type == 0x5346414F || type == 0x01021997;
}
