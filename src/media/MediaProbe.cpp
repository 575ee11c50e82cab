#include "media/MediaProbe.h"

#include "media/Preview.h"
#include "process/ToolRunner.h"
#include "rules/Crop.h"
#include "rules/HdrSignal.h"
#include "rules/JobRules.h"
#include "rules/OutputName.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
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
// One record per stream, the same fields for every kind; the separators are not mediainfo's.
const QString StreamTemplate = QStringLiteral(
    "%Format%|~f~|%Language%|~f~|%Language/String%|~f~|%Title%|~f~|%Channel(s)%|~f~|%BitRate%|~f~|"
    "%BitDepth%|~f~|%Default%|~f~|%Forced%|~r~|");
// Bit depth and high dynamic range of a video stream. Every stream gives a line, empty values or not, so
// the first line is the first stream's.
const QString ColourTemplate = QStringLiteral(
    "%BitDepth%|%transfer_characteristics%|%HDR_Format_Compatibility%|%MasteringDisplay_ColorPrimaries%|"
    "%MasteringDisplay_Luminance%|%MaxCLL%|%MaxFALL%#");
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

// The first tool that did not reach its own end tells why the job knows less than it should.
void noteFailure(MediaVideo &job, const ToolOutcome &outcome, const char *what = nullptr)
{
    if (outcome.finished() || !job.probeError.isEmpty())
        return;
    job.probeError =
        what ? QCoreApplication::translate("MediaProbe", what).arg(outcome.reason()) : outcome.reason();
}

// The preview frame goes to "image.png" in a directory of this probe's own, so probes that overlap
// never read each other's picture.
void takePreview(MediaVideo &job, const ToolRunner &tools, const QString &workDir)
{
    const QString path = QDir(workDir).filePath(QStringLiteral("image.png"));
    ToolOutcome outcome;
    extractPreviewFrame(tools, job.source, path, job.durationVideoMiddle, &outcome);
    noteFailure(job, outcome, QT_TRANSLATE_NOOP("MediaProbe", "No preview picture: %1"));
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        job.setImageData(file.readAll()); // keeps the empty image when the bytes do not decode
    file.remove();
}

// The streams of one kind from the answer to StreamTemplate, numbered from 1.
QList<MediaStream> streamRecords(MediaStream::Kind kind, const QString &answer)
{
    QList<MediaStream> out;
    const QStringList records = answer.split(QStringLiteral("|~r~|"), Qt::SkipEmptyParts);
    for (const QString &record : records) {
        const QStringList f = record.split(QStringLiteral("|~f~|"));
        if (f.size() != 9)
            continue;
        MediaStream s;
        s.kind = kind;
        s.number = int(out.size()) + 1;
        s.format = f[0].trimmed();
        s.language = f[1].trimmed();
        s.languageName = f[2].trimmed();
        s.title = f[3].simplified();
        // "6" or, for a few formats, "8 / 6": the first figure is the stream's.
        s.channels = std::max(0, f[4].section(QLatin1Char('/'), 0, 0).trimmed().toInt());
        s.bitRate =
            std::max(0, int(std::min(f[5].section(QLatin1Char('/'), 0, 0).trimmed().toDouble(), 2e9)));
        s.bitDepth = std::max(0, f[6].section(QLatin1Char('/'), 0, 0).trimmed().toInt());
        s.isDefault = f[7].trimmed() == QLatin1String("Yes");
        s.isForced = f[8].trimmed() == QLatin1String("Yes");
        out << s;
    }
    return out;
}

// The track numbers of `streams` in one of `languages`.
QList<int> tracksIn(const QList<MediaStream> &streams, const QStringList &languages)
{
    QList<int> out;
    for (const MediaStream &s : streams) {
        if (languageIsOneOf(s.language, languages) || languageIsOneOf(s.languageName, languages))
            out << s.number;
    }
    return out;
}

// Marks where the answer to query K begins in the combined output.
QString marker(int k)
{
    return QStringLiteral("|~tavrix:%1~|").arg(k);
}

} // namespace

