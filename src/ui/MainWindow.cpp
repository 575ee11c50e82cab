#include "ui/MainWindow.h"

#include "ui/ContentView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

MainWindow::MainWindow(ToolRunner tools, QWidget *parent)
    : QMainWindow(parent), m_content(new ContentView(std::move(tools), this))
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Tavrix"));
    setCentralWidget(m_content);
    buildMenus();
    resize(800, 600);
}

void MainWindow::buildMenus()
{
    const auto command = [this](const char *name) { return m_content->command(QString::fromLatin1(name)); };

    QMenu *file = menuBar()->addMenu(tr("&File"));
    file->addAction(command("open"));
    file->addAction(command("openDocument"));
    file->addAction(command("openDirectory"));
    file->addAction(command("watchFolder"));
    file->addSeparator();
    QAction *quit = file->addAction(tr("&Quit"));
    quit->setObjectName(QStringLiteral("quit"));
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);
    // Through close(), so a run in progress is asked about first.
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu *edit = menuBar()->addMenu(tr("&Edit"));
    edit->addAction(command("deleteAll"));
    edit->addSeparator();
    edit->addAction(command("preference"));

    QMenu *encoding = menuBar()->addMenu(tr("E&ncoding"));
    encoding->addAction(command("encoding"));
    encoding->addAction(command("retryFailed"));
}

void MainWindow::centerOnScreen()
{
    if (QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

bool MainWindow::askStopAndQuit(QWidget *parent)
{
    QMessageBox box(QMessageBox::Question, tr("Encoding in progress"), tr("Stop the conversion and quit?"),
                    QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("closeQuestion"));
    // One file or several may be converting (jobs side by side): the text holds for both.
    box.setInformativeText(tr("Files being converted are left unfinished and removed; the jobs still "
                              "waiting are not converted."));
    QPushButton *stop = box.addButton(tr("Stop and Quit"), QMessageBox::DestructiveRole);
    QPushButton *keepGoing = box.addButton(tr("Continue Encoding"), QMessageBox::RejectRole);
    // Whoever closes the window means to leave; Escape still keeps the run going.
    box.setDefaultButton(stop);
    box.setEscapeButton(keepGoing);
    box.exec();
    return box.clickedButton() == stop;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_content->isRunning()) {
        if (!m_closeQuestion || !m_closeQuestion(this)) {
            event->ignore();
            return;
        }
        // The run may have ended while the question was up; stopping then does nothing.
        m_content->stopWork();
    } else if (m_content->isImporting()) {
        m_content->stopWork(); // files not probed yet are simply not imported
    }
    event->accept();
    QMainWindow::closeEvent(event);
}
