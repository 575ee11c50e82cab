#pragma once

#include <QCoreApplication>
#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

// How long one run of each kind may take before it is ended. The encode has no limit: a film takes hours.
namespace ToolTimeLimit {
using std::chrono::milliseconds;
inline constexpr milliseconds MediaInfo{30'000};
inline constexpr milliseconds PreviewFrame{30'000};
inline constexpr milliseconds CropDetection{60'000};
// One frame through one encoder: a card or driver that hangs must not keep the answer away for long.
inline constexpr milliseconds EncoderCheck{20'000};
// Removing what a stopped run left on the hosts it sent files to: one ssh login to each.
inline constexpr milliseconds HostCleanup{20'000};
inline constexpr milliseconds None{0};
} // namespace ToolTimeLimit

// How a tool run ended.
struct ToolOutcome
{
    Q_DECLARE_TR_FUNCTIONS(ToolOutcome)

public:
    enum class Kind {
        Finished,      // the tool exited by itself, with `exitCode`
        Crashed,       // a signal ended it that we did not send (`signal`)
        FailedToStart, // it never ran (`error`)
        TimedOut,      // ended by us after `limit`
        Stopped,       // ended (or never started) because stop() was asked
    };

    Kind kind = Kind::FailedToStart;
    QString tool; // the name the user knows: "mediainfo", "ffmpeg"
    int exitCode = -1;
    int signal = 0;
    QString error;
    std::chrono::milliseconds limit{0};
    int undecodableLines = 0; // output lines that were not UTF-8, left out of what the handler saw

    bool succeeded() const { return kind == Kind::Finished && exitCode == 0; }
    // The tool reached its own end, whatever its status: its output is all it had to say.
    bool finished() const { return kind == Kind::Finished; }
    // One sentence for the user, e.g. "mediainfo did not answer in 30 s"; empty when it succeeded.
    QString reason() const;
};

// One run of an external tool, in the calling thread.
//
// The child gets a UTF-8 locale (file names reach it intact whatever ours is), an empty standard input,
// a process group of its own and the order to die with us. Its output is cut into lines, each decoded
// and handed to the line handler as it arrives; the rest is read and dropped, so the child never blocks
// on a full pipe. A time limit, stop() or stopAll() end the whole group: SIGTERM, then SIGKILL after
// the grace period. What it started in groups of their own (GNU parallel's jobs) is killed after it.
class ToolProcess
{
public:
    using LineHandler = std::function<void(const QString &line)>;

    // Text for "/bin/bash -c", for commands that need the shell; each word in it went through shellQuote.
    struct ShellCommand
    {
        QString text;
    };

    enum class Channels {
        Merged,    // standard output and error are read as one stream
        ErrorOnly, // standard error is read; standard output goes where ours goes
    };

    // `tool` names the program in reasons; `program` is started directly with `arguments`.
    ToolProcess(QString tool, QString program, QStringList arguments);
    ToolProcess(QString tool, ShellCommand command);
    ToolProcess(const ToolProcess &) = delete;
    ToolProcess &operator=(const ToolProcess &) = delete;

    void setTimeLimit(std::chrono::milliseconds limit) { m_limit = limit; } // ToolTimeLimit::None: none
    void setGracePeriod(std::chrono::milliseconds grace) { m_grace = grace; }
    void setChannels(Channels channels) { m_channels = channels; }
    // The folder the tool starts in; ours when empty.
    void setWorkingDirectory(const QString &path) { m_workingDirectory = path; }
    void setLineHandler(LineHandler handler) { m_onLine = std::move(handler); }
    // A flag shared with whoever may want this run ended (an import being stopped): set, it acts as stop().
    void setCancellation(std::shared_ptr<const std::atomic_bool> cancelled)
    {
        m_cancelled = std::move(cancelled);
    }
    // Shared with whoever may pause this run (the encoder's Pause): while `paused` is set the whole group
    // is held with SIGSTOP and counted in `held`; SIGCONT lets it go on. A stop ends a held group too.
    struct PauseControl
    {
        std::atomic_bool paused{false};
        std::atomic_int held{0};
    };
    void setPause(std::shared_ptr<PauseControl> pause) { m_pause = std::move(pause); }
    // A variable set for this tool on top of the program's environment.
    void setEnvironmentVariable(const QString &name, const QString &value)
    {
        m_extraEnvironment.insert(name, value);
    }

    // Starts the tool and returns once it has ended and every line has been handed over. Anything the
    // tool left running in its group is killed.
    ToolOutcome run();

    // Ends the run from any thread; the thread in run() sees it at its next look, 50 ms at most. Asked
    // before run(), the tool never starts.
    void stop() { m_stopRequested.store(true); }

    // Stops every run in progress in the program, from any thread.
    static void stopAll();
    // stopAll(), and from now on every run ends as Stopped without starting: for quitting.
    static void closeDown();
    // closeDown() was called.
    static bool closedDown();

    static constexpr std::chrono::milliseconds DefaultGrace{3000};

private:
    QString m_tool;
    QString m_program;
    QStringList m_arguments;
    std::chrono::milliseconds m_limit = ToolTimeLimit::None;
    std::chrono::milliseconds m_grace = DefaultGrace;
    Channels m_channels = Channels::Merged;
    QString m_workingDirectory;
    LineHandler m_onLine;
    std::atomic_bool m_stopRequested{false};
    std::shared_ptr<const std::atomic_bool> m_cancelled;
    std::shared_ptr<PauseControl> m_pause;
    QHash<QString, QString> m_extraEnvironment;

    bool stopAsked() const { return m_stopRequested.load() || (m_cancelled && m_cancelled->load()); }
};
