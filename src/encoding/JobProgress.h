#pragma once

#include "rules/EncoderOutput.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

#include <functional>
#include <optional>

class ToolRunner;

// The number of frames mediainfo finds in `source`, for a job whose probe did not tell.
std::optional<double> askFrameCount(const ToolRunner &tools, const QString &source);
// The seconds of the sources after job `index` (negative entries: unknown), or -1 when one is unknown.
double secondsAfter(const QList<double> &durations, int index);

// How long a run has been paused, so the time left measures only the time the encoders worked.
class PauseClock
{
public:
    PauseClock() { m_clock.start(); }

    void setPaused(bool paused)
    {
        const QMutexLocker lock(&m_mutex);
        const qint64 now = m_clock.elapsed();
        if (paused && m_since < 0)
            m_since = now;
        else if (!paused && m_since >= 0) {
            m_total += now - m_since;
            m_since = -1;
        }
    }
    qint64 now() const { return m_clock.elapsed(); }
    // Milliseconds spent paused since the clock started, the pause going on included.
    qint64 pausedMs() const
    {
        const QMutexLocker lock(&m_mutex);
        return m_total + (m_since >= 0 ? m_clock.elapsed() - m_since : 0);
    }

private:
    mutable QMutex m_mutex;
    QElapsedTimer m_clock;
    qint64 m_total = 0;
    qint64 m_since = -1;
};

// Progress parsing of one job, on that job's own serial queue so the pieces are read in order.
struct ParseState
{
    // Told the job's percentage and the seconds left for it and for the run (negative while unknown), each
    // time one of them is read.
    std::function<void(double percent, double jobLeft, double runLeft)> report;
    const PauseClock *pauses = nullptr;
    qint64 startedAt = 0; // on `pauses`' clock
    qint64 pausedAtStart = 0;
    std::optional<double> frameCount;
    std::optional<double> duration; // seconds, until ffmpeg tells the exact figure
    double laterSeconds = -1;
    bool sawDuration = false;
    // Side by side, a job knows only the run's time left, and only from its latest progress line.
    bool sideBySide = false;
    double lastPercent = 0;
    double lastJobLeft = -1;
    double lastRunLeft = -1;

    void parse(const QStringList &lines);

    // ffmpeg measures its rates against the wall clock, paused time included (a held process does not
    // know it was held); they are raised to the pace of the time it really worked.
    ProgressFields workingPace(ProgressFields fields) const;
};
