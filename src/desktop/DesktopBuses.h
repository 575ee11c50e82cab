#pragma once

#include <QDBusConnection>
#include <QLoggingCategory>
#include <QString>

#include <memory>
#include <optional>

// Desktop integration over D-Bus: SleepInhibitor, RunNotifier, LauncherProgress and PowerActions.
//
// Every piece is optional. A bus or service that is missing, refuses or does not answer within
// DesktopBuses::callTimeoutMs turns the feature off quietly: it is logged once on lcDesktop (category
// "org.tavrix.Tavrix.desktop") and never shown to the user. Calls are asynchronous, so the thread that
// makes them (the user interface thread) never waits for a service.
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)

// The session and system buses the desktop pieces talk to, and the record of what was already logged as
// skipped. Copies share that record: make one per process and hand copies to every piece, so that each
// skipped feature is logged once. Use it from one thread.
class DesktopBuses
{
public:
    // No answer within this time counts as no service: 2 s unless set otherwise (tests on a busy
    // machine give services that do answer more time).
    static int callTimeoutMs();
    static void setCallTimeoutMs(int milliseconds);

    // The buses named by DBUS_SESSION_BUS_ADDRESS and DBUS_SYSTEM_BUS_ADDRESS (or the platform's defaults).
    // The connections are made on first use of the buses in the process and may wait for a bus that
    // accepts but does not answer: make the first one at start-up, not when a run starts.
    DesktopBuses();
    DesktopBuses(const QDBusConnection &session, const QDBusConnection &system);

    // The bus, or nothing when it is not connected (logged once per bus).
    std::optional<QDBusConnection> session() const;
    std::optional<QDBusConnection> system() const;

    // Logs "FEATURE skipped: WHY" the first time FEATURE is skipped for these buses; later calls are silent.
    void skip(const QString &feature, const QString &why) const;

private:
    struct Shared;
    std::shared_ptr<Shared> d;
};
