#include "desktop/DesktopBuses.h"

#include <atomic>

#include <QDBusError>
#include <QMutex>
#include <QSet>

Q_LOGGING_CATEGORY(lcDesktop, "org.tavrix.Tavrix.desktop", QtInfoMsg)

struct DesktopBuses::Shared
{
    Shared(const QDBusConnection &sessionBus, const QDBusConnection &systemBus)
        : session(sessionBus), system(systemBus)
    {
    }

    QDBusConnection session;
    QDBusConnection system;
    QMutex mutex;
    QSet<QString> skipped;
};

namespace {

std::optional<QDBusConnection> connected(const QDBusConnection &bus, const DesktopBuses &buses,
                                         const QString &name)
{
    if (bus.isConnected())
        return bus;
    const QString why =
        bus.lastError().isValid() ? bus.lastError().message() : QStringLiteral("not connected");
    buses.skip(name, why);
    return std::nullopt;
}

} // namespace

DesktopBuses::DesktopBuses() : DesktopBuses(QDBusConnection::sessionBus(), QDBusConnection::systemBus())
{
}

DesktopBuses::DesktopBuses(const QDBusConnection &session, const QDBusConnection &system)
    : d(std::make_shared<Shared>(session, system))
{
}

std::optional<QDBusConnection> DesktopBuses::session() const
{
    return connected(d->session, *this, QStringLiteral("Session bus (notifications, launcher, portal)"));
}

std::optional<QDBusConnection> DesktopBuses::system() const
{
    return connected(d->system, *this, QStringLiteral("System bus (logind)"));
}

void DesktopBuses::skip(const QString &feature, const QString &why) const
{
    {
        QMutexLocker lock(&d->mutex);
        if (d->skipped.contains(feature))
            return;
        d->skipped.insert(feature);
    }
    qCInfo(lcDesktop).noquote() << feature << "skipped:" << why;
}

namespace {
std::atomic_int g_callTimeoutMs{2000};
} // namespace

int DesktopBuses::callTimeoutMs()
{
    return g_callTimeoutMs.load();
}

void DesktopBuses::setCallTimeoutMs(int milliseconds)
{
    g_callTimeoutMs.store(milliseconds);
}
