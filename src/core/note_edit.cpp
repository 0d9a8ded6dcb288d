#include "core/note_edit.h"

#include <algorithm>
#include <limits>

#include "core/mml_compiler.h"
#include "core/note_edit_spelling.h"

namespace zema {

namespace {

using noteedit::Restore;
using noteedit::ScoreState;
using noteedit::SpanItem;
using Kind = TrackEventKind;

// A command of the compiled text as the engine sees it: a note (tied pieces
// joined), a rest, a state change, or a command copied as it stands.
struct Unit {
    enum class Type : uint8_t { Note, Rest, State, Copied };
    Type type = Type::State;
    int32_t begin = 0;  // UTF-16 offsets of the command's text
    int32_t end = 0;
    const TrackEvent* event = nullptr;
    ScoreState after;  // the compiler's state once the command has run

    [[nodiscard]] bool timed() const { return type == Type::Note || type == Type::Rest; }
};

// The original track, compiled once.
struct Original {
    const EventList* events = nullptr;
    const StateList* states = nullptr;
    std::vector<Unit> units;
    std::vector<EditNote> notes;      // in event (tick) order
    std::vector<int32_t> noteUnits;   // unit index of each note
    std::vector<int32_t> timedUnits;  // unit indexes of notes and rests, in tick order
    int32_t endTick = 0;
    int32_t usedLength = 0;  // the compiler reads the text up to its first NUL

