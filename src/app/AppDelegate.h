#pragma once

#include <QObject>
#include <QStringList>

#include <memory>

class MainWindow;

// Creates the one main window once the application has started and owns it until the end.
class AppDelegate : public QObject
{
    Q_OBJECT
public:
    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    // Shows the window, reports missing tools once and imports the files given on the command line.
    void applicationDidFinishLaunching(const QStringList &files);

    MainWindow *window() const { return m_window.get(); }
    // Destroys the window and what it owns: its run and imports are stopped and their workers joined.
    void closeWindow();

private:
    std::unique_ptr<MainWindow> m_window;
};
