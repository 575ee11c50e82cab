#pragma once

#include <QObject>
#include <QThread>

#include <functional>

// A labelled background worker that runs its blocks one at a time, in the order they were queued.
class SerialQueue : public QObject
{
    Q_OBJECT
public:
    // `label` names the worker thread, e.g. "org.tavrix.Tavrix.encoding.queue".
    explicit SerialQueue(const QString &label, QObject *parent = nullptr);
    // Lets the queued blocks run to their end, then joins the worker.
    ~SerialQueue() override;

    void enqueue(std::function<void()> block);
    // No more blocks will be queued: the worker ends after the last one and `finished` is emitted.
    void finish();
    bool wait(int milliseconds = -1);
    bool isFinished() const { return m_thread.isFinished(); }

    QThread *thread() { return &m_thread; }

signals:
    void finished();

private:
    QThread m_thread;
    QObject *m_context = nullptr; // lives in m_thread; blocks are posted to it
    bool m_finishing = false;
};
