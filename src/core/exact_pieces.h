#pragma once

// Internals of the exact optimiser: what each way of spelling a stretch of
// ticks costs in characters, at one timebase.
//
// A "state" is a default length as set by `l`: code = length - 1, plus 64
// when dotted (0..127), the same codes the writer uses. A "piece" is one note
// or rest command; a chain of pieces joined by `&` (notes) or simply written
// one after the other (rests) spells a length in ticks.

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

// Dense loops over the table of states: coverage-guided fuzzing learns
// nothing from their comparisons but spends most of its time tracing them.
#if defined(__clang__)
#define ZEMA_EXACT_DENSE __attribute__((no_sanitize("coverage")))
#else
#define ZEMA_EXACT_DENSE
#endif

namespace zema::exact {

inline constexpr int kStates = 128;
inline constexpr int kOctaves = 9;
inline constexpr int32_t kInfinity = 1 << 28;

[[nodiscard]] constexpr int stateLength(int state) { return state % 64 + 1; }
[[nodiscard]] constexpr bool stateDotted(int state) { return state >= 64; }
// Characters of a length number and its dot ("16." is 3).
[[nodiscard]] constexpr int32_t lengthChars(int state)
{
    return (stateLength(state) >= 10 ? 2 : 1) + (stateDotted(state) ? 1 : 0);
}
// Characters of the `l` command that sets a state.
[[nodiscard]] constexpr int32_t lengthCommandCost(int state) { return 1 + lengthChars(state); }

// Per-piece character costs of one kind of chain. Every cost includes the
// `&` that joins a note piece to the one before it; the caller takes one `&`
// back per note.
struct PieceCosts {
    int32_t explicitOverhead = 0;  // letter (and accidental, and `&`) before a length number; 0 = none possible
    int32_t defaultCost = 0;       // a piece of the default length, length not written
    // A piece written with a lone dot under an undotted default ("c.", "r.").
    [[nodiscard]] int32_t dottedDefaultCost() const { return explicitOverhead == 0 ? kInfinity : explicitOverhead + 1; }
    friend bool operator==(const PieceCosts&, const PieceCosts&) = default;
};

// Characters per tick as a fraction num / den; den = 0 when no piece makes
// ticks at all.
struct Rate {
    int64_t num = 0;
    int64_t den = 0;
};

// Whether base + y * rate < limit can hold (y >= 0 ticks).
[[nodiscard]] constexpr bool belowLimit(int64_t base, int64_t y, Rate rate, int64_t limit)
{
    if (rate.den == 0) return y == 0 && base < limit;
    return base * rate.den + y * rate.num < limit * rate.den;
}

// The pieces of one chain under a known default: how many take the default
// length, how many a lone dot, and the length codes written out.
struct ChainSpelling {
    int32_t defaults = 0;        // pieces of the default length
    int32_t dottedDefaults = 0;  // pieces written with a lone dot
    std::vector<int> explicitCodes;
};

class PieceTables {
public:
    // timebase: as the compiler reads it (at least 1). The explicit-piece
    // tables are built once per timebase and shared by every search at it,
    // from any thread; the chain caches belong to this object.
    explicit PieceTables(int32_t timebase);

    [[nodiscard]] int32_t ticks(int state) const { return ticks_[static_cast<size_t>(state)]; }
    // Ticks of "c." under the undotted default `state`; 0 when the state is dotted.
    [[nodiscard]] int32_t dottedDefaultTicks(int state) const { return stateDotted(state) ? 0 : ticks(state + 64); }

    // Least cost of writing `x` ticks with explicit-length pieces only, each
    // costing `overhead` plus its length characters; kInfinity when no sum of
    // pieces makes x. 0 for x = 0. Exact for every x (the table repeats with
    // the cheapest piece per tick, detected and proven, beyond some point).
    [[nodiscard]] int32_t explicitCost(int32_t overhead, int32_t x) const;
    // The explicit pieces of that least cost.
    void explicitPieces(int32_t overhead, int32_t x, std::vector<int>& codes) const;

    // For every default state s, the least cost of a chain of x > 0 ticks
    // under s (default pieces, dotted-default pieces and explicit pieces),
    // or of the empty chain for x = 0.
    [[nodiscard]] const std::array<int32_t, kStates>& chainCosts(const PieceCosts& costs, int32_t x);
    // The same for one state only (computed on demand, then kept).
    [[nodiscard]] int32_t chainCost(const PieceCosts& costs, int state, int32_t x);
    // A chain of that least cost under `state`.
    [[nodiscard]] ChainSpelling chainSpelling(const PieceCosts& costs, int state, int32_t x);

    struct Rates {
        // The fewest characters per tick of any piece a chain under a state
        // can use: every chain of y ticks under it costs at least y times this.
        std::array<Rate, kStates> byState;
        // The fewest over every state: a bound on any chain whatever its default.
        Rate best;
    };
    [[nodiscard]] const Rates& chainRates(const PieceCosts& costs);

    // Cheapest explicit piece of zero ticks (short lengths at tiny timebases),
    // as a state; -1 when there is none.
    [[nodiscard]] int zeroTickCode() const;

    // False when a knapsack table would pass its memory cap before showing
    // its period (no timebase up to 960 comes near it).
    [[nodiscard]] bool ok() const;

private:
    struct Knapsack;  // the explicit-piece tables of one timebase

    int32_t computeChainCost(const PieceCosts& costs, int state, int32_t x, ChainSpelling* spelling);
    std::array<int32_t, kStates>& chainSlot(const PieceCosts& costs, int32_t x);

    std::shared_ptr<const Knapsack> knapsack_;
    std::array<int32_t, kStates> ticks_{};
    // By piece costs and ticks: the least chain cost per state, -1 until asked.
    std::unordered_map<uint64_t, std::array<int32_t, kStates>> chains_;
    std::unordered_map<uint64_t, Rates> rates_;  // by piece costs
};

}  // namespace zema::exact
