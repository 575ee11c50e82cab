#include "tools/ToolRunner.h"

#include "tools/ChunkDecoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>
#include <QTextStream>

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

QString ToolRunner::mediaInfoText(const QString &file, const QString &section, const QString &templ) const
{
    return runMediaInfo(section + QLatin1Char(';') + templ, file);
}

QString ToolRunner::mediaInfoInform(const QString &file, const QString &informFile) const
{
    return runMediaInfo(QStringLiteral("file://") + informFile, file);
}

QString ToolRunner::runMediaInfo(const QString &output, const QString &file) const
{
    const ToolLocation tool = locateTool(QStringLiteral("mediainfo"));
    if (!tool.ok())
        return {};

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProgram(tool.path);
    process.setArguments({QStringLiteral("--Output=") + output, file});
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(-1))
        return {};

    // Read to the end of the stream; a tool stuck on a strange file (a FIFO named like a video) is
    // ended at the time limit and gives empty text.
    QByteArray bytes;
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning) {
        const qint64 left = m_mediaInfoTimeoutMs - clock.elapsed();
        if (left <= 0) {
            process.kill();
            process.waitForFinished(-1);
            return {};
        }
        process.waitForReadyRead(int(left));
        bytes += process.readAll();
    }
    bytes += process.readAll();

    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return {};
    return text.trimmed();
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

ShellOutcome ToolRunner::runFfmpegShell(const QString &command, const ChunkHandler &onChunk) const
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProgram(QStringLiteral("/bin/bash"));
    process.setArguments({QStringLiteral("-c"), command});
    process.start();
    if (!process.waitForStarted(-1))
        return {ShellOutcome::Kind::FailedToStart, -1, process.errorString()};
    // ffmpeg watches its standard input for commands; give it an immediate end of file instead.
    process.closeWriteChannel();

    ChunkDecoder decoder;
    auto deliver = [&](const QByteArray &bytes) {
        if (bytes.isEmpty() || !onChunk)
            return;
        const QString text = decoder.decode(bytes);
        if (!text.isEmpty())
            onChunk(text);
    };

    while (process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(-1);
        deliver(process.readAll());
    }
    process.waitForFinished(-1);
    deliver(process.readAll());

    if (process.exitStatus() == QProcess::CrashExit)
        return {ShellOutcome::Kind::Crashed, process.exitCode(), process.errorString()};
    return {ShellOutcome::Kind::Exited, process.exitCode(), {}};
}
