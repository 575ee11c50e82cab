#pragma once

#include "desktop/DesktopBuses.h"

#include <QObject>
#include <QTimer>
#include <QVariantMap>

// The run's progress on the application's launcher or dock icon, as the Unity LauncherEntry signal that
// docks and task managers listen for on the session bus ("application://org.tavrix.Tavrix.desktop").
//
//     LauncherProgress launcher(buses);
//     launcher.setProgress(0.42, 5);   // as often as progress changes: 42% done, 5 jobs left
//     launcher.hide();                 // at run end (the destructor does it too)
class LauncherProgress : public QObject
{
    Q_OBJECT

public:
    // Updates closer together than this are merged: the latest value goes out when the time is up.
    static constexpr int minIntervalMs = 250;

    explicit LauncherProgress(DesktopBuses buses = {}, QObject *parent = nullptr);
    ~LauncherProgress() override;

    // Shows `fraction` of the run done (0 to 1) and, when `jobsLeft` is not negative, that count.
    void setProgress(double fraction, int jobsLeft = -1);
    // Hides the progress and the count at once; an update still waiting is dropped.
    void hide();

private:
    void flush();
    void send(const QVariantMap &properties);

    DesktopBuses m_buses;
    QTimer m_quiet; // runs for minIntervalMs after each update sent
    bool m_pending = false;
    bool m_shown = false;
    double m_fraction = 0;
    int m_jobsLeft = -1;
};
