#pragma once

// The closed sets of encoding choices. A choice is stored as its index in declaration order, so the
// order of every table here is part of the stored data: append, never insert or reorder.

#include <QHashFunctions>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <span>

enum class VideoEncoders {
    libx264,
    h264_videotoolbox,
    libx265,
    hevc_videotoolbox,
    h264_vaapi,
    hevc_vaapi,
    h264_nvenc,
    hevc_nvenc,
    h264_qsv,
    hevc_qsv,
    copy, // the source's video as it is ("Passthrough")
    libsvtav1,
    libvpx_vp9 // raw text "libvpx-vp9"
};
enum class AudioEncoders { aac, libmp3lame, copy, libopus, flac, ac3, eac3 };
// `Auto` is the case whose raw text is "auto": the encoder chooses and no option is written.
enum class VideoProfiles { Auto, baseline, main, high, high10, high422, high444 };
enum class VideoPresets {
    Auto,
    ultrafast,
    superfast,
    veryfast,
    faster,
    fast,
    medium,
    slow,
    slower,
    veryslow
};
enum class VideoTunes { Auto, film, animation, grain, stillimage, fastdecode, zerolatency, psnr, ssim };

// How a job's video bitrate is chosen: the figure of `videoDebit`, or a constant quality
// (`videoQuality`, lower is better).
// Target: the constant quality value is searched, job by job, for the smallest file that still meets
// an SSIM target.
enum class VideoRate { Bitrate, Quality, Target };
// The channels of the audio written: two (a surround source folded to stereo), or the source's own
// layout, as far as the encoder can carry it (MP3 holds two at most).
enum class AudioChannels { Stereo, Keep };
// The high dynamic range signalling mediainfo finds on a video: none (standard range), HDR10 (the PQ
// transfer, with its mastering display and light levels when given) or HLG.
enum class HdrKind { None, Hdr10, Hlg };
// What becomes of a high dynamic range picture: kept as it is where the output can carry it (else
// tone-mapped), or always tone-mapped to standard range BT.709.
enum class HdrOutput { Keep, Sdr };

// Encoders that share their options (rate, preset, profile, hardware setup).
enum class EncoderFamily { X264, X265, VideoToolbox, Vaapi, Nvenc, Qsv, Copy, SvtAv1, Vpx };
EncoderFamily familyOf(VideoEncoders encoder);
bool isHevc(VideoEncoders encoder);

// The encoder's constant quality scale ends here (0 is its best): 51 for the H.264 and HEVC encoders,
// 63 for SVT-AV1 and VP9.
int maxVideoQuality(VideoEncoders encoder);
// The quality offered when the user first picks the encoder.
int defaultVideoQuality(VideoEncoders encoder);

// The output containers, in the order of Lists::containers().
enum class Container { Mp4, Matroska, WebM };

namespace vocabulary_detail {
template<typename E> struct Names;
template<> struct Names<VideoEncoders>
{
    static constexpr std::array<const char *, 13> raw{
        "libx264",    "h264_videotoolbox", "libx265",    "hevc_videotoolbox", "h264_vaapi",
        "hevc_vaapi", "h264_nvenc",        "hevc_nvenc", "h264_qsv",          "hevc_qsv",
        "copy",       "libsvtav1",         "libvpx-vp9"};
};
template<> struct Names<VideoRate>
{
    static constexpr std::array<const char *, 3> raw{"bitrate", "quality", "target"};
};
template<> struct Names<AudioChannels>
{
    static constexpr std::array<const char *, 2> raw{"stereo", "keep"};
};
template<> struct Names<HdrKind>
{
    static constexpr std::array<const char *, 3> raw{"none", "hdr10", "hlg"};
};
template<> struct Names<HdrOutput>
{
    static constexpr std::array<const char *, 2> raw{"keep", "sdr"};
};
template<> struct Names<AudioEncoders>
{
    static constexpr std::array<const char *, 7> raw{"aac",  "libmp3lame", "copy", "libopus",
                                                     "flac", "ac3",        "eac3"};
};
template<> struct Names<VideoProfiles>
{
    static constexpr std::array<const char *, 7> raw{"auto",   "baseline", "main",   "high",
                                                     "high10", "high422",  "high444"};
};
template<> struct Names<VideoPresets>
{
    static constexpr std::array<const char *, 10> raw{"auto",   "ultrafast", "superfast", "veryfast",
                                                      "faster", "fast",      "medium",    "slow",
                                                      "slower", "veryslow"};
};
template<> struct Names<VideoTunes>
{
    static constexpr std::array<const char *, 9> raw{
        "auto", "film", "animation", "grain", "stillimage", "fastdecode", "zerolatency", "psnr", "ssim"};
};
} // namespace vocabulary_detail

