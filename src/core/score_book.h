#pragma once

// Score books: the parts of a song cut into consecutive scrolls that each fit
// a composition rank, and the scrolls of a pasted book joined back into one
// track per part.
//
// In a book every part goes on into the next scroll on its own when its text
// on the current scroll ends, and each scroll's text starts from the fresh
// state: t120, v8, o4, l4, no tie pending. A piece therefore restates, at its
// start, whatever state of the part its notes rely on, and a joined track
// puts the fresh state back between two pieces where the next piece relies on
// it.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/clipboard_export.h"
#include "core/timing.h"

namespace zema {

// Scrolls a book holds.
inline constexpr int kBookScrollLimit = 5;

struct BookScroll {
    // Melody, chord 1, chord 2 and, when the song part is written, the song
    // part: lower-case commands only, as the game counts them.
    std::vector<std::u16string> parts;
    std::u16string line;  // "MML@melody,chord1,chord2;" (or with the song field)
};

enum class BookProblem {
    None,
    UnknownRank,
    NothingToSplit,  // every part is empty
    CannotCut,       // a stretch of part `problemPart` that cannot be cut is longer than its limit
    TooManyScrolls,  // more scrolls than a book holds; the scrolls are still given
};

struct ScoreBook {
    std::vector<BookScroll> scrolls;
    // Length of each whole part written as one text, and the pieces it was cut into.
    std::array<int32_t, kPartCount> lengths{};
    std::array<int32_t, kPartCount> pieceCounts{};
    // What the scroll count is measured against: the largest ceil(length / limit)
    // over the parts.
    int32_t lowerBound = 0;

    BookProblem problem = BookProblem::None;
    int problemPart = -1;        // CannotCut: the part
    int32_t neededLength = 0;    // CannotCut: the shortest piece that would get past the stretch
    int32_t problemLimit = 0;    // CannotCut: that part's limit

    [[nodiscard]] bool ok() const { return problem == BookProblem::None; }
};

// Cuts the parts (editor texts of melody, chord 1, chord 2 and optionally the
// song part, read in the game's dialect) into the fewest scrolls the cut rules
// allow at `rank` (an index of compositionRanks). Each piece fits its part's
// limit (partLimit), starts with the state in force at its cut written as
// briefly as possible, and is cut only between a sound and the next sound
// with no tie between them. Played one after another from the fresh state,
// the pieces of a part give the part's notes, tempo changes and length; the
// only difference is the Tempo event a piece writes when it restates the
// tempo in force at its cut.
//
// With `optimize` the part is first rewritten with optimizePart and each
// piece is rewritten again after cutting. With `excludeSong` the song part is
// left out and the other limits grow as the game's option makes them.
// A scroll's empty melody gets kMelodyFiller, and so does an empty part that
// a later part of the same scroll follows, so that the fields keep their
// places for readers that pass over empty fields.
[[nodiscard]] ScoreBook splitIntoBook(const TimingContext& context, const std::vector<std::u16string>& partTexts,
                                      int rank, bool excludeSong, bool optimize);

// The commands that make `next`, placed after `before` in one track, play as
// it plays at the top of a fresh scroll: o4, l4, v8 and t120 for each of those
// whose value at the end of `before` differs from the fresh one and that
// `next` relies on before setting it; a pending tie is cancelled and an open
// comment closed. Empty when nothing is needed.
[[nodiscard]] std::u16string freshScrollCommands(std::u16string_view before, std::u16string_view next);

// One part of a pasted book as one track: the pieces in order, each after the
// first preceded by `separator` (a comment line) and freshScrollCommands.
// An empty piece adds only the separator, and only once some text came
// before it. What would reach back into the piece before is kept from it:
// stray length characters before a piece's first command (which a fresh
// scroll ignores) are left out, and a `&` before its first sound is cancelled
// by restating the volume just before that sound.
[[nodiscard]] std::u16string joinBookPieces(const std::vector<std::u16string>& pieces, std::u16string_view separator);

}  // namespace zema
