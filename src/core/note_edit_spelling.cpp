#include "core/note_edit_spelling.h"

#include <algorithm>
#include <cstdlib>

namespace zema::noteedit {

namespace {

using exact::ChainSpelling;
using exact::kInfinity;
using exact::PieceCosts;
using exact::PieceTables;

int stateCode(int32_t length, bool dotted) { return (length - 1) + (dotted ? 64 : 0); }

void appendNumber(std::u16string& out, int32_t value)
{
    const std::string digits = std::to_string(value);
    out.append(digits.begin(), digits.end());
}

// Characters of the cheapest way from one octave to another: `<` stops at
// octave 1, so octave 0 is reached with "o0" only.
int32_t moveCost(int32_t from, int32_t to)
{
    if (from == to) return 0;
    if (to == 0) return 2;
    return std::min(std::abs(from - to), 2);
}

void writeMove(int32_t from, int32_t to, std::u16string& out)
{
    if (from == to) return;
    const int32_t distance = std::abs(from - to);
    if (to == 0 || distance >= 3) {
        out.push_back(u'o');
        appendNumber(out, to);
        return;
    }
    out.append(static_cast<size_t>(distance), to > from ? u'>' : u'<');
}

// One way to write a note: the text before its length and the octave it needs.
struct NoteName {
    std::u16string text;  // "c+", "b+", "n60"...
    int32_t octave = -1;  // octave the name is read in; -1 for `n` (any octave)
};

// The ways a note number can be written: by letter in its own octave, as b+
// one octave down or c- one octave up, and by number.
std::vector<NoteName> namesOf(int32_t noteNumber)
{
    static constexpr char16_t kLetters[12] = {u'c', u'c', u'd', u'd', u'e', u'f', u'f', u'g', u'g', u'a', u'a', u'b'};
    static constexpr bool kSharps[12] = {false, true, false, true, false, false, true, false, true, false, true, false};
    std::vector<NoteName> names;
    if (noteNumber == kLowestNote) {
        names.push_back({u"c-", 0});
        return names;
    }
    if (noteNumber == kHighestNote) {
        names.push_back({u"b+", 8});
        return names;
    }
    const int32_t pitch = noteNumber % 12;
    const int32_t octave = noteNumber / 12 - 1;
    NoteName plain{std::u16string(1, kLetters[pitch]), octave};
    if (kSharps[pitch]) plain.text.push_back(u'+');
    names.push_back(plain);
    if (pitch == 0 && octave >= 1) names.push_back({u"b+", octave - 1});
    if (pitch == 11 && octave <= 7) names.push_back({u"c-", octave + 1});
    if (noteNumber >= 12 && noteNumber <= 108) {
        NoteName number{u"n", -1};
        appendNumber(number.text, noteNumber - 12);
        names.push_back(number);
    }
    return names;
}

PieceCosts costsOf(const NoteName& name)
{
    const auto chars = static_cast<int32_t>(name.text.size()) + 1;  // with the `&` before it
    // A number note always takes the default length.
    return name.octave < 0 ? PieceCosts{0, chars} : PieceCosts{chars, chars};
}

// The pieces of a chain, longest first, each as its length suffix.
std::vector<std::u16string> chainSuffixes(const PieceTables& tables, int state, const ChainSpelling& chain)
{
    struct Piece {
        int32_t ticks;
        std::u16string suffix;
    };
    std::vector<Piece> pieces;
    for (int32_t i = 0; i < chain.defaults; ++i) pieces.push_back({tables.ticks(state), u""});
    for (int32_t i = 0; i < chain.dottedDefaults; ++i) pieces.push_back({tables.dottedDefaultTicks(state), u"."});
    for (const int code : chain.explicitCodes) {
        std::u16string suffix;
        appendNumber(suffix, exact::stateLength(code));
        if (exact::stateDotted(code)) suffix.push_back(u'.');
        pieces.push_back({tables.ticks(code), std::move(suffix)});
    }
    std::stable_sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) { return a.ticks > b.ticks; });
    std::vector<std::u16string> out;
    out.reserve(pieces.size());
    for (Piece& piece : pieces) out.push_back(std::move(piece.suffix));
    return out;
}

class SpanWriter {
public:
    SpanWriter(PieceTables& tables, const ScoreState& state, std::u16string& out)
        : tables_(tables), state_(state), out_(out)
    {
    }

    [[nodiscard]] int32_t tick() const { return state_.tick; }
    [[nodiscard]] int32_t octave() const { return state_.octave; }

