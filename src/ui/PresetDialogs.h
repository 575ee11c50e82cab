#pragma once

#include "model/Preset.h"

#include <functional>

class PresetLibrary;
class QComboBox;
class QWidget;

// The questions the window asks around presets. Each opens a window-modal sheet and returns at once;
// the answer comes through the callback.
namespace PresetDialogs {

// A user's preset that adds extra ffmpeg parameters shows them before it is used: `use` runs once the
// user agrees, at once for a preset without any.
void confirmParameters(QWidget *parent, const Preset &preset, std::function<void()> use);

// Asks for a name and saves `settings` under it as a user preset (asking again, with the reason, when
// the name cannot be used); `saved` gets the name.
void saveAs(QWidget *parent, const PresetLibrary &library, const JobSettings &settings,
            std::function<void(const QString &name)> saved);

// Fills `picker` (a QComboBox) with "Custom" and every preset, greyed with its problem when it cannot be
// used, each entry's data its name ("" for Custom), and selects `current`.
void fillPicker(QComboBox *picker, const QList<Preset> &presets, const QString &current);

} // namespace PresetDialogs
