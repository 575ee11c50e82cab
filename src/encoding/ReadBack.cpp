#include "encoding/ReadBack.h"

#include "process/HelperProcess.h"
#include "rules/EncoderOutput.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cmath>
#include <mutex>

namespace {

const QString HelperName = QStringLiteral("tavrix-readback");

// The read-back helper of the program: started on first use, kept for the jobs and runs after it, asked
// by one thread at a time.
struct SharedHelper
{
    std::timed_mutex mutex;
    std::unique_ptr<HelperProcess> process;
    QString program;
    std::chrono::milliseconds limit{0};
};

SharedHelper &sharedHelper()
{
    // Never destroyed: a run's thread may still ask while the program exits. The helper ends by itself
    // when we are gone.
    static auto *instance = new SharedHelper;
    return *instance;
}

// "file:" keeps a name with a colon from reading as a protocol.
QString inputOf(const QString &path)
{
    return QStringLiteral("file:") + path;
}

// What ffmpeg said about a file it could not use, with the path replaced by `shownName`; "it holds no
// stream" when it said nothing.
ResultReason problemOf(const QStringList &messages, const QString &input, const QString &shownName)
{
    QString problem = failureLine(messages);
    problem.replace(input, shownName);
    if (problem.isEmpty())
        return {ResultReason::Kind::HoldsNoStream};
    return ResultReason::text(problem);
}

ResultReason helperFailure(const QString &sentence)
{
    return ResultReason::text(sentence);
}

// The helper's answer line, or nothing when it is not one.
std::optional<ReadBackFacts> readAnswer(const QByteArray &line, const QString &input,
                                        const QString &shownName, std::chrono::milliseconds limit)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject answer = document.object();
    const QJsonValue streams = answer.value(QLatin1String("streams"));
    const QJsonValue duration = answer.value(QLatin1String("duration"));
    const QJsonValue messages = answer.value(QLatin1String("messages"));
    const QJsonValue failure = answer.value(QLatin1String("error"));
    const QJsonValue timedOut = answer.value(QLatin1String("timedOut"));
    if (!streams.isDouble() || streams.toDouble() < 0 || !(duration.isDouble() || duration.isNull()) ||
        !messages.isArray() || !(failure.isString() || failure.isNull()) || !timedOut.isBool())
        return std::nullopt;
    QStringList lines;
    for (const QJsonValue &message : messages.toArray()) {
        if (!message.isString())
            return std::nullopt;
        lines << message.toString();
    }

    if (timedOut.toBool()) {
        ToolOutcome ended;
        ended.kind = ToolOutcome::Kind::TimedOut;
        ended.tool = HelperName;
        ended.limit = limit;
        return ReadBackFacts{ReadBackFacts::Kind::Unreadable, helperFailure(ended.reason()), {}};
    }
    if (streams.toDouble() > 0) {
        std::optional<double> seconds;
        // As ffmpeg shows it: to the nearest hundredth of a second.
        if (duration.isDouble() && duration.toDouble() >= 0)
            seconds = std::floor((duration.toDouble() + 5000) / 10000) / 100;
        return ReadBackFacts{ReadBackFacts::Kind::Readable, {}, seconds};
    }
    // As ffmpeg says it: the libraries' lines, then the file's name and what the failing call returned.
    if (failure.isString())
        lines << input + QStringLiteral(": ") + failure.toString();
    return ReadBackFacts{ReadBackFacts::Kind::Unreadable, problemOf(lines, input, shownName), {}};
}

