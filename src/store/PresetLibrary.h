#pragma once

#include "store/PresetStore.h"

#include <functional>

// Every preset a user can choose: the built-in ones, then the user's own.
class PresetLibrary
{
public:
    // `unavailable` tells why a video encoder cannot be used here (empty when it can): the hardware
    // presets take the first that works.
    explicit PresetLibrary(PresetStore store = PresetStore(PresetStore::defaultFolder()),
                           std::function<QString(VideoEncoders)> unavailable = {});

    const PresetStore &store() const { return m_store; }

    QList<Preset> builtIn() const;
    QStringList builtInNames() const;
    // The built-in presets, then the user's, with `base` under what a user's file does not give.
    QList<Preset> all(const JobSettings &base = {}) const;
    // A preset by its name; broken and unusable presets are found too (see Preset::problem).
    std::optional<Preset> find(const QString &name, const JobSettings &base = {}) const;
    // A preset by its name, or, when no preset has that name and it names a file, read from that file.
    std::optional<Preset> findNameOrFile(const QString &text, const JobSettings &base, QString &error) const;

    // Which settings new jobs take: `storedDefaults` when `chosen` is empty, else the preset of that name
    // over them. When that preset cannot be found or used, the stored defaults, and `problem` says why.
    struct NewJobSettings
    {
        JobSettings settings;
        QString problem;
    };
    NewJobSettings forNewJobs(const JobSettings &storedDefaults, const QString &chosen) const;

private:
    PresetStore m_store;
    std::function<QString(VideoEncoders)> m_unavailable;
};
