#pragma once

#include "app/settings.h"
#include "playback/output_settings.h"

namespace zema {

// The output device the settings choose: port or synthesizer, reset type,
// bank file and the synthesizer's rate, channels, effects and volume.
[[nodiscard]] OutputSettings outputSettingsOf(const Settings& settings);

}  // namespace zema
