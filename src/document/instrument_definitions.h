#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "document/ini_reader.h"
#include "document/read_status.h"

namespace zema {

// One instrument of a sound bank, from the "Instrument presets" section of an
// instrument definition file (.def).
struct InstrumentPreset {
    int32_t preset = 0;    // preset number (shown as preset + 1)
    int32_t second = 0;    // second number, carried
    int32_t program = 0;   // 0..127
    int32_t bankHigh = 0;  // bank select MSB
    int32_t bankLow = 0;   // bank select LSB
    int32_t patch = 0;     // bankHigh * 65536 + bankLow * 256 + program
    std::u16string name;

    friend bool operator==(const InstrumentPreset&, const InstrumentPreset&) = default;
};

// Reads the presets: each key's value must be exactly seven integers
// (preset, second, program 1..128, bank high and low 0..127, range low and
// high 0..127); others are dropped. Names come from the section named by the
// language identifier in decimal, else the key. `languageId` 0 means the
// system's user-interface language. A file that cannot be read, is empty or
// names no instrument gives an empty list and a failed status saying which.
ReadStatus loadInstrumentPresets(const std::filesystem::path& path, int32_t languageId,
                                 std::vector<InstrumentPreset>& presets);
void readInstrumentPresets(const CIniReader& ini, int32_t languageId, std::vector<InstrumentPreset>& presets);

// General MIDI program name, padded with spaces to 23 characters; "" outside 0..127.
[[nodiscard]] std::u16string gmProgramName(int32_t program);

// One entry of an instrument list control.
struct InstrumentListItem {
    std::u16string text;  // "%03d: %s"
    int32_t data = 0;     // index of the preset, or the GM program 0..127
    bool preset = false;  // true for a preset, false for a GM program
};

// The list as the controls show it: every preset ("%03d: %s" with preset + 1
// and name), then, when asked, the 128 GM programs (numbered 1..128).
[[nodiscard]] std::vector<InstrumentListItem> instrumentListItems(const std::vector<InstrumentPreset>& presets,
                                                                  bool withGeneralMidi);

}  // namespace zema
