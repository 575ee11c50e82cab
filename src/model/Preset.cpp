#include "model/Preset.h"

#include <QCoreApplication>
#include <QJsonValue>

#include <cstring>
#include <type_traits>

namespace {

// The sane figures of an integer setting; a file holding another is refused.
struct Range
{
    int minimum;
    int maximum;
    bool allowsAutomaticSize = false; // -2 also reads, as "automatic"
};

// Every setting a preset carries, once: its name in the file and the member it is.
template<typename F> void forEachPresetField(F &&f)
{
    f("container", &JobSettings::container, Range{0, int(Lists::containers().size()) - 1});
    f("videoEncoder", &JobSettings::videoEncoder, Range{});
    f("videoRate", &JobSettings::videoRate, Range{});
    f("videoQuality", &JobSettings::videoQuality, Range{Lists::minVideoQuality, Lists::maxVideoQuality});
    f("qualityTarget", &JobSettings::qualityTarget, Range{Lists::minQualityTarget, Lists::maxQualityTarget});
    f("videoDebit", &JobSettings::videoDebit, Range{0, Lists::maxVideoDebit});
    f("videoPreset", &JobSettings::videoPreset, Range{});
    f("videoProfile", &JobSettings::videoProfile, Range{});
    f("videoTune", &JobSettings::videoTune, Range{});
    f("width", &JobSettings::width, Range{1, Lists::maxOutputSize, true});
    f("height", &JobSettings::height, Range{1, Lists::maxOutputSize, true});
    f("fitWithin", &JobSettings::fitWithin, Range{});
    f("deInterlace", &JobSettings::deInterlace, Range{});
    f("deInterlaceAuto", &JobSettings::deInterlaceAuto, Range{});
    f("isQuicktime", &JobSettings::isQuicktime, Range{});
    f("hdrOutput", &JobSettings::hdrOutput, Range{});
    f("audioEncoder", &JobSettings::audioEncoder, Range{});
    f("audioDebit", &JobSettings::audioDebit, Range{0, Lists::maxAudioDebit});
    f("audioSampling", &JobSettings::audioSampling, Range{0, Lists::maxAudioSampling});
    f("audioChannels", &JobSettings::audioChannels, Range{});
    f("keepAllAudio", &JobSettings::keepAllAudio, Range{});
    f("audioLanguages", &JobSettings::audioLanguages, Range{});
    f("subtitleLanguages", &JobSettings::subtitleLanguages, Range{});
    f("autoCrop", &JobSettings::autoCrop, Range{});
    f("keepDate", &JobSettings::keepDate, Range{});
    f("nameTemplate", &JobSettings::nameTemplate, Range{0, int(Lists::nameTemplates().size()) - 1});
    f("otherParam", &JobSettings::otherParam, Range{});
}

template<typename T> QJsonValue toJson(const char *key, const T &value)
{
    if constexpr (std::is_enum_v<T>)
        return rawText(value);
    else if constexpr (std::is_same_v<T, int>)
        return std::strcmp(key, "container") == 0 ? QJsonValue(Lists::containerExtension(value))
                                                  : QJsonValue(value);
    else
        return QJsonValue(value);
}

// Reads `value` into `out`, or says why it cannot.
template<typename T> QString fromJson(const char *key, const QJsonValue &value, const Range &range, T &out)
{
    const QString name = QString::fromLatin1(key);
    if constexpr (std::is_enum_v<T>) {
        const std::optional<T> chosen = caseFromRawText<T>(value.toString());
        if (!value.isString() || !chosen)
            return QCoreApplication::translate("Preset", "“%1” is not one of: %2")
                .arg(name, rawTexts<T>().join(QStringLiteral(", ")));
        out = *chosen;
    } else if constexpr (std::is_same_v<T, bool>) {
        if (!value.isBool())
            return QCoreApplication::translate("Preset", "“%1” is not true or false").arg(name);
        out = value.toBool();
    } else if constexpr (std::is_same_v<T, QString>) {
        if (!value.isString())
            return QCoreApplication::translate("Preset", "“%1” is not text").arg(name);
        out = value.toString();
    } else if (std::strcmp(key, "container") == 0) {
        const qsizetype index = Lists::containers().indexOf(value.toString());
        if (index < 0)
            return QCoreApplication::translate("Preset", "“%1” is not one of: %2")
                .arg(name, Lists::containers().join(QStringLiteral(", ")));
        out = int(index);
    } else {
        const double figure = value.toDouble(-1e12);
        const int whole = int(figure);
        const bool fits = value.isDouble() && figure == whole &&
                          ((whole >= range.minimum && whole <= range.maximum) ||
                           (range.allowsAutomaticSize && whole == -2));
        if (!fits)
            return QCoreApplication::translate("Preset", "“%1” is not a whole number from %2 to %3")
                .arg(name)
                .arg(range.minimum)
                .arg(range.maximum);
        out = whole;
    }
    return {};
}

} // namespace

