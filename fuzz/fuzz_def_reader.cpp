// Any bytes as an instrument definition file, through the INI reader to the
// list the controls show.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "document/ini_reader.h"
#include "document/instrument_definitions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    zema::CIniReader ini;
    ini.loadBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<zema::InstrumentPreset> presets;
    zema::readInstrumentPresets(ini, 1041, presets);
    (void)zema::instrumentListItems(presets, false);
    return 0;
}
