#pragma once

#include <QObject>
#include <QStringList>

#include <memory>

class InstanceServer;
class MainWindow;
class QueueLock;

// Creates the one main window once the application has started and owns it until the end, with the
// saved job list it keeps and the channel through which later starts hand it their files.
class AppDelegate : public QObject
{
    Q_OBJECT
public:
    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    // Shows the window with the saved job list, reports missing tools and a saved list it could not use
    // once, and imports the files given on the command line. `instance`, when given, is listening
    // already: files it receives are imported as if dropped.
    void applicationDidFinishLaunching(const QStringList &files, InstanceServer *instance = nullptr);

    MainWindow *window() const { return m_window.get(); }
    // Destroys the window and what it owns: its run and imports are stopped and their workers joined,
    // the list is saved and its lock released.
    void closeWindow();

private:
    void openHandedFiles(const QStringList &paths);
    void tell(const QString &objectName, const QString &text);

    std::unique_ptr<QueueLock> m_lock;
    std::unique_ptr<MainWindow> m_window;
    QStringList m_handedDuringRun; // imported once the run has ended
};
