#include "core/exact_optimizer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/exact_pieces.h"
#include "core/mml_compiler.h"

namespace zema {

namespace {

using exact::ChainSpelling;
using exact::kInfinity;
using exact::kOctaves;
using exact::kStates;
using exact::lengthCommandCost;
using exact::PieceCosts;
using exact::PieceTables;

constexpr int kCells = kStates * kOctaves;
constexpr int kStartState = 3;  // l4
constexpr int kStartOctave = 4;
constexpr int kStartVolume = 8;
constexpr int32_t kMaxTicks = 1 << 30;
constexpr size_t kMaxSegments = 40'000;
// The dearest octave change (`o` and a digit): any cell is reached from the
// cheapest one of a layer by an `l` and at most this before the next note.
constexpr int32_t kOctaveReach = 2;
// Default pieces written before an `l` inside one chain segment (a bound that
// could cut optimality only for a chain of more than this many pieces of the
// old default followed by pieces of a new one).
constexpr int32_t kMaxPiecesBeforeMidLength = 256;

using Costs = std::array<int32_t, kCells>;

constexpr int cell(int octave, int state) { return octave * kStates + state; }

int32_t addCost(int64_t a, int64_t b) { return static_cast<int32_t>(std::min<int64_t>(a + b, kInfinity)); }

int digitCount(int32_t v) { return v >= 100 ? 3 : v >= 10 ? 2 : 1; }

// --- the sound -------------------------------------------------------------

struct SoundNote {
    int32_t tick;
    int32_t length;
    int32_t number;
    int32_t volume;
};

struct Tempo {
    int32_t tick;
    int32_t value;
};

// A stretch of one note (a tied chain, cut at tempo changes inside it) or of
// silence (rests), written between two boundaries.
struct Segment {
    int32_t ticks = 0;
    int32_t note = -1;           // index into notes, -1 for rests
    bool first = false;          // the note's first segment
    size_t temposBefore = 0;     // tempos [previous segment's, this) are written before it
};

struct Timeline {
    std::vector<SoundNote> notes;
    std::vector<Tempo> tempos;
    std::vector<Segment> segments;
};

bool buildTimeline(const TimingContext& context, std::u16string_view text, Timeline& timeline)
{
    EventList events;
    StateList states;
    compileTrack(context, text, events, states, 0, false, false);
    int32_t end = 0;
    for (const TrackEvent& e : events) {
        if (e.kind == TrackEventKind::Note) timeline.notes.push_back({e.tick, e.length, e.noteNumber, e.value});
        else if (e.kind == TrackEventKind::Tempo) timeline.tempos.push_back({e.tick, e.value});
        else if (e.kind == TrackEventKind::TrackEnd) end = e.tick;
    }
    if (end >= kMaxTicks) return false;
    for (const Tempo& t : timeline.tempos) {
        if (t.value < 32 || t.value > 255) return false;
    }
    size_t nextTempo = 0;
    int32_t cursor = 0;
    // Cuts [cursor, cursor + length) at every tempo strictly inside it.
    const auto span = [&](int32_t length, int32_t note) {
        const int32_t stop = cursor + length;
        bool first = true;
        do {
            while (nextTempo < timeline.tempos.size() && timeline.tempos[nextTempo].tick <= cursor) ++nextTempo;
            int32_t cut = stop;
            if (nextTempo < timeline.tempos.size() && timeline.tempos[nextTempo].tick < stop)
                cut = timeline.tempos[nextTempo].tick;
            timeline.segments.push_back({cut - cursor, note, note >= 0 && first, nextTempo});
            first = false;
            cursor = cut;
        } while (cursor < stop);
    };
    for (size_t i = 0; i < timeline.notes.size(); ++i) {
        const SoundNote& n = timeline.notes[i];
        if (n.tick > cursor) span(n.tick - cursor, -1);
        span(n.length, static_cast<int32_t>(i));
    }
    if (end > cursor) span(end - cursor, -1);
    return timeline.segments.size() <= kMaxSegments;
}

// --- spelling costs ----------------------------------------------------------

// Characters of a note letter (and accidental) for a note number in an
// octave: c..b, c- (one below), b+ (one above); kInfinity when out of reach.
int32_t letterCost(int32_t number, int octave)
{
    static constexpr std::array<int32_t, 14> kCost = {2, 1, 2, 1, 2, 1, 1, 2, 1, 2, 1, 2, 1, 2};
    const int32_t r = number - 12 * (octave + 1);
    if (r < -1 || r > 12) return kInfinity;
    return kCost[static_cast<size_t>(r + 1)];
}

std::u16string_view letterText(int32_t number, int octave)
{
    static constexpr std::array<std::u16string_view, 14> kText = {u"c-", u"c",  u"c+", u"d",  u"d+", u"e",  u"f",
                                                                   u"f+", u"g",  u"g+", u"a",  u"a+", u"b",  u"b+"};
    return kText[static_cast<size_t>(number - 12 * (octave + 1) + 1)];
}

// Characters of `n` for a note number (`n` alone is note 12).
int32_t numberCost(int32_t number)
{
    if (number < 12 || number > 108) return kInfinity;
    return number == 12 ? 1 : 1 + digitCount(number - 12);
}

int32_t octaveCost(int from, int to)
{
    if (from == to) return 0;
    if (to == 0) return 1;  // `o` alone
    return std::min(std::abs(from - to), 2);
}

// --- the search ----------------------------------------------------------------

struct ZeroPiece {
    int32_t cost = kInfinity;
    int kind = 0;  // 0 default, 1 dotted default, 2 explicit zero-tick code
};

// One stored layer: costs relative to the layer's least, 255 = out of reach.
// Anything 255 above the least is beaten by the least plus a closure.
struct Layer {
    int32_t base = 0;
    std::array<uint8_t, kCells> rel{};
};

struct SegmentPlan {
    int setLength = -1;  // `l` before the segment
    int octaveFrom = 0;
    int octaveTo = 0;
    int stateA = 0;          // default in force for the first pieces
    int32_t aDefaults = 0;   // mid-chain `l`: default pieces before it
    int32_t aDotted = 0;
    int midLength = -1;      // the `l` written between pieces, -1 when none
    int chainState = 0;      // default in force for `chain`
    ChainSpelling chain;
    int zeroKind = -1;       // zero-length note: which piece
};

class Search {
public:
    Search(const TimingContext& context, Timeline& timeline)
        : tables_(std::max(context.timebase, 1)), timeline_(timeline)
    {
    }

