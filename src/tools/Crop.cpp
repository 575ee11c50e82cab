#include "tools/Crop.h"

#include "tools/Log.h"
#include "tools/ShellQuote.h"
#include "tools/ToolRunner.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

// Whole number nearest to v; halves go away from zero.
double nearest(double v)
{
    return std::round(v);
}

// v minus the remainder of v / k, whose sign follows v: the multiple of k next to v toward zero.
double downToMultiple(double v, double k)
{
    return v - std::fmod(v, k);
}

QString cropText(double width, double height, double x, double y)
{
    // Adding 0.0 turns a negative zero into 0, which "%.0f" would print as "-0".
    return QString::asprintf("%.0f:%.0f:%.0f:%.0f", width + 0.0, height + 0.0, x + 0.0, y + 0.0);
}

// A seek time we made ourselves is a plain clock text; anything else is quoted for the shell.
QString seekArgument(const QString &seekTime)
{
    static const QRegularExpression clock(QStringLiteral("\\A[0-9:.]+\\z"));
    return clock.match(seekTime).hasMatch() ? seekTime : shellQuote(seekTime);
}

const QRegularExpression &reportPattern()
{
    // The filter's own report ends its line with the crop; a file name that happens to contain
    // "crop=" is followed by other text (a quote, a colon) on ffmpeg's "from '...'" line.
    static const QRegularExpression pattern(QStringLiteral("crop=(-?\\d+:-?\\d+:-?\\d+:-?\\d+)[ \\t\\r]*$"),
                                            QRegularExpression::MultilineOption);
    return pattern;
}

} // namespace

QString previewFrameCommand(const QString &ffmpegPath, const QString &source, const QString &imagePath,
                            const QString &seekTime)
{
    return shellQuote(ffmpegPath) + QStringLiteral(" -ss ") + seekArgument(seekTime) +
           QStringLiteral(" -y -i ") + shellQuote(source) +
           QStringLiteral(" -vf \"scale=iw*sar:ih,setsar=1\" -vframes 1 ") + shellQuote(imagePath);
}

QString cropDetectionCommand(const QString &ffmpegPath, const QString &source, const QString &seekTime)
{
    QString command = shellQuote(ffmpegPath) + QStringLiteral(" -hide_banner ");
    if (!seekTime.isEmpty())
        command += QStringLiteral("-ss ") + seekArgument(seekTime) + QLatin1Char(' ');
    // The null muxer throws the frames away without encoding them; the filter sees the same frames.
    command += QStringLiteral("-y -i ") + shellQuote(source) +
               QStringLiteral(" -t 3 -vf cropdetect=24:16:0 -an -f null -");
    return command;
}

QString cropReportIn(const QString &output)
{
    QString found;
    QRegularExpressionMatchIterator it = reportPattern().globalMatch(output);
    while (it.hasNext())
        found = QStringLiteral("crop=") + it.next().captured(1);
    return found;
}

QString extractPreviewFrame(const ToolRunner &tools, const QString &source, const QString &imagePath,
                            const QString &seekTime)
{
    const ToolLocation ffmpeg = tools.locateTool(QStringLiteral("ffmpeg"));
    if (!ffmpeg.ok())
        return {};
    const QString command = previewFrameCommand(ffmpeg.path, source, imagePath, seekTime);
    writeDiagnostic(command);
    tools.runFfmpegShell(command);
    return QFileInfo::exists(imagePath) ? imagePath : QString();
}

