#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// The lowest rank index whose three limits hold the three counts, or kNoRank.
[[nodiscard]] int rankOf(const std::array<int32_t, 3>& counts);
// Display name of a rank index ("練習", "F".."1"), or "作曲不可能" for kNoRank.
[[nodiscard]] std::u16string rankName(int rank);

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

struct ClipExport {
    std::u16string text;               // clipboard text; empty when every part is empty
    std::array<ExportPart, 3> parts;   // melody, chord 1, chord 2 after sorting
    std::array<int, 3> methods{};      // candidate of each part in composition order (0 when absent)
    int rank = 0;
};

struct ClipOptions {
    ClipFormat format = ClipFormat::Game;
    bool sortByLength = false;
    bool optimize = false;
    std::u16string title;   // board header only
    std::u16string source;  // board header only
};

// Composes the clipboard text of up to three tracks (further ones are ignored).
[[nodiscard]] ClipExport composeClipboard(const TimingContext& context, const std::vector<ClipSource>& sources,
                                          const ClipOptions& options);

// "【曲名】 title", "【出典】 source" and "【作曲可能ランク】 rank (m/c1/c2)" lines
// and an empty line, each ended by CR LF.
[[nodiscard]] std::u16string boardHeader(std::u16string_view title, std::u16string_view source, int rank,
                                         const std::array<int32_t, 3>& counts);

// "必要作曲ランク : name".
[[nodiscard]] std::u16string requiredRankLine(int rank);

// The message shown after a copy: the form, the methods (with optimisation),
// one line per part with its counts and name, and the required rank.
[[nodiscard]] std::u16string resultMessage(const ClipExport& result, ClipFormat format, bool optimize);

}  // namespace zema
