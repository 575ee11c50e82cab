#include "media/PathProbe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

// The path with its folder's links and "." or ".." resolved; the last component stays as written, so
// that a link there is told apart from what it points to.
QString resolvedFolderPath(const QString &path)
{
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (folder.isEmpty())
        return QDir::cleanPath(info.absoluteFilePath());
    return QDir(folder).filePath(info.fileName());
}

} // namespace

PathState probePath(const QString &path)
{
    PathState state;
    if (path.isEmpty())
        return state;
    const QByteArray local = QFile::encodeName(path);
    struct stat st;
    state.present = ::lstat(local.constData(), &st) == 0;
    state.regular = state.present && S_ISREG(st.st_mode);
    // Through a link, so that a link to the source counts as the source.
    state.resolved = resolvedFolderPath(path);
    if (::stat(local.constData(), &st) == 0)
        state.identity = QStringLiteral("%1:%2").arg(quint64(st.st_dev)).arg(quint64(st.st_ino));
    else
        state.identity = state.resolved;
    return state;
}

PathState PathCache::state(const QString &path)
{
    const auto found = m_states.constFind(path);
    if (found != m_states.constEnd())
        return *found;
    const PathState state = probePath(path);
    m_states.insert(path, state);
    return state;
}
