#include "encoding/RunStatus.h"

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
