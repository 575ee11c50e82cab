#include "rules/OutputName.h"

#include "model/MediaVideo.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Path without its last extension; a dot inside a directory name is not an extension.
QString withoutExtension(const QString &path)
{
    const int slash = int(path.lastIndexOf(QLatin1Char('/')));
    const int dot = int(path.lastIndexOf(QLatin1Char('.')));
    if (dot <= slash + 1) // no dot in the last component, or a hidden file's leading dot
        return path;
    return path.left(dot);
}

QString lastComponent(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// The short name of an encoder in a file name: the format it writes ("x264" for every H.264 encoder,
// "x265" for HEVC, "av1", "vp9", "mp3", "opus"), or the encoder's own name (aac, flac, ac3, copy).
QString codecWord(const QString &encoder)
{
    if (const std::optional<VideoEncoders> video = caseFromRawText<VideoEncoders>(encoder)) {
        switch (familyOf(*video)) {
        case EncoderFamily::Copy:
            return encoder;
        case EncoderFamily::SvtAv1:
            return QStringLiteral("av1");
        case EncoderFamily::Vpx:
            return QStringLiteral("vp9");
        default:
            return isHevc(*video) ? QStringLiteral("x265") : QStringLiteral("x264");
        }
    }
    if (encoder.contains(QLatin1String("mp3")))
        return QStringLiteral("mp3");
    if (encoder == QLatin1String("libopus"))
        return QStringLiteral("opus");
    return encoder;
}

} // namespace

QString numberedName(const QString &path, int number)
{
    const QString base = withoutExtension(path);
    return base + QLatin1Char('-') + QString::number(number) + path.mid(base.size());
}

QString freeName(const QString &path, const std::function<bool(const QString &path)> &taken)
{
    if (!taken(path))
        return path;
    for (int number = 1; number <= 9999; ++number) {
        const QString candidate = numberedName(path, number);
        if (!taken(candidate))
            return candidate;
    }
    return {};
}

QString importDestination(const QString &source, const QString &directory)
{
    QString base = source;
    if (!directory.isEmpty())
        base = QDir(directory).filePath(QFileInfo(source).fileName());
    return withoutExtension(base) + QStringLiteral(".mp4");
}

QString movedDestination(const MediaVideo &job, const QString &directory, int templateIndex)
{
    const QString name =
        QFileInfo(templateIndex != 0 ? outputNameWithTemplate(job, templateIndex) : job.destination)
            .fileName();
    // An empty folder sends the job back beside its source rather than to a bare name. A relative one
    // is taken from the current folder now: the saved list holds whole paths only.
    const QString folder =
        directory.isEmpty() ? QFileInfo(job.source).absolutePath() : QDir(directory).absolutePath();
    return name.isEmpty() ? importDestination(job.source, folder) : QDir(folder).filePath(name);
}

QString outputNameWithTemplate(const MediaVideo &job, int templateIndex, const QString &videoCodec,
                               const QString &audioCodec, const QString &extension)
{
    // An index outside the list reads as the first template, "None", which names nothing: the
    // destination stays as it is.
    if (templateIndex <= 0 || templateIndex >= Lists::nameTemplates().size())
        return job.destination;
    QString name = Lists::nameTemplates().at(templateIndex);

    const QString videoName = videoCodec.isEmpty() ? rawText(job.videoEncoder) : videoCodec;
    const QString audioName = audioCodec.isEmpty() ? rawText(job.audioEncoder) : audioCodec;
    const QString videoShort = codecWord(videoName);
    const QString audioShort = codecWord(audioName);

    const int slash = int(job.destination.lastIndexOf(QLatin1Char('/')));
    const QString directory = slash < 0 ? QString() : job.destination.left(slash + 1);
    const QString base = withoutExtension(directory + lastComponent(job.source));

    // In this order, each over the text the previous one left.
    name.replace(QLatin1String("{source}"), base, Qt::CaseInsensitive);
    name.replace(QLatin1String("{videoCodec}"), videoShort, Qt::CaseInsensitive);
    name.replace(QLatin1String("{audioCodec}"), audioShort, Qt::CaseInsensitive);
    name.replace(QLatin1String("{videoWidth}"), QString::number(job.videoWidth), Qt::CaseInsensitive);
    name.replace(QLatin1String("{videoHeight}"), QString::number(job.videoHeight), Qt::CaseInsensitive);

    const QString suffix = extension.isEmpty() ? Lists::containerExtension(job.container) : extension;
    // A name that ends in a directory separator (or is empty) cannot take an extension.
    if (name.isEmpty() || name.endsWith(QLatin1Char('/')))
        return name;
    return name + QLatin1Char('.') + suffix;
}
