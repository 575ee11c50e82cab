#include "encoding/ReadBack.h"

#include "rules/EncoderOutput.h"

#include <QCoreApplication>
#include <QRegularExpression>

ReadBackFacts readBack(const ToolRunner &tools, const QString &path, const QString &shownName,
                       const std::shared_ptr<const std::atomic_bool> &stopRequested)
{
    // "file:" keeps a name with a colon from reading as a protocol.
    const QString input = QStringLiteral("file:") + path;
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
    QString problem = failureLine(messages);
    problem.replace(input, shownName);
    if (problem.isEmpty())
        return {ReadBackFacts::Kind::Unreadable, {ResultReason::Kind::HoldsNoStream}, {}};
    return {ReadBackFacts::Kind::Unreadable, ResultReason::text(problem), {}};
}
