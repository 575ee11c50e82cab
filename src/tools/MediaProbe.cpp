#include "tools/MediaProbe.h"

#include "tools/ToolRunner.h"

#include <QDateTime>
#include <QTimeZone>

QString formatDuration(double milliseconds)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(milliseconds), QTimeZone::utc()).toString(QStringLiteral("HH:mm:ss"));
}

MediaVideo::Ptr createMediaVideo(const QString &source, const QString &destination, const ToolRunner &tools)
{
    Q_UNUSED(tools);
    return std::make_shared<MediaVideo>(source, destination); // probing comes with the media prober
}
