#include "rules/CrfSearch.h"

#include "model/Vocabulary.h"

#include <QCoreApplication>
#include <QLocale>

#include <algorithm>
#include <cmath>

CrfSearch crfSearchFor(VideoEncoders encoder, double target)
{
    CrfSearch search;
    search.target = target;
    switch (familyOf(encoder)) {
    case EncoderFamily::X264:
    case EncoderFamily::X265:
        search.best = 12;
        search.worst = 40;
        break;
    case EncoderFamily::Vpx:
    case EncoderFamily::SvtAv1:
        search.best = 15;
        search.worst = 55;
        break;
    default:
        search.best = 12;
        search.worst = 45;
        break;
    }
    search.worst = std::min(search.worst, maxVideoQuality(encoder));
    return search;
}

QList<SampleSpan> sampleSpans(double seconds)
{
    if (!(seconds > 20))
        return {};
    const int count = std::clamp(int(std::lround(seconds / 40)), 3, 6);
    const double length = std::clamp(seconds * 0.012, 1.5, 4.0);
    QList<SampleSpan> spans;
    for (int i = 0; i < count; ++i)
        spans.append({seconds * (0.1 + 0.8 * (i + 0.5) / count) - length / 2, length});
    return spans;
}

const QList<QualityLevel> &qualityLevels()
{
    static const QList<QualityLevel> levels{
        {"visually-lossless", QT_TRANSLATE_NOOP("QualityLevel", "Visually lossless"), 0.993},
        {"high", QT_TRANSLATE_NOOP("QualityLevel", "High"), 0.985},
        {"good", QT_TRANSLATE_NOOP("QualityLevel", "Good"), 0.975},
        {"small", QT_TRANSLATE_NOOP("QualityLevel", "Small"), 0.960},
    };
    return levels;
}

std::optional<QualityLevel> levelOf(double ssim)
{
    for (const QualityLevel &level : qualityLevels())
        if (std::abs(level.ssim - ssim) < 0.00005)
            return level;
    return std::nullopt;
}

std::optional<QualityLevel> levelNamed(const QString &text)
{
    const QString wanted = text.trimmed();
    for (const QualityLevel &level : qualityLevels())
        if (wanted.compare(QLatin1String(level.key), Qt::CaseInsensitive) == 0 ||
            wanted.compare(QLatin1String(level.name), Qt::CaseInsensitive) == 0 ||
            wanted.compare(QCoreApplication::translate("QualityLevel", level.name), Qt::CaseInsensitive) == 0)
            return level;
    return std::nullopt;
}

QString targetText(double ssim)
{
    const bool fourth = std::abs(ssim * 1000 - std::round(ssim * 1000)) > 0.01;
    const QString score = QStringLiteral("SSIM ") + QLocale().toString(ssim, 'f', fourth ? 4 : 3);
    if (const std::optional<QualityLevel> level = levelOf(ssim))
        return QStringLiteral("%1 (%2)").arg(QCoreApplication::translate("QualityLevel", level->name), score);
    return score;
}

CrfSearchResult searchCrf(const CrfSearch &search, const std::function<std::optional<double>(int crf)> &score,
                          const std::function<QString()> &why)
{
    CrfSearchResult result;
    int low = std::min(search.best, search.worst);
    int high = std::max(search.best, search.worst);
    // Bisection for the boundary between passing (low side) and failing (high side) values; the upper
    // middle first, so that a range where all pass ends on its highest value.
    while (low <= high && int(result.tried.size()) < std::max(1, search.maxCandidates)) {
        const int crf = low + (high - low + 1) / 2;
        const std::optional<double> scored = score(crf);
        if (!scored) {
            result.outcome = CrfSearchResult::Outcome::Failed;
            result.crf = crf;
            result.error = why ? why() : QString();
            return result;
        }
        result.tried.append({crf, *scored});
        if (*scored >= search.target)
            low = crf + 1;
        else
            high = crf - 1;
    }
    // Bisection only moves above a passing value and below a failing one, so the highest passing value
    // tried lies below every failing one.
    const std::pair<int, double> *chosen = nullptr;
    for (const auto &candidate : std::as_const(result.tried)) {
        if (candidate.second >= search.target && (!chosen || candidate.first > chosen->first))
            chosen = &candidate;
    }
    if (chosen) {
        result.outcome = CrfSearchResult::Outcome::Found;
        result.crf = chosen->first;
        result.score = chosen->second;
        return result;
    }
    // Nothing met the target: the best quality tried is the nearest to it.
    const auto best = std::min_element(result.tried.cbegin(), result.tried.cend(),
                                       [](const auto &a, const auto &b) { return a.first < b.first; });
    result.outcome = CrfSearchResult::Outcome::Unreachable;
    result.crf = best->first;
    result.score = best->second;
    return result;
}
