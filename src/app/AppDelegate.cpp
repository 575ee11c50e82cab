#include "AppDelegate.h"

#include "desktop/DesktopBuses.h"
#include "ui/ContentView.h"
#include "ui/MainWindow.h"

#include <QTimer>

AppDelegate::AppDelegate(QObject *parent) : QObject(parent)
{
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::closeWindow()
{
    m_window.reset();
}

void AppDelegate::applicationDidFinishLaunching(const QStringList &files)
{
    m_window = std::make_unique<MainWindow>();
    m_window->centerOnScreen();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();

    ContentView *content = m_window->content();
    // The buses are connected now, not when the first run starts.
    content->enableDesktop(DesktopBuses());
    // Once the window is on screen, so the dialog has something to sit on.
    QTimer::singleShot(0, content, [content, files] {
        content->reportMissingTools();
        if (!files.isEmpty())
            content->importArguments(files);
    });
}
