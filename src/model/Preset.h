#pragma once

#include "model/JobSettings.h"

#include <QJsonObject>
#include <QString>

#include <optional>

// A named set of job settings. A preset holds what a user chooses for any file (container, encoders,
// rates, size, deinterlacing, track policy by language, name template, extra parameters); never what
// belongs to one source (its destination, crop rectangle, tracks chosen by number, external subtitle).
struct Preset
{
    enum class Origin { BuiltIn, User };

    QString name;
    // A built-in preset's name in English, by which it is found in any language; empty for a user's.
    QString englishName;
    QString description; // one line, shown beside the name
    JobSettings settings;
    Origin origin = Origin::User;
    // Why the preset cannot be used as it stands: a file that cannot be read or was written by a newer
    // version, a hardware preset without a working encoder. Empty when it can.
    QString problem;
    QString file; // the file a user preset is kept in; empty for a built-in one

    bool usable() const { return problem.isEmpty(); }
    // Whether the preset goes by `text`: its name, or a built-in one's English name.
    bool isCalled(const QString &text) const
    {
        return name == text || (!englishName.isEmpty() && englishName == text);
    }
};

namespace PresetFormat {
inline constexpr const char format[] = "tavrix-preset";
inline constexpr int version = 1;
inline constexpr int maxNameLength = 120;
} // namespace PresetFormat

// The preset of `presets` that goes by `name` (Preset::isCalled), or nullptr.
const Preset *findPreset(const QList<Preset> &presets, const QString &name);

// The settings a preset carries, copied from `preset` into `target`; the rest of `target` (the source's
// own choices) is left as it is, and `target.preset` takes `name`.
void applyPreset(JobSettings &target, const JobSettings &preset, const QString &name);
// Whether every setting a preset carries is the same in `settings` as in `preset`.
bool matchesPreset(const JobSettings &settings, const JobSettings &preset);

// The preset as a file holds it: its format and version, name, description and settings (encoder
// options as their raw texts).
QJsonObject presetToJson(const Preset &preset);
// Reads a preset file's object. Unknown setting names are ignored; a setting of the wrong type, a
// value outside its list, a missing name, another format or a newer version give nullopt and one line
// in `error`. Settings not in the file keep their value in `base`.
std::optional<Preset> presetFromJson(const QJsonObject &object, const JobSettings &base, QString &error);

// A name a user may give a preset: the text trimmed, one line, at most maxNameLength characters;
// empty when nothing is left.
QString cleanPresetName(const QString &name);
