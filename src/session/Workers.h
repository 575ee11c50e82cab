#pragma once

#include <QThreadPool>

#include <functional>

class SerialQueue;

// The background workers of a session: a small pool for probes and other short tool runs, and one
// serial queue where imports are prepared (folders walked, work numbered) one import after another.
//
// Nothing else in a session starts a thread. The destructor waits for every task, so whatever a task
// posts to must be declared before the Workers that run it.
class Workers
{
public:
    Workers();
    ~Workers();

    Workers(const Workers &) = delete;
    Workers &operator=(const Workers &) = delete;

    // As many workers as cores, at most four: probes are mostly waiting for mediainfo and ffmpeg.
    static int poolSize();

    // Runs `task` on the pool, after the tasks queued before it have started.
    void run(std::function<void()> task);
    // Runs `block` on the import queue, after every block queued before it has ended.
    void serial(std::function<void()> block);

    // Drops the pool tasks that have not started yet.
    void clearPending();
    // Waits until the pool has nothing left to do; false when `milliseconds` ran out first.
    bool waitForPool(int milliseconds = -1);

private:
    QThreadPool m_pool;
    SerialQueue *m_serial;
};
