#include "document/checksum.h"

#include <zlib.h>

#include <algorithm>
#include <array>

namespace zema {

namespace {
constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int8_t, 256> makeDecodeTable()
{
    std::array<int8_t, 256> table{};
    table.fill(-1);
    for (size_t i = 0; i < kAlphabet.size(); ++i) table[static_cast<uint8_t>(kAlphabet[i])] = static_cast<int8_t>(i);
    return table;
}
constexpr auto kDecodeTable = makeDecodeTable();

uint32_t crcOfBuffer(const uint8_t* data, size_t size)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes lengths as uInt; feed very large buffers in pieces.
    while (size > 0) {
        const auto piece = static_cast<uInt>(std::min<size_t>(size, 1u << 30));
        crc = crc32(crc, data, piece);
        data += piece;
        size -= piece;
    }
    return static_cast<uint32_t>(crc);
}
}  // namespace

uint32_t crc32Of(std::string_view bytes)
{
    return crcOfBuffer(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

uint32_t crc32Of(const std::vector<uint8_t>& bytes) { return crcOfBuffer(bytes.data(), bytes.size()); }

std::string base64Encode(const std::vector<uint8_t>& bytes)
{
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t v = (uint32_t{bytes[i]} << 16) | (uint32_t{bytes[i + 1]} << 8) | bytes[i + 2];
        text += kAlphabet[(v >> 18) & 63];
        text += kAlphabet[(v >> 12) & 63];
        text += kAlphabet[(v >> 6) & 63];
        text += kAlphabet[v & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest > 0) {
        uint32_t v = uint32_t{bytes[i]} << 16;
        if (rest == 2) v |= uint32_t{bytes[i + 1]} << 8;
        text += kAlphabet[(v >> 18) & 63];
        text += kAlphabet[(v >> 12) & 63];
        text += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        text += '=';
    }
    return text;
}

std::vector<uint8_t> base64Decode(std::string_view text)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3 + 3);
    uint32_t accumulator = 0;
    int bits = 0;
    for (char c : text) {
        const int8_t value = kDecodeTable[static_cast<uint8_t>(c)];
        if (value < 0) break;
        accumulator = (accumulator << 6) | static_cast<uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes.push_back(static_cast<uint8_t>((accumulator >> bits) & 0xFF));
        }
    }
    return bytes;
}

}  // namespace zema
