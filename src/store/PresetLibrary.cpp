#include "store/PresetLibrary.h"

#include "rules/BuiltInPresets.h"

#include <QCoreApplication>
#include <QFileInfo>

PresetLibrary::PresetLibrary(PresetStore store, std::function<QString(VideoEncoders)> unavailable)
    : m_store(std::move(store)), m_unavailable(std::move(unavailable))
{
}

QList<Preset> PresetLibrary::builtIn() const
{
    return builtInPresets(m_unavailable);
}

QStringList PresetLibrary::builtInNames() const
{
    QStringList names;
    for (const Preset &preset : builtIn())
        names << preset.name << preset.englishName;
    return names;
}

QList<Preset> PresetLibrary::all(const JobSettings &base) const
{
    return builtIn() + m_store.list(base);
}

std::optional<Preset> PresetLibrary::find(const QString &name, const JobSettings &base) const
{
    const QList<Preset> builtIns = builtIn();
    if (const Preset *preset = findPreset(builtIns, name))
        return *preset;
    return m_store.find(name, base);
}

std::optional<Preset> PresetLibrary::findNameOrFile(const QString &text, const JobSettings &base,
                                                    QString &error) const
{
    if (std::optional<Preset> preset = find(text, base))
        return preset;
    if (QFileInfo(text).isFile())
        return PresetStore::readFile(text, base, error);
    error =
        QCoreApplication::translate("PresetLibrary", "no preset is called “%1”, and no such file").arg(text);
    return std::nullopt;
}

PresetLibrary::NewJobSettings PresetLibrary::forNewJobs(const JobSettings &storedDefaults,
                                                        const QString &chosen) const
{
    if (chosen.isEmpty())
        return {storedDefaults, {}};
    const std::optional<Preset> preset = find(chosen, storedDefaults);
    if (!preset)
        return {storedDefaults,
                QCoreApplication::translate(
                    "PresetLibrary", "The preset for new files, “%1”, no longer exists: new files take the "
                                     "stored settings.")
                    .arg(chosen)};
    if (!preset->usable())
        return {storedDefaults, QCoreApplication::translate(
                                    "PresetLibrary", "The preset for new files, “%1”, cannot be used (%2): "
                                                     "new files take the stored settings.")
                                    .arg(chosen, preset->problem)};
    JobSettings settings = storedDefaults;
    applyPreset(settings, preset->settings, preset->name);
    return {settings, {}};
}