    [[nodiscard]] ScoreState before(int32_t unit) const { return unit > 0 ? units[unit - 1].after : ScoreState{}; }
    [[nodiscard]] ScoreState finalState() const { return units.empty() ? ScoreState{} : units.back().after; }
};

bool isCopiedKind(Kind kind)
{
    switch (kind) {
    case Kind::Tempo: case Kind::Program: case Kind::Control: case Kind::PitchBend: case Kind::SysEx:
        return true;
    default:
        return false;
    }
}

// Indexes the track's compile: every command with its text offsets and the
// state after it.
void indexOriginal(std::u16string_view text, const CompiledTrack& compiled, Original& track)
{
    track.events = &compiled.events;
    track.states = &compiled.states;
    track.usedLength = static_cast<int32_t>(std::min(text.size(), text.find(u'\0')));

    std::vector<int32_t> lineStarts{0};
    for (int32_t i = 0; i < track.usedLength; ++i) {
        if (text[static_cast<size_t>(i)] == u'\n') lineStarts.push_back(i + 1);
    }
    const auto offsetOf = [&](int32_t line, int32_t column) {
        const int32_t start = line >= 0 && static_cast<size_t>(line) < lineStarts.size()
                                  ? lineStarts[static_cast<size_t>(line)]
                                  : track.usedLength;
        return std::clamp(start + column, 0, track.usedLength);
    };
    const auto unitOf = [&](Unit::Type type, const TrackEvent& e) {
        Unit unit;
        unit.type = type;
        unit.begin = offsetOf(e.startLine, e.startColumn);
        unit.end = std::max(unit.begin, offsetOf(e.endLine, e.endColumn));
        unit.event = &e;
        return unit;
    };
    // Events and states each come in text order: merge the two runs.
    std::vector<Unit> fromEvents;
    fromEvents.reserve(compiled.events.size());
    for (const TrackEvent& e : compiled.events) {
        if (e.kind == Kind::Note) fromEvents.push_back(unitOf(Unit::Type::Note, e));
        else if (e.kind == Kind::Rest) fromEvents.push_back(unitOf(Unit::Type::Rest, e));
        else if (isCopiedKind(e.kind)) fromEvents.push_back(unitOf(Unit::Type::Copied, e));
        else if (e.kind == Kind::TrackEnd) track.endTick = e.tick;
    }
    std::vector<Unit> fromStates;
    // The first four states are the compiler's starting values, not commands.
    for (size_t i = 4; i < compiled.states.size(); ++i) {
        const TrackEvent& e = compiled.states[i];
        if (e.kind != Kind::TempoState) fromStates.push_back(unitOf(Unit::Type::State, e));
    }
    track.units.resize(fromEvents.size() + fromStates.size());
    std::merge(fromEvents.begin(), fromEvents.end(), fromStates.begin(), fromStates.end(), track.units.begin(),
               [](const Unit& a, const Unit& b) { return a.begin < b.begin; });

    ScoreState state;
    for (size_t i = 0; i < track.units.size(); ++i) {
        Unit& unit = track.units[i];
        const TrackEvent& e = *unit.event;
        switch (e.kind) {
        case Kind::Note:
        case Kind::Rest:
            state.tick = e.tick + e.length;
            state.length = e.defaultLength;
            state.dotted = e.defaultDotted;
            if (e.kind == Kind::Note) {
                state.volume = e.value;
                track.notes.push_back({e.tick, e.length, e.noteNumber, e.value});
                track.noteUnits.push_back(static_cast<int32_t>(i));
            }
            track.timedUnits.push_back(static_cast<int32_t>(i));
            break;
        case Kind::OctaveState: state.octave = e.value; break;
        case Kind::LengthState:
            state.length = e.value;
            state.dotted = e.value2 != 0;
            break;
        case Kind::VolumeState: state.volume = e.value; break;
        default: state.tick = e.tick; break;
        }
        unit.after = state;
    }
}

// What the text after unit `last` still reads of the state: the octave
// unless an `o` comes before the next letter note or octave mark, the volume
// unless a `v` comes before the next note, the default length unless an `l`
// comes before the next note or rest that uses it.
Restore neededAfter(const Original& track, std::u16string_view text, int32_t last)
{
    Restore needed{false, false, false};
    bool octaveKnown = false;
    bool volumeKnown = false;
    bool lengthKnown = false;
    for (size_t i = static_cast<size_t>(last + 1); i < track.units.size(); ++i) {
        if (octaveKnown && volumeKnown && lengthKnown) break;
        const Unit& unit = track.units[i];
        const TrackEvent& e = *unit.event;
        const char16_t first = asciiLower(text[static_cast<size_t>(unit.begin)]);
        switch (e.kind) {
        case Kind::Note:
        case Kind::Rest: {
            if (e.kind == Kind::Note) {
                if (!octaveKnown && !e.byNumber) needed.octave = octaveKnown = true;
                if (!volumeKnown) needed.volume = volumeKnown = true;
            }
            if (!lengthKnown) {
                // A length number other than 0 right after the letter and its
                // accidentals makes the command independent of `l`.
                size_t k = static_cast<size_t>(unit.begin) + 1;
                while (k < static_cast<size_t>(unit.end) && (text[k] == u'+' || text[k] == u'#' || text[k] == u'-')) ++k;
                const bool written = !e.byNumber && k < static_cast<size_t>(unit.end) && text[k] >= u'1' && text[k] <= u'9';
                if (!written) needed.length = lengthKnown = true;
            }
            break;
        }
        case Kind::OctaveState:
            if (!octaveKnown) {
                octaveKnown = true;
                needed.octave = first != u'o';
            }
            break;
        case Kind::VolumeState: volumeKnown = true; break;
        case Kind::LengthState: lengthKnown = true; break;
        default: break;
        }
    }
    return needed;
}

struct Target {
    EditNote note;
    int32_t origin = -1;  // index of the original note; -1 when inserted
    bool deleted = false;
    bool changed = false;
    int32_t range = -1;  // the range of units whose text will hold it (changed notes)
};

// True for text between two commands that holds comments or line breaks and
// nothing else the compiler would read (a tie, a stray length): text worth
// keeping when the commands around it are written anew.
bool onlyCommentsAndBreaks(std::u16string_view gap)
{
    bool worthKeeping = false;
    for (size_t i = 0; i < gap.size();) {
        const char16_t c = gap[i];
        if (c == u'/' && i + 1 < gap.size() && gap[i + 1] == u'/') {
            const size_t end = gap.find(u'\n', i);
            i = end == std::u16string_view::npos ? gap.size() : end;
            worthKeeping = true;
        } else if (c == u'/' && i + 1 < gap.size() && gap[i + 1] == u'*') {
            const size_t end = gap.find(u"*/", i + 2);
            if (end == std::u16string_view::npos) return false;
            i = end + 2;
            worthKeeping = true;
        } else if (c == u'\n' || c == u'\r') {
            ++i;
            worthKeeping = true;
        } else if (c == u' ' || c == u'\t') {
            ++i;
        } else {
            return false;
        }
    }
    return worthKeeping;
}

// A run of units to write anew, by unit index (first > last when empty).
struct Range {
    int32_t first = 0;
    int32_t last = -1;
    bool tail = false;  // runs to the end of the track (the end tick may grow)
};

// Volume the compiler gives a note written at `tick` without a `v` command.
int32_t volumeInForce(const Original& track, int32_t tick)
{
    for (const int32_t u : track.timedUnits) {
        const TrackEvent& e = *track.units[static_cast<size_t>(u)].event;
        if (tick >= e.tick && tick < e.tick + e.length) return track.before(u).volume;
    }
    return track.finalState().volume;
}

// The units whose ticks the interval [lo, hi) touches.
Range rangeOf(const Original& track, int32_t lo, int32_t hi)
{
    const auto unitCount = static_cast<int32_t>(track.units.size());
    Range range{unitCount, -1, false};
    for (const int32_t u : track.timedUnits) {
        const TrackEvent& e = *track.units[static_cast<size_t>(u)].event;
        if (e.tick < hi && e.tick + e.length > lo) {
            range.first = std::min(range.first, u);
            range.last = std::max(range.last, u);
        }
    }
    if (hi > track.endTick || lo >= track.endTick) {
        range.tail = true;
        range.last = unitCount - 1;
    }
    return range;
}

struct Candidate {
    std::vector<TextChange> changes;
    std::u16string text;
};

// Where an insertion goes in a text with no commands at all: at its end, on
// a line of its own when the last line holds a line comment.
TextChange emptyTextInsertion(std::u16string_view text, int32_t usedLength)
{
    const std::u16string_view used = text.substr(0, static_cast<size_t>(usedLength));
    const size_t lineStart = used.rfind(u'\n');
    const std::u16string_view lastLine = used.substr(lineStart == std::u16string_view::npos ? 0 : lineStart + 1);
    TextChange change{usedLength, 0, {}};
    if (lastLine.find(u"//") != std::u16string_view::npos) change.inserted = u"\n";
    return change;
}

class Engine {
public:
    Engine(const TimingContext& context, std::u16string_view text, const CompiledTrack& compiled)
        : text_(text), tables_(std::max(context.timebase, 1)), context_(context), verified_(scratch().verified)
    {
        indexOriginal(text, compiled, track_);
    }