    bool run(std::u16string& out)
    {
        std::vector<Layer> layers;
        layers.reserve(timeline_.segments.size() + 1);
        Costs start;
        start.fill(kInfinity);
        start[cell(kStartOctave, kStartState)] = 0;
        layers.push_back(store(start));
        for (const Segment& seg : timeline_.segments) {
            Costs in = load(layers.back());
            closure(in, seg);
            Costs outCosts = transition(in, seg);
            layers.push_back(store(outCosts));
        }
        if (!tables_.ok()) return false;
        std::vector<SegmentPlan> plans(timeline_.segments.size());
        const Costs last = load(layers.back());
        int target = static_cast<int>(std::min_element(last.begin(), last.end()) - last.begin());
        if (last[static_cast<size_t>(target)] >= kInfinity) return false;
        for (size_t k = timeline_.segments.size(); k-- > 0;) {
            if (!trace(layers[k], layers[k + 1], timeline_.segments[k], target, plans[k])) return false;
        }
        write(plans, out);
        return true;
    }

private:
    ZEMA_EXACT_DENSE static Layer store(const Costs& costs)
    {
        Layer layer;
        layer.base = *std::min_element(costs.begin(), costs.end());
        for (size_t i = 0; i < costs.size(); ++i)
            layer.rel[i] = static_cast<uint8_t>(std::min(costs[i] - layer.base, 255));
        return layer;
    }

    ZEMA_EXACT_DENSE static Costs load(const Layer& layer)
    {
        Costs costs;
        const int32_t base = layer.base;
        for (size_t i = 0; i < costs.size(); ++i) {
            const int32_t rel = layer.rel[i];
            costs[i] = rel == 255 ? kInfinity : base + rel;
        }
        return costs;
    }

