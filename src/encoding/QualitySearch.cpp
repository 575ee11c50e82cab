#include "encoding/QualitySearch.h"

#include "media/JobCommand.h"
#include "media/Preview.h"
#include "media/QualityMeasure.h"
#include "rules/CrfSearch.h"
#include "rules/Crop.h"
#include "rules/EncoderOutput.h"
#include "rules/JobRules.h"
#include "store/CrfCache.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <future>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("QualitySearch", text);
}

// One stretch of the source, as a file of its own (or the source itself).
struct Sample
{
    QString path;
    QString stream; // the video stream in that file, by index
    double seconds = 0;
    bool cut = false;
};

struct Scored
{
    double ssim = 0;
    qint64 bytes = 0;
    QString error;
};

// The time of the key frame at or near `seconds`, where a cut without re-encoding can begin.
std::optional<double> keyFrameNear(const ToolRunner &tools, const QString &source, const QString &address,
                                   double seconds)
{
    static const QRegularExpression shown(QStringLiteral("\\bn:\\s*0\\b.*\\bpts_time:(-?[0-9.]+)"));
    std::optional<double> found;
    tools.runTool(QStringLiteral("ffmpeg"),
                  {QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"),
                   QStringLiteral("-noaccurate_seek"), QStringLiteral("-ss"),
                   QString::number(seconds, 'f', 3), QStringLiteral("-i"), QStringLiteral("file:") + source,
                   QStringLiteral("-map"), address, QStringLiteral("-frames:v"), QStringLiteral("1"),
                   QStringLiteral("-copyts"), QStringLiteral("-start_at_zero"), QStringLiteral("-vf"),
                   QStringLiteral("showinfo"), QStringLiteral("-f"), QStringLiteral("null"),
                   QStringLiteral("-")},
                  std::chrono::seconds(30), [&](const QString &line) {
                      if (const QRegularExpressionMatch m = shown.match(line); m.hasMatch() && !found)
                          found = m.captured(1).toDouble();
                  });
    return found;
}

QList<Sample> cutSamples(const ToolRunner &tools, const MediaVideo &job, const QString &address,
                         double seconds, const QString &folder)
{
    const QList<SampleSpan> spans = sampleSpans(seconds);
    const Sample whole{job.source, address.section(QLatin1Char(':'), 1), seconds, false};
    QList<Sample> samples;
    QList<double> starts;
    for (const SampleSpan &span : spans) {
        const double start = keyFrameNear(tools, job.source, address, span.start).value_or(span.start);
        // Long spaces between key frames can bring two stretches to one start.
        if (std::any_of(starts.cbegin(), starts.cend(), [&](double s) { return std::abs(s - start) < 0.5; }))
            continue;
        starts << start;
        const QString path = QDir(folder).filePath(QStringLiteral("sample-%1.mkv").arg(samples.size()));
        const ToolOutcome cut = tools.runTool(
            QStringLiteral("ffmpeg"),
            {QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"), QStringLiteral("-n"),
             QStringLiteral("-ss"), QString::number(start, 'f', 3), QStringLiteral("-i"),
             QStringLiteral("file:") + job.source, QStringLiteral("-t"), QString::number(span.length, 'f', 3),
             QStringLiteral("-map"), address, QStringLiteral("-c"), QStringLiteral("copy"),
             QStringLiteral("-an"), QStringLiteral("-sn"), QStringLiteral("-dn"), QStringLiteral("-f"),
             QStringLiteral("matroska"), QStringLiteral("file:") + path},
            std::chrono::seconds(60));
        // A stream Matroska cannot hold as it is: the whole film is the sample then.
        if (!cut.finished() || cut.exitCode != 0 || QFileInfo(path).size() <= 0)
            return {whole};
        samples.append({path, QStringLiteral("0"), span.length, true});
    }
    return samples.isEmpty() ? QList<Sample>{whole} : samples;
}

// The job as it encodes one sample at `crf` into `output`: its video settings, no audio, no subtitles,
// none of its extra parameters (they may name streams the sample lacks).
MediaVideo sampleJob(const MediaVideo &job, const Sample &sample, int crf, const QString &output)
{
    MediaVideo s = job;
    s.source = sample.path;
    if (sample.cut) {
        const QString line = job.videoTracks.value(job.videoTrack);
        s.videoTracks = {QStringLiteral("1 0 ") + trackFormat(line)};
        s.videoTrack = 0;
    }
    s.audioTracks.clear();
    s.audioChoice = QList<int>();
    s.subtitleTracks.clear();
    s.subtitleChoice = QList<int>();
    s.subtitleBurn = 0;
    s.subtitleExternal.clear();
    s.otherParam.clear();
    s.videoRate = VideoRate::Quality;
    s.videoQuality = crf;
    s.destination = output;
    return s;
}

