#include "document/smf_reader.h"

#include <algorithm>
#include <cstdint>

#include "core/unicode.h"
#include "document/text_encoding.h"

namespace zema {

namespace {

uint32_t bigEndian(std::string_view bytes, size_t position, size_t count)
{
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i) value = (value << 8) | static_cast<uint8_t>(bytes[position + i]);
    return value;
}

bool isChunkIdCharacter(char c) { return c >= 0x20 && c <= 0x7E; }

// SMPTE division: the high byte is minus the frame rate, the low byte the
// ticks per frame. 29 stands for 29.97 frames, close enough to 30 for music.
std::optional<int32_t> smpteTimebase(uint32_t division)
{
    const int framesPerSecond = -static_cast<int8_t>(static_cast<uint8_t>(division >> 8));
    const int ticksPerFrame = static_cast<int>(division & 0xFF);
    if (framesPerSecond != 24 && framesPerSecond != 25 && framesPerSecond != 29 && framesPerSecond != 30) {
        return std::nullopt;
    }
    if (ticksPerFrame == 0) return std::nullopt;
    const int ticksPerSecond = (framesPerSecond == 29 ? 30 : framesPerSecond) * ticksPerFrame;
    return std::max(1, ticksPerSecond / 2);  // a quarter note of half a second
}

}  // namespace

std::optional<SmfHeader> readSmfHeader(std::string_view bytes, ReadStatus* status)
{
    ReadStatus ignored;
    ReadStatus& fault = status != nullptr ? *status : ignored;
    constexpr std::string_view kMagic = "MThd";
    if (bytes.empty()) {
        fault = ReadStatus::of(ReadStatusKind::Empty);
        return std::nullopt;
    }
    if (!kMagic.starts_with(bytes.substr(0, kMagic.size()))) {
        fault = ReadStatus::of(ReadStatusKind::WrongKind, ReadDetail::NotMidiFile);
        return std::nullopt;
    }
    if (bytes.size() < 14) {
        fault = ReadStatus::of(ReadStatusKind::BadMidiHeader, ReadDetail::HeaderCut);
        return std::nullopt;
    }
    if (const uint32_t length = bigEndian(bytes, 4, 4); length != 6) {
        fault = ReadStatus::of(ReadStatusKind::BadMidiHeader, ReadDetail::HeaderLength,
                               static_cast<int32_t>(std::min<uint32_t>(length, INT32_MAX)));
        return std::nullopt;
    }
    SmfHeader header;
    header.format = static_cast<int32_t>(bigEndian(bytes, 8, 2));
    if (header.format > 2) {
        fault = ReadStatus::of(ReadStatusKind::BadMidiHeader, ReadDetail::HeaderFormat, header.format);
        return std::nullopt;
    }
    header.trackCount = static_cast<int32_t>(bigEndian(bytes, 10, 2));
    const uint32_t division = bigEndian(bytes, 12, 2);
    if (division & 0x8000) {
        const auto timebase = smpteTimebase(division);
        if (!timebase) {
            // As the header gives it: minus the frame rate in the high byte.
            const int32_t frames = -static_cast<int8_t>(static_cast<uint8_t>(division >> 8));
            fault = ReadStatus::of(ReadStatusKind::BadMidiHeader, ReadDetail::HeaderDivision, frames);
            return std::nullopt;
        }
        header.timebase = *timebase;
        header.smpte = true;
    } else {
        header.timebase = division == 0 ? 96 : static_cast<int32_t>(division);
    }
    return header;
}

