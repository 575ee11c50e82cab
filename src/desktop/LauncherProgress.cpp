#include "desktop/LauncherProgress.h"

#include "desktop/DBusCall.h"

#include <QDBusMessage>

#include <algorithm>
#include <cmath>

namespace {
const QString launcherPath = QStringLiteral("/org/tavrix/Tavrix/LauncherEntry");
const QString appUri = QStringLiteral("application://org.tavrix.Tavrix.desktop");
} // namespace

LauncherProgress::LauncherProgress(DesktopBuses buses, QObject *parent)
    : QObject(parent), m_buses(std::move(buses))
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(minIntervalMs);
    connect(&m_quiet, &QTimer::timeout, this, [this] {
        if (m_pending)
            flush();
    });
}

LauncherProgress::~LauncherProgress()
{
    if (m_shown)
        hide();
}

void LauncherProgress::setProgress(double fraction, int jobsLeft)
{
    m_fraction = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    m_jobsLeft = jobsLeft;
    m_pending = true;
    if (!m_quiet.isActive())
        flush();
}

void LauncherProgress::hide()
{
    m_pending = false;
    m_quiet.stop();
    m_shown = false;
    send({{QStringLiteral("progress-visible"), false}, {QStringLiteral("count-visible"), false}});
}

void LauncherProgress::flush()
{
    m_pending = false;
    m_shown = true;
    QVariantMap properties{{QStringLiteral("progress"), m_fraction},
                           {QStringLiteral("progress-visible"), true},
                           {QStringLiteral("count-visible"), m_jobsLeft >= 0}};
    if (m_jobsLeft >= 0)
        properties.insert(QStringLiteral("count"), qint64(m_jobsLeft));
    send(properties);
    m_quiet.start();
}

void LauncherProgress::send(const QVariantMap &properties)
{
    const std::optional<QDBusConnection> bus = m_buses.session();
    if (!bus)
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(launcherPath, DBusNames::launcherInterface, QStringLiteral("Update"));
    signal << appUri << properties;
    if (!bus->send(signal))
        m_buses.skip(QStringLiteral("Launcher progress"), bus->lastError().message());
}
