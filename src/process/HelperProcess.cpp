#include "process/HelperProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// How often a wait for an answer looks at the stop request.
constexpr int PollMs = 50;

// Writes all of `data`; false when the reader has gone.
bool writeAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

HelperProcess::HelperProcess(QString tool, QString program, QStringList arguments)
    : m_tool(std::move(tool)), m_program(std::move(program)), m_arguments(std::move(arguments))
{
}

HelperProcess::~HelperProcess()
{
    kill();
}

ToolOutcome HelperProcess::start()
{
    ToolOutcome outcome;
    outcome.tool = m_tool;
    int input[2] = {-1, -1};
    int output[2] = {-1, -1};
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) {
        outcome.error = QString::fromLocal8Bit(std::strerror(errno));
        for (int fd : {input[0], input[1], output[0], output[1]})
            if (fd >= 0)
                ::close(fd);
        return outcome;
    }

    // Everything the child needs is made before it exists.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    environment.remove(QStringLiteral("LANGUAGE"));
    std::vector<QByteArray> storage;
    storage.push_back(QFile::encodeName(m_program));
    for (const QString &argument : std::as_const(m_arguments))
        storage.push_back(argument.toLocal8Bit());
    const qsizetype argumentCount = qsizetype(storage.size());
    for (const QString &entry : environment.toStringList())
        storage.push_back(entry.toLocal8Bit());
    std::vector<char *> argv, envp;
    for (qsizetype i = 0; i < qsizetype(storage.size()); ++i)
        (i < argumentCount ? argv : envp).push_back(storage[size_t(i)].data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_init(&attributes);
    // A group of its own, as every tool: a Ctrl-C meant for us is handled by us, not by it.
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int failed = ::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(input[0]);
    ::close(output[1]);
    if (failed != 0) {
        ::close(input[1]);
        ::close(output[0]);
        outcome.error = QString::fromLocal8Bit(std::strerror(failed));
        return outcome;
    }
    m_pid = pid;
    m_input = input[1];
    m_output = output[0];
    m_buffer.clear();
    outcome.kind = ToolOutcome::Kind::Finished;
    outcome.exitCode = 0;
    return outcome;
}

ToolOutcome HelperProcess::reap(std::chrono::milliseconds grace)
{
    ToolOutcome outcome;
    outcome.tool = m_tool;
    closeFd(m_input);
    closeFd(m_output);
    m_buffer.clear();
    int status = 0;
    pid_t ended = 0;
    QElapsedTimer clock;
    clock.start();
    while ((ended = ::waitpid(m_pid, &status, WNOHANG)) == 0 && clock.elapsed() < grace.count())
        QThread::msleep(5);
    if (ended == 0) {
        ::kill(-m_pid, SIGKILL);
        ::kill(m_pid, SIGKILL);
        do
            ended = ::waitpid(m_pid, &status, 0);
        while (ended < 0 && errno == EINTR);
    }
    // Whatever it left running in its group goes with it.
    ::kill(-m_pid, SIGKILL);
    m_pid = 0;
    if (ended > 0 && WIFSIGNALED(status)) {
        outcome.kind = ToolOutcome::Kind::Crashed;
        outcome.signal = WTERMSIG(status);
    } else {
        outcome.kind = ToolOutcome::Kind::Finished;
        outcome.exitCode = ended > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return outcome;
}

void HelperProcess::kill()
{
    if (m_pid > 0)
        reap(std::chrono::milliseconds(0));
}

void HelperProcess::finish(std::chrono::milliseconds grace)
{
    closeFd(m_input);
    if (m_pid > 0)
        reap(grace);
}

HelperProcess::Answer HelperProcess::ask(const QByteArray &request, std::chrono::milliseconds limit,
                                         const std::shared_ptr<const std::atomic_bool> &cancelled)
{
    const auto stopAsked = [&] { return (cancelled && cancelled->load()) || ToolProcess::closedDown(); };
    Answer answer;
    answer.outcome.tool = m_tool;
    if (stopAsked()) {
        answer.outcome.kind = ToolOutcome::Kind::Stopped;
        return answer;
    }
    // One that ended since the last request (or was never started) is started now.
    if (m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
        ::kill(-m_pid, SIGKILL);
        m_pid = 0;
        closeFd(m_input);
        closeFd(m_output);
    }
    if (m_pid <= 0) {
        const ToolOutcome started = start();
        if (started.kind != ToolOutcome::Kind::Finished) {
            answer.outcome = started;
            return answer;
        }
    }

    // MSG_NOSIGNAL does not exist for pipes: a child gone in the meantime must not raise SIGPIPE here.
    sigset_t pipeSignal, previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    if (!writeAll(m_input, request.constData(), request.size())) {
        // The broken pipe is consumed, so that it stays ours.
        const timespec none{0, 0};
        sigtimedwait(&pipeSignal, nullptr, &none);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);

    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (const qsizetype end = m_buffer.indexOf('\n'); end >= 0) {
            answer.answered = true;
            answer.line = m_buffer.left(end);
            m_buffer.remove(0, end + 1);
            return answer;
        }
        if (stopAsked()) {
            kill();
            answer.outcome.kind = ToolOutcome::Kind::Stopped;
            return answer;
        }
        if (clock.elapsed() >= limit.count()) {
            kill();
            answer.outcome.kind = ToolOutcome::Kind::TimedOut;
            answer.outcome.limit = limit;
            return answer;
        }
        pollfd readable{m_output, POLLIN, 0};
        if (::poll(&readable, 1, PollMs) <= 0)
            continue;
        char chunk[4096];
        const ssize_t got = ::read(m_output, chunk, sizeof chunk);
        if (got > 0) {
            m_buffer.append(chunk, got);
        } else if (got == 0 || errno != EINTR) {
            // It closed its output without answering: it has ended, or is about to.
            answer.outcome = reap(std::chrono::milliseconds(1000));
            return answer;
        }
    }
}
