#include "rules/HdrSignal.h"

#include "model/MediaVideo.h"
#include "rules/ShellQuote.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace {

// Chromaticities in x265's order: green, blue, red, white point; x then y.
using Chromaticities = std::array<int, 8>;

// The displays mediainfo names instead of giving their numbers.
std::optional<Chromaticities> namedDisplay(const QString &name)
{
    static const std::array<std::pair<const char *, Chromaticities>, 4> known{{
        {"BT.709", {15000, 30000, 7500, 3000, 32000, 16500, 15635, 16450}},
        {"BT.2020", {8500, 39850, 6550, 2300, 35400, 14600, 15635, 16450}},
        {"Display P3", {13250, 34500, 7500, 3000, 34000, 16000, 15635, 16450}},
        {"DCI P3", {13250, 34500, 7500, 3000, 34000, 16000, 15700, 17550}},
    }};
    for (const auto &[text, values] : known) {
        if (name == QLatin1String(text))
            return values;
    }
    return std::nullopt;
}

// A decimal number of mediainfo, scaled and rounded; nullopt outside [0, limit].
std::optional<qint64> scaled(const QString &text, double scale, qint64 limit)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0)
        return std::nullopt;
    const double units = std::round(value * scale);
    if (units > double(limit))
        return std::nullopt;
    return qint64(units);
}

std::optional<Chromaticities> explicitDisplay(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("\\AR: x=([0-9.]+) y=([0-9.]+), G: x=([0-9.]+) y=([0-9.]+), B: x=([0-9.]+) "
                       "y=([0-9.]+), White point: x=([0-9.]+) y=([0-9.]+)\\z"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    // Captures 1..8 are R, G, B, white point; x265 wants G, B, R, white point.
    static constexpr std::array<int, 8> order{3, 4, 5, 6, 1, 2, 7, 8};
    Chromaticities out{};
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::optional<qint64> units = scaled(m.captured(order[i]), 50000, 50000);
        if (!units)
            return std::nullopt;
        out[i] = int(*units);
    }
    return out;
}

} // namespace

HdrKind hdrKindOf(const QString &transfer, const QString &compatibility)
{
    if (transfer == QLatin1String("PQ") || transfer == QLatin1String("SMPTE ST 2084"))
        return HdrKind::Hdr10;
    if (transfer == QLatin1String("HLG") || transfer == QLatin1String("ARIB STD-B67"))
        return HdrKind::Hlg;
    if (!transfer.isEmpty())
        return HdrKind::None;
    if (compatibility.contains(QLatin1String("HDR10")))
        return HdrKind::Hdr10;
    if (compatibility.contains(QLatin1String("HLG")))
        return HdrKind::Hlg;
    return HdrKind::None;
}

QString x265MasteringDisplay(const QString &primaries, const QString &luminance)
{
    std::optional<Chromaticities> c = namedDisplay(primaries);
    if (!c)
        c = explicitDisplay(primaries);
    static const QRegularExpression lightForm(
        QStringLiteral("\\Amin: ([0-9.]+) cd/m2, max: ([0-9.]+) cd/m2\\z"));
    const QRegularExpressionMatch m = lightForm.match(luminance);
    if (!c || !m.hasMatch())
        return {};
    // Up to 10000 cd/m², the peak of PQ.
    const std::optional<qint64> min = scaled(m.captured(1), 10000, 100000000);
    const std::optional<qint64> max = scaled(m.captured(2), 10000, 100000000);
    if (!min || !max || *max <= *min)
        return {};
    return QStringLiteral("G(%1,%2)B(%3,%4)R(%5,%6)WP(%7,%8)L(%9,%10)")
        .arg((*c)[0])
        .arg((*c)[1])
        .arg((*c)[2])
        .arg((*c)[3])
        .arg((*c)[4])
        .arg((*c)[5])
        .arg((*c)[6])
        .arg((*c)[7])
        .arg(*max)
        .arg(*min);
}

bool isX265MasteringDisplay(const QString &text)
{
    static const QRegularExpression form(QStringLiteral(
        "\\AG\\(\\d{1,5},\\d{1,5}\\)B\\(\\d{1,5},\\d{1,5}\\)R\\(\\d{1,5},\\d{1,5}\\)WP\\(\\d{1,5},\\d{1,5}\\)"
        "L\\(\\d{1,9},\\d{1,9}\\)\\z"));
    return form.match(text).hasMatch();
}

int lightLevel(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("\\A(\\d{1,5}) cd/m2\\z"));
    const QRegularExpressionMatch m = form.match(text);
    const int value = m.hasMatch() ? m.captured(1).toInt() : 0;
    return value <= 65535 ? value : 0;
}

bool carriesTenBit(VideoEncoders encoder)
{
    return encoder == VideoEncoders::libx265 || encoder == VideoEncoders::libsvtav1 ||
           encoder == VideoEncoders::libvpx_vp9;
}

