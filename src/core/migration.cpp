#include "core/migration.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

#include "core/mml_compiler.h"
#include "core/tick_spelling.h"

namespace zema {

namespace {

using Kind = TrackEventKind;

constexpr TimingContext kOldTiming{32, 4, 4};
constexpr int32_t kScale = 3;  // 96 / 32
constexpr int32_t kMaxBasicTempo = 255;

// Three lengths at 32 ticks per quarter that stand for a triplet; the written
// length of each member at 96 ticks per quarter is the row's sum.
struct TripletRow {
    std::array<int32_t, 3> lengths;
    int32_t sum;
};
constexpr std::array<TripletRow, 15> kTripletTable = {{
    {{10, 11, 11}, 32}, {{11, 10, 11}, 32}, {{11, 11, 10}, 32},
    {{6, 5, 5}, 16},    {{5, 6, 5}, 16},    {{5, 5, 6}, 16},
    {{2, 3, 3}, 8},     {{3, 2, 3}, 8},     {{3, 3, 2}, 8},
    {{21, 21, 22}, 64}, {{21, 22, 21}, 64}, {{22, 21, 21}, 64},
    {{42, 43, 43}, 128}, {{43, 42, 43}, 128}, {{43, 43, 42}, 128},
}};

int32_t scaled(int32_t ticks)
{
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{ticks} * kScale, INT32_MIN, INT32_MAX));
}

bool isNoteOrRest(Kind kind) { return kind == Kind::Note || kind == Kind::Rest; }
bool isSounding(Kind kind)
{
    return kind == Kind::Note || kind == Kind::Rest || kind == Kind::SpelledNote || kind == Kind::SpelledRest;
}
bool isNoteKind(Kind kind) { return kind == Kind::Note || kind == Kind::SpelledNote; }

void appendNumber(std::u16string& out, int32_t value)
{
    const std::string digits = std::to_string(value);
    out.append(digits.begin(), digits.end());
}

struct Work {
    TrackEvent event;
    bool continuation = false;  // the source ties this note onto the previous one
    bool removed = false;       // joined into an earlier note, or a tie with no use
};

std::vector<Work> compileOld(std::u16string_view text)
{
    EventList joined;
    StateList states;
    compileTrack(kOldTiming, text, joined, states, 0, false, false);
    std::set<std::pair<int32_t, int32_t>> noteStarts;
    for (const TrackEvent& e : joined) {
        if (e.kind == Kind::Note) noteStarts.emplace(e.startLine, e.startColumn);
    }
    EventList events;
    compileTrack(kOldTiming, text, events, states, 0, true, true);
    std::vector<Work> work;
    work.reserve(events.size());
    for (TrackEvent& e : events) {
        const bool continuation = e.kind == Kind::Note && !noteStarts.contains({e.startLine, e.startColumn});
        work.push_back({std::move(e), continuation, false});
    }
    return work;
}

void markTriplets(std::vector<Work>& work)
{
    for (size_t i = 0; i < work.size(); ++i) {
        if (!isNoteOrRest(work[i].event.kind)) continue;
        size_t j = i + 1;
        while (j < work.size() && !isNoteOrRest(work[j].event.kind)) ++j;
        size_t k = j + 1;
        while (k < work.size() && !isNoteOrRest(work[k].event.kind)) ++k;
        if (k >= work.size()) return;
        const std::array<int32_t, 3> lengths = {work[i].event.length, work[j].event.length, work[k].event.length};
        for (const TripletRow& row : kTripletTable) {
            if (row.lengths != lengths) continue;
            for (size_t m : {i, j, k}) {
                TrackEvent& e = work[m].event;
                e.kind = e.kind == Kind::Note ? Kind::SpelledNote : Kind::SpelledRest;
                e.data.assign(1, static_cast<uint8_t>(row.sum));
            }
            break;
        }
    }
}

// Joins each note the source ties onto an earlier note of the same pitch into
// that note. Ties next to triplet members stay as "&".
void joinTies(std::vector<Work>& work)
{
    size_t pendingTie = 0;
    bool pending = false;
    for (size_t i = 0; i < work.size(); ++i) {
        const Kind kind = work[i].event.kind;
        if (kind == Kind::Tie) {
            pending = true;
            pendingTie = i;
        } else if (kind == Kind::LengthState || kind == Kind::VolumeState) {
            pending = false;
        } else if (kind == Kind::Note) {
            if (pending && work[i].continuation) {
                for (size_t b = i; b-- > 0;) {
                    if (work[b].removed) continue;
                    const Kind before = work[b].event.kind;
                    if (before == Kind::Rest || before == Kind::Tempo || before == Kind::SpelledNote ||
                        before == Kind::SpelledRest) {
                        break;
                    }
                    if (before != Kind::Note) continue;
                    if (work[b].event.noteNumber == work[i].event.noteNumber) {
                        work[b].event.length += work[i].event.length;
                        work[i].removed = true;
                        work[pendingTie].removed = true;
                    }
                    break;
                }
            }
            pending = false;
        }
    }
}