QByteArray makePreviewImage(const ToolRunner &tools, const QString &source, const QString &seekTime)
{
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/tavrix-preview-XXXXXX"));
    if (!work.isValid())
        return {};
    const QString path =
        extractPreviewFrame(tools, source, work.filePath(QStringLiteral("image.png")), seekTime);
    QFile file(path);
    return !path.isEmpty() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QList<MediaInfoQuery> &probeQueries()
{
    static const QList<MediaInfoQuery> queries{
        {General, QStringLiteral("%Duration%")},
        {General, InfoTemplate},
        {Video, QStringLiteral("%Width%#")},
        {Video, QStringLiteral("%Height%#")},
        {Video, QStringLiteral("%DisplayAspectRatio%#")},
        {Video, QStringLiteral("%PixelAspectRatio%#")},
        {Video, VideoTemplate},
        {Audio, AudioTemplate},
        {General, AudioSummary},
        {Text, TextTemplate},
        {General, TextSummary},
        {Video, QStringLiteral("%ScanType%#")},
        {Video, StreamTemplate},
        {Audio, StreamTemplate},
        {Text, StreamTemplate},
        {Video, ColourTemplate},
        {General, QStringLiteral("%FrameCount%")},
    };
    return queries;
}

QStringList mediaInfoTexts(const ToolRunner &tools, const QString &file, const QList<MediaInfoQuery> &queries,
                           const QString &workDir, ToolOutcome *outcome)
{
    // One line per section; within it every query's template behind its marker. mediainfo repeats the
    // line for each stream of the section, as it would repeat a single template.
    QStringList sections;
    QMap<QString, QString> lines;
    for (int k = 0; k < queries.size(); ++k) {
        const QString &section = queries[k].section;
        if (!lines.contains(section))
            sections << section;
        lines[section] += marker(k) + queries[k].templ;
    }
    QString inform;
    for (const QString &section : std::as_const(sections))
        inform += section + QLatin1Char(';') + lines[section] + QLatin1Char('\n');
    const QString informPath = QDir(workDir).filePath(QStringLiteral("inform.txt"));
    QFile informFile(informPath);
    if (!informFile.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        informFile.write(inform.toUtf8()) < 0) {
        if (outcome) {
            *outcome = {};
            outcome->tool = QStringLiteral("mediainfo");
            outcome->error = informFile.errorString();
        }
        return QStringList(queries.size(), QString());
    }
    informFile.close();

    const QString output = tools.mediaInfoInform(file, informPath, outcome);
    QStringList answers(queries.size(), QString());
    static const QRegularExpression markers(QStringLiteral("\\|~tavrix:(\\d+)~\\|"));
    QRegularExpressionMatchIterator it = markers.globalMatch(output);
    QRegularExpressionMatch current;
    const auto flush = [&](qsizetype end) {
        if (!current.hasMatch())
            return;
        const int k = current.captured(1).toInt();
        if (k >= 0 && k < answers.size())
            answers[k] += output.mid(current.capturedEnd(), end - current.capturedEnd());
    };
    while (it.hasNext()) {
        const QRegularExpressionMatch next = it.next();
        flush(next.capturedStart());
        current = next;
    }
    flush(output.size());
    for (QString &answer : answers)
        answer = answer.trimmed();
    return answers;
}

QString formatDuration(double milliseconds)
{
    if (!std::isfinite(milliseconds))
        milliseconds = 0;
    // As a clock time, UTC: hours run 00 to 23 and a day wraps; fractions drop.
    const qint64 ms = qint64(std::fmod(std::trunc(milliseconds), 86400000.0));
    return QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc()).toString(QStringLiteral("HH:mm:ss"));
}

