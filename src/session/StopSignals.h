#pragma once

#include <QList>
#include <QObject>

class QSocketNotifier;

// Turns Unix signals (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2 and SIGALRM by default) into a Qt
// signal on the thread that made this object. The handler itself only writes the signal number into a pipe;
// the event loop reads it.
//
// One watcher at a time per process: a second one takes the signals over until it is destroyed.
class StopSignals : public QObject
{
    Q_OBJECT
public:
    // `alsoWatched` are reported by received() too but are not stops: firstSignal() never names them
    // (SIGTSTP and SIGCONT for a program that pauses its work on Ctrl-Z).
    explicit StopSignals(QList<int> signalNumbers = defaultSignals(), QObject *parent = nullptr,
                         QList<int> alsoWatched = {});
    ~StopSignals() override; // the signals get their previous handling back

    static QList<int> defaultSignals();
    bool isWatching() const { return m_notifier != nullptr; }
    // The first signal received, 0 when none was.
    int firstSignal() const { return m_first; }
    // The exit status a program ended by `signalNumber` reports to its shell: 128 + the number.
    static int exitStatusFor(int signalNumber) { return 128 + signalNumber; }

signals:
    void received(int signalNumber);

private:
    void drain();

    QList<int> m_signals;
    QList<int> m_alsoWatched;
    QSocketNotifier *m_notifier = nullptr;
    int m_pipe[2] = {-1, -1};
    int m_first = 0;
};