template<typename E> constexpr int caseCount()
{
    return int(vocabulary_detail::Names<E>::raw.size());
}

template<typename E> QString rawText(E value)
{
    return QString::fromLatin1(vocabulary_detail::Names<E>::raw[std::size_t(value)]);
}

// Case whose raw text is exactly `text` (letter case counts).
template<typename E> std::optional<E> caseFromRawText(const QString &text)
{
    for (int i = 0; i < caseCount<E>(); ++i) {
        if (text == QLatin1String(vocabulary_detail::Names<E>::raw[std::size_t(i)]))
            return E(i);
    }
    return std::nullopt;
}

template<typename E> constexpr int indexOfCase(E value)
{
    return int(value);
}

template<typename E> std::optional<E> caseAt(int index)
{
    if (index < 0 || index >= caseCount<E>())
        return std::nullopt;
    return E(index);
}

// Stored indexes outside the table read as the first case.
template<typename E> E caseAtOrFirst(int index)
{
    return caseAt<E>(index).value_or(E(0));
}

template<typename E> QStringList rawTexts()
{
    QStringList out;
    for (const char *name : vocabulary_detail::Names<E>::raw)
        out << QString::fromLatin1(name);
    return out;
}

inline size_t qHash(VideoEncoders v, size_t start = 0)
{
    return qHash(rawText(v), start);
}
inline size_t qHash(AudioEncoders v, size_t start = 0)
{
    return qHash(rawText(v), start);
}
inline size_t qHash(VideoProfiles v, size_t start = 0)
{
    return qHash(rawText(v), start);
}
inline size_t qHash(VideoPresets v, size_t start = 0)
{
    return qHash(rawText(v), start);
}
inline size_t qHash(VideoTunes v, size_t start = 0)
{
    return qHash(rawText(v), start);
}

// The fixed choice lists shown by the pickers.
namespace Lists {
const QStringList &containers();      // "mp4", "mkv", "webm"
const QStringList &videoDebits();     // kbit/s, "Auto" first
const QStringList &audioDebits();     // kbit/s, "Auto" first
const QStringList &audioSamplings();  // Hz, "Auto" first
const QStringList &widths();          // pixels, "auto" first
const QStringList &heights();         // pixels, "auto" first
const QStringList &videoExtensions(); // lower case; compare with isVideoExtension()
const QStringList &subtitleExtensions();
const QStringList &nameTemplates(); // "None", "{source}", "{source}_{videoCodec}_{audioCodec}"

// Figure stored for a bitrate or sampling entry: the decimal number, or 0 for "Auto".
int rateFigure(const QString &entry);
// Figure stored for a width or height entry: the decimal number, or -2 for "auto".
int sizeFigure(const QString &entry);

// The figures a job may hold besides those of the lists: sane ranges, with 0 (automatic) for the rates
// and -2 (automatic) for the sizes.
inline constexpr int maxVideoDebit = 1000000;   // kbit/s
inline constexpr int maxAudioDebit = 1536;      // kbit/s, uncompressed stereo at 48 kHz
inline constexpr int maxAudioSampling = 384000; // Hz
inline constexpr int maxOutputSize = 16384;     // pixels
// Constant quality: the scale of -crf, -qp, -cq and -global_quality, lower is better. A job or a default
// may hold any figure of the widest scale; each encoder's own ends at ::maxVideoQuality(encoder).
inline constexpr int minVideoQuality = 0;
// The SSIM target of VideoRate::Target, in ten-thousandths: "High".
inline constexpr int defaultQualityTarget = 9850;
inline constexpr int minQualityTarget = 9000;
inline constexpr int maxQualityTarget = 9999;
inline constexpr int maxVideoQuality = 63;
inline constexpr int defaultVideoQuality = 23;

// Container extension for a stored container index; indexes outside the list read as "mp4".
QString containerExtension(int container);
// The container of a stored index; indexes outside the list read as MP4, as for the extension.
Container containerAt(int container);

// Accepted video file extension, in any letter case ("MTS" and "mts" alike).
bool isVideoExtension(const QString &suffix);
} // namespace Lists
