#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/song.h"

namespace zema {

// Track commands of the main window, on the song alone: the window records
// the undo steps and refreshes tabs and views around them.

// The longest name a track gets from renaming its tab.
inline constexpr size_t kTrackNameLimit = 31;

// Puts the first free slot (in index order, never index 9, which is MIDI
// channel 10) into use: reset, named "Track%d" with its number or `name`,
// appended to the tab order, compiled and merged. Returns the slot, or
// nothing when every other slot is taken.
[[nodiscard]] std::optional<int32_t> addTrack(Song& song, const std::optional<std::u16string>& name = std::nullopt);

// What deleting a track took out of the song.
struct DeletedTrack {
    int32_t slot = 0;
    int32_t tabPosition = 0;  // where its tab was
    Track record;             // the slot as it was, text and properties
};

// Frees `slot` and removes its events and tab; the tab at the same position
// (or the last one) becomes current. Refused (nothing) when it is the last
// tab or the slot is not in use.
[[nodiscard]] std::optional<DeletedTrack> deleteTrack(Song& song, int32_t slot);

// Sets the name cut to kTrackNameLimit characters; returns the previous
// properties (for the undo step) or nothing when the slot is not in use.
[[nodiscard]] std::optional<Track> renameTrack(Song& song, int32_t slot, std::u16string_view name);

// The Mute, Solo, All and group-link buttons, acting on `slot`. A track in a
// group other than the global one with its link on takes its whole group along.
void toggleMute(Song& song, int32_t slot);
void solo(Song& song, int32_t slot);
void unmuteAll(Song& song);
// Only for a track of a group other than the global one: flips its link and
// gives every track of the group the new value. False when nothing changed.
bool toggleGroupLink(Song& song, int32_t slot);

}  // namespace zema
