#include "playback/fluid_engine.h"

#include <fluidsynth.h>

#include <cstdlib>
#include <mutex>

namespace zema {

namespace {

constexpr const char* kSystemGeneralMidiBank = "/usr/share/sounds/sf2/default-GM.sf2";

// FluidSynth's informational chatter would reach the terminal of every tool
// that plays; errors and panics keep FluidSynth's own reporting.
void quietFluidLog()
{
    static std::once_flag once;
    std::call_once(once, [] {
        fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
        fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    });
}

}  // namespace

std::string defaultGeneralMidiBank()
{
    const char* configured = std::getenv("ZEMA_GM_SOUNDFONT");
    return configured != nullptr && *configured != '\0' ? configured : kSystemGeneralMidiBank;
}

std::unique_ptr<FluidEngine> FluidEngine::create(const SynthSettings& settings)
{
    quietFluidLog();
    auto engine = std::make_unique<FluidEngine>(Token{});
    engine->settings_ = new_fluid_settings();
    if (engine->settings_ == nullptr) return nullptr;
    engine->sampleRate_ = settings.sampleRate != 0 ? settings.sampleRate : 44100;
    if (fluid_settings_setnum(engine->settings_, "synth.sample-rate", engine->sampleRate_) != FLUID_OK) return nullptr;
    fluid_settings_setint(engine->settings_, "synth.reverb.active", settings.reverb ? 1 : 0);
    fluid_settings_setint(engine->settings_, "synth.chorus.active", settings.chorus ? 1 : 0);
    engine->synth_ = new_fluid_synth(engine->settings_);
    if (engine->synth_ == nullptr) return nullptr;
    return engine;
}

FluidEngine::~FluidEngine()
{
    if (synth_ != nullptr) delete_fluid_synth(synth_);
    if (settings_ != nullptr) delete_fluid_settings(settings_);
}

bool FluidEngine::loadBank(const std::string& path)
{
    unloadBank();
    if (path.empty()) return false;
    const int id = fluid_synth_sfload(synth_, path.c_str(), 1);
    if (id == FLUID_FAILED) return false;
    fontId_ = id;
    return true;
}

void FluidEngine::unloadBank()
{
    if (fontId_ < 0) return;
    fluid_synth_sfunload(synth_, fontId_, 1);
    fontId_ = -1;
}

std::vector<SynthInstrument> FluidEngine::instruments() const
{
    std::vector<SynthInstrument> list;
    fluid_sfont_t* font = fontId_ >= 0 ? fluid_synth_get_sfont_by_id(synth_, fontId_) : nullptr;
    if (font == nullptr) return list;
    fluid_sfont_iteration_start(font);
    while (fluid_preset_t* preset = fluid_sfont_iteration_next(font)) {
        const int bank = fluid_preset_get_banknum(preset);
        const int program = fluid_preset_get_num(preset);
        const char* name = fluid_preset_get_name(preset);
        list.push_back({name != nullptr ? name : "", ((bank >> 7) & 0x7F) * 65536 + (bank & 0x7F) * 256 + (program & 0x7F)});
    }
    return list;
}

void FluidEngine::shortMessage(const uint8_t* bytes, size_t length)
{
    if (length == 0) return;
    const int channel = bytes[0] & 0x0F;
    const int data1 = length > 1 ? bytes[1] : 0;
    const int data2 = length > 2 ? bytes[2] : 0;
    switch (bytes[0] & 0xF0) {
    case 0x80: fluid_synth_noteoff(synth_, channel, data1); break;
    case 0x90:
        if (data2 == 0) {
            fluid_synth_noteoff(synth_, channel, data1);
        } else {
            fluid_synth_noteon(synth_, channel, data1, data2);
        }
        break;
    case 0xA0: fluid_synth_key_pressure(synth_, channel, data1, data2); break;
    case 0xB0: fluid_synth_cc(synth_, channel, data1, data2); break;
    case 0xC0: fluid_synth_program_change(synth_, channel, data1); break;
    case 0xD0: fluid_synth_channel_pressure(synth_, channel, data1); break;
    case 0xE0: fluid_synth_pitch_bend(synth_, channel, data1 | (data2 << 7)); break;
    default: break;
    }
}

void FluidEngine::systemExclusive(const uint8_t* bytes, size_t length)
{
    // FluidSynth wants the message without its F0 and F7.
    if (length < 2 || bytes[0] != 0xF0) return;
    const size_t inner = bytes[length - 1] == 0xF7 ? length - 2 : length - 1;
    fluid_synth_sysex(synth_, reinterpret_cast<const char*>(bytes + 1), static_cast<int>(inner), nullptr, nullptr,
                      nullptr, 0);
}

void FluidEngine::render(float* left, float* right, size_t frames)
{
    fluid_synth_write_float(synth_, static_cast<int>(frames), left, 0, 1, right, 0, 1);
}

}  // namespace zema
