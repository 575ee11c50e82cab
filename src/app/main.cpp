#include "AppDelegate.h"

#include "process/ToolProcess.h"
#include "session/Session.h"
#include "session/StopSignals.h"
#include "store/SingleInstance.h"
#include "ui/ContentView.h"
#include "ui/MainWindow.h"
#include "ui/Translations.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDebug>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tavrix"));
    QApplication::setApplicationName(QStringLiteral("Tavrix"));
    QApplication::setApplicationVersion(QStringLiteral(TAVRIX_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tavrix.Tavrix"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.tavrix.Tavrix")));
    installTranslations();

    QCommandLineParser parser;
    parser.setApplicationDescription(QApplication::translate("main", "Batch video converter"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QApplication::translate("main", "Video files or folders to import."),
                                 QStringLiteral("[files...]"));
    parser.process(app);

    // One window per user: a later start hands its files to the window and ends.
    const QStringList files = parser.positionalArguments();
    if (sendToRunningInstance(files, 5000))
        return 0;
    InstanceServer instance;
    if (!instance.listen())
        qWarning().noquote() << instance.error();

    // Quitting waits for the import and encoding threads; the tools they run end now, and no new one starts.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [] { ToolProcess::closeDown(); });

    AppDelegate delegate;
    delegate.applicationDidFinishLaunching(files, &instance);

    // Logout (SIGTERM), a closed terminal (SIGHUP) and Ctrl-C stop the run as Stop does, then quit:
    // the unfinished file is removed and no tool is left behind.
    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::received, &app, [&delegate] {
        if (MainWindow *window = delegate.window())
            window->content()->session()->stop();
        QCoreApplication::exit(0);
    });
    const int status = app.exec();
    // The session's workers are joined here, while the application object still exists.
    delegate.closeWindow();
    return status;
}
