#include "encoding/JobProgress.h"

#include "process/Log.h"

void ParseState::parse(const QStringList &lines)
{
    std::optional<double> percent;
    std::optional<TimeLeft> left;
    for (const QString &line : lines) {
        const EncoderOutput out = parseEncoderOutput(line, frameCount);
        if (out.duration) {
            writeDiagnostic(*out.duration);
            if (!sawDuration) {
                sawDuration = true;
                if (const std::optional<double> seconds = readClock(*out.duration); seconds && *seconds > 0)
                    duration = seconds;
            }
            continue;
        }
        if (out.percentValue)
            percent = out.percentValue;
        if (isProgressLine(line))
            left =
                estimateTimeLeft(workingPace(readProgressFields(line)), frameCount, duration, laterSeconds);
    }
    if (!percent && !left)
        return;
    if (sideBySideNumber > 0) {
        if (percent)
            lastPercent = *percent;
        status->post([number = sideBySideNumber, shown = lastPercent,
                      run = left ? left->run : -1](RunStatus &s) { s.setJobProgress(number, shown, run); });
        return;
    }
    status->post([percent, left](RunStatus &s) {
        if (percent)
            s.setPercentValue(*percent);
        if (left)
            s.setSecondsLeft(left->job, left->run);
    });
}

ProgressFields ParseState::workingPace(ProgressFields fields) const
{
    if (!pauses)
        return fields;
    const double wall = double(pauses->now() - startedAt);
    const double paused = double(pauses->pausedMs() - pausedAtStart);
    if (paused <= 0 || wall - paused <= 0)
        return fields;
    const double factor = wall / (wall - paused);
    if (fields.fps)
        *fields.fps *= factor;
    if (fields.speed)
        *fields.speed *= factor;
    return fields;
}