// A tie that joins nothing in the source but stands between two notes of one
// pitch would join them once written; such a tie is dropped.
void dropStrayTies(std::vector<Work>& work)
{
    for (size_t i = 0; i < work.size(); ++i) {
        if (work[i].event.kind != Kind::Tie || work[i].removed) continue;
        const TrackEvent* before = nullptr;
        for (size_t b = i; b-- > 0;) {
            if (!work[b].removed && isSounding(work[b].event.kind)) {
                before = &work[b].event;
                break;
            }
        }
        const Work* after = nullptr;
        for (size_t a = i + 1; a < work.size(); ++a) {
            if (!work[a].removed && isSounding(work[a].event.kind)) {
                after = &work[a];
                break;
            }
        }
        if (before == nullptr || after == nullptr || after->continuation) continue;
        if (isNoteKind(before->kind) && isNoteKind(after->event.kind) &&
            before->noteNumber == after->event.noteNumber) {
            work[i].removed = true;
        }
    }
}

class MigrationWriter {
public:
    explicit MigrationWriter(std::u16string& out) : out_(out) {}

    void write(const std::vector<Work>& work)
    {
        for (const Work& w : work) {
            if (w.removed) continue;
            const TrackEvent& e = w.event;
            switch (e.kind) {
            case Kind::Note:
            case Kind::SpelledNote: writeNote(w); break;
            case Kind::Rest: spellTicks(u"r", e.length, out_); break;
            case Kind::SpelledRest: appendSpellingRow(u"r", e.data.empty() ? 0 : e.data[0], out_); break;
            case Kind::Tempo:
                out_.push_back(u't');
                appendNumber(out_, std::min(e.value, kMaxBasicTempo));
                break;
            case Kind::Measure:
            case Kind::TrackEnd:
                if (firstLine_) firstLine_ = false;
                else out_.append(u"\r\n");
                break;
            case Kind::Tie: out_.push_back(u'&'); break;
            default: break;
            }
        }
    }

private:
    void writeNote(const Work& w)
    {
        const TrackEvent& e = w.event;
        // A `v` between `&` and a tied note would cancel the tie; the tied
        // note sounds at the volume of the note it continues anyway.
        if (!w.continuation && e.value != volume_) {
            out_.push_back(u'v');
            appendNumber(out_, e.value);
            volume_ = e.value;
        }
        std::u16string noteText;
        int32_t octave = e.noteNumber / 12 - 1;
        static constexpr std::array<char16_t, 12> kLetters = {u'c', u'c', u'd', u'd', u'e', u'f',
                                                              u'f', u'g', u'g', u'a', u'a', u'b'};
        static constexpr std::array<bool, 12> kSharps = {false, true,  false, true,  false, false,
                                                         true,  false, true,  false, true,  false};
        // The ends of the range exist only as c- in octave 0 and b+ in octave 8.
        if (octave < 0) {
            octave = 0;
            noteText = u"c-";
        } else if (octave > 8) {
            octave = 8;
            noteText = u"b+";
        } else {
            const size_t pitch = static_cast<size_t>(e.noteNumber % 12);
            noteText.push_back(kLetters[pitch]);
            if (kSharps[pitch]) noteText.push_back(u'+');
        }
        changeOctave(octave);
        if (e.kind == Kind::SpelledNote) appendSpellingRow(noteText, e.data.empty() ? 0 : e.data[0], out_);
        else spellTicks(noteText, e.length, out_);
    }

    void changeOctave(int32_t octave)
    {
        if (octave == octave_) return;
        const int32_t distance = std::abs(octave_ - octave);
        // `<` cannot reach octave 0.
        if (distance >= 3 || (distance == 2 && firstOctaveChange_) || octave == 0) {
            out_.push_back(u'o');
            appendNumber(out_, octave);
        } else {
            out_.append(static_cast<size_t>(distance), octave > octave_ ? u'>' : u'<');
        }
        firstOctaveChange_ = false;
        octave_ = octave;
    }

    std::u16string& out_;
    int32_t volume_ = 8;
    int32_t octave_ = 4;
    bool firstOctaveChange_ = true;
    bool firstLine_ = true;
};

}  // namespace

void migrateTrack(std::u16string_view text, std::u16string& out)
{
    std::vector<Work> work = compileOld(text);
    markTriplets(work);
    joinTies(work);
    dropStrayTies(work);
    for (Work& w : work) {
        w.event.tick = scaled(w.event.tick);
        w.event.length = scaled(w.event.length);
    }
    MigrationWriter(out).write(work);
}

}  // namespace zema
