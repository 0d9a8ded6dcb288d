#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zema {

// CRC-32 of the IEEE 802.3 polynomial, reflected, as zlib computes it.
[[nodiscard]] uint32_t crc32Of(std::string_view bytes);
[[nodiscard]] uint32_t crc32Of(const std::vector<uint8_t>& bytes);

// Standard base64 with '=' padding.
[[nodiscard]] std::string base64Encode(const std::vector<uint8_t>& bytes);
// Decodes up to the first character outside the alphabet (padding included).
[[nodiscard]] std::vector<uint8_t> base64Decode(std::string_view text);

}  // namespace zema
