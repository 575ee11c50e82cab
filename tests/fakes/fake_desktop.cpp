// Stands in for the desktop services tst_desktop talks to, on the buses named by DBUS_SESSION_BUS_ADDRESS
// and DBUS_SYSTEM_BUS_ADDRESS: logind (system bus), the desktop portal's Inhibit, the notification server,
// and a dock listening for launcher updates (session bus). It appends one line per call to LOGFILE:
// "WHO.MEMBER", then each argument, separated by tabs (a{sv} as {key=value,...}, sorted by key; a portal
// request's Close has "issued" or "unknown" for the object it was sent to). When every copy of a logind
// lock's descriptor is closed it logs "logind.InhibitReleased". It prints "ready" once every name is owned.
//   fake_desktop LOGFILE [absent=logind,portal,notifications] [can-suspend=ANSWER] [can-poweroff=ANSWER]
//                        [delay=MS (answer late)] [hang (never answer)]
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QFile>
#include <QSet>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString format(const QVariant &value)
{
    // Qt hands over a string array as a QStringList, a dictionary as a QDBusArgument.
    if (value.userType() == qMetaTypeId<QDBusArgument>())
        return format(qdbus_cast<QVariantMap>(value.value<QDBusArgument>()));
    if (value.userType() == QMetaType::QVariantMap) {
        QStringList entries;
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            entries << it.key() + '=' + format(it.value());
        return '{' + entries.join(',') + '}';
    }
    if (value.userType() == QMetaType::QStringList)
        return '[' + value.toStringList().join(',') + ']';
    if (value.userType() == qMetaTypeId<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

class Recorder : public QDBusVirtualObject
{
    Q_OBJECT

public:
    Recorder(const QString &path, QHash<QString, QString> options)
        : m_log(path), m_options(std::move(options))
    {
        if (!m_log.open(QIODevice::WriteOnly | QIODevice::Append))
            std::exit(2);
    }

    void record(const QString &what, const QVariantList &arguments)
    {
        QStringList fields{what};
        for (const QVariant &argument : arguments)
            fields << format(argument);
        m_log.write((fields.join('\t') + '\n').toUtf8());
        m_log.flush();
    }

    // Runs on the connection's own thread: the call is carried to this object's thread.
    bool handleMessage(const QDBusMessage &call, const QDBusConnection &bus) override
    {
        if (call.type() != QDBusMessage::MethodCallMessage)
            return false;
        const QString who = call.path().startsWith("/org/freedesktop/login1")    ? "logind"
                            : call.path().startsWith("/org/freedesktop/portal/") ? "portal"
                                                                                 : "notifications";
        QMetaObject::invokeMethod(this, [this, who, call, bus] { dispatch(who, call, bus); });
        return true;
    }
    QString introspect(const QString &) const override { return {}; }

public slots:
    void launcherUpdate(const QDBusMessage &signal)
    {
        record("launcher.Update", QVariantList{signal.path()} + signal.arguments());
    }

private:
    void dispatch(const QString &who, const QDBusMessage &call, QDBusConnection bus)
    {
        const QString what = who + '.' + call.member();
        // A request is closed on the object the portal handed out, whose path the caller cannot know.
        const bool closesRequest = what == "portal.Close";
        const bool known = closesRequest && m_requests.remove(call.path());
        record(what, closesRequest ? QVariantList{known ? "issued" : "unknown"} : call.arguments());
        QVariantList reply;
        if (what == "logind.Inhibit")
            reply = {QVariant::fromValue(logindLock())};
        else if (what == "logind.CanSuspend" || what == "logind.CanPowerOff")
            reply = {m_options.value(what == "logind.CanSuspend" ? "can-suspend" : "can-poweroff", "yes")};
        else if (what == "portal.Inhibit")
            reply = {QVariant::fromValue(portalRequest(call.service()))};
        else if (what == "notifications.Notify")
            reply = {uint(++m_notifications)};
        else if (what != "logind.Suspend" && what != "logind.PowerOff" && !known)
            return void(bus.send(call.createErrorReply(QDBusError::UnknownMethod, call.member())));
        const QDBusMessage answer = call.createReply(reply);
        if (m_options.contains("hang"))
            return;
        QTimer::singleShot(m_options.value("delay").toInt(), this,
                           [bus, answer] { QDBusConnection(bus).send(answer); });
    }

    // The write end goes to the caller; the lock ends when every copy of it is closed, which the read end
    // sees as the end of the pipe.
    QDBusUnixFileDescriptor logindLock()
    {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return {};
        QDBusUnixFileDescriptor lock(ends[1]);
        ::close(ends[1]);
        auto *notifier = new QSocketNotifier(ends[0], QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this, notifier, readEnd = ends[0]] {
            char byte;
            if (::read(readEnd, &byte, 1) > 0)
                return;
            notifier->setEnabled(false);
            notifier->deleteLater();
            ::close(readEnd);
            record("logind.InhibitReleased", {});
        });
        return lock;
    }

    QDBusObjectPath portalRequest(QString sender)
    {
        sender.remove(0, 1).replace('.', '_');
        const QString path =
            QString("/org/freedesktop/portal/desktop/request/%1/t%2").arg(sender).arg(++m_issued);
        m_requests.insert(path);
        return QDBusObjectPath(path);
    }

    QFile m_log;
    QHash<QString, QString> m_options;
    QSet<QString> m_requests;
    int m_issued = 0;
    uint m_notifications = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2)
        return 2;
    QHash<QString, QString> options;
    for (const QString &arg : args.mid(2))
        options.insert(arg.section('=', 0, 0), arg.section('=', 1));

    Recorder recorder(args.at(1), options);
    QDBusConnection session = QDBusConnection::sessionBus();
    QDBusConnection system = QDBusConnection::systemBus();
    // Before any name is requested, so that the match rule is in place once "ready" is printed.
    if (!session.connect({}, {}, "com.canonical.Unity.LauncherEntry", "Update", &recorder,
                         SLOT(launcherUpdate(QDBusMessage))))
        return 1;
    const struct
    {
        QDBusConnection bus;
        const char *who, *name, *path;
    } services[] = {
        {system, "logind", "org.freedesktop.login1", "/org/freedesktop/login1"},
        {session, "portal", "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop"},
        {session, "notifications", "org.freedesktop.Notifications", "/org/freedesktop/Notifications"},
    };
    for (const auto &[bus, who, name, path] : services) {
        if (options.value("absent").split(',').contains(who))
            continue;
        QDBusConnection connection(bus);
        if (!connection.registerVirtualObject(path, &recorder, QDBusConnection::SubPath) ||
            !connection.registerService(name)) {
            std::fprintf(stderr, "fake_desktop: cannot serve %s: %s\n", name,
                         qPrintable(connection.lastError().message()));
            return 1;
        }
    }
    // A round trip on each bus: every request above has been handled once it returns.
    session.interface()->isServiceRegistered("org.freedesktop.DBus");
    system.interface()->isServiceRegistered("org.freedesktop.DBus");
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

#include "fake_desktop.moc"
