#include "rules/JobRules.h"

#include "model/MediaVideo.h"
#include "model/Vocabulary.h"
#include "rules/OutputName.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <array>

namespace {

// Messages of the rules; lupdate files them under this context.
struct JobRulesText
{
    Q_DECLARE_TR_FUNCTIONS(JobRules)
};

// The Format word of a subtitle line.
QString subtitleFormat(const QString &line)
{
    const QStringList words = line.trimmed().split(QLatin1Char(' '));
    return words.size() > 1 ? words[1] : QString();
}

bool isPictureFormat(const QString &format)
{
    static const QStringList pictures{QStringLiteral("PGS"), QStringLiteral("VobSub"),
                                      QStringLiteral("DVB"), QStringLiteral("DVD"),
                                      QStringLiteral("RLE"), QStringLiteral("XSUB")};
    return pictures.contains(format);
}

// The picture format of a subtitle file by its extension (Blu-ray .sup, DVD .sub/.idx); empty for text.
QString pictureFileFormat(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("sup"))
        return QStringLiteral("PGS");
    if (suffix == QLatin1String("sub") || suffix == QLatin1String("idx"))
        return QStringLiteral("VobSub");
    return {};
}

} // namespace

QList<int> chosenAudioTracks(const MediaVideo &job)
{
    const int count = int(std::max<qsizetype>(0, job.audioTracks.size() - 1));
    QList<int> out;
    if (job.audioChoice) {
        for (int n = 1; n <= count; ++n) {
            if (job.audioChoice->contains(n))
                out << n;
        }
        return out;
    }
    // Entry 0 is the summary, which stands for every stream; an index past the list reads as it.
    const int track = job.audioTrack >= 1 && job.audioTrack <= count ? job.audioTrack : 0;
    if (track > 0)
        return {track};
    for (int n = 1; n <= count; ++n)
        out << n;
    return out;
}

QStringList subtitleStreamLines(const MediaVideo &job)
{
    // ["No subtitle", s1] or ["No subtitle", summary, s1, s2, ...]
    return job.subtitleTracks.mid(job.subtitleTracks.size() > 2 ? 2 : 1);
}

QList<SubtitleStream> chosenSubtitleStreams(const MediaVideo &job)
{
    const QStringList lines = subtitleStreamLines(job);
    QList<SubtitleStream> streams;
    const auto add = [&](int position) { streams.append({lines.at(position), position}); };
    if (job.subtitleChoice) {
        for (int i = 0; i < lines.size(); ++i) {
            if (job.subtitleChoice->contains(i + 1))
                add(i);
        }
        return streams;
    }
    // Entry 1 is the summary that stands for every stream, or the only stream.
    const int track =
        job.subtitleTrack >= 0 && job.subtitleTrack < job.subtitleTracks.size() ? job.subtitleTrack : 0;
    if (track < 1)
        return {};
    const int first = int(job.subtitleTracks.size() - lines.size());
    for (int i = 0; i < lines.size(); ++i) {
        if (track < first || track == first + i)
            add(i);
    }
    return streams;
}

QList<int> chosenSubtitleTracks(const MediaVideo &job)
{
    QList<int> out;
    for (const SubtitleStream &stream : chosenSubtitleStreams(job))
        out << stream.position + 1;
    return out;
}

void chooseAudioTracks(MediaVideo &job, const QList<int> &tracks)
{
    job.audioChoice.reset();
    if (tracks.size() == job.audioTracks.size() - 1)
        job.audioTrack = 0;
    else if (tracks.size() == 1)
        job.audioTrack = tracks.front();
    else
        job.audioChoice = tracks;
}

void chooseSubtitleTracks(MediaVideo &job, const QList<int> &tracks)
{
    job.subtitleChoice.reset();
    const int first = int(job.subtitleTracks.size() - subtitleStreamLines(job).size());
    if (tracks.isEmpty())
        job.subtitleTrack = 0;
    else if (tracks.size() == subtitleStreamLines(job).size())
        job.subtitleTrack = 1;
    else if (tracks.size() == 1)
        job.subtitleTrack = first + tracks.front() - 1;
    else
        job.subtitleChoice = tracks;
}

