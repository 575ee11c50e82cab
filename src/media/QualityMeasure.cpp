#include "media/QualityMeasure.h"

#include "rules/EncoderOutput.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {

QualityScore scoresFromLines(const QStringList &lines, bool withPsnr)
{
    static const QRegularExpression ssim(QStringLiteral("\\bSSIM .* All:([0-9.]+)"));
    static const QRegularExpression psnr(QStringLiteral("\\bPSNR .* average:([0-9.]+|inf)"));
    QualityScore score;
    bool seenSsim = false, seenPsnr = false;
    for (const QString &line : lines) {
        if (const QRegularExpressionMatch m = ssim.match(line); m.hasMatch()) {
            score.ssim = m.captured(1).toDouble();
            seenSsim = true;
        } else if (const QRegularExpressionMatch p = psnr.match(line); p.hasMatch()) {
            if (p.captured(1) != QLatin1String("inf"))
                score.psnr = p.captured(1).toDouble();
            seenPsnr = true;
        }
    }
    if (!seenSsim || (withPsnr && !seenPsnr)) {
        const QString said = failureLine(lines);
        score.error =
            said.isEmpty() ? QCoreApplication::translate("QualityMeasure", "ffmpeg gave no score") : said;
    }
    return score;
}

} // namespace

QualityScore qualityFromLines(const QStringList &lines)
{
    return scoresFromLines(lines, true);
}

QualityScore measureQuality(const ToolRunner &tools, const QString &source, const QString &output,
                            const QString &sourceFilters, std::chrono::milliseconds limit)
{
    return measureQuality(tools, {source, output, QStringLiteral("v:0"), sourceFilters, true}, limit);
}

QualityScore measureQuality(const ToolRunner &tools, const QualityComparison &comparison,
                            std::chrono::milliseconds limit)
{
    const QString &source = comparison.source;
    const QString &output = comparison.output;
    // The output first: scale2ref sizes the source to it. Square pixels on both sides.
    const QString picked = comparison.everyNthFrame > 1
                               ? QStringLiteral("select=not(mod(n\\,%1)),").arg(comparison.everyNthFrame)
                               : QString();
    const QString prepared =
        (comparison.sourceFilters.isEmpty() ? QString() : comparison.sourceFilters + QLatin1Char(',')) +
        picked;
    const QString scores =
        comparison.withPsnr
            ? QStringLiteral("[dist]split[d1][d2];[ref]split[r1][r2];[d1][r1]ssim;[d2][r2]psnr")
            : QStringLiteral("[dist][ref]ssim");
    const QString graph =
        QStringLiteral(
            "[1:%1]%2setsar=1[src];[0:v:0]%3setsar=1[out];[src][out]scale2ref=flags=bicubic[ref][dist];")
            .arg(comparison.sourceStream, prepared, picked) +
        scores;
    QStringList lines;
    const ToolOutcome outcome = tools.runTool(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"), QStringLiteral("-i"),
         QStringLiteral("file:") + output, QStringLiteral("-i"), QStringLiteral("file:") + source,
         QStringLiteral("-lavfi"), graph, QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")},
        limit, [&lines](const QString &line) {
            lines << line;
            while (lines.size() > 200)
                lines.removeFirst();
        });
    if (!outcome.finished()) {
        QualityScore failed;
        failed.error = outcome.reason();
        return failed;
    }
    return scoresFromLines(lines, comparison.withPsnr);
}
