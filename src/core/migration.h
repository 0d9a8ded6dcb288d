#pragma once

#include <string>
#include <string_view>

namespace zema {

// Rewrites one track written at 32 ticks per quarter note for 96 ticks per
// quarter without changing how it plays: every length is tripled and spelled
// exactly (tied lengths where needed, no `l` commands), three-note groups that
// approximate a triplet at 32 ticks per quarter become exact triplets, and
// each measure after the first starts a new line (CR LF). Appends to `out`.
void migrateTrack(std::u16string_view text, std::u16string& out);

}  // namespace zema
