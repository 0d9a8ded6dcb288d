#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/document_data.h"

namespace zema {

// The "[ZEMA EXTENSION]" section at the end of a document: typed binary
// records, bzip2-compressed behind a 12-byte header, base64 in lines of 128
// characters and protected by a CRC-32 of the base64 text.

inline constexpr std::u16string_view kExtensionSectionName = u"zema extension";
inline constexpr size_t kExtensionLineLength = 128;

// Record types of the stream.
enum class ExtensionRecordType : uint8_t {
    TrackOrder = 1,
    ChannelProperty = 2,
    TrackNameAnsi = 3,
    Timing = 4,
    TrackTextAnsi = 5,
    TitleAnsi = 6,
    SourceAnsi = 7,
    MemoAnsi = 8,
    MarkerAnsi = 9,
    TrackGroup = 10,
    TrackNameWide = 11,
    TrackTextWide = 12,
    TitleWide = 13,
    SourceWide = 14,
    MemoWide = 15,
    MarkerWide = 16,
    ProgramVersion = 18,
};

// The record stream for a snapshot: version, timing, track order, channel
// properties with names, markers and groups. Names and markers the ANSI code
// page cannot hold go into the wide record types.
//
// Not compact, the INI text already holds the timing, names and markers, so
// the block adds only what the INI text cannot: the channel properties (group,
// option bytes, MIDI channel) and, when a marker name would not survive the
// one-word marker line, the markers.
[[nodiscard]] std::vector<uint8_t> buildExtensionRecords(const DocumentData& snapshot, bool compact);

// Header, compression and base64 around a record stream: the base64 text,
// or nothing when compression fails.
[[nodiscard]] std::optional<std::string> packExtensionPayload(const std::vector<uint8_t>& records);

// The whole section text, CR LF line ends: header line, comment, "c=" and the
// "d=" lines. Nothing when it cannot be built.
[[nodiscard]] std::optional<std::u16string> encodeExtensionBlock(const DocumentData& snapshot, bool compact);

// Checks and applies a block: `base64` is the concatenated "d" text, `crc`
// the "c" value. False (and `result` untouched) when the checksum, header or
// compression is wrong.
[[nodiscard]] bool decodeExtensionBlock(std::string_view base64, uint32_t crc, DocumentData& result);

// Applies the decoded payload (header included). False when the header or
// compression is wrong.
[[nodiscard]] bool applyExtensionPayload(const std::vector<uint8_t>& payload, DocumentData& result);

// Walks a record stream and applies every record it knows.
void applyExtensionRecords(const uint8_t* data, size_t size, DocumentData& result);

// Collects the "c" and "d" keys of an extension section while a reader walks
// the document.
class ExtensionCollector {
public:
    // Takes one key/value pair of the section (key already lower-cased).
    void take(std::u16string_view key, std::u16string_view value);
    [[nodiscard]] bool empty() const { return base64_.empty(); }
    // Some "c" or "d" key was taken: the section is there, whole or damaged.
    [[nodiscard]] bool present() const { return present_; }
    // Decodes and applies what was collected; false when nothing valid was.
    bool apply(DocumentData& result) const;

private:
    std::string base64_;
    uint32_t crc_ = 0;
    bool present_ = false;
};

}  // namespace zema
