#include "cli/CliSettings.h"

#include "media/EncoderCatalog.h"
#include "media/MediaProbe.h"
#include "model/JobJson.h"
#include "model/Preferences.h"
#include "process/ToolRunner.h"
#include "rules/CrfSearch.h"
#include "rules/Crop.h"
#include "rules/CropPresets.h"
#include "rules/JobRules.h"
#include "rules/OutputName.h"
#include "rules/ShellQuote.h"
#include "store/PresetLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

#include <cmath>
#include <cstdio>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("tavrix-cli", text);
}

std::optional<int> readWhole(const QString &text, int min, int max)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < min || value > max)
        return std::nullopt;
    return value;
}

template<typename E>
bool readCase(const QCommandLineParser &parser, const char *name, std::optional<E> &out, QString &error)
{
    const QString option = QString::fromLatin1(name);
    if (!parser.isSet(option))
        return true;
    const QString value = parser.value(option);
    out = caseFromRawText<E>(value);
    if (!out) {
        error = tr("--%1: unknown value “%2”; expected one of: %3")
                    .arg(option, value, rawTexts<E>().join(QStringLiteral(", ")));
        return false;
    }
    return true;
}

// A bitrate or sampling rate: a whole number from 0 to `max`, or "auto" for 0.
bool readRate(const QCommandLineParser &parser, const char *name, int max, std::optional<int> &out,
              QString &error)
{
    const QString option = QString::fromLatin1(name);
    if (!parser.isSet(option))
        return true;
    const QString value = parser.value(option);
    if (value.compare(QStringLiteral("auto"), Qt::CaseInsensitive) == 0) {
        out = 0;
        return true;
    }
    out = readWhole(value, 0, max);
    if (!out)
        error = tr("--%1: “%2” is not a whole number from 0 to %3, nor auto").arg(option, value).arg(max);
    return bool(out);
}

// An output size: pixels, or "auto" for -2.
bool readSize(const QCommandLineParser &parser, const char *name, std::optional<int> &out, QString &error)
{
    const QString option = QString::fromLatin1(name);
    if (!parser.isSet(option))
        return true;
    const QString value = parser.value(option);
    if (value.compare(QStringLiteral("auto"), Qt::CaseInsensitive) == 0) {
        out = -2;
        return true;
    }
    out = readWhole(value, 1, Lists::maxOutputSize);
    if (!out)
        error = tr("--%1: “%2” is not a size from 1 to %3 pixels, nor auto")
                    .arg(option, value)
                    .arg(Lists::maxOutputSize);
    return bool(out);
}

bool readIndex(const QCommandLineParser &parser, const char *name, int max, std::optional<int> &out,
               QString &error)
{
    const QString option = QString::fromLatin1(name);
    if (!parser.isSet(option))
        return true;
    out = readWhole(parser.value(option), 0, max);
    if (!out)
        error =
            tr("--%1: “%2” is not a whole number from 0 to %3").arg(option, parser.value(option)).arg(max);
    return bool(out);
}

// "all", "none" or "N[,N...]" (numbers from 1).
bool readTracks(const QCommandLineParser &parser, const char *name, std::optional<TrackChoice> &out,
                QString &error)
{
    const QString option = QString::fromLatin1(name);
    if (!parser.isSet(option))
        return true;
    const QString value = parser.value(option).trimmed();
    TrackChoice choice;
    if (value == QLatin1String("all")) {
        choice.all = true;
    } else if (value != QLatin1String("none")) {
        for (const QString &part : value.split(QLatin1Char(','))) {
            const std::optional<int> n = readWhole(part.trimmed(), 1, 999);
            if (!n) {
                error = tr("--%1: “%2” is not all, none nor a list of track numbers from 1 (1,3)")
                            .arg(option, parser.value(option));
                return false;
            }
            if (!choice.numbers.contains(*n))
                choice.numbers << *n;
        }
    }
    out = choice;
    return true;
}

bool isTypedCrop(const QString &text)
{
    return parseCrop(text, {.maxDigits = TypedCropDigits}).has_value();
}

} // namespace

