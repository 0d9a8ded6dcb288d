#include "document/extension_block.h"

#include <bzlib.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "document/checksum.h"
#include "document/text_encoding.h"
#include "document/text_util.h"

#ifndef ZEMA_VERSION_MAJOR
#define ZEMA_VERSION_MAJOR 0
#define ZEMA_VERSION_MINOR 0
#define ZEMA_VERSION_PATCH 0
#endif

namespace zema {

namespace {

constexpr size_t kHeaderSize = 12;
// Larger streams are refused rather than allocated: a document's records
// (names, markers, groups, even full track texts) stay far below this.
constexpr uint32_t kMaxStreamSize = 16u << 20;
// Group numbers are bytes in the channel property; a group record with a
// larger index can name no group any track belongs to.
constexpr auto kGroupRecordLimit = static_cast<uint32_t>(kMaxGroupIndex);
constexpr uint8_t kMethodStored = 0;
constexpr uint8_t kMethodBzip2 = 1;

// ---- writing ----

class RecordWriter {
public:
    void begin(ExtensionRecordType type)
    {
        start_ = bytes_.size();
        bytes_.push_back(static_cast<uint8_t>(type));
        u32(0);  // size, patched by end()
    }
    void end()
    {
        const auto size = static_cast<uint32_t>(bytes_.size() - start_ - 5);
        for (int i = 0; i < 4; ++i) bytes_[start_ + 1 + i] = static_cast<uint8_t>(size >> (8 * i));
    }
    void u8(uint8_t value) { bytes_.push_back(value); }
    void u32(uint32_t value)
    {
        for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
    void i32(int32_t value) { u32(static_cast<uint32_t>(value)); }
    void zeros(size_t count) { bytes_.insert(bytes_.end(), count, 0); }
    void ansi(const std::string& text)
    {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        u8(0);
    }
    void wide(std::u16string_view text)
    {
        for (char16_t c : text) {
            u8(static_cast<uint8_t>(c & 0xFF));
            u8(static_cast<uint8_t>(c >> 8));
        }
        u8(0);
        u8(0);
    }
    [[nodiscard]] std::vector<uint8_t> take() { return std::move(bytes_); }

private:
    std::vector<uint8_t> bytes_;
    size_t start_ = 0;
};

// ---- reading ----

uint32_t readU32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24); }
int32_t readI32(const uint8_t* p) { return static_cast<int32_t>(readU32(p)); }

// NUL-terminated string within [begin, end); a missing terminator ends the
// string at `end`.
std::u16string readAnsi(const uint8_t* begin, const uint8_t* end)
{
    if (begin >= end) return {};
    const auto* terminator = static_cast<const uint8_t*>(std::memchr(begin, 0, static_cast<size_t>(end - begin)));
    const uint8_t* stop = terminator ? terminator : end;
    return decodeAnsi(std::string_view(reinterpret_cast<const char*>(begin), static_cast<size_t>(stop - begin)));
}

std::u16string readWide(const uint8_t* begin, const uint8_t* end)
{
    std::u16string text;
    for (const uint8_t* p = begin; p + 1 < end; p += 2) {
        const auto c = static_cast<char16_t>(p[0] | (p[1] << 8));
        if (c == 0) break;
        text.push_back(c);
    }
    return text;
}

int32_t validTimebase(int32_t timebase) { return (timebase <= 0 || timebase > 960) ? 96 : timebase; }

bool validSignature(int32_t numerator, int32_t denominator)
{
    const bool denominatorOk =
        denominator == 1 || denominator == 2 || denominator == 4 || denominator == 8 || denominator == 16;
    return denominatorOk && numerator >= 1 && numerator <= 16;
}

// State of one block walk: which slots already had their first text record,
// and whether the first marker record has cleared the list.
struct WalkState {
    std::array<bool, kTrackCount> textStarted{};
    bool markersStarted = false;
};

void appendText(DocumentData& result, WalkState& state, int slot, const std::u16string& text)
{
    DocumentSlot& target = result.slots[slot];
    if (!state.textStarted[slot]) {
        target.text.clear();
        state.textStarted[slot] = true;
    }
    target.used = true;
    target.text += text;
}

void appendMarker(DocumentData& result, WalkState& state, Marker marker)
{
    if (!state.markersStarted) {
        result.markers.clear();
        state.markersStarted = true;
    }
    result.markers.push_back(std::move(marker));
}

// Applies one record; `p` is the record start, `size` its payload size.
void applyRecord(const uint8_t* p, uint32_t size, DocumentData& result, WalkState& state)
{
    const uint8_t* end = p + 5 + size;
    const auto type = static_cast<ExtensionRecordType>(p[0]);
    const bool hasSlot = size >= 1 && p[5] < kTrackCount;
    switch (type) {
        case ExtensionRecordType::TrackOrder: {
            if (size < 1) return;
            result.trackOrder.fill(-1);
            size_t count = 0;
            for (uint32_t i = 1; i < size && count < kTrackCount; ++i) {
                const uint8_t slot = p[5 + i];
                if (slot < kTrackCount) result.trackOrder[count++] = slot;
            }
            result.trackOrderPresent = true;
            return;
        }
        case ExtensionRecordType::ChannelProperty: {
            // Older writers may have stored fewer fields; take those present.
            if (size < 4 || !hasSlot) return;
            const auto has = [size](uint32_t offset, uint32_t count) { return offset + count <= 5 + size; };
            DocumentSlot& slot = result.slots[p[5]];
            if (p[6] <= 127) slot.volume = p[6];
            if (p[7] <= 127) slot.panpot = p[7];
            slot.channel = p[8];
            if (has(9, 4)) slot.reserved = readI32(p + 9);
            if (has(13, 4)) slot.startMarker = readI32(p + 13);
            const int32_t instrumentPlusOne = has(21, 4) ? readI32(p + 21) : 0;
            if (instrumentPlusOne != 0) {
                slot.instrument = static_cast<int32_t>(std::max<int64_t>(int64_t{instrumentPlusOne} - 1, 0));
            } else if (has(17, 4)) {
                slot.instrument = mapInstrument(readI32(p + 17));
            }
            if (has(25, 1)) slot.group = p[25];
            if (has(26, 1)) slot.trackType = p[26];
            if (has(27, 1)) slot.option2 = p[27];
            return;
        }
        case ExtensionRecordType::TrackNameAnsi:
            if (hasSlot) result.slots[p[5]].name = readAnsi(p + 6, end);
            return;
        case ExtensionRecordType::TrackNameWide:
            if (hasSlot) result.slots[p[5]].name = readWide(p + 6, end);
            return;
        case ExtensionRecordType::Timing: {
            if (size < 12) return;
            result.timing.timebase = validTimebase(readI32(p + 5));
            result.timing.numerator = readI32(p + 9);
            result.timing.denominator = readI32(p + 13);
            if (!validSignature(result.timing.numerator, result.timing.denominator)) {
                result.timing.numerator = 4;
                result.timing.denominator = 4;
            }
            return;
        }
        case ExtensionRecordType::TrackTextAnsi:
            if (hasSlot) appendText(result, state, p[5], readAnsi(p + 6, end));
            return;
        case ExtensionRecordType::TrackTextWide:
            if (hasSlot) appendText(result, state, p[5], readWide(p + 6, end));
            return;
        case ExtensionRecordType::TitleAnsi: result.title = readAnsi(p + 6, end); return;
        case ExtensionRecordType::SourceAnsi: result.source = readAnsi(p + 6, end); return;
        case ExtensionRecordType::MemoAnsi: result.memo = readAnsi(p + 6, end); return;
        case ExtensionRecordType::TitleWide: result.title = readWide(p + 6, end); return;
        case ExtensionRecordType::SourceWide: result.source = readWide(p + 6, end); return;
        case ExtensionRecordType::MemoWide: result.memo = readWide(p + 6, end); return;
        case ExtensionRecordType::MarkerAnsi:
        case ExtensionRecordType::MarkerWide: {
            if (size < 12) return;
            Marker marker;
            marker.tick = readI32(p + 9);
            marker.colour = readU32(p + 13);
            marker.name = type == ExtensionRecordType::MarkerAnsi ? readAnsi(p + 17, end) : readWide(p + 17, end);
            appendMarker(result, state, std::move(marker));
            return;
        }
        case ExtensionRecordType::TrackGroup: {
            if (size < 16) return;
            const uint32_t index = readU32(p + 5);
            if (index > kGroupRecordLimit) return;
            if (result.groups.size() < index + 1) result.groups.resize(index + 1);
            result.groups[index].name = readWide(p + 21, end);
            return;
        }
        case ExtensionRecordType::ProgramVersion: return;
    }
}

bool markerNeedsRecord(const Marker& marker)
{
    for (char16_t c : marker.name) {
        if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\u3000') return true;
    }
    return false;
}

}  // namespace

