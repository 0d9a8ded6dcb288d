#include "playback/output_settings.h"

#include <filesystem>

#include "core/song.h"
#include "core/strings.h"
#include "playback/midi_port_out.h"
#include "playback/synth_out.h"

namespace zema {

uint32_t sampleRateOfIndex(int32_t index)
{
    constexpr uint32_t kRates[] = {8000, 11025, 22050, 44100};
    return index >= 0 && index < 4 ? kRates[index] : 22050;
}

std::u16string outputDeviceErrorMessage(int code)
{
    switch (code) {
    case kOpenMidiPortFailed: return loadString("IDS_ERR_MIDIOUT_OPEN");
    case kSynthInitFailed: return loadString("IDS_ERR_DM_INIT");
    case kSynthOutputFailed: return loadString("IDS_ERR_DM_OPEN");
    case kBankLoadFailed: return loadString("IDS_ERR_DM_DLSLOAD");
    case kGeneralSetLoadFailed: return loadString("IDS_ERR_DM_SYNTHLOAD");
    default: return loadString("IDS_ERR_UNEXPECTED");
    }
}

std::unique_ptr<IMidi> createOutputDevice(const OutputSettings& settings, int& code)
{
    if (settings.kind == OutputKind::MidiPort) {
        auto port = std::make_unique<CMidiOut>();
        code = port->Open(static_cast<uint32_t>(settings.port));
        if (code != 0) return nullptr;
        return port;
    }
    auto synth = std::make_unique<CSynthOut>(settings.synth);
    code = synth->Open(0);
    if (code != 0) return nullptr;
    if (settings.kind == OutputKind::SynthBank) {
        // An empty bank setting names no file: it must not fall back to the
        // General MIDI set, which LoadDls loads for an empty path.
        std::error_code error;
        const auto path = settings.bankPath.empty() ? std::filesystem::path()
                                                    : std::filesystem::absolute(settings.bankPath, error);
        if (path.empty() || synth->LoadDls(path.string()) != 0) code = kBankLoadFailed;
    } else if (synth->LoadDls(std::string()) != 0) {
        code = kGeneralSetLoadFailed;
    }
    synth->SetVolume(settings.synth.volume);
    return synth;
}

}  // namespace zema

namespace zema {

void sendTrackSetup(IMidi& device, int trackIndex, const Track& track, int32_t program)
{
    const auto channel = static_cast<uint8_t>(trackIndex);
    device.ShortMsg(0xC0, channel, static_cast<uint8_t>(program), 0);
    device.ShortMsg(0xB0, channel, 7, static_cast<uint8_t>(track.volume));
    device.ShortMsg(0xB0, channel, 10, static_cast<uint8_t>(track.panpot));
}

}  // namespace zema