    // `l` commands at a boundary (one is enough: a second overrides the
    // first), each from the cheapest state of the octave; for that state
    // itself an `l` only adds characters.
    ZEMA_EXACT_DENSE static void lengthClosure(Costs& d)
    {
        static constexpr std::array<int32_t, kStates> kCommand = [] {
            std::array<int32_t, kStates> c{};
            for (int s = 0; s < kStates; ++s) c[static_cast<size_t>(s)] = lengthCommandCost(s);
            return c;
        }();
        for (int o = 0; o < kOctaves; ++o) {
            int32_t* row = d.data() + cell(o, 0);
            int32_t least = kInfinity;
            for (int s = 0; s < kStates; ++s) least = std::min(least, row[s]);
            if (least >= kInfinity) continue;
            for (int s = 0; s < kStates; ++s) row[s] = std::min(row[s], least + kCommand[static_cast<size_t>(s)]);
        }
    }

    // A neighbour octave costs 1 (`<`, `>`), octave 0 costs 1 (`o`) from
    // anywhere, any other 2 (`o` and a digit): per state, the cheapest octave
    // plus that, or a neighbour plus 1.
    ZEMA_EXACT_DENSE static void octaveClosure(Costs& d)
    {
        static_assert(kInfinity + 2 < INT32_MAX);
        std::array<int32_t, kStates> least;
        least.fill(kInfinity);
        for (int o = 0; o < kOctaves; ++o) {
            for (int s = 0; s < kStates; ++s) {
                int32_t& l = least[static_cast<size_t>(s)];
                l = std::min(l, d[cell(o, s)]);
            }
        }
        const Costs in = d;
        for (int o = 0; o < kOctaves; ++o) {
            const int32_t far = o == 0 ? 1 : 2;
            for (int s = 0; s < kStates; ++s) {
                int32_t best = std::min(in[cell(o, s)], least[static_cast<size_t>(s)] + far);
                if (o > 0) best = std::min(best, in[cell(o - 1, s)] + 1);
                if (o + 1 < kOctaves) best = std::min(best, in[cell(o + 1, s)] + 1);
                d[cell(o, s)] = std::min(best, kInfinity);
            }
        }
    }

    static void closure(Costs& d, const Segment& seg)
    {
        lengthClosure(d);
        if (seg.note >= 0) octaveClosure(d);
    }

    // Per-piece costs of the segment's pieces in an octave; defaultCost is
    // kInfinity when the note cannot be written there at all.
    PieceCosts costsFor(const Segment& seg, int octave) const
    {
        if (seg.note < 0) return {1, 1};
        const int32_t number = timeline_.notes[static_cast<size_t>(seg.note)].number;
        const int32_t letter = letterCost(number, octave);
        const int32_t byNumber = numberCost(number);
        const int32_t piece = std::min(letter, byNumber);
        return {letter < kInfinity ? letter + 1 : 0, piece < kInfinity ? piece + 1 : kInfinity};
    }

    ZeroPiece zeroPiece(const PieceCosts& pc, int state) const
    {
        ZeroPiece z;
        if (tables_.ticks(state) == 0) z = {pc.defaultCost, 0};
        if (!exact::stateDotted(state) && tables_.dottedDefaultTicks(state) == 0 && pc.dottedDefaultCost() < z.cost)
            z = {pc.dottedDefaultCost(), 1};
        const int code = tables_.zeroTickCode();
        if (code >= 0 && pc.explicitOverhead > 0 && pc.explicitOverhead + exact::lengthChars(code) < z.cost)
            z = {pc.explicitOverhead + exact::lengthChars(code), 2};
        return z;
    }

