#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/instrument_definitions.h"

namespace zema {

// Between a track's instrument number (0..6 the game's instruments, 7 and
// above a General MIDI program + 7) and the entries of an instrument list.

// The instrument number an entry of instrumentListItems stands for: a preset
// whose program is one of the game's instruments becomes that instrument,
// any other preset or program its program + 7.
[[nodiscard]] int32_t instrumentOfItem(const InstrumentListItem& item, const std::vector<InstrumentPreset>& presets);

// The entry of `items` showing `instrument`, or -1.
[[nodiscard]] int instrumentItemIndex(int32_t instrument, const std::vector<InstrumentListItem>& items,
                                      const std::vector<InstrumentPreset>& presets);

// The name of an instrument's program: the first preset with that program,
// else the General MIDI name without its padding.
[[nodiscard]] std::u16string instrumentName(int32_t instrument, const std::vector<InstrumentPreset>& presets);

}  // namespace zema