bool isPictureSubtitle(const SubtitleStream &stream)
{
    return isPictureFormat(subtitleFormat(stream.line));
}

std::optional<SubtitleStream> burntSubtitle(const MediaVideo &job)
{
    if (job.subtitleBurn < 1 || job.videoEncoder == VideoEncoders::copy)
        return std::nullopt;
    const QStringList lines = subtitleStreamLines(job);
    if (job.subtitleBurn > lines.size())
        return std::nullopt;
    return SubtitleStream{lines.at(job.subtitleBurn - 1), job.subtitleBurn - 1};
}

SubtitlePlan subtitlePlan(const MediaVideo &job)
{
    SubtitlePlan plan;
    const std::optional<SubtitleStream> burnt = burntSubtitle(job);
    const bool matroska = containerOf(job) == Container::Matroska;
    for (const SubtitleStream &stream : chosenSubtitleStreams(job)) {
        if (burnt && burnt->position == stream.position)
            continue;
        if (!matroska && isPictureSubtitle(stream))
            plan.leftOut << stream;
        else
            plan.kept << stream;
    }
    return plan;
}

QString leftOutNote(const MediaVideo &job)
{
    const qsizetype left = subtitlePlan(job).leftOut.size();
    if (left == 0)
        return {};
    return JobRulesText::tr("%n picture subtitle(s) cannot go into %1: left out", nullptr, int(left))
        .arg(Lists::containers().value(job.container).toUpper());
}

SubtitleCheck checkSubtitles(const MediaVideo &job,
                             const std::function<bool(const QString &path)> &fileExists)
{
    const QString external = job.subtitleExternal;
    if (external.isEmpty())
        return {};
    if (!(fileExists ? fileExists(external) : QFileInfo(external).isFile()))
        return {SubtitleCheck::Problem::MissingFile,
                JobRulesText::tr("The subtitle file “%1” does not exist.")
                    .arg(QDir::toNativeSeparators(external))};
    // A file the user added is meant to be in the output: it is refused rather than left out.
    if (const QString format = pictureFileFormat(external);
        containerOf(job) != Container::Matroska && !format.isEmpty())
        return {SubtitleCheck::Problem::PictureInMp4,
                JobRulesText::tr("The subtitle file “%1” holds picture subtitles (%2), which %3 cannot hold; "
                                 "choose Matroska or a text subtitle file.")
                    .arg(QFileInfo(external).fileName(), format,
                         Lists::containers().value(job.container).toUpper())};
    return {};
}

Container containerOf(const MediaVideo &job)
{
    return Lists::containerAt(job.container);
}

QStringList chosenAudioLines(const MediaVideo &job)
{
    QStringList lines;
    for (const int track : chosenAudioTracks(job))
        lines << job.audioTracks.at(track);
    return lines;
}

QString trackFormat(const QString &trackLine)
{
    return trackLine.section(QLatin1Char(' '), 2);
}

