#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

#include "app/settings.h"
#include "app/settings_location.h"

namespace zema {

// What the first start needs to know about the machine. Each part can be
// replaced in tests.
struct MachineProbe {
    // The game's DLS bank, when the game is installed.
    std::function<std::optional<std::filesystem::path>()> findGameBank;
    // True when the software synthesizer can be created.
    std::function<bool()> synthesizerAvailable;
    // True when at least one MIDI output port that really sounds exists.
    std::function<bool()> hasMidiOutputPort;
};

// The probe of this machine: the bank looked up with findGameBank, the ALSA
// sequencer's client list for ports, the synthesizer assumed available.
[[nodiscard]] MachineProbe systemMachineProbe(const EnvironmentLookup& environment);

// Looks for "mp3/MSXspirit.dls" in $ZEMA_MABINOGI_DIR, then in the game's
// usual install folders inside $WINEPREFIX and ~/.wine.
[[nodiscard]] std::optional<std::filesystem::path> findGameBank(const EnvironmentLookup& environment);

// Counts, in the text of /proc/asound/seq/clients, the ports other programs
// can subscribe to for writing, leaving out the system client and the
// "Midi Through" loop-back (it makes no sound).
[[nodiscard]] bool sequencerListHasOutputPort(std::string_view clientsText);

// Settings of a machine that has no settings file yet: the game's bank when
// it is there, else the GM synthesizer when no MIDI port exists, else the port;
// and a piano roll taking about half of the first window.
void applyFirstStart(Settings& settings, const MachineProbe& probe);

}  // namespace zema
