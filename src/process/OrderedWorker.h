#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// A thread that runs the blocks posted to it one at a time, in the order they were posted; started by
// the first block, joined by drain() once every block has run.
class OrderedWorker
{
public:
    OrderedWorker() = default;
    OrderedWorker(const OrderedWorker &) = delete;
    OrderedWorker &operator=(const OrderedWorker &) = delete;
    ~OrderedWorker() { drain(); }

    void post(std::function<void()> block);
    // Waits for every block posted so far, then ends the thread (a later post starts another).
    void drain();

private:
    void work();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_blocks;
    bool m_draining = false;
    std::thread m_thread;
};
