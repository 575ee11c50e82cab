#include "session/StopSignals.h"

#include <QSocketNotifier>

#include <atomic>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::atomic<int> g_writeEnd{-1};

void onSignal(int signalNumber)
{
    const int saved = errno;
    const int fd = g_writeEnd.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        const ssize_t ignored = ::write(fd, &byte, 1);
        (void)ignored;
    }
    errno = saved;
}

} // namespace

StopSignals::StopSignals(QList<int> signalNumbers, QObject *parent, QList<int> alsoWatched)
    : QObject(parent), m_signals(std::move(signalNumbers)), m_alsoWatched(std::move(alsoWatched))
{
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    g_writeEnd = m_pipe[1];
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : m_signals + m_alsoWatched)
        ::sigaction(number, &action, nullptr);
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::drain);
}

StopSignals::~StopSignals()
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int number : m_signals + m_alsoWatched)
        ::sigaction(number, &action, nullptr);
    if (g_writeEnd.load() == m_pipe[1])
        g_writeEnd = -1;
    delete m_notifier;
    for (const int fd : m_pipe) {
        if (fd >= 0)
            ::close(fd);
    }
}

QList<int> StopSignals::defaultSignals()
{
    // Every signal whose default would end the program without a word (SIGQUIT, Ctrl-\\ in a terminal, with a
    // core): ending through a stop removes the unfinished files and ends the tools.
    return {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM};
}

void StopSignals::drain()
{
    unsigned char bytes[32];
    ssize_t count = 0;
    while ((count = ::read(m_pipe[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i) {
            if (m_first == 0 && m_signals.contains(bytes[i]))
                m_first = bytes[i];
            emit received(bytes[i]);
        }
    }
}
