#include "core/exact_pieces.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "core/timing.h"

namespace zema::exact {

namespace {

// Beyond this many ticks a table must have shown its period; otherwise the
// optimiser declines rather than hold a huge table.
constexpr int32_t kTableCap = 1 << 22;
// Timebases whose tables are kept between searches (a song has one).
constexpr size_t kKeptTimebases = 8;

int32_t addCost(int64_t a, int64_t b) { return static_cast<int32_t>(std::min<int64_t>(a + b, kInfinity)); }

}  // namespace

struct PieceTables::Knapsack {
    struct Item {
        int32_t ticks;
        int32_t chars;  // length characters
        int code;
    };
    // Least cost of each number of ticks, up to where it repeats with the
    // period piece: past the end, cost(y) = cost(y - period ticks) + period
    // cost, and the last period's worth of entries already obeys it.
    struct Table {
        std::vector<int32_t> cost;
        std::vector<uint8_t> choice;  // index into items of the last piece
        size_t period = 0;            // index into items: the fewest characters per tick
    };

    explicit Knapsack(int32_t timebase);
    [[nodiscard]] const Table& table(int32_t overhead) const { return tables[static_cast<size_t>(overhead)]; }
    // Takes whole periods off x until it falls inside the table; returns how many.
    [[nodiscard]] int32_t reduce(int32_t overhead, int32_t& x) const;

