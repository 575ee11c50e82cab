#pragma once

#include "model/JobResult.h"
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

// One source file with its probed facts and its encoding settings.
//
// A job is shared (std::shared_ptr) by the job list, the open editor and a running batch. It has no
// lock: the user interface keeps edits away from background work by disabling itself meanwhile.
class MediaVideo
{
public:
    using Ptr = std::shared_ptr<MediaVideo>;

    // A job with the start values only: no preferences read, nothing probed.
    explicit MediaVideo(QString source = {}, QString destination = {});

    QUuid id = QUuid::createUuid();
    QString source;
    QString destination;
    int container = 1;            // index into Lists::containers()
    bool deInterlace = true;      // always deinterlace
    bool deInterlaceAuto = false; // deinterlace when the source is interlaced (see `interlaced`)
    bool isQuicktime = true;
    VideoEncoders videoEncoder = VideoEncoders::libx265;
    int videoDebit = 1000; // kbit/s, 0 = automatic
    VideoRate videoRate = VideoRate::Bitrate;
    int videoQuality = Lists::defaultVideoQuality; // used with VideoRate::Quality, lower is better
    int width = -2;                                // pixels, -2 = automatic
    int height = -2;
    QString videoCrop; // empty = none, "-1" = detect when encoding, else "W:H:X:Y"
    VideoProfiles videoProfile = VideoProfiles::Auto;
    VideoPresets videoPreset = VideoPresets::Auto;
    VideoTunes videoTune = VideoTunes::Auto;
    AudioEncoders audioEncoder = AudioEncoders::aac;
    int audioDebit = 160;      // kbit/s, 0 = automatic
    int audioSampling = 44100; // Hz, 0 = automatic
    // Probed: mediainfo reports an interlaced (or MBAFF) scan for the video.
    bool interlaced = false;
    AudioChannels audioChannels = AudioChannels::Stereo;
    // Probed: every stream of the source, described for people (the track lines above describe them for
    // the command). Empty for a job probed before streams were described.
    QList<MediaStream> streams;
    // The audio and subtitle tracks kept, by number from 1 in the source's order, when the user chose
    // them one by one; nullopt leaves the choice to `audioTrack` and `subtitleTrack`.
    std::optional<QList<int>> audioChoice;
    std::optional<QList<int>> subtitleChoice;
    int subtitleBurn = 0;  // the subtitle track drawn into the picture, by number from 1; 0 = none
    bool keepDate = false; // the output gets the source's modification time
    // Probed from the first video stream: its bit depth and high dynamic range signalling. HDR10's
    // mastering display is kept in x265's form "G(x,y)B(x,y)R(x,y)WP(x,y)L(max,min)" (empty when not
    // given), its light levels in cd/m² (0 when not given).
    int videoBitDepth = 8;
    HdrKind hdr = HdrKind::None;
    QString masteringDisplay;
    int maxCll = 0;
    int maxFall = 0;
    HdrOutput hdrOutput = HdrOutput::Keep;

    // Whether the command deinterlaces the picture.
    bool deinterlaces() const { return deInterlace || (deInterlaceAuto && interlaced); }
    const QString &durationVideo() const { return m_durationVideo; }
    // Tells the observers before the value changes.
    void setDurationVideo(const QString &value);

    QString durationVideoMiddle = QStringLiteral("00:00:00");
    QStringList audioTracks; // [summary, stream 1, stream 2, ...]
    int audioTrack = 0;      // 0 = every stream, k = stream line k alone
    QStringList videoTracks;
    int videoTrack = 0;
    QStringList subtitleTracks; // [] or ["No subtitle", (summary,) stream 1, ...]
    int subtitleTrack = 0;
    QString subtitleExternal;
    QString subtitleLanguage = QStringLiteral("fre");
    int cropValue = 0; // index into the crop presets
    QString info;
    int videoWidth = 0;
    int videoHeight = 0;
    double videoPixelAspectRatio = 0;
    double videoDisplayAspectRatio = 0;
    QString otherParam;
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
