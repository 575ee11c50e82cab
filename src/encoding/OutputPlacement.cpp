#include "encoding/OutputPlacement.h"

#include "rules/OutputName.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

std::optional<FileId> FileId::of(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return FileId{st.st_dev, st.st_ino};
}

QString canonicalPath(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    const QString directory = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (directory.isEmpty())
        return QDir::cleanPath(info.absoluteFilePath());
    return directory + QLatin1Char('/') + info.fileName();
}

namespace {

bool isSameFile(const QString &a, const QString &b)
{
    if (canonicalPath(a) == canonicalPath(b))
        return true;
    const std::optional<FileId> first = FileId::of(a);
    return first && first == FileId::of(b);
}

// Gives `from` the name `to` unless something, even a dangling link, has that name: 0 or an errno.
int renameWithoutReplacing(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP && errno != EOPNOTSUPP)
        return errno;
    // A filesystem without the flag: a new link fails on any existing name just as well.
    if (::link(source.constData(), target.constData()) == 0) {
        ::unlink(source.constData());
        return 0;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != EMLINK)
        return errno;
    // Nor links (FAT, some network filesystems): the name is looked at just before the rename.
    struct stat st;
    if (::lstat(target.constData(), &st) == 0)
        return EEXIST;
    return ::rename(source.constData(), target.constData()) == 0 ? 0 : errno;
}

} // namespace