void addSettingsOptions(QCommandLineParser &parser)
{
    const auto add = [&parser](const QString &name, const QString &description,
                               const QString &valueName = {}) {
        parser.addOption(QCommandLineOption(name, description, valueName));
    };
    add(QStringLiteral("dest"), tr("Write the outputs into DIR (default: beside each source)."),
        QStringLiteral("DIR"));
    add(QStringLiteral("container"),
        tr("Output container: mp4, mkv or webm (VP9 or AV1 video, Opus or Vorbis audio)."),
        QStringLiteral("mp4|mkv|webm"));
    add(QStringLiteral("video-encoder"),
        tr("Video encoder: %1.").arg(rawTexts<VideoEncoders>().join(QStringLiteral(", "))),
        QStringLiteral("NAME"));
    add(QStringLiteral("video-bitrate"), tr("Video bitrate in kbit/s, or auto."), QStringLiteral("KBITS"));
    add(QStringLiteral("quality"),
        tr("Constant quality instead of a bitrate, lower is better: 0 to 63 for libsvtav1 and libvpx-vp9 "
           "(-crf), "
           "0 to 51 for the others: -crf for libx264 and libx265, -qp for VAAPI, -cq for NVENC, "
           "-global_quality "
           "for QSV (none for VideoToolbox)."),
        QStringLiteral("N"));
    add(QStringLiteral("target-quality"),
        tr("Search each job's constant quality for the smallest file that keeps this quality: "
           "visually-lossless (SSIM 0.993), high (0.985), good (0.975) or small (0.960)."),
        QStringLiteral("LEVEL"));
    add(QStringLiteral("target-ssim"),
        tr("Search each job's constant quality for the smallest file whose SSIM against the source is at "
           "least X, from 0.900 to 0.9999."),
        QStringLiteral("X"));
    add(QStringLiteral("preset"),
        tr("Encoder preset: %1.").arg(rawTexts<VideoPresets>().join(QStringLiteral(", "))),
        QStringLiteral("NAME"));
    add(QStringLiteral("profile"),
        tr("Encoder profile: %1.").arg(rawTexts<VideoProfiles>().join(QStringLiteral(", "))),
        QStringLiteral("NAME"));
    add(QStringLiteral("tune"),
        tr("Encoder tune: %1.").arg(rawTexts<VideoTunes>().join(QStringLiteral(", "))),
        QStringLiteral("NAME"));
    add(QStringLiteral("use-preset"),
        tr("Start from the settings of this preset (a name from 'presets list', or a preset file); the "
           "settings given beside it override it."),
        QStringLiteral("NAME|FILE"));
    add(QStringLiteral("fit-within"),
        tr("Make the picture no larger than WxH, its shape kept; a smaller one is never enlarged."),
        QStringLiteral("WxH"));
    add(QStringLiteral("width"), tr("Output width in pixels, or auto."), QStringLiteral("PIXELS"));
    add(QStringLiteral("height"), tr("Output height in pixels, or auto."), QStringLiteral("PIXELS"));
    add(QStringLiteral("crop"),
        tr("Crop: none, detect (when encoding), W:H:X:Y, or a preset name such as 2:35.1."),
        QStringLiteral("CROP"));
    add(QStringLiteral("deinterlace"), tr("Deinterlace the picture."));
    add(QStringLiteral("no-deinterlace"), tr("Do not deinterlace."));
    add(QStringLiteral("deinterlace-auto"), tr("Deinterlace only a source mediainfo finds interlaced."));
    add(QStringLiteral("quicktime"), tr("Tag HEVC in MP4 as hvc1 for QuickTime."));
    add(QStringLiteral("no-quicktime"), tr("Do not add the hvc1 tag."));
    add(QStringLiteral("audio-encoder"),
        tr("Audio encoder: %1.").arg(rawTexts<AudioEncoders>().join(QStringLiteral(", "))),
        QStringLiteral("NAME"));
    add(QStringLiteral("audio-bitrate"), tr("Audio bitrate in kbit/s, or auto."), QStringLiteral("KBITS"));
    add(QStringLiteral("audio-sampling"), tr("Audio sampling rate in Hz, or auto."), QStringLiteral("HZ"));
    add(QStringLiteral("audio-channels"),
        tr("Audio channels: stereo (two), or keep the source's layout, surround included (MP3 keeps two)."),
        QStringLiteral("stereo|keep"));
    add(QStringLiteral("hdr"),
        tr("High dynamic range (HDR10, HLG): keep it where the encoder carries it (libx265; the others "
           "convert), or convert to standard range BT.709 (sdr)."),
        QStringLiteral("keep|sdr"));
    add(QStringLiteral("audio-track"), tr("Audio track to encode, from 1; 0 encodes every track."),
        QStringLiteral("N"));
    add(QStringLiteral("video-track"), tr("Video track to encode, from 0."), QStringLiteral("N"));
    add(QStringLiteral("audio-tracks"),
        tr("Audio tracks to keep, numbered from 1 as probe lists them: all, none, or N[,N...]."),
        QStringLiteral("LIST"));
    add(QStringLiteral("audio-languages"),
        tr("Keep the audio tracks in these languages (e.g. eng,fra); the first track when none is."),
        QStringLiteral("LANG,..."));
    add(QStringLiteral("subtitle-tracks"),
        tr("Subtitle tracks of the source to keep (all by default): all, none, or N[,N...]."),
        QStringLiteral("LIST"));
    add(QStringLiteral("subtitle-languages"), tr("Keep the subtitle tracks in these languages only."),
        QStringLiteral("LANG,..."));
    add(QStringLiteral("burn-subtitle"), tr("Draw subtitle track N (from 1) into the picture."),
        QStringLiteral("N"));
    add(QStringLiteral("keep-date"), tr("Give each output the modification time of its source."));
    add(QStringLiteral("subtitle"), tr("External subtitle file to add."), QStringLiteral("FILE"));
    add(QStringLiteral("subtitle-language"), tr("Language code of the external subtitle, e.g. eng."),
        QStringLiteral("CODE"));
    add(QStringLiteral("params"), tr("Extra ffmpeg output options for each job."), QStringLiteral("TEXT"));
    add(QStringLiteral("template"),
        tr("Output name: 0 keeps the source name, 1 is {source}, 2 is {source}_{videoCodec}_{audioCodec}."),
        QStringLiteral("0|1|2"));
    add(QStringLiteral("keep-larger"),
        tr("A converted file larger than its source: yes keeps it, no removes it and keeps the source only "
           "(the job is then not run). Default: the stored choice (yes unless set)."),
        QStringLiteral("yes|no"));
    add(QStringLiteral("skip-same-format"),
        tr("Leave out sources whose video codec and container are already the job's (H.264 in MP4 for "
           "libx264 and mp4)."));
    add(QStringLiteral("check-quality"),
        tr("Compare each converted file with its source (SSIM, PSNR) and print how close it came."));
    add(QStringLiteral("existing"),
        tr("When the output exists (or is the source): rename writes to the first free name (clip-1.mp4), "
           "skip leaves the job out, overwrite replaces the file once the new one is complete. Default: the "
           "stored choice (rename unless set)."),
        QStringLiteral("rename|skip|overwrite"));
}

