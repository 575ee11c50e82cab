#include "tools/EncoderCatalog.h"

#include "model/MediaVideo.h"
#include "tools/ToolRunner.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QRegularExpression>

EncoderCatalog &EncoderCatalog::instance()
{
    static EncoderCatalog catalog;
    return catalog;
}

QSet<QString> EncoderCatalog::parseEncoderList(const QString &ffmpegOutput)
{
    // The list follows a legend (" V..... = Video" and so on) closed by a line of dashes; each entry is
    // six capability letters or dots, the encoder name and its description.
    static const QRegularExpression entry(QStringLiteral("^\\s*[VAS][A-Z.]{5}\\s+(\\S+)"));
    QSet<QString> names;
    bool inList = false;
    const QStringList lines =
        ffmpegOutput.split(QRegularExpression(QStringLiteral("[\r\n]")), Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        if (!inList) {
            inList = line.trimmed().startsWith(QLatin1String("------"));
            continue;
        }
        const QRegularExpressionMatch match = entry.match(line);
        if (match.hasMatch())
            names.insert(match.captured(1));
    }
    return names;
}

bool EncoderCatalog::refresh(const ToolRunner &tools)
{
    QString output;
    tools.runTool(QStringLiteral("ffmpeg"), {QStringLiteral("-hide_banner"), QStringLiteral("-encoders")},
                  tools.timeLimits().encoderList,
                  [&output](const QString &line) { output += line + QLatin1Char('\n'); });
    const QSet<QString> names = parseEncoderList(output);
    // An empty list means the tool failed, not that it has no encoder: keep what was known.
    if (names.isEmpty())
        return false;
    setAvailable(names);
    return true;
}

void EncoderCatalog::setAvailable(const QSet<QString> &names)
{
    const QMutexLocker lock(&m_mutex);
    m_available = names;
    m_known = true;
}

void EncoderCatalog::reset()
{
    const QMutexLocker lock(&m_mutex);
    m_available.clear();
    m_known = false;
}

bool EncoderCatalog::isKnown() const
{
    const QMutexLocker lock(&m_mutex);
    return m_known;
}

bool EncoderCatalog::isAvailable(const QString &encoder) const
{
    // "copy" passes the stream through and needs no encoder.
    if (encoder == QLatin1String("copy"))
        return true;
    const QMutexLocker lock(&m_mutex);
    return !m_known || m_available.contains(encoder);
}

QString EncoderCatalog::unavailableTip(const QString &encoder)
{
    return QCoreApplication::translate("EncoderCatalog", "%1 is not available in the installed ffmpeg")
        .arg(encoder);
}

QString EncoderCatalog::jobWarning(const MediaVideo &job) const
{
    QStringList missing;
    for (const QString &encoder : {rawText(job.videoEncoder), rawText(job.audioEncoder)}) {
        if (!isAvailable(encoder))
            missing << encoder;
    }
    if (missing.isEmpty())
        return {};
    if (missing.size() == 1)
        return QCoreApplication::translate("EncoderCatalog",
                                           "The installed ffmpeg has no %1 encoder: this job will fail")
            .arg(missing.first());
    return QCoreApplication::translate("EncoderCatalog",
                                       "The installed ffmpeg has no %1 and no %2 encoder: this job will fail")
        .arg(missing.at(0), missing.at(1));
}
