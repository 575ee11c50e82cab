#include "store/QueueFile.h"

#include "model/RegularFile.h"

#include "model/JobJson.h"

#include "rules/CropPresets.h"
#include "rules/HdrSignal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("QueueFile", text);
}

// A list of a few thousand jobs takes a few megabytes; anything far larger is not ours.
constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

// Reads typed fields of one JSON object. An absent field gives the fallback (files written before a
// field existed stay readable); a present field of the wrong type records the first such error.
class Reader
{
public:
    Reader(const QJsonObject &object, QString &error) : m_object(object), m_error(error) {}

    QString text(const char *key, const QString &fallback)
    {
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (v.isUndefined())
            return fallback;
        if (!v.isString())
            return fail(key, "text"), fallback;
        return v.toString();
    }

    bool boolean(const char *key, bool fallback)
    {
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (v.isUndefined())
            return fallback;
        if (!v.isBool())
            return fail(key, "true or false"), fallback;
        return v.toBool();
    }

    int integer(const char *key, int fallback)
    {
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (v.isUndefined())
            return fallback;
        const double d = v.toDouble(0.5);
        if (!v.isDouble() || std::floor(d) != d || d < std::numeric_limits<int>::min() ||
            d > std::numeric_limits<int>::max())
            return fail(key, "a whole number"), fallback;
        return int(d);
    }

    double number(const char *key, double fallback)
    {
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (v.isUndefined())
            return fallback;
        if (!v.isDouble())
            return fail(key, "a number"), fallback;
        return v.toDouble();
    }

    QStringList texts(const char *key)
    {
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (v.isUndefined())
            return {};
        if (!v.isArray())
            return fail(key, "a list of texts"), QStringList();
        QStringList out;
        const QJsonArray array = v.toArray();
        for (const QJsonValue &item : array) {
            if (!item.isString())
                return fail(key, "a list of texts"), QStringList();
            out << item.toString();
        }
        return out;
    }

    // Whole numbers, or nullopt when the key is absent.
    std::optional<QList<int>> integers(const char *key)
    {
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (v.isUndefined())
            return std::nullopt;
        QList<int> out;
        const QJsonArray array = v.toArray();
        for (const QJsonValue &item : array) {
            const double d = item.toDouble(0.5);
            if (!item.isDouble() || std::floor(d) != d || d < 0 || d > 9999)
                return fail(key, "a list of track numbers"), std::nullopt;
            out << int(d);
        }
        if (!v.isArray())
            return fail(key, "a list of track numbers"), std::nullopt;
        return out;
    }

    QList<MediaStream> streams(const char *key)
    {
        QList<MediaStream> out;
        const QJsonValue v = m_object.value(QLatin1String(key));
        const QJsonArray array = v.toArray();
        for (const QJsonValue &item : array) {
            // A stream of a kind this version does not know is only a description: it is left out.
            if (const std::optional<MediaStream> stream = streamFromJson(item.toObject()))
                out << *stream;
        }
        if (!v.isUndefined() && !v.isArray())
            fail(key, "a list of streams");
        return out;
    }

    QJsonObject object(const char *key)
    {
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (!v.isUndefined() && !v.isObject())
            fail(key, "an object");
        return v.toObject();
    }

private:
    void fail(const char *key, const char *expected)
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("“%1” is not %2").arg(QLatin1String(key), QLatin1String(expected));
    }

    const QJsonObject &m_object;
    QString &m_error;
};

// An index into a list of `count` entries; anything else reads as the first entry.
int indexOrFirst(int index, qsizetype count)
{
    return index >= 0 && index < count ? index : 0;
}

// Whether `path` is absent, a regular file, or a link to one: anything else (a FIFO, a device, a folder)
// is never opened, since opening it could block or have effects of its own, and never replaced.
enum class Kind { Absent, Regular, Other };
Kind kindOf(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? Kind::Absent : Kind::Other;
    return S_ISREG(info.st_mode) ? Kind::Regular : Kind::Other;
}