std::optional<CliSettings> readSettings(const QCommandLineParser &parser, QString &error)
{
    CliSettings s;
    if (parser.isSet(QStringLiteral("dest"))) {
        const QString dir = parser.value(QStringLiteral("dest"));
        if (!QFileInfo(dir).isDir()) {
            error = tr("--dest: “%1” is not a directory").arg(dir);
            return std::nullopt;
        }
        s.dest = QFileInfo(dir).absoluteFilePath();
    }
    if (parser.isSet(QStringLiteral("container"))) {
        const int index = int(Lists::containers().indexOf(parser.value(QStringLiteral("container"))));
        if (index < 0) {
            error = tr("--container: “%1” is not one of: %2")
                        .arg(parser.value(QStringLiteral("container")),
                             Lists::containers().join(QStringLiteral(", ")));
            return std::nullopt;
        }
        s.container = index;
    }
    if (!readCase(parser, "video-encoder", s.videoEncoder, error) ||
        !readCase(parser, "preset", s.preset, error) || !readCase(parser, "profile", s.profile, error) ||
        !readCase(parser, "tune", s.tune, error) ||
        !readCase(parser, "audio-encoder", s.audioEncoder, error) ||
        !readCase(parser, "audio-channels", s.audioChannels, error) ||
        !readCase(parser, "hdr", s.hdrOutput, error) ||
        !readRate(parser, "video-bitrate", Lists::maxVideoDebit, s.videoDebit, error) ||
        !readRate(parser, "audio-bitrate", Lists::maxAudioDebit, s.audioDebit, error) ||
        !readRate(parser, "audio-sampling", Lists::maxAudioSampling, s.audioSampling, error) ||
        !readSize(parser, "width", s.width, error) || !readSize(parser, "height", s.height, error) ||
        !readIndex(parser, "audio-track", 999, s.audioTrack, error) ||
        !readIndex(parser, "video-track", 999, s.videoTrack, error) ||
        !readTracks(parser, "audio-tracks", s.audioTracks, error) ||
        !readTracks(parser, "subtitle-tracks", s.subtitleTracks, error) ||
        !readIndex(parser, "template", int(Lists::nameTemplates().size()) - 1, s.templateIndex, error))
        return std::nullopt;
    if (parser.isSet(QStringLiteral("use-preset"))) {
        const QString name = parser.value(QStringLiteral("use-preset"));
        QString problem;
        s.usePreset = presetLibrary().findNameOrFile(name, {}, problem);
        if (s.usePreset && !s.usePreset->usable())
            problem = s.usePreset->problem;
        if (!s.usePreset || !problem.isEmpty()) {
            error = tr("--use-preset: “%1”: %2").arg(name, problem);
            return std::nullopt;
        }
    }
    if (parser.isSet(QStringLiteral("fit-within"))) {
        const QString text = parser.value(QStringLiteral("fit-within"));
        const QStringList sides = text.split(QLatin1Char('x'));
        const std::optional<int> w = readWhole(sides.value(0), 1, Lists::maxOutputSize);
        const std::optional<int> h = readWhole(sides.value(1), 1, Lists::maxOutputSize);
        if (sides.size() != 2 || !w || !h) {
            error = tr("--fit-within: “%1” is not WIDTHxHEIGHT in pixels (1280x720)").arg(text);
            return std::nullopt;
        }
        if (s.width || s.height) {
            error = tr("--fit-within and --width or --height contradict each other");
            return std::nullopt;
        }
        s.width = w;
        s.height = h;
        s.fitWithin = true;
    }
    if (parser.isSet(QStringLiteral("quality"))) {
        if (s.videoDebit) {
            error = tr("--quality and --video-bitrate contradict each other");
            return std::nullopt;
        }
        // Without --video-encoder the stored one decides; applySettings() checks the figure against it.
        const int max = s.videoEncoder ? maxVideoQuality(*s.videoEncoder) : Lists::maxVideoQuality;
        s.quality = readWhole(parser.value(QStringLiteral("quality")), Lists::minVideoQuality, max);
        if (!s.quality) {
            error = tr("--quality: “%1” is not a whole number from %2 to %3")
                        .arg(parser.value(QStringLiteral("quality")))
                        .arg(Lists::minVideoQuality)
                        .arg(max);
            if (s.videoEncoder)
                error += tr(" (the scale of %1)").arg(rawText(*s.videoEncoder));
            return std::nullopt;
        }
    }

    if (parser.isSet(QStringLiteral("target-quality")) || parser.isSet(QStringLiteral("target-ssim"))) {
        if (s.videoDebit || s.quality ||
            (parser.isSet(QStringLiteral("target-quality")) && parser.isSet(QStringLiteral("target-ssim")))) {
            error =
                tr("--target-quality, --target-ssim, --quality and --video-bitrate contradict each other");
            return std::nullopt;
        }
        if (parser.isSet(QStringLiteral("target-quality"))) {
            const QString name = parser.value(QStringLiteral("target-quality"));
            const std::optional<QualityLevel> level = levelNamed(name);
            if (!level) {
                error = tr("--target-quality: “%1” is not visually-lossless, high, good nor small").arg(name);
                return std::nullopt;
            }
            s.qualityTarget = int(std::lround(level->ssim * 10000));
        } else {
            const QString text = parser.value(QStringLiteral("target-ssim"));
            bool ok = false;
            const double ssim = text.toDouble(&ok);
            const int target = ok ? int(std::lround(ssim * 10000)) : 0;
            if (!ok || target < Lists::minQualityTarget || target > Lists::maxQualityTarget) {
                error = tr("--target-ssim: “%1” is not a number from 0.900 to 0.9999").arg(text);
                return std::nullopt;
            }
            s.qualityTarget = target;
        }
    }

    for (const auto &[on, off, target] : {std::tuple{"deinterlace", "no-deinterlace", &s.deinterlace},
                                          std::tuple{"quicktime", "no-quicktime", &s.quicktime}}) {
        const bool yes = parser.isSet(QString::fromLatin1(on));
        const bool no = parser.isSet(QString::fromLatin1(off));
        if (yes && no) {
            error = tr("--%1 and --%2 contradict each other")
                        .arg(QString::fromLatin1(on), QString::fromLatin1(off));
            return std::nullopt;
        }
        if (yes || no)
            *target = yes;
    }
    s.deinterlaceAuto = parser.isSet(QStringLiteral("deinterlace-auto"));
    if (s.deinterlaceAuto && s.deinterlace) {
        error = tr("--deinterlace-auto and --%1 contradict each other")
                    .arg(*s.deinterlace ? QStringLiteral("deinterlace") : QStringLiteral("no-deinterlace"));
        return std::nullopt;
    }

    if (parser.isSet(QStringLiteral("crop"))) {
        const QString crop = parser.value(QStringLiteral("crop"));
        if (crop != QLatin1String("none") && crop != QLatin1String("detect") && !isTypedCrop(crop) &&
            cropPresetIndex(crop) < 0) {
            error = tr("--crop: “%1” is not none, detect, W:H:X:Y nor a preset name").arg(crop);
            return std::nullopt;
        }
        s.crop = crop;
    }
    if (parser.isSet(QStringLiteral("subtitle"))) {
        const QString file = parser.value(QStringLiteral("subtitle"));
        if (!QFileInfo(file).isFile()) {
            error = tr("--subtitle: “%1” is not a file").arg(file);
            return std::nullopt;
        }
        s.subtitle = QFileInfo(file).absoluteFilePath();
    }
    if (s.audioTrack && s.audioTracks) {
        error = tr("--audio-track and --audio-tracks contradict each other");
        return std::nullopt;
    }
    for (const auto &[name, target] : {std::pair{"audio-languages", &s.audioLanguages},
                                       std::pair{"subtitle-languages", &s.subtitleLanguages}}) {
        const QString option = QString::fromLatin1(name);
        if (!parser.isSet(option))
            continue;
        if (languageList(parser.value(option)).isEmpty()) {
            error = tr("--%1: name at least one language (eng,fra)").arg(option);
            return std::nullopt;
        }
        *target = parser.value(option);
    }
    if (parser.isSet(QStringLiteral("burn-subtitle"))) {
        s.burnSubtitle = readWhole(parser.value(QStringLiteral("burn-subtitle")), 1, 999);
        if (!s.burnSubtitle) {
            error = tr("--burn-subtitle: “%1” is not a track number from 1")
                        .arg(parser.value(QStringLiteral("burn-subtitle")));
            return std::nullopt;
        }
    }
    s.keepDate = parser.isSet(QStringLiteral("keep-date"));
    if (parser.isSet(QStringLiteral("subtitle-language")))
        s.subtitleLanguage = parser.value(QStringLiteral("subtitle-language"));
    if (parser.isSet(QStringLiteral("params")))
        s.params = parser.value(QStringLiteral("params"));
    if (parser.isSet(QStringLiteral("keep-larger"))) {
        const QString value = parser.value(QStringLiteral("keep-larger"));
        if (value != QLatin1String("yes") && value != QLatin1String("no")) {
            error = tr("--keep-larger: “%1” is not yes nor no").arg(value);
            return std::nullopt;
        }
        s.keepLarger = value == QLatin1String("yes");
    }
    s.skipSameFormat = parser.isSet(QStringLiteral("skip-same-format"));
    s.checkQuality = parser.isSet(QStringLiteral("check-quality"));
    if (parser.isSet(QStringLiteral("existing"))) {
        const QString value = parser.value(QStringLiteral("existing"));
        static const QStringList names{QStringLiteral("rename"), QStringLiteral("skip"),
                                       QStringLiteral("overwrite")};
        const qsizetype index = names.indexOf(value);
        if (index < 0) {
            error = tr("--existing: “%1” is not rename, skip nor overwrite").arg(value);
            return std::nullopt;
        }
        s.existing = Preferences::ExistingOutput(index);
    }
    return s;
}

