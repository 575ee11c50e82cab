#include "tools/CommandLine.h"

#include "model/MediaVideo.h"
#include "model/Preferences.h"
#include "tools/Crop.h"
#include "tools/Log.h"
#include "tools/ShellQuote.h"
#include "tools/ToolRunner.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("CommandLine", text);
}

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

bool takesProfile(VideoEncoders encoder, VideoProfiles profile)
{
    switch (encoder) {
    case VideoEncoders::libx264:
        return true;
    case VideoEncoders::h264_videotoolbox:
        return profile == VideoProfiles::baseline || profile == VideoProfiles::main ||
               profile == VideoProfiles::high;
    case VideoEncoders::libx265:
    case VideoEncoders::hevc_videotoolbox:
        return profile == VideoProfiles::main;
    }
    return false;
}

bool takesTune(VideoEncoders encoder, VideoTunes tune)
{
    switch (encoder) {
    case VideoEncoders::libx264:
    case VideoEncoders::h264_videotoolbox:
        return true;
    case VideoEncoders::libx265:
    case VideoEncoders::hevc_videotoolbox:
        return tune != VideoTunes::film && tune != VideoTunes::stillimage;
    }
    return false;
}

// A list index as stored; one past the list reads as the first entry.
int storedIndex(int index, qsizetype size)
{
    return index >= 0 && index < size ? index : 0;
}

// The Format word of a subtitle line ("%ID% %Format% %Language/String%").
QString subtitleFormat(const QString &line)
{
    const QStringList words = line.trimmed().split(QLatin1Char(' '));
    return words.size() > 1 ? words[1] : QString();
}

