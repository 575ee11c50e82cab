#pragma once

#include "model/Preset.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The user's presets: one JSON file each in a folder of the data folder ("presets/NAME.json"). A
// preset's name lives inside its file; the file's name is made from it with every character that is
// not a plain letter, digit, space, "-", "_" or parenthesis written as %XX, so that no name (“../x”, a
// newline) can reach outside the folder. A file that cannot be read, or was written by a newer version,
// is listed with its problem and left as it is.
class PresetStore
{
public:
    explicit PresetStore(QString folder);
    static QString defaultFolder(); // <data folder>/presets

    const QString &folder() const { return m_folder; }

    // Every preset file of the folder, sorted by name; a broken one carries its problem. Settings a file
    // does not give keep their value in `base`.
    QList<Preset> list(const JobSettings &base = {}) const;
    std::optional<Preset> find(const QString &name, const JobSettings &base = {}) const;

    // Writes the preset under its name. Refuses a name already taken by another file of the folder or
    // by one of `reserved` (the built-in presets' names) unless `replace` and the name is a user
    // preset's. On failure returns false and one line in `error`; nothing else is touched.
    bool save(const Preset &preset, const QStringList &reserved, bool replace, QString &error) const;
    bool remove(const QString &name, QString &error) const;
    bool rename(const QString &from, const QString &to, const QStringList &reserved, QString &error) const;

    // Reads a preset file from anywhere and saves it here; a name already taken gets " (2)", " (3)", ...
    std::optional<Preset> importFile(const QString &path, const QStringList &reserved, QString &error) const;

    // The file name the preset called `name` is kept in (without the folder).
    static QString fileNameFor(const QString &name);

    // Writes a preset to `path`, anywhere. An existing file is replaced only with `replace`.
    static bool exportTo(const Preset &preset, const QString &path, bool replace, QString &error);
    // Reads a preset from a file (at most 1 MiB, a regular file).
    static std::optional<Preset> readFile(const QString &path, const JobSettings &base, QString &error);

private:
    QString m_folder;
};