    // The compile of the text the last successful apply returned.
    [[nodiscard]] CompiledTrack& verified() { return verified_; }

    // Lists kept from one call to the next on a thread: a track's lists are
    // large enough that allocating them afresh costs as much as compiling.
    struct Scratch {
        CompiledTrack original;
        CompiledTrack verified;
    };
    static Scratch& scratch()
    {
        thread_local Scratch lists;
        return lists;
    }

    NoteEditResult apply(std::span<const NoteEdit> edits)
    {
        NoteEditResult result;
        result.text = std::u16string(text_);
        result.status = buildTargets(edits);
        if (result.status != NoteEditStatus::Applied) return result;
        if (std::none_of(targets_.begin(), targets_.end(), [](const Target& t) { return t.changed; })) return result;
        if (!expressible()) {
            result.status = NoteEditStatus::NotExpressible;
            return result;
        }
        collectRanges();
        expectEvents();

        // Smallest first: the changed commands alone, restoring only what the
        // following text reads; then restoring everything; then ever wider
        // spans of the text around them, up to the whole track.
        const auto unitCount = static_cast<int32_t>(track_.units.size());
        struct Attempt {
            int32_t widen;
            bool fullRestore;
        };
        std::vector<Attempt> attempts{{0, false}, {0, true}};
        for (int32_t widen = 1; widen < unitCount; widen *= 2) attempts.push_back({widen, true});
        attempts.push_back({std::max(unitCount, 1), true});
        for (size_t k = 0; k < attempts.size(); ++k) {
            Candidate candidate;
            if (!build(attempts[k].widen, attempts[k].fullRestore, candidate)) continue;
            if (!verify(candidate.text)) continue;
            dropRepeatedVolumes(candidate);
            result.status = k < 2 ? NoteEditStatus::Applied : NoteEditStatus::Rewritten;
            result.text = std::move(candidate.text);
            result.changes = std::move(candidate.changes);
            return result;
        }
        result.status = NoteEditStatus::NotExpressible;
        return result;
    }

private:
    NoteEditStatus buildTargets(std::span<const NoteEdit> edits)
    {
        targets_.clear();
        for (size_t i = 0; i < track_.notes.size(); ++i) targets_.push_back({track_.notes[i], static_cast<int32_t>(i)});
        for (const NoteEdit& edit : edits) {
            if (edit.kind == NoteEditKind::Insert) {
                Target inserted{edit.note, -1, false, true};
                if (inserted.note.volume < 0) inserted.note.volume = volumeInForce(track_, inserted.note.tick);
                targets_.push_back(inserted);
                continue;
            }
            const auto found = std::find_if(track_.notes.begin(), track_.notes.end(), [&](const EditNote& n) {
                return n.tick == edit.tick && n.noteNumber == edit.noteNumber;
            });
            if (found == track_.notes.end()) return NoteEditStatus::NoSuchNote;
            Target& target = targets_[static_cast<size_t>(found - track_.notes.begin())];
            switch (edit.kind) {
            case NoteEditKind::Delete: target.deleted = true; break;
            case NoteEditKind::Move:
                target.note.tick = edit.note.tick;
                target.note.noteNumber = edit.note.noteNumber;
                break;
            case NoteEditKind::Resize: target.note.length = edit.note.length; break;
            case NoteEditKind::Volume: target.note.volume = edit.note.volume; break;
            case NoteEditKind::Insert: break;
            }
        }
        for (Target& target : targets_) {
            if (target.origin >= 0) {
                target.changed = target.deleted || target.note != track_.notes[static_cast<size_t>(target.origin)];
            }
        }
        return NoteEditStatus::Applied;
    }

