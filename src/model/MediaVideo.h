#pragma once

#include "model/JobResult.h"
#include "model/JobSettings.h"
#include "model/MediaStream.h"
#include "model/Vocabulary.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ToolRunner;

// One source file with its probed facts, its encoding settings (the JobSettings it is made of) and the
// result of its last run.
//
// A job is shared (std::shared_ptr) by the job list, the open editor and a running batch. It has no
// lock: the user interface keeps edits away from background work by disabling itself meanwhile.
class MediaVideo : public JobSettings
{
public:
    using Ptr = std::shared_ptr<MediaVideo>;

    // A job with the start values only: no preferences read, nothing probed.
    explicit MediaVideo(QString source = {}, QString destination = {});

    QUuid id = QUuid::createUuid();
    QString source;
    QString destination;
    // Probed: mediainfo reports an interlaced (or MBAFF) scan for the video.
    bool interlaced = false;
    // Probed: every stream of the source, described for people (the track lines describe them for the
    // command). Empty for a job probed before streams were described.
    QList<MediaStream> streams;
    // Probed from the first video stream: its bit depth and high dynamic range signalling. HDR10's
    // mastering display is kept in x265's form "G(x,y)B(x,y)R(x,y)WP(x,y)L(max,min)" (empty when not
    // given), its light levels in cd/m² (0 when not given).
    int videoBitDepth = 8;
    HdrKind hdr = HdrKind::None;
    QString masteringDisplay;
    int maxCll = 0;
    int maxFall = 0;

    // Whether the command deinterlaces the picture.
    bool deinterlaces() const { return deInterlace || (deInterlaceAuto && interlaced); }
    const QString &durationVideo() const { return m_durationVideo; }
    // Tells the observers before the value changes.
    void setDurationVideo(const QString &value);

    QString durationVideoMiddle = QStringLiteral("00:00:00");
    // Probed track lines, which the settings' track numbers point into.
    QStringList audioTracks; // [summary, stream 1, stream 2, ...]
    QStringList videoTracks;
    QStringList subtitleTracks; // [] or ["No subtitle", (summary,) stream 1, ...]
    QString info;
    qint64 frameCount = 0; // the source's frames, as probed; 0 when not told
    int videoWidth = 0;
    int videoHeight = 0;
    double videoPixelAspectRatio = 0;
    double videoDisplayAspectRatio = 0;
    // Why probing told less than it should: the reason of the first tool that timed out, crashed or could
    // not start. Empty when every tool answered.
    QString probeError;

    // The preview frame is kept encoded (as the tool wrote it); the list shows the small thumbnail
    // made once, and editors decode the full picture on demand.
    bool setImageData(const QByteArray &encoded); // false, and nothing changed, when it does not decode
    void setImage(const QImage &image);
    // The preview of `other`, decoded already (on a worker), without decoding it again.
    void copyImageFrom(const MediaVideo &other);
    QImage image() const;
    const QByteArray &imageData() const { return m_imageData; }
    QSize imageSize() const { return m_imageSize; }
    const QImage &thumbnail() const { return m_thumbnail; }
    bool hasImage() const { return !m_imageData.isEmpty(); }

    // Result of the last encoding run; written on the user interface thread only.
    JobResult result;

    using DurationObserver = std::function<void(const MediaVideo &job, const QString &newValue)>;
    int observeDurationVideo(DurationObserver observer);
    void removeDurationObserver(int token);

    static constexpr int ThumbnailSize = 128; // pixels, twice the 64-point row picture

private:
    QString m_durationVideo = QStringLiteral("00:00:00");
    QByteArray m_imageData;
    QSize m_imageSize;
    QImage m_thumbnail;
    // Observers belong to the job they were given to: a copy (an editor's draft) starts without any, and
    // a job assigned another's values keeps its own.
    struct DurationObservers
    {
        std::vector<std::pair<int, DurationObserver>> list;
        int nextToken = 1;
        DurationObservers() = default;
        DurationObservers(const DurationObservers &) {}
        DurationObservers &operator=(const DurationObservers &) { return *this; }
    };
    DurationObservers m_durationObservers;
};