std::vector<uint8_t> buildExtensionRecords(const DocumentData& snapshot, bool compact)
{
    RecordWriter w;
    w.begin(ExtensionRecordType::ProgramVersion);
    w.u32((ZEMA_VERSION_MAJOR << 16) | ZEMA_VERSION_MINOR);
    w.u32(ZEMA_VERSION_PATCH << 16);
    w.zeros(8);
    w.end();

    if (compact) {
        w.begin(ExtensionRecordType::Timing);
        w.i32(snapshot.timing.timebase);
        w.i32(snapshot.timing.numerator);
        w.i32(snapshot.timing.denominator);
        w.end();
    }

    const std::vector<int32_t> order = effectiveTrackOrder(snapshot);
    w.begin(ExtensionRecordType::TrackOrder);
    w.u8(0);
    for (int32_t slot : order) w.u8(static_cast<uint8_t>(slot));
    w.end();

    for (int32_t index : order) {
        const DocumentSlot& slot = snapshot.slots[index];
        w.begin(ExtensionRecordType::ChannelProperty);
        w.u8(static_cast<uint8_t>(index));
        w.u8(static_cast<uint8_t>(std::clamp(slot.volume, 0, 127)));
        w.u8(static_cast<uint8_t>(std::clamp(slot.panpot, 0, 127)));
        w.u8(static_cast<uint8_t>(slot.channel));
        w.i32(slot.reserved);
        w.i32(slot.startMarker);
        w.i32(slot.instrument);
        w.u32(static_cast<uint32_t>(slot.instrument) + 1u);
        w.u8(static_cast<uint8_t>(std::clamp(slot.group, 0, kMaxGroupIndex)));
        w.u8(slot.trackType);
        w.u8(slot.option2);
        w.zeros(5);
        w.end();

        if (!compact) continue;
        if (auto name = encodeAnsi(slot.name)) {
            w.begin(ExtensionRecordType::TrackNameAnsi);
            w.u8(static_cast<uint8_t>(index));
            w.ansi(*name);
        } else {
            w.begin(ExtensionRecordType::TrackNameWide);
            w.u8(static_cast<uint8_t>(index));
            w.wide(slot.name);
        }
        w.end();
    }

    const bool writeMarkers =
        compact || std::any_of(snapshot.markers.begin(), snapshot.markers.end(), markerNeedsRecord);
    for (size_t i = 0; writeMarkers && i < snapshot.markers.size(); ++i) {
        const Marker& marker = snapshot.markers[i];
        const auto name = encodeAnsi(marker.name);
        w.begin(name ? ExtensionRecordType::MarkerAnsi : ExtensionRecordType::MarkerWide);
        w.i32(static_cast<int32_t>(i));
        w.i32(marker.tick);
        w.u32(marker.colour);
        if (name) {
            w.ansi(*name);
        } else {
            w.wide(marker.name);
        }
        w.u8(0);
        w.end();
    }

    for (size_t i = 0; i < snapshot.groups.size() && i <= kGroupRecordLimit; ++i) {
        w.begin(ExtensionRecordType::TrackGroup);
        w.u32(static_cast<uint32_t>(i));
        w.zeros(12);
        w.wide(snapshot.groups[i].name);
        w.u8(0);
        w.end();
    }
    return w.take();
}