    // Ranges, one note at a time, no note across a copied command (a tempo
    // change cuts a tie), lengths the timebase can spell.
    bool expressible()
    {
        std::vector<const EditNote*> notes;
        for (const Target& target : targets_) {
            if (target.deleted) continue;
            const EditNote& n = target.note;
            if (!target.changed) {
                notes.push_back(&n);
                continue;
            }
            if (n.tick < 0 || n.length < 1 || n.noteNumber < noteedit::kLowestNote ||
                n.noteNumber > noteedit::kHighestNote || n.volume < 0 || n.volume > 15 ||
                static_cast<int64_t>(n.tick) + n.length > std::numeric_limits<int32_t>::max() / 2) {
                return false;
            }
            if (noteedit::noteSpellingCost(tables_, {}, n.noteNumber, n.length) >= exact::kInfinity) return false;
            for (const Unit& unit : track_.units) {
                if (unit.type == Unit::Type::Copied && unit.event->tick > n.tick && unit.event->tick < n.tick + n.length)
                    return false;
            }
            notes.push_back(&n);
        }
        std::sort(notes.begin(), notes.end(), [](const EditNote* a, const EditNote* b) { return a->tick < b->tick; });
        for (size_t i = 1; i < notes.size(); ++i) {
            if (notes[i]->tick < notes[i - 1]->tick + notes[i - 1]->length) return false;
        }
        return true;
    }

    void collectRanges()
    {
        ranges_.clear();
        for (Target& target : targets_) {
            if (!target.changed) continue;
            Range range{static_cast<int32_t>(track_.units.size()), -1, false};
            const auto join = [&](const Range& other) {
                range.first = std::min(range.first, other.first);
                range.last = std::max(range.last, other.last);
                range.tail = range.tail || other.tail;
            };
            if (target.origin >= 0) {
                const EditNote& old = track_.notes[static_cast<size_t>(target.origin)];
                const int32_t unit = track_.noteUnits[static_cast<size_t>(target.origin)];
                join({unit, unit, false});
                join(rangeOf(track_, old.tick, old.tick + old.length));
            }
            // A moved note leaves one place and arrives at another: two ranges.
            if (!target.deleted) {
                Range arrival = rangeOf(track_, target.note.tick, target.note.tick + target.note.length);
                if (target.origin >= 0 && (arrival.last < range.first || arrival.first > range.last) && !arrival.tail &&
                    !range.tail) {
                    ranges_.push_back(arrival);
                    target.range = static_cast<int32_t>(ranges_.size()) - 1;
                    ranges_.push_back(range);
                    continue;
                }
                join(arrival);
            }
            ranges_.push_back(range);
            target.range = static_cast<int32_t>(ranges_.size()) - 1;
        }
    }

    void expectEvents()
    {
        expectedNotes_.clear();
        expectedEnd_ = track_.endTick;
        for (const Target& target : targets_) {
            if (target.deleted) continue;
            expectedNotes_.push_back(target.note);
            expectedEnd_ = std::max(expectedEnd_, target.note.tick + target.note.length);
        }
        std::sort(expectedNotes_.begin(), expectedNotes_.end(),
                  [](const EditNote& a, const EditNote& b) { return a.tick < b.tick; });
    }

