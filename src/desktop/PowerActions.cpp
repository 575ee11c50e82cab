#include "desktop/PowerActions.h"

#include "desktop/DBusCall.h"

namespace {
const QString powerFeature = QStringLiteral("Power actions through logind");
}

QList<WhenDone> whenDoneChoices(const QString &canSuspend, const QString &canPowerOff)
{
    QList<WhenDone> choices{WhenDone::Nothing, WhenDone::Quit};
    if (canSuspend == QLatin1String("yes"))
        choices << WhenDone::Suspend;
    if (canPowerOff == QLatin1String("yes"))
        choices << WhenDone::PowerOff;
    return choices;
}

PowerActions::PowerActions(DesktopBuses buses, QObject *parent) : QObject(parent), m_buses(std::move(buses))
{
}

QString PowerActions::label(WhenDone action)
{
    switch (action) {
    case WhenDone::Nothing:
        return tr("Do nothing");
    case WhenDone::Quit:
        return tr("Quit Tavrix");
    case WhenDone::Suspend:
        return tr("Suspend");
    case WhenDone::PowerOff:
        return tr("Power off");
    }
    return {};
}

void PowerActions::refresh()
{
    ++m_generation;
    const std::optional<QDBusConnection> bus = m_buses.system();
    if (!bus) {
        m_waiting = 0;
        QMetaObject::invokeMethod(this, &PowerActions::refreshed, Qt::QueuedConnection);
        return;
    }
    m_waiting = 2;
    ask(*bus, QStringLiteral("CanSuspend"), &PowerActions::m_canSuspend);
    ask(*bus, QStringLiteral("CanPowerOff"), &PowerActions::m_canPowerOff);
}

void PowerActions::ask(const QDBusConnection &bus, const QString &method, QString PowerActions::*answer)
{
    const QDBusMessage call = QDBusMessage::createMethodCall(DBusNames::logindService, DBusNames::logindPath,
                                                             DBusNames::logindManager, method);
    callAsync(bus, call, this, [this, answer, generation = m_generation](const QDBusMessage &reply) {
        if (generation != m_generation)
            return;
        if (reply.type() == QDBusMessage::ReplyMessage) {
            this->*answer = reply.arguments().value(0).toString();
        } else {
            this->*answer = QString();
            m_buses.skip(powerFeature, reply.errorMessage());
        }
        if (--m_waiting == 0)
            emit refreshed();
    });
}

void PowerActions::perform(WhenDone action)
{
    QString method;
    QString failure;
    if (action == WhenDone::Suspend) {
        method = QStringLiteral("Suspend");
        failure = tr("The computer could not be suspended: %1");
    } else if (action == WhenDone::PowerOff) {
        method = QStringLiteral("PowerOff");
        failure = tr("The computer could not be powered off: %1");
    } else {
        return;
    }

    const std::optional<QDBusConnection> bus = m_buses.system();
    if (!bus) {
        const QString message = failure.arg(tr("the system bus cannot be reached."));
        QMetaObject::invokeMethod(
            this, [this, action, message] { emit failed(action, message); }, Qt::QueuedConnection);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(DBusNames::logindService, DBusNames::logindPath,
                                                       DBusNames::logindManager, method);
    const bool interactive = false;
    call << interactive;
    callAsync(*bus, call, this, [this, action, failure](const QDBusMessage &reply) {
        if (reply.type() != QDBusMessage::ReplyMessage)
            emit failed(action, failure.arg(reply.errorMessage()));
    });
}
