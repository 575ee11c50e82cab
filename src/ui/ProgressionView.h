#pragma once

#include "desktop/PowerActions.h"

#include <QDialog>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QProgressBar;
class RunStatus;

// The run status as a title, a bar and "[n / count] p%"; it shows and never changes anything.
class ProgressionView : public QWidget
{
    Q_OBJECT
public:
    explicit ProgressionView(RunStatus *status, QWidget *parent = nullptr);

    QString title() const;
    QString valueText() const;
    int barValue() const;

private:
    void refresh();

    RunStatus *m_status;
    QLabel *m_title;
    QProgressBar *m_bar;
    QLabel *m_value;
};

// The sheet over the main window during a run or an import: the progression, the time left and a
// "Stop" button; during a run also "Pause", "Stop After This File" and what to do when it is done.
// The user cannot close it; the run or import lowers it.
class ProgressSheet : public QDialog
{
    Q_OBJECT
public:
    explicit ProgressSheet(RunStatus *status, QWidget *parent = nullptr);

    ProgressionView *progression() const { return m_progression; }
    QString timeLeftText() const;

    // "1:05:03" or "4:07"; empty for a negative (unknown) time.
    static QString formatSecondsLeft(double seconds);

    // `run`: the controls of an encoding run are shown (an import has only Stop).
    void raiseSheet(bool run = false);
    void lowerSheet();

    // The "When done" choices offered, the first being the default; the current choice is kept when
    // it is still offered.
    void setWhenDoneChoices(const QList<WhenDone> &choices);
    WhenDone whenDone() const;

signals:
    void stopRequested();
    void pauseRequested(bool paused);
    void stopAfterCurrentRequested();
    void whenDoneChosen(WhenDone action);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

public slots:
    void reject() override; // Escape does nothing; the window manager's close closes the window

private:
    void refresh();
    void showRunControls(bool run);

    RunStatus *m_status;
    ProgressionView *m_progression;
    QLabel *m_timeLeft;
    QPushButton *m_stop;
    QPushButton *m_pause;
    QPushButton *m_stopAfter;
    QLabel *m_whenDoneLabel;
    QComboBox *m_whenDone;
    bool m_lowering = false;
};
