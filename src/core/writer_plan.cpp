#include "core/writer_plan.h"

#include <algorithm>
#include <array>
#include <optional>

#include "core/timing.h"

namespace zema::writer {

namespace {

using Kind = TrackEventKind;

constexpr std::array<int32_t, 7> kStandardLengths = {1, 2, 4, 8, 16, 32, 64};
constexpr int32_t kCodeCount = 128;
constexpr int32_t kDotCode = 64;
constexpr size_t kMaxChain = 13;

bool isNoteOrRest(const Item& item) { return item.kind == Kind::Note || item.kind == Kind::Rest; }

bool isStandardRest(const Item& item)
{
    return std::find(kStandardLengths.begin(), kStandardLengths.end(), item.lengthNumber) != kStandardLengths.end();
}

// A rest piece of a merged run.
struct Piece {
    int32_t number = 0;
    bool dotted = false;
    int32_t ticks = 0;
};

// Greedy split into undotted standard lengths, longest first. Lengths that
// take no ticks at this timebase are skipped. Returns the ticks left over.
int32_t greedySplit(int32_t total, int32_t timebase, std::vector<Piece>& pieces)
{
    for (int32_t number : kStandardLengths) {
        const int32_t ticks = tickOfLength(timebase, number, false);
        if (ticks <= 0) continue;
        while (total >= ticks) {
            pieces.push_back({number, false, ticks});
            total -= ticks;
        }
    }
    return total;
}

// Pieces adding up to exactly `total`. A total the undotted lengths cannot
// reach (a run holding a dotted sixty-fourth at 96 ticks per quarter) ends on
// one dotted piece; nothing when even that fails.
std::optional<std::vector<Piece>> splitExactly(int32_t total, int32_t timebase)
{
    std::vector<Piece> pieces;
    if (greedySplit(total, timebase, pieces) == 0) return pieces;
    for (auto it = kStandardLengths.rbegin(); it != kStandardLengths.rend(); ++it) {
        const int32_t dottedTicks = tickOfLength(timebase, *it, true);
        if (dottedTicks <= 0 || dottedTicks > total) continue;
        pieces.clear();
        if (greedySplit(total - dottedTicks, timebase, pieces) == 0) {
            pieces.push_back({*it, true, dottedTicks});
            return pieces;
        }
    }
    return std::nullopt;
}

// Whole rests are cheaper as dotted wholes: 3 wholes are 2 dotted wholes,
// 6 wholes are 4; a long run also turns a remaining pair into a dotted whole
// and a half.
void groupWholes(std::vector<Piece>& pieces, int32_t timebase)
{
    const auto isWhole = [](const Piece& p) { return p.number == 1 && !p.dotted; };
    size_t total = 0;
    while (total < pieces.size() && isWhole(pieces[total])) ++total;
    const Piece whole{1, false, tickOfLength(timebase, 1, false)};
    const Piece dottedWhole{1, true, tickOfLength(timebase, 1, true)};
    if (total >= 3) {
        const size_t dottedCount = total >= 6 ? 4 * (total / 6) : 2;
        const size_t plainCount = total >= 6 ? total % 6 : total - 3;
        std::vector<Piece> grouped(dottedCount, dottedWhole);
        grouped.insert(grouped.end(), plainCount, whole);
        pieces.erase(pieces.begin(), pieces.begin() + static_cast<std::ptrdiff_t>(total));
        pieces.insert(pieces.begin(), grouped.begin(), grouped.end());
    }
    if (total > 6) {
        size_t k = 0;
        while (k < pieces.size() && pieces[k].number == 1 && pieces[k].dotted) ++k;
        if (k + 1 < pieces.size() && isWhole(pieces[k]) && isWhole(pieces[k + 1])) {
            pieces[k] = dottedWhole;
            pieces[k + 1] = Piece{2, false, tickOfLength(timebase, 2, false)};
        }
    }
}

// A piece followed by one of half its length becomes one dotted piece
// (T + T/2 is exactly the dotted length of T). A merged piece is not merged again.
void mergeHalves(std::vector<Piece>& pieces)
{
    size_t i = 1;
    while (i < pieces.size()) {
        Piece& before = pieces[i - 1];
        if (!before.dotted && pieces[i].ticks > 0 && pieces[i].ticks == before.ticks / 2) {
            before.dotted = true;
            before.ticks += pieces[i].ticks;
            pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(i));
            i += 1;
        } else {
            ++i;
        }
    }
}

}  // namespace

int32_t lengthCode(const Item& item) { return item.lengthNumber - 1 + (item.dotted ? kDotCode : 0); }