// The whole of a regular file, opened without blocking; false with `error` set otherwise.
bool readRegular(const QString &path, QByteArray &bytes, QString &error)
{
    RegularFileRead read = readRegularFile(QFile::encodeName(path), MaxFileSize);
    switch (read.problem) {
    case RegularFileRead::Problem::None:
        bytes = std::move(read.bytes);
        return true;
    case RegularFileRead::Problem::NotRegular:
        error = tr("it is not a regular file");
        return false;
    case RegularFileRead::Problem::TooLarge:
        error = tr("the file is too large");
        return false;
    case RegularFileRead::Problem::Missing:
    case RegularFileRead::Problem::Unreadable:
        break;
    }
    error = read.error;
    return false;
}

QJsonObject withQuality(QJsonObject result, const JobResult &from)
{
    const QualityReport &q = from.quality;
    if (!q.isEmpty()) {
        QJsonObject quality{{QStringLiteral("sizeRatio"), q.sizeRatio},
                            {QStringLiteral("problem"), q.problem}};
        if (q.ssim)
            quality[QStringLiteral("ssim")] = *q.ssim;
        if (q.psnr)
            quality[QStringLiteral("psnr")] = *q.psnr;
        result[QStringLiteral("quality")] = quality;
    }
    if (from.chosen.isValid())
        result[QStringLiteral("chosen")] = from.chosen.toJson();
    return result;
}

void readQuality(Reader &result, JobResult &into)
{
    QString error;
    Reader q(result.object("quality"), error);
    const double ssim = q.number("ssim", -1);
    if (ssim >= 0 && ssim <= 1)
        into.quality.ssim = ssim;
    if (const double psnr = q.number("psnr", -1); into.quality.ssim && psnr >= 0)
        into.quality.psnr = psnr;
    into.quality.sizeRatio = q.number("sizeRatio", -1);
    into.quality.problem = q.text("problem", {});
    into.chosen = CrfChoice::fromJson(result.object("chosen"));
}

} // namespace

QString defaultDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Tavrix");
}

namespace {

// A reason as its kind's name, its details and the reasons inside it.
QJsonObject reasonToJson(const ResultReason &reason)
{
    QJsonObject o{{QStringLiteral("kind"), ResultReason::kindName(reason.kind)}};
    if (!reason.args.isEmpty())
        o[QStringLiteral("args")] = QJsonArray::fromStringList(reason.args);
    if (!reason.inner.empty()) {
        QJsonArray inner;
        for (const ResultReason &detail : reason.inner)
            inner << reasonToJson(detail);
        o[QStringLiteral("inner")] = inner;
    }
    return o;
}

QJsonArray reasonsToJson(const QList<ResultReason> &reasons)
{
    QJsonArray array;
    for (const ResultReason &reason : reasons)
        array << reasonToJson(reason);
    return array;
}

// Nothing for a kind this version does not know (a newer version's) or a malformed entry.
std::optional<ResultReason> reasonFromJson(const QJsonValue &value)
{
    const QJsonObject o = value.toObject();
    const std::optional<ResultReason::Kind> kind =
        ResultReason::kindNamed(o.value(QLatin1String("kind")).toString());
    if (!kind)
        return std::nullopt;
    ResultReason reason(*kind);
    for (const QJsonValue arg : o.value(QLatin1String("args")).toArray()) {
        if (!arg.isString())
            return std::nullopt;
        reason.args << arg.toString();
    }
    for (const QJsonValue detail : o.value(QLatin1String("inner")).toArray()) {
        std::optional<ResultReason> read = reasonFromJson(detail);
        if (!read)
            return std::nullopt;
        reason.inner.push_back(*read);
    }
    return reason;
}

// The saved kinds; else the text a list saved without them (or by a newer version) holds, as it is.
QList<ResultReason> reasonsFromJson(const QJsonValue &value, const QString &text)
{
    QList<ResultReason> reasons;
    if (value.isArray()) {
        for (const QJsonValue entry : value.toArray()) {
            std::optional<ResultReason> read = reasonFromJson(entry);
            if (!read) {
                reasons.clear();
                break;
            }
            reasons << *read;
        }
        if (!reasons.isEmpty())
            return reasons;
    }
    if (!text.isEmpty())
        reasons << ResultReason::text(text);
    return reasons;
}

} // namespace

QueueFile::QueueFile(QString directory) : m_directory(std::move(directory))
{
}

QString QueueFile::path() const
{
    return QDir(m_directory).filePath(QStringLiteral("queue.json"));
}