    // Calls visit(state, a, b, ticks, cost) for every non-empty run of
    // default pieces (a plain, b dotted) of the state in force that fits in
    // x ticks and can still lead somewhere: its cost plus the rest of the
    // chain at `rate` (no chain does better per tick) below `limit`. A run
    // only grows dearer against that bound as it takes more pieces, since
    // its own pieces cost no less per tick. Stops once visit returns true.
    template <typename Visit>
    ZEMA_EXACT_DENSE void defaultRuns(const Costs& in, int octave, const PieceCosts& pc, int32_t x, int32_t limit,
                                      exact::Rate rate, Visit visit)
    {
        const int32_t cdd = pc.dottedDefaultCost();
        for (int s = 0; s < kStates; ++s) {
            const int32_t from = in[cell(octave, s)];
            if (from >= limit) continue;
            const int32_t t = tables_.ticks(s);
            const int32_t td = pc.explicitOverhead > 0 ? tables_.dottedDefaultTicks(s) : 0;
            for (int32_t b = 0; (b == 0 || td > 0) && b <= kMaxPiecesBeforeMidLength; ++b) {
                const int64_t bCost = from + static_cast<int64_t>(b) * cdd;
                const int64_t bUsed = static_cast<int64_t>(b) * td;
                if (bUsed > x || !exact::belowLimit(bCost, x - bUsed, rate, limit)) break;
                for (int32_t a = 0; (a == 0 || t > 0) && a + b <= kMaxPiecesBeforeMidLength; ++a) {
                    const int64_t used = bUsed + static_cast<int64_t>(a) * t;
                    const int64_t q = bCost + static_cast<int64_t>(a) * pc.defaultCost;
                    if (used > x || !exact::belowLimit(q, x - used, rate, limit)) break;
                    if (a + b > 0 && visit(s, a, b, static_cast<int32_t>(used), static_cast<int32_t>(q))) return;
                }
            }
        }
    }

    // One octave's row: the state's cost plus its chain's. Both are at most
    // kInfinity, so the sum cannot overflow.
    ZEMA_EXACT_DENSE static void addChain(const int32_t* from, const int32_t* chain, int32_t* to)
    {
        for (int s = 0; s < kStates; ++s) to[s] = std::min(from[s] + chain[s], kInfinity);
    }

    ZEMA_EXACT_DENSE static int32_t rowLeast(const int32_t* row)
    {
        int32_t least = kInfinity;
        for (int s = 0; s < kStates; ++s) least = std::min(least, row[s]);
        return least;
    }

    // No `&` before a note's first piece.
    ZEMA_EXACT_DENSE static void dropTie(Costs& costs)
    {
        for (int32_t& v : costs) v -= v < kInfinity ? 1 : 0;
    }

    // A run of default pieces costing `runCost` (with what came before it),
    // an `l`, and the rest of the chain under the new default: for every new
    // default whose total can beat both its cell of `row` and `limit` (the
    // `l` left out of both sides).
    ZEMA_EXACT_DENSE void afterLength(const PieceCosts& pc, const PieceTables::Rates& rates, int32_t rest,
                                      int32_t runCost, int32_t limit, int32_t* row)
    {
        for (int s = 0; s < kStates; ++s) {
            const int32_t stateLimit = std::min(limit, row[s] - lengthCommandCost(s));
            if (!exact::belowLimit(runCost, rest, rates.byState[static_cast<size_t>(s)], stateLimit)) continue;
            row[s] = std::min(row[s], addCost(runCost + lengthCommandCost(s), tables_.chainCost(pc, s, rest)));
        }
    }

    Costs transition(const Costs& in, const Segment& seg)
    {
        Costs out;
        out.fill(kInfinity);
        const int32_t x = seg.ticks;
        std::array<PieceCosts, kOctaves> costs;
        std::array<int32_t, kOctaves> rowMin;
        rowMin.fill(kInfinity);
        for (int o = 0; o < kOctaves; ++o) {
            const PieceCosts pc = costs[static_cast<size_t>(o)] = costsFor(seg, o);
            if (pc.defaultCost >= kInfinity) continue;
            if (x == 0) {
                for (int s = 0; s < kStates; ++s) out[cell(o, s)] = addCost(in[cell(o, s)], zeroPiece(pc, s).cost);
            } else {
                addChain(in.data() + cell(o, 0), tables_.chainCosts(pc, x).data(), out.data() + cell(o, 0));
            }
            rowMin[static_cast<size_t>(o)] = rowLeast(out.data() + cell(o, 0));
        }
        const int32_t globalMin = *std::min_element(rowMin.begin(), rowMin.end());
        if (x > 0) {
            // An `l` between the pieces: default pieces of the state in force,
            // then the new default for the rest of the chain. It pays the same
            // `l` as setting the new default at the next boundary would, so it
            // is worth it only when the pieces themselves beat the best state
            // of this octave, and the best state of any octave plus an octave
            // change.
            std::vector<std::pair<int32_t, int32_t>> runs;  // ticks used, cost
            for (int o = 0; o < kOctaves; ++o) {
                const PieceCosts& pc = costs[static_cast<size_t>(o)];
                if (pc.defaultCost >= kInfinity) continue;
                int32_t inMin = kInfinity;
                for (int s = 0; s < kStates; ++s) inMin = std::min(inMin, in[cell(o, s)]);
                const int32_t limit = std::min(rowMin[static_cast<size_t>(o)], addCost(globalMin, kOctaveReach));
                const PieceTables::Rates& rates = tables_.chainRates(pc);
                runs.clear();
                defaultRuns(in, o, pc, x, limit, rates.best, [&](int, int32_t, int32_t, int32_t used, int32_t q) {
                    // Worth it only when cheaper than writing those ticks
                    // explicitly after an `l` from the best state.
                    if (pc.explicitOverhead > 0 && q >= addCost(inMin, tables_.explicitCost(pc.explicitOverhead, used)))
                        return false;
                    runs.emplace_back(used, q);
                    return false;
                });
                std::sort(runs.begin(), runs.end());
                for (size_t i = 0; i < runs.size(); ++i) {
                    if (i > 0 && runs[i].first == runs[i - 1].first) continue;  // sorted: the first is the cheapest
                    afterLength(pc, rates, x - runs[i].first, runs[i].second, limit, out.data() + cell(o, 0));
                }
            }
        }
        if (seg.first) dropTie(out);
        return out;
    }

