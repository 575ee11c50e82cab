#include "desktop/SleepInhibitor.h"

#include "desktop/DBusCall.h"

#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>

namespace {

const QString logindFeature = QStringLiteral("Sleep inhibition through logind");
const QString portalFeature = QStringLiteral("Sleep inhibition through the desktop portal");

// The portal's Inhibit flags.
constexpr uint portalSuspend = 4;
constexpr uint portalIdle = 8;

void closePortalRequest(const DesktopBuses &buses, const QString &request)
{
    const std::optional<QDBusConnection> bus = buses.session();
    if (!bus)
        return;
    // Nobody waits for the answer: a portal that is gone has dropped the request already.
    bus->send(QDBusMessage::createMethodCall(DBusNames::portalService, request, DBusNames::portalRequest,
                                             QStringLiteral("Close")));
}

} // namespace

// Shared with the handlers of answers still on their way, which may outlive the inhibitor.
struct SleepInhibitor::State
{
    explicit State(DesktopBuses b) : buses(std::move(b)) {}

    // An answer belongs to the inhibit() that asked for it only while this is unchanged.
    bool wants(quint64 asked) const { return inhibiting && generation == asked; }
    void release()
    {
        ++generation;
        inhibiting = false;
        // Closing our copy of the descriptor is what gives the lock back to logind.
        logindLock = QDBusUnixFileDescriptor();
        if (!portalRequest.isEmpty())
            closePortalRequest(buses, std::exchange(portalRequest, QString()));
    }

    DesktopBuses buses;
    quint64 generation = 0;
    bool inhibiting = false;
    QDBusUnixFileDescriptor logindLock;
    QString portalRequest; // the request's object path
};

SleepInhibitor::SleepInhibitor(DesktopBuses buses) : m_state(std::make_shared<State>(std::move(buses)))
{
}

SleepInhibitor::~SleepInhibitor()
{
    m_state->release();
}

bool SleepInhibitor::inhibit(const QString &reason)
{
    if (m_state->inhibiting)
        return true;
    const quint64 generation = ++m_state->generation;
    bool asked = false;

    if (const std::optional<QDBusConnection> bus = m_state->buses.system()) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(DBusNames::logindService, DBusNames::logindPath,
                                           DBusNames::logindManager, QStringLiteral("Inhibit"));
        call << QStringLiteral("sleep:idle") << QStringLiteral("Tavrix") << reason << QStringLiteral("block");
        callAsync(*bus, call, nullptr, [state = m_state, generation](const QDBusMessage &reply) {
            if (reply.type() != QDBusMessage::ReplyMessage) {
                state->buses.skip(logindFeature, reply.errorMessage());
                return;
            }
            const auto lock = qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().value(0));
            if (!lock.isValid())
                state->buses.skip(logindFeature, QStringLiteral("the answer holds no file descriptor"));
            else if (state->wants(generation))
                state->logindLock = lock;
            // Otherwise the lock goes back to logind when the answer is freed.
        });
        asked = true;
    }

    if (const std::optional<QDBusConnection> bus = m_state->buses.session()) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(DBusNames::portalService, DBusNames::portalPath,
                                           DBusNames::portalInhibit, QStringLiteral("Inhibit"));
        call << QString() << uint(portalSuspend | portalIdle)
             << QVariantMap{{QStringLiteral("reason"), reason}};
        callAsync(*bus, call, nullptr, [state = m_state, generation](const QDBusMessage &reply) {
            if (reply.type() != QDBusMessage::ReplyMessage) {
                state->buses.skip(portalFeature, reply.errorMessage());
                return;
            }
            const QString request = qvariant_cast<QDBusObjectPath>(reply.arguments().value(0)).path();
            if (request.isEmpty())
                state->buses.skip(portalFeature, QStringLiteral("the answer holds no request"));
            else if (state->wants(generation))
                state->portalRequest = request;
            else
                closePortalRequest(state->buses, request);
        });
        asked = true;
    }

    m_state->inhibiting = asked;
    return asked;
}

void SleepInhibitor::release()
{
    m_state->release();
}

bool SleepInhibitor::isInhibiting() const
{
    return m_state->inhibiting;
}

bool SleepInhibitor::holdsLogindLock() const
{
    return m_state->logindLock.isValid();
}

bool SleepInhibitor::holdsPortalLock() const
{
    return !m_state->portalRequest.isEmpty();
}
