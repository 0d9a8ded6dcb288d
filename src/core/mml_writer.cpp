#include "core/mml_writer.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

#include "core/mml_compiler.h"
#include "core/writer_plan.h"

namespace zema {

namespace {

using Kind = TrackEventKind;
using writer::Item;

constexpr int32_t kLowestLetterNote = 11;   // c- in octave 0
constexpr int32_t kHighestLetterNote = 120; // b+ in octave 8
constexpr int32_t kLowestNumberNote = 12;   // n0
constexpr int32_t kHighestNumberNote = 108; // n96
constexpr int32_t kMaxBasicTempo = 255;

int32_t octaveOf(int32_t noteNumber) { return noteNumber / 12 - 1; }

// Natural letter and sharp flag of a note number (black keys are sharps).
std::pair<char16_t, bool> nameOf(int32_t noteNumber)
{
    static constexpr char16_t kLetters[12] = {u'c', u'c', u'd', u'd', u'e', u'f', u'f', u'g', u'g', u'a', u'a', u'b'};
    static constexpr bool kSharps[12] = {false, true, false, true, false, false, true, false, true, false, true, false};
    const int32_t pitch = ((noteNumber % 12) + 12) % 12;
    return {kLetters[pitch], kSharps[pitch]};
}

void appendNumber(std::u16string& out, int32_t value)
{
    const std::string digits = std::to_string(value);
    out.append(digits.begin(), digits.end());
}

// Compiles the source twice: with ties kept (the writer's working list) and
// joined (to learn which notes the source really ties onto the previous one;
// a command between `&` and a note cancels the tie, so `&` alone does not say).
std::vector<Item> collectItems(const TimingContext& context, std::u16string_view text)
{
    EventList joined;
    StateList states;
    compileTrack(context, text, joined, states, 0, false, false);
    std::set<std::pair<int32_t, int32_t>> noteStarts;
    for (const TrackEvent& e : joined) {
        if (e.kind == Kind::Note) noteStarts.emplace(e.startLine, e.startColumn);
    }
    EventList events;
    compileTrack(context, text, events, states, 0, true, false);

    std::vector<Item> items;
    items.reserve(events.size());
    for (const TrackEvent& e : events) {
        Item item;
        item.kind = e.kind;
        item.tick = e.tick;
        item.length = e.length;
        item.noteNumber = e.noteNumber;
        item.value = e.value;
        item.lengthNumber = e.lengthNumber;
        item.dotted = e.dotted;
        if (e.kind == Kind::Note) {
            if (e.byNumber) {
                item.lengthNumber = e.defaultLength;
                item.dotted = e.defaultDotted;
            }
            item.continuation = !noteStarts.contains({e.startLine, e.startColumn});
        }
        items.push_back(item);
    }

    // Keep only the ties that join: the last `&` before a continued note.
    // Every other `&` has no effect, and written out it could join notes that
    // the source kept apart.
    std::vector<Item> kept;
    kept.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].kind == Kind::Tie) {
            size_t j = i + 1;
            while (j < items.size() && items[j].kind != Kind::Note && items[j].kind != Kind::Rest &&
                   items[j].kind != Kind::Tie) {
                ++j;
            }
            if (j == items.size() || items[j].kind != Kind::Note || !items[j].continuation) continue;
        }
        kept.push_back(items[i]);
    }
    return kept;
}

// How a note is spelled at the current octave.
enum class Spelling { Letter, BSharp, CFlat, Number };

class TrackWriter {
public:
    TrackWriter(const std::vector<Item>& items, const std::vector<int32_t>& plan, std::u16string& out)
        : items_(items), plan_(plan), out_(out)
    {
    }

