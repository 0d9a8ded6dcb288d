// The extension block decoder at its three depths: the base64 text (with a
// matching checksum), the payload with its header, and the record stream.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "document/checksum.h"
#include "document/extension_block.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    const uint8_t mode = data[0] % 3;
    ++data;
    --size;
    zema::DocumentData result;
    switch (mode) {
        case 0: {
            const std::string_view text(reinterpret_cast<const char*>(data), size);
            (void)zema::decodeExtensionBlock(text, zema::crc32Of(text), result);
            break;
        }
        case 1: {
            // A payload whose body checksum is made right, so the method and
            // the stream behind it are reached.
            std::vector<uint8_t> payload(data, data + size);
            if (payload.size() >= 12) {
                const uint32_t crc = zema::crc32Of(std::vector<uint8_t>(payload.begin() + 12, payload.end()));
                for (int i = 0; i < 4; ++i) payload[4 + i] = static_cast<uint8_t>(crc >> (8 * i));
            }
            (void)zema::applyExtensionPayload(payload, result);
            break;
        }
        default: zema::applyExtensionRecords(data, size, result); break;
    }
    return 0;
}