Scored encodeAndScore(const ToolRunner &tools, const MediaVideo &job, const Sample &sample, int crf,
                      const QString &folder, int index, const std::shared_ptr<const std::atomic_bool> &stop)
{
    Scored scored;
    const QString output =
        QDir(folder).filePath(QStringLiteral("encoded-%1-%2.%3")
                                  .arg(crf)
                                  .arg(index)
                                  .arg(Lists::containers().value(job.container, QStringLiteral("mkv"))));
    const CommandLine command = commandLine(sampleJob(job, sample, crf, output), tools, {},
                                            CropDetection::Run, nullptr, ExistingFiles::Keep);
    if (!command.ok()) {
        scored.error = command.error;
        return scored;
    }
    QStringList tail;
    ToolProcess process(QStringLiteral("ffmpeg"), QStringLiteral("/bin/bash"),
                        {QStringLiteral("-c"), command.text});
    process.setChannels(ToolProcess::Channels::ErrorOnly);
    process.setCancellation(stop);
    process.setTimeLimit(std::chrono::milliseconds(qint64(120'000 + 60'000 * sample.seconds)));
    process.setLineHandler([&tail](const QString &line) {
        tail << line;
        if (tail.size() > 40)
            tail.removeFirst();
    });
    const ToolOutcome encoded = process.run();
    if (!encoded.finished() || encoded.exitCode != 0) {
        const QString said = failureLine(tail);
        scored.error = said.isEmpty() ? encoded.reason() : said;
        return scored;
    }
    scored.bytes = QFileInfo(output).size();
    const QualityScore score =
        measureQuality(tools, {sample.path, output, sample.stream, command.comparedFilters, false, 2},
                       std::chrono::milliseconds(qint64(60'000 + 30'000 * sample.seconds)));
    QFile::remove(output);
    if (!score.ok())
        scored.error = score.error;
    scored.ssim = score.ssim;
    return scored;
}

QString searchKey(const MediaVideo &job, const ToolRunner &tools, double target, QString &error)
{
    MediaVideo keyed = job;
    keyed.videoQuality = 0;
    keyed.destination = QStringLiteral("/output");
    const CommandLine command =
        commandLine(keyed, tools, {}, CropDetection::Describe, nullptr, ExistingFiles::Keep);
    if (!command.ok()) {
        error = command.error;
        return {};
    }
    const QFileInfo source(job.source);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(source.absoluteFilePath().toUtf8() + '\n' + QByteArray::number(source.size()) + '\n' +
                 QByteArray::number(source.lastModified().toMSecsSinceEpoch()) + '\n' +
                 QByteArray::number(target, 'f', 4) + '\n' + command.text.toUtf8());
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace

QualitySearchOutcome searchQuality(const MediaVideo &job, const QualitySearchSetup &setup)
{
    QElapsedTimer timer;
    timer.start();
    QualitySearchOutcome out;
    const auto stopped = [&] { return setup.stop && setup.stop->load(); };
    ToolRunner tools = setup.tools;
    tools.setCancellation(setup.stop);
    const double target = job.qualityTarget / 10000.0;

    MediaVideo base = job;
    base.videoRate = VideoRate::Quality;
    if (base.videoCrop == QLatin1String("-1")) {
        const QString detected = detectCrop(tools, job.source, job.durationVideoMiddle).trimmed();
        base.videoCrop = detected.startsWith(QLatin1String("crop=")) && isCropString(detected.mid(5))
                             ? withoutRoundingBorders(detected.mid(5), job.videoWidth, job.videoHeight)
                             : QString();
        out.detectedCrop = base.videoCrop;
    }
    const QString key = searchKey(base, tools, target, out.error);
    if (key.isEmpty())
        return out;
    CrfCache cache(setup.cacheFolder);
    if (setup.useCache)
        if (const std::optional<CrfChoice> known = cache.find(key)) {
            out.choice = *known;
            return out;
        }

    QTemporaryDir folder(QDir::temp().filePath(QStringLiteral("tavrix-search-XXXXXX")));
    if (!folder.isValid()) {
        out.error = tr("No temporary folder for the samples: %1").arg(folder.errorString());
        return out;
    }
    QString address = streamAddress(job.videoTracks.value(job.videoTrack));
    if (address.isEmpty())
        address = QStringLiteral("0:0");
    const double seconds = readClock(job.durationVideo()).value_or(-1);
    const QList<Sample> samples = cutSamples(tools, base, address, seconds, folder.path());
    if (stopped()) {
        out.stopped = true;
        return out;
    }

    QHash<int, qint64> bytesAt;
    QString why;
    const auto score = [&](int crf) -> std::optional<double> {
        // Every sample of a candidate at once: short encodes leave cores idle one by one.
        std::vector<std::future<Scored>> running;
        for (int i = 0; i < samples.size(); ++i)
            running.push_back(std::async(std::launch::async, [&, i] {
                return encodeAndScore(tools, base, samples[i], crf, folder.path(), i, setup.stop);
            }));
        double sum = 0;
        qint64 bytes = 0;
        for (std::future<Scored> &result : running) {
            const Scored scored = result.get();
            if (!scored.error.isEmpty() && why.isEmpty())
                why = scored.error;
            sum += scored.ssim;
            bytes += scored.bytes;
        }
        if (!why.isEmpty() || stopped())
            return std::nullopt;
        bytesAt.insert(crf, bytes);
        return sum / double(samples.size());
    };
    const CrfSearchResult found =
        searchCrf(crfSearchFor(job.videoEncoder, target), score, [&] { return why; });
    if (stopped()) {
        out.stopped = true;
        return out;
    }
    if (found.outcome == CrfSearchResult::Outcome::Failed) {
        out.error = found.error.isEmpty() ? tr("a sample could not be scored") : found.error;
        return out;
    }
    CrfChoice &choice = out.choice;
    choice.crf = found.crf;
    choice.target = target;
    choice.score = found.score;
    choice.reached = found.outcome == CrfSearchResult::Outcome::Found;
    choice.candidates = int(found.tried.size());
    double sampled = 0;
    for (const Sample &sample : samples)
        sampled += sample.seconds;
    if (seconds > 0 && sampled > 0) {
        double predicted = double(bytesAt.value(found.crf)) * seconds / sampled;
        if (job.audioEncoder != AudioEncoders::copy && job.audioDebit > 0)
            predicted += double(chosenAudioLines(job).size()) * job.audioDebit * 125.0 * seconds;
        choice.predictedBytes = qint64(predicted);
    }
    choice.seconds = double(timer.elapsed()) / 1000;
    cache.remember(key, choice);
    return out;
}
