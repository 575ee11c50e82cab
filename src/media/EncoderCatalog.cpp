#include "media/EncoderCatalog.h"

#include "model/MediaVideo.h"
#include "model/Vocabulary.h"
#include "process/ToolRunner.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <atomic>
#include <memory>

namespace {

bool isVideoEncoder(const QString &encoder)
{
    return caseFromRawText<VideoEncoders>(encoder).has_value();
}

} // namespace

EncoderCatalog::EncoderCatalog(QString cacheFile, QObject *parent)
    : QObject(parent), m_cacheFile(std::move(cacheFile))
{
}

QString EncoderCatalog::defaultCacheFile()
{
    // Shared by the application and tavrix-cli, which have names of their own.
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/tavrix/encoders.json");
}

QStringList EncoderCatalog::checkedEncoders()
{
    QStringList names = rawTexts<VideoEncoders>() + rawTexts<AudioEncoders>();
    // A stream copied as it is needs no encoder.
    names.removeAll(QStringLiteral("copy"));
    return names;
}

QStringList EncoderCatalog::renderNodes()
{
    QStringList nodes;
    const QDir dri(QStringLiteral("/dev/dri"));
    const QStringList names =
        dri.entryList({QStringLiteral("renderD*")}, QDir::System | QDir::Files, QDir::Name);
    for (const QString &name : names)
        nodes << dri.filePath(name);
    return nodes;
}

void EncoderCatalog::setVaapiChoice(const QString &device)
{
    QMutexLocker lock(&m_mutex);
    m_vaapiChoice = device;
}

QString EncoderCatalog::vaapiDevice() const
{
    QMutexLocker lock(&m_mutex);
    if (!m_vaapiChoice.isEmpty())
        return m_vaapiChoice;
    return renderNodes().value(0);
}

QStringList EncoderCatalog::testArguments(const QString &encoder, const QString &vaapiDevice)
{
    QStringList args{QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"), QStringLiteral("-loglevel"),
                     QStringLiteral("error")};
    if (!isVideoEncoder(encoder)) {
        args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
             << QStringLiteral("anullsrc") << QStringLiteral("-t") << QStringLiteral("0.1")
             << QStringLiteral("-c:a") << encoder;
        return args << QStringLiteral("-f") << QStringLiteral("null") << QStringLiteral("-");
    }
    const EncoderFamily family = familyOf(*caseFromRawText<VideoEncoders>(encoder));
    if (family == EncoderFamily::Vaapi)
        args << QStringLiteral("-vaapi_device") << vaapiDevice;
    args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
         << QStringLiteral("color=s=256x144") << QStringLiteral("-frames:v") << QStringLiteral("1");
    // The same picture handling as the encoding command of a job.
    if (family == EncoderFamily::Vaapi)
        args << QStringLiteral("-vf") << QStringLiteral("format=nv12,hwupload");
    args << QStringLiteral("-c:v") << encoder;
    if (family == EncoderFamily::Qsv)
        args << QStringLiteral("-pix_fmt") << QStringLiteral("nv12");
    return args << QStringLiteral("-f") << QStringLiteral("null") << QStringLiteral("-");
}

QString EncoderCatalog::failureReason(const QStringList &lines)
{
    // x265 and SVT-AV1 write their banners whatever the log level ("x265 [info]: ", "Svt[info]: ");
    // ffmpeg's own lines name their component first.
    static const QRegularExpression chatter(QStringLiteral("^\\S+ ?\\[(info|warn|warning)\\]"));
    static const QRegularExpression component(QStringLiteral("^\\[[^\\]]*\\]\\s*"));
    for (const QString &line : lines) {
        const QString text = line.trimmed();
        if (text.isEmpty() || chatter.match(text).hasMatch())
            continue;
        return QString(text).remove(component);
    }
    return {};
}

EncoderCatalog::Check EncoderCatalog::check(const QString &encoder, const ToolRunner &tools,
                                            const QString &vaapiDevice)
{
    Check result{encoder, false, {}, true};
    if (isVideoEncoder(encoder) &&
        familyOf(*caseFromRawText<VideoEncoders>(encoder)) == EncoderFamily::Vaapi && vaapiDevice.isEmpty()) {
        result.reason = tr("no VAAPI device (/dev/dri/renderD*)");
        return result;
    }
    QStringList lines;
    const ToolOutcome outcome =
        tools.runTool(QStringLiteral("ffmpeg"), testArguments(encoder, vaapiDevice),
                      tools.timeLimits().encoderCheck, [&lines](const QString &line) { lines << line; });
    result.available = outcome.succeeded();
    result.ended = outcome.kind != ToolOutcome::Kind::Stopped;
    if (!result.available) {
        // A crash or a hang says more than whatever the tool wrote before it.
        result.reason = outcome.finished() ? failureReason(lines) : QString();
        if (result.reason.isEmpty())
            result.reason = outcome.reason();
    }
    return result;
}

std::optional<EncoderCatalog::Binary> EncoderCatalog::binaryOf(const ToolRunner &tools) const
{
    const ToolLocation ffmpeg = tools.locateTool(QStringLiteral("ffmpeg"));
    if (!ffmpeg.ok())
        return std::nullopt;
    const QFileInfo info(ffmpeg.path);
    return Binary{info.absoluteFilePath(), info.size(), info.lastModified().toMSecsSinceEpoch(),
                  vaapiDevice()};
}

