#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/timing.h"

namespace zema {

// Rewrites one track's MML into the shortest equivalent text the writer finds:
// rests merged, default lengths (`l`) placed where they pay off, octave moves
// and note spellings chosen to save characters, all in lower case with no
// blanks or comments. The result plays exactly like the source in the game's
// dialect (same notes, volumes, tempos and end tick); commands the game does
// not know (extended-dialect programs, controls, pitch bends, SysEx) are left
// out.
//
// mode 0 or 1 and option -1, 0 or 1 tune when a new default length is worth
// an `l` command. Appends to `out` and returns the number of characters
// appended.
int32_t rewriteTrack(const TimingContext& context, std::u16string_view text, int mode, int option,
                     std::u16string& out);

}  // namespace zema
