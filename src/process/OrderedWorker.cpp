#include "process/OrderedWorker.h"

void OrderedWorker::post(std::function<void()> block)
{
    const std::lock_guard lock(m_mutex);
    m_blocks.push_back(std::move(block));
    if (!m_thread.joinable())
        m_thread = std::thread([this] { work(); });
    m_wake.notify_one();
}

void OrderedWorker::drain()
{
    {
        const std::lock_guard lock(m_mutex);
        m_draining = true;
        m_wake.notify_one();
    }
    if (m_thread.joinable())
        m_thread.join();
    const std::lock_guard lock(m_mutex);
    m_thread = std::thread();
    m_draining = false;
}

void OrderedWorker::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_draining || !m_blocks.empty(); });
        if (m_blocks.empty())
            return;
        std::function<void()> block = std::move(m_blocks.front());
        m_blocks.pop_front();
        lock.unlock();
        block();
        lock.lock();
    }
}