    // Widens the ranges by `widen` units each side and merges those that meet.
    [[nodiscard]] std::vector<Range> widened(int32_t widen) const
    {
        const auto unitCount = static_cast<int32_t>(track_.units.size());
        std::vector<Range> out;
        for (Range range : ranges_) {
            range.first = std::max(0, std::min(range.first, unitCount) - widen);
            range.last = range.tail ? unitCount - 1 : std::min(unitCount - 1, range.last + widen);
            out.push_back(range);
        }
        std::sort(out.begin(), out.end(), [](const Range& a, const Range& b) {
            return a.first != b.first ? a.first < b.first : a.last < b.last;
        });
        std::vector<Range> merged;
        // Ranges that meet, or whose commands follow each other with nothing
        // between them in the text, are written as one: neighbouring notes of
        // one edit (a volume stroke) then share their state changes.
        const auto touching = [&](const Range& before, const Range& after) {
            if (after.first <= before.last) return true;
            if (after.first != before.last + 1 || after.first >= unitCount || before.last < 0) return false;
            return track_.units[static_cast<size_t>(before.last)].end ==
                   track_.units[static_cast<size_t>(after.first)].begin;
        };
        for (const Range& range : out) {
            if (!merged.empty() && (touching(merged.back(), range) || (range.tail && merged.back().tail))) {
                merged.back().last = std::max(merged.back().last, range.last);
                merged.back().tail = merged.back().tail || range.tail;
            } else {
                merged.push_back(range);
            }
        }
        return merged;
    }

    bool build(int32_t widen, bool fullRestore, Candidate& candidate)
    {
        const std::vector<Range> ranges = widened(widen);
        // Each changed note is written by the range that holds its own range.
        std::vector<std::vector<SpanItem>> items(ranges.size());
        const auto holder = [&](const Range& inner) -> size_t {
            for (size_t r = 0; r < ranges.size(); ++r) {
                const Range& outer = ranges[r];
                if (inner.tail ? outer.tail : (outer.first <= inner.first && inner.last <= outer.last)) return r;
            }
            return ranges.size();
        };
        for (const Target& target : targets_) {
            if (target.deleted) continue;
            size_t r = ranges.size();
            if (target.changed) {
                r = holder(ranges_[static_cast<size_t>(target.range)]);
            } else {
                const int32_t unit = track_.noteUnits[static_cast<size_t>(target.origin)];
                r = holder({unit, unit, false});
            }
            if (r < ranges.size()) items[r].push_back({target.note.tick, target.note.length, target.note.noteNumber,
                                                       target.note.volume, {}});
        }
        // Written from the last range back, so each range knows whether the
        // next one, starting right after it, sets a state again before it is read.
        std::vector<TextChange> written(ranges.size());
        std::vector<size_t> prefixes(ranges.size(), 0);
        for (size_t r = ranges.size(); r-- > 0;) {
            const Range& range = ranges[r];
            for (int32_t u = range.first; u <= range.last; ++u) {
                const Unit& unit = track_.units[static_cast<size_t>(u)];
                if (unit.type != Unit::Type::Copied) continue;
                items[r].push_back({unit.event->tick, 0, -1, 0,
                                    text_.substr(static_cast<size_t>(unit.begin),
                                                 static_cast<size_t>(unit.end - unit.begin))});
            }
            // In tick order; at one tick copied commands first, then notes, each in text order.
            std::stable_sort(items[r].begin(), items[r].end(), [](const SpanItem& a, const SpanItem& b) {
                if (a.tick != b.tick) return a.tick < b.tick;
                return !a.isNote() && b.isNote();
            });

            const ScoreState from = track_.before(range.first);
            const ScoreState to = range.last >= 0 ? track_.units[static_cast<size_t>(range.last)].after : ScoreState{};
            int32_t endTick = to.tick;
            if (range.tail) {
                for (const SpanItem& item : items[r]) endTick = std::max(endTick, item.tick + item.length);
            }
            Restore restore = fullRestore ? Restore{} : neededAfter(track_, text_, range.last);
            if (!fullRestore && r + 1 < ranges.size() && ranges[r + 1].first == range.last + 1) {
                const Restore again = setsFirst(written[r + 1].inserted);
                restore.volume = restore.volume && !again.volume;
                restore.length = restore.length && !again.length;
                restore.octave = restore.octave && !again.octave;
            }

            TextChange change;
            if (range.first <= range.last) {
                const Unit& first = track_.units[static_cast<size_t>(range.first)];
                const Unit& last = track_.units[static_cast<size_t>(range.last)];
                change.offset = first.begin;
                change.removed = last.end - first.begin;
            } else if (track_.units.empty()) {
                change = emptyTextInsertion(text_, track_.usedLength);
            } else {
                change.offset = track_.units.back().end;
            }
            prefixes[r] = change.inserted.size();
            if (!noteedit::writeSpan(tables_, from, items[r], endTick, to, restore, change.inserted)) return false;
            // Comments and line breaks between the replaced commands are the
            // player's own: they follow the new spelling in their order.
            for (int32_t u = range.first; u < range.last; ++u) {
                const int32_t gapBegin = track_.units[static_cast<size_t>(u)].end;
                const int32_t gapEnd = track_.units[static_cast<size_t>(u) + 1].begin;
                if (gapEnd <= gapBegin) continue;
                const std::u16string_view gap =
                    text_.substr(static_cast<size_t>(gapBegin), static_cast<size_t>(gapEnd - gapBegin));
                if (onlyCommentsAndBreaks(gap)) change.inserted += gap;
            }
            written[r] = std::move(change);
        }

        std::u16string& out = candidate.text;
        int32_t copiedUpTo = 0;
        for (size_t r = 0; r < ranges.size(); ++r) {
            TextChange& change = written[r];
            out.append(text_.substr(static_cast<size_t>(copiedUpTo), static_cast<size_t>(change.offset - copiedUpTo)));
            out += change.inserted;
            copiedUpTo = change.offset + change.removed;
            trim(change, prefixes[r]);
            if (change.removed > 0 || !change.inserted.empty()) candidate.changes.push_back(std::move(change));
        }
        out.append(text_.substr(static_cast<size_t>(copiedUpTo)));
        return true;
    }

