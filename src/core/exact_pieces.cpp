#include "core/exact_pieces.h"

#include <algorithm>

#include "core/timing.h"

namespace zema::exact {

namespace {

// Beyond this many ticks a table must have shown its period; otherwise the
// optimiser declines rather than hold a huge table.
constexpr int32_t kTableCap = 1 << 22;

int32_t addCost(int64_t a, int64_t b) { return static_cast<int32_t>(std::min<int64_t>(a + b, kInfinity)); }

}  // namespace

PieceTables::PieceTables(int32_t timebase)
{
    for (int state = 0; state < kStates; ++state) {
        ticks_[static_cast<size_t>(state)] = tickOfLength(timebase, stateLength(state), stateDotted(state));
    }
    // For every positive tick value, the code with the fewest characters
    // (on equal characters the smaller code, an undotted length first).
    std::vector<Item> byTicks;
    for (int state = 0; state < kStates; ++state) {
        const int32_t t = ticks(state);
        if (t == 0) {
            if (zeroTickCode_ < 0 || lengthChars(state) < lengthChars(zeroTickCode_)) zeroTickCode_ = state;
            continue;
        }
        auto it = std::find_if(byTicks.begin(), byTicks.end(), [t](const Item& item) { return item.ticks == t; });
        if (it == byTicks.end()) byTicks.push_back({t, lengthChars(state), state});
        else if (lengthChars(state) < it->chars) *it = {t, lengthChars(state), state};
    }
    items_ = std::move(byTicks);
    for (const Item& item : items_) maxItemTicks_ = std::max(maxItemTicks_, item.ticks);
}

PieceTables::Table& PieceTables::table(int32_t overhead)
{
    auto& slot = tables_[static_cast<size_t>(overhead)];
    if (!slot) {
        slot = std::make_unique<Table>();
        slot->cost.push_back(0);
        slot->choice.push_back(0);
        // The piece with the fewest characters per tick repeats in every
        // long enough optimal sum; on equal ratio the longer piece.
        size_t best = 0;
        for (size_t i = 1; i < items_.size(); ++i) {
            const Item& a = items_[i];
            const Item& b = items_[best];
            const int64_t lhs = static_cast<int64_t>(overhead + a.chars) * b.ticks;
            const int64_t rhs = static_cast<int64_t>(overhead + b.chars) * a.ticks;
            if (lhs < rhs || (lhs == rhs && a.ticks > b.ticks)) best = i;
        }
        periodItems_[static_cast<size_t>(overhead)] = best;
    }
    return *slot;
}

void PieceTables::grow(Table& t, int32_t overhead, int32_t upTo)
{
    const Item& period = items_[periodItems_[static_cast<size_t>(overhead)]];
    const int32_t periodCost = overhead + period.chars;
    for (auto y = static_cast<int32_t>(t.cost.size()); y <= upTo; ++y) {
        if (y >= kTableCap) {
            ok_ = false;
            return;
        }
        int32_t best = kInfinity;
        uint8_t choice = 0;
        for (size_t i = 0; i < items_.size(); ++i) {
            const Item& item = items_[i];
            if (item.ticks > y) continue;
            const int32_t c = addCost(t.cost[static_cast<size_t>(y - item.ticks)], overhead + item.chars);
            if (c < best) {
                best = c;
                choice = static_cast<uint8_t>(i);
            }
        }
        t.cost.push_back(best);
        t.choice.push_back(choice);
        // Once cost(y) = cost(y - p) + c holds for a whole window of the
        // longest piece's ticks (starting at or after p), the recurrence
        // carries it to every larger y.
        if (y >= period.ticks) {
            const int32_t earlier = t.cost[static_cast<size_t>(y - period.ticks)];
            const bool holds = (best >= kInfinity && earlier >= kInfinity) || best == earlier + periodCost;
            t.streak = holds ? t.streak + 1 : 0;
            const int32_t start = y - maxItemTicks_ + 1;
            if (t.streak >= maxItemTicks_ && start >= period.ticks) {
                t.periodic = true;
                t.stableFrom = start;
                return;
            }
        }
    }
}

int32_t PieceTables::reduce(Table& t, int32_t overhead, int32_t& x)
{
    if (x >= static_cast<int32_t>(t.cost.size()) && !t.periodic) grow(t, overhead, x);
    const auto last = static_cast<int32_t>(t.cost.size()) - 1;
    if (x <= last || !t.periodic) return 0;
    const int32_t p = items_[periodItems_[static_cast<size_t>(overhead)]].ticks;
    const int32_t m = (x - last + p - 1) / p;
    x -= m * p;
    return m;
}

int32_t PieceTables::explicitCost(int32_t overhead, int32_t x)
{
    if (x == 0) return 0;
    if (x < 0 || overhead <= 0 || items_.empty()) return kInfinity;
    const auto& slot = tables_[static_cast<size_t>(overhead)];
    if (slot && x < static_cast<int32_t>(slot->cost.size())) return slot->cost[static_cast<size_t>(x)];
    Table& t = table(overhead);
    const int32_t m = reduce(t, overhead, x);
    if (x >= static_cast<int32_t>(t.cost.size())) return kInfinity;  // over the cap
    const int32_t base = t.cost[static_cast<size_t>(x)];
    if (base >= kInfinity) return kInfinity;
    const Item& period = items_[periodItems_[static_cast<size_t>(overhead)]];
    return addCost(base, static_cast<int64_t>(m) * (overhead + period.chars));
}

void PieceTables::explicitPieces(int32_t overhead, int32_t x, std::vector<int>& codes)
{
    if (x <= 0 || overhead <= 0) return;
    Table& t = table(overhead);
    const int32_t m = reduce(t, overhead, x);
    codes.insert(codes.end(), static_cast<size_t>(m), items_[periodItems_[static_cast<size_t>(overhead)]].code);
    while (x > 0 && x < static_cast<int32_t>(t.cost.size())) {
        const Item& item = items_[t.choice[static_cast<size_t>(x)]];
        codes.push_back(item.code);
        x -= item.ticks;
    }
}

int32_t PieceTables::computeChainCost(const PieceCosts& costs, int state, int32_t x, ChainSpelling* spelling)
{
    if (x == 0) return 0;
    const int32_t t = ticks(state);
    const int32_t cd = costs.defaultCost;
    if (costs.explicitOverhead == 0) {
        // Only default pieces (`n` notes).
        if (t <= 0 || x % t != 0) return kInfinity;
        if (spelling) spelling->defaults = x / t;
        return addCost(static_cast<int64_t>(x / t) * cd, 0);
    }
    const int32_t td = dottedDefaultTicks(state);
    const int32_t cdd = costs.dottedDefaultCost();
    int32_t best = explicitCost(costs.explicitOverhead, x);
    int32_t bestA = 0;
    int32_t bestB = 0;
    // Branch and bound over the counts of default pieces: the explicit rest
    // of y ticks costs at least y * rc / rp (the cheapest characters per tick),
    // so lb(a, b) * rp = (a cd + b cdd) rp + (x - a t - b td) rc is linear.
    const Item& period = items_[periodItems_[static_cast<size_t>(costs.explicitOverhead)]];
    const int64_t rc = costs.explicitOverhead + period.chars;
    const int64_t rp = period.ticks;
    const auto bound = [&](int64_t a, int64_t b) {
        return (a * cd + b * cdd) * rp + (x - a * t - b * td) * rc;
    };
    const int64_t aSlope = static_cast<int64_t>(cd) * rp - static_cast<int64_t>(t) * rc;
    const int64_t bMax = td > 0 ? x / td : 0;
    for (int64_t b = 0; b <= bMax; ++b) {
        const int64_t left = x - b * td;
        const int64_t aMax = t > 0 ? left / t : 0;
        // Fewer defaults cost more from here on when aSlope >= 0; walk a
        // from the cheap end and stop at the first bound over the best.
        const bool up = aSlope >= 0;
        if (bound(up ? 0 : aMax, b) >= best * rp) {
            if (up && static_cast<int64_t>(cdd) * rp - static_cast<int64_t>(td) * rc >= 0) break;
            continue;
        }
        for (int64_t i = 0; i <= aMax; ++i) {
            const int64_t a = up ? i : aMax - i;
            if (bound(a, b) >= best * rp) break;
            const int64_t base = a * cd + b * cdd;
            const int32_t c = addCost(base, explicitCost(costs.explicitOverhead, static_cast<int32_t>(left - a * t)));
            if (c < best) {
                best = c;
                bestA = static_cast<int32_t>(a);
                bestB = static_cast<int32_t>(b);
            }
        }
    }
    if (spelling && best < kInfinity) {
        spelling->defaults = bestA;
        spelling->dottedDefaults = bestB;
        explicitPieces(costs.explicitOverhead, x - bestA * t - bestB * td, spelling->explicitCodes);
    }
    return best;
}

std::array<int32_t, kStates>& PieceTables::chainSlot(const PieceCosts& costs, int32_t x)
{
    const uint64_t key = (static_cast<uint64_t>(costs.explicitOverhead) << 40) |
                         (static_cast<uint64_t>(costs.defaultCost) << 32) | static_cast<uint32_t>(x);
    auto [it, inserted] = chains_.try_emplace(key);
    if (inserted) it->second.fill(-1);
    return it->second;
}

const std::array<int32_t, kStates>& PieceTables::chainCosts(const PieceCosts& costs, int32_t x)
{
    std::array<int32_t, kStates>& slot = chainSlot(costs, x);
    for (int state = 0; state < kStates; ++state) {
        int32_t& v = slot[static_cast<size_t>(state)];
        if (v < 0) v = computeChainCost(costs, state, x, nullptr);
    }
    return slot;
}

int32_t PieceTables::chainCost(const PieceCosts& costs, int state, int32_t x)
{
    int32_t& v = chainSlot(costs, x)[static_cast<size_t>(state)];
    if (v < 0) v = computeChainCost(costs, state, x, nullptr);
    return v;
}

ChainSpelling PieceTables::chainSpelling(const PieceCosts& costs, int state, int32_t x)
{
    ChainSpelling spelling;
    (void)computeChainCost(costs, state, x, &spelling);
    return spelling;
}

const PieceTables::Rates& PieceTables::chainRates(const PieceCosts& costs)
{
    const uint64_t key = (static_cast<uint64_t>(costs.explicitOverhead) << 32) | static_cast<uint32_t>(costs.defaultCost);
    auto [it, inserted] = rates_.try_emplace(key);
    if (!inserted) return it->second;
    const auto consider = [](Rate& best, int64_t chars, int64_t ticks) {
        if (ticks <= 0 || chars >= kInfinity) return;
        if (best.den == 0 || chars * best.den < best.num * ticks) best = {chars, ticks};
    };
    Rates& rates = it->second;
    Rate explicitRate;
    if (costs.explicitOverhead > 0 && !items_.empty()) {
        (void)table(costs.explicitOverhead);
        const Item& period = items_[periodItems_[static_cast<size_t>(costs.explicitOverhead)]];
        consider(explicitRate, costs.explicitOverhead + period.chars, period.ticks);
    }
    for (int state = 0; state < kStates; ++state) {
        Rate& r = rates.byState[static_cast<size_t>(state)];
        r = explicitRate;
        consider(r, costs.defaultCost, ticks(state));
        if (costs.explicitOverhead > 0) consider(r, costs.dottedDefaultCost(), dottedDefaultTicks(state));
        if (r.den > 0) consider(rates.best, r.num, r.den);
    }
    return rates;
}

}  // namespace zema::exact