bool isRegularFile(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

Occupant occupantOf(const QString &path, struct stat *st)
{
    struct stat own;
    struct stat &info = st ? *st : own;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? Occupant::Nothing : Occupant::Other;
    return S_ISREG(info.st_mode) ? Occupant::RegularFile : Occupant::Other;
}

Placement placementFor(Obstacle obstacle, RunOptions::ExistingOutput policy)
{
    using ExistingOutput = RunOptions::ExistingOutput;
    if (obstacle == Obstacle::None)
        return Placement::WriteAsIs;
    switch (policy) {
    case ExistingOutput::Rename:
        return Placement::FreeName;
    case ExistingOutput::Skip:
        return Placement::Refuse;
    case ExistingOutput::Overwrite:
        return obstacle == Obstacle::RegularFile ? Placement::Replace : Placement::Refuse;
    }
    return Placement::Refuse;
}

QString obstacleCause(Obstacle obstacle, const QString &destination)
{
    const QString name = QFileInfo(destination).fileName();
    switch (obstacle) {
    case Obstacle::None:
        break;
    case Obstacle::OwnSource:
        return QCoreApplication::translate("BatchEncoder", "%1 is the source").arg(name);
    case Obstacle::OtherSource:
        return QCoreApplication::translate("BatchEncoder", "%1 is the source of another job").arg(name);
    case Obstacle::Claimed:
        return QCoreApplication::translate("BatchEncoder", "%1 is written by an earlier job").arg(name);
    case Obstacle::RegularFile:
        return QCoreApplication::translate("BatchEncoder", "%1 exists").arg(name);
    case Obstacle::OtherFile:
        return QCoreApplication::translate("BatchEncoder", "%1 is not a regular file").arg(name);
    }
    return {};
}

QString obstacleRefusal(Obstacle obstacle, const QString &destination)
{
    switch (obstacle) {
    case Obstacle::None:
        break;
    case Obstacle::OwnSource:
        return QCoreApplication::translate("BatchEncoder",
                                           "The destination is the source file itself; choose another name "
                                           "or folder.");
    case Obstacle::OtherSource:
        return QCoreApplication::translate("BatchEncoder",
                                           "The destination “%1” is the source of another job of this run.")
            .arg(destination);
    case Obstacle::Claimed:
        return QCoreApplication::translate("BatchEncoder", "An earlier job of this run already writes “%1”.")
            .arg(destination);
    case Obstacle::RegularFile:
        return QCoreApplication::translate("BatchEncoder", "“%1” already exists; it is left as it is.")
            .arg(destination);
    case Obstacle::OtherFile:
        return QCoreApplication::translate("BatchEncoder",
                                           "“%1” is not a regular file (a link, a folder, a pipe or a "
                                           "device); nothing is written through it.")
            .arg(destination);
    }
    return {};
}

bool TemporaryFile::isOurs() const
{
    struct stat st;
    return !path.isEmpty() && occupantOf(path, &st) == Occupant::RegularFile &&
           FileId{st.st_dev, st.st_ino} == id;
}

bool TemporaryFile::hasContent() const
{
    struct stat st;
    return isOurs() && ::stat(QFile::encodeName(path).constData(), &st) == 0 && st.st_size > 0;
}

void takeSourceTime(const TemporaryFile &file, const QString &source)
{
    struct stat st;
    if (!file.isOurs() || ::stat(QFile::encodeName(source).constData(), &st) != 0)
        return;
    const struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    ::utimensat(AT_FDCWD, QFile::encodeName(file.path).constData(), times, 0);
}

void OutputClaims::collectSources(const QStringList &sources)
{
    const std::lock_guard lock(m_mutex);
    for (const QString &source : sources) {
        m_sourcePaths.insert(canonicalPath(source));
        if (const std::optional<FileId> id = FileId::of(source))
            m_sourceFiles.insert(*id);
    }
}

bool OutputClaims::isSourceOfRun(const QString &path) const
{
    if (m_sourcePaths.contains(canonicalPath(path)))
        return true;
    const std::optional<FileId> id = FileId::of(path);
    return id && m_sourceFiles.count(*id) > 0;
}

bool OutputClaims::isTaken(const QString &path) const
{
    return occupantOf(path) != Occupant::Nothing || isSourceOfRun(path) ||
           m_claimed.contains(canonicalPath(path));
}

Obstacle OutputClaims::obstacleFor(const QString &source, const QString &destination) const
{
    if (isSameFile(destination, source))
        return Obstacle::OwnSource;
    if (isSourceOfRun(destination))
        return Obstacle::OtherSource;
    if (m_claimed.contains(canonicalPath(destination)))
        return Obstacle::Claimed;
    switch (occupantOf(destination)) {
    case Occupant::Nothing:
        return Obstacle::None;
    case Occupant::RegularFile:
        return Obstacle::RegularFile;
    case Occupant::Other:
        break;
    }
    return Obstacle::OtherFile;
}

QString OutputClaims::claim(int number, const QString &source, const QString &destination,
                            RunOptions::ExistingOutput policy, QString &cause, bool &replace,
                            QString &refusal)
{
    // Decided under the lock, before the job starts, so that jobs running side by side never share a name.
    const std::lock_guard lock(m_mutex);
    const Obstacle obstacle = obstacleFor(source, destination);
    QString target = destination;
    replace = false;
    switch (placementFor(obstacle, policy)) {
    case Placement::WriteAsIs:
        break;
    case Placement::Refuse:
        refusal = obstacleRefusal(obstacle, destination);
        return {};
    case Placement::Replace:
        replace = true;
        break;
    case Placement::FreeName:
        cause = obstacleCause(obstacle, destination);
        target = freeName(destination, [this](const QString &path) { return isTaken(path); });
        if (target.isEmpty()) {
            refusal = QCoreApplication::translate("BatchEncoder", "No free name is left beside “%1”.")
                          .arg(destination);
            return {};
        }
        break;
    }
    const QString claimed = canonicalPath(target);
    m_claimed.insert(claimed);
    m_claimedBy.insert(number, claimed);
    return target;
}

void OutputClaims::release(int number)
{
    const std::lock_guard lock(m_mutex);
    m_claimed.remove(m_claimedBy.take(number));
}

QString OutputClaims::place(const TemporaryFile &file, const QString &destination, QString target,
                            bool replace, RunOptions::ExistingOutput policy, QString &cause, QString &error,
                            bool &refused)
{
    const std::lock_guard lock(m_mutex);
    refused = false;
    if (!file.isOurs()) {
        error = QCoreApplication::translate("BatchEncoder", "the file being written was removed or replaced "
                                                            "meanwhile.");
        return {};
    }
    const QByteArray from = QFile::encodeName(file.path);
    struct stat old;
    if (replace && occupantOf(target, &old) == Occupant::RegularFile) {
        // The new file takes the old one's permissions along with its name.
        ::chmod(from.constData(), old.st_mode & 0777);
        if (::rename(from.constData(), QFile::encodeName(target).constData()) == 0)
            return target;
        error = QString::fromLocal8Bit(::strerror(errno));
        return {};
    }
    // Nothing is replaced from here on; whatever took the name meanwhile keeps it.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int result = renameWithoutReplacing(file.path, target);
        if (result == 0) {
            m_claimed.insert(canonicalPath(target));
            return target;
        }
        if (result != EEXIST) {
            error = QString::fromLocal8Bit(::strerror(result));
            return {};
        }
        // Skip writes only into a free name: the job is skipped as if the name had been taken at its start.
        if (policy == RunOptions::ExistingOutput::Skip) {
            refused = true;
            error = obstacleRefusal(occupantOf(target) == Occupant::RegularFile ? Obstacle::RegularFile
                                                                                : Obstacle::OtherFile,
                                    target);
            return {};
        }
        if (cause.isEmpty())
            cause = obstacleCause(occupantOf(destination) == Occupant::RegularFile ? Obstacle::RegularFile
                                                                                   : Obstacle::OtherFile,
                                  destination);
        target = freeName(destination, [this](const QString &path) { return isTaken(path); });
        if (target.isEmpty())
            break;
    }
    error = QCoreApplication::translate("BatchEncoder", "no free name is left.");
    return {};
}
