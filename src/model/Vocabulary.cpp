#include "model/Vocabulary.h"

EncoderFamily familyOf(VideoEncoders encoder)
{
    switch (encoder) {
    case VideoEncoders::libx264:
        return EncoderFamily::X264;
    case VideoEncoders::libx265:
        return EncoderFamily::X265;
    case VideoEncoders::h264_videotoolbox:
    case VideoEncoders::hevc_videotoolbox:
        return EncoderFamily::VideoToolbox;
    case VideoEncoders::h264_vaapi:
    case VideoEncoders::hevc_vaapi:
        return EncoderFamily::Vaapi;
    case VideoEncoders::h264_nvenc:
    case VideoEncoders::hevc_nvenc:
        return EncoderFamily::Nvenc;
    case VideoEncoders::h264_qsv:
    case VideoEncoders::hevc_qsv:
        return EncoderFamily::Qsv;
    case VideoEncoders::copy:
        return EncoderFamily::Copy;
    case VideoEncoders::libsvtav1:
        return EncoderFamily::SvtAv1;
    case VideoEncoders::libvpx_vp9:
        return EncoderFamily::Vpx;
    }
    return EncoderFamily::X264;
}

int maxVideoQuality(VideoEncoders encoder)
{
    const EncoderFamily family = familyOf(encoder);
    return family == EncoderFamily::SvtAv1 || family == EncoderFamily::Vpx ? 63 : 51;
}

int defaultVideoQuality(VideoEncoders encoder)
{
    // 23 is x264's own default. On their 0..63 scales, 32 for SVT-AV1 (a step finer than its own default,
    // 35) and 31 for VP9 (the figure usually advised for HD) look about as good, in a smaller file.
    switch (familyOf(encoder)) {
    case EncoderFamily::SvtAv1:
        return 32;
    case EncoderFamily::Vpx:
        return 31;
    default:
        return Lists::defaultVideoQuality;
    }
}

bool isHevc(VideoEncoders encoder)
{
    return rawText(encoder).startsWith(QLatin1String("hevc_")) || encoder == VideoEncoders::libx265;
}

namespace Lists {

const QStringList &containers()
{
    static const QStringList list{QStringLiteral("mp4"), QStringLiteral("mkv"), QStringLiteral("webm")};
    return list;
}

const QStringList &videoDebits()
{
    static const QStringList list{QStringLiteral("Auto"), QStringLiteral("500"),  QStringLiteral("1000"),
                                  QStringLiteral("1600"), QStringLiteral("2000"), QStringLiteral("4000"),
                                  QStringLiteral("8500"), QStringLiteral("10000")};
    return list;
}

const QStringList &audioDebits()
{
    static const QStringList list{QStringLiteral("Auto"), QStringLiteral("32"),  QStringLiteral("64"),
                                  QStringLiteral("128"),  QStringLiteral("160"), QStringLiteral("192"),
                                  QStringLiteral("256"),  QStringLiteral("384")};
    return list;
}

const QStringList &audioSamplings()
{
    static const QStringList list{QStringLiteral("Auto"), QStringLiteral("44100"), QStringLiteral("48000")};
    return list;
}

const QStringList &widths()
{
    static const QStringList list{QStringLiteral("auto"), QStringLiteral("720"),  QStringLiteral("1280"),
                                  QStringLiteral("1920"), QStringLiteral("3840"), QStringLiteral("4096")};
    return list;
}

const QStringList &heights()
{
    static const QStringList list{QStringLiteral("auto"), QStringLiteral("576"), QStringLiteral("720"),
                                  QStringLiteral("1080"), QStringLiteral("2160")};
    return list;
}

const QStringList &videoExtensions()
{
    static const QStringList list{
        QStringLiteral("mp4"),  QStringLiteral("mkv"), QStringLiteral("mov"),  QStringLiteral("tod"),
        QStringLiteral("avi"),  QStringLiteral("dv"),  QStringLiteral("mpg"),  QStringLiteral("mod"),
        QStringLiteral("mts"),  QStringLiteral("ts"),  QStringLiteral("m4v"),  QStringLiteral("webm"),
        QStringLiteral("m2ts"), QStringLiteral("3gp"), QStringLiteral("3g2"),  QStringLiteral("wmv"),
        QStringLiteral("asf"),  QStringLiteral("flv"), QStringLiteral("f4v"),  QStringLiteral("vob"),
        QStringLiteral("mxf"),  QStringLiteral("ogv"), QStringLiteral("mpeg"), QStringLiteral("m2v")};
    return list;
}

const QStringList &subtitleExtensions()
{
    static const QStringList list{QStringLiteral("srt"), QStringLiteral("ssa"), QStringLiteral("ass")};
    return list;
}

const QStringList &nameTemplates()
{
    static const QStringList list{QStringLiteral("None"), QStringLiteral("{source}"),
                                  QStringLiteral("{source}_{videoCodec}_{audioCodec}")};
    return list;
}

int rateFigure(const QString &entry)
{
    bool ok = false;
    const int value = entry.toInt(&ok, 10);
    return ok ? value : 0;
}

int sizeFigure(const QString &entry)
{
    bool ok = false;
    const int value = entry.toInt(&ok, 10);
    return ok ? value : -2;
}

QString containerExtension(int container)
{
    return containers().value(container, containers().first());
}

Container containerAt(int container)
{
    return container >= 0 && container < containers().size() ? Container(container) : Container::Mp4;
}

bool isVideoExtension(const QString &suffix)
{
    return videoExtensions().contains(suffix, Qt::CaseInsensitive);
}

} // namespace Lists