    // The states a written stretch sets before its first note or rest reads
    // them (an `o`, `v` or `l` at its start): a restore just before it is wasted.
    static Restore setsFirst(std::u16string_view written)
    {
        Restore sets{false, false, false};
        for (const char16_t c : written) {
            switch (asciiLower(c)) {
            case u'v': sets.volume = true; break;
            case u'l': sets.length = true; break;
            case u'o': sets.octave = true; break;
            case u'<': case u'>': case u' ': case u'\t': case u'\r': case u'\n': case u'.':
                break;
            default:
                if (c >= u'0' && c <= u'9') break;
                return sets;
            }
        }
        return sets;
    }

    // Each stretch is spelled from the state the original text had before it,
    // so neighbouring stretches of one edit (a volume stroke) can each repeat a
    // `v` the one before already set. A `v` the track compiles to the intended
    // notes without is dropped; the compile of the final text stays at hand.
    void dropRepeatedVolumes(Candidate& candidate)
    {
        bool finalCompiled = true;
        int32_t shift = 0;  // where the current change starts in the new text, less its old offset
        for (size_t c = 0; c < candidate.changes.size(); ++c) {
            size_t pos = 0;
            while (true) {
                std::u16string& inserted = candidate.changes[c].inserted;
                pos = inserted.find_first_of(u"vV", pos);
                if (pos == std::u16string::npos) break;
                size_t end = pos + 1;
                while (end < inserted.size() && inserted[end] >= u'0' && inserted[end] <= u'9') ++end;
                if (end == pos + 1) {
                    pos = end;
                    continue;
                }
                std::u16string trial = candidate.text;
                trial.erase(static_cast<size_t>(candidate.changes[c].offset + shift) + pos, end - pos);
                if (verify(trial)) {
                    candidate.text = std::move(trial);
                    inserted.erase(pos, end - pos);
                    finalCompiled = true;
                } else {
                    finalCompiled = false;
                    pos = end;
                }
            }
            shift += static_cast<int32_t>(candidate.changes[c].inserted.size()) - candidate.changes[c].removed;
        }
        std::erase_if(candidate.changes, [](const TextChange& change) {
            return change.removed == 0 && change.inserted.empty();
        });
        if (!finalCompiled) verify(candidate.text);
    }

