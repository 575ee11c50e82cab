#include "model/MediaVideo.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>

MediaVideo::MediaVideo(QString source, QString destination)
    : source(std::move(source)), destination(std::move(destination))
{
}

void MediaVideo::setDurationVideo(const QString &value)
{
    for (const auto &[token, observer] : m_durationObservers)
        observer(*this, value);
    m_durationVideo = value;
}

int MediaVideo::observeDurationVideo(DurationObserver observer)
{
    const int token = m_nextObserverToken++;
    m_durationObservers.emplace_back(token, std::move(observer));
    return token;
}

void MediaVideo::removeDurationObserver(int token)
{
    std::erase_if(m_durationObservers, [token](const auto &entry) { return entry.first == token; });
}

bool MediaVideo::setImageData(const QByteArray &encoded)
{
    QImage decoded;
    if (encoded.isEmpty() || !decoded.loadFromData(encoded) || decoded.isNull())
        return false;
    m_imageData = encoded;
    m_imageSize = decoded.size();
    m_thumbnail = decoded.scaled(ThumbnailSize, ThumbnailSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return true;
}

void MediaVideo::setImage(const QImage &image)
{
    if (image.isNull()) {
        m_imageData.clear();
        m_imageSize = {};
        m_thumbnail = {};
        return;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    m_imageData = bytes;
    m_imageSize = image.size();
    m_thumbnail = image.scaled(ThumbnailSize, ThumbnailSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QImage MediaVideo::image() const
{
    QImage decoded;
    if (!m_imageData.isEmpty())
        decoded.loadFromData(m_imageData);
    return decoded;
}
