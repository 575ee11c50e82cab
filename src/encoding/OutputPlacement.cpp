#include "encoding/OutputPlacement.h"

#include "media/PathProbe.h"
#include "rules/OutputName.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

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

void OutputClaims::start(const QStringList &sources, ExistingOutput policy)
{
    const std::lock_guard lock(m_mutex);
    m_planner.emplace(policy, &probePath, sources);
}

QString OutputClaims::claim(int number, const QString &source, const QString &destination,
                            ResultReason &cause, bool &replace, ResultReason &refusal)
{
    // Decided under the lock, before the job starts, so that jobs running side by side never share a name.
    const std::lock_guard lock(m_mutex);
    const PlannedOutput plan = m_planner->plan(number, source, destination);
    replace = plan.action == PlannedOutput::Action::Replace;
    cause = plan.causeReason();
    refusal = plan.refusalReason();
    return plan.path;
}

void OutputClaims::release(int number)
{
    const std::lock_guard lock(m_mutex);
    m_planner->release(number);
}

QString OutputClaims::place(const TemporaryFile &file, int number, const QString &source,
                            const QString &destination, QString target, bool replace, ResultReason &cause,
                            ResultReason &error, bool &refused)
{
    const std::lock_guard lock(m_mutex);
    refused = false;
    if (!file.isOurs()) {
        error = {ResultReason::Kind::OutputReplaced};
        return {};
    }
    const QByteArray from = QFile::encodeName(file.path);
    struct stat old;
    if (replace && occupantOf(target, &old) == Occupant::RegularFile) {
        // The new file takes the old one's permissions along with its name.
        ::chmod(from.constData(), old.st_mode & 0777);
        if (::rename(from.constData(), QFile::encodeName(target).constData()) == 0)
            return target;
        error = ResultReason::text(QString::fromLocal8Bit(::strerror(errno)));
        return {};
    }
    // Nothing is replaced from here on; whatever took the name meanwhile keeps it.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int result = renameWithoutReplacing(file.path, target);
        if (result == 0) {
            m_planner->claim(number, target);
            return target;
        }
        if (result != EEXIST) {
            error = ResultReason::text(QString::fromLocal8Bit(::strerror(result)));
            return {};
        }
        // The name was taken while the job encoded: the plan again, with the disk as it is now.
        const PlannedOutput again = m_planner->replan(number, source, destination);
        if (!again.runs()) {
            refused = true;
            error = again.refusalReason();
            return {};
        }
        if (cause.isEmpty())
            cause = again.causeReason();
        target = again.path;
    }
    error = {ResultReason::Kind::NoFreeNameLeft};
    return {};
}