QString detectCrop(const ToolRunner &tools, const QString &source, const QString &seekTime)
{
    const ToolLocation ffmpeg = tools.locateTool(QStringLiteral("ffmpeg"));
    if (!ffmpeg.ok())
        return {};
    const QString command = cropDetectionCommand(ffmpeg.path, source, seekTime);
    writeDiagnostic(command);

    // Pieces arrive as the pipe gives them; only whole lines are examined, the last report wins.
    QString pending;
    QString result;
    const auto examine = [&result](const QString &lines) {
        const QString found = cropReportIn(lines);
        if (!found.isEmpty())
            result = found;
    };
    tools.runFfmpegShell(command, [&](const QString &chunk) {
        pending += chunk;
        const int end =
            int(std::max(pending.lastIndexOf(QLatin1Char('\n')), pending.lastIndexOf(QLatin1Char('\r'))));
        if (end < 0)
            return;
        examine(pending.left(end + 1));
        pending.remove(0, end + 1);
    });
    examine(pending);
    return result.trimmed();
}

QString cropKeepWidth(double W, double H, double R, double P)
{
    const double D = W * P;
    const double width = downToMultiple(nearest(D), 8);
    const double height = downToMultiple(nearest(D / R), 8);
    const double y = downToMultiple(nearest((H - height) / 2), 8);
    const double x = downToMultiple(nearest((D - width) / 2), 2);
    return cropText(width, height, x, y);
}

QString cropByWidthRatio(double W, double H, double R, double P)
{
    const double q = W / R;
    const double height = std::min(downToMultiple(q, 8), H);
    const double width = downToMultiple(P == 1.0 ? nearest(q) : nearest(H * R), 8);
    const double y = downToMultiple(nearest((H - height) / 2), 8);
    const double x = downToMultiple(nearest((W * P - width) / 2), 2);
    return cropText(width, height, x, y);
}

QString cropKeepHeight(double W, double H, double R, double P)
{
    const double width = downToMultiple(nearest(H * R), 8);
    const double t = width / R;
    const double height = std::min(downToMultiple(t, 8), H);
    const double y = downToMultiple(nearest((H - height) / 2), 8);
    const double x = downToMultiple(nearest((W * P - width) / 2), 2);
    return cropText(width, height, x, y);
}

// The whole text and nothing else: "$" would also match before a final newline, and the text is written
// into the command as it is.
bool isCropString(const QString &text)
{
    static const QRegularExpression exact(QStringLiteral("\\A\\d+:\\d+:\\d+:\\d+\\z"));
    return exact.match(text).hasMatch();
}

std::optional<QRect> cropRect(const QString &text)
{
    static const QRegularExpression exact(QStringLiteral("\\A(-?\\d+):(-?\\d+):(-?\\d+):(-?\\d+)\\z"));
    const QRegularExpressionMatch m = exact.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    bool ok[4] = {};
    const int w = m.captured(1).toInt(&ok[0]);
    const int h = m.captured(2).toInt(&ok[1]);
    const int x = m.captured(3).toInt(&ok[2]);
    const int y = m.captured(4).toInt(&ok[3]);
    if (!(ok[0] && ok[1] && ok[2] && ok[3]))
        return std::nullopt;
    return QRect(x, y, w, h);
}

QString findCropString(const QString &text)
{
    static const QRegularExpression group(QStringLiteral("(\\d{1,}:\\d{1,}:\\d{1,}:\\d{1,})"));
    return group.match(text).captured(1);
}

QString withoutRoundingBorders(const QString &crop, int pictureWidth, int pictureHeight)
{
    const std::optional<QRect> rect = cropRect(crop);
    if (!rect || !isCropString(crop) || pictureWidth <= 0 || pictureHeight <= 0)
        return crop;
    // The detector gives sizes in multiples of DetectionRounding, centred: on a picture without borders
    // whose side is not such a multiple it still cuts a few lines, 1080 becoming 1072 from y 4.
    const auto within = [](int detected, int whole) {
        return detected <= whole && whole - detected < DetectionRounding;
    };
    int width = rect->width(), x = rect->x();
    int height = rect->height(), y = rect->y();
    if (within(width, pictureWidth)) {
        width = pictureWidth;
        x = 0;
    }
    if (within(height, pictureHeight)) {
        height = pictureHeight;
        y = 0;
    }
    return QStringLiteral("%1:%2:%3:%4").arg(width).arg(height).arg(x).arg(y);
}
