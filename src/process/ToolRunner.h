#pragma once

#include "process/ToolProcess.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

// Where a tool was found, or why it could not be.
struct ToolLocation
{
    QString path;
    QString error; // empty when found: a sentence naming the tool and the Debian package to install

    bool ok() const { return error.isEmpty(); }
};

// How a shell command ended: the outcome of any tool run.
using ShellOutcome = ToolOutcome;

// Finds and runs the external tools `ffmpeg` and `mediainfo`, which live in the application's
// resource directory (../libexec/tavrix beside the executable). Every call is synchronous on the
// calling thread; never call them on the user interface thread.
class ToolRunner
{
public:
    using ChunkHandler = ToolProcess::LineHandler;

    // How long each kind of run may take; the defaults are the ToolTimeLimit constants.
    struct TimeLimits
    {
        std::chrono::milliseconds mediaInfo = ToolTimeLimit::MediaInfo;
        std::chrono::milliseconds previewFrame = ToolTimeLimit::PreviewFrame;
        std::chrono::milliseconds cropDetection = ToolTimeLimit::CropDetection;
        std::chrono::milliseconds encoderCheck = ToolTimeLimit::EncoderCheck;
    };

    explicit ToolRunner(QString resourceDir = defaultResourceDir());

    static QString defaultResourceDir();
    const QString &resourceDir() const { return m_resourceDir; }

    // Looked up afresh on every call, so a tool installed meanwhile is found.
    ToolLocation locateTool(const QString &name) const;

    // Runs the located tool `name` with `arguments` (no shell), output lines to `onLine`. A tool that
    // is not installed ends as FailedToStart with the location's message.
    ToolOutcome runTool(const QString &name, const QStringList &arguments, std::chrono::milliseconds limit,
                        const ToolProcess::LineHandler &onLine = {}) const;

    // `mediainfo "--Output=SECTION;TEMPLATE" FILE`, its lines joined by "\n", trimmed. Empty text when
    // the tool is missing, is ended at the time limit or writes bytes that are not UTF-8; `outcome`,
    // when given, tells how the run ended.
    QString mediaInfoText(const QString &file, const QString &section, const QString &templ,
                          ToolOutcome *outcome = nullptr) const;
    QString mediaInfoField(const QString &file, const QString &section, const QString &field) const;
    // mediaInfoText split at every `separator`, empty entries dropped, entries not trimmed.
    QStringList mediaInfoList(const QString &file, const QString &section, const QString &templ,
                              QChar separator) const;

    // `mediainfo --Output=file://INFORM FILE`: the template file `informFile` holds one "Section;template"
    // line per stream kind, so one run answers what several mediaInfoText calls would. Same reading rules.
    QString mediaInfoInform(const QString &file, const QString &informFile,
                            ToolOutcome *outcome = nullptr) const;

    // Runs `/bin/bash -c COMMAND` with standard output and error on one pipe, without time limit, and
    // returns once the process has exited. Each line of output goes to `onChunk`, in order; without a
    // handler the output is read and dropped, so the child never blocks on a full pipe.
    ToolOutcome runFfmpegShell(const QString &command, const ChunkHandler &onChunk = {}) const;

    void setTimeLimits(const TimeLimits &limits) { m_limits = limits; }
    const TimeLimits &timeLimits() const { return m_limits; }
    // Every tool this runner starts from now on is stopped as soon as `cancelled` is set.
    void setCancellation(std::shared_ptr<const std::atomic_bool> cancelled)
    {
        m_cancelled = std::move(cancelled);
    }

private:
    QString runMediaInfo(const QString &output, const QString &file, ToolOutcome *outcome) const;

    QString m_resourceDir;
    TimeLimits m_limits;
    std::shared_ptr<const std::atomic_bool> m_cancelled;
};
