#include "encoding/RunStatus.h"

#include "encoding/BatchEncoder.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

void RunStatus::setPercentValue(double value)
{
    if (value == m_percentValue)
        return;
    m_percentValue = value;
    emit changed();
}

void RunStatus::setActiveEncoding(const QString &value)
{
    if (value == m_activeEncoding)
        return;
    m_activeEncoding = value;
    emit changed();
}

void RunStatus::setNbrFilesEncoding(int value)
{
    if (value == m_nbrFilesEncoding)
        return;
    m_nbrFilesEncoding = value;
    emit changed();
}

void RunStatus::setCurrentEncodeFile(const QString &value)
{
    if (value == m_currentEncodeFile)
        return;
    m_currentEncodeFile = value;
    emit changed();
}

void RunStatus::setShowProgressBar(bool value)
{
    if (value == m_showProgressBar)
        return;
    m_showProgressBar = value;
    emit changed();
    emit showProgressBarChanged(value);
}

void RunStatus::setIsDisable(bool value)
{
    if (value == m_isDisable)
        return;
    m_isDisable = value;
    emit changed();
    emit isDisableChanged(value);
}

void RunStatus::setPaused(bool value)
{
    if (value == m_paused)
        return;
    m_paused = value;
    emit changed();
}

void RunStatus::setSecondsLeft(double job, double run)
{
    if (job == m_jobSecondsLeft && run == m_runSecondsLeft)
        return;
    m_jobSecondsLeft = job;
    m_runSecondsLeft = run;
    emit changed();
}

void RunStatus::beginSideBySide()
{
    m_sideBySide = true;
    m_jobsDone = 0;
    m_running.clear();
    showSideBySide();
}

void RunStatus::endSideBySide()
{
    m_sideBySide = false;
    m_running.clear();
    emit changed();
}

void RunStatus::jobStarted(int number, const QUuid &id, const QString &fileName)
{
    m_running.insert(number, RunningJob{id, fileName, 0, -1});
    showSideBySide();
}

void RunStatus::setJobProgress(int number, double percentValue, double runSecondsLeft)
{
    const auto job = m_running.find(number);
    if (job == m_running.end())
        return;
    job->percentValue = percentValue;
    job->secondsLeft = runSecondsLeft;
    showSideBySide();
}

void RunStatus::jobEnded(int number)
{
    m_running.remove(number);
    ++m_jobsDone;
    showSideBySide();
}

std::optional<double> RunStatus::jobPercent(const QUuid &id) const
{
    for (const RunningJob &job : m_running)
        if (job.id == id)
            return job.percentValue;
    return std::nullopt;
}

void RunStatus::showSideBySide()
{
    QStringList numbers;
    QStringList names;
    double done = 100.0 * m_jobsDone;
    double left = -1;
    bool leftKnown = !m_running.isEmpty();
    for (auto job = m_running.cbegin(); job != m_running.cend(); ++job) {
        numbers << QString::number(job.key());
        names << job->fileName;
        done += std::isfinite(job->percentValue) ? std::clamp(job->percentValue, 0.0, 100.0) : 0.0;
        // The run ends with its slowest slot.
        if (job->secondsLeft < 0)
            leftKnown = false;
        left = std::max(left, job->secondsLeft);
    }
    m_percentValue = m_nbrFilesEncoding > 0 ? done / m_nbrFilesEncoding : 0;
    m_activeEncoding = numbers.join(QStringLiteral(", "));
    m_currentEncodeFile = names.join(QStringLiteral(", "));
    m_jobSecondsLeft = -1;
    m_runSecondsLeft = leftKnown ? left : -1;
    emit changed();
}

void RunStatus::post(std::function<void(RunStatus &)> change)
{
    QMetaObject::invokeMethod(
        this, [this, change = std::move(change)] { change(*this); }, Qt::QueuedConnection);
}

QString RunStatus::valueText() const
{
    return valueText(m_activeEncoding, m_nbrFilesEncoding, m_percentValue);
}

QString RunStatus::valueText(const QString &activeEncoding, int count, double percentValue)
{
    const double shown = std::isfinite(percentValue) ? std::clamp(percentValue, 0.0, 100.0) : 0.0;
    return QCoreApplication::translate("ProgressionView", "[%1 / %2] %3%")
        .arg(activeEncoding)
        .arg(count)
        .arg(shown, 0, 'f', 2);
}

int RunStatus::barValue() const
{
    if (!std::isfinite(m_percentValue))
        return 0;
    return int(std::clamp(m_percentValue, 0.0, 100.0));
}

void RunStatus::follow(const BatchEncoder *encoder)
{
    connect(encoder, &BatchEncoder::runStarted, this, [this](int count, bool sideBySide) {
        setNbrFilesEncoding(count);
        setPercentValue(0);
        setCurrentEncodeFile(QString());
        setActiveEncoding(QString());
        setSecondsLeft(-1, -1);
        setShowProgressBar(true);
        setIsDisable(true);
        if (sideBySide)
            beginSideBySide();
    });
    const auto started = [this](const QUuid &id, int number, const QString &fileName) {
        if (m_sideBySide)
            return jobStarted(number, id, fileName);
        // The percentage goes back to 0 before the next job is named.
        setPercentValue(0);
        setSecondsLeft(-1, -1);
        setCurrentEncodeFile(fileName);
        setActiveEncoding(QString::number(number));
        setShowProgressBar(true);
    };
    // A job searching its quality is the job at work: it is named from then on.
    connect(encoder, &BatchEncoder::jobSearching, this, started);
    connect(encoder, &BatchEncoder::jobStarted, this, started);
    connect(encoder, &BatchEncoder::jobProgress, this,
            [this](int number, double percent, double jobLeft, double runLeft) {
                if (m_sideBySide)
                    return setJobProgress(number, percent, runLeft);
                setPercentValue(percent);
                setSecondsLeft(jobLeft, runLeft);
            });
    connect(encoder, &BatchEncoder::jobFinished, this, [this](const QUuid &, const JobResult &, int number) {
        if (m_sideBySide)
            jobEnded(number);
    });
    connect(encoder, &BatchEncoder::pausedChanged, this, &RunStatus::setPaused);
    connect(encoder, &BatchEncoder::runFinished, this, [this] {
        if (m_sideBySide) {
            endSideBySide();
        } else {
            setPercentValue(0);
            setSecondsLeft(-1, -1);
        }
        setShowProgressBar(false);
        setIsDisable(false);
        setPaused(false);
    });
}