bool isPictureSubtitle(const QString &format)
{
    static const QSet<QString> pictures{QStringLiteral("PGS"), QStringLiteral("VobSub"),
                                        QStringLiteral("DVB"), QStringLiteral("DVD"),
                                        QStringLiteral("RLE"), QStringLiteral("XSUB")};
    return pictures.contains(format);
}

} // namespace

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
                job.probeError.isEmpty() ? tr("“%1” has no video stream to encode.").arg(job.source)
                                         : job.probeError};

    QString cmd = shellQuote(context.ffmpegPath) + QStringLiteral(" -hide_banner ");
    const QString globalParams = joinParameters(splitParameters(context.globalParams));
    if (!globalParams.isEmpty())
        cmd += globalParams + QLatin1Char(' ');
    cmd += QStringLiteral("-y -i ") + shellQuote(job.source) + QLatin1Char(' ');

    const auto exists = [&context](const QString &path) {
        return context.fileExists ? context.fileExists(path) : QFileInfo(path).isFile();
    };
    const bool externalSubtitle = !job.subtitleExternal.isEmpty() && exists(job.subtitleExternal);
    if (externalSubtitle)
        cmd += QStringLiteral("-i ") + shellQuote(job.subtitleExternal) + QLatin1Char(' ');

    QStringList filters;
    if (job.deInterlace)
        filters << QStringLiteral("yadif=0:-1:0");
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
            return {{}, tr("The crop “%1” is not of the form width:height:x:y.").arg(job.videoCrop)};
        // The numbers that were checked, not the text around them (a stored newline would end the command).
        filters << QStringLiteral("crop=%1:%2:%3:%4")
                       .arg(crop->width())
                       .arg(crop->height())
                       .arg(crop->x())
                       .arg(crop->y());
    }
    filters << QStringLiteral("scale=%1:%2").arg(job.width).arg(job.height);
    cmd += QStringLiteral("-vf ") + filters.join(QLatin1Char(',')) + QLatin1Char(' ');

    const QString videoLine = job.videoTracks.at(storedIndex(job.videoTrack, job.videoTracks.size()));
    const QString videoAddress = streamAddress(videoLine);
    cmd += QStringLiteral("-map ") + (videoAddress.isEmpty() ? QStringLiteral("0:0") : videoAddress) +
           QLatin1Char(' ');
    cmd += QStringLiteral("-c:v ") + rawText(job.videoEncoder) + QLatin1Char(' ');
    if (job.videoDebit >= 1)
        cmd += QStringLiteral("-b:v %1k ").arg(job.videoDebit);
    if (job.videoPreset != VideoPresets::Auto)
        cmd += QStringLiteral("-preset ") + rawText(job.videoPreset) + QLatin1Char(' ');
    if (job.videoProfile != VideoProfiles::Auto && takesProfile(job.videoEncoder, job.videoProfile))
        cmd += QStringLiteral("-profile:v ") + rawText(job.videoProfile) + QLatin1Char(' ');
    if (job.videoTune != VideoTunes::Auto && takesTune(job.videoEncoder, job.videoTune))
        cmd += QStringLiteral("-tune ") + rawText(job.videoTune) + QLatin1Char(' ');
    cmd += QStringLiteral("-pix_fmt yuv420p ");

    // Entry 0 is the summary: every stream; a source without audio has nothing after it.
    QStringList audioLines;
    const int audioTrack = storedIndex(job.audioTrack, job.audioTracks.size());
    if (audioTrack == 0)
        audioLines = job.audioTracks.mid(1);
    else
        audioLines << job.audioTracks.at(audioTrack);
    for (const QString &line : std::as_const(audioLines)) {
        if (context.writeDiagnostics)
            writeDiagnostic(QStringLiteral("Encode audioTrack ") + line);
        const QString address = streamAddress(line);
        cmd += QStringLiteral("-map ") + (address.isEmpty() ? QStringLiteral("0:1") : address) +
               QLatin1Char(' ');
        cmd += QStringLiteral("-c:a ") + rawText(job.audioEncoder) + QLatin1Char(' ');
        if (job.audioEncoder != AudioEncoders::copy) {
            if (job.audioDebit >= 1)
                cmd += QStringLiteral("-b:a %1k ").arg(job.audioDebit);
            cmd += QStringLiteral("-ac 2 ");
            if (job.audioSampling >= 1)
                cmd += QStringLiteral("-ar %1 ").arg(job.audioSampling);
        }
        cmd += QStringLiteral("-async 1 ");
    }

    // Subtitle streams of the source: [] / ["No subtitle", s1] / ["No subtitle", summary, s1, s2, ...].
    QStringList subtitleLines;
    QList<int> subtitlePositions; // among the source's subtitle streams
    const int subtitleTrack = storedIndex(job.subtitleTrack, job.subtitleTracks.size());
    const int firstStream = job.subtitleTracks.size() > 2 ? 2 : 1;
    if (subtitleTrack >= 1) {
        const bool all = subtitleTrack < firstStream;
        for (int i = firstStream; i < job.subtitleTracks.size(); ++i) {
            if (all || i == subtitleTrack) {
                subtitleLines << job.subtitleTracks.at(i);
                subtitlePositions << i - firstStream;
            }
        }
    }
    const bool mp4 = job.container == 0;
    for (int i = 0; i < subtitleLines.size(); ++i) {
        const QString format = subtitleFormat(subtitleLines[i]);
        if (mp4 && isPictureSubtitle(format))
            return {{},
                    tr("The subtitle stream “%1” is a picture subtitle (%2), which MP4 cannot hold; choose "
                       "Matroska "
                       "or no subtitle stream.")
                        .arg(subtitleLines[i].trimmed(), format)};
        cmd += QStringLiteral("-map 0:s:%1 ").arg(subtitlePositions[i]);
    }
    if (!subtitleLines.isEmpty())
        cmd += mp4 ? QStringLiteral("-c:s mov_text ") : QStringLiteral("-c:s copy ");

    if (externalSubtitle) {
        // The external stream comes after the source's own, so its output index is their number.
        const int index = int(subtitleLines.size());
        cmd += QStringLiteral("-map 1:0 ");
        if (mp4 && subtitleLines.isEmpty())
            cmd += QStringLiteral("-c:s mov_text ");
        cmd += QStringLiteral("-disposition:s:%1 0 ").arg(index);
        if (!job.subtitleLanguage.isEmpty())
            cmd += QStringLiteral("-metadata:s:s:%1 ").arg(index) +
                   word(QStringLiteral("language=") + job.subtitleLanguage) + QLatin1Char(' ');
    }

    const QString ownParams = joinParameters(splitParameters(job.otherParam));
    if (!ownParams.isEmpty())
        cmd += ownParams + QLatin1Char(' ');

    if (!mp4) {
        cmd += QStringLiteral("-f matroska ");
    } else {
        if (job.isQuicktime && (job.videoEncoder == VideoEncoders::libx265 ||
                                job.videoEncoder == VideoEncoders::hevc_videotoolbox))
            cmd += QStringLiteral("-tag:v hvc1 ");
        cmd += QStringLiteral("-f mp4 ");
    }
    cmd += shellQuote(outputPath(job.destination));
    return {cmd, {}};
}

CommandLine commandLine(const MediaVideo &job, const ToolRunner &tools, CropDetection crop)
{
    const ToolLocation ffmpeg = tools.locateTool(QStringLiteral("ffmpeg"));
    if (!ffmpeg.ok())
        return {{}, ffmpeg.error};
    CommandContext context;
    context.ffmpegPath = ffmpeg.path;
    context.globalParams = Preferences::readText(Preferences::Key::otherParams).value_or(QString());
    if (crop == CropDetection::Run)
        context.detectCrop = [&] { return detectCrop(tools, job.source, job.durationVideoMiddle); };
    else
        context.detectCrop = [] { return QString::fromLatin1(DetectedCropPlaceholder); };
    // A command built only to be shown (the editor rebuilds it on every change) tells nothing on stdout.
    context.writeDiagnostics = crop == CropDetection::Run;
    return buildCommandLine(job, context);
}
