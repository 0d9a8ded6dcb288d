#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/strings.h"
#include "core/timing.h"

namespace zema {

// The game's composition ranks: a part fits a rank when its melody, chord 1
// and chord 2 texts each have at most that rank's number of characters.
inline constexpr int kRankCount = 16;
inline constexpr int kNoRank = -1;  // no rank holds the part
struct CompositionRank {
    std::u16string_view name;           // fixed letter or digit; empty for the practice rank
    std::array<int32_t, 3> limits{};    // melody, chord 1, chord 2
};
extern const std::array<CompositionRank, kRankCount> compositionRanks;

// The parts of a score scroll: melody, chord 1, chord 2 and the song (vocal)
// part the game added later.
inline constexpr int kPartCount = 4;
inline constexpr int kSongPart = 3;

// Character limit of `part` at `rank`. The song part has the melody's limit.
// With `excludeSong` (the game's "exclude song part" option) the song part
// cannot be written (limit 0) and melody, chord 1 and chord 2 each grow by a
// third of the melody limit: rank 1 holds 1600/1200/900.
[[nodiscard]] int32_t partLimit(int rank, int part, bool excludeSong = false);

// The lowest rank index whose three limits hold the three counts, or kNoRank.
[[nodiscard]] int rankOf(const std::array<int32_t, 3>& counts);
// The same over melody, chord 1, chord 2 and song counts under either rule.
[[nodiscard]] int rankOf(const std::array<int32_t, kPartCount>& counts, bool excludeSong);
// Display name of a rank index ("練習", "F".."1"), or "作曲不可能" for kNoRank.
// A rank computed with the song part excluded carries a trailing "`" so the
// two rules are never confused.
[[nodiscard]] std::u16string rankName(int rank, bool excludeSong = false);
// The rank index of a name as the game shows it ("F", "E", ..., "9", ..., "1",
// or the practice rank's name); -1 when unknown. A trailing "`" is ignored.
[[nodiscard]] int rankIndexOf(std::u16string_view name);

// Only the characters the game counts, in lower case, without blanks and
// comments. This is the part text when no optimisation is asked for.
[[nodiscard]] std::u16string stripToCommands(std::u16string_view text);

// The six ways a part can be written with optimisation: four writer settings,
// the stripped text and the exact search (writeShortestTrack). Candidate k is
// reported by letter k of "ACBDXE".
inline constexpr int kCandidateCount = 6;
inline constexpr int kStripCandidate = 4;
inline constexpr int kExactCandidate = 5;
[[nodiscard]] std::u16string_view methodLetter(int candidate);

struct OptimizedPart {
    std::u16string text;
    int candidate = kStripCandidate;
};

// Runs the six candidates on six threads and keeps the shortest text. Among
// the first five, on equal length the higher candidate wins (so the stripped
// text wins any tie); the exact search wins only when strictly shorter than
// all five, so a part's text changes only when it gets shorter.
[[nodiscard]] OptimizedPart optimizePart(const TimingContext& context, std::u16string_view text);

// Output forms of the MML@ text.
enum class ClipFormat { Game = 0, Board = 1 };

// One chosen track.
struct ClipSource {
    int32_t trackIndex = 0;
    std::u16string name;
    std::u16string text;       // the editor text
    int32_t sourceCount = 0;   // characterCount of its last compile
};

struct ExportPart {
    int32_t trackIndex = 0;
    int32_t sourceCount = 0;
    int32_t outputCount = 0;
    std::u16string name;
};

// The text written in place of an empty melody: the game refuses a scroll
// whose melody is empty, and an octave up and down sounds nothing.
inline constexpr std::u16string_view kMelodyFiller = u"<>";

struct ClipExport {
    std::u16string text;  // clipboard text; empty when every part is empty
    // Melody, chord 1, chord 2 after sorting, then the song part.
    std::array<ExportPart, kPartCount> parts;
    // Candidate of each part in composition order (0 when absent); the song part last.
    std::array<int, kPartCount> methods{};
    int rank = 0;
    bool hasSong = false;      // a song part was given (and not excluded)
    bool excludeSong = false;  // the rank was computed with the song part excluded
    bool filledMelody = false; // the melody was empty and the filler was written
};

struct ClipOptions {
    ClipFormat format = ClipFormat::Game;
    bool sortByLength = false;
    bool optimize = false;
    // The game's "exclude song part": larger limits, no song part written.
    bool excludeSong = false;
    // Write kMelodyFiller when the melody is empty but another part is not.
    bool melodyFiller = true;
    std::u16string title;   // board header only
    std::u16string source;  // board header only
};

// Composes the clipboard text of up to three tracks (further ones are
// ignored) and, unless the song part is excluded, a song part. Three parts
// give "MML@m,c1,c2;"; a song part is always the fourth field.
[[nodiscard]] ClipExport composeClipboard(const TimingContext& context, const std::vector<ClipSource>& sources,
                                          const ClipOptions& options, const ClipSource* song = nullptr);

// "【曲名】 title", "【出典】 source" and "【作曲可能ランク】 rank (m/c1/c2)" lines
// (a fourth count with a song part) and an empty line, each ended by CR LF.
[[nodiscard]] std::u16string boardHeader(std::u16string_view title, std::u16string_view source,
                                         const ClipExport& result);

// "必要作曲ランク : name".
[[nodiscard]] std::u16string requiredRankLine(int rank, bool excludeSong = false);

// The message shown after a copy: the form, the methods (with optimisation),
// one line per part with its counts and name, and the required rank.
[[nodiscard]] std::u16string resultMessage(const ClipExport& result, ClipFormat format, bool optimize);


}  // namespace zema