    std::array<int32_t, kStates> ticks{};
    std::vector<Item> items;  // one per positive tick value: its cheapest code
    int32_t maxItemTicks = 0;
    int zeroTickCode = -1;
    bool ok = true;
    std::array<Table, 4> tables;  // by overhead 1..3

private:
    ZEMA_EXACT_DENSE void build(Table& t, int32_t overhead);
};

PieceTables::Knapsack::Knapsack(int32_t timebase)
{
    for (int state = 0; state < kStates; ++state) {
        ticks[static_cast<size_t>(state)] = tickOfLength(timebase, stateLength(state), stateDotted(state));
    }
    // For every positive tick value, the code with the fewest characters
    // (on equal characters the smaller code, an undotted length first).
    for (int state = 0; state < kStates; ++state) {
        const int32_t t = ticks[static_cast<size_t>(state)];
        if (t == 0) {
            if (zeroTickCode < 0 || lengthChars(state) < lengthChars(zeroTickCode)) zeroTickCode = state;
            continue;
        }
        auto it = std::find_if(items.begin(), items.end(), [t](const Item& item) { return item.ticks == t; });
        if (it == items.end()) items.push_back({t, lengthChars(state), state});
        else if (lengthChars(state) < it->chars) *it = {t, lengthChars(state), state};
    }
    for (const Item& item : items) maxItemTicks = std::max(maxItemTicks, item.ticks);
    if (items.empty()) return;
    for (int32_t overhead = 1; overhead <= 3; ++overhead) build(tables[static_cast<size_t>(overhead)], overhead);
}

void PieceTables::Knapsack::build(Table& t, int32_t overhead)
{
    // The piece with the fewest characters per tick repeats in every long
    // enough optimal sum; on equal ratio the longer piece.
    size_t best = 0;
    for (size_t i = 1; i < items.size(); ++i) {
        const Item& a = items[i];
        const Item& b = items[best];
        const int64_t lhs = static_cast<int64_t>(overhead + a.chars) * b.ticks;
        const int64_t rhs = static_cast<int64_t>(overhead + b.chars) * a.ticks;
        if (lhs < rhs || (lhs == rhs && a.ticks > b.ticks)) best = i;
    }
    t.period = best;
    const Item& period = items[best];
    const int32_t periodCost = overhead + period.chars;
    t.cost.push_back(0);
    t.choice.push_back(0);
    int32_t streak = 0;
    for (int32_t y = 1;; ++y) {
        if (y >= kTableCap) {
            ok = false;
            return;
        }
        int32_t least = kInfinity;
        uint8_t choice = 0;
        for (size_t i = 0; i < items.size(); ++i) {
            const Item& item = items[i];
            if (item.ticks > y) continue;
            const int32_t c = addCost(t.cost[static_cast<size_t>(y - item.ticks)], overhead + item.chars);
            if (c < least) {
                least = c;
                choice = static_cast<uint8_t>(i);
            }
        }
        t.cost.push_back(least);
        t.choice.push_back(choice);
        // Once cost(y) = cost(y - p) + c holds for a whole window of the
        // longest piece's ticks (starting at or after p), the recurrence
        // carries it to every larger y.
        if (y >= period.ticks) {
            const int32_t earlier = t.cost[static_cast<size_t>(y - period.ticks)];
            const bool holds = (least >= kInfinity && earlier >= kInfinity) || least == earlier + periodCost;
            streak = holds ? streak + 1 : 0;
            const int32_t start = y - maxItemTicks + 1;
            if (streak >= maxItemTicks && start >= period.ticks) return;
        }
    }
}

int32_t PieceTables::Knapsack::reduce(int32_t overhead, int32_t& x) const
{
    const Table& t = table(overhead);
    const auto last = static_cast<int32_t>(t.cost.size()) - 1;
    if (x <= last) return 0;
    const int32_t p = items[t.period].ticks;
    const int32_t m = (x - last + p - 1) / p;
    x -= m * p;
    return m;
}

PieceTables::PieceTables(int32_t timebase)
{
    // Building the tables is most of the work on a short track: every search
    // at one timebase shares them.
    static std::mutex mutex;
    static std::map<int32_t, std::shared_ptr<const Knapsack>> kept;
    const std::lock_guard lock(mutex);
    auto it = kept.find(timebase);
    if (it == kept.end()) {
        if (kept.size() >= kKeptTimebases) kept.clear();
        it = kept.emplace(timebase, std::make_shared<const Knapsack>(timebase)).first;
    }
    knapsack_ = it->second;
    ticks_ = knapsack_->ticks;
}

int PieceTables::zeroTickCode() const { return knapsack_->zeroTickCode; }

bool PieceTables::ok() const { return knapsack_->ok; }

int32_t PieceTables::explicitCost(int32_t overhead, int32_t x) const
{
    if (x == 0) return 0;
    const Knapsack& k = *knapsack_;
    if (x < 0 || overhead <= 0 || k.items.empty() || !k.ok) return kInfinity;
    const Knapsack::Table& t = k.table(overhead);
    const int32_t m = k.reduce(overhead, x);
    const int32_t base = t.cost[static_cast<size_t>(x)];
    if (base >= kInfinity) return kInfinity;
    return addCost(base, static_cast<int64_t>(m) * (overhead + k.items[t.period].chars));
}

void PieceTables::explicitPieces(int32_t overhead, int32_t x, std::vector<int>& codes) const
{
    const Knapsack& k = *knapsack_;
    if (x <= 0 || overhead <= 0 || k.items.empty() || !k.ok) return;
    const Knapsack::Table& t = k.table(overhead);
    const int32_t m = k.reduce(overhead, x);
    codes.insert(codes.end(), static_cast<size_t>(m), k.items[t.period].code);
    while (x > 0) {
        const Knapsack::Item& item = k.items[t.choice[static_cast<size_t>(x)]];
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
    const Knapsack::Item& period = knapsack_->items[knapsack_->table(costs.explicitOverhead).period];
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
    const uint64_t key =
        (static_cast<uint64_t>(costs.explicitOverhead) << 32) | static_cast<uint32_t>(costs.defaultCost);
    auto [it, inserted] = rates_.try_emplace(key);
    if (!inserted) return it->second;
    const auto consider = [](Rate& best, int64_t chars, int64_t ticks) {
        if (ticks <= 0 || chars >= kInfinity) return;
        if (best.den == 0 || chars * best.den < best.num * ticks) best = {chars, ticks};
    };
    Rates& rates = it->second;
    Rate explicitRate;
    if (costs.explicitOverhead > 0 && !knapsack_->items.empty()) {
        const Knapsack::Item& period = knapsack_->items[knapsack_->table(costs.explicitOverhead).period];
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
