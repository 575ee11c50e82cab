#include "desktop/RunNotifier.h"

#include "desktop/DBusCall.h"

#include <QStringList>

bool RunNotifier::notifyRunFinished(const RunCounts &counts) const
{
    const std::optional<QDBusConnection> bus = m_buses.session();
    if (!bus)
        return false;
    QDBusMessage call =
        QDBusMessage::createMethodCall(DBusNames::notificationsService, DBusNames::notificationsPath,
                                       DBusNames::notificationsService, QStringLiteral("Notify"));
    const uint replacesNothing = 0;
    const int serverTimeout = -1;
    // "desktop-entry" lets the server group the notification with the application and its settings.
    call << QStringLiteral("Tavrix") << replacesNothing << DBusNames::appId << summary(counts) << body(counts)
         << QStringList() << QVariantMap{{QStringLiteral("desktop-entry"), DBusNames::appId}}
         << serverTimeout;
    callAsync(*bus, call, nullptr, [buses = m_buses](const QDBusMessage &reply) {
        if (reply.type() != QDBusMessage::ReplyMessage)
            buses.skip(QStringLiteral("Desktop notifications"), reply.errorMessage());
    });
    return true;
}

QString RunNotifier::summary(const RunCounts &counts)
{
    return counts.stopped > 0 ? tr("Conversion stopped") : tr("Conversion finished");
}

QString RunNotifier::body(const RunCounts &counts)
{
    QStringList parts{tr("%n converted", nullptr, counts.converted)};
    if (counts.incomplete > 0)
        parts << tr("%n incomplete", nullptr, counts.incomplete);
    if (counts.failed > 0)
        parts << tr("%n failed", nullptr, counts.failed);
    if (counts.stopped > 0)
        parts << tr("%n stopped", nullptr, counts.stopped);
    if (counts.notRun > 0)
        parts << tr("%n not run", nullptr, counts.notRun);
    return parts.join(QStringLiteral(", "));
}