std::optional<std::string> packExtensionPayload(const std::vector<uint8_t>& records)
{
    const size_t n = records.size();
    if (n > kMaxStreamSize) return std::nullopt;
    std::vector<uint8_t> payload(kHeaderSize + std::max<size_t>(1024, 2 * n));
    auto compressedSize = static_cast<unsigned int>(payload.size() - kHeaderSize);
    // bzip2 takes a non-const source pointer but does not write through it.
    std::vector<uint8_t> source(records);
    const int status = BZ2_bzBuffToBuffCompress(reinterpret_cast<char*>(payload.data() + kHeaderSize), &compressedSize,
                                                reinterpret_cast<char*>(source.data()),
                                                static_cast<unsigned int>(n), 9, 0, 30);
    if (status != BZ_OK) return std::nullopt;
    payload.resize(kHeaderSize + compressedSize);

    const uint32_t bodyCrc = crc32Of(std::string_view(reinterpret_cast<const char*>(payload.data() + kHeaderSize),
                                                      compressedSize));
    for (int i = 0; i < 4; ++i) {
        payload[i] = static_cast<uint8_t>(n >> (8 * i));
        payload[4 + i] = static_cast<uint8_t>(bodyCrc >> (8 * i));
    }
    payload[8] = kMethodBzip2;
    payload[9] = payload[10] = payload[11] = 0;
    return base64Encode(payload);
}

