#include "process/SerialQueue.h"

SerialQueue::SerialQueue(const QString &label, QObject *parent) : QObject(parent)
{
    m_thread.setObjectName(label);
    m_context = new QObject;
    m_context->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, this, &SerialQueue::finished);
    m_thread.start(QThread::LowPriority);
}

SerialQueue::~SerialQueue()
{
    finish();
    m_thread.wait();
    delete m_context; // the worker has ended, so its object can go from here
}

void SerialQueue::enqueue(std::function<void()> block)
{
    Q_ASSERT(!m_finishing);
    QMetaObject::invokeMethod(m_context, std::move(block), Qt::QueuedConnection);
}

void SerialQueue::finish()
{
    if (m_finishing)
        return;
    m_finishing = true;
    QThread *worker = &m_thread;
    QMetaObject::invokeMethod(
        m_context, [worker] { worker->quit(); }, Qt::QueuedConnection);
}

bool SerialQueue::wait(int milliseconds)
{
    return m_thread.wait(milliseconds < 0 ? QDeadlineTimer(QDeadlineTimer::Forever)
                                          : QDeadlineTimer(milliseconds));
}
