#include "tools/OutputName.h"

#include "model/MediaVideo.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Path without its last extension; a dot inside a directory name is not an extension.
QString withoutExtension(const QString &path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash + 1) // no dot in the last component, or a hidden file's leading dot
        return path;
    return path.left(dot);
}

} // namespace

QString importDestination(const QString &source, const QString &directory)
{
    QString base = source;
    if (!directory.isEmpty())
        base = QDir(directory).filePath(QFileInfo(source).fileName());
    return withoutExtension(base) + QStringLiteral(".mp4");
}

QString outputName(const MediaVideo &job, const QString &videoCodec, const QString &audioCodec,
                   const QString &extension)
{
    Q_UNUSED(job);
    Q_UNUSED(videoCodec);
    Q_UNUSED(audioCodec);
    Q_UNUSED(extension);
    return job.destination; // filled in with the naming rules
}

QString outputNameWithTemplate(const MediaVideo &job, int templateIndex, const QString &videoCodec,
                               const QString &audioCodec, const QString &extension)
{
    Q_UNUSED(templateIndex);
    return outputName(job, videoCodec, audioCodec, extension);
}