    void write()
    {
        for (size_t i = 0; i < items_.size(); ++i) {
            const Item& item = items_[i];
            switch (item.kind) {
            case Kind::Note:
                if (item.continuation && continuationReady_) writeContinuation(item);
                else writeNote(i);
                break;
            case Kind::Rest:
                writePlan(plan_[i]);
                out_.push_back(u'r');
                writeLength(item);
                break;
            case Kind::Tie:
                writePlan(plan_[i]);
                prepareContinuation(i);
                out_.push_back(u'&');
                break;
            case Kind::Tempo:
                out_.push_back(u't');
                appendNumber(out_, std::min(item.value, kMaxBasicTempo));
                break;
            default:
                break;
            }
        }
    }

private:
    void writePlan(int32_t code)
    {
        if (code < 0) return;
        const int32_t number = code < 64 ? code + 1 : code - 63;
        const bool dotted = code >= 64;
        if (number == defaultLength_ && dotted == defaultDotted_) return;
        out_.push_back(u'l');
        appendNumber(out_, number);
        if (dotted) out_.push_back(u'.');
        defaultLength_ = number;
        defaultDotted_ = dotted;
    }

    [[nodiscard]] bool isDefaultLength(const Item& item) const
    {
        return item.lengthNumber == defaultLength_ && item.dotted == defaultDotted_;
    }

    void writeLength(const Item& item)
    {
        if (item.lengthNumber != defaultLength_) {
            appendNumber(out_, item.lengthNumber);
            if (item.dotted) out_.push_back(u'.');
        } else if (defaultDotted_) {
            if (!item.dotted) appendNumber(out_, item.lengthNumber);
        } else if (item.dotted) {
            out_.push_back(u'.');
        }
    }

    void writeSpelled(const Item& item, Spelling spelling)
    {
        const auto [letter, sharp] = nameOf(item.noteNumber);
        switch (spelling) {
        case Spelling::Number:
            out_.push_back(u'n');
            appendNumber(out_, item.noteNumber - 12);
            return;
        case Spelling::BSharp: out_.append(u"b+"); break;
        case Spelling::CFlat: out_.append(u"c-"); break;
        case Spelling::Letter:
            out_.push_back(letter);
            if (sharp) out_.push_back(u'+');
            break;
        }
        writeLength(item);
    }

    // `<` cannot reach octave 0, so a move down to it is always "o0".
    void moveUp(int32_t target, bool absolute)
    {
        if (absolute) writeOctave(target);
        else out_.append(static_cast<size_t>(target - octave_), u'>');
        octave_ = target;
    }
    void moveDown(int32_t target, bool absolute)
    {
        if (absolute || target == 0) writeOctave(target);
        else out_.append(static_cast<size_t>(octave_ - target), u'<');
        octave_ = target;
    }
    void writeOctave(int32_t target)
    {
        out_.push_back(u'o');
        appendNumber(out_, target);
    }

    // The plain octave change: "o" for long jumps (and a first jump of two),
    // otherwise one `>` or `<` per octave.
    void changeOctave(int32_t target)
    {
        if (target == octave_) return;
        const int32_t distance = std::abs(octave_ - target);
        const bool absolute = distance >= 3 || (distance == 2 && firstOctaveChange_);
        if (target > octave_) moveUp(target, absolute);
        else moveDown(target, absolute);
        firstOctaveChange_ = false;
    }

    [[nodiscard]] const Item* nextNote(size_t i) const
    {
        for (size_t j = i + 1; j < items_.size(); ++j) {
            if (items_[j].kind == Kind::Note) return &items_[j];
        }
        return nullptr;
    }