QJsonObject QueueFile::jobToJson(const MediaVideo &job, bool running)
{
    QJsonObject o = jobFieldsToJson(job, OptionForm::StoredIndex);
    if (running)
        o[QStringLiteral("running")] = true;
    if (job.result.status != JobResult::Status::None) {
        o[QStringLiteral("result")] = QJsonObject{
            {QStringLiteral("status"), int(job.result.status)},
            {QStringLiteral("exitCode"), job.result.exitCode},
            // The text for versions that read only it; the kinds are worded again when shown.
            {QStringLiteral("reason"), job.result.reasonText()},
            {QStringLiteral("reasons"), reasonsToJson(job.result.reason)},
            {QStringLiteral("outputTail"), job.result.outputTail},
            {QStringLiteral("writtenPath"), job.result.writtenPath},
            {QStringLiteral("renameCause"), job.result.renameCause.toString()},
            {QStringLiteral("renameReason"), reasonToJson(job.result.renameCause)},
        };
        if (!job.result.quality.isEmpty() || job.result.chosen.isValid())
            o[QStringLiteral("result")] =
                withQuality(o.value(QLatin1String("result")).toObject(), job.result);
    }
    return o;
}

MediaVideo::Ptr QueueFile::jobFromJson(const QJsonObject &object, QString &error)
{
    error.clear();
    Reader r(object, error);
    auto job = std::make_shared<MediaVideo>();
    const QString id = r.text("id", {});
    if (!id.isEmpty()) {
        job->id = QUuid::fromString(id);
        if (job->id.isNull() && error.isEmpty())
            error = QStringLiteral("“id” is not a job identifier");
    }
    job->source = r.text("source", job->source);
    job->destination = r.text("destination", job->destination);
    // A relative path would be taken from whatever folder the next run starts in.
    for (const auto &[key, path] :
         {std::pair("source", &job->source), std::pair("destination", &job->destination)}) {
        if (!path->isEmpty() && QDir::isRelativePath(*path) && error.isEmpty())
            error = QStringLiteral("“%1” is not an absolute path").arg(QLatin1String(key));
    }
    job->container = indexOrFirst(r.integer("container", job->container), Lists::containers().size());
    job->deInterlace = r.boolean("deInterlace", job->deInterlace);
    job->deInterlaceAuto = r.boolean("deInterlaceAuto", false);
    job->interlaced = r.boolean("interlaced", false);
    job->isQuicktime = r.boolean("isQuicktime", job->isQuicktime);
    job->videoEncoder =
        caseAtOrFirst<VideoEncoders>(r.integer("videoEncoder", indexOfCase(job->videoEncoder)));
    // Figures outside their meaning read as automatic, as an unreadable list entry does.
    job->videoDebit = std::max(0, r.integer("videoDebit", job->videoDebit));
    job->videoRate = caseAtOrFirst<VideoRate>(r.integer("videoRate", indexOfCase(job->videoRate)));
    job->videoQuality = std::clamp(r.integer("videoQuality", job->videoQuality), Lists::minVideoQuality,
                                   Lists::maxVideoQuality);
    job->qualityTarget = std::clamp(r.integer("qualityTarget", job->qualityTarget), Lists::minQualityTarget,
                                    Lists::maxQualityTarget);
    const auto size = [](int pixels) { return pixels > 0 ? pixels : -2; };
    job->width = size(r.integer("width", job->width));
    job->height = size(r.integer("height", job->height));
    job->videoCrop = r.text("videoCrop", job->videoCrop);
    job->videoProfile =
        caseAtOrFirst<VideoProfiles>(r.integer("videoProfile", indexOfCase(job->videoProfile)));
    job->videoPreset = caseAtOrFirst<VideoPresets>(r.integer("videoPreset", indexOfCase(job->videoPreset)));
    job->videoTune = caseAtOrFirst<VideoTunes>(r.integer("videoTune", indexOfCase(job->videoTune)));
    job->audioEncoder =
        caseAtOrFirst<AudioEncoders>(r.integer("audioEncoder", indexOfCase(job->audioEncoder)));
    job->audioDebit = std::max(0, r.integer("audioDebit", job->audioDebit));
    job->audioSampling = std::max(0, r.integer("audioSampling", job->audioSampling));
    job->audioChannels =
        caseAtOrFirst<AudioChannels>(r.integer("audioChannels", indexOfCase(job->audioChannels)));
    job->setDurationVideo(r.text("durationVideo", job->durationVideo()));
    job->durationVideoMiddle = r.text("durationVideoMiddle", job->durationVideoMiddle);
    job->frameCount = std::max<qint64>(0, qint64(r.number("frameCount", 0)));
    job->audioTracks = r.texts("audioTracks");
    job->audioTrack = indexOrFirst(r.integer("audioTrack", 0), job->audioTracks.size());
    job->videoTracks = r.texts("videoTracks");
    job->videoTrack = indexOrFirst(r.integer("videoTrack", 0), job->videoTracks.size());
    job->subtitleTracks = r.texts("subtitleTracks");
    job->subtitleTrack = indexOrFirst(r.integer("subtitleTrack", 0), job->subtitleTracks.size());
    job->subtitleExternal = r.text("subtitleExternal", job->subtitleExternal);
    job->subtitleLanguage = r.text("subtitleLanguage", job->subtitleLanguage);
    job->cropValue = indexOrFirst(r.integer("cropValue", 0), crops().size());
    job->info = r.text("info", job->info);
    job->videoWidth = r.integer("videoWidth", job->videoWidth);
    job->videoHeight = r.integer("videoHeight", job->videoHeight);
    job->videoPixelAspectRatio = r.number("videoPixelAspectRatio", job->videoPixelAspectRatio);
    job->videoDisplayAspectRatio = r.number("videoDisplayAspectRatio", job->videoDisplayAspectRatio);
    job->otherParam = r.text("otherParam", job->otherParam);
    job->streams = r.streams("streams");
    job->audioChoice = r.integers("audioChoice");
    job->subtitleChoice = r.integers("subtitleChoice");
    job->subtitleBurn = std::max(0, r.integer("subtitleBurn", 0));
    job->keepDate = r.boolean("keepDate", false);
    // A list saved before these were probed reads as an 8-bit standard range source.
    const int depth = r.integer("videoBitDepth", 8);
    job->videoBitDepth = depth >= 1 && depth <= 16 ? depth : 8;
    job->hdr = caseAtOrFirst<HdrKind>(r.integer("hdr", 0));
    job->masteringDisplay = r.text("masteringDisplay", {});
    if (!isX265MasteringDisplay(job->masteringDisplay))
        job->masteringDisplay.clear();
    job->maxCll = std::clamp(r.integer("maxCll", 0), 0, 65535);
    job->maxFall = std::clamp(r.integer("maxFall", 0), 0, 65535);
    job->hdrOutput = caseAtOrFirst<HdrOutput>(r.integer("hdrOutput", 0));
    job->fitWithin = r.boolean("fitWithin", false);
    job->keepAllAudio = r.boolean("keepAllAudio", false);
    job->preset = r.text("preset", {});

    const QJsonObject result = r.object("result");
    Reader rr(result, error);
    const int status = rr.integer("status", 0);
    job->result.status = status >= 0 && status <= int(JobResult::Status::Incomplete)
                             ? JobResult::Status(status)
                             : JobResult::Status::None;
    job->result.exitCode = rr.integer("exitCode", 0);
    job->result.reason = reasonsFromJson(result.value(QLatin1String("reasons")), rr.text("reason", {}));
    job->result.outputTail = rr.text("outputTail", {});
    job->result.writtenPath = rr.text("writtenPath", {});
    job->result.renameCause = reasonFromJson(result.value(QLatin1String("renameReason")))
                                  .value_or(ResultReason::text(rr.text("renameCause", {})));
    readQuality(rr, job->result);

    if (r.boolean("running", false)) {
        // What an earlier run said no longer describes this job; it must be started again by the user.
        job->result = JobResult();
        job->result.status = JobResult::Status::Interrupted;
        job->result.reason = {{ResultReason::Kind::Interrupted}};
    }
    if (!error.isEmpty())
        return nullptr;
    return job;
}

