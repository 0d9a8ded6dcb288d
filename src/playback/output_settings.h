#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace zema {

class IMidi;

// Which device plays (settings key OutputDLS).
enum class OutputKind : int32_t {
    MidiPort = 0,     // a MIDI output port
    SynthBank = 1,    // the software synthesizer with the bank file DLSFilePath
    SynthGeneral = 2, // the software synthesizer with the system General MIDI set
};

// The software synthesizer's settings.
struct SynthSettings {
    uint32_t sampleRate = 22050;  // 8000, 11025, 22050 or 44100
    uint32_t channels = 2;        // 1 mono, 2 stereo
    bool reverb = false;
    bool chorus = false;
    bool delay = false;
    int32_t volume = 100;  // percent; outside 0..100 read as 100
};

// The sample rates offered, by the settings' SamplingRate index 0..3.
[[nodiscard]] uint32_t sampleRateOfIndex(int32_t index);

struct OutputSettings {
    OutputKind kind = OutputKind::MidiPort;
    int32_t port = -1;       // MIDI port index; -1 = the first available port
    int32_t resetType = 1;   // ResetType sent after opening
    std::string bankPath;    // DLS or SF2 file for OutputKind::SynthBank
    SynthSettings synth;
};

// Error codes of opening the output device.
inline constexpr int kOpenMidiPortFailed = 1;
inline constexpr int kSynthInitFailed = 2;
inline constexpr int kSynthOutputFailed = 3;
inline constexpr int kBankLoadFailed = 4;
inline constexpr int kGeneralSetLoadFailed = 5;

// The message shown for an error code of opening the output device (UTF-16,
// from the string table); the "unexpected error" text for unknown codes.
[[nodiscard]] std::u16string outputDeviceErrorMessage(int code);

// Creates and opens the device the settings name, loading the synthesizer's
// bank and volume. `code` receives 0 or the error code. Returns the device
// even after a failed bank load (codes 4 and 5): it stays open without
// instruments until the settings change; nothing for codes 1 to 3.
[[nodiscard]] std::unique_ptr<IMidi> createOutputDevice(const OutputSettings& settings, int& code);

}  // namespace zema

namespace zema {

struct Track;

// A track's program, volume (controller 7) and panpot (controller 10) on the
// track's channel, as sent after opening the device and when the track's
// properties change.
void sendTrackSetup(IMidi& device, int trackIndex, const Track& track, int32_t program);

}  // namespace zema
