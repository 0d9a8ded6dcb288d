#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "core/song.h"
#include "core/timing.h"
#include "core/track_event.h"

namespace zema {

// One track slot as the MIDI export sees it.
struct SmfExportTrack {
    bool used = false;
    std::u16string name;
    int32_t instrument = 0;  // 0..6 the game's instruments, 7+ GM program + 7
    int32_t volume = 100;    // 0..127
    int32_t panpot = 64;     // 0..127
    EventList events;        // compiled events, every channel assigned (0..15)
};

struct SmfExportRequest {
    int32_t format = 1;  // 1: one chunk per slot; 0: everything in one chunk
    std::u16string title;
    TimingContext timing;
    std::array<SmfExportTrack, kTrackCount> tracks;
};

// The request for a compiled song: each used slot's events with the slot's
// index as the channel of events that chose none.
[[nodiscard]] SmfExportRequest smfExportRequestOf(const Song& song, int32_t format);

// The General MIDI program of an instrument number: the game's seven
// instruments map through their table, 7 and above are program n - 7.
[[nodiscard]] int32_t programOfInstrument(int32_t instrument);

// The Standard MIDI File bytes of a request.
[[nodiscard]] std::string buildSmf(const SmfExportRequest& request);

// Writes the file through a temporary file renamed over `path`; false when it
// cannot be written (the old file then stays as it was).
[[nodiscard]] bool exportSmf(const std::filesystem::path& path, const SmfExportRequest& request);

}  // namespace zema