    // Finds how `target` of the layer after `seg` was reached and moves it to
    // the state of the layer before.
    bool trace(const Layer& before, const Layer& after, const Segment& seg, int& target, SegmentPlan& plan)
    {
        const Costs prev = load(before);
        Costs in = prev;
        lengthClosure(in);
        const Costs lengthOnly = in;
        if (seg.note >= 0) octaveClosure(in);
        const int32_t value = load(after)[static_cast<size_t>(target)] + (seg.first ? 1 : 0);
        const int o = target / kStates;
        const int s = target % kStates;
        const PieceCosts pc = costsFor(seg, o);
        const int32_t x = seg.ticks;
        int from = -1;
        if (x == 0) {
            const ZeroPiece z = zeroPiece(pc, s);
            if (addCost(in[static_cast<size_t>(target)], z.cost) == value) {
                from = s;
                plan.zeroKind = z.kind;
                plan.stateA = s;
            }
        } else if (addCost(in[static_cast<size_t>(target)], tables_.chainCosts(pc, x)[static_cast<size_t>(s)]) == value) {
            from = s;
            plan.stateA = s;
            plan.chainState = s;
            plan.chain = tables_.chainSpelling(pc, s, x);
        } else {
            // The run and the rest cost value - lengthCommandCost(s) together.
            const int32_t runLimit = value - lengthCommandCost(s) + 1;
            const PieceTables::Rates& rates = tables_.chainRates(pc);
            const exact::Rate rate = rates.byState[static_cast<size_t>(s)];
            const auto visit = [&](int state, int32_t a, int32_t b, int32_t used, int32_t q) {
                if (!exact::belowLimit(q, x - used, rate, runLimit)) return false;
                if (addCost(q + lengthCommandCost(s), tables_.chainCost(pc, s, x - used)) != value) return false;
                from = state;
                plan = {-1, 0, 0, state, a, b, s, s, tables_.chainSpelling(pc, s, x - used), -1};
                return true;
            };
            defaultRuns(in, o, pc, x, runLimit, rates.best, visit);
        }
        if (from < 0) return false;
        // Undo the closures: octave change, then `l`.
        int octaveFrom = o;
        if (seg.note >= 0) {
            for (int candidate = 0; candidate < kOctaves; ++candidate) {
                if (addCost(lengthOnly[cell(candidate, from)], octaveCost(candidate, o)) == in[cell(o, from)]) {
                    octaveFrom = candidate;
                    break;
                }
            }
        }
        int stateFrom = -1;
        const int32_t reached = lengthOnly[cell(octaveFrom, from)];
        if (prev[cell(octaveFrom, from)] == reached) {
            stateFrom = from;
        } else {
            for (int candidate = 0; candidate < kStates; ++candidate) {
                if (addCost(prev[cell(octaveFrom, candidate)], lengthCommandCost(from)) == reached) {
                    stateFrom = candidate;
                    break;
                }
            }
        }
        if (stateFrom < 0) return false;
        plan.setLength = stateFrom != from ? from : -1;
        plan.octaveFrom = octaveFrom;
        plan.octaveTo = o;
        target = cell(octaveFrom, stateFrom);
        return true;
    }

