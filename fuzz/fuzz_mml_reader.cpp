// Any bytes as a `.mml` document and as pasted MML@ text. Writing is left to
// the unit tests: the bzip2 compressor's 7 MB work area per document would
// slow this target a hundredfold.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "document/mml_atmark_reader.h"
#include "document/mml_file_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    zema::CMMLFileReader reader;
    (void)reader.LoadBytes(bytes);
    zema::CMMLAtmarkReader atmark;
    (void)atmark.LoadBytes(bytes);
    return 0;
}