std::optional<SmfFile> readSmfFile(std::string_view bytes, ReadStatus* status)
{
    const auto header = readSmfHeader(bytes, status);
    if (!header) return std::nullopt;
    SmfFile file;
    file.header = *header;
    int32_t cutTrack = 0;  // from 1: the chunk that ran past the file end
    size_t position = 14;
    while (static_cast<int32_t>(file.tracks.size()) < header->trackCount) {
        if (bytes.size() - position < 8) break;
        const std::string_view id = bytes.substr(position, 4);
        const uint64_t length = bigEndian(bytes, position + 4, 4);
        const size_t start = position + 8;
        const size_t available = bytes.size() - start;
        if (id == "MTrk") {
            // A length past the file end keeps what is there.
            file.tracks.push_back(bytes.substr(start, static_cast<size_t>(std::min<uint64_t>(length, available))));
            if (length > available && cutTrack == 0) cutTrack = static_cast<int32_t>(file.tracks.size());
            position = length >= available ? bytes.size() : start + static_cast<size_t>(length);
            continue;
        }
        // Chunks of other kinds are skipped, as the file format asks of
        // readers; anything that does not look like a chunk is damage.
        bool plausible = length <= available;
        for (char c : id) plausible = plausible && isChunkIdCharacter(c);
        if (!plausible) break;
        position = start + static_cast<size_t>(length);
    }
    if (status != nullptr) {
        const auto found = static_cast<int32_t>(file.tracks.size());
        if (cutTrack > 0) {
            *status = ReadStatus::of(ReadStatusKind::TruncatedTrack, ReadDetail::TrackCut, cutTrack);
        } else if (found < header->trackCount) {
            *status = ReadStatus::of(ReadStatusKind::TruncatedTrack, ReadDetail::TracksMissing, found);
            status->expected = header->trackCount;
        } else {
            *status = {};
        }
    }
    return file;
}

bool SmfTrackCursor::readByte(uint8_t& value)
{
    if (position_ >= data_.size()) return false;
    value = static_cast<uint8_t>(data_[position_++]);
    return true;
}

bool SmfTrackCursor::readBytes(size_t count, std::string_view& bytes)
{
    if (data_.size() - position_ < count) return false;
    bytes = data_.substr(position_, count);
    position_ += count;
    return true;
}

bool SmfTrackCursor::readVariable(uint32_t& value)
{
    value = 0;
    for (int i = 0; i < 4; ++i) {
        uint8_t byte = 0;
        if (!readByte(byte)) return false;
        value = (value << 7) | (byte & 0x7F);
        if (!(byte & 0x80)) return true;
    }
    return false;  // more than four bytes
}

bool SmfTrackCursor::next(SmfRawEvent& event)
{
    while (!ended_) {
        uint32_t delta = 0;
        uint8_t status = 0;
        if (!readVariable(delta) || !readByte(status)) break;
        tick_ += delta;
        event = SmfRawEvent{};
        event.tick = tick_;

        if (status < 0x80) {
            // A data byte in place of a status byte repeats the last status;
            // without one there is nothing to repeat and the byte is skipped.
            if (runningStatus_ == 0) continue;
            --position_;
            status = runningStatus_;
        }
        event.status = status;

        if (status < 0xF0) {
            runningStatus_ = status;
            const int command = status & 0xF0;
            const bool twoBytes = command != 0xC0 && command != 0xD0;
            uint8_t first = 0;
            uint8_t second = 0;
            if (!readByte(first) || (twoBytes && !readByte(second))) break;
            event.data1 = first & 0x7F;
            event.data2 = second & 0x7F;
            return true;
        }

        uint32_t length = 0;
        switch (status) {
        case 0xF0:
        case 0xF7:
            if (!readVariable(length) || !readBytes(length, event.payload)) break;
            return true;
        case 0xFF: {
            uint8_t type = 0;
            if (!readByte(type) || !readVariable(length) || !readBytes(length, event.payload)) break;
            event.metaType = type;
            if (type == 0x2F) ended_ = true;
            return true;
        }
        case 0xF1:
        case 0xF3:
            if (!readBytes(1, event.payload)) break;
            return true;
        case 0xF2:
            if (!readBytes(2, event.payload)) break;
            return true;
        default:  // F4..F6, F8..FE: no data
            return true;
        }
        break;  // an event cut off by the chunk end
    }
    ended_ = true;
    return false;
}

std::u16string decodeSmfText(std::string_view bytes)
{
    bool multiByte = false;
    for (char c : bytes) multiByte = multiByte || static_cast<uint8_t>(c) >= 0x80;
    if (multiByte && isValidUtf8(bytes)) return utf8ToUtf16(bytes);
    return decodeAnsi(bytes);
}

}  // namespace zema
