#include "rules/EncoderOutput.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

QString trimSpacesAndTabs(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin).toString();
}

std::optional<double> capture(const QRegularExpression &pattern, const QString &line)
{
    const QRegularExpressionMatch match = pattern.match(line);
    if (!match.hasMatch())
        return std::nullopt;
    return readWholeNumber(match.captured(1));
}

// Errors of the system that ffmpeg passes on: these say what the user has to change.
bool isSystemError(const QString &line)
{
    static const QRegularExpression pattern(
        QStringLiteral("No space left on device|Disk quota exceeded|File too large|Read-only file system|"
                       "Input/output error|Permission denied|No such file or directory"));
    return pattern.match(line).hasMatch();
}

bool isErrorLine(const QString &line)
{
    static const QRegularExpression pattern(
        QStringLiteral("\\b(errors?|invalid|unknown|not found|no such|could not|couldn't|cannot|can't|unable|"
                       "failed|failure|unrecognized|not divisible|not supported|unsupported|incorrect|"
                       "impossible|too many|out of range|must be|does not|doesn't)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern.match(line).hasMatch();
}

// ffmpeg's own messages start at the line's beginning; the description of the inputs and outputs is
// indented, and its metadata ("title : Unknown error") may hold any word.
bool isMessage(const QString &line)
{
    return !line.isEmpty() && !line.front().isSpace() && !isProgressLine(line) &&
           line != QLatin1StringView("Conversion failed!");
}

QString withoutContextAddress(const QString &line)
{
    static const QRegularExpression context(QStringLiteral("^\\[([^\\]@]+?) @ 0x[0-9a-fA-F]+\\]\\s*"));
    QString text = line.trimmed();
    const QRegularExpressionMatch match = context.match(text);
    if (match.hasMatch())
        text.replace(0, match.capturedLength(), match.captured(1) + QStringLiteral(": "));
    return text;
}

} // namespace

bool isProgressLine(const QString &line)
{
    return line.contains(QLatin1StringView("frame=")) ||
           (line.contains(QLatin1StringView("size=")) && line.contains(QLatin1StringView("time=")));
}

QString failureLine(const QStringList &lines)
{
    qsizetype groupStart = -1;
    bool inGroup = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        if (isMessage(line) && isSystemError(line))
            return withoutContextAddress(line);
        const bool error = isMessage(line) && isErrorLine(line);
        if (error && !inGroup)
            groupStart = i;
        // Blank lines and ffmpeg's closing words do not part a run of errors.
        if (!line.trimmed().isEmpty() && line != QLatin1StringView("Conversion failed!"))
            inGroup = error;
    }
    if (groupStart >= 0)
        return withoutContextAddress(lines[groupStart]);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QString line = it->trimmed();
        if (!line.isEmpty() && !isProgressLine(line) && line != QLatin1StringView("Conversion failed!"))
            return withoutContextAddress(line);
    }
    return {};
}

QString writeFailureLine(const QStringList &lines)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(Error writing trailer|Error closing file)|No space left on device|"
                       "Disk quota exceeded|File too large"));
    for (const QString &line : lines) {
        if (isMessage(line) && pattern.match(line).hasMatch())
            return withoutContextAddress(line);
    }
    return {};
}

QString ignoredOptionLine(const QString &line)
{
    // The words of ffmpeg 5.1's wrappers when the library turns down a key or a value of -x264-params,
    // -x265-params or -svtav1-params.
    static const QRegularExpression pattern(
        QStringLiteral("^\\[(libx264|libx265|libsvtav1) @ 0x[0-9a-fA-F]+\\] "
                       "(Error parsing option |Unknown option: |Invalid value for )"));
    return pattern.match(line).hasMatch() ? withoutContextAddress(line) : QString();
}