QString sourceProblem(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return info.isSymLink() ? tr("the link leads nowhere") : tr("no such file");
    if (info.isDir())
        return tr("is a directory, not a file");
    if (!info.isFile())
        return tr("is not a regular file");
    if (!info.isReadable())
        return tr("cannot be read (permission denied)");
    return {};
}

namespace {

enum class TrackKind { Video, Audio, Subtitle };

// `count` streams of the kind, of which `asked` is not one.
QString missingTrack(TrackKind kind, qsizetype count, int asked)
{
    const int k = int(kind);
    if (count == 0) {
        const QString texts[] = {tr("The source has no video track; track %1 was asked for."),
                                 tr("The source has no audio track; track %1 was asked for."),
                                 tr("The source has no subtitle track; track %1 was asked for.")};
        return texts[k].arg(asked);
    }
    if (count == 1) {
        const QString texts[] = {tr("The source has 1 video track; track %1 was asked for."),
                                 tr("The source has 1 audio track; track %1 was asked for."),
                                 tr("The source has 1 subtitle track; track %1 was asked for.")};
        return texts[k].arg(asked);
    }
    const QString texts[] = {tr("The source has %1 video tracks; track %2 was asked for."),
                             tr("The source has %1 audio tracks; track %2 was asked for."),
                             tr("The source has %1 subtitle tracks; track %2 was asked for.")};
    return texts[k].arg(count).arg(asked);
}

// 1 to `count`.
QList<int> every(qsizetype count)
{
    QList<int> out;
    for (int n = 1; n <= count; ++n)
        out << n;
    return out;
}

// The first of `numbers` past `count`, or 0.
int firstMissing(const QList<int> &numbers, qsizetype count)
{
    for (const int n : numbers) {
        if (n > count)
            return n;
    }
    return 0;
}

} // namespace