namespace {

// The format word(s) of a track line, or empty when mediainfo could not name it (the bitrate or the
// size then comes first).
QString knownFormat(const QString &trackLine)
{
    const QString format = trackFormat(trackLine).trimmed();
    if (format.isEmpty() || format.startsWith(QLatin1String("Size:")) || format.front().isDigit())
        return {};
    return format;
}

bool isOneOf(const QString &format, const QStringList &names)
{
    for (const QString &name : names) {
        if (format == name || format.startsWith(name + QLatin1Char(' ')))
            return true;
    }
    return false;
}

QString firstWord(const QString &format)
{
    return format.section(QLatin1Char(' '), 0, 0);
}

QString chosenVideoLine(const MediaVideo &job)
{
    const int track = job.videoTrack >= 0 && job.videoTrack < job.videoTracks.size() ? job.videoTrack : 0;
    return job.videoTracks.value(track);
}

// The chosen audio tracks as a person reads them and their format, as mediainfo names it ("AAC", "PCM",
// "Opus"). The stream descriptions name every format; without them (a job probed before they were made)
// the track lines name some, and none for Opus, Vorbis, MP3 and PCM.
QList<std::pair<QString, QString>> copiedAudio(const MediaVideo &job)
{
    const QList<MediaStream> streams = streamsOf(job.streams, MediaStream::Kind::Audio);
    const bool described = streams.size() == job.audioTracks.size() - 1;
    QList<std::pair<QString, QString>> out;
    for (const int track : chosenAudioTracks(job)) {
        if (described)
            out.append({streamLabel(streams.at(track - 1)), streams.at(track - 1).format});
        else
            out.append({job.audioTracks.at(track).trimmed(), knownFormat(job.audioTracks.at(track))});
    }
    return out;
}

QString webmMisfit(const MediaVideo &job)
{
    // As mediainfo names what the WebM writer takes.
    static const QStringList webmVideo{QStringLiteral("VP8"), QStringLiteral("VP9"), QStringLiteral("AV1")};
    static const QStringList webmAudio{QStringLiteral("Opus"), QStringLiteral("Vorbis")};
    const EncoderFamily family = familyOf(job.videoEncoder);
    if (family == EncoderFamily::Copy) {
        const QString format = knownFormat(chosenVideoLine(job));
        if (!format.isEmpty() && !isOneOf(format, webmVideo))
            return JobRulesText::tr("WebM cannot hold the source's %1 video as it is: choose libsvtav1 or "
                                    "libvpx-vp9, or MKV.")
                .arg(firstWord(format));
    } else if (family != EncoderFamily::SvtAv1 && family != EncoderFamily::Vpx) {
        return JobRulesText::tr("WebM holds only VP9 or AV1 video, which %1 does not write: choose "
                                "libsvtav1 or libvpx-vp9, or MKV.")
            .arg(rawText(job.videoEncoder));
    }
    const QStringList audio = chosenAudioLines(job);
    if (audio.isEmpty() || job.audioEncoder == AudioEncoders::libopus)
        return {};
    if (job.audioEncoder != AudioEncoders::copy)
        return JobRulesText::tr("WebM holds only Opus or Vorbis audio, which %1 does not write: choose "
                                "libopus, or MKV.")
            .arg(rawText(job.audioEncoder));
    for (const auto &[name, format] : copiedAudio(job)) {
        if (!format.isEmpty() && !isOneOf(format, webmAudio))
            return JobRulesText::tr(
                       "WebM cannot hold the source's audio stream “%1” as it is: choose libopus, or MKV.")
                .arg(name);
    }
    return {};
}

} // namespace

QString videoCopyMisfit(const MediaVideo &job)
{
    if (job.videoEncoder != VideoEncoders::copy || containerOf(job) != Container::Mp4)
        return {};
    const QString format = knownFormat(chosenVideoLine(job));
    if (format.isEmpty())
        return {};
    // What the MP4 writer takes as it is, as mediainfo names it.
    static const QStringList mp4{QStringLiteral("AVC"),           QStringLiteral("HEVC"),
                                 QStringLiteral("AV1"),           QStringLiteral("VP9"),
                                 QStringLiteral("MPEG-4 Visual"), QStringLiteral("MPEG Video"),
                                 QStringLiteral("VC-1"),          QStringLiteral("JPEG")};
    if (isOneOf(format, mp4))
        return {};
    return QCoreApplication::translate(
               "JobRules", "MP4 cannot hold the source's %1 video as it is: choose MKV, or an encoder.")
        .arg(firstWord(format));
}

QString containerMisfit(const MediaVideo &job)
{
    switch (containerOf(job)) {
    case Container::Mp4:
        if (const QString video = videoCopyMisfit(job); !video.isEmpty())
            return video;
        // ffmpeg 5.1 writes FLAC into MP4 only with -strict experimental.
        if (job.audioEncoder == AudioEncoders::flac && !chosenAudioLines(job).isEmpty())
            return JobRulesText::tr("MP4 holds FLAC audio only in ffmpeg's experimental mode: choose MKV, or "
                                    "another audio encoder.");
        if (job.audioEncoder == AudioEncoders::copy) {
            // What ffmpeg's MP4 writer refuses, or takes only experimentally (TrueHD is "MLP FBA").
            static const QStringList refused{QStringLiteral("PCM"), QStringLiteral("FLAC"),
                                             QStringLiteral("MLP FBA")};
            for (const auto &[name, format] : copiedAudio(job)) {
                if (refused.contains(format))
                    return JobRulesText::tr("MP4 cannot hold the source's audio stream “%1” as it is: choose "
                                            "an audio encoder, or MKV.")
                        .arg(name);
            }
        }
        return {};
    case Container::WebM:
        return webmMisfit(job);
    case Container::Matroska:
        return {};
    }
    return {};
}

