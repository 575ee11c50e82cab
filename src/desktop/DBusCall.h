#pragma once

// Internal to the desktop pieces: the services they talk to and one way to await an answer.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>

#include <functional>

class QObject;

namespace DBusNames {
inline const QString logindService = QStringLiteral("org.freedesktop.login1");
inline const QString logindPath = QStringLiteral("/org/freedesktop/login1");
inline const QString logindManager = QStringLiteral("org.freedesktop.login1.Manager");

inline const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
inline const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
inline const QString portalInhibit = QStringLiteral("org.freedesktop.portal.Inhibit");
inline const QString portalRequest = QStringLiteral("org.freedesktop.portal.Request");

inline const QString notificationsService = QStringLiteral("org.freedesktop.Notifications");
inline const QString notificationsPath = QStringLiteral("/org/freedesktop/Notifications");

inline const QString launcherInterface = QStringLiteral("com.canonical.Unity.LauncherEntry");

inline const QString appId = QStringLiteral("org.tavrix.Tavrix");
} // namespace DBusNames

// Sends `call` with DesktopBuses::callTimeoutMs and hands the answer (or the error a timeout makes) to
// `onReply` on the calling thread's event loop. Without `context` the answer is handled even after the
// caller is gone, which is what lets a lock granted late still be given back; with one, the answer is
// dropped once `context` is destroyed.
void callAsync(const QDBusConnection &bus, const QDBusMessage &call, QObject *context,
               std::function<void(const QDBusMessage &reply)> onReply);