int32_t codeWeight(int32_t code)
{
    if (code <= 8) return 1;
    if (code <= 72) return 2;
    return 3;
}

void normaliseRests(std::vector<Item>& items, int32_t timebase)
{
    std::vector<Item> kept;
    std::vector<Item> pieces;  // flushed rests, ascending ticks
    std::vector<Item> pending;
    kept.reserve(items.size());

    const auto flush = [&] {
        if (pending.empty()) return;
        int64_t total = 0;
        for (const Item& rest : pending) total += rest.length;
        const auto split = total <= INT32_MAX ? splitExactly(static_cast<int32_t>(total), timebase) : std::nullopt;
        if (!split) {
            pieces.insert(pieces.end(), pending.begin(), pending.end());
        } else {
            std::vector<Piece> parts = *split;
            groupWholes(parts, timebase);
            mergeHalves(parts);
            int32_t tick = pending.front().tick;
            for (const Piece& part : parts) {
                Item rest = pending.front();
                rest.tick = tick;
                rest.length = part.ticks;
                rest.lengthNumber = part.number;
                rest.dotted = part.dotted;
                pieces.push_back(rest);
                tick += part.ticks;
            }
        }
        pending.clear();
    };

    for (const Item& item : items) {
        switch (item.kind) {
        case Kind::Rest:
            if (isStandardRest(item)) {
                pending.push_back(item);
            } else {
                flush();
                kept.push_back(item);
            }
            break;
        case Kind::Tie:
            if (pending.empty()) kept.push_back(item);
            break;
        case Kind::Note:
        case Kind::Tempo:
        case Kind::TrackEnd:
            flush();
            kept.push_back(item);
            break;
        default:
            kept.push_back(item);
            break;
        }
    }
    flush();

    // Each piece goes before the first event that starts after it.
    items.clear();
    size_t next = 0;
    for (const Item& piece : pieces) {
        while (next < kept.size() && kept[next].tick <= piece.tick) items.push_back(kept[next++]);
        items.push_back(piece);
    }
    items.insert(items.end(), kept.begin() + static_cast<std::ptrdiff_t>(next), kept.end());
}

namespace {

// Pass 1: walk the notes greedily and switch the default length to a code as
// soon as its accumulated saving passes the threshold; the `l` goes where that
// code began to score and the walk resumes just after it.
void planGreedy(const std::vector<int32_t>& codes, const std::vector<size_t>& at, int mode, int option,
                std::vector<int32_t>& plan)
{
    std::array<int32_t, kCodeCount> score{};
    std::array<size_t, kCodeCount> first{};
    const auto gain = [&](int32_t code, int32_t amount, size_t k) {
        if (score[code] == 0) first[code] = k;
        score[code] += amount;
    };
    const auto dropAll = [&](int32_t amount, int32_t except1, int32_t except2) {
        for (int32_t x = 0; x < kCodeCount; ++x) {
            if (x != except1 && x != except2) score[x] = std::max(0, score[x] - amount);
        }
    };
    int32_t cur = 3;
    size_t k = 0;
    while (k < codes.size()) {
        const int32_t c = codes[k];
        const int32_t w = codeWeight(c);
        const int32_t threshold = w + option + 1;
        int32_t switchTo = -1;
        if (c == cur) {
            dropAll(w, c, c);
        } else if (c - kDotCode == cur) {
            if (score[cur] > 0) --score[cur];
            dropAll(w - 1, c, cur);
            if (mode == 1) {
                gain(c, w - 1, k);
                if (score[c] > threshold) switchTo = c;
            }
        } else {
            gain(c, w, k);
            if (c >= kDotCode) {
                const int32_t b = c - kDotCode;
                gain(b, w - 1, k);
                if (mode == 1 && score[b] > threshold) switchTo = b;
            }
            if (switchTo < 0 && score[c] > threshold) switchTo = c;
        }
        if (switchTo < 0) {
            ++k;
            continue;
        }
        const size_t from = first[switchTo];
        plan[at[from]] = switchTo;
        cur = switchTo;
        score.fill(0);
        first.fill(0);
        k = from + 1;
    }
}

struct Candidate {
    size_t i = 0;  // positions in the note/rest sequence
    size_t p = 0;
    size_t n = 0;
};

// Pass 2: planned entries between two others that may not pay for themselves.
std::vector<Candidate> findCandidates(const std::vector<int32_t>& codes, const std::vector<int32_t>& planned)
{
    std::vector<size_t> marks;
    for (size_t k = 0; k < planned.size(); ++k) {
        if (planned[k] >= 0) marks.push_back(k);
    }
    std::vector<Candidate> candidates;
    for (size_t m = 1; m + 1 < marks.size(); ++m) {
        const size_t i = marks[m];
        const size_t p = marks[m - 1];
        const size_t n = marks[m + 1];
        int32_t keep = codeWeight(planned[i]) + 1;
        if (planned[p] == planned[n]) keep += codeWeight(planned[n]) + 1;
        int32_t remove = 0;
        for (size_t j = i; j < n; ++j) {
            const int32_t c = codes[j];
            if (c == planned[p]) keep += codeWeight(c);
            else if (c - kDotCode == planned[p]) keep += codeWeight(c) - 1;
            if (c == planned[i]) remove += codeWeight(c);
            else if (c - kDotCode == planned[i]) remove += codeWeight(c) - 1;
        }
        if (keep > remove) candidates.push_back({i, p, n});
    }
    return candidates;
}

// Pass 3, one chain of two or more adjacent candidates: try every subset to
// keep, scoring the characters the lengths would cost, and drop the rest.
void resolveChain(const std::vector<int32_t>& codes, const std::vector<int32_t>& planned,
                  const std::vector<Candidate>& chain, std::vector<int32_t>& result)
{
    const size_t begin = chain.front().p;
    const size_t end = chain.back().n;
    const uint32_t masks = 1U << chain.size();
    uint32_t bestMask = 0;
    int64_t bestCost = INT64_MAX;
    for (uint32_t mask = 0; mask < masks; ++mask) {
        int32_t cur = planned[begin];
        int64_t cost = 0;
        size_t next = 0;  // next chain candidate at or after j
        for (size_t j = begin; j < end; ++j) {
            while (next < chain.size() && chain[next].i < j) ++next;
            if (next < chain.size() && chain[next].i == j && (mask >> next & 1U) && planned[j] != cur) {
                cost += codeWeight(planned[j]) + 1;
                cur = planned[j];
            }
            const int32_t c = codes[j];
            if (c == cur) continue;
            cost += c - kDotCode == cur ? 1 : codeWeight(c);
        }
        if (planned[end] != cur) cost += codeWeight(planned[end]) + 1;
        if (cost < bestCost) {
            bestCost = cost;
            bestMask = mask;
        }
    }
    for (size_t k = 0; k < chain.size(); ++k) {
        if (!(bestMask >> k & 1U)) result[chain[k].i] = -1;
    }
}

}  // namespace