bool carriesHdr(VideoEncoders encoder)
{
    // VP9 has no place for a mastering display: it keeps the colour tags, which hold the transfer.
    return encoder == VideoEncoders::libx265 || encoder == VideoEncoders::libsvtav1 ||
           encoder == VideoEncoders::libvpx_vp9;
}

bool keepsTenBit(const MediaVideo &job)
{
    // A picture tone-mapped on request is standard range for 8-bit players.
    const bool toStandardRange = job.hdr != HdrKind::None && job.hdrOutput == HdrOutput::Sdr;
    return job.videoBitDepth >= 10 && carriesTenBit(job.videoEncoder) && !toStandardRange;
}

bool keepsHdr(const MediaVideo &job)
{
    return job.hdr != HdrKind::None && job.hdrOutput == HdrOutput::Keep && carriesHdr(job.videoEncoder) &&
           keepsTenBit(job);
}

bool toneMaps(const MediaVideo &job)
{
    return job.hdr != HdrKind::None && job.videoEncoder != VideoEncoders::copy && !keepsHdr(job);
}

QString toneMapFilter(HdrKind kind)
{
    // The source's colours are named rather than read from the frames: a container may carry them where
    // the stream does not. Tone mapping works on linear light in floating point, after the primaries are
    // brought to BT.709.
    const QString transfer =
        kind == HdrKind::Hlg ? QStringLiteral("arib-std-b67") : QStringLiteral("smpte2084");
    return QStringLiteral("zscale=tin=%1:min=bt2020nc:pin=bt2020:t=linear:npl=100,format=gbrpf32le,"
                          "zscale=p=bt709,tonemap=tonemap=hable:desat=0,zscale=t=bt709:m=bt709:r=tv,"
                          "format=yuv420p")
        .arg(transfer);
}

QString hdrOptions(const MediaVideo &job)
{
    if (!keepsHdr(job))
        return {};
    const bool pq = job.hdr == HdrKind::Hdr10;
    QString out = QStringLiteral("-color_primaries bt2020 -color_trc %1 -colorspace bt2020nc ")
                      .arg(pq ? QStringLiteral("smpte2084") : QStringLiteral("arib-std-b67"));
    // ffmpeg gives x265 the colour tags, but not the mastering display nor the light levels.
    if (pq && job.videoEncoder == VideoEncoders::libx265) {
        QStringList params{QStringLiteral("hdr10-opt=1"), QStringLiteral("repeat-headers=1")};
        // Only numbers reach the command: a stored text of any other form is left out.
        if (isX265MasteringDisplay(job.masteringDisplay))
            params << QStringLiteral("master-display=") + job.masteringDisplay;
        if (job.maxCll > 0 || job.maxFall > 0)
            params << QStringLiteral("max-cll=%1,%2")
                          .arg(std::clamp(job.maxCll, 0, 65535))
                          .arg(std::clamp(job.maxFall, 0, 65535));
        // Quoted: the mastering display holds parentheses.
        out += QStringLiteral("-x265-params ") + shellQuote(params.join(QLatin1Char(':'))) + QLatin1Char(' ');
    }
    // SVT-AV1 takes the same facts in real units: chromaticities, and candelas per square metre.
    if (pq && job.videoEncoder == VideoEncoders::libsvtav1) {
        QStringList params{QStringLiteral("enable-hdr=1")};
        if (isX265MasteringDisplay(job.masteringDisplay)) {
            static const QRegularExpression number(QStringLiteral("\\d+"));
            QStringList figures;
            QRegularExpressionMatchIterator it = number.globalMatch(job.masteringDisplay);
            while (it.hasNext())
                figures << it.next().captured();
            if (figures.size() == 10) {
                const auto chroma = [&](int i) {
                    return QString::number(figures[i].toDouble() / 50000, 'f', 5);
                };
                const auto light = [&](int i) {
                    return QString::number(figures[i].toDouble() / 10000, 'f', 4);
                };
                params << QStringLiteral("mastering-display=G(%1,%2)B(%3,%4)R(%5,%6)WP(%7,%8)L(%9,%10)")
                              .arg(chroma(0), chroma(1), chroma(2), chroma(3), chroma(4), chroma(5),
                                   chroma(6), chroma(7), light(8))
                              .arg(light(9));
            }
        }
        if (job.maxCll > 0 || job.maxFall > 0)
            params << QStringLiteral("content-light=%1,%2")
                          .arg(std::clamp(job.maxCll, 0, 65535))
                          .arg(std::clamp(job.maxFall, 0, 65535));
        out +=
            QStringLiteral("-svtav1-params ") + shellQuote(params.join(QLatin1Char(':'))) + QLatin1Char(' ');
    }
    return out;
}
