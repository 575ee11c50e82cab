#include "rules/Crop.h"

#include <QFileInfo>

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

// Reads a number at `pos` (a minus sign when allowed, then ASCII digits, as many as allowed) and moves
// `pos` past it.
std::optional<int> readNumber(QStringView text, qsizetype &pos, const CropSyntax &syntax)
{
    qsizetype i = pos;
    const bool minus = syntax.negative && i < text.size() && text[i] == u'-';
    if (minus)
        ++i;
    const qsizetype start = i;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9' &&
           (syntax.maxDigits <= 0 || i - start < syntax.maxDigits))
        ++i;
    if (i == start)
        return std::nullopt;
    bool ok = false;
    const int value = text.mid(start, i - start).toInt(&ok);
    if (!ok)
        return std::nullopt;
    pos = i;
    return minus ? -value : value;
}

// The group that begins at `pos`; `pos` moves past it.
std::optional<CropNumbers> groupAt(QStringView text, qsizetype &pos, const CropSyntax &syntax)
{
    int numbers[4] = {};
    qsizetype i = pos;
    for (int n = 0; n < 4; ++n) {
        if (n > 0) {
            if (i >= text.size() || text[i] != u':')
                return std::nullopt;
            ++i;
        }
        const std::optional<int> number = readNumber(text, i, syntax);
        if (!number)
            return std::nullopt;
        numbers[n] = *number;
    }
    pos = i;
    return CropNumbers{numbers[0], numbers[1], numbers[2], numbers[3]};
}

} // namespace

QString cropReportIn(const QString &output)
{
    // The filter's own report ends its line with the crop; a file name that happens to contain
    // "crop=" is followed by other text (a quote, a colon) on ffmpeg's "from '...'" line.
    QString found;
    for (QStringView line : QStringView(output).split(u'\n')) {
        const qsizetype at = line.lastIndexOf(u"crop=");
        if (at < 0)
            continue;
        QStringView rest = line.mid(at + 5);
        while (!rest.isEmpty() && (rest.back() == u' ' || rest.back() == u'\t' || rest.back() == u'\r'))
            rest.chop(1);
        if (const std::optional<CropNumbers> crop = parseCrop(rest, {.negative = true}))
            found = QStringLiteral("crop=") + formatCrop(*crop);
    }
    return found;
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

std::optional<CropNumbers> parseCrop(QStringView text, CropSyntax syntax)
{
    if (!syntax.anywhere) {
        qsizetype pos = 0;
        const std::optional<CropNumbers> crop = groupAt(text, pos, syntax);
        return crop && pos == text.size() ? crop : std::nullopt;
    }
    // The leftmost place where a group begins, even inside a longer run of digits.
    for (qsizetype start = 0; start < text.size(); ++start) {
        qsizetype pos = start;
        if (const std::optional<CropNumbers> crop = groupAt(text, pos, syntax))
            return crop;
    }
    return std::nullopt;
}

QString formatCrop(const CropNumbers &crop)
{
    return QStringLiteral("%1:%2:%3:%4").arg(crop.width).arg(crop.height).arg(crop.x).arg(crop.y);
}

bool isCropString(const QString &text)
{
    return parseCrop(text).has_value();
}

std::optional<QRect> cropRect(const QString &text)
{
    const std::optional<CropNumbers> crop = parseCrop(QStringView(text).trimmed(), {.negative = true});
    return crop ? std::optional(crop->rect()) : std::nullopt;
}

bool cropFits(const QRect &crop, double width, double height)
{
    return crop.width() > 0 && crop.height() > 0 && crop.x() >= 0 && crop.y() >= 0 &&
           qint64(crop.x()) + crop.width() <= width + 1 && qint64(crop.y()) + crop.height() <= height + 1;
}

QString findCropString(const QString &text)
{
    const std::optional<CropNumbers> crop = parseCrop(text, {.anywhere = true});
    return crop ? formatCrop(*crop) : QString();
}

QString withoutRoundingBorders(const QString &crop, int pictureWidth, int pictureHeight)
{
    const std::optional<CropNumbers> found = parseCrop(crop);
    if (!found || pictureWidth <= 0 || pictureHeight <= 0)
        return crop;
    // The detector gives sizes in multiples of DetectionRounding, centred: on a picture without borders
    // whose side is not such a multiple it still cuts a few lines, 1080 becoming 1072 from y 4.
    const auto within = [](int detected, int whole) {
        return detected <= whole && whole - detected < DetectionRounding;
    };
    CropNumbers kept = *found;
    if (within(kept.width, pictureWidth)) {
        kept.width = pictureWidth;
        kept.x = 0;
    }
    if (within(kept.height, pictureHeight)) {
        kept.height = pictureHeight;
        kept.y = 0;
    }
    return formatCrop(kept);
}