QueueFile::SaveResult QueueFile::save(const QList<MediaVideo::Ptr> &jobs, const QSet<QUuid> &running,
                                      const WatchSetup &watch) const
{
    const auto failure = [this](const QString &reason) {
        return SaveResult{tr("The job list could not be saved to “%1”: %2").arg(path(), reason)};
    };
    if (!QDir().mkpath(m_directory))
        return failure(tr("the folder cannot be created"));
    if (kindOf(path()) == Kind::Other)
        return failure(tr("it is not a regular file; move it away or remove it"));

    // One job per line: still small, and a person recovering a list can read it.
    QByteArray bytes =
        QByteArrayLiteral("{\"version\":") + QByteArray::number(Version) + QByteArrayLiteral(",\"jobs\":[");
    for (qsizetype i = 0; i < jobs.size(); ++i) {
        const MediaVideo &job = *jobs[i];
        bytes += i == 0 ? "\n" : ",\n";
        bytes += QJsonDocument(jobToJson(job, running.contains(job.id))).toJson(QJsonDocument::Compact);
    }
    bytes += "\n]";
    if (!watch.folders.isEmpty() || watch.convertNewFiles)
        bytes += ",\n\"watch\":" + QJsonDocument(watch.toJson()).toJson(QJsonDocument::Compact);
    bytes += "}\n";

    QSaveFile file(path());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return failure(file.errorString());
    return {};
}

