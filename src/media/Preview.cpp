#include "media/Preview.h"

#include "process/Log.h"
#include "process/ToolRunner.h"
#include "rules/Crop.h"
#include "rules/ShellQuote.h"

#include <QFileInfo>

namespace {

// The line written before a run: what a user would type to run the same.
QString commandText(const ToolRunner &tools, const QStringList &arguments)
{
    const ToolLocation ffmpeg = tools.locateTool(QStringLiteral("ffmpeg"));
    QStringList words{shellQuote(ffmpeg.ok() ? ffmpeg.path : QStringLiteral("ffmpeg"))};
    for (const QString &argument : arguments)
        words << shellQuote(argument);
    return words.join(QLatin1Char(' '));
}

} // namespace

QStringList previewFrameArguments(const QString &source, const QString &imagePath, const QString &seekTime)
{
    return {QStringLiteral("-ss"),
            seekTime,
            QStringLiteral("-y"),
            QStringLiteral("-i"),
            source,
            QStringLiteral("-vf"),
            QStringLiteral("scale=iw*sar:ih,setsar=1"),
            QStringLiteral("-vframes"),
            QStringLiteral("1"),
            imagePath};
}

QStringList cropDetectionArguments(const QString &source, const QString &seekTime)
{
    QStringList arguments{QStringLiteral("-hide_banner")};
    if (!seekTime.isEmpty())
        arguments << QStringLiteral("-ss") << seekTime;
    // The null muxer throws the frames away without encoding them; the filter sees the same frames.
    arguments << QStringLiteral("-y") << QStringLiteral("-i") << source << QStringLiteral("-t")
              << QStringLiteral("3") << QStringLiteral("-vf") << QStringLiteral("cropdetect=24:16:0")
              << QStringLiteral("-an") << QStringLiteral("-f") << QStringLiteral("null")
              << QStringLiteral("-");
    return arguments;
}

QString extractPreviewFrame(const ToolRunner &tools, const QString &source, const QString &imagePath,
                            const QString &seekTime, ToolOutcome *outcome)
{
    const QStringList arguments = previewFrameArguments(source, imagePath, seekTime);
    writeDiagnostic(commandText(tools, arguments));
    const ToolOutcome ended =
        tools.runTool(QStringLiteral("ffmpeg"), arguments, tools.timeLimits().previewFrame);
    if (outcome)
        *outcome = ended;
    return QFileInfo::exists(imagePath) ? imagePath : QString();
}

QString detectCrop(const ToolRunner &tools, const QString &source, const QString &seekTime,
                   ToolOutcome *outcome)
{
    const QStringList arguments = cropDetectionArguments(source, seekTime);
    writeDiagnostic(commandText(tools, arguments));
    // The last report wins.
    QString result;
    const ToolOutcome ended = tools.runTool(QStringLiteral("ffmpeg"), arguments,
                                            tools.timeLimits().cropDetection, [&result](const QString &line) {
                                                const QString found = cropReportIn(line);
                                                if (!found.isEmpty())
                                                    result = found;
                                            });
    if (outcome)
        *outcome = ended;
    return result.trimmed();
}