int figureIndex(const QStringList &list, int figure)
{
    return std::max(0, int(list.indexOf(QString::number(figure))));
}

QString withContainerExtension(const QString &path, int container)
{
    // A dot inside a directory name, or a hidden file's leading dot, does not start an extension.
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const QString base = dot <= slash + 1 ? path : path.left(dot);
    return base + QLatin1Char('.') + Lists::containerExtension(container);
}

QString destinationPreview(const MediaVideo &job, int formatFile, const QString &shown,
                           const QString &videoCodec, const QString &audioCodec, int container)
{
    if (formatFile != 0)
        return outputNameWithTemplate(job, formatFile, videoCodec, audioCodec,
                                      Lists::containerExtension(container));
    return shown.isEmpty() ? shown : withContainerExtension(shown, container);
}

TypedDestination typedDestination(const QString &typed, const MediaVideo &job, int container)
{
    // An empty field is no file name: ".mp4" in the application's working directory is never meant.
    if (typed.trimmed().isEmpty())
        return {TypedDestination::Refusal::Empty, {}};
    // A bare name goes beside the job's destination, not where the application started.
    QString path = typed;
    if (QDir::isRelativePath(path)) {
        const QString base = job.destination.isEmpty() ? job.source : job.destination;
        path = QDir(QFileInfo(base).absolutePath()).filePath(path);
    }
    if (QFileInfo(path).isDir())
        path = QDir(path).filePath(QFileInfo(job.source).fileName());
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir(folder).exists())
        return {TypedDestination::Refusal::MissingFolder, folder};
    return {TypedDestination::Refusal::None, withContainerExtension(QDir::cleanPath(path), container)};
}

QString sameFormatAs(const MediaVideo &job)
{
    // The source's container, as the first word of the probed summary names it.
    static const std::array<std::pair<const char *, Container>, 3> containers{
        {{"MPEG-4", Container::Mp4}, {"Matroska", Container::Matroska}, {"WebM", Container::WebM}}};
    const QString sourceContainer = job.info.section(QLatin1Char(' '), 0, 0);
    const auto container = std::find_if(containers.cbegin(), containers.cend(), [&](const auto &c) {
        return sourceContainer == QLatin1String(c.first);
    });
    if (container == containers.cend() || container->second != containerOf(job))
        return {};
    // The video format the encoder writes, as mediainfo names it; a copy keeps the source's own.
    const QString source = knownFormat(chosenVideoLine(job));
    QString written;
    switch (familyOf(job.videoEncoder)) {
    case EncoderFamily::Copy:
        written = source;
        break;
    case EncoderFamily::SvtAv1:
        written = QStringLiteral("AV1");
        break;
    case EncoderFamily::Vpx:
        written = QStringLiteral("VP9");
        break;
    default:
        written = isHevc(job.videoEncoder) ? QStringLiteral("HEVC") : QStringLiteral("AVC");
        break;
    }
    if (source.isEmpty() || !isOneOf(source, {written}))
        return {};
    static const QHash<QString, QString> shown{{QStringLiteral("AVC"), QStringLiteral("H.264")},
                                               {QStringLiteral("HEVC"), QStringLiteral("HEVC")},
                                               {QStringLiteral("AV1"), QStringLiteral("AV1")},
                                               {QStringLiteral("VP9"), QStringLiteral("VP9")}};
    return JobRulesText::tr("%1 in %2")
        .arg(shown.value(written, written), containerOf(job) == Container::WebM
                                                ? QStringLiteral("WebM")
                                                : Lists::containerExtension(job.container).toUpper());
}
