#pragma once

#include "rules/RunTally.h"

#include "desktop/DesktopBuses.h"

#include <QCoreApplication>
#include <QString>

// How the jobs of a finished run ended.
using RunCounts = RunTally;

// The one desktop notification at the end of a run, through org.freedesktop.Notifications on the session
// bus: app name "Tavrix", the application's icon, no actions, the server's default timeout.
//
//     RunNotifier(buses).notifyRunFinished({.converted = 3, .failed = 1});
//     // "Conversion finished" / "3 converted, 1 failed"
class RunNotifier
{
    Q_DECLARE_TR_FUNCTIONS(RunNotifier)

public:
    explicit RunNotifier(DesktopBuses buses = {}) : m_buses(std::move(buses)) {}

    // Sends the notification and returns at once; false when there is no session bus.
    bool notifyRunFinished(const RunCounts &counts) const;

    // "Conversion stopped" when the user stopped a job, else "Conversion finished".
    static QString summary(const RunCounts &counts);
    // "3 converted, 1 failed, 2 not run": the converted count always, the others when there are any.
    static QString body(const RunCounts &counts);

private:
    DesktopBuses m_buses;
};
