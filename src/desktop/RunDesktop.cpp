#include "desktop/RunDesktop.h"

#include "encoding/BatchEncoder.h"
#include "encoding/RunStatus.h"
#include "model/JobResult.h"
#include "rules/RunTally.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

RunDesktop::RunDesktop(BatchEncoder *encoder, RunStatus *status, DesktopBuses buses, QObject *parent)
    : QObject(parent), m_encoder(encoder), m_status(status), m_buses(buses), m_inhibitor(buses),
      m_launcher(buses), m_power(buses)
{
    connect(encoder, &BatchEncoder::runStarted, this, &RunDesktop::started);
    connect(encoder, &BatchEncoder::jobFinished, this, &RunDesktop::jobFinished);
    connect(encoder, &BatchEncoder::runFinished, this, &RunDesktop::finished);
    connect(status, &RunStatus::changed, this, &RunDesktop::progressed);
    connect(&m_power, &PowerActions::failed, this,
            [this](WhenDone, const QString &message) { emit whenDoneFailed(message); });
}

void RunDesktop::started(int count)
{
    m_total = count;
    m_ended = 0;
    m_inhibitor.inhibit(QCoreApplication::translate("RunDesktop", "Converting videos"));
    m_launcher.setProgress(0, count);
}

void RunDesktop::jobFinished()
{
    ++m_ended;
    progressed();
}

void RunDesktop::progressed()
{
    if (!m_encoder->isRunning() || m_total <= 0)
        return;
    // The job going on counts for its share; between jobs the percentage is 0.
    const double current = std::isfinite(m_status->percentValue())
                               ? std::clamp(m_status->percentValue(), 0.0, 100.0) / 100.0
                               : 0.0;
    const double fraction = std::min(1.0, (m_ended + (m_ended < m_total ? current : 0.0)) / m_total);
    m_launcher.setProgress(fraction, m_total - m_ended);
}

void RunDesktop::finished(const RunTally &tally, bool stopped)
{
    m_counts = tally;
    m_inhibitor.release();
    m_launcher.hide();
    if (m_notifying)
        RunNotifier(m_buses).notifyRunFinished(m_counts);
    // A run the user stopped is not one to leave the computer to: the action waits for a run that ended.
    if (stopped)
        return;
    switch (m_whenDone) {
    case WhenDone::Nothing:
        break;
    case WhenDone::Quit:
        emit quitRequested();
        break;
    case WhenDone::Suspend:
    case WhenDone::PowerOff:
        m_power.perform(m_whenDone);
        break;
    }
}
