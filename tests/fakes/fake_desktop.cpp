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
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct Options
{
    QSet<QString> absent;
    QString canSuspend = QStringLiteral("yes");
    QString canPowerOff = QStringLiteral("yes");
    int delayMs = 0;
    bool hang = false;
};

QString format(const QVariant &value)
{
    if (value.userType() == qMetaTypeId<QDBusArgument>()) {
        const auto argument = value.value<QDBusArgument>();
        if (argument.currentType() == QDBusArgument::MapType)
            return format(qdbus_cast<QVariantMap>(argument));
        return format(qdbus_cast<QStringList>(argument));
    }
    if (value.userType() == QMetaType::QVariantMap) {
        QStringList entries;
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            entries << it.key() + QLatin1Char('=') + format(it.value());
        return QLatin1Char('{') + entries.join(QLatin1Char(',')) + QLatin1Char('}');
    }
    if (value.userType() == QMetaType::QStringList)
        return QLatin1Char('[') + value.toStringList().join(QLatin1Char(',')) + QLatin1Char(']');
    if (value.userType() == qMetaTypeId<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

class Recorder : public QObject
{
    Q_OBJECT

public:
    Recorder(const QString &path, Options options) : m_log(path), m_options(std::move(options))
    {
        if (!m_log.open(QIODevice::WriteOnly | QIODevice::Append)) {
            std::fprintf(stderr, "fake_desktop: cannot write %s\n", qPrintable(path));
            std::exit(2);
        }
    }

    const Options &options() const { return m_options; }

    void record(const QString &what, const QVariantList &arguments)
    {
        QStringList fields{what};
        for (const QVariant &argument : arguments)
            fields << format(argument);
        m_log.write((fields.join(QLatin1Char('\t')) + QLatin1Char('\n')).toUtf8());
        m_log.flush();
    }

    // Answers `call` now, later or never, as the options say.
    void answer(const QDBusConnection &bus, const QDBusMessage &reply)
    {
        if (m_options.hang)
            return;
        if (m_options.delayMs > 0)
            QTimer::singleShot(m_options.delayMs, this, [bus, reply] { QDBusConnection(bus).send(reply); });
        else
            QDBusConnection(bus).send(reply);
    }

    // Runs on the connection's own thread: the call is carried to this object's thread.
    bool handle(const QString &who, const QDBusMessage &call, const QDBusConnection &bus)
    {
        QMetaObject::invokeMethod(this, [this, who, call, bus] { dispatch(who, call, bus); });
        return true;
    }

public slots:
    void launcherUpdate(const QDBusMessage &signal)
    {
        record(QStringLiteral("launcher.Update"), QVariantList{signal.path()} + signal.arguments());
    }

private:
    void dispatch(const QString &who, const QDBusMessage &call, const QDBusConnection &bus)
    {
        const QString member = call.member();
        const bool closesRequest = who == QLatin1String("portal") && member == QLatin1String("Close");
        // A request is closed on the object the portal handed out, whose path the caller cannot know.
        record(who + QLatin1Char('.') + member,
               closesRequest ? QVariantList{m_requests.contains(call.path()) ? QStringLiteral("issued")
                                                                             : QStringLiteral("unknown")}
                             : call.arguments());
        if (who == QLatin1String("logind") && member == QLatin1String("Inhibit"))
            answer(bus, call.createReply(QVariant::fromValue(logindLock())));
        else if (who == QLatin1String("logind") && member == QLatin1String("CanSuspend"))
            answer(bus, call.createReply(m_options.canSuspend));
        else if (who == QLatin1String("logind") && member == QLatin1String("CanPowerOff"))
            answer(bus, call.createReply(m_options.canPowerOff));
        else if (who == QLatin1String("logind") &&
                 (member == QLatin1String("Suspend") || member == QLatin1String("PowerOff")))
            answer(bus, call.createReply());
        else if (who == QLatin1String("portal") && member == QLatin1String("Inhibit"))
            answer(bus, call.createReply(QVariant::fromValue(portalRequest(call.service()))));
        else if (closesRequest && m_requests.remove(call.path()))
            answer(bus, call.createReply());
        else if (who == QLatin1String("notifications") && member == QLatin1String("Notify"))
            answer(bus, call.createReply(uint(++m_notifications)));
        else
            bus.send(call.createErrorReply(QDBusError::UnknownMethod, member));
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
            record(QStringLiteral("logind.InhibitReleased"), {});
        });
        return lock;
    }

    QDBusObjectPath portalRequest(QString sender)
    {
        sender.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString path =
            QStringLiteral("/org/freedesktop/portal/desktop/request/%1/t%2").arg(sender).arg(++m_issued);
        m_requests.insert(path);
        return QDBusObjectPath(path);
    }

    QFile m_log;
    Options m_options;
    QSet<QString> m_requests;
    int m_issued = 0;
    uint m_notifications = 0;
};

