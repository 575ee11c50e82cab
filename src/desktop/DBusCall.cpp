#include "desktop/DBusCall.h"

#include "desktop/DesktopBuses.h"

#include <QDBusPendingCallWatcher>

void callAsync(const QDBusConnection &bus, const QDBusMessage &call, QObject *context,
               std::function<void(const QDBusMessage &reply)> onReply)
{
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, DesktopBuses::callTimeoutMs()), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [onReply = std::move(onReply)](QDBusPendingCallWatcher *done) {
                         // Deleted once the handler has run, so that nothing the answer carries (a
                         // lock's file descriptor) outlives what the handler kept of it.
                         done->deleteLater();
                         onReply(done->reply());
                     });
}
