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

const QRegularExpression &reportPattern()
{
    // The filter's own report ends its line with the crop; a file name that happens to contain
    // "crop=" is followed by other text (a quote, a colon) on ffmpeg's "from '...'" line.
    static const QRegularExpression pattern(QStringLiteral("crop=(-?\\d+:-?\\d+:-?\\d+:-?\\d+)[ \\t\\r]*$"),
                                            QRegularExpression::MultilineOption);
    return pattern;
}

// The line written before a run: what a user would type to run the same.
QString commandText(const ToolRunner &tools, const QStringList &arguments)
{
    const ToolLocation ffmpeg = tools.locateTool(QStringLiteral("ffmpeg"));
    QStringList words{shellQuote(ffmpeg.ok() ? ffmpeg.path : QStringLiteral("ffmpeg"))};
    for (const QString &argument : arguments)
        words << shellQuote(argument);
    return words.join(QLatin1Char(' '));
}

} // namespace

QStringList previewFrameArguments(const QString &source, const QString &imagePath, const QString &seekTime)
{
    return {QStringLiteral("-ss"),
            seekTime,
            QStringLiteral("-y"),
            QStringLiteral("-i"),
            source,
            QStringLiteral("-vf"),
            QStringLiteral("scale=iw*sar:ih,setsar=1"),
            QStringLiteral("-vframes"),
            QStringLiteral("1"),
            imagePath};
}

QStringList cropDetectionArguments(const QString &source, const QString &seekTime)
{
    QStringList arguments{QStringLiteral("-hide_banner")};
    if (!seekTime.isEmpty())
        arguments << QStringLiteral("-ss") << seekTime;
    // The null muxer throws the frames away without encoding them; the filter sees the same frames.
    arguments << QStringLiteral("-y") << QStringLiteral("-i") << source << QStringLiteral("-t")
              << QStringLiteral("3") << QStringLiteral("-vf") << QStringLiteral("cropdetect=24:16:0")
              << QStringLiteral("-an") << QStringLiteral("-f") << QStringLiteral("null")
              << QStringLiteral("-");
    return arguments;
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
                            const QString &seekTime, ToolOutcome *outcome)
{
    const QStringList arguments = previewFrameArguments(source, imagePath, seekTime);
    writeDiagnostic(commandText(tools, arguments));
    const ToolOutcome ended =
        tools.runTool(QStringLiteral("ffmpeg"), arguments, tools.timeLimits().previewFrame);
    if (outcome)
        *outcome = ended;
    return QFileInfo::exists(imagePath) ? imagePath : QString();
}

QString detectCrop(const ToolRunner &tools, const QString &source, const QString &seekTime,
                   ToolOutcome *outcome)
{
    const QStringList arguments = cropDetectionArguments(source, seekTime);
    writeDiagnostic(commandText(tools, arguments));
    // The last report wins.
    QString result;
    const ToolOutcome ended = tools.runTool(QStringLiteral("ffmpeg"), arguments,
                                            tools.timeLimits().cropDetection, [&result](const QString &line) {
                                                const QString found = cropReportIn(line);
                                                if (!found.isEmpty())
                                                    result = found;
                                            });
    if (outcome)
        *outcome = ended;
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
