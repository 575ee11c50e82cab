// The desktop integration over D-Bus, against two private dbus-daemons standing for the session and the
// system bus, and the fake logind, portal, notification server and dock of tests/fakes/fake_desktop.cpp.
#include "TestSupport.h"
#include "desktop/DesktopBuses.h"
#include "desktop/LauncherProgress.h"
#include "desktop/PowerActions.h"
#include "desktop/RunDesktop.h"
#include "desktop/RunNotifier.h"
#include "desktop/SleepInhibitor.h"
#include "encoding/BatchEncoder.h"
#include "encoding/RunStatus.h"
#include "process/Log.h"
#include "rules/ShellQuote.h"

#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>
#include <sys/prctl.h>

namespace {

// The "FEATURE" of every "FEATURE skipped: WHY" line logged on the desktop category.
QStringList skippedFeatures;
QtMessageHandler previousHandler = nullptr;

void captureSkips(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (qstrcmp(context.category, "org.tavrix.Tavrix.desktop") == 0 && message.contains(" skipped: "))
        skippedFeatures << message.section(QStringLiteral(" skipped: "), 0, 0);
    previousHandler(type, context, message);
}

// A child that must not outlive the test, even when the test crashes.
void startOrphanProof(QProcess &process, const QString &program, const QStringList &args)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process.start(program, args);
}

