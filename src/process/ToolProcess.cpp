#include "process/ToolProcess.h"

#include "process/LineSplitter.h"
#include "process/ProcessInfo.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSet>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

// How often the thread in run() looks at the clock and the stop request while the tool is silent.
constexpr int PollMs = 50;

// The runs in progress, so that one call can stop them all.
struct Registry
{
    QMutex mutex;
    QSet<ToolProcess *> running;
    bool closed = false;
};

Registry &registry()
{
    static Registry instance;
    return instance;
}

// Keeps a run in the registry for as long as it lasts; refused once the program closes down.
class Enrolment
{
public:
    explicit Enrolment(ToolProcess *process) : m_process(process)
    {
        const QMutexLocker lock(&registry().mutex);
        m_admitted = !registry().closed;
        if (m_admitted)
            registry().running.insert(process);
    }
    ~Enrolment()
    {
        if (!m_admitted)
            return;
        const QMutexLocker lock(&registry().mutex);
        registry().running.remove(m_process);
    }
    Enrolment(const Enrolment &) = delete;
    Enrolment &operator=(const Enrolment &) = delete;

    bool admitted() const { return m_admitted; }

private:
    ToolProcess *m_process;
    bool m_admitted = false;
};

QProcessEnvironment toolEnvironment()
{
    // The tools turn their arguments into file names through the locale: under LANG=C, or a locale that
    // is not installed, "clé été.mov" does not reach them intact. C.UTF-8 is built into the C library.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    // Messages stay in English: some of them are read back.
    env.remove(QStringLiteral("LANGUAGE"));
    return env;
}

// The descendants of `root` that are in another process group than `group`.
QList<ProcessEntry> straysOf(pid_t root, pid_t group)
{
    QList<ProcessEntry> all;
    if (DIR *proc = ::opendir("/proc")) {
        while (const dirent *entry = ::readdir(proc))
            if (const int pid = std::atoi(entry->d_name); pid > 0)
                if (const std::optional<ProcessEntry> process = readProcess(pid))
                    all << *process;
        ::closedir(proc);
    }
    QSet<pid_t> family{root};
    QList<ProcessEntry> strays;
    for (bool grew = true; grew;) {
        grew = false;
        for (const ProcessEntry &process : std::as_const(all))
            if (family.contains(process.parent) && !family.contains(process.pid)) {
                family.insert(process.pid);
                grew = true;
                if (process.group != group)
                    strays << process;
            }
    }
    return strays;
}

} // namespace

QString ToolOutcome::reason() const
{
    switch (kind) {
    case Kind::Finished:
        return exitCode == 0 ? QString() : tr("%1 exited with status %2").arg(tool).arg(exitCode);
    case Kind::Crashed:
        return tr("%1 crashed (signal %2)").arg(tool).arg(signal);
    case Kind::FailedToStart:
        return tr("%1 could not be started: %2").arg(tool, error);
    case Kind::TimedOut:
        return tr("%1 did not answer in %2 s").arg(tool, QString::number(double(limit.count()) / 1000.0));
    case Kind::Stopped:
        return tr("%1 was stopped").arg(tool);
    }
    return {};
}

ToolProcess::ToolProcess(QString tool, QString program, QStringList arguments)
    : m_tool(std::move(tool)), m_program(std::move(program)), m_arguments(std::move(arguments))
{
}

ToolProcess::ToolProcess(QString tool, ShellCommand command)
    : m_tool(std::move(tool)),
      m_program(QStringLiteral("/bin/bash")), m_arguments{QStringLiteral("-c"), std::move(command.text)}
{
}

