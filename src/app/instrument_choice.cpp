#include "app/instrument_choice.h"

#include "document/smf_export.h"

namespace zema {

namespace {
constexpr int32_t kGameInstruments = 7;

int32_t instrumentOfProgram(int32_t program)
{
    for (int32_t instrument = 0; instrument < kGameInstruments; ++instrument) {
        if (programOfInstrument(instrument) == program) return instrument;
    }
    return program + kGameInstruments;
}
}  // namespace

int32_t instrumentOfItem(const InstrumentListItem& item, const std::vector<InstrumentPreset>& presets)
{
    if (!item.preset) return item.data + kGameInstruments;
    if (item.data < 0 || static_cast<size_t>(item.data) >= presets.size()) return 0;
    return instrumentOfProgram(presets[static_cast<size_t>(item.data)].program);
}

int instrumentItemIndex(int32_t instrument, const std::vector<InstrumentListItem>& items,
                        const std::vector<InstrumentPreset>& presets)
{
    for (size_t i = 0; i < items.size(); ++i) {
        if (instrumentOfItem(items[i], presets) == instrument) return static_cast<int>(i);
    }
    return -1;
}

std::u16string instrumentName(int32_t instrument, const std::vector<InstrumentPreset>& presets)
{
    const int32_t program = programOfInstrument(instrument);
    for (const InstrumentPreset& preset : presets) {
        if (preset.program == program) return preset.name;
    }
    std::u16string name = gmProgramName(program);
    while (!name.empty() && name.back() == u' ') name.pop_back();
    return name;
}

}  // namespace zema
