#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "core/song.h"
#include "playback/output_settings.h"

namespace zema {

struct RenderOptions {
    SynthSettings synth{44100, 2, false, false, false, 100};
    std::string bankPath;   // DLS or SF2 file; empty = the system General MIDI set
    int32_t resetType = 1;  // reset message sent before the track setup
    // The General MIDI program of a track's instrument; programOfInstrument
    // when not given.
    std::function<int32_t(int32_t instrument)> programOf;
    // Called as rendering advances with the play position and the song's end
    // tick; returning false stops the render (the file stays valid).
    std::function<bool(int32_t tick, int32_t endTick)> progress;
};

enum class RenderStatus {
    Ok,
    SynthFailed,  // FluidSynth could not be set up
    BankFailed,   // the bank (or the General MIDI set) could not be loaded
    FileFailed,   // the WAVE file could not be created
    Cancelled,    // progress returned false; the file holds what was rendered
};

struct RenderResult {
    RenderStatus status = RenderStatus::Ok;
    uint32_t dataBytes = 0;  // audio bytes in the file
};

// Extra audio after the song so the last notes can ring out.
inline constexpr uint32_t kRenderTailMilliseconds = 500;

// Renders the whole song offline, as fast as the machine allows, into a WAVE
// file: the player itself runs against a clock that counts rendered samples,
// so every event reaches the synthesizer exactly at its sample position, in
// the player's order, with the reset and track setup of a live start; then
// 500 ms of tail.
[[nodiscard]] RenderResult renderSongToWave(const Song& song, const RenderOptions& options,
                                            const std::filesystem::path& path);

}  // namespace zema