    // --- writing ----------------------------------------------------------------

    static void appendNumber(std::u16string& out, int32_t v)
    {
        const std::string digits = std::to_string(v);
        out.append(digits.begin(), digits.end());
    }

    static void appendLength(std::u16string& out, int state)
    {
        appendNumber(out, exact::stateLength(state));
        if (exact::stateDotted(state)) out += u'.';
    }

    static void appendOctaveChange(std::u16string& out, int from, int to)
    {
        if (from == to) return;
        if (to == 0) {
            out += u'o';
        } else if (std::abs(from - to) == 1) {
            out += to > from ? u'>' : u'<';
        } else {
            out += u'o';
            appendNumber(out, to);
        }
    }

    void write(const std::vector<SegmentPlan>& plans, std::u16string& out) const
    {
        size_t tempo = 0;
        int32_t volume = kStartVolume;
        const auto writeTemposUpTo = [&](size_t end) {
            for (; tempo < end; ++tempo) {
                out += u't';
                appendNumber(out, timeline_.tempos[tempo].value);
            }
        };
        for (size_t k = 0; k < plans.size(); ++k) {
            const Segment& seg = timeline_.segments[k];
            const SegmentPlan& plan = plans[k];
            writeTemposUpTo(seg.temposBefore);
            if (plan.setLength >= 0) {
                out += u'l';
                appendLength(out, plan.setLength);
            }
            appendOctaveChange(out, plan.octaveFrom, plan.octaveTo);
            std::u16string_view letter = u"r";
            std::u16string byNumber;
            bool useNumber = false;
            bool pendingTie = seg.note >= 0 && !seg.first;
            if (seg.note >= 0) {
                const SoundNote& n = timeline_.notes[static_cast<size_t>(seg.note)];
                if (seg.first && n.volume != volume) {
                    volume = n.volume;
                    out += u'v';
                    if (volume != 0) appendNumber(out, volume);
                }
                const int32_t lc = letterCost(n.number, plan.octaveTo);
                useNumber = numberCost(n.number) < lc;
                if (lc < kInfinity) letter = letterText(n.number, plan.octaveTo);
                byNumber = u"n";
                if (n.number > 12) appendNumber(byNumber, n.number - 12);
            }
            const bool note = seg.note >= 0;
            const auto piece = [&]() {
                if (pendingTie) out += u'&';
                pendingTie = note;
            };
            const auto defaults = [&](int32_t count) {
                for (int32_t i = 0; i < count; ++i) {
                    piece();
                    out += useNumber ? std::u16string_view(byNumber) : letter;
                }
            };
            const auto dotted = [&](int32_t count) {
                for (int32_t i = 0; i < count; ++i) {
                    piece();
                    out += letter;
                    out += u'.';
                }
            };
            if (plan.zeroKind >= 0) {
                if (plan.zeroKind == 0) defaults(1);
                else if (plan.zeroKind == 1) dotted(1);
                else {
                    piece();
                    out += letter;
                    appendLength(out, tables_.zeroTickCode());
                }
                continue;
            }
            defaults(plan.aDefaults);
            dotted(plan.aDotted);
            if (plan.midLength >= 0) {
                out += u'l';
                appendLength(out, plan.midLength);
            }
            defaults(plan.chain.defaults);
            dotted(plan.chain.dottedDefaults);
            for (const int code : plan.chain.explicitCodes) {
                piece();
                out += letter;
                appendLength(out, code);
            }
        }
        writeTemposUpTo(timeline_.tempos.size());
    }

    PieceTables tables_;
    Timeline& timeline_;
};

}  // namespace

std::optional<std::u16string> writeShortestTrack(const TimingContext& context, std::u16string_view text)
{
    if (context.timebase > 960) return std::nullopt;
    Timeline timeline;
    if (!buildTimeline(context, text, timeline)) return std::nullopt;
    std::u16string out;
    if (!Search(context, timeline).run(out)) return std::nullopt;
    return out;
}

}  // namespace zema
