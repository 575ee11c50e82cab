// Leaving during a run, as a user does: the window manager's close button (a real WM_DELETE_WINDOW on
// a real X server), the window going away, and a signal to the running program. None may crash, hang
// or leave a tool behind.
#include "TestSupport.h"

#include "encoding/BatchEncoder.h"
#include "media/MediaProbe.h"
#include "model/Preferences.h"
#include "session/JobListModel.h"
#include "session/Session.h"
#include "ui/ContentView.h"
#include "ui/MainWindow.h"
#include "ui/ProgressionView.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <filesystem>

using namespace TestSupport;

class TestQuit : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    ResourceDir m_hangingEncoder{ResourceDir::Entry::Fake, ResourceDir::Entry::Real};
    QString m_groups;
    QString m_started;

    // A window with two jobs whose encoder hangs once it has started.
    std::unique_ptr<MainWindow> runningWindow()
    {
        qunsetenv("FAKE_TOOL_SCRIPT_FFMPEG");
        auto window = std::make_unique<MainWindow>(ToolRunner(m_hangingEncoder.path()));
        ContentView &view = *window->content();
        view.waitForCatalog(); // asked of the fake before it is told to hang
        for (const char *name : {"one.mov", "two.mov"}) {
            const QString source = m_dir.filePath(QString::fromLatin1(name));
            if (!QFileInfo::exists(source) && !generateSimpleClip(source, 0.5))
                return {};
            view.model()->append(createMediaVideo(source, source + QStringLiteral(".mp4"),
                                                  ToolRunner(realResourceDir()), Preferences::jobSettings()));
        }
        QFile::remove(m_started);
        QFile::remove(m_groups);
        qputenv("FAKE_TOOL_SCRIPT_FFMPEG",
                "pgid:" + m_groups.toUtf8() + ";touch:" + m_started.toUtf8() + ";hang");
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            return {};
        view.startEncoding();
        return window;
    }

private slots:
    void initTestCase()
    {
        isolateSettings();
        QVERIFY(m_dir.isValid());
        m_groups = m_dir.filePath(QStringLiteral("groups"));
        m_started = m_dir.filePath(QStringLiteral("started"));
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    }

    // The close button works while the progress sheet is up, the sheet's own too: it asks, "no" keeps the
    // run going, "Stop and Quit" ends it with the encoder gone.
    void closeButtonDuringARun()
    {
        std::unique_ptr<MainWindow> window = runningWindow();
        QVERIFY(window);
        ContentView &view = *window->content();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(m_started), 30000);
        QTRY_VERIFY(view.progressSheet()->isVisible());

        int asked = 0;
        window->setCloseQuestion([&asked](QWidget *) { return ++asked > 1; });
        QCOMPARE(run(WM_CLOSE_PATH, {QString::number(view.progressSheet()->winId())}), 0);
        QTRY_COMPARE(asked, 1);
        QVERIFY(window->isVisible() && view.progressSheet()->isVisible());
        QVERIFY(view.isRunning());

        QSignalSpy ended(view.encoder(), &BatchEncoder::runFinished);
        QCOMPARE(run(WM_CLOSE_PATH, {QString::number(window->winId())}), 0);
        QTRY_COMPARE(asked, 2);
        QTRY_VERIFY(!window->isVisible());
        QVERIFY(ended.size() == 1 || ended.wait(10000));
        QCOMPARE(view.model()->job(0)->result.status, JobResult::Status::Stopped);
        QCOMPARE(survivors(m_groups), 0);
    }

    // The window and its session go away in the middle of a run: the encoder is stopped and joined
    // before what it reports to is destroyed.
    void windowDestroyedDuringARun()
    {
        std::unique_ptr<MainWindow> window = runningWindow();
        QVERIFY(window);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(m_started), 30000);
        window.reset();
        QCOMPARE(survivors(m_groups), 0);
    }

    // The program itself, told to end by the desktop while it imports with a mediainfo that never
    // answers: it quits at once and takes mediainfo along. (Ctrl-C and SIGHUP are one list with SIGTERM.)
    void signalDuringAnImport()
    {
        // The program finds its tools beside itself: a copy of it with a hanging mediainfo.
        const ResourceDir tools(ResourceDir::Entry::Real, ResourceDir::Entry::Fake);
        const QString root = m_dir.filePath(QStringLiteral("app"));
        QVERIFY(QDir().mkpath(root + QStringLiteral("/bin")) &&
                QDir().mkpath(root + QStringLiteral("/libexec")));
        std::filesystem::copy_file(TAVRIX_GUI_PATH, (root + QStringLiteral("/bin/tavrix")).toStdString());
        QVERIFY(QFile::link(tools.path(), root + QStringLiteral("/libexec/tavrix")));
        const QString clip = m_dir.filePath(QStringLiteral("one.mov"));
        if (!QFileInfo::exists(clip))
            QVERIFY(generateSimpleClip(clip, 0.5));

        QFile::remove(m_groups);
        QProcess app;
        app.setProcessEnvironment(environmentWith(
            {"FAKE_TOOL_SCRIPT_MEDIAINFO=pgid:" + m_groups + ";hang", "XDG_CONFIG_HOME=" + settingsHome()}));
        app.start(root + QStringLiteral("/bin/tavrix"), {clip, clip});
        QVERIFY(app.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(m_groups).size() > 0, 30000);
        ::kill(pid_t(app.processId()), SIGTERM);
        QVERIFY2(app.waitForFinished(5000), "the program did not end within 5 s");
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(survivors(m_groups), 0);
    }
};

// The tests need a real X server: one of their own, so that nothing else on the display interferes.
int main(int argc, char **argv)
{
    // With -displayfd 1 the server writes its display number on standard output once it is ready.
    QProcess server;
    server.start(QStringLiteral("Xvfb"),
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                  QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                  QStringLiteral("tcp")});
    server.waitForReadyRead(30000);
    const QByteArray display = server.readLine().trimmed();
    if (display.isEmpty()) {
        qWarning("Xvfb did not start");
        return 1;
    }
    qputenv("DISPLAY", ":" + display);
    qputenv("QT_QPA_PLATFORM", "xcb");
    int status = 0;
    {
        QApplication app(argc, argv);
        TestQuit test;
        status = QTest::qExec(&test, argc, argv);
    }
    server.terminate();
    server.waitForFinished(5000);
    return status;
}

#include "tst_ui_quit.moc"