    // Drops the characters a change leaves as they were at either end, so
    // that only what differs is replaced. The first `keep` inserted
    // characters belong to the change whatever the old text holds.
    void trim(TextChange& change, size_t keep) const
    {
        const std::u16string_view old = text_.substr(static_cast<size_t>(change.offset), static_cast<size_t>(change.removed));
        size_t head = 0;
        if (keep == 0) {
            while (head < old.size() && head < change.inserted.size() && old[head] == change.inserted[head]) ++head;
        }
        size_t tail = 0;
        while (tail < old.size() - head && tail < change.inserted.size() - head &&
               old[old.size() - 1 - tail] == change.inserted[change.inserted.size() - 1 - tail]) {
            ++tail;
        }
        change.offset += static_cast<int32_t>(head);
        change.removed -= static_cast<int32_t>(head + tail);
        change.inserted = change.inserted.substr(head, change.inserted.size() - head - tail);
    }

    // The new text compiles to exactly the intended notes, every copied
    // command at its tick and the expected end.
    bool verify(std::u16string_view text)
    {
        compileTrack(context_, text, verified_.events, verified_.states, 0, false, false);
        size_t note = 0;
        size_t copied = 0;
        for (const TrackEvent& e : verified_.events) {
            if (e.kind == Kind::Note) {
                if (note >= expectedNotes_.size()) return false;
                const EditNote& n = expectedNotes_[note++];
                if (e.tick != n.tick || e.length != n.length || e.noteNumber != n.noteNumber || e.value != n.volume)
                    return false;
            } else if (isCopiedKind(e.kind)) {
                while (copied < track_.units.size() && track_.units[copied].type != Unit::Type::Copied) ++copied;
                if (copied >= track_.units.size()) return false;
                const TrackEvent& o = *track_.units[copied++].event;
                if (e.kind != o.kind || e.tick != o.tick || e.value != o.value || e.value2 != o.value2 ||
                    e.data != o.data || e.channel != o.channel) {
                    return false;
                }
            } else if (e.kind == Kind::TrackEnd && e.tick != expectedEnd_) {
                return false;
            }
        }
        while (copied < track_.units.size() && track_.units[copied].type != Unit::Type::Copied) ++copied;
        return note == expectedNotes_.size() && copied == track_.units.size();
    }

    std::u16string_view text_;
    exact::PieceTables tables_;
    TimingContext context_;
    Original track_;
    std::vector<Target> targets_;
    std::vector<Range> ranges_;  // one or two per changed note, before widening
    std::vector<EditNote> expectedNotes_;
    int32_t expectedEnd_ = 0;
    CompiledTrack& verified_;  // the verification's compile
};

}  // namespace

std::string_view noteEditNotice(NoteEditStatus status)
{
    switch (status) {
    case NoteEditStatus::Rewritten: return "IDS_NOTE_EDIT_REWRITTEN";
    case NoteEditStatus::NoSuchNote: return "IDS_NOTE_EDIT_NO_NOTE";
    case NoteEditStatus::NotExpressible: return "IDS_NOTE_EDIT_NOT_EXPRESSIBLE";
    case NoteEditStatus::Applied: break;
    }
    return "";
}

std::vector<EditNote> editableNotes(const TimingContext& context, std::u16string_view text)
{
    EventList events;
    StateList states;
    compileTrack(context, text, events, states, 0, false, false);
    std::vector<EditNote> notes;
    for (const TrackEvent& e : events) {
        if (e.kind == Kind::Note) notes.push_back({e.tick, e.length, e.noteNumber, e.value});
    }
    std::stable_sort(notes.begin(), notes.end(), [](const EditNote& a, const EditNote& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.noteNumber < b.noteNumber;
    });
    return notes;
}

NoteEditResult applyNoteEdits(const TimingContext& context, std::u16string_view text, std::span<const NoteEdit> edits)
{
    CompiledTrack& original = Engine::scratch().original;
    compileTrack(context, text, original.events, original.states, 0, false, false);
    return Engine(context, text, original).apply(edits);
}

NoteEditResult applyNoteEdits(const TimingContext& context, std::u16string_view text, const CompiledTrack& compiled,
                              std::span<const NoteEdit> edits, CompiledTrack* recompiled)
{
    Engine engine(context, text, compiled);
    NoteEditResult result = engine.apply(edits);
    if (recompiled != nullptr && result.ok() && !result.changes.empty()) {
        std::swap(recompiled->events, engine.verified().events);
        std::swap(recompiled->states, engine.verified().states);
    }
    return result;
}

}  // namespace zema
