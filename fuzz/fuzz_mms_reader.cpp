// Any bytes as a `.mms` document.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "document/mml_mms_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    zema::CMMLMmsReader reader;
    (void)reader.LoadBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