JobSettings jobSettingsFrom(const CliSettings &s, JobSettings settings, bool storedQuality)
{
    if (s.container)
        settings.container = *s.container;
    if (s.videoEncoder) {
        settings.videoEncoder = *s.videoEncoder;
        // Without a stored quality the settings took the stored encoder's first one; this encoder has
        // its own.
        if (!storedQuality)
            settings.videoQuality = defaultVideoQuality(*s.videoEncoder);
    }
    // A rate given here wins over the stored choice of bitrate or quality.
    if (s.videoDebit) {
        settings.videoDebit = *s.videoDebit;
        settings.videoRate = VideoRate::Bitrate;
    }
    if (s.quality) {
        settings.videoQuality = *s.quality;
        settings.videoRate = VideoRate::Quality;
    }
    if (s.qualityTarget) {
        settings.qualityTarget = *s.qualityTarget;
        settings.videoRate = VideoRate::Target;
    }
    if (s.preset)
        settings.videoPreset = *s.preset;
    if (s.profile)
        settings.videoProfile = *s.profile;
    if (s.tune)
        settings.videoTune = *s.tune;
    if (s.width || s.height)
        settings.fitWithin = s.fitWithin;
    if (s.width)
        settings.width = *s.width;
    if (s.height)
        settings.height = *s.height;
    if (s.deinterlace || s.deinterlaceAuto) {
        settings.deInterlace = s.deinterlace.value_or(false);
        settings.deInterlaceAuto = s.deinterlaceAuto;
    }
    if (s.quicktime)
        settings.isQuicktime = *s.quicktime;
    if (s.audioEncoder)
        settings.audioEncoder = *s.audioEncoder;
    if (s.audioDebit)
        settings.audioDebit = *s.audioDebit;
    if (s.audioSampling)
        settings.audioSampling = *s.audioSampling;
    if (s.audioChannels)
        settings.audioChannels = *s.audioChannels;
    if (s.hdrOutput)
        settings.hdrOutput = *s.hdrOutput;
    if (s.subtitle)
        settings.subtitleExternal = *s.subtitle;
    if (s.subtitleLanguage)
        settings.subtitleLanguage = *s.subtitleLanguage;
    if (s.params)
        settings.otherParam = *s.params;

    if (s.audioLanguages)
        settings.audioLanguages = *s.audioLanguages;
    if (s.subtitleLanguages)
        settings.subtitleLanguages = *s.subtitleLanguages;
    if (s.templateIndex)
        settings.nameTemplate = *s.templateIndex;
    if (s.keepDate)
        settings.keepDate = true;
    return settings;
}

