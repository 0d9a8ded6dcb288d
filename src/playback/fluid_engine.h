#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "playback/output_settings.h"

// FluidSynth's opaque types (fluid_settings_t, fluid_synth_t).
struct _fluid_hashtable_t;
struct _fluid_synth_t;

namespace zema {

// One instrument of the loaded bank.
struct SynthInstrument {
    std::string name;
    // Bank MSB * 65536 + bank LSB * 256 + program (FluidSynth's bank number
    // split into its two 7-bit halves).
    int32_t patch = 0;

    friend bool operator==(const SynthInstrument&, const SynthInstrument&) = default;
};

// The system General MIDI SoundFont: $ZEMA_GM_SOUNDFONT when set, else the
// distribution's default-GM.sf2.
[[nodiscard]] std::string defaultGeneralMidiBank();

// A FluidSynth synthesizer with its settings: the part that the live output
// and the offline renderer share. Not thread-safe by itself beyond what
// FluidSynth's own API lock gives.
class FluidEngine {
    struct Token {
        explicit Token() = default;
    };

public:
    explicit FluidEngine(Token) {}
    // Nothing when FluidSynth cannot be set up at this rate.
    [[nodiscard]] static std::unique_ptr<FluidEngine> create(const SynthSettings& settings);
    ~FluidEngine();
    FluidEngine(const FluidEngine&) = delete;
    FluidEngine& operator=(const FluidEngine&) = delete;

    // Replaces the loaded bank by a DLS or SF2 file; false when it cannot be
    // read (no bank is loaded then).
    [[nodiscard]] bool loadBank(const std::string& path);
    void unloadBank();
    [[nodiscard]] bool hasBank() const { return fontId_ >= 0; }
    [[nodiscard]] std::vector<SynthInstrument> instruments() const;

    // A channel message of 1 to 3 bytes.
    void shortMessage(const uint8_t* bytes, size_t length);
    // A system-exclusive message with its F0 and F7.
    void systemExclusive(const uint8_t* bytes, size_t length);
    // Renders `frames` frames into the two channels (effects included).
    void render(float* left, float* right, size_t frames);

    [[nodiscard]] uint32_t sampleRate() const { return sampleRate_; }
    // The FluidSynth objects, for an audio driver.
    [[nodiscard]] _fluid_hashtable_t* settingsHandle() const { return settings_; }

private:
    _fluid_hashtable_t* settings_ = nullptr;
    _fluid_synth_t* synth_ = nullptr;
    int fontId_ = -1;
    uint32_t sampleRate_ = 44100;
};

}  // namespace zema
