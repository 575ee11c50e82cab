#include "rules/CommandLine.h"

#include "model/MediaVideo.h"
#include "process/Log.h"
#include "rules/Crop.h"
#include "rules/HdrSignal.h"
#include "rules/JobRules.h"
#include "rules/ShellQuote.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace {

// Messages of the rules; lupdate files them under this context.
struct CommandLineText
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)
};

bool isPlainWord(const QString &word)
{
    // \A and \z: "$" would also match before a final newline, which would then end the command.
    static const QRegularExpression plain(QStringLiteral("\\A[A-Za-z0-9_@%+=:,./-]+\\z"));
    return plain.match(word).hasMatch();
}

// Text that is not ours to trust but must stay one word: bare when it holds nothing special.
QString word(const QString &text)
{
    return isPlainWord(text) ? text : shellQuote(text);
}

// An output path that begins with "-" would be read as an option.
QString outputPath(const QString &path)
{
    return path.startsWith(QLatin1Char('-')) ? QStringLiteral("./") + path : path;
}

// The preset options of the encoder: its own scale for our ultrafast .. veryslow; empty when it has
// none for this preset.
QString presetOptions(VideoEncoders encoder, VideoPresets preset)
{
    const int step = indexOfCase(preset); // 0 Auto, 1 ultrafast .. 9 veryslow
    const bool automatic = preset == VideoPresets::Auto;
    switch (familyOf(encoder)) {
    case EncoderFamily::X264:
    case EncoderFamily::X265:
    case EncoderFamily::VideoToolbox:
        return automatic ? QString() : QStringLiteral("-preset ") + rawText(preset) + QLatin1Char(' ');
    case EncoderFamily::Nvenc: {
        // p1 (fastest) to p7 (best); medium is NVENC's own default, p4.
        static constexpr std::array<int, 10> p{0, 1, 1, 2, 3, 3, 4, 5, 6, 7};
        return automatic ? QString() : QStringLiteral("-preset p%1 ").arg(p[std::size_t(step)]);
    }
    case EncoderFamily::Qsv:
        // QSV names the x264 presets from veryfast on; the two faster ones become its fastest.
        if (automatic)
            return {};
        return QStringLiteral("-preset ") +
               (step <= indexOfCase(VideoPresets::veryfast) ? QStringLiteral("veryfast") : rawText(preset)) +
               QLatin1Char(' ');
    case EncoderFamily::SvtAv1: {
        // SVT-AV1 runs from 13 (fastest) to 0; below 4 it gets very slow for little gain, so veryslow stops
        // at 2. Auto is 8, as medium: the library's own choice, 10, is faster at some cost in quality per
        // bit.
        static constexpr std::array<int, 10> svt{8, 13, 12, 11, 10, 9, 8, 6, 4, 2};
        return QStringLiteral("-preset %1 ").arg(svt[std::size_t(step)]);
    }
    case EncoderFamily::Vpx: {
        // libvpx's "good" deadline with -cpu-used 5 (fastest) .. 0 (best); Auto is 2, as medium (its own
        // default, 1, is slow). -row-mt 1 lets it use more than one thread per tile column.
        static constexpr std::array<int, 10> cpuUsed{2, 5, 5, 4, 3, 3, 2, 1, 1, 0};
        return QStringLiteral("-deadline good -cpu-used %1 -row-mt 1 ").arg(cpuUsed[std::size_t(step)]);
    }
    case EncoderFamily::Vaapi:
    case EncoderFamily::Copy:
        return {};
    }
    return {};
}

// The sampling rate written for the audio encoder. Opus works at 48 kHz and a few lower rates only:
// libopus refuses 44100 ("Specified sample rate 44100 is not supported"), the stored default, so any
// other rate becomes 48000, which the decoder gives back in any case.
int audioSamplingFor(AudioEncoders encoder, int sampling)
{
    static constexpr std::array<int, 5> opusRates{48000, 24000, 16000, 12000, 8000};
    if (encoder == AudioEncoders::libopus &&
        std::find(opusRates.cbegin(), opusRates.cend(), sampling) == opusRates.cend())
        return 48000;
    return sampling;
}

} // namespace