// Asks the read-back helper; nothing when it is not installed or cannot be started.
std::optional<ReadBackFacts> askHelper(const ToolRunner &tools, const QString &path, const QString &shownName,
                                       const std::shared_ptr<const std::atomic_bool> &stopRequested)
{
    const ToolLocation location = tools.locateTool(HelperName);
    if (!location.ok())
        return std::nullopt;
    const std::chrono::milliseconds limit = tools.timeLimits().cropDetection;
    SharedHelper &helper = sharedHelper();
    std::unique_lock lock(helper.mutex, std::defer_lock);
    while (!lock.try_lock_for(std::chrono::milliseconds(50)))
        if ((stopRequested && stopRequested->load()) || ToolProcess::closedDown())
            return ReadBackFacts{ReadBackFacts::Kind::Stopped, {}, {}};
    if (!helper.process || helper.program != location.path || helper.limit != limit) {
        helper.process = std::make_unique<HelperProcess>(
            HelperName, location.path,
            QStringList{QStringLiteral("--limit-ms"), QString::number(limit.count()),
                        QStringLiteral("--parent"), QString::number(QCoreApplication::applicationPid())});
        helper.program = location.path;
        helper.limit = limit;
    }
    // The helper gives up a file at the limit and says so; it is waited for a little longer.
    const HelperProcess::Answer answer =
        helper.process->ask(QFile::encodeName(path) + '\0', limit + std::chrono::seconds(2), stopRequested);
    const QString input = inputOf(path);
    if (answer.answered) {
        if (std::optional<ReadBackFacts> facts = readAnswer(answer.line, input, shownName, limit))
            return facts;
        helper.process->kill();
        return ReadBackFacts{
            ReadBackFacts::Kind::Unreadable,
            helperFailure(QCoreApplication::translate("ReadBack", "%1 gave an answer that cannot be read")
                              .arg(HelperName)),
            {}};
    }
    switch (answer.outcome.kind) {
    case ToolOutcome::Kind::FailedToStart:
        return std::nullopt;
    case ToolOutcome::Kind::Stopped:
        return ReadBackFacts{ReadBackFacts::Kind::Stopped, {}, {}};
    case ToolOutcome::Kind::Finished:
        if (answer.outcome.exitCode == 0)
            return ReadBackFacts{
                ReadBackFacts::Kind::Unreadable,
                helperFailure(
                    QCoreApplication::translate("ReadBack", "%1 ended without answering").arg(HelperName)),
                {}};
        break;
    case ToolOutcome::Kind::TimedOut:
    case ToolOutcome::Kind::Crashed:
        break;
    }
    ToolOutcome ended = answer.outcome;
    if (ended.kind == ToolOutcome::Kind::TimedOut)
        ended.limit = limit; // the limit the user knows, not the helper's extra time
    return ReadBackFacts{ReadBackFacts::Kind::Unreadable, helperFailure(ended.reason()), {}};
}

// The same with one ffmpeg run per file, for when the helper is missing.
ReadBackFacts readBackWithFfmpeg(const ToolRunner &tools, const QString &path, const QString &shownName,
                                 const std::shared_ptr<const std::atomic_bool> &stopRequested)
{
    const QString input = inputOf(path);
    static const QRegularExpression stream(QStringLiteral("^\\s*Stream #0:\\d+"));
    QStringList lines;
    bool readable = false;
    ToolRunner reader = tools;
    reader.setCancellation(stopRequested);
    const ToolOutcome outcome = reader.runTool(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"), QStringLiteral("-i"), input},
        ToolTimeLimit::CropDetection, [&](const QString &line) {
            readable = readable || stream.match(line).hasMatch();
            lines << line;
        });
    if (readable)
        return {ReadBackFacts::Kind::Readable, {}, firstDuration(lines)};
    if (outcome.kind == ToolOutcome::Kind::Stopped)
        return {ReadBackFacts::Kind::Stopped, {}, {}};
    if (!outcome.finished())
        return {ReadBackFacts::Kind::Unreadable, ResultReason::text(outcome.reason()), {}};
    // Only ffmpeg's own messages say why: not its description of what it found (indented, after
    // "Input #0"), nor its complaint about a command without an output, which this one is on purpose.
    QStringList messages;
    for (const QString &line : std::as_const(lines))
        if (!line.isEmpty() && !line.front().isSpace() && !line.startsWith(QLatin1StringView("Input #")) &&
            line != QLatin1StringView("At least one output file must be specified"))
            messages << line;
    return {ReadBackFacts::Kind::Unreadable, problemOf(messages, input, shownName), {}};
}

} // namespace

ReadBackFacts readBack(const ToolRunner &tools, const QString &path, const QString &shownName,
                       const std::shared_ptr<const std::atomic_bool> &stopRequested)
{
    if (std::optional<ReadBackFacts> facts = askHelper(tools, path, shownName, stopRequested))
        return *facts;
    return readBackWithFfmpeg(tools, path, shownName, stopRequested);
}

void endReadBackHelper()
{
    SharedHelper &helper = sharedHelper();
    const std::lock_guard lock(helper.mutex);
    if (helper.process)
        helper.process->finish(std::chrono::seconds(2));
}