    bool rest(int32_t ticks)
    {
        if (ticks <= 0) return ticks == 0;
        const int state = code();
        const PieceCosts costs{1, 1};
        if (tables_.chainCost(costs, state, ticks) >= kInfinity) return false;
        for (const std::u16string& suffix : chainSuffixes(tables_, state, tables_.chainSpelling(costs, state, ticks))) {
            out_.push_back(u'r');
            out_ += suffix;
        }
        state_.tick += ticks;
        return true;
    }

    // nextOctave: the octave the text wants after this note (-1 when none),
    // so that a move out and back is weighed against a number.
    bool note(const SpanItem& item, int32_t nextOctave)
    {
        const int state = code();
        const NoteName* best = nullptr;
        int32_t bestCost = kInfinity;
        const std::vector<NoteName> names = namesOf(item.noteNumber);
        for (const NoteName& name : names) {
            const int32_t chain = tables_.chainCost(costsOf(name), state, item.length);
            if (chain >= kInfinity) continue;
            const int32_t after = name.octave < 0 ? state_.octave : name.octave;
            int32_t cost = chain + moveCost(state_.octave, after);
            if (nextOctave >= 0) cost += moveCost(after, nextOctave);
            if (cost < bestCost) {
                bestCost = cost;
                best = &name;
            }
        }
        if (best == nullptr) return false;
        if (item.volume != state_.volume) {
            out_.push_back(u'v');
            appendNumber(out_, item.volume);
            state_.volume = item.volume;
        }
        if (best->octave >= 0) {
            writeMove(state_.octave, best->octave, out_);
            state_.octave = best->octave;
        }
        const PieceCosts costs = costsOf(*best);
        bool first = true;
        for (const std::u16string& suffix : chainSuffixes(tables_, state, tables_.chainSpelling(costs, state, item.length))) {
            if (!first) out_.push_back(u'&');
            first = false;
            out_ += best->text;
            out_ += suffix;
        }
        state_.tick += item.length;
        return true;
    }

    void copy(std::u16string_view text) { out_ += text; }

    void restore(const ScoreState& to, Restore restore)
    {
        if (restore.octave) {
            writeMove(state_.octave, to.octave, out_);
            state_.octave = to.octave;
        }
        if (restore.length && (to.length != state_.length || to.dotted != state_.dotted)) {
            out_.push_back(u'l');
            appendNumber(out_, to.length);
            if (to.dotted) out_.push_back(u'.');
            state_.length = to.length;
            state_.dotted = to.dotted;
        }
        if (restore.volume && to.volume != state_.volume) {
            out_.push_back(u'v');
            appendNumber(out_, to.volume);
            state_.volume = to.volume;
        }
    }

private:
    [[nodiscard]] int code() const { return stateCode(state_.length, state_.dotted); }

    PieceTables& tables_;
    ScoreState state_;
    std::u16string& out_;
};

// The octave a note is most naturally read in.
int32_t naturalOctave(int32_t noteNumber)
{
    if (noteNumber <= kLowestNote) return 0;
    if (noteNumber >= kHighestNote) return 8;
    return noteNumber / 12 - 1;
}

}  // namespace

bool writeSpan(PieceTables& tables, const ScoreState& from, const std::vector<SpanItem>& items, int32_t endTick,
               const ScoreState& to, Restore restore, std::u16string& out)
{
    SpanWriter writer(tables, from, out);
    for (size_t i = 0; i < items.size(); ++i) {
        const SpanItem& item = items[i];
        if (item.tick < writer.tick()) return false;
        if (!writer.rest(item.tick - writer.tick())) return false;
        if (!item.isNote()) {
            writer.copy(item.copied);
            continue;
        }
        int32_t nextOctave = restore.octave ? to.octave : -1;
        for (size_t j = i + 1; j < items.size(); ++j) {
            if (items[j].isNote()) {
                nextOctave = naturalOctave(items[j].noteNumber);
                break;
            }
        }
        if (!writer.note(item, nextOctave)) return false;
    }
    if (endTick < writer.tick() || !writer.rest(endTick - writer.tick())) return false;
    writer.restore(to, restore);
    return true;
}

int32_t noteSpellingCost(PieceTables& tables, const ScoreState& state, int32_t noteNumber, int32_t ticks)
{
    const NoteName name = namesOf(noteNumber).front();
    const int32_t chain = tables.chainCost(costsOf(name), stateCode(state.length, state.dotted), ticks);
    return chain >= kInfinity ? kInfinity : chain - 1;
}

}  // namespace zema::noteedit