    void writeNote(size_t i)
    {
        const Item& item = items_[i];
        if (item.value != volume_) {
            out_.push_back(u'v');
            appendNumber(out_, item.value);
            volume_ = item.value;
        }
        writePlan(plan_[i]);

        const int32_t nn = item.noteNumber;
        const int32_t q = octaveOf(nn);
        const auto [letter, sharp] = nameOf(nn);
        const Item* next = nextNote(i);
        const int32_t nextOctave = next != nullptr ? octaveOf(next->noteNumber) : -100;

        // The two ends of the range exist only as c- in octave 0 and b+ in octave 8.
        if (nn <= kLowestLetterNote) {
            if (octave_ != 0) moveDown(0, true);
            writeSpelled(item, Spelling::CFlat);
            return;
        }
        if (nn >= kHighestLetterNote) {
            if (octave_ != 8) moveUp(8, 8 - octave_ >= 3);
            writeSpelled(item, Spelling::BSharp);
            return;
        }
        // A C just above the current octave, with the music heading back down:
        // write it as b+ one octave lower and save the move back.
        if (letter == u'c' && !sharp && q > octave_ && (nextOctave == q - 1 || nextOctave == q - 2)) {
            const int32_t steps = q - 1 - octave_;
            if (steps > 0) moveUp(q - 1, steps >= 3);
            writeSpelled(item, Spelling::BSharp);
            return;
        }
        if (letter == u'b' && !sharp && q < octave_ && (nextOctave == q + 1 || nextOctave == q + 2)) {
            const int32_t steps = octave_ - q - 1;
            if (steps > 0) moveDown(q + 1, steps >= 3);
            writeSpelled(item, Spelling::CFlat);
            return;
        }
        // A lone excursion at the default length: a note number leaves the octave alone.
        if (isDefaultLength(item) && nn >= kLowestNumberNote && nn <= kHighestNumberNote && nextOctave == octave_ &&
            (std::abs(octave_ - q) >= 2 || (octave_ != q && sharp))) {
            writeSpelled(item, Spelling::Number);
            return;
        }
        changeOctave(q);
        writeSpelled(item, Spelling::Letter);
    }

    // Before the `&` of a tie: pick a spelling of the tied note that needs no
    // command between `&` and the note (any command there cancels the tie);
    // when none exists at the current octave, change octave before the `&`.
    void prepareContinuation(size_t tieIndex)
    {
        continuationReady_ = false;
        const Item* note = nextNote(tieIndex);
        if (note == nullptr || !note->continuation) return;
        const int32_t nn = note->noteNumber;
        const int32_t q = octaveOf(nn);
        const auto [letter, sharp] = nameOf(nn);
        if (nn <= kLowestLetterNote) {
            if (octave_ != 0) moveDown(0, true);
            continuation_ = Spelling::CFlat;
        } else if (nn >= kHighestLetterNote) {
            if (octave_ != 8) moveUp(8, 8 - octave_ >= 3);
            continuation_ = Spelling::BSharp;
        } else if (q == octave_) {
            continuation_ = Spelling::Letter;
        } else if (letter == u'c' && !sharp && q == octave_ + 1) {
            continuation_ = Spelling::BSharp;
        } else if (letter == u'b' && !sharp && q == octave_ - 1) {
            continuation_ = Spelling::CFlat;
        } else if (isDefaultLength(*note) && nn >= kLowestNumberNote && nn <= kHighestNumberNote) {
            continuation_ = Spelling::Number;
        } else {
            changeOctave(q);
            continuation_ = Spelling::Letter;
        }
        continuationReady_ = true;
    }

    // A tied note sounds as part of the previous one: its volume does not
    // matter and must not be written (a `v` would cancel the tie).
    void writeContinuation(const Item& item)
    {
        writeSpelled(item, continuation_);
        continuationReady_ = false;
    }

    const std::vector<Item>& items_;
    const std::vector<int32_t>& plan_;
    std::u16string& out_;
    int32_t defaultLength_ = 4;
    bool defaultDotted_ = false;
    int32_t octave_ = 4;
    int32_t volume_ = 8;
    bool firstOctaveChange_ = true;
    bool continuationReady_ = false;
    Spelling continuation_ = Spelling::Letter;
};

}  // namespace

int32_t rewriteTrack(const TimingContext& context, std::u16string_view text, int mode, int option, std::u16string& out)
{
    const size_t before = out.size();
    std::vector<Item> items = collectItems(context, text);
    writer::normaliseRests(items, context.timebase);
    const std::vector<int32_t> plan = writer::planLengths(items, mode, option);
    TrackWriter(items, plan, out).write();
    return static_cast<int32_t>(out.size() - before);
}

}  // namespace zema
