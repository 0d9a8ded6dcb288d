#pragma once

// Internals of the note-edit engine: how a stretch of a track is spelled when
// the engine writes it anew. Shared by the engine and its tests.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/exact_pieces.h"

namespace zema::noteedit {

// The compiler state a stretch of text starts from or must leave behind.
struct ScoreState {
    int32_t tick = 0;
    int32_t octave = 4;
    int32_t length = 4;  // default length (`l`)
    bool dotted = false;
    int32_t volume = 8;

    friend bool operator==(const ScoreState&, const ScoreState&) = default;
};

// Which parts of the state the text after a stretch still reads.
struct Restore {
    bool octave = true;
    bool length = true;
    bool volume = true;
};

// Something the stretch holds at a tick: a note to spell, or a command copied
// as it stands (tempo, and the extended dialect's program, control, pitch
// bend and SysEx), which takes no time.
struct SpanItem {
    int32_t tick = 0;
    int32_t length = 0;      // notes: ticks
    int32_t noteNumber = -1; // -1 for a copied command
    int32_t volume = 8;
    std::u16string_view copied;

    [[nodiscard]] bool isNote() const { return noteNumber >= 0; }
};

// Lowest and highest note numbers a letter can spell (c- in octave 0, b+ in octave 8).
inline constexpr int32_t kLowestNote = 11;
inline constexpr int32_t kHighestNote = 120;

// Writes the music of ticks [from.tick, endTick) — the items, in tick order,
// with rests in the gaps — starting in state `from`. Lengths use the default
// length in force (no `l` is written); a note outside the current octave gets
// relative octave marks (`o` for long jumps) or an `n` number, whichever is
// shorter counting the way back; volumes change with `v` only where a note
// needs it. At the end the octave, default length and volume come back to
// `to` where `restore` says the following text reads them. Returns false when
// a length has no spelling at this timebase or the items overlap.
[[nodiscard]] bool writeSpan(exact::PieceTables& tables, const ScoreState& from, const std::vector<SpanItem>& items,
                             int32_t endTick, const ScoreState& to, Restore restore, std::u16string& out);

// Characters a note of this many ticks takes when spelled on its own in the
// given state (no octave or volume change counted): what a user "pays" for
// the note itself. kInfinity when it has no spelling.
[[nodiscard]] int32_t noteSpellingCost(exact::PieceTables& tables, const ScoreState& state, int32_t noteNumber,
                                       int32_t ticks);

}  // namespace zema::noteedit
