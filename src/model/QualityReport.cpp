#include "model/QualityReport.h"

#include <QCoreApplication>
#include <QLocale>

#include <cmath>

namespace {

QString scoreText(double value)
{
    return QLocale().toString(value, 'f', 3);
}

// A target keeps its fourth decimal when it has one: 0.9999 is not 1.000.
QString targetScoreText(double value)
{
    const bool fourth = std::abs(value * 1000 - std::round(value * 1000)) > 0.01;
    return QLocale().toString(value, 'f', fourth ? 4 : 3);
}

} // namespace

QString QualityReport::text() const
{
    if (!ssim)
        return problem.isEmpty()
                   ? QString()
                   : QCoreApplication::translate("QualityReport", "Quality not checked: %1").arg(problem);
    QString text = QStringLiteral("SSIM ") + scoreText(*ssim);
    text +=
        QStringLiteral(" · ") + (psnr ? QCoreApplication::translate("QualityReport", "PSNR %1 dB")
                                            .arg(QLocale().toString(*psnr, 'f', 1))
                                      : QCoreApplication::translate("QualityReport", "PSNR ∞ (identical)"));
    if (sizeRatio >= 0)
        text +=
            QStringLiteral(" · ") + QCoreApplication::translate("QualityReport", "%1 % of the source's size")
                                        .arg(std::lround(sizeRatio * 100));
    return text;
}

QString CrfChoice::text() const
{
    if (!isValid())
        return {};
    QString text = QStringLiteral("CRF %1 · SSIM %2").arg(crf).arg(scoreText(score));
    if (!reached)
        text += QLatin1Char(' ') + QCoreApplication::translate("QualityReport", "(target %1 not reached)")
                                       .arg(targetScoreText(target));
    if (predictedBytes > 0)
        text += QStringLiteral(" · ") +
                QCoreApplication::translate("QualityReport", "about %1")
                    .arg(QLocale().formattedDataSize(predictedBytes, 0, QLocale::DataSizeSIFormat));
    return text;
}

QString CrfChoice::searchText() const
{
    if (cached)
        return QCoreApplication::translate("QualityReport", "from an earlier search");
    return QCoreApplication::translate("QualityReport", "%n values tried in %1 s", nullptr, candidates)
        .arg(std::lround(seconds));
}

QString CrfChoice::fullText() const
{
    return isValid() ? text() + QStringLiteral(" (") + searchText() + QLatin1Char(')') : QString();
}

QJsonObject CrfChoice::toJson() const
{
    return QJsonObject{
        {QStringLiteral("crf"), crf},
        {QStringLiteral("target"), target},
        {QStringLiteral("score"), score},
        {QStringLiteral("reached"), reached},
        {QStringLiteral("predictedBytes"), double(predictedBytes)},
        {QStringLiteral("seconds"), seconds},
        {QStringLiteral("candidates"), candidates},
    };
}

CrfChoice CrfChoice::fromJson(const QJsonObject &object)
{
    CrfChoice choice;
    const int crf = object.value(QLatin1String("crf")).toInt(-1);
    choice.crf = crf >= 0 && crf <= 255 ? crf : -1;
    choice.target = object.value(QLatin1String("target")).toDouble();
    choice.score = object.value(QLatin1String("score")).toDouble();
    choice.reached = object.value(QLatin1String("reached")).toBool(true);
    choice.predictedBytes = qint64(object.value(QLatin1String("predictedBytes")).toDouble(-1));
    choice.seconds = object.value(QLatin1String("seconds")).toDouble();
    choice.candidates = object.value(QLatin1String("candidates")).toInt();
    return choice;
}
