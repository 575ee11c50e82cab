#pragma once

#include "process/ToolProcess.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <memory>

#include <sys/types.h>

// A child program kept running to answer requests one after another: each request is written to its
// standard input, each answer is one line of its standard output. Its standard error goes nowhere.
//
// The child gets the environment ToolProcess gives its tools (a UTF-8 locale, messages in English) and a
// process group of its own. It is expected to end when its input ends, which is what the destructor does,
// and to end by itself should this program die (the pipe cannot tell it while it is busy).
//
// Not thread-safe: one request at a time, from any one thread at a time.
class HelperProcess
{
public:
    HelperProcess(QString tool, QString program, QStringList arguments);
    ~HelperProcess();
    HelperProcess(const HelperProcess &) = delete;
    HelperProcess &operator=(const HelperProcess &) = delete;

    struct Answer
    {
        bool answered = false;
        QByteArray line; // when answered: the answer, without its newline
        // When not answered: how the child ended (it is reaped), or why it could not start, as a
        // ToolProcess run would say it; Finished means that it exited by itself without answering.
        ToolOutcome outcome;
    };

    // Starts the child when none runs, writes `request` and waits for one line. The child is killed when
    // it does not answer within `limit`, when `cancelled` is set or the program closes down
    // (ToolProcess::closeDown; both looked at every 50 ms), or when it ends before answering. A child that
    // has ended since the last request is started again.
    Answer ask(const QByteArray &request, std::chrono::milliseconds limit,
               const std::shared_ptr<const std::atomic_bool> &cancelled);

    // Kills the child, if any, and reaps it; the next request starts a new one.
    void kill();
    // Closes the child's input, which should end it, and reaps it (killed after `grace`).
    void finish(std::chrono::milliseconds grace);

    bool running() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }

private:
    ToolOutcome start();
    // Reaps the child, killed first unless it ends within `grace`: how it ended.
    ToolOutcome reap(std::chrono::milliseconds grace);

    QString m_tool;
    QString m_program;
    QStringList m_arguments;
    pid_t m_pid = 0;
    int m_input = -1;    // our end of its standard input
    int m_output = -1;   // our end of its standard output
    QByteArray m_buffer; // what it wrote after the last full line
};