bool EncoderCatalog::loadCache(const ToolRunner &tools)
{
    const std::optional<Binary> binary = binaryOf(tools);
    return binary && readCache(*binary);
}

bool EncoderCatalog::checkAll(const ToolRunner &tools, const Placer &place, std::function<void()> done)
{
    const std::optional<Binary> binary = binaryOf(tools);
    if (!binary)
        return false;
    if (readCache(*binary)) {
        if (done)
            done();
        return true;
    }
    const QStringList encoders = checkedEncoders();
    auto left = std::make_shared<std::atomic_int>(int(encoders.size()));
    auto complete = std::make_shared<std::atomic_bool>(true);
    for (const QString &encoder : encoders) {
        place([this, encoder, tools, binary = *binary, left, complete, done] {
            const Check result = check(encoder, tools, binary.vaapiDevice);
            if (result.ended)
                setResult(result);
            else
                complete->store(false);
            if (left->fetch_sub(1) != 1)
                return;
            // A stopped check told nothing: the next start asks again.
            if (complete->load())
                writeCache(binary);
            if (done)
                done();
        });
    }
    return true;
}

bool EncoderCatalog::readCache(const Binary &binary)
{
    if (m_cacheFile.isEmpty())
        return false;
    QFile file(m_cacheFile);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
    if (o.value(QStringLiteral("ffmpeg")).toString() != binary.path ||
        o.value(QStringLiteral("size")).toInteger(-2) != binary.size ||
        o.value(QStringLiteral("modified")).toInteger(-2) != binary.modified ||
        o.value(QStringLiteral("vaapiDevice")).toString() != binary.vaapiDevice)
        return false;
    const QJsonObject encoders = o.value(QStringLiteral("encoders")).toObject();
    QHash<QString, Check> results;
    for (const QString &encoder : checkedEncoders()) {
        const QJsonValue entry = encoders.value(encoder);
        if (!entry.isObject())
            return false; // written before this encoder was known: ask again
        const QJsonObject e = entry.toObject();
        results.insert(encoder, {encoder, e.value(QStringLiteral("available")).toBool(),
                                 e.value(QStringLiteral("reason")).toString(), true});
    }
    {
        const QMutexLocker lock(&m_mutex);
        m_results = results;
    }
    emit changed();
    return true;
}

void EncoderCatalog::writeCache(const Binary &binary) const
{
    if (m_cacheFile.isEmpty())
        return;
    QJsonObject encoders;
    {
        const QMutexLocker lock(&m_mutex);
        for (const Check &c : m_results)
            encoders[c.encoder] =
                QJsonObject{{QStringLiteral("available"), c.available}, {QStringLiteral("reason"), c.reason}};
    }
    const QJsonObject o{{QStringLiteral("ffmpeg"), binary.path},
                        {QStringLiteral("size"), binary.size},
                        {QStringLiteral("modified"), binary.modified},
                        {QStringLiteral("vaapiDevice"), binary.vaapiDevice},
                        {QStringLiteral("encoders"), encoders}};
    // Only a cache: when it cannot be written the next start checks again.
    QDir().mkpath(QFileInfo(m_cacheFile).absolutePath());
    QSaveFile file(m_cacheFile);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(o).toJson());
        file.commit();
    }
}

void EncoderCatalog::setResult(const Check &result)
{
    {
        const QMutexLocker lock(&m_mutex);
        m_results.insert(result.encoder, result);
    }
    emit changed();
}

void EncoderCatalog::reset()
{
    {
        const QMutexLocker lock(&m_mutex);
        m_results.clear();
    }
    emit changed();
}

bool EncoderCatalog::isKnown() const
{
    const QMutexLocker lock(&m_mutex);
    for (const QString &encoder : checkedEncoders()) {
        if (!m_results.contains(encoder))
            return false;
    }
    return true;
}

EncoderCatalog::Status EncoderCatalog::status(const QString &encoder) const
{
    // "copy" passes the stream through and needs no encoder.
    if (encoder == QLatin1String("copy"))
        return Status::Available;
    const QMutexLocker lock(&m_mutex);
    const auto it = m_results.constFind(encoder);
    if (it == m_results.cend())
        return Status::Unknown;
    return it->available ? Status::Available : Status::Unavailable;
}

bool EncoderCatalog::isAvailable(const QString &encoder) const
{
    return status(encoder) != Status::Unavailable;
}

QString EncoderCatalog::unavailableReason(const QString &encoder) const
{
    if (status(encoder) != Status::Unavailable)
        return {};
    const QMutexLocker lock(&m_mutex);
    return m_results.value(encoder).reason;
}

bool EncoderCatalog::isOffered(VideoEncoders encoder) const
{
    if (familyOf(encoder) != EncoderFamily::VideoToolbox)
        return true;
    return status(rawText(encoder)) == Status::Available;
}

QString EncoderCatalog::unavailableTip(const QString &encoder, const QString &reason)
{
    return tr("%1 cannot be used: %2").arg(encoder, reason);
}

QString EncoderCatalog::jobWarning(const MediaVideo &job) const
{
    QStringList problems;
    for (const QString &encoder : {rawText(job.videoEncoder), rawText(job.audioEncoder)}) {
        if (!isAvailable(encoder))
            problems << unavailableTip(encoder, unavailableReason(encoder));
    }
    if (problems.isEmpty())
        return {};
    return tr("This job will not be encoded: %1").arg(problems.join(QStringLiteral("; ")));
}
