#include "encoding/JobProgress.h"

#include "process/Log.h"
#include "process/ToolRunner.h"

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
    if (percent)
        lastPercent = *percent;
    if (left) {
        lastJobLeft = sideBySide ? -1 : left->job;
        lastRunLeft = left->run;
    } else if (sideBySide) {
        lastRunLeft = -1;
    }
    report(lastPercent, lastJobLeft, lastRunLeft);
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

std::optional<double> askFrameCount(const ToolRunner &tools, const QString &source)
{
    return readWholeNumber(
        tools.mediaInfoField(source, QStringLiteral("General"), QStringLiteral("FrameCount")));
}

double secondsAfter(const QList<double> &durations, int index)
{
    double total = 0;
    for (int i = index + 1; i < durations.size(); ++i) {
        if (durations[i] < 0)
            return -1;
        total += durations[i];
    }
    return total;
}