ToolOutcome ToolProcess::run()
{
    using Kind = ToolOutcome::Kind;
    ToolOutcome outcome;
    outcome.tool = m_tool;
    const Enrolment enrolment(this);
    if (!enrolment.admitted() || stopAsked()) {
        outcome.kind = Kind::Stopped;
        return outcome;
    }

    QProcess process;
    process.setProgram(m_program);
    process.setArguments(m_arguments);
    QProcessEnvironment environment = toolEnvironment();
    for (auto it = m_extraEnvironment.cbegin(); it != m_extraEnvironment.cend(); ++it)
        environment.insert(it.key(), it.value());
    process.setProcessEnvironment(environment);
    if (!m_workingDirectory.isEmpty())
        process.setWorkingDirectory(m_workingDirectory);
    // ffmpeg reads commands from its standard input; it gets an immediate end of file instead.
    process.setStandardInputFile(QProcess::nullDevice());
    if (m_channels == Channels::Merged) {
        process.setProcessChannelMode(QProcess::MergedChannels);
    } else {
        process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        process.setReadChannel(QProcess::StandardError);
    }
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([parent] {
        // A group of its own: ending the run ends whatever the tool started, and nothing else.
        ::setpgid(0, 0);
        // Killed with us even when we get no chance to stop it. Had we died before this request, no
        // signal would ever come: give up at once.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
    });
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(-1)) {
        outcome.kind = Kind::FailedToStart;
        outcome.error = process.errorString();
        return outcome;
    }
    const pid_t group = pid_t(process.processId());

    LineSplitter splitter;
    const auto deliver = [&](const QList<QByteArray> &lines) {
        for (const QByteArray &bytes : lines) {
            const QString line = decodeLine(bytes);
            if (line.isEmpty())
                ++outcome.undecodableLines; // lines are never empty, so it was not UTF-8
            else if (m_onLine)
                m_onLine(line);
        }
    };

    QElapsedTimer clock;
    clock.start();
    std::optional<Kind> endedBy;
    qint64 signalledAt = 0;
    bool killed = false;
    bool held = false;
    // What the tool started in groups of its own (GNU parallel puts each job in one) is out of reach of
    // the signals to its group: looked for while the tool lives, for whoever it is parent of no more once
    // it is gone, and killed after it.
    QHash<pid_t, ProcessEntry> strays;
    const auto noteStrays = [&] {
        for (const ProcessEntry &stray : straysOf(group, group))
            strays.insert(stray.pid, stray);
    };
    const auto hold = [&](bool on) {
        if (held == on)
            return;
        held = on;
        ::kill(-group, on ? SIGSTOP : SIGCONT);
        m_pause->held += on ? 1 : -1;
    };
    while (process.state() != QProcess::NotRunning) {
        const qint64 now = clock.elapsed();
        if (!endedBy) {
            if (stopAsked())
                endedBy = Kind::Stopped;
            else if (m_limit > ToolTimeLimit::None && now >= m_limit.count())
                endedBy = Kind::TimedOut;
            if (endedBy) {
                noteStrays();
                // A stopped group would keep SIGTERM pending forever: it must run to hear it.
                hold(false);
                ::kill(-group, SIGTERM);
                signalledAt = now;
            } else if (m_pause) {
                hold(m_pause->paused.load());
            }
        } else if (!killed && now - signalledAt >= m_grace.count()) {
            // Held first, so that it starts nothing more between the last look and its end.
            ::kill(-group, SIGSTOP);
            noteStrays();
            ::kill(-group, SIGKILL);
            killed = true;
        } else {
            noteStrays();
        }
        process.waitForReadyRead(PollMs);
        deliver(splitter.push(process.readAll()));
    }
    deliver(splitter.push(process.readAll()));
    deliver(splitter.flush());
    if (held) // ended while held: killed by someone else
        m_pause->held -= 1;

    if (endedBy) {
        // The rest of the group had the same SIGTERM and gets what is left of the grace period (ffmpeg
        // under a shell closes its file properly).
        while (!killed && ::kill(-group, 0) == 0 && clock.elapsed() - signalledAt < m_grace.count())
            QThread::msleep(10);
    }
    // Nothing the tool started outlives the run.
    ::kill(-group, SIGKILL);
    for (const ProcessEntry &stray : std::as_const(strays)) {
        const std::optional<ProcessEntry> now = readProcess(stray.pid);
        if (now && now->start == stray.start)
            ::kill(now->group == stray.group ? -stray.group : stray.pid, SIGKILL);
    }

    if (endedBy) {
        outcome.kind = *endedBy;
        if (outcome.kind == Kind::TimedOut)
            outcome.limit = m_limit;
    } else if (process.exitStatus() == QProcess::CrashExit) {
        outcome.kind = Kind::Crashed;
        outcome.signal = process.exitCode();
    } else {
        outcome.kind = Kind::Finished;
        outcome.exitCode = process.exitCode();
    }
    return outcome;
}

void ToolProcess::stopAll()
{
    const QMutexLocker lock(&registry().mutex);
    for (ToolProcess *process : std::as_const(registry().running))
        process->stop();
}

void ToolProcess::closeDown()
{
    const QMutexLocker lock(&registry().mutex);
    registry().closed = true;
    for (ToolProcess *process : std::as_const(registry().running))
        process->stop();
}

bool ToolProcess::closedDown()
{
    const QMutexLocker lock(&registry().mutex);
    return registry().closed;
}
