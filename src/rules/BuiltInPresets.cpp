#include "rules/BuiltInPresets.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("BuiltInPresets", text);
}

// What every built-in preset starts from: a constant quality, the encoder's own speed, the first audio
// track (or those of the user's languages) in stereo, every subtitle track, interlaced sources
// deinterlaced, the output named after the source.
JobSettings common()
{
    JobSettings s;
    s.container = int(Container::Mp4);
    s.videoRate = VideoRate::Quality;
    s.videoPreset = VideoPresets::medium;
    s.width = -2;
    s.height = -2;
    s.deInterlace = false;
    s.deInterlaceAuto = true;
    s.isQuicktime = true;
    s.audioEncoder = AudioEncoders::aac;
    s.audioDebit = 160;
    s.audioSampling = 0;
    s.audioChannels = AudioChannels::Stereo;
    s.hdrOutput = HdrOutput::Keep;
    return s;
}

Preset preset(const char *name, const char *description, const JobSettings &settings)
{
    Preset p{tr(name), QString::fromUtf8(name), tr(description), settings, Preset::Origin::BuiltIn, {}, {}};
    p.settings.preset = p.name;
    return p;
}

// The first encoder of `candidates` that works, or the reason the first one does not.
std::pair<VideoEncoders, QString> firstWorking(const QList<VideoEncoders> &candidates,
                                               const std::function<QString(VideoEncoders)> &unavailable)
{
    QString firstReason;
    for (const VideoEncoders encoder : candidates) {
        const QString reason = unavailable ? unavailable(encoder) : QString();
        if (reason.isEmpty())
            return {encoder, {}};
        if (firstReason.isEmpty())
            firstReason = QStringLiteral("%1: %2").arg(rawText(encoder), reason);
    }
    return {candidates.first(), firstReason};
}

} // namespace

