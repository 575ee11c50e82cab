#include "AppDelegate.h"

#include "desktop/DesktopBuses.h"
#include "encoding/BatchEncoder.h"
#include "session/Session.h"
#include "store/QueueFile.h"
#include "store/QueueLock.h"
#include "store/SingleInstance.h"
#include "ui/ContentView.h"
#include "ui/MainWindow.h"

#include <QMessageBox>
#include <QTimer>

#include <utility>

AppDelegate::AppDelegate(QObject *parent) : QObject(parent)
{
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::closeWindow()
{
    m_window.reset();
    m_lock.reset();
}

void AppDelegate::applicationDidFinishLaunching(const QStringList &files, InstanceServer *instance)
{
    m_window = std::make_unique<MainWindow>();
    ContentView *content = m_window->content();
    Session *session = content->session();

    // The list is restored before the window shows, so it shows at once; previews follow.
    const QString folder = defaultDataFolder();
    m_lock = std::make_unique<QueueLock>(folder);
    QString listProblem;
    if (m_lock->tryLock())
        listProblem = session->keepJobsIn(folder);
    else
        listProblem = tr("%1 The list starts empty and is not saved.").arg(m_lock->error());
    // The folders watched when the window last closed are watched again.
    content->startWatching();
    connect(session, &Session::jobsNotSaved, this,
            [this](const QString &message) { tell(QStringLiteral("listNotSaved"), message); });

    if (instance)
        connect(instance, &InstanceServer::pathsReceived, this, &AppDelegate::openHandedFiles);
    connect(content->encoder(), &BatchEncoder::runFinished, this, [this] {
        if (!m_handedDuringRun.isEmpty())
            openHandedFiles(std::exchange(m_handedDuringRun, {}));
    });

    m_window->centerOnScreen();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();

    // The buses are connected now, not when the first run starts.
    content->enableDesktop(DesktopBuses());
    // Once the window is on screen, so the dialogs have something to sit on.
    QTimer::singleShot(0, content, [this, content, files, listProblem] {
        content->reportMissingTools();
        if (!listProblem.isEmpty())
            tell(QStringLiteral("savedListProblem"), listProblem);
        if (!files.isEmpty())
            content->importArguments(files);
    });
}

void AppDelegate::openHandedFiles(const QStringList &paths)
{
    if (!m_window)
        return;
    m_window->raise();
    m_window->activateWindow();
    ContentView *content = m_window->content();
    // The list takes no drop during a run; what another start handed over waits for its end.
    if (content->isRunning())
        m_handedDuringRun += paths;
    else if (!paths.isEmpty())
        content->importPaths(paths);
}

void AppDelegate::tell(const QString &objectName, const QString &text)
{
    if (!m_window)
        return;
    auto *box = new QMessageBox(QMessageBox::Warning, tr("Job list"), text, QMessageBox::Ok, m_window.get());
    box->setObjectName(objectName);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
