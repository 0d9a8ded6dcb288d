#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/song.h"
#include "core/timing.h"

namespace zema {

// One track slot of a document: the track's properties and what the slot
// carries besides them.
struct DocumentSlot : TrackProperties {
    bool used = false;
    int32_t channel = 0;      // MIDI channel as stored (written = slot index)
    int32_t reserved = -1;    // int32 carried through the extension block
    std::u16string text;      // MML text, lines separated by CR LF

    friend bool operator==(const DocumentSlot&, const DocumentSlot&) = default;
};

// What every document reader fills and every writer is given: a snapshot of
// the song.
struct DocumentData {
    std::u16string title;
    std::u16string source;
    std::u16string memo;
    TimingContext timing;
    std::array<DocumentSlot, kTrackCount> slots;
    // Display order of the slots; the list ends at the first -1.
    std::array<int32_t, kTrackCount> trackOrder;
    bool trackOrderPresent = false;  // the document carried a track order
    std::vector<Marker> markers;
    std::vector<TrackGroup> groups;
    std::u16string encoding;  // value of the file's Encoding key

    DocumentData() { clear(); }
    // Empty snapshot: default slots (channel = slot index), no order.
    void clear(const TimingContext& defaults = {});

    friend bool operator==(const DocumentData&, const DocumentData&) = default;
};

// The slots to show or write, in order: the listed slots that are in use
// (each once), then every other used slot in slot order, so that a short or
// damaged order hides nothing.
[[nodiscard]] std::vector<int32_t> effectiveTrackOrder(const DocumentData& document);

// Instrument numbers read from MabiMML keys: 0..127 stay, 128..134 are the
// older codes of the game's instruments, anything else is 0.
[[nodiscard]] int32_t mapInstrument(int32_t value);

}  // namespace zema
