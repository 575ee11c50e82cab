#pragma once

#include <QMap>
#include <QObject>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

// Progress of the current encoding run or import, shown by the progress sheet and the command line.
//
// The object lives on the user interface thread. Background work changes it only through post(),
// which carries each change to that thread; changes posted from one thread arrive in the order made.
class BatchEncoder;

class RunStatus : public QObject
{
    Q_OBJECT
    Q_PROPERTY(double percentValue READ percentValue WRITE setPercentValue NOTIFY changed)
    Q_PROPERTY(QString activeEncoding READ activeEncoding WRITE setActiveEncoding NOTIFY changed)
    Q_PROPERTY(int nbrFilesEncoding READ nbrFilesEncoding WRITE setNbrFilesEncoding NOTIFY changed)
    Q_PROPERTY(QString currentEncodeFile READ currentEncodeFile WRITE setCurrentEncodeFile NOTIFY changed)
    Q_PROPERTY(bool showProgressBar READ showProgressBar WRITE setShowProgressBar NOTIFY changed)
    Q_PROPERTY(bool isDisable READ isDisable WRITE setIsDisable NOTIFY changed)
    Q_PROPERTY(bool paused READ paused WRITE setPaused NOTIFY changed)
public:
    using QObject::QObject;

    double percentValue() const { return m_percentValue; }
    QString activeEncoding() const { return m_activeEncoding; }
    int nbrFilesEncoding() const { return m_nbrFilesEncoding; }
    QString currentEncodeFile() const { return m_currentEncodeFile; }
    bool showProgressBar() const { return m_showProgressBar; }
    bool isDisable() const { return m_isDisable; }
    // The run's encoders are held (Pause); the time left stands still meanwhile.
    bool paused() const { return m_paused; }
    // Seconds left for the current job and for the whole run; negative while unknown.
    double jobSecondsLeft() const { return m_jobSecondsLeft; }
    double runSecondsLeft() const { return m_runSecondsLeft; }

    void setPercentValue(double value);
    void setActiveEncoding(const QString &value);
    void setNbrFilesEncoding(int value);
    void setCurrentEncodeFile(const QString &value);
    void setShowProgressBar(bool value);
    void setIsDisable(bool value);
    void setPaused(bool value);
    void setSecondsLeft(double job, double run);

    // A run of several jobs side by side. The fields above then speak for the whole run: the percentage
    // is the run's, `activeEncoding` and `currentEncodeFile` list the jobs running now, and the time
    // left is the run's only.
    struct RunningJob
    {
        QUuid id;
        QString fileName;
        double percentValue = 0;
        double secondsLeft = -1; // the run's, as this job sees it
    };
    bool isSideBySide() const { return m_sideBySide; }
    void beginSideBySide(); // no job running, none done
    void endSideBySide();
    void jobStarted(int number, const QUuid &id, const QString &fileName);
    void setJobProgress(int number, double percentValue, double runSecondsLeft);
    void jobEnded(int number); // also for a job that never started: it counts as done
    const QMap<int, RunningJob> &runningJobs() const { return m_running; }
    // The percentage of a job running side by side now, or nothing.
    std::optional<double> jobPercent(const QUuid &id) const;

    // Shows the runs of `encoder` from its events, from now on.
    void follow(const BatchEncoder *encoder);

    // Runs `change` on this object's thread, after every change posted before it from the same thread.
    void post(std::function<void(RunStatus &)> change);

    // "[3 / 7] 25.00%"; the percentage shown is kept within 0 to 100.
    QString valueText() const;
    static QString valueText(const QString &activeEncoding, int count, double percentValue);
    // The bar's value, 0 to 100.
    int barValue() const;

signals:
    void changed();
    void showProgressBarChanged(bool shown);
    void isDisableChanged(bool disabled);

private:
    double m_percentValue = 0;
    QString m_activeEncoding;
    int m_nbrFilesEncoding = 0;
    QString m_currentEncodeFile;
    bool m_showProgressBar = false;
    bool m_isDisable = false;
    bool m_paused = false;
    double m_jobSecondsLeft = -1;
    double m_runSecondsLeft = -1;
    bool m_sideBySide = false;
    int m_jobsDone = 0;
    QMap<int, RunningJob> m_running; // by job number, so they are listed in run order

    void showSideBySide();
};