MediaVideo::Ptr createMediaVideo(const QString &source, const QString &destination, const ToolRunner &tools,
                                 const JobSettings &settings)
{
    auto job = std::make_shared<MediaVideo>(source, destination);
    static_cast<JobSettings &>(*job) = settings;
    if (job->container < 0 || job->container >= Lists::containers().size())
        job->container = 0;
    if (settings.nameTemplate != 0)
        job->destination = outputNameWithTemplate(*job, settings.nameTemplate);

    if (job->source.isEmpty())
        return job;

    // Everything mediainfo is asked, in one run of it; the answers are those of separate runs.
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/tavrix-probe-XXXXXX"));
    enum Q {
        Duration,
        Info,
        Width,
        Height,
        DisplayRatio,
        PixelRatio,
        Videos,
        Audios,
        AudioCount,
        Texts,
        TextCount,
        ScanType,
        VideoStreams,
        AudioStreams,
        TextStreams,
        Colour,
        FrameCount
    };
    const QList<MediaInfoQuery> &queries = probeQueries();
    ToolOutcome mediainfo;
    const QStringList facts = work.isValid()
                                  ? mediaInfoTexts(tools, job->source, queries, work.path(), &mediainfo)
                                  : QStringList(queries.size(), QString());
    if (work.isValid())
        noteFailure(*job, mediainfo);
    const auto list = [&facts](int k) { return facts[k].split(QLatin1Char('#'), Qt::SkipEmptyParts); };
    // With several video streams the picture facts are those of the first (one value each, not the
    // values of all streams run together into one number).
    const auto first = [&list](int k) { return list(k).value(0); };

    // A file without a readable duration (corrupt, empty, not media) keeps "00:00:00"; seeking into it
    // for a picture or borders would only waste two tool runs.
    bool hasDuration = false;
    const double milliseconds = facts[Duration].toDouble(&hasDuration);
    hasDuration = hasDuration && std::isfinite(milliseconds) && milliseconds >= 0;
    // What the run counts its progress against, so that it need not ask again.
    job->frameCount = std::max(0LL, facts.value(FrameCount).trimmed().toLongLong());
    if (hasDuration) {
        job->durationVideoMiddle = formatDuration(milliseconds * 0.5);
        job->setDurationVideo(formatDuration(milliseconds));
        if (work.isValid())
            takePreview(*job, tools, work.path());
    }

    job->info = facts[Info];
    job->videoWidth = wholeOrZero(first(Width));
    job->videoHeight = wholeOrZero(first(Height));
    job->videoDisplayAspectRatio = numberOrOne(first(DisplayRatio));
    job->videoPixelAspectRatio = numberOrOne(first(PixelRatio));
    job->videoTracks = list(Videos);
    job->interlaced =
        first(ScanType) == QLatin1String("Interlaced") || first(ScanType) == QLatin1String("MBAFF");
    const QStringList colour = facts[Colour].section(QLatin1Char('#'), 0, 0).split(QLatin1Char('|'));
    if (colour.size() == 7) {
        const int depth = wholeOrZero(colour[0]);
        job->videoBitDepth = depth >= 1 && depth <= 16 ? depth : 8;
        job->hdr = hdrKindOf(colour[1], colour[2]);
        if (job->hdr == HdrKind::Hdr10) {
            job->masteringDisplay = x265MasteringDisplay(colour[3], colour[4]);
            job->maxCll = lightLevel(colour[5]);
            job->maxFall = lightLevel(colour[6]);
        }
    }

    if (hasDuration && settings.autoCrop) {
        ToolOutcome outcome;
        const QString crop = withoutRoundingBorders(
            findCropString(detectCrop(tools, job->source, job->durationVideoMiddle, &outcome)),
            job->videoWidth, job->videoHeight);
        noteFailure(*job, outcome, QT_TRANSLATE_NOOP("MediaProbe", "No border detection: %1"));
        if (!crop.isEmpty()) {
            job->videoCrop = crop;
            job->cropValue = 1;
        }
    }

    job->audioTracks = list(Audios);
    job->audioTracks.prepend(facts[AudioCount]);
    // Entry 0, the summary, stands for every track.
    job->audioTrack = settings.keepAllAudio && job->audioTracks.size() > 2 ? 0 : 1;

    job->subtitleTracks = list(Texts);
    if (!job->subtitleTracks.isEmpty()) {
        if (job->subtitleTracks.size() >= 2)
            job->subtitleTracks.prepend(facts[TextCount]);
        job->subtitleTracks.prepend(QStringLiteral("No subtitle"));
    }
    // Every subtitle stream is kept: entry 1 is the summary that stands for them all, or the only one.
    job->subtitleTrack = job->subtitleTracks.isEmpty() ? 0 : 1;

    job->streams = streamRecords(MediaStream::Kind::Video, facts[VideoStreams]) +
                   streamRecords(MediaStream::Kind::Audio, facts[AudioStreams]) +
                   streamRecords(MediaStream::Kind::Subtitle, facts[TextStreams]);
    chooseTracksByLanguage(*job, settings.audioLanguages, settings.subtitleLanguages);
    return job;
}

void chooseTracksByLanguage(MediaVideo &job, const QString &audioLanguages, const QString &subtitleLanguages)
{
    const QStringList audio = languageList(audioLanguages);
    const QList<MediaStream> audioStreams = streamsOf(job.streams, MediaStream::Kind::Audio);
    // The track lines and the descriptions come from the same mediainfo run; a mismatch leaves the
    // choice to the lines.
    if (!audio.isEmpty() && audioStreams.size() == job.audioTracks.size() - 1) {
        if (const QList<int> chosen = tracksIn(audioStreams, audio); !chosen.isEmpty())
            chooseAudioTracks(job, chosen);
    }
    const QStringList subtitles = languageList(subtitleLanguages);
    const QList<MediaStream> subtitleStreams = streamsOf(job.streams, MediaStream::Kind::Subtitle);
    if (!subtitles.isEmpty() && !subtitleStreams.isEmpty() &&
        subtitleStreams.size() == subtitleStreamLines(job).size())
        chooseSubtitleTracks(job, tracksIn(subtitleStreams, subtitles));
}

QString noVideoReason(const MediaVideo &job)
{
    if (!job.videoTracks.isEmpty())
        return {};
    if (!job.probeError.isEmpty())
        return job.probeError;
    // The first entry of audioTracks is the summary line, present whatever the file holds.
    if (job.audioTracks.size() > 1)
        return QCoreApplication::translate("MediaProbe", "no video stream: mediainfo finds only audio in it");
    return QCoreApplication::translate("MediaProbe",
                                       "not a media file: mediainfo finds no video or audio stream in it");
}

void applyPresetToJob(MediaVideo &job, const Preset &preset)
{
    applyPreset(job, preset.settings, preset.name);
    job.audioChoice.reset();
    job.subtitleChoice.reset();
    const qsizetype audioCount = std::max<qsizetype>(0, job.audioTracks.size() - 1);
    job.audioTrack = audioCount == 0 ? 0 : job.keepAllAudio && audioCount > 1 ? 0 : 1;
    job.subtitleTrack = job.subtitleTracks.isEmpty() ? 0 : 1;
    chooseTracksByLanguage(job, job.audioLanguages, job.subtitleLanguages);
    if (!job.destination.isEmpty())
        job.destination = withContainerExtension(job.destination, job.container);
}
