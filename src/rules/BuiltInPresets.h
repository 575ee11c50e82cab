#pragma once

#include "model/Preset.h"

#include <functional>

// The presets that come with Tavrix, read-only, in the order the pickers list them; names and
// descriptions in the user's language. The hardware presets take the first hardware encoder of their
// codec that works here: `unavailable` tells why an encoder cannot be used (empty when it can); where
// none works the preset carries the reason as its problem.
QList<Preset> builtInPresets(const std::function<QString(VideoEncoders)> &unavailable);
