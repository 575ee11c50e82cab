#pragma once

#include <QThreadPool>

#include <functional>

class SerialQueue;

// The background workers of a session: a small pool for probes and other short tool runs, one serial
// queue where imports are prepared (folders walked, work numbered) one import after another, and one
// where files are written, so that a save never waits behind probes.
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
    // Runs `task` on the pool once no task queued with run() is waiting: work nobody waits for.
    void runLater(std::function<void()> task);
    // Runs `block` on the writing queue, after every block queued before it has ended.
    void write(std::function<void()> block);
    // Waits until every block queued on the writing queue so far has ended.
    void waitForWrites();
    // Runs `block` on the import queue, after every block queued before it has ended.
    void serial(std::function<void()> block);

    // Drops the pool tasks that have not started yet.
    void clearPending();
    // Waits until the pool has nothing left to do; false when `milliseconds` ran out first.
    bool waitForPool(int milliseconds = -1);

private:
    QThreadPool m_pool;
    SerialQueue *m_serial;
    SerialQueue *m_writer;
};