QList<Preset> builtInPresets(const std::function<QString(VideoEncoders)> &unavailable)
{
    QList<Preset> out;

    JobSettings h264 = common();
    h264.videoEncoder = VideoEncoders::libx264;
    h264.videoQuality = 22;
    h264.videoProfile = VideoProfiles::high;
    h264.hdrOutput = HdrOutput::Sdr; // players without HDR show washed-out colours
    out << preset(QT_TRANSLATE_NOOP("BuiltInPresets", "H.264 MP4 — plays everywhere"),
                  QT_TRANSLATE_NOOP("BuiltInPresets",
                                    "x264 at quality 22, AAC stereo 160 kbit/s, text subtitles: for any "
                                    "player, TV or browser"),
                  h264);

    JobSettings hevc = common();
    hevc.container = int(Container::Matroska);
    hevc.videoEncoder = VideoEncoders::libx265;
    hevc.videoQuality = 27; // looks like x264 at 22, at about half its size
    hevc.audioEncoder = AudioEncoders::copy;
    hevc.keepAllAudio = true;
    out << preset(
        QT_TRANSLATE_NOOP("BuiltInPresets", "HEVC MKV — half the size"),
        QT_TRANSLATE_NOOP("BuiltInPresets",
                          "x265 at quality 27, 10-bit and HDR kept, every audio track copied, every "
                          "subtitle"),
        hevc);

    JobSettings av1 = common();
    av1.container = int(Container::Matroska);
    av1.videoEncoder = VideoEncoders::libsvtav1;
    av1.videoQuality = 32;
    av1.videoPreset = VideoPresets::slow; // SVT-AV1's preset 6
    av1.audioEncoder = AudioEncoders::libopus;
    av1.audioDebit = 0; // the encoder's own rate for each layout
    av1.audioChannels = AudioChannels::Keep;
    av1.keepAllAudio = true;
    out << preset(QT_TRANSLATE_NOOP("BuiltInPresets", "AV1 MKV — archive"),
                  QT_TRANSLATE_NOOP("BuiltInPresets",
                                    "SVT-AV1 at quality 32, 10-bit and HDR kept, every audio track in Opus "
                                    "with its channels, every subtitle and chapter"),
                  av1);

    JobSettings vp9 = common();
    vp9.container = int(Container::WebM);
    vp9.videoEncoder = VideoEncoders::libvpx_vp9;
    vp9.videoQuality = 32;
    vp9.audioEncoder = AudioEncoders::libopus;
    vp9.audioDebit = 128;
    out << preset(
        QT_TRANSLATE_NOOP("BuiltInPresets", "VP9 WebM — for the web"),
        QT_TRANSLATE_NOOP("BuiltInPresets", "VP9 at quality 32, Opus stereo, text subtitles: for web pages"),
        vp9);

    for (const Container container : {Container::Mp4, Container::Matroska}) {
        JobSettings remux = common();
        remux.container = int(container);
        remux.videoEncoder = VideoEncoders::copy;
        remux.audioEncoder = AudioEncoders::copy;
        remux.audioChannels = AudioChannels::Keep;
        remux.keepAllAudio = true;
        remux.deInterlaceAuto = false;
        if (container == Container::Mp4)
            out << preset(QT_TRANSLATE_NOOP("BuiltInPresets", "Remux to MP4 — no re-encoding"),
                          QT_TRANSLATE_NOOP("BuiltInPresets",
                                            "Video and every audio track copied as they are into MP4; "
                                            "fast, nothing lost"),
                          remux);
        else
            out << preset(QT_TRANSLATE_NOOP("BuiltInPresets", "Remux to MKV — no re-encoding"),
                          QT_TRANSLATE_NOOP("BuiltInPresets",
                                            "Video, every audio track and every subtitle copied as they are "
                                            "into MKV; fast, nothing lost"),
                          remux);
    }

    JobSettings phone = common();
    phone.videoEncoder = VideoEncoders::libx264;
    phone.videoQuality = 23;
    phone.videoProfile = VideoProfiles::high;
    phone.width = 1280;
    phone.height = 720;
    phone.fitWithin = true;
    phone.audioDebit = 128;
    phone.hdrOutput = HdrOutput::Sdr;
    out << preset(
        QT_TRANSLATE_NOOP("BuiltInPresets", "Phone — 720p H.264"),
        QT_TRANSLATE_NOOP("BuiltInPresets",
                          "x264 made no larger than 1280×720 (never enlarged), AAC stereo 128 kbit/s"),
        phone);

    const auto hardware = [&](const QList<VideoEncoders> &candidates, Container container, const char *name,
                              const char *description) {
        JobSettings s = common();
        const auto [encoder, reason] = firstWorking(candidates, unavailable);
        s.container = int(container);
        s.videoEncoder = encoder;
        s.videoQuality = 24;
        s.videoPreset = VideoPresets::Auto;
        Preset p = preset(name, description, s);
        if (!reason.isEmpty())
            p.problem = tr("No hardware encoder works here (%1).").arg(reason);
        out << p;
    };
    hardware(
        {VideoEncoders::h264_vaapi, VideoEncoders::h264_nvenc, VideoEncoders::h264_qsv,
         VideoEncoders::h264_videotoolbox},
        Container::Mp4, QT_TRANSLATE_NOOP("BuiltInPresets", "Hardware H.264 — fast"),
        QT_TRANSLATE_NOOP("BuiltInPresets",
                          "The first H.264 encoder of the graphics card that works here, quality 24, AAC "
                          "stereo: fast, larger files"));
    hardware({VideoEncoders::hevc_vaapi, VideoEncoders::hevc_nvenc, VideoEncoders::hevc_qsv,
              VideoEncoders::hevc_videotoolbox},
             Container::Matroska, QT_TRANSLATE_NOOP("BuiltInPresets", "Hardware HEVC — fast"),
             QT_TRANSLATE_NOOP("BuiltInPresets",
                               "The first HEVC encoder of the graphics card that works here, quality 24, AAC "
                               "stereo: fast, smaller than H.264"));
    return out;
}