// The hardware encoders follow the x264 and x265 rules, limited to the profiles every card offers for
// 8-bit output.
QString profileWord(VideoEncoders encoder, VideoProfiles profile)
{
    const EncoderFamily family = familyOf(encoder);
    // SVT-AV1's profiles (main, high, professional) and VP9's (0 to 3) are not the H.264 ones.
    if (profile == VideoProfiles::Auto || family == EncoderFamily::Copy || family == EncoderFamily::SvtAv1 ||
        family == EncoderFamily::Vpx)
        return {};
    const bool commonH264 = profile == VideoProfiles::baseline || profile == VideoProfiles::main ||
                            profile == VideoProfiles::high;
    bool taken = false;
    if (encoder == VideoEncoders::libx264)
        taken = true;
    else if (isHevc(encoder))
        taken = profile == VideoProfiles::main;
    else
        taken = commonH264;
    if (!taken)
        return {};
    // VAAPI knows only the constrained form of baseline.
    if (encoder == VideoEncoders::h264_vaapi && profile == VideoProfiles::baseline)
        return QStringLiteral("constrained_baseline");
    return rawText(profile);
}

bool takesTune(VideoEncoders encoder, VideoTunes tune)
{
    if (tune == VideoTunes::Auto)
        return false;
    switch (familyOf(encoder)) {
    case EncoderFamily::X264:
        return true;
    case EncoderFamily::X265:
        return tune != VideoTunes::film && tune != VideoTunes::stillimage;
    case EncoderFamily::VideoToolbox:
        return encoder == VideoEncoders::h264_videotoolbox ||
               (tune != VideoTunes::film && tune != VideoTunes::stillimage);
    case EncoderFamily::Vaapi:
    case EncoderFamily::Nvenc:
    case EncoderFamily::Qsv:
        // Their tunes (NVENC's hq, ll, ...) share no meaning with the x264 ones.
        return false;
    case EncoderFamily::Copy:
    case EncoderFamily::SvtAv1: // its tunes (VQ, PSNR, SSIM) go through -svtav1-params
    case EncoderFamily::Vpx:    // its -tune-content (screen, film) has other meanings
        return false;
    }
    return false;
}

