#include "encoding/QualityCheck.h"

#include "media/QualityMeasure.h"

#include <QCoreApplication>
#include <QFileInfo>

QualityReport checkQuality(const ToolRunner &tools, const QString &source, const QString &output,
                           const CommandLine &command, double sourceSeconds,
                           std::shared_ptr<const std::atomic_bool> stop)
{
    QualityReport report;
    const qint64 sourceBytes = QFileInfo(source).size();
    if (sourceBytes > 0)
        report.sizeRatio = double(QFileInfo(output).size()) / double(sourceBytes);

    // Decoding both films and scoring every frame runs faster than real time on any machine that
    // encodes; an unknown length gets an hour.
    const double seconds = sourceSeconds > 0 ? sourceSeconds : 3600;
    const auto limit = std::chrono::milliseconds(qint64(60'000 + 4'000 * seconds));
    ToolRunner runner = tools;
    runner.setCancellation(std::move(stop));
    QualityComparison comparison;
    comparison.source = source;
    comparison.output = output;
    // "0:1" in the job's command is the source's stream 1.
    if (const qsizetype colon = command.sourceVideo.indexOf(QLatin1Char(':')); colon > 0)
        comparison.sourceStream = command.sourceVideo.mid(colon + 1);
    comparison.sourceFilters = command.comparedFilters;
    const QualityScore score = measureQuality(runner, comparison, limit);
    if (!score.ok()) {
        report.problem = score.error;
        return report;
    }
    report.ssim = score.ssim;
    report.psnr = score.psnr;
    return report;
}
