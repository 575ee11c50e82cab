#include "AppDelegate.h"

#include "tools/ToolProcess.h"
#include "ui/Translations.h"

#include <QApplication>
#include <QCommandLineParser>
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

    // Quitting waits for the import and encoding threads; the tools they run end now, and no new one starts.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [] { ToolProcess::closeDown(); });

    AppDelegate delegate;
    delegate.applicationDidFinishLaunching(parser.positionalArguments());
    return app.exec();
}
