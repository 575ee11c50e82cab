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
    for (const auto &[token, observer] : m_durationObservers.list)
        observer(*this, value);
    m_durationVideo = value;
}

int MediaVideo::observeDurationVideo(DurationObserver observer)
{
    const int token = m_durationObservers.nextToken++;
    m_durationObservers.list.emplace_back(token, std::move(observer));
    return token;
}

void MediaVideo::removeDurationObserver(int token)
{
    std::erase_if(m_durationObservers.list, [token](const auto &entry) { return entry.first == token; });
}

namespace {

// A real camera frame written as PNG takes megabytes; a list of thousands of jobs keeps one each. Past
// this size the preview is kept as a good JPEG instead, which only ever serves as a picture to look at.
constexpr qsizetype CompactAbove = 192 * 1024;

QByteArray compactPreview(const QByteArray &encoded, const QImage &decoded)
{
    if (encoded.size() <= CompactAbove)
        return encoded;
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    if (!decoded.save(&buffer, "JPEG", 90) || jpeg.size() >= encoded.size())
        return encoded;
    return jpeg;
}

} // namespace

bool MediaVideo::setImageData(const QByteArray &encoded)
{
    QImage decoded;
    if (encoded.isEmpty() || !decoded.loadFromData(encoded) || decoded.isNull())
        return false;
    m_imageData = compactPreview(encoded, decoded);
    m_imageSize = decoded.size();
    m_thumbnail = decoded.scaled(ThumbnailSize, ThumbnailSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return true;
}

void MediaVideo::copyImageFrom(const MediaVideo &other)
{
    m_imageData = other.m_imageData;
    m_imageSize = other.m_imageSize;
    m_thumbnail = other.m_thumbnail;
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
    m_imageData = compactPreview(bytes, image);
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
