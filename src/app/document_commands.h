#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/song.h"

namespace zema {

// Document-wide operations of the main window without a window: the timing
// of the property dialog, markers, and the 32→96 migration.

// The timebase choices of the property dialog, in list order.
struct TimebaseChoice {
    int32_t timebase = 0;
    std::u16string label;  // "標準 :　96 TPQN" ...
};
[[nodiscard]] std::vector<TimebaseChoice> timebaseChoices();
// The text the editable list shows for a timebase: its label, or the number.
[[nodiscard]] std::u16string timebaseText(int32_t timebase);
// The timebase the user entered: a label of the list, or a decimal number;
// nothing unless it lies in 1..960.
[[nodiscard]] std::optional<int32_t> parseTimebase(std::u16string_view text);
// The property dialog's heading: "プロパティ" and the file name, or "(名称未設定)".
[[nodiscard]] std::u16string propertyHeading(std::u16string_view fileName);

// Makes `timing` the song's: markers move with the timebase (tick × new / old,
// rounded to the nearest tick), every track is compiled again. False when
// nothing changed.
bool applyTiming(Song& song, const TimingContext& timing);

// "%04d:%04d": the measure of `tick` and the tick within it.
[[nodiscard]] std::u16string markerPositionText(const TimingContext& timing, int32_t tick);
// A colour for a new marker at `tick` that differs from both neighbours'.
[[nodiscard]] uint32_t newMarkerColour(const Song& song, int32_t tick);
// Inserts a marker in tick order (after markers at the same tick) and merges
// the list again; returns its index in Song::markers.
int32_t insertMarker(Song& song, int32_t tick, std::u16string name);
// Renames or removes marker `index` of Song::markers; the removed or previous
// marker for the undo step, nothing for an index out of range.
std::optional<Marker> renameMarker(Song& song, int32_t index, std::u16string name);
std::optional<Marker> removeMarker(Song& song, int32_t index);

// The 32→96 migration: nothing unless the song's timebase is 32.
[[nodiscard]] std::optional<Song> migratedSong(const Song& song);
// "a.mml" becomes "a (マイグレーション済み).mml"; a name without extension gets the suffix at the end.
[[nodiscard]] std::u16string migratedPath(std::u16string_view path);

}  // namespace zema