std::optional<double> readWholeNumber(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("\\A[+-]?(?:[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?\\z"));
    if (!pattern.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> readClock(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("\\A(\\d+):(\\d{1,2}):(\\d{1,2}(?:\\.\\d+)?)\\z"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toDouble() * 3600 + match.captured(2).toDouble() * 60 +
           match.captured(3).toDouble();
}

EncoderOutput parseEncoderOutput(const QString &chunk, std::optional<double> frameCount)
{
    static const QLatin1StringView durationKey("Duration:");
    static const QLatin1StringView startKey(", start:");
    static const QLatin1StringView frameKey("frame=");
    static const QLatin1StringView fpsKey("fps=");
    static const QRegularExpression digits(QStringLiteral("([0-9]{1,10})"));

    EncoderOutput out;
    const qsizetype duration = chunk.indexOf(durationKey);
    if (duration >= 0) {
        const qsizetype from = duration + durationKey.size();
        const qsizetype start = chunk.indexOf(startKey, from);
        out.duration = start < 0 ? QString() : trimSpacesAndTabs(QStringView(chunk).mid(from, start - from));
        return out;
    }
    const qsizetype frame = chunk.indexOf(frameKey);
    if (frame < 0 || !digits.match(chunk).hasMatch())
        return out;
    const qsizetype from = frame + frameKey.size();
    const qsizetype fps = chunk.indexOf(fpsKey, from);
    if (fps < 0)
        return out;
    const std::optional<double> done =
        readWholeNumber(trimSpacesAndTabs(QStringView(chunk).mid(from, fps - from)));
    if (!done)
        return out;
    // A frame count of 0 is no count at all, and 0 frames of nothing is no progress (not NaN).
    const double divisor = frameCount && *frameCount > 0 ? *frameCount : *done;
    out.percentValue = divisor == 0 ? 0.0 : *done / divisor * 100;
    return out;
}

ProgressFields readProgressFields(const QString &line)
{
    static const QRegularExpression frame(QStringLiteral("frame=\\s*([0-9]+)"));
    static const QRegularExpression fps(QStringLiteral("fps=\\s*([0-9.]+)"));
    static const QRegularExpression speed(QStringLiteral("speed=\\s*([0-9.e+]+)x"));
    static const QRegularExpression time(QStringLiteral("time=\\s*([0-9]+:[0-9]{2}:[0-9]{2}(?:\\.[0-9]+)?)"));

    ProgressFields out;
    out.frame = capture(frame, line);
    out.fps = capture(fps, line);
    out.speed = capture(speed, line);
    const QRegularExpressionMatch clock = time.match(line);
    if (clock.hasMatch())
        out.time = readClock(clock.captured(1));
    return out;
}

TimeLeft estimateTimeLeft(const ProgressFields &progress, std::optional<double> frameCount,
                          std::optional<double> durationSeconds, double laterSeconds)
{
    const bool haveCount = frameCount && *frameCount > 0;
    const bool haveDuration = durationSeconds && *durationSeconds > 0;

    // Seconds of source per second of work: ffmpeg's own figure, else the frame rate against the source's.
    double speed = progress.speed.value_or(0);
    if (speed <= 0 && progress.fps && *progress.fps > 0 && haveCount && haveDuration)
        speed = *progress.fps * *durationSeconds / *frameCount;

    TimeLeft left;
    if (haveCount && progress.frame && progress.fps && *progress.fps > 0)
        left.job = std::max(0.0, *frameCount - *progress.frame) / *progress.fps;
    else if (haveDuration && progress.time && speed > 0)
        left.job = std::max(0.0, *durationSeconds - *progress.time) / speed;
    if (left.job < 0 || laterSeconds < 0)
        return left;
    if (laterSeconds == 0)
        left.run = left.job;
    else if (speed > 0)
        left.run = left.job + laterSeconds / speed;
    return left;
}

std::optional<double> readOptionTime(const QString &text)
{
    static const QRegularExpression clock(QStringLiteral("\\A(-?)(?:(\\d+):)?(\\d+):(\\d+(?:\\.\\d*)?)\\z"));
    static const QRegularExpression plain(QStringLiteral("\\A(-?\\d+(?:\\.\\d*)?|-?\\.\\d+)(s|ms|us)?\\z"));
    if (const QRegularExpressionMatch match = clock.match(text); match.hasMatch()) {
        const double seconds = match.captured(2).toDouble() * 3600 + match.captured(3).toDouble() * 60 +
                               match.captured(4).toDouble();
        return match.captured(1).isEmpty() ? seconds : -seconds;
    }
    if (const QRegularExpressionMatch match = plain.match(text); match.hasMatch()) {
        const double value = match.captured(1).toDouble();
        const QString unit = match.captured(2);
        if (unit == QLatin1String("ms"))
            return value / 1e3;
        if (unit == QLatin1String("us"))
            return value / 1e6;
        return value;
    }
    return std::nullopt;
}

std::optional<double> firstDuration(const QStringList &lines)
{
    for (const QString &line : lines) {
        if (const std::optional<QString> text = parseEncoderOutput(line, std::nullopt).duration)
            return readClock(*text);
    }
    return std::nullopt;
}

std::optional<double> expectedOutputSeconds(double sourceSeconds, const QStringList &parameterWords)
{
    // Options whose effect on the length cannot be told from their words.
    static const QRegularExpression unknownLength(
        QStringLiteral("\\A-(fs|frames(:.*)?|[vad]frames|vf|af|filter(:.*)?|filter_complex|lavfi|"
                       "filter_script(:.*)?|shortest|itsscale(:.*)?|stream_loop)\\z"));
    double start = 0;
    std::optional<double> length;
    std::optional<double> end;
    std::optional<double> fromEnd;
    for (qsizetype i = 0; i < parameterWords.size(); ++i) {
        const QString &word = parameterWords[i];
        if (unknownLength.match(word).hasMatch())
            return std::nullopt;
        const bool timeOption = word == QLatin1String("-ss") || word == QLatin1String("-t") ||
                                word == QLatin1String("-to") || word == QLatin1String("-sseof");
        if (!timeOption)
            continue;
        const std::optional<double> value = readOptionTime(parameterWords.value(i + 1));
        if (!value)
            return std::nullopt;
        ++i;
        if (word == QLatin1String("-ss"))
            start = std::max(start, *value);
        else if (word == QLatin1String("-t"))
            length = length ? std::min(*length, *value) : *value;
        else if (word == QLatin1String("-to"))
            end = end ? std::min(*end, *value) : *value;
        else
            fromEnd = std::abs(*value);
    }
    double expected = sourceSeconds - start;
    if (fromEnd)
        expected = std::min(expected, *fromEnd);
    if (end)
        expected = std::min(expected, *end - start);
    if (length)
        expected = std::min(expected, *length);
    return std::max(0.0, expected);
}

bool fallsShort(double outputSeconds, double expectedSeconds)
{
    const double missing = expectedSeconds - outputSeconds;
    return missing > 1.0 && missing > 0.02 * expectedSeconds;
}

QString damagedInputLine(const QStringList &lines)
{
    static const QRegularExpression context(QStringLiteral("^\\[[^\\]]*\\]\\s*"));
    static const QRegularExpression decoding(
        QStringLiteral("^Error while decoding|Invalid data found when processing input|corrupt|"
                       "Truncating packet|Packet mismatch|missing picture in access unit"),
        QRegularExpression::CaseInsensitiveOption);
    QString firstDecodingError;
    for (const QString &line : lines) {
        if (!isMessage(line))
            continue;
        QString text = line.trimmed();
        text.remove(context);
        if (text.endsWith(QLatin1StringView("partial file")))
            return text;
        if (firstDecodingError.isEmpty() && decoding.match(text).hasMatch())
            firstDecodingError = text;
    }
    return firstDecodingError;
}
