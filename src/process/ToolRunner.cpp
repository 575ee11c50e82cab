#include "process/ToolRunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

ToolRunner::ToolRunner(QString resourceDir) : m_resourceDir(std::move(resourceDir))
{
}

QString ToolRunner::defaultResourceDir()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../libexec/tavrix"));
}

ToolLocation ToolRunner::locateTool(const QString &name) const
{
    const QString path = QDir(m_resourceDir).filePath(name);
    const QFileInfo info(path);
    if (info.exists() && info.isFile() && info.isExecutable())
        return {path, {}};
    return {{},
            QCoreApplication::translate("ToolRunner", "The program “%1” was not found in %2. Install the "
                                                      "Debian package “%1” (sudo apt-get install %1), then "
                                                      "build or install Tavrix again.")
                .arg(name, QDir::toNativeSeparators(m_resourceDir))};
}

ToolOutcome ToolRunner::runTool(const QString &name, const QStringList &arguments,
                                std::chrono::milliseconds limit, const ToolProcess::LineHandler &onLine) const
{
    const ToolLocation tool = locateTool(name);
    if (!tool.ok()) {
        ToolOutcome missing;
        missing.tool = name;
        missing.error = tool.error;
        return missing;
    }
    ToolProcess process(name, tool.path, arguments);
    process.setCancellation(m_cancelled);
    process.setTimeLimit(limit);
    process.setLineHandler(onLine);
    return process.run();
}

QString ToolRunner::mediaInfoText(const QString &file, const QString &section, const QString &templ,
                                  ToolOutcome *outcome) const
{
    return runMediaInfo(section + QLatin1Char(';') + templ, file, outcome);
}

QString ToolRunner::mediaInfoInform(const QString &file, const QString &informFile,
                                    ToolOutcome *outcome) const
{
    return runMediaInfo(QStringLiteral("file://") + informFile, file, outcome);
}

QString ToolRunner::runMediaInfo(const QString &output, const QString &file, ToolOutcome *outcome) const
{
    QStringList lines;
    const ToolOutcome ended =
        runTool(QStringLiteral("mediainfo"), {QStringLiteral("--Output=") + output, file}, m_limits.mediaInfo,
                [&lines](const QString &line) { lines << line; });
    if (outcome)
        *outcome = ended;
    // A tool cut off at the limit (stuck on a FIFO named like a video, say) has given no answer; one that
    // crashed has said what it wrote.
    const bool endedByItself =
        ended.kind == ToolOutcome::Kind::Finished || ended.kind == ToolOutcome::Kind::Crashed;
    if (!endedByItself || ended.undecodableLines > 0)
        return {};
    return lines.join(QLatin1Char('\n')).trimmed();
}

QString ToolRunner::mediaInfoField(const QString &file, const QString &section, const QString &field) const
{
    return mediaInfoText(file, section, QLatin1Char('%') + field + QLatin1Char('%'));
}

QStringList ToolRunner::mediaInfoList(const QString &file, const QString &section, const QString &templ,
                                      QChar separator) const
{
    return mediaInfoText(file, section, templ).split(separator, Qt::SkipEmptyParts);
}

ToolOutcome ToolRunner::runFfmpegShell(const QString &command, const ChunkHandler &onChunk) const
{
    ToolProcess process(QStringLiteral("ffmpeg"), ToolProcess::ShellCommand{command});
    process.setCancellation(m_cancelled);
    process.setLineHandler(onChunk);
    return process.run();
}
