#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/timing.h"

namespace zema {

// The shortest text in the game's dialect that compiles to exactly the same
// notes (tick, length, note number, volume), tempo changes and end tick as
// `text`, found by a shortest-path search over the compiled track: where to
// set the default length, how to move between octaves (relative, absolute,
// `n`, and `b+`/`c-` across an octave boundary), how to spell each note and
// rest length (number, default, lone dot, or tied pieces), where volumes go.
//
// Optimal within these bounds, which no ordinary song reaches:
// - inside one tied note (or one run of rests) between two tempo changes, at
//   most one `l` is written between its pieces (any number between notes),
//   after at most 256 pieces of the default it replaces;
// - a note keeps one octave for all its tied pieces, except across a tempo
//   change inside it.
//
// Returns nothing (the candidate abstains) when the text cannot be written
// exactly in the game's dialect or is too large to search: a tempo outside
// 32..255 (extended dialect), a timebase above 960, a track longer than
// 2^30 ticks or with more than 40,000 notes, rests and tempo-split pieces.
// Program, control, pitch-bend and SysEx commands of the extended dialect
// are not written, as with the other rewrites.
[[nodiscard]] std::optional<std::u16string> writeShortestTrack(const TimingContext& context, std::u16string_view text);

}  // namespace zema