std::vector<int32_t> planLengths(const std::vector<Item>& items, int mode, int option)
{
    std::vector<int32_t> plan(items.size(), -1);
    std::vector<size_t> at;  // item index of each note or rest
    std::vector<int32_t> codes;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!isNoteOrRest(items[i])) continue;
        at.push_back(i);
        codes.push_back(std::clamp(lengthCode(items[i]), 0, kCodeCount - 1));
    }
    if (at.empty()) return plan;
    plan[at.front()] = 3;
    planGreedy(codes, at, mode, option, plan);

    // Passes 2 and 3 work on the note/rest sequence.
    std::vector<int32_t> planned(at.size());
    for (size_t k = 0; k < at.size(); ++k) planned[k] = plan[at[k]];
    const std::vector<Candidate> candidates = findCandidates(codes, planned);
    std::vector<int32_t> result = planned;
    for (size_t c = 0; c < candidates.size();) {
        std::vector<Candidate> chain{candidates[c]};
        ++c;
        while (c < candidates.size() && chain.size() < kMaxChain && candidates[c].i == chain.back().n) {
            chain.push_back(candidates[c]);
            ++c;
        }
        if (chain.size() == 1) result[chain.front().i] = -1;
        else resolveChain(codes, planned, chain, result);
    }
    for (size_t k = 0; k < at.size(); ++k) plan[at[k]] = result[k];

    // Pass 4: a new length on a note tied from the previous one is written
    // before the `&`, since an `l` between them would break the tie.
    int32_t effective = 3;
    bool tied = false;
    size_t tieIndex = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        if (item.kind == Kind::Tie) {
            tied = true;
            tieIndex = i;
        } else if (item.kind == Kind::Rest) {
            tied = false;
        } else if (item.kind == Kind::Note) {
            if (plan[i] >= 0 && plan[i] != effective) {
                if (tied) {
                    plan[tieIndex] = plan[i];
                    plan[i] = -1;
                } else {
                    effective = plan[i];
                }
            }
            // Any entry left on a tied note moves before the `&` too.
            if (item.continuation && tied && plan[i] >= 0) {
                plan[tieIndex] = plan[i];
                plan[i] = -1;
            }
            tied = false;
        }
    }
    return plan;
}

}  // namespace zema::writer