PresetLibrary presetLibrary()
{
    // The hardware presets follow the encoders' last checks; without them every encoder counts as working
    // and a run says which one is not.
    auto catalog = std::make_shared<EncoderCatalog>();
    catalog->loadCache(ToolRunner());
    return PresetLibrary(PresetStore(PresetStore::defaultFolder()), [catalog](VideoEncoders encoder) {
        return catalog->unavailableReason(rawText(encoder));
    });
}

JobSettings storedNewJobSettings()
{
    const PresetLibrary::NewJobSettings chosen = presetLibrary().forNewJobs(
        Preferences::jobSettings(),
        Preferences::readText(Preferences::Key::presetForNewFiles).value_or(QString()));
    if (!chosen.problem.isEmpty())
        printLine(stderr, QStringLiteral("tavrix-cli: ") + printableText(chosen.problem));
    return chosen.settings;
}

JobSettings newJobSettings(const CliSettings &cli)
{
    JobSettings base = storedNewJobSettings();
    if (cli.usePreset)
        applyPreset(base, cli.usePreset->settings, cli.usePreset->name);
    return jobSettingsFrom(cli, base,
                           cli.usePreset || !base.preset.isEmpty() ||
                               Preferences::contains(Preferences::Key::videoQuality));
}

QString applySettings(MediaVideo &probed, const QString &source, const CliSettings &s, QStringList &warnings)
{
    QString refusal;
    const QString path = QFileInfo(source).absoluteFilePath();
    const QString destination = importDestination(path, s.dest.value_or(QString()));
    if (!QFileInfo(path).isReadable())
        warnings << tr("%1: cannot be read").arg(source);
    MediaVideo *job = &probed;
    if (!job->probeError.isEmpty())
        warnings << tr("%1: %2").arg(source, job->probeError);

    if (s.quality && *s.quality > maxVideoQuality(job->videoEncoder))
        refusal = tr("--quality %1 is beyond the scale of %2, 0 to %3.")
                      .arg(*s.quality)
                      .arg(rawText(job->videoEncoder))
                      .arg(maxVideoQuality(job->videoEncoder));

    if (s.videoTrack) {
        if (*s.videoTrack < job->videoTracks.size())
            job->videoTrack = *s.videoTrack;
        else if (refusal.isEmpty())
            refusal = missingTrack(TrackKind::Video, job->videoTracks.size(), *s.videoTrack);
    }
    // Entry 0 of audioTracks is the summary, which stands for every track (0 asks for them all).
    const qsizetype audioCount = std::max<qsizetype>(0, job->audioTracks.size() - 1);
    if (s.audioTrack) {
        if (*s.audioTrack < job->audioTracks.size()) {
            job->audioTrack = *s.audioTrack;
            job->audioChoice.reset();
        } else if (refusal.isEmpty())
            refusal = missingTrack(TrackKind::Audio, audioCount, *s.audioTrack);
    }
    if (s.audioLanguages) {
        job->audioChoice.reset();
        job->audioTrack = audioCount > 0 ? 1 : 0;
        chooseTracksByLanguage(*job, *s.audioLanguages, {});
    }
    if (s.audioTracks) {
        if (const int missing = firstMissing(s.audioTracks->numbers, audioCount); missing > 0) {
            if (refusal.isEmpty())
                refusal = missingTrack(TrackKind::Audio, audioCount, missing);
        } else {
            chooseAudioTracks(*job, s.audioTracks->all ? every(audioCount) : s.audioTracks->numbers);
        }
    }
    const qsizetype subtitleCount = subtitleStreamLines(*job).size();
    if (s.subtitleLanguages) {
        job->subtitleChoice.reset();
        job->subtitleTrack = subtitleCount > 0 ? 1 : 0;
        chooseTracksByLanguage(*job, {}, *s.subtitleLanguages);
    }
    if (s.subtitleTracks) {
        if (const int missing = firstMissing(s.subtitleTracks->numbers, subtitleCount); missing > 0) {
            if (refusal.isEmpty())
                refusal = missingTrack(TrackKind::Subtitle, subtitleCount, missing);
        } else {
            chooseSubtitleTracks(*job,
                                 s.subtitleTracks->all ? every(subtitleCount) : s.subtitleTracks->numbers);
        }
    }
    if (s.burnSubtitle) {
        if (*s.burnSubtitle > subtitleCount) {
            if (refusal.isEmpty())
                refusal = missingTrack(TrackKind::Subtitle, subtitleCount, *s.burnSubtitle);
        } else {
            job->subtitleBurn = *s.burnSubtitle;
        }
    }
    if (s.keepDate)
        job->keepDate = true;

    if (s.crop) {
        const QString &crop = *s.crop;
        if (crop == QLatin1String("none")) {
            job->videoCrop.clear();
            job->cropValue = 0;
        } else if (crop == QLatin1String("detect")) {
            job->videoCrop = QStringLiteral("-1");
            job->cropValue = ManualCrop;
        } else if (isTypedCrop(crop)) {
            job->videoCrop = job->videoWidth > 0 && job->videoHeight > 0
                                 ? validateCropText(crop, job->videoWidth, job->videoHeight)
                                 : crop;
            job->cropValue = ManualCrop;
        } else {
            job->cropValue = cropPresetIndex(crop);
            job->videoCrop = presetCropText(job->cropValue, *job, job->videoCrop);
        }
    }

    // The name follows the settings of this run: template, encoders and container. Without a template
    // the output keeps the source's name, with the extension of the chosen container.
    const int templateIndex = job->nameTemplate;
    job->destination = destination.chopped(4) + QLatin1Char('.') + Lists::containerExtension(job->container);
    if (templateIndex != 0)
        job->destination = outputNameWithTemplate(*job, templateIndex);
    // Renaming writes beside the source (clip.mp4 -> clip-1.mp4); the others leave the job out.
    if (const QString note = leftOutNote(*job); !note.isEmpty())
        warnings << tr("%1: %2").arg(source, note);
    if (QFileInfo(job->destination).absoluteFilePath() == path &&
        s.existing.value_or(Preferences::existingOutput()) != Preferences::ExistingOutput::Rename)
        warnings << tr("%1: the output would replace the source; choose --dest or --template").arg(source);
    return refusal;
}