const Preset *findPreset(const QList<Preset> &presets, const QString &name)
{
    for (const Preset &preset : presets) {
        if (preset.isCalled(name))
            return &preset;
    }
    return nullptr;
}

void applyPreset(JobSettings &target, const JobSettings &preset, const QString &name)
{
    forEachPresetField([&](const char *, auto member, const Range &) { target.*member = preset.*member; });
    target.preset = name;
}

bool matchesPreset(const JobSettings &settings, const JobSettings &preset)
{
    bool same = true;
    forEachPresetField(
        [&](const char *, auto member, const Range &) { same = same && settings.*member == preset.*member; });
    return same;
}

QJsonObject presetToJson(const Preset &preset)
{
    QJsonObject settings;
    forEachPresetField([&](const char *key, auto member, const Range &) {
        settings[QString::fromLatin1(key)] = toJson(key, preset.settings.*member);
    });
    return {{QStringLiteral("format"), QString::fromLatin1(PresetFormat::format)},
            {QStringLiteral("version"), PresetFormat::version},
            {QStringLiteral("name"), preset.name},
            {QStringLiteral("description"), preset.description},
            {QStringLiteral("settings"), settings}};
}

std::optional<Preset> presetFromJson(const QJsonObject &object, const JobSettings &base, QString &error)
{
    if (object.value(QStringLiteral("format")).toString() != QLatin1String(PresetFormat::format)) {
        error = QCoreApplication::translate("Preset", "not a Tavrix preset");
        return std::nullopt;
    }
    const QJsonValue version = object.value(QStringLiteral("version"));
    if (!version.isDouble() || version.toDouble() < 1) {
        error = QCoreApplication::translate("Preset", "the preset has no version");
        return std::nullopt;
    }
    if (version.toDouble() > PresetFormat::version) {
        error = QCoreApplication::translate(
                    "Preset", "written by a newer version of Tavrix (preset version %1; this one reads %2)")
                    .arg(version.toDouble())
                    .arg(PresetFormat::version);
        return std::nullopt;
    }
    Preset preset;
    preset.name = cleanPresetName(object.value(QStringLiteral("name")).toString());
    if (preset.name.isEmpty()) {
        error = QCoreApplication::translate("Preset", "the preset has no name");
        return std::nullopt;
    }
    preset.description = object.value(QStringLiteral("description")).toString().simplified();
    preset.settings = base;
    const QJsonObject settings = object.value(QStringLiteral("settings")).toObject();
    forEachPresetField([&](const char *key, auto member, const Range &range) {
        const QJsonValue value = settings.value(QString::fromLatin1(key));
        if (error.isEmpty() && !value.isUndefined())
            error = fromJson(key, value, range, preset.settings.*member);
    });
    if (!error.isEmpty())
        return std::nullopt;
    preset.settings.preset = preset.name;
    return preset;
}

QString cleanPresetName(const QString &name)
{
    QString clean;
    for (const QChar c : name)
        clean += c.isPrint() ? c : QChar(QLatin1Char(' '));
    return clean.simplified().left(PresetFormat::maxNameLength).trimmed();
}
