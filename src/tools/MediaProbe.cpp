#include "tools/MediaProbe.h"

#include "model/Preferences.h"
#include "tools/Crop.h"
#include "tools/OutputName.h"
#include "tools/ToolRunner.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <cmath>

namespace {

const QString General = QStringLiteral("General");
const QString Video = QStringLiteral("Video");
const QString Audio = QStringLiteral("Audio");
const QString Text = QStringLiteral("Text");

const QString VideoTemplate =
    QStringLiteral("%ID% %StreamOrder% %Format% %BitRate/String% Size: %Width%x%Height% "
                   "DAR: %DisplayAspectRatio/String% PAR: %PixelAspectRatio%#");
const QString AudioTemplate =
    QStringLiteral("%ID% %StreamOrder% %Format/Info% %BitRate/String% %BitRate_Mode% "
                   "%SamplingRate/String% %Channels% %Language/String1%#");
const QString TextTemplate = QStringLiteral("%ID% %Format% %Language/String%#");
const QString InfoTemplate =
    QStringLiteral("%Format% %Duration/String3% V:%VideoCount% A:%AudioCount% S:%TextCount%");
const QString AudioSummary = QStringLiteral("Select %AudioCount% track(s) for encoding");
const QString TextSummary = QStringLiteral("Select %TextCount% track(s) for encoding");

int wholeOrZero(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

double numberOrOne(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? value : 1.0;
}

// The preview frame goes to "image.png" in a directory of this probe's own, so probes that overlap
// never read each other's picture; the directory goes with the function.
void takePreview(MediaVideo &job, const ToolRunner &tools)
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/tavrix-preview-XXXXXX"));
    if (!dir.isValid())
        return;
    const QString path = dir.filePath(QStringLiteral("image.png"));
    extractPreviewFrame(tools, job.source, path, job.durationVideoMiddle);
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        job.setImageData(file.readAll()); // keeps the empty image when the bytes do not decode
}

} // namespace

QString formatDuration(double milliseconds)
{
    if (!std::isfinite(milliseconds))
        milliseconds = 0;
    // As a clock time, UTC: hours run 00 to 23 and a day wraps; fractions drop.
    const qint64 ms = qint64(std::fmod(std::trunc(milliseconds), 86400000.0));
    return QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc()).toString(QStringLiteral("HH:mm:ss"));
}

MediaVideo::Ptr createMediaVideo(const QString &source, const QString &destination, const ToolRunner &tools)
{
    namespace Key = Preferences::Key;
    auto job = std::make_shared<MediaVideo>(source, destination);

    job->container = Preferences::readInt(Key::container);
    if (job->container < 0 || job->container >= Lists::containers().size())
        job->container = 0;
    job->videoEncoder = caseAtOrFirst<VideoEncoders>(Preferences::readInt(Key::videoEncoder));
    job->videoProfile = caseAtOrFirst<VideoProfiles>(Preferences::readInt(Key::videoProfile));
    job->videoPreset = caseAtOrFirst<VideoPresets>(Preferences::readInt(Key::videoPreset));
    job->videoTune = caseAtOrFirst<VideoTunes>(Preferences::readInt(Key::videoTune));
    job->audioEncoder = caseAtOrFirst<AudioEncoders>(Preferences::readInt(Key::audioEncoder));
    job->videoDebit = Preferences::readInt(Key::videoDebit);
    job->audioDebit = Preferences::readInt(Key::audioDebit);
    job->audioSampling = Preferences::readInt(Key::audioSampling);
    job->isQuicktime = Preferences::readBool(Key::quicktime);
    job->deInterlace = Preferences::readBool(Key::deInterlace);

    if (Preferences::readInt(Key::formatFile) != 0)
        job->destination = outputName(*job);

    if (job->source.isEmpty())
        return job;

    // A file without a readable duration (corrupt, empty, not media) keeps "00:00:00"; seeking into it
    // for a picture or borders would only waste two tool runs.
    bool hasDuration = false;
    const double milliseconds =
        tools.mediaInfoField(job->source, General, QStringLiteral("Duration")).toDouble(&hasDuration);
    hasDuration = hasDuration && std::isfinite(milliseconds) && milliseconds >= 0;
    if (hasDuration) {
        job->durationVideoMiddle = formatDuration(milliseconds * 0.5);
        job->setDurationVideo(formatDuration(milliseconds));
        takePreview(*job, tools);
    }

    job->info = tools.mediaInfoText(job->source, General, InfoTemplate);
    job->videoWidth = wholeOrZero(tools.mediaInfoField(job->source, Video, QStringLiteral("Width")));
    job->videoHeight = wholeOrZero(tools.mediaInfoField(job->source, Video, QStringLiteral("Height")));
    job->videoDisplayAspectRatio =
        numberOrOne(tools.mediaInfoField(job->source, Video, QStringLiteral("DisplayAspectRatio")));
    job->videoPixelAspectRatio =
        numberOrOne(tools.mediaInfoField(job->source, Video, QStringLiteral("PixelAspectRatio")));
    job->videoTracks = tools.mediaInfoList(job->source, Video, VideoTemplate, QLatin1Char('#'));

    if (hasDuration && Preferences::readBool(Key::autoCrop)) {
        const QString crop = findCropString(detectCrop(tools, job->source, job->durationVideoMiddle));
        if (!crop.isEmpty()) {
            job->videoCrop = crop;
            job->cropValue = 1;
        }
    }

    job->audioTracks = tools.mediaInfoList(job->source, Audio, AudioTemplate, QLatin1Char('#'));
    job->audioTracks.prepend(tools.mediaInfoText(job->source, General, AudioSummary));
    job->audioTrack = 1;

    job->subtitleTracks = tools.mediaInfoList(job->source, Text, TextTemplate, QLatin1Char('#'));
    if (!job->subtitleTracks.isEmpty()) {
        if (job->subtitleTracks.size() >= 2)
            job->subtitleTracks.prepend(tools.mediaInfoText(job->source, General, TextSummary));
        job->subtitleTracks.prepend(QStringLiteral("No subtitle"));
    }
    job->subtitleTrack = 0;

    job->subtitleLanguage = Preferences::readText(Key::subtitleLanguage).value_or(QString());
    return job;
}