std::optional<int> parseArguments(QCommandLineParser &parser, const QStringList &arguments,
                                  const QString &command)
{
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "tavrix-cli %s: %s\n", qPrintable(command),
                     qPrintable(printableText(parser.errorText())));
        return 2;
    }
    if (parser.isSet(help)) {
        // The usage line names the program as it was started; name the command too.
        QString text = parser.helpText();
        const QString program = QCoreApplication::arguments().value(0);
        const qsizetype at = text.indexOf(program);
        if (at >= 0)
            text.replace(at, program.size(), QStringLiteral("tavrix-cli ") + command);
        std::fputs(text.toUtf8().constData(), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("tavrix-cli %s\n", TAVRIX_VERSION);
        return 0;
    }
    return std::nullopt;
}

void printLine(std::FILE *stream, const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

QJsonObject jobToJson(const MediaVideo &job)
{
    QJsonObject o = jobFieldsToJson(job, OptionForm::RawText);
    // The picture's dynamic range, probed from the first video stream, goes with that stream.
    QJsonArray streams = o.value(QStringLiteral("streams")).toArray();
    for (qsizetype i = 0; i < streams.size(); ++i) {
        QJsonObject stream = streams.at(i).toObject();
        if (stream.value(QStringLiteral("kind")).toString() == QLatin1String("video")) {
            stream[QStringLiteral("hdr")] = rawText(job.hdr);
            streams.replace(i, stream);
            break;
        }
    }
    o[QStringLiteral("streams")] = streams;
    const QSize image = job.hasImage() ? job.imageSize() : QSize(0, 0);
    o[QStringLiteral("image")] =
        QJsonObject{{QStringLiteral("width"), image.width()}, {QStringLiteral("height"), image.height()}};
    return o;
}
