#pragma once

#include <array>

#include "core/song.h"

namespace zema {

// The entries of the piano-roll target list, in list order.
enum class PianoTarget : int {
    CurrentTrack = 0,     // "現在のトラック"
    Global = 1,           // "グローバル"
    GlobalEmphasised = 2, // "グローバル 強調"
    Group = 3,            // "グループ"
    GroupEmphasised = 4,  // "グループ 強調"
    User = 5,             // "ユーザー指定"
    UserEmphasised = 6,   // "ユーザー指定 強調"
};
inline constexpr int kPianoTargetCount = 7;

using TrackMask = std::array<bool, kTrackCount>;

// Which tracks the piano roll draws and which of those it emphasises (draws
// as full note boxes in their colours; the others appear as small diamonds
// at their note starts, so they give orientation without hiding the track
// being edited).
struct PianoTrackSelection {
    TrackMask visible{};
    TrackMask emphasised{};  // always a subset of `visible`

    friend bool operator==(const PianoTrackSelection&, const PianoTrackSelection&) = default;
};

// The tracks a target entry selects. Only slots in use are ever drawn.
//
// - 0 current track: the current track alone, emphasised.
// - 1 global: every track of the song ("global" as in the whole song, not
//   only the members of group 0); only the current track is emphasised.
// - 2 global, emphasised: every track, all emphasised.
// - 3 group: the tracks of the current track's group (group 0, the global
//   group, when the track is in no other group); only the current track is
//   emphasised.
// - 4 group, emphasised: the same tracks, all emphasised.
// - 5 user: exactly the tracks of `userTracks` (the current track only if it
//   is chosen there); of them the current track is emphasised.
// - 6 user, emphasised: the same tracks, all emphasised.
//
// A track whose group number names no existing group counts as a member of
// the global group. An index outside 0..6 acts as 0.
[[nodiscard]] PianoTrackSelection pianoTargetSelection(int target, const Song& song, const TrackMask& userTracks);

// The group a slot belongs to for these rules (0 for out-of-range numbers).
[[nodiscard]] int effectiveGroup(const Song& song, int slot);

}  // namespace zema
