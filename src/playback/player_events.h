#pragma once

#include <cstddef>
#include <cstdint>

#include "core/track_event.h"

namespace zema {

// Inserts the NoteOff of every Note whose volume is 0 or more: at its off tick
// (tick + length), before the first later event whose tick is not less than
// it, so that at one tick the NoteOffs come before every other event. A Note
// of length 0 is followed directly by its own NoteOff, so it never hangs.
// `events` must be ordered by tick, as the song-wide list is.
void insertNoteOffs(SongEventList& events);

// Number of Notes with volume 1 or more: an upper bound of the notes that
// sound at once, for storage reserved before playback.
[[nodiscard]] size_t soundingNoteCount(const SongEventList& events);

// Where playback starting at `tick` begins: the first event whose tick is not
// less than it, and the tempo of the last Tempo event passed (120 when none).
struct StartPoint {
    size_t index = 0;
    int32_t tempo = 120;
};
[[nodiscard]] StartPoint startPointAt(const SongEventList& events, int32_t tick);

// Velocity of a Note's volume 0..15 (volume * 127 / 15).
[[nodiscard]] inline int32_t velocityOfVolume(int32_t volume) { return volume * 127 / 15; }

}  // namespace zema