class Service : public QDBusVirtualObject
{
public:
    Service(Recorder *recorder, QString who) : m_recorder(recorder), m_who(std::move(who)) {}

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.type() != QDBusMessage::MethodCallMessage)
            return false;
        return m_recorder->handle(m_who, message, connection);
    }
    QString introspect(const QString &) const override { return {}; }

private:
    Recorder *m_recorder;
    QString m_who;
};

bool serve(QDBusConnection bus, const QString &name, const QString &path, Service *service)
{
    if (!bus.registerVirtualObject(path, service, QDBusConnection::SubPath) || !bus.registerService(name)) {
        std::fprintf(stderr, "fake_desktop: cannot serve %s: %s\n", qPrintable(name),
                     qPrintable(bus.lastError().message()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: fake_desktop LOGFILE [OPTION...]\n");
        return 2;
    }
    Options options;
    for (const QString &arg : args.mid(2)) {
        const QString value = arg.section(QLatin1Char('='), 1);
        if (arg.startsWith(QLatin1String("absent="))) {
            const QStringList names = value.split(QLatin1Char(','));
            options.absent = QSet<QString>(names.cbegin(), names.cend());
        } else if (arg.startsWith(QLatin1String("can-suspend=")))
            options.canSuspend = value;
        else if (arg.startsWith(QLatin1String("can-poweroff=")))
            options.canPowerOff = value;
        else if (arg.startsWith(QLatin1String("delay=")))
            options.delayMs = value.toInt();
        else if (arg == QLatin1String("hang"))
            options.hang = true;
    }

    Recorder recorder(args.at(1), options);
    Service logind(&recorder, QStringLiteral("logind"));
    Service portal(&recorder, QStringLiteral("portal"));
    Service notifications(&recorder, QStringLiteral("notifications"));
    QDBusConnection session = QDBusConnection::sessionBus();
    QDBusConnection system = QDBusConnection::systemBus();

    // Before any name is requested, so that the match rule is in place once "ready" is printed.
    if (!session.connect(QString(), QString(), QStringLiteral("com.canonical.Unity.LauncherEntry"),
                         QStringLiteral("Update"), &recorder, SLOT(launcherUpdate(QDBusMessage))))
        return 1;
    if (!options.absent.contains(QStringLiteral("logind")) &&
        !serve(system, QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
               &logind))
        return 1;
    if (!options.absent.contains(QStringLiteral("portal")) &&
        !serve(session, QStringLiteral("org.freedesktop.portal.Desktop"),
               QStringLiteral("/org/freedesktop/portal/desktop"), &portal))
        return 1;
    if (!options.absent.contains(QStringLiteral("notifications")) &&
        !serve(session, QStringLiteral("org.freedesktop.Notifications"),
               QStringLiteral("/org/freedesktop/Notifications"), &notifications))
        return 1;
    // A round trip on each bus: every request above has been handled once it returns.
    session.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.DBus"));
    system.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.DBus"));

    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

#include "fake_desktop.moc"
