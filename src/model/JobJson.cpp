#include "model/JobJson.h"

#include "model/Vocabulary.h"

#include <QJsonArray>

namespace {

template<typename E> QJsonValue option(E value, OptionForm form)
{
    return form == OptionForm::RawText ? QJsonValue(rawText(value)) : QJsonValue(indexOfCase(value));
}

} // namespace

QJsonObject jobFieldsToJson(const MediaVideo &job, OptionForm form)
{
    QJsonObject o;
    o[QStringLiteral("id")] = job.id.toString(QUuid::WithoutBraces);
    o[QStringLiteral("source")] = job.source;
    o[QStringLiteral("destination")] = job.destination;
    o[QStringLiteral("container")] = job.container;
    o[QStringLiteral("deInterlace")] = job.deInterlace;
    o[QStringLiteral("deInterlaceAuto")] = job.deInterlaceAuto;
    o[QStringLiteral("interlaced")] = job.interlaced;
    o[QStringLiteral("isQuicktime")] = job.isQuicktime;
    o[QStringLiteral("videoEncoder")] = option(job.videoEncoder, form);
    o[QStringLiteral("videoDebit")] = job.videoDebit;
    o[QStringLiteral("videoRate")] = option(job.videoRate, form);
    o[QStringLiteral("videoQuality")] = job.videoQuality;
    o[QStringLiteral("qualityTarget")] = job.qualityTarget;
    o[QStringLiteral("width")] = job.width;
    o[QStringLiteral("height")] = job.height;
    o[QStringLiteral("videoCrop")] = job.videoCrop;
    o[QStringLiteral("videoProfile")] = option(job.videoProfile, form);
    o[QStringLiteral("videoPreset")] = option(job.videoPreset, form);
    o[QStringLiteral("videoTune")] = option(job.videoTune, form);
    o[QStringLiteral("audioEncoder")] = option(job.audioEncoder, form);
    o[QStringLiteral("audioDebit")] = job.audioDebit;
    o[QStringLiteral("audioSampling")] = job.audioSampling;
    o[QStringLiteral("audioChannels")] = option(job.audioChannels, form);
    o[QStringLiteral("durationVideo")] = job.durationVideo();
    o[QStringLiteral("durationVideoMiddle")] = job.durationVideoMiddle;
    o[QStringLiteral("frameCount")] = job.frameCount;
    o[QStringLiteral("audioTracks")] = QJsonArray::fromStringList(job.audioTracks);
    o[QStringLiteral("audioTrack")] = job.audioTrack;
    o[QStringLiteral("videoTracks")] = QJsonArray::fromStringList(job.videoTracks);
    o[QStringLiteral("videoTrack")] = job.videoTrack;
    o[QStringLiteral("subtitleTracks")] = QJsonArray::fromStringList(job.subtitleTracks);
    o[QStringLiteral("subtitleTrack")] = job.subtitleTrack;
    o[QStringLiteral("subtitleExternal")] = job.subtitleExternal;
    o[QStringLiteral("subtitleLanguage")] = job.subtitleLanguage;
    o[QStringLiteral("cropValue")] = job.cropValue;
    o[QStringLiteral("info")] = job.info;
    o[QStringLiteral("videoWidth")] = job.videoWidth;
    o[QStringLiteral("videoHeight")] = job.videoHeight;
    o[QStringLiteral("videoPixelAspectRatio")] = job.videoPixelAspectRatio;
    o[QStringLiteral("videoDisplayAspectRatio")] = job.videoDisplayAspectRatio;
    o[QStringLiteral("otherParam")] = job.otherParam;
    QJsonArray streams;
    for (const MediaStream &stream : job.streams)
        streams.append(streamToJson(stream));
    o[QStringLiteral("streams")] = streams;
    const auto numbers = [](const QList<int> &list) {
        QJsonArray out;
        for (const int n : list)
            out.append(n);
        return out;
    };
    // Absent: the tracks follow audioTrack and subtitleTrack.
    if (job.audioChoice)
        o[QStringLiteral("audioChoice")] = numbers(*job.audioChoice);
    if (job.subtitleChoice)
        o[QStringLiteral("subtitleChoice")] = numbers(*job.subtitleChoice);
    o[QStringLiteral("subtitleBurn")] = job.subtitleBurn;
    o[QStringLiteral("keepDate")] = job.keepDate;
    o[QStringLiteral("videoBitDepth")] = job.videoBitDepth;
    o[QStringLiteral("hdr")] = option(job.hdr, form);
    o[QStringLiteral("masteringDisplay")] = job.masteringDisplay;
    o[QStringLiteral("maxCll")] = job.maxCll;
    o[QStringLiteral("maxFall")] = job.maxFall;
    o[QStringLiteral("hdrOutput")] = option(job.hdrOutput, form);
    o[QStringLiteral("fitWithin")] = job.fitWithin;
    o[QStringLiteral("keepAllAudio")] = job.keepAllAudio;
    o[QStringLiteral("preset")] = job.preset;
    return o;
}