std::optional<std::u16string> encodeExtensionBlock(const DocumentData& snapshot, bool compact)
{
    const auto base64 = packExtensionPayload(buildExtensionRecords(snapshot, compact));
    if (!base64) return std::nullopt;
    std::string text = "[ZEMA EXTENSION]\r\n/* DO NOT EDIT!! DATA VOID IF \"ZEMA EXTENSION\" IS EDITED. */\r\n";
    text += "c=" + std::to_string(crc32Of(*base64)) + "\r\n";
    for (size_t i = 0; i < base64->size(); i += kExtensionLineLength) {
        text += "d=" + base64->substr(i, kExtensionLineLength) + "\r\n";
    }
    return std::u16string(text.begin(), text.end());
}

bool decodeExtensionBlock(std::string_view base64, uint32_t crc, DocumentData& result)
{
    if (crc32Of(base64) != crc) return false;
    return applyExtensionPayload(base64Decode(base64), result);
}

bool applyExtensionPayload(const std::vector<uint8_t>& payload, DocumentData& result)
{
    if (payload.size() < kHeaderSize || payload[9] != 0) return false;
    const uint8_t* body = payload.data() + kHeaderSize;
    const size_t bodySize = payload.size() - kHeaderSize;
    if (crc32Of(std::string_view(reinterpret_cast<const char*>(body), bodySize)) != readU32(payload.data() + 4)) {
        return false;
    }
    const uint32_t length = readU32(payload.data());
    if (payload[8] == kMethodStored) {
        applyExtensionRecords(body, bodySize, result);
        return true;
    }
    if (payload[8] != kMethodBzip2 || length > kMaxStreamSize) return false;

    std::vector<uint8_t> stream(std::max<uint32_t>(length, 1));
    auto streamSize = static_cast<unsigned int>(length);
    std::vector<uint8_t> compressed(body, body + bodySize);
    const int status = BZ2_bzBuffToBuffDecompress(reinterpret_cast<char*>(stream.data()), &streamSize,
                                                  reinterpret_cast<char*>(compressed.data()),
                                                  static_cast<unsigned int>(bodySize), 0, 0);
    if (status != BZ_OK) return false;
    applyExtensionRecords(stream.data(), streamSize, result);
    return true;
}

void applyExtensionRecords(const uint8_t* data, size_t size, DocumentData& result)
{
    WalkState state;
    size_t offset = 0;
    while (offset < size) {
        if (size - offset < 5) break;
        const uint32_t recordSize = readU32(data + offset + 1);
        if (recordSize > size - offset - 5) break;
        applyRecord(data + offset, recordSize, result, state);
        offset += 5 + size_t{recordSize};
    }
}

void ExtensionCollector::take(std::u16string_view key, std::u16string_view value)
{
    if (key == u"c") {
        present_ = true;
        crc_ = parseUnsigned(value);
    } else if (key == u"d") {
        present_ = true;
        // The checksum is over single-byte characters; anything wider cannot be
        // base64 and fails the check.
        for (char16_t c : value) base64_.push_back(c < 0x80 ? static_cast<char>(c) : '\x80');
    }
}

bool ExtensionCollector::apply(DocumentData& result) const
{
    if (base64_.empty()) return false;
    return decodeExtensionBlock(base64_, crc_, result);
}

}  // namespace zema
