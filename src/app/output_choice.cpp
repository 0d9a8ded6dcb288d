#include "app/output_choice.h"

#include <limits>

#include "core/unicode.h"

namespace zema {

OutputSettings outputSettingsOf(const Settings& settings)
{
    OutputSettings output;
    switch (settings.outputDls) {
    case 1: output.kind = OutputKind::SynthBank; break;
    case 2: output.kind = OutputKind::SynthGeneral; break;
    default: output.kind = OutputKind::MidiPort; break;
    }
    // All bits set (the stored default) and anything beyond int32 mean "the first port".
    output.port = settings.porta > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())
                      ? -1
                      : static_cast<int32_t>(settings.porta);
    output.resetType = settings.resetType;
    output.bankPath = utf16ToUtf8(settings.dlsFilePath);
    output.synth.sampleRate = sampleRateOfIndex(settings.samplingRate);
    output.synth.channels = settings.dlsChannel == 0 ? 1 : 2;
    output.synth.reverb = settings.enableReverb;
    output.synth.chorus = settings.enableChorus;
    output.synth.delay = settings.enableDelay;
    output.synth.volume = settings.dlsVolume;
    return output;
}

}  // namespace zema
