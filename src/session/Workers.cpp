#include "session/Workers.h"

#include "process/SerialQueue.h"

#include <QThread>

#include <algorithm>
#include <future>

Workers::Workers()
    : m_serial(new SerialQueue(QStringLiteral("org.tavrix.Tavrix.entry.queue"))),
      m_writer(new SerialQueue(QStringLiteral("org.tavrix.Tavrix.write.queue")))
{
    m_pool.setMaxThreadCount(poolSize());
    m_pool.setObjectName(QStringLiteral("org.tavrix.Tavrix.workers"));
}

Workers::~Workers()
{
    m_pool.clear();
    delete m_serial; // lets the import blocks queued so far end, then joins the queue
    delete m_writer;
    m_pool.waitForDone();
}

int Workers::poolSize()
{
    return std::clamp(QThread::idealThreadCount(), 1, 4);
}

void Workers::run(std::function<void()> task)
{
    m_pool.start(std::move(task));
}

void Workers::runLater(std::function<void()> task)
{
    m_pool.start(std::move(task), -1);
}

void Workers::write(std::function<void()> block)
{
    m_writer->enqueue(std::move(block));
}

void Workers::waitForWrites()
{
    std::promise<void> done;
    std::future<void> written = done.get_future();
    m_writer->enqueue([&done] { done.set_value(); });
    written.wait();
}

void Workers::serial(std::function<void()> block)
{
    m_serial->enqueue(std::move(block));
}

void Workers::clearPending()
{
    m_pool.clear();
}

bool Workers::waitForPool(int milliseconds)
{
    return m_pool.waitForDone(milliseconds);
}
