#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Where a tool was found, or why it could not be.
struct ToolLocation
{
    QString path;
    QString error; // empty when found: a sentence naming the tool and the Debian package to install

    bool ok() const { return error.isEmpty(); }
};

// How a shell command ended.
struct ShellOutcome
{
    enum class Kind { Exited, Crashed, FailedToStart };

    Kind kind = Kind::FailedToStart;
    int exitCode = -1;
    QString error; // the platform's error, for FailedToStart and Crashed

    bool succeeded() const { return kind == Kind::Exited && exitCode == 0; }
};

// Finds and runs the external tools `ffmpeg` and `mediainfo`, which live in the application's
// resource directory (../libexec/tavrix beside the executable). Every call is synchronous on the
// calling thread; never call them on the user interface thread.
class ToolRunner
{
public:
    using ChunkHandler = std::function<void(const QString &chunk)>;

    explicit ToolRunner(QString resourceDir = defaultResourceDir());

    static QString defaultResourceDir();
    const QString &resourceDir() const { return m_resourceDir; }

    // Looked up afresh on every call, so a tool installed meanwhile is found.
    ToolLocation locateTool(const QString &name) const;

    // `mediainfo "--Output=SECTION;TEMPLATE" FILE`, read to the end, trimmed. Empty text when the tool
    // is missing, hangs past the time limit or writes bytes that are not UTF-8.
    QString mediaInfoText(const QString &file, const QString &section, const QString &templ) const;
    QString mediaInfoField(const QString &file, const QString &section, const QString &field) const;
    // mediaInfoText split at every `separator`, empty entries dropped, entries not trimmed.
    QStringList mediaInfoList(const QString &file, const QString &section, const QString &templ,
                              QChar separator) const;

    // `mediainfo --Output=file://INFORM FILE`: the template file `informFile` holds one "Section;template"
    // line per stream kind, so one run answers what several mediaInfoText calls would. Same reading rules.
    QString mediaInfoInform(const QString &file, const QString &informFile) const;

    // Runs `/bin/bash -c COMMAND` with standard output and error on one pipe, and returns once the
    // process has exited. Each non-empty decoded piece of output goes to `onChunk`, in order; without
    // a handler the output is read and dropped, so the child never blocks on a full pipe.
    ShellOutcome runFfmpegShell(const QString &command, const ChunkHandler &onChunk = {}) const;

    void setMediaInfoTimeout(int milliseconds) { m_mediaInfoTimeoutMs = milliseconds; }

private:
    QString runMediaInfo(const QString &output, const QString &file) const;

    QString m_resourceDir;
    int m_mediaInfoTimeoutMs = 60000;
};
