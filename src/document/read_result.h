#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/song.h"
#include "core/timing.h"

namespace zema {

// A marker as documents store it: position, colour (a Windows COLORREF,
// 0x00BBGGRR) and name.
struct DocumentMarker {
    int32_t tick = 0;
    uint32_t colour = 0;
    std::u16string name;

    friend bool operator==(const DocumentMarker&, const DocumentMarker&) = default;
};

// One track slot of a document.
struct TrackSlot {
    bool used = false;
    std::u16string name;
    int32_t instrument = 0;   // 0..6 the game's instruments, 7+ GM program + 7
    int32_t volume = 100;     // 0..127
    int32_t panpot = 64;      // 0..127
    int32_t channel = 0;      // MIDI channel as stored (written = slot index)
    int32_t reserved = -1;    // int32 carried through the extension block
    int32_t marker = 0;       // start marker index (0 = song start)
    uint8_t group = 0;        // index of the TrackGroup, 0 = global group
    uint8_t option1 = 0;      // first option byte (track type)
    uint8_t option2 = 0;      // second option byte
    std::u16string text;      // MML text, lines separated by CR LF

    friend bool operator==(const TrackSlot&, const TrackSlot&) = default;
};

// What every document reader fills and every writer is given: a snapshot of
// the song.
struct ReadResult {
    std::u16string title;
    std::u16string source;
    std::u16string memo;
    TimingContext timing;
    std::array<TrackSlot, kTrackCount> slots;
    // Display order of the slots; the list ends at the first -1.
    std::array<int32_t, kTrackCount> trackOrder;
    bool trackOrderPresent = false;  // the document carried a track order
    std::vector<DocumentMarker> markers;
    std::vector<TrackGroup> groups;
    std::u16string encoding;  // value of the file's Encoding key

    ReadResult() { clear(); }
    // Empty snapshot: default slots (channel = slot index), no order.
    void clear(const TimingContext& defaults = {});

    friend bool operator==(const ReadResult&, const ReadResult&) = default;
};

// The slots to show or write, in order: the listed slots that are in use
// (each once), then every other used slot in slot order, so that a short or
// damaged order hides nothing.
[[nodiscard]] std::vector<int32_t> effectiveTrackOrder(const ReadResult& result);

// Instrument numbers read from MabiMML keys: 0..127 stay, 128..134 are the
// older codes of the game's instruments, anything else is 0.
[[nodiscard]] int32_t mapInstrument(int32_t value);

}  // namespace zema
