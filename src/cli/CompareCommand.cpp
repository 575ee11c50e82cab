#include "cli/CliSettings.h"
#include "cli/Commands.h"

#include "media/QualityMeasure.h"
#include "rules/ShellQuote.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("tavrix-cli", text);
}

// A comparison decodes both files whole: an hour covers a long film on a slow machine.
constexpr std::chrono::milliseconds CompareLimit{3'600'000};

} // namespace

int compareCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(tr(
        "Measures how close OUTPUT is to SOURCE over every frame, with ffmpeg's ssim and psnr filters (the "
        "source scaled to the output's size), and prints one line: \"SSIM 0.984 · PSNR 41.2 dB · 38 % of "
        "the source's size\". SSIM runs from 0 to 1 (1: the same picture), PSNR in dB (higher is closer)."));
    parser.addPositionalArgument(QStringLiteral("SOURCE"), tr("the original file"));
    parser.addPositionalArgument(QStringLiteral("OUTPUT"), tr("the converted file"));
    if (const std::optional<int> done = parseArguments(parser, arguments, QStringLiteral("compare")))
        return *done;
    const QStringList files = parser.positionalArguments();
    if (files.size() != 2) {
        printLine(stderr, QStringLiteral("tavrix-cli compare: ") + tr("expected SOURCE and OUTPUT"));
        return ExitUsage;
    }
    for (const QString &file : files) {
        if (const QString problem = sourceProblem(file); !problem.isEmpty()) {
            printLine(stderr, QStringLiteral("tavrix-cli compare: %1: %2").arg(printableText(file), problem));
            return ExitFailure;
        }
    }
    const QString source = QFileInfo(files[0]).absoluteFilePath();
    const QString output = QFileInfo(files[1]).absoluteFilePath();
    const QualityScore score = measureQuality(ToolRunner(), source, output, {}, CompareLimit);
    if (!score.ok()) {
        printLine(stderr, QStringLiteral("tavrix-cli compare: ") +
                              printableText(
                                  tr("cannot compare %1 with %2: %3").arg(files[1], files[0], score.error)));
        return ExitFailure;
    }
    const qint64 sourceSize = QFileInfo(source).size();
    const QString psnr =
        score.psnr ? QStringLiteral("PSNR %1 dB").arg(*score.psnr, 0, 'f', 1) : QStringLiteral("PSNR inf");
    QString line = QStringLiteral("SSIM %1 · %2").arg(score.ssim, 0, 'f', 3).arg(psnr);
    if (sourceSize > 0)
        line += tr(" · %1 % of the source's size").arg(qRound(100.0 * QFileInfo(output).size() / sourceSize));
    printLine(stdout, line);
    return ExitOk;
}