namespace {

// A filter option's value with the characters that end or quote it escaped (the first level of
// ffmpeg's filter graph escaping).
QString optionEscaped(const QString &value)
{
    QString out;
    for (const QChar c : value) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('\'') || c == QLatin1Char(':'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

// One filter's description escaped for the graph it goes into (the second level).
QString graphEscaped(const QString &filter)
{
    QString out;
    for (const QChar c : filter) {
        if (QStringLiteral("\\'[],;").contains(c))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

// A list index as stored; one past the list reads as the first entry.
int storedIndex(int index, qsizetype size)
{
    return index >= 0 && index < size ? index : 0;
}

} // namespace

std::optional<QString> videoRateOptions(const MediaVideo &job)
{
    // A copied stream keeps the rate it has.
    if (familyOf(job.videoEncoder) == EncoderFamily::Copy)
        return QString();
    if (job.videoRate == VideoRate::Bitrate)
        return job.videoDebit >= 1 ? QStringLiteral("-b:v %1k ").arg(job.videoDebit) : QString();
    // A quality target runs with the value its search chose, put in videoQuality before the command is
    // built; until then the command shows the job's own.
    const int q = std::clamp(job.videoQuality, Lists::minVideoQuality, maxVideoQuality(job.videoEncoder));
    switch (familyOf(job.videoEncoder)) {
    case EncoderFamily::X264:
    case EncoderFamily::X265:
    case EncoderFamily::SvtAv1:
        return QStringLiteral("-crf %1 ").arg(q);
    case EncoderFamily::Vpx:
        // Without a zero bitrate libvpx takes the CRF as a floor under its default bitrate.
        return QStringLiteral("-crf %1 -b:v 0 ").arg(q);
    case EncoderFamily::Vaapi:
        return QStringLiteral("-qp %1 ").arg(q);
    case EncoderFamily::Nvenc:
        return QStringLiteral("-cq %1 ").arg(q);
    case EncoderFamily::Qsv:
        return QStringLiteral("-global_quality %1 ").arg(q);
    case EncoderFamily::VideoToolbox:
        // Its -q:v runs the other way (100 is best) and only on some Macs: no shared scale to offer.
        return std::nullopt;
    case EncoderFamily::Copy:
        return QString();
    }
    return std::nullopt;
}

QString streamAddress(const QString &trackLine)
{
    // Whole numbers on both sides: a transport stream with ten streams or more has 0-10, 0-11, ...
    static const QRegularExpression address(QStringLiteral("(\\d+)-(\\d+)"));
    const QRegularExpressionMatch m = address.match(trackLine);
    if (m.hasMatch())
        return m.captured(1) + QLatin1Char(':') + m.captured(2);
    // MP4 and Matroska lines carry a plain stream order as their second word.
    const QStringList words = trackLine.trimmed().split(QLatin1Char(' '));
    if (words.size() > 1) {
        bool ok = false;
        const uint order = words[1].toUInt(&ok, 10);
        if (ok)
            return QStringLiteral("0:%1").arg(order);
    }
    return {};
}

QStringList splitParameters(const QString &text)
{
    QStringList words;
    QString current;
    bool inWord = false;
    QChar quote;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quote == QLatin1Char('\'')) {
            if (c == quote)
                quote = QChar();
            else
                current += c;
        } else if (quote == QLatin1Char('"')) {
            if (c == quote) {
                quote = QChar();
            } else if (c == QLatin1Char('\\') && i + 1 < text.size() &&
                       QStringLiteral("\\\"$`").contains(text[i + 1])) {
                current += text[++i];
            } else {
                current += c;
            }
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            inWord = true;
        } else if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            current += text[++i];
            inWord = true;
        } else if (c.isSpace()) {
            if (inWord)
                words << current;
            current.clear();
            inWord = false;
        } else {
            current += c;
            inWord = true;
        }
    }
    if (inWord)
        words << current;
    return words;
}

QString joinParameters(const QStringList &words)
{
    QStringList out;
    for (const QString &w : words)
        out << word(w);
    return out.join(QLatin1Char(' '));
}

CommandLine buildCommandLine(const MediaVideo &job, const CommandContext &context)
{
    // A probe cut short says why; that is the news, not the missing stream.
    if (job.videoTracks.isEmpty())
        return {{},
                job.probeError.isEmpty()
                    ? CommandLineText::tr("“%1” has no video stream to encode.").arg(job.source)
                    : job.probeError};

    if (context.unavailableReason) {
        for (const QString &encoder : {rawText(job.videoEncoder), rawText(job.audioEncoder)}) {
            const QString reason = context.unavailableReason(encoder);
            if (!reason.isEmpty())
                return {{}, CommandLineText::tr("%1 cannot be used: %2").arg(encoder, reason)};
        }
    }
    const std::optional<QString> rate = videoRateOptions(job);
    if (!rate)
        return {{},
                CommandLineText::tr("%1 has no constant quality mode; choose a bitrate.")
                    .arg(rawText(job.videoEncoder))};
    const EncoderFamily family = familyOf(job.videoEncoder);
    if (family == EncoderFamily::Vaapi && context.vaapiDevice.isEmpty())
        return {{},
                CommandLineText::tr("%1 needs a VAAPI device (/dev/dri/renderD*); none was found.")
                    .arg(rawText(job.videoEncoder))};

    QString cmd = shellQuote(context.ffmpegPath) + QStringLiteral(" -hide_banner ");
    // The device is a global option: it must come before the input.
    if (family == EncoderFamily::Vaapi)
        cmd += QStringLiteral("-vaapi_device ") + shellQuote(context.vaapiDevice) + QLatin1Char(' ');
    const bool keep = context.existingFiles == ExistingFiles::Keep;
    const auto parameters = [keep](const QString &text) {
        QStringList words = splitParameters(text);
        if (keep)
            words.removeAll(QStringLiteral("-y"));
        return joinParameters(words);
    };
    const QString globalParams = parameters(context.globalParams);
    if (!globalParams.isEmpty())
        cmd += globalParams + QLatin1Char(' ');
    cmd += (keep ? QStringLiteral("-n -i ") : QStringLiteral("-y -i ")) + shellQuote(job.source) +
           QLatin1Char(' ');

    const auto exists = [&context](const QString &path) {
        return context.fileExists ? context.fileExists(path) : QFileInfo(path).isFile();
    };
    const bool externalSubtitle = !job.subtitleExternal.isEmpty() && exists(job.subtitleExternal);
    if (externalSubtitle)
        cmd += QStringLiteral("-i ") + shellQuote(job.subtitleExternal) + QLatin1Char(' ');

    const QString videoLine = job.videoTracks.at(storedIndex(job.videoTrack, job.videoTracks.size()));
    QString videoAddress = streamAddress(videoLine);
    if (videoAddress.isEmpty())
        videoAddress = QStringLiteral("0:0");
    const std::optional<SubtitleStream> burnt = burntSubtitle(job);
    const bool burnPicture = burnt && isPictureSubtitle(*burnt);

    // A copied stream is written as it is: no filter can touch it.
    const bool copyVideo = family == EncoderFamily::Copy;
    QString comparedFilters;
    if (const QString misfit = containerMisfit(job); !misfit.isEmpty())
        return {{}, misfit};
    if (!copyVideo) {
        QStringList filters;
        if (job.deinterlaces())
            filters << QStringLiteral("yadif=0:-1:0");
        // A subtitle is drawn on the source's picture, before it is cropped and scaled. Text goes through
        // libass, which reads the stream from the source itself; pictures are laid over the frames.
        if (burnt && !burnPicture)
            filters << graphEscaped(QStringLiteral("subtitles=filename=") + optionEscaped(job.source) +
                                    QStringLiteral(":si=%1").arg(burnt->position));
        const qsizetype beforeOverlay = filters.size();
        if (job.videoPixelAspectRatio != 1.0)
            filters << QStringLiteral("scale=iw*sar:ih,setsar=1");
        if (job.videoCrop == QLatin1String("-1")) {
            // Only the filter's exact report is used: a file name holding "crop=" appears in the same output.
            const QString detected = context.detectCrop ? context.detectCrop().trimmed() : QString();
            if (detected == QLatin1String(DetectedCropPlaceholder))
                filters << detected;
            else if (detected.startsWith(QLatin1String("crop=")) && isCropString(detected.mid(5)))
                filters << QStringLiteral("crop=") +
                               withoutRoundingBorders(detected.mid(5), job.videoWidth, job.videoHeight);
        } else if (!job.videoCrop.isEmpty()) {
            const std::optional<QRect> crop = cropRect(job.videoCrop);
            if (!crop)
                return {{},
                        CommandLineText::tr("The crop “%1” is not of the form width:height:x:y.")
                            .arg(job.videoCrop)};
            // ffmpeg refuses a rectangle outside the picture (the crop applies after the pixels are made
            // square), and would only say so once the job runs. Left unchecked when the picture was never
            // probed.
            const double shownWidth = job.videoWidth * job.videoPixelAspectRatio;
            const QRect picture(0, 0, shownWidth >= 1 && shownWidth < 1e6 ? qRound(shownWidth) : 0,
                                job.videoHeight);
            if (!picture.isEmpty() && !cropFits(*crop, picture.width(), picture.height()))
                return {{},
                        CommandLineText::tr("The crop “%1” does not fit in the picture (%2×%3).")
                            .arg(job.videoCrop)
                            .arg(picture.width())
                            .arg(picture.height())};
            // The numbers that were checked, not the text around them (a stored newline would end the
            // command).
            filters << QStringLiteral("crop=%1:%2:%3:%4")
                           .arg(crop->width())
                           .arg(crop->height())
                           .arg(crop->x())
                           .arg(crop->y());
        }
        if (job.fitWithin) {
            // Made smaller, its shape kept, only where it exceeds the bound; to even sizes, which the
            // 4:2:0 encoders need.
            const auto bound = [](int figure, const char *side) {
                return figure > 0 ? QStringLiteral("min(%1\\,%2)").arg(figure).arg(QLatin1String(side))
                                  : QString::fromLatin1(side);
            };
            filters << QStringLiteral(
                           "scale=w=%1:h=%2:force_original_aspect_ratio=decrease:force_divisible_by=2")
                           .arg(bound(job.width, "iw"), bound(job.height, "ih"));
        } else {
            filters << QStringLiteral("scale=%1:%2").arg(job.width).arg(job.height);
        }
        // After the scale: a high dynamic range source is most often made smaller on the way to standard
        // range, and the tone mapping, in floating point, costs by the pixel.
        if (toneMaps(job))
            filters << toneMapFilter(job.hdr);
        // Like with like: the source as the encoder saw it, before the scale (the comparison sizes it).
        QStringList compared = filters;
        compared.removeAt(compared.size() - (toneMaps(job) ? 2 : 1));
        if (burnt && !burnPicture)
            compared.removeAt(job.deinterlaces() ? 1 : 0);
        comparedFilters = compared.join(QLatin1Char(','));
        // VAAPI encodes frames that live on the card: the software picture is finished, then uploaded.
        if (family == EncoderFamily::Vaapi)
            filters << QStringLiteral("format=nv12,hwupload");
        if (burnPicture) {
            const QString before = filters.mid(0, beforeOverlay).join(QLatin1Char(','));
            const QString after = filters.mid(beforeOverlay).join(QLatin1Char(','));
            QString graph = QLatin1Char('[') + videoAddress + QLatin1Char(']');
            if (!before.isEmpty())
                graph += before + QStringLiteral("[main];[main]");
            graph += QStringLiteral("[0:s:%1]overlay=eof_action=pass,").arg(burnt->position) + after +
                     QStringLiteral("[burnt]");
            cmd += QStringLiteral("-filter_complex ") + word(graph) + QLatin1Char(' ');
        } else {
            // Only a burnt subtitle (the source's name) and a bound size (its expressions) bring characters
            // the shell would read into the filters.
            const QString chain = filters.join(QLatin1Char(','));
            cmd += QStringLiteral("-vf ") + (burnt || job.fitWithin ? shellQuote(chain) : chain) +
                   QLatin1Char(' ');
        }
    }

    cmd += QStringLiteral("-map ") + (burnPicture ? word(QStringLiteral("[burnt]")) : videoAddress) +
           QLatin1Char(' ');
    cmd += QStringLiteral("-c:v ") + rawText(job.videoEncoder) + QLatin1Char(' ');
    cmd += *rate;
    cmd += presetOptions(job.videoEncoder, job.videoPreset);
    const bool tenBit = !copyVideo && keepsTenBit(job);
    QString profile = profileWord(job.videoEncoder, job.videoProfile);
    // HEVC's main profile is 8-bit; without it x265 chooses Main 10 for ten-bit samples.
    if (tenBit && profile == QLatin1String("main"))
        profile.clear();
    if (!profile.isEmpty())
        cmd += QStringLiteral("-profile:v ") + profile + QLatin1Char(' ');
    if (takesTune(job.videoEncoder, job.videoTune))
        cmd += QStringLiteral("-tune ") + rawText(job.videoTune) + QLatin1Char(' ');
    // Uploaded VAAPI frames keep their own format; QSV takes nv12 rather than converting yuv420p itself.
    if (family == EncoderFamily::Qsv)
        cmd += QStringLiteral("-pix_fmt nv12 ");
    else if (family != EncoderFamily::Vaapi && !copyVideo)
        cmd += tenBit ? QStringLiteral("-pix_fmt yuv420p10le ") : QStringLiteral("-pix_fmt yuv420p ");
    // The picture's colours as written; a copied stream keeps its own.
    if (toneMaps(job))
        cmd += QStringLiteral("-color_primaries bt709 -color_trc bt709 -colorspace bt709 ");
    else
        cmd += hdrOptions(job);

    const QStringList audioLines = chosenAudioLines(job);
    for (const QString &line : std::as_const(audioLines)) {
        if (context.writeDiagnostics)
            writeDiagnostic(QStringLiteral("Encode audioTrack ") + line);
        const QString address = streamAddress(line);
        cmd += QStringLiteral("-map ") + (address.isEmpty() ? QStringLiteral("0:1") : address) +
               QLatin1Char(' ');
        cmd += QStringLiteral("-c:a ") + rawText(job.audioEncoder) + QLatin1Char(' ');
        if (job.audioEncoder != AudioEncoders::copy) {
            // FLAC is lossless: its size follows the sound, not a bitrate.
            if (job.audioDebit >= 1 && job.audioEncoder != AudioEncoders::flac)
                cmd += QStringLiteral("-b:a %1k ").arg(job.audioDebit);
            // MP3 carries two channels at most; the other encoders take the source's layout (ffmpeg folds
            // more than AC-3's 5.1 down to it). libopus takes only its own layouts and refuses the rest,
            // such as the 5.1(side) of every AC-3 decoder: those are brought to the nearest of its own.
            if (job.audioChannels == AudioChannels::Stereo || job.audioEncoder == AudioEncoders::libmp3lame)
                cmd += QStringLiteral("-ac 2 ");
            else if (job.audioEncoder == AudioEncoders::libopus)
                cmd += QStringLiteral("-af 'aformat=channel_layouts=mono|stereo|3.0|quad|5.0|5.1|6.1|7.1' ");
            if (job.audioSampling >= 1)
                cmd += QStringLiteral("-ar %1 ").arg(audioSamplingFor(job.audioEncoder, job.audioSampling));
        }
        cmd += QStringLiteral("-async 1 ");
    }

    // A missing external file is left out here; the editor tells about it.
    const SubtitleCheck subtitles = checkSubtitles(job, exists);
    if (subtitles.problem == SubtitleCheck::Problem::PictureInMp4)
        return {{}, subtitles.reason};
    // Matroska takes every subtitle as it is; MP4 and WebM take text in their own format, and picture
    // subtitles are left out (the job's row says so).
    const Container container = containerOf(job);
    const bool mp4 = container == Container::Mp4;
    const bool matroska = container == Container::Matroska;
    const QString subtitleCodec = matroska ? QStringLiteral("copy")
                                  : mp4    ? QStringLiteral("mov_text")
                                           : QStringLiteral("webvtt");
    const QList<SubtitleStream> subtitleStreams = subtitlePlan(job).kept;
    for (const SubtitleStream &stream : subtitleStreams)
        cmd += QStringLiteral("-map 0:s:%1 ").arg(stream.position);
    if (!subtitleStreams.isEmpty())
        cmd += QStringLiteral("-c:s ") + subtitleCodec + QLatin1Char(' ');

    if (externalSubtitle) {
        // The external stream comes after the source's own, so its output index is their number.
        const int index = int(subtitleStreams.size());
        cmd += QStringLiteral("-map 1:0 ");
        if (!matroska && subtitleStreams.isEmpty())
            cmd += QStringLiteral("-c:s ") + subtitleCodec + QLatin1Char(' ');
        cmd += QStringLiteral("-disposition:s:%1 0 ").arg(index);
        if (!job.subtitleLanguage.isEmpty())
            cmd += QStringLiteral("-metadata:s:s:%1 ").arg(index) +
                   word(QStringLiteral("language=") + job.subtitleLanguage) + QLatin1Char(' ');
    }

    const QString ownParams = parameters(job.otherParam);
    if (!ownParams.isEmpty())
        cmd += ownParams + QLatin1Char(' ');

    switch (container) {
    case Container::Mp4:
        // Apple's players want HEVC tagged hvc1, a copied HEVC stream too.
        if (job.isQuicktime && (isHevc(job.videoEncoder) ||
                                (copyVideo && trackFormat(videoLine).startsWith(QLatin1String("HEVC")))))
            cmd += QStringLiteral("-tag:v hvc1 ");
        cmd += QStringLiteral("-f mp4 ");
        break;
    case Container::Matroska:
        cmd += QStringLiteral("-f matroska ");
        break;
    case Container::WebM:
        cmd += QStringLiteral("-f webm ");
        break;
    }
    cmd += shellQuote(outputPath(job.destination));
    return {cmd, {}, videoAddress, comparedFilters};
}