const QString logindInhibit = QStringLiteral("logind.Inhibit\tsleep:idle\tTavrix\tConverting videos\tblock");
const QString portalInhibit = QStringLiteral("portal.Inhibit\t\t12\t{reason=Converting videos}");
const QString logindReleased = QStringLiteral("logind.InhibitReleased");
const QString portalClosed = QStringLiteral("portal.Close\tissued");

} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Services that answer may be slow on a loaded machine; only the silent ones should time out.
        DesktopBuses::setCallTimeoutMs(10000);
        QVERIFY(m_dir.isValid());
        const QString config = m_dir.filePath("bus.conf");
        // No service directories: nothing installed on the machine is started on the test's buses.
        QVERIFY(TestSupport::writeFile(
            config, QString("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                            "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                            "<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                            "<auth>EXTERNAL</auth><policy context=\"default\">"
                            "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                            "<allow own=\"*\"/></policy></busconfig>\n")
                        .arg(m_dir.path())
                        .toUtf8()));
        for (QProcess *bus : {&m_sessionBus, &m_systemBus}) {
            startOrphanProof(*bus, "dbus-daemon", {"--config-file=" + config, "--print-address", "--nofork"});
            QVERIFY2(bus->waitForStarted(), "dbus-daemon (Debian package dbus-daemon) is needed");
            QVERIFY(bus->waitForReadyRead(10000));
        }
        // Before the first connection to either bus, in this process and in the fakes it starts.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_sessionBus.readLine().trimmed());
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_systemBus.readLine().trimmed());
        qunsetenv("DBUS_STARTER_ADDRESS");
        qunsetenv("DBUS_STARTER_BUS_TYPE");
        m_log = m_dir.filePath("calls.log");
        previousHandler = qInstallMessageHandler(captureSkips);
    }

    void cleanupTestCase()
    {
        qInstallMessageHandler(previousHandler);
        for (QProcess *bus : {&m_sessionBus, &m_systemBus}) {
            bus->terminate();
            QVERIFY(bus->waitForFinished(10000));
        }
    }

    void cleanup()
    {
        if (m_fake.state() != QProcess::NotRunning) {
            // Answers the fake already sent reach their callers before it goes; a reply lost to its end
            // would read as a missing service in the next test. A round trip on each bus lets them in.
            for (QDBusConnection bus : {QDBusConnection::sessionBus(), QDBusConnection::systemBus()})
                if (bus.isConnected())
                    bus.interface()->isServiceRegistered("org.freedesktop.DBus");
            QCoreApplication::processEvents();
            m_fake.terminate();
            QVERIFY(m_fake.waitForFinished(10000));
        }
        skippedFeatures.clear();
    }

    // Locks a run takes and gives back are runTellsTheDesktop's; these are granted after it had ended.
    void locksGrantedAfterReleaseAreLetGo()
    {
        QVERIFY(startFake({"delay=300"}));
        SleepInhibitor inhibitor;
        QVERIFY(inhibitor.inhibit("Converting videos"));
        QVERIFY(inhibitor.inhibit("Converting videos")); // already inhibiting: nothing asked
        inhibitor.release();
        QTRY_COMPARE(sorted(calls()), sorted({logindInhibit, portalInhibit, logindReleased, portalClosed}));
        QVERIFY(!inhibitor.holdsLogindLock() && !inhibitor.holdsPortalLock());
        QCOMPARE(skippedFeatures, QStringList());
    }

    // How a finished run reads is runTellsTheDesktop's; a stopped one reads differently.
    void notificationSaysTheRunStopped()
    {
        QVERIFY(startFake());
        QVERIFY(RunNotifier().notifyRunFinished({.converted = 0, .stopped = 1, .notRun = 2}));
        QTRY_COMPARE(
            calls(),
            QStringList{"notifications.Notify\tTavrix\t0\torg.tavrix.Tavrix\tConversion stopped\t"
                        "0 converted, 1 stopped, 2 not run\t[]\t{desktop-entry=org.tavrix.Tavrix}\t-1"});
        // The fake answers in order: once a question asked after the notification is answered, the
        // notification's own answer is in too, and cannot reach the next test as a lost reply.
        QDBusInterface("org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                       "org.freedesktop.DBus.Peer")
            .call("Ping");
        QCoreApplication::processEvents();
    }

    // Only what logind answers "yes" for is offered (a password would be asked of no one), and done as asked.
    void powerActionsFollowLogind()
    {
        QVERIFY(startFake({"can-suspend=challenge"}));
        const QList choices{WhenDone::Nothing, WhenDone::Quit, WhenDone::PowerOff};
        PowerActions power;
        QSignalSpy refreshed(&power, &PowerActions::refreshed);
        QSignalSpy failed(&power, &PowerActions::failed);
        power.refresh();
        QTRY_COMPARE(refreshed.count(), 1);
        QCOMPARE(power.choices(), choices);

        for (WhenDone action : choices)
            power.perform(action);
        // The two questions go out together; which one the fake logs first is not ours to promise.
        QTRY_COMPARE(sorted(calls()),
                     sorted({"logind.CanPowerOff", "logind.CanSuspend", "logind.PowerOff\tfalse"}));
        QCOMPARE(failed.count(), 0);
        QCOMPARE(skippedFeatures, QStringList());
    }

    // Every piece is used twice; each skipped feature is logged once, nothing fails or waits.
    void missingDesktopIsSkippedOnce_data()
    {
        QTest::addColumn<QString>("sessionAddress"); // empty: the bus of the environment
        QTest::addColumn<QString>("systemAddress");
        QTest::addColumn<QStringList>("fakeOptions");
        QTest::addColumn<QStringList>("skipped");
        const QStringList noBus{"Session bus (notifications, launcher, portal)", "System bus (logind)"};
        const QStringList noService{"Sleep inhibition through logind",
                                    "Sleep inhibition through the desktop portal", "Desktop notifications",
                                    "Power actions through logind"};
        QTest::newRow("no buses") << "unix:path=/nonexistent/tavrix-bus"
                                  << "unix:" << QStringList() << noBus;
        QTest::newRow("services absent")
            << QString() << QString() << QStringList{"absent=logind,portal,notifications"} << noService;
        QTest::newRow("services silent") << QString() << QString() << QStringList{"hang"} << noService;
    }
    void missingDesktopIsSkippedOnce()
    {
        QFETCH(QString, sessionAddress);
        QFETCH(QString, systemAddress);
        QFETCH(QStringList, fakeOptions);
        QFETCH(QStringList, skipped);
        const bool noBus = !sessionAddress.isEmpty();
        if (!noBus)
            QVERIFY(startFake(fakeOptions));
        // A silent service is given up after the time limit a desktop really has.
        DesktopBuses::setCallTimeoutMs(fakeOptions.contains(QStringLiteral("hang")) ? 2000 : 10000);
        const QString name = QString::fromLatin1(QTest::currentDataTag());
        const DesktopBuses buses =
            noBus ? DesktopBuses(QDBusConnection::connectToBus(sessionAddress, name + " session"),
                                 QDBusConnection::connectToBus(systemAddress, name + " system"))
                  : DesktopBuses();

        SleepInhibitor inhibitor(buses);
        PowerActions power(buses);
        QSignalSpy refreshed(&power, &PowerActions::refreshed);
        QSignalSpy failed(&power, &PowerActions::failed);
        for (int round = 0; round < 2; ++round) {
            QCOMPARE(inhibitor.inhibit("Converting videos"), !noBus);
            inhibitor.release();
            QCOMPARE(RunNotifier(buses).notifyRunFinished({.converted = 1}), !noBus);
            LauncherProgress(buses).setProgress(0.5);
            power.refresh();
        }
        power.perform(WhenDone::Suspend);

        // A silent service counts as absent once the call's time limit has passed.
        const int patience = 5000 + DesktopBuses::callTimeoutMs();
        QTRY_COMPARE_WITH_TIMEOUT(sorted(skippedFeatures), sorted(skipped), patience);
        QTRY_COMPARE_WITH_TIMEOUT(refreshed.count(), noBus ? 2 : 1,
                                  patience); // the first refresh was superseded
        QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, patience);
        QVERIFY(failed.at(0).at(1).toString().startsWith("The computer could not be suspended: "));
        QCOMPARE(power.choices(), QList({WhenDone::Nothing, WhenDone::Quit}));
        QVERIFY(!inhibitor.holdsLogindLock() && !inhibitor.holdsPortalLock());
    }

    // A run without a window: the locks are taken while it lasts, the launcher follows it from its
    // start to its end, and one notification counts its jobs.
    void runTellsTheDesktop()
    {
        QVERIFY(startFake());
        setDiagnosticStream(nullptr);
        const QString clip = m_dir.filePath(QStringLiteral("clip.mp4"));
        QVERIFY(TestSupport::generateSimpleClip(clip, 0.5));
        RunStatus status;
        BatchEncoder encoder;
        status.follow(&encoder);
        TestSupport::runShell(encoder, [](const MediaVideo &job) {
            return job.destination.contains("bad")
                       ? QStringLiteral("exit 3")
                       : shellQuote(TestSupport::realTool("ffmpeg")) + " -v error -nostdin -i " +
                             shellQuote(job.source) + " -c copy -y " + shellQuote(job.destination);
        });
        RunDesktop desktop(&encoder, &status);
        QVERIFY(
            TestSupport::runToEnd(encoder, {std::make_shared<MediaVideo>(clip, m_dir.filePath("good.mp4")),
                                            std::make_shared<MediaVideo>(clip, m_dir.filePath("bad.mp4"))}));
        const QString update =
            "launcher.Update\t/org/tavrix/Tavrix/LauncherEntry\tapplication://org.tavrix.Tavrix.desktop\t";
        const QString notify = "notifications.Notify\tTavrix\t0\torg.tavrix.Tavrix\tConversion finished\t1 "
                               "converted, 1 failed\t[]\t{desktop-entry=org.tavrix.Tavrix}\t-1";
        QTRY_VERIFY(calls().contains(notify) && calls().contains(portalClosed) &&
                    calls().contains(logindReleased));
        const QStringList all = calls();
        QCOMPARE(all.count(notify), 1);
        QVERIFY(all.contains(logindInhibit) && all.contains(portalInhibit));
        const QStringList launcher = all.filter(QStringLiteral("launcher.Update"));
        QCOMPARE(launcher.constFirst(),
                 update + "{count=2,count-visible=true,progress=0,progress-visible=true}");
        QCOMPARE(launcher.constLast(), update + "{count-visible=false,progress-visible=false}");
        QCOMPARE(skippedFeatures, QStringList());
    }

private:
    bool startFake(const QStringList &options = {})
    {
        QFile::remove(m_log);
        startOrphanProof(m_fake, FAKE_DESKTOP_PATH, QStringList{m_log} + options);
        return m_fake.waitForStarted() && m_fake.waitForReadyRead(10000) && m_fake.readLine() == "ready\n";
    }

    QStringList calls() const
    {
        return QString::fromUtf8(TestSupport::readFile(m_log)).split('\n', Qt::SkipEmptyParts);
    }

    static QStringList sorted(QStringList list)
    {
        list.sort();
        return list;
    }

    QTemporaryDir m_dir;
    QProcess m_sessionBus;
    QProcess m_systemBus;
    QProcess m_fake;
    QString m_log;
};

QTEST_GUILESS_MAIN(TestDesktop)
#include "tst_desktop.moc"
