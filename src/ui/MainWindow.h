#pragma once

#include "process/ToolRunner.h"

#include <QMainWindow>

#include <functional>

class ContentView;

// The application's one window: the content view and the menu bar carrying its commands.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(ToolRunner tools = ToolRunner(), QWidget *parent = nullptr);

    ContentView *content() const { return m_content; }

    // Asked before closing during a run; true means stop the run and close. The default asks the user.
    using CloseQuestion = std::function<bool(QWidget *parent)>;
    void setCloseQuestion(CloseQuestion question) { m_closeQuestion = std::move(question); }
    static bool askStopAndQuit(QWidget *parent);

    void centerOnScreen();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();

    ContentView *m_content;
    CloseQuestion m_closeQuestion = &MainWindow::askStopAndQuit;
};
