#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/read_status.h"

namespace zema {

// Reading Standard MIDI Files: the header, the track chunks and the events of
// one chunk. Every read is bounded by the bytes given; damaged data ends the
// reading of a track or of the file, never more.

struct SmfHeader {
    int32_t format = 0;      // 0, 1 or 2
    int32_t trackCount = 0;  // track chunks announced by the header
    int32_t timebase = 96;   // ticks per quarter note
    // The division counted SMPTE frames: ticks are real time, converted to a
    // quarter note of half a second (tempo 120), so tempo events mean nothing.
    bool smpte = false;
};

// The header of `bytes`: "MThd", length 6, format 0..2. A division of 0 is
// read as 96 ticks per quarter. Nothing when the header is unusable; then
// `status` (when given) says why: empty, not a MIDI file, or which part of
// the header is wrong.
[[nodiscard]] std::optional<SmfHeader> readSmfHeader(std::string_view bytes, ReadStatus* status = nullptr);

struct SmfFile {
    SmfHeader header;
    std::vector<std::string_view> tracks;  // each MTrk chunk's data, cut at the file end
};

// The header and up to trackCount MTrk chunks. Chunks of other kinds are
// skipped when they fit in the file; a short or unrecognisable chunk head
// ends the reading and keeps the chunks before it. `status` (when given)
// receives the header's failure, or TruncatedTrack when a chunk runs past the
// file end or fewer chunks than announced were found.
[[nodiscard]] std::optional<SmfFile> readSmfFile(std::string_view bytes, ReadStatus* status = nullptr);

// One event as stored in a track chunk.
struct SmfRawEvent {
    int64_t tick = 0;    // sum of the delta times so far
    uint8_t status = 0;  // 0x80..0xEF channel message, 0xF0/0xF7 exclusive, 0xFF meta, other system bytes
    uint8_t data1 = 0;   // channel messages: first data byte
    uint8_t data2 = 0;   // channel messages: second data byte (0 when there is none)
    uint8_t metaType = 0;
    std::string_view payload;  // exclusive bytes after the length, or meta data

    [[nodiscard]] bool isChannelMessage() const { return status >= 0x80 && status < 0xF0; }
    [[nodiscard]] int channel() const { return status & 0x0F; }
    [[nodiscard]] int command() const { return status & 0xF0; }
};

// Walks the events of one track chunk. Running status repeats the last channel
// message status; exclusive and meta events leave it in place, as players do.
// The walk ends at the chunk end, at end-of-track (0x2F), at a delta time or
// length longer than four bytes, or at an event cut off by the chunk end.
class SmfTrackCursor {
public:
    explicit SmfTrackCursor(std::string_view chunk) : data_(chunk) {}

    // The next event, or false when the track has ended.
    [[nodiscard]] bool next(SmfRawEvent& event);

private:
    [[nodiscard]] bool readVariable(uint32_t& value);
    [[nodiscard]] bool readByte(uint8_t& value);
    [[nodiscard]] bool readBytes(size_t count, std::string_view& bytes);

    std::string_view data_;
    size_t position_ = 0;
    int64_t tick_ = 0;
    uint8_t runningStatus_ = 0;
    bool ended_ = false;
};

// Text of a meta event: UTF-8 when the bytes are valid UTF-8 holding a
// multi-byte sequence, otherwise the ANSI code page.
[[nodiscard]] std::u16string decodeSmfText(std::string_view bytes);

}  // namespace zema
