#pragma once

#include <QDialog>
#include <QWidget>

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
// "Stop" button. The user cannot close it; the run or import lowers it.
class ProgressSheet : public QDialog
{
    Q_OBJECT
public:
    explicit ProgressSheet(RunStatus *status, QWidget *parent = nullptr);

    ProgressionView *progression() const { return m_progression; }
    QString timeLeftText() const;

    // "1:05:03" or "4:07"; empty for a negative (unknown) time.
    static QString formatSecondsLeft(double seconds);

    void raiseSheet();
    void lowerSheet();

signals:
    void stopRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

public slots:
    void reject() override; // Escape and the window manager's close do nothing

private:
    void refresh();

    RunStatus *m_status;
    ProgressionView *m_progression;
    QLabel *m_timeLeft;
    QPushButton *m_stop;
    bool m_lowering = false;
};
