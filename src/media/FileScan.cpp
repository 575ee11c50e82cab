#include "media/FileScan.h"

#include "model/Vocabulary.h"
#include "rules/ShellQuote.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <dirent.h>
#include <sys/stat.h>

namespace {

// The walk reads names as the file system's bytes: a name that is not UTF-8 would reach a QString as
// replacement characters, a path that names nothing, and QDirIterator drops such entries silently.
bool isRepresentable(const QByteArray &name)
{
    return QFile::encodeName(QFile::decodeName(name)) == name;
}

bool hasVideoExtension(const QByteArray &name)
{
    const qsizetype dot = name.lastIndexOf('.');
    return dot >= 0 && Lists::isVideoExtension(QString::fromLatin1(name.mid(dot + 1)));
}

void walk(const QByteArray &directory, VideoScan &scan)
{
    DIR *dir = ::opendir(directory.constData());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = directory + '/' + name;
        struct stat info = {};
        if (::lstat(path.constData(), &info) != 0)
            continue;
        const bool link = S_ISLNK(info.st_mode);
        if (link && ::stat(path.constData(), &info) != 0)
            continue; // a dangling link is no file
        if (S_ISDIR(info.st_mode)) {
            if (link)
                continue;
            if (isRepresentable(name)) {
                walk(path, scan);
            } else {
                // Named once, for what it holds: its videos cannot be named one by one either.
                VideoScan inside;
                walk(path, inside);
                if (!inside.files.isEmpty() || !inside.unusable.isEmpty())
                    scan.unusable << printableName(path);
            }
        } else if (S_ISREG(info.st_mode) && hasVideoExtension(name)) {
            if (isRepresentable(name))
                scan.files << QFile::decodeName(path);
            else
                scan.unusable << printableName(path);
        }
    }
    ::closedir(dir);
}

} // namespace

VideoScan findVideoFiles(const QString &directory)
{
    VideoScan scan;
    const QByteArray root = QFile::encodeName(QDir::cleanPath(QFileInfo(directory).absoluteFilePath()));
    walk(root == "/" ? QByteArray() : root, scan);
    sortNaturally(scan.files);
    sortNaturally(scan.unusable);
    return scan;
}

void sortNaturally(QStringList &paths)
{
    QCollator collator;
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(paths.begin(), paths.end(),
              [&collator](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
}
