#pragma once

#include "desktop/DesktopBuses.h"
#include "desktop/LauncherProgress.h"
#include "desktop/PowerActions.h"
#include "desktop/RunNotifier.h"
#include "desktop/SleepInhibitor.h"

#include <QObject>
#include <QUuid>

class BatchEncoder;
class RunStatus;
struct JobResult;

// Tells the desktop about the encoder's runs: sleep and idle are inhibited while a run lasts, the
// launcher shows its progress, one notification says how it ended, and the "When done" action follows a
// run whose every job has ended (not one the user stopped).
//
// Lives on the user interface thread, beside the encoder and the status it watches, which must outlive it.
class RunDesktop : public QObject
{
    Q_OBJECT

public:
    RunDesktop(BatchEncoder *encoder, RunStatus *status, DesktopBuses buses = {}, QObject *parent = nullptr);

    // The notification at the end of each run; on unless turned off.
    void setNotifying(bool notifying) { m_notifying = notifying; }
    void setWhenDone(WhenDone action) { m_whenDone = action; }
    WhenDone whenDone() const { return m_whenDone; }
    PowerActions *power() { return &m_power; }

    // How the jobs of the run going on (or the last one) have ended so far.
    const RunCounts &counts() const { return m_counts; }

signals:
    // "When done" is Quit and the run is over.
    void quitRequested();
    // A power action could not be carried out: a sentence for the user.
    void whenDoneFailed(const QString &message);

private:
    void started(int count);
    void jobFinished();
    void progressed();
    void finished(const RunTally &tally, bool stopped);

    BatchEncoder *m_encoder;
    RunStatus *m_status;
    DesktopBuses m_buses;
    SleepInhibitor m_inhibitor;
    LauncherProgress m_launcher;
    PowerActions m_power;
    RunCounts m_counts;
    int m_total = 0;
    int m_ended = 0;
    bool m_notifying = true;
    WhenDone m_whenDone = WhenDone::Nothing;
};