QueueFile::LoadResult QueueFile::load() const
{
    LoadResult out;
    const Kind kind = kindOf(path());
    if (kind == Kind::Absent)
        return out;
    if (kind == Kind::Other) {
        // Not moved aside: whatever it is stays where the user put it, and saves leave it alone too.
        out.message = tr("The saved job list “%1” is not a regular file; the list starts empty and is not "
                         "saved until it is moved away or removed.")
                          .arg(path());
        return out;
    }

    QString problem;
    bool newer = false;
    QByteArray bytes;
    if (readRegular(path(), bytes, problem)) {
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
        const QJsonObject root = document.object();
        const QJsonValue version = root.value(QStringLiteral("version"));
        const QJsonValue jobs = root.value(QStringLiteral("jobs"));
        if (parseError.error != QJsonParseError::NoError) {
            problem = parseError.errorString();
        } else if (!document.isObject() || !version.isDouble() || version.toDouble() < 1) {
            problem = tr("it is not a job list");
        } else if (version.toDouble() > Version) {
            newer = true;
        } else if (!jobs.isArray()) {
            problem = tr("it is not a job list");
        } else {
            const QJsonArray array = jobs.toArray();
            QSet<QUuid> ids;
            for (qsizetype i = 0; i < array.size() && problem.isEmpty(); ++i) {
                QString error = QStringLiteral("not an object");
                MediaVideo::Ptr job = array[i].isObject() ? jobFromJson(array[i].toObject(), error) : nullptr;
                if (!job) {
                    problem = tr("job %1: %2").arg(i + 1).arg(error);
                    break;
                }
                // Lists find jobs by identity: a copied entry must not stand for the original.
                if (ids.contains(job->id))
                    job->id = QUuid::createUuid();
                ids.insert(job->id);
                out.jobs << job;
            }
            out.watch = WatchSetup::fromJson(root.value(QStringLiteral("watch")).toObject());
        }
    }
    if (problem.isEmpty() && !newer)
        return out;

    out.jobs.clear();
    out.watch = {};
    out.keptAside = keepAside();
    if (newer) {
        out.message = out.keptAside.isEmpty()
                          ? tr("The saved job list “%1” was written by a newer version of Tavrix; the list "
                               "starts empty.")
                                .arg(path())
                          : tr("The saved job list was written by a newer version of Tavrix; it was kept as "
                               "“%1” and the list starts empty.")
                                .arg(out.keptAside);
    } else {
        out.message = out.keptAside.isEmpty()
                          ? tr("The saved job list “%1” could not be read (%2); the list starts empty.")
                                .arg(path(), problem)
                          : tr("The saved job list could not be read (%1); it was kept as “%2” and the list "
                               "starts empty.")
                                .arg(problem, out.keptAside);
    }
    return out;
}

QString QueueFile::keepAside() const
{
    const QDir dir(m_directory);
    for (int n = 1; n < 1000; ++n) {
        const QString name =
            n == 1 ? QStringLiteral("queue.json.bad") : QStringLiteral("queue.json.%1.bad").arg(n);
        const QString target = dir.filePath(name);
        if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
            continue;
        // rename() refuses an existing target, so an older copy kept aside is never replaced.
        return QFile::rename(path(), target) ? target : QString();
    }
    return {};
}
