#include "core/mml_compiler.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string>
#include <utility>

namespace zema {

namespace {

constexpr std::u16string_view kExtensionMarker = u"//#using_extension";
// Numbers are accumulated up to this value; anything larger is out of every
// accepted range anyway, and saturating keeps the arithmetic defined.
constexpr int64_t kNumberCap = 100'000'000;
constexpr int kMaxParameters = 128;

constexpr int32_t clampTick(int64_t tick)
{
    return static_cast<int32_t>(std::clamp<int64_t>(tick, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

constexpr bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

constexpr int hexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

constexpr char16_t toLowerAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

constexpr bool isBasicBlank(char16_t c) { return c == u'\t' || c == u'\r' || c == u' ' || c == u'\u3000'; }

// Character classes of the extended dialect.
constexpr bool isExtSingle(char16_t c) { return c == u'&' || c == u'<' || c == u'>'; }
constexpr bool isExtCommand(char16_t c)
{
    switch (c) {
    case u'@': case u'V': case u'a': case u'b': case u'c': case u'd': case u'e': case u'f': case u'g':
    case u'h': case u'l': case u'n': case u'o': case u'p': case u'r': case u't': case u'v': case u'y':
    case u'~':
        return true;
    default:
        return false;
    }
}
constexpr bool endsExtParameters(char16_t c) { return isExtSingle(c) || isExtCommand(c) || c == u'E' || c == u'/'; }

// Characters the game counts in an extended-dialect text, wherever they stand.
constexpr bool isExtCounted(char16_t c)
{
    if (isDigit(c)) return true;
    switch (toLowerAscii(c)) {
    case u'#': case u'&': case u'+': case u'-': case u'.': case u'<': case u'>':
    case u'a': case u'b': case u'c': case u'd': case u'e': case u'f': case u'g': case u'h':
    case u'l': case u'n': case u'o': case u'r': case u't': case u'v':
        return c <= 127;
    default:
        return false;
    }
}

struct Position {
    int32_t line = 0;
    int32_t column = 0;
};

// One compile call: the state of the scan and of the music.
class Compiler {
public:
    Compiler(const TimingContext& context, std::u16string_view text, EventList& events, StateList& states,
             int32_t startTick, bool keepTies, bool stateToEvents)
        : timebase_(std::max(context.timebase, 1)),  // time never runs backwards
          ticksPerMeasure_(ticksPerMeasure(context)),
          text_(text.substr(0, std::min(text.size(), text.find(u'\0')))),
          events_(events),
          states_(states),
          tick_(startTick),
          keepTies_(keepTies),
          stateToEvents_(stateToEvents)
    {
    }

    void run()
    {
        events_.clear();
        states_.clear();
        extended_ = text_.substr(0, kExtensionMarker.size()) == kExtensionMarker;

        for (const auto& [kind, value] : {std::pair{TrackEventKind::OctaveState, 4}, std::pair{TrackEventKind::VolumeState, 8},
                                          std::pair{TrackEventKind::TempoState, 120},
                                          std::pair{TrackEventKind::LengthState, 4}}) {
            TrackEvent& state = states_.emplace_back();
            fill(state, kind, {}, {});
            state.value = value;
        }
        if (extended_) append(TrackEventKind::TrackStart, {}, {});

        if (extended_) scanExtended();
        else scanBasic();

        const Position end = here();
        append(TrackEventKind::TrackEnd, end, end).value = count_;
        setSteps();
    }

private:
    // --- shared helpers -------------------------------------------------

    [[nodiscard]] bool atEnd() const { return pos_ >= text_.size(); }
    [[nodiscard]] char16_t peek(size_t ahead = 0) const
    {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : u'\0';
    }
    [[nodiscard]] Position here() const
    {
        return {line_, static_cast<int32_t>(pos_ - lineStart_)};
    }
    void newLine()
    {
        ++pos_;
        ++line_;
        lineStart_ = pos_;
    }

    // At "//" or "/*": skips the comment (a line comment stops before its line
    // feed). Returns false when no comment starts here.
    bool skipComment()
    {
        if (peek() != u'/') return false;
        if (peek(1) == u'/') {
            while (!atEnd() && peek() != u'\n') ++pos_;
            return true;
        }
        if (peek(1) == u'*') {
            pos_ += 2;
            while (!atEnd()) {
                if (peek() == u'*' && peek(1) == u'/') {
                    pos_ += 2;
                    return true;
                }
                if (peek() == u'\n') newLine();
                else ++pos_;
            }
            return true;
        }
        return false;
    }

    void fill(TrackEvent& e, TrackEventKind kind, Position start, Position end) const
    {
        e.kind = kind;
        e.tick = clampTick(tick_);
        e.channel = channel_;
        e.startLine = start.line;
        e.startColumn = start.column;
        e.endLine = end.line;
        e.endColumn = end.column;
        e.defaultLength = defaultLength_;
        e.defaultDotted = defaultDotted_;
    }

    // Appends an event built in place (events are large; avoid moving them).
    TrackEvent& append(TrackEventKind kind, Position start, Position end)
    {
        TrackEvent& e = events_.emplace_back();
        fill(e, kind, start, end);
        return e;
    }

    // Appends an event that takes a place in time, after its measure mark.
    TrackEvent& place(TrackEventKind kind, Position start, Position end)
    {
        const int32_t measure = clampTick(tick_) / ticksPerMeasure_;
        if (measure != lastMeasure_) {
            append(TrackEventKind::Measure, start, end).value = measure;
            lastMeasure_ = measure;
        }
        return append(kind, start, end);
    }

    void addState(TrackEventKind kind, int32_t value, int32_t value2, Position start, Position end,
                  bool mayGoToEvents)
    {
        const bool toEvents = mayGoToEvents && stateToEvents_ && !extended_;
        TrackEvent& state = toEvents ? events_.emplace_back() : states_.emplace_back();
        fill(state, kind, start, end);
        state.value = value;
        state.value2 = value2;
    }

    // A note or rest about to be emitted.
    struct Sound {
        bool isNote = true;
        int32_t noteNumber = 0;
        int32_t ticks = 0;
        int32_t lengthNumber = 0;
        bool dotted = false;
        bool byNumber = false;
        Position start;
        Position end;
        std::u16string_view text;  // basic dialect notes only
    };

    // Emits a note or rest (joining a tied note of equal pitch to the one
    // before it) and advances time.
    void emit(const Sound& sound)
    {
        if (sound.isNote && !keepTies_ && tiePending_ && lastSoundIndex_ >= 0) {
            TrackEvent& previous = events_[static_cast<size_t>(lastSoundIndex_)];
            if (previous.kind == TrackEventKind::Note && previous.noteNumber == sound.noteNumber) {
                previous.length = clampTick(static_cast<int64_t>(previous.length) + sound.ticks);
                previous.endLine = sound.end.line;
                previous.endColumn = sound.end.column;
                if (!extended_) {
                    previous.text += u"&&&&";
                    previous.text += sound.text;
                }
                tick_ += sound.ticks;
                return;
            }
        }
        TrackEvent& e = place(sound.isNote ? TrackEventKind::Note : TrackEventKind::Rest, sound.start, sound.end);
        e.length = sound.ticks;
        e.dotted = sound.dotted;
        e.byNumber = sound.byNumber;
        e.lengthNumber = sound.lengthNumber;
        e.value = volume_;
        if (sound.isNote) {
            setNoteNumber(e, sound.noteNumber);
            e.text = sound.text;
            lastNoteNumber_ = sound.noteNumber;
        } else {
            setNoteNumber(e, lastNoteNumber_);
        }
        lastSoundIndex_ = static_cast<int32_t>(events_.size()) - 1;
        tick_ += sound.ticks;
    }

    void tie(Position start, Position end)
    {
        if (keepTies_) append(TrackEventKind::Tie, start, end);
        tiePending_ = true;
    }

    void octaveDown(Position start, Position end)
    {
        if (octave_ > 1) {
            --octave_;
            addState(TrackEventKind::OctaveState, octave_, 0, start, end, false);
        }
    }
    void octaveUp(Position start, Position end)
    {
        if (octave_ < 8) {
            ++octave_;
            addState(TrackEventKind::OctaveState, octave_, 0, start, end, false);
        }
    }

    void setSteps()
    {
        int64_t nextNoteTick = tick_;
        for (auto it = events_.rbegin(); it != events_.rend(); ++it) {
            if (it->kind != TrackEventKind::Note) continue;
            it->step = clampTick(nextNoteTick - it->tick);
            nextNoteTick = it->tick;
        }
    }

    // --- basic dialect --------------------------------------------------

    struct BasicCommand {
        char16_t letter = 0;        // lower case
        int accidental = 0;
        char16_t accidentalChar = 0;  // as written, 0 when none
        int64_t number = 0;
        bool dot = false;
        Position start;
        Position end;
    };

    void scanBasic()
    {
        while (true) {
            // Skip to the next command character.
            while (!atEnd() && !isBasicCommand(peek())) {
                if (peek() == u'\n') newLine();
                else if (!skipComment()) ++pos_;
            }
            if (atEnd()) return;

            BasicCommand cmd;
            cmd.start = here();
            cmd.letter = toLowerAscii(peek());
            ++pos_;
            ++count_;
            cmd.end = here();
            readBasicArguments(cmd);
            executeBasic(cmd);
        }
    }

    // Accidentals, then the number, then a dot. Blanks, line feeds and
    // comments may stand anywhere in between, even between digits.
    void readBasicArguments(BasicCommand& cmd)
    {
        bool inNumber = false;
        while (!atEnd()) {
            const char16_t c = peek();
            if (isBasicBlank(c)) {
                ++pos_;
                continue;
            }
            if (c == u'\n') {
                newLine();
                continue;
            }
            if (c == u'/' && (peek(1) == u'/' || peek(1) == u'*')) {
                skipComment();
                continue;
            }
            const bool accidental = c == u'+' || c == u'#' || c == u'-';
            if ((accidental && inNumber) || (!accidental && !isDigit(c) && c != u'.')) return;
            ++pos_;
            ++count_;
            cmd.end = here();
            if (c == u'.') {
                cmd.dot = true;
                return;
            }
            if (accidental) {
                cmd.accidental = c == u'-' ? -1 : 1;
                cmd.accidentalChar = c;
            } else {
                inNumber = true;
                cmd.number = std::min(cmd.number * 10 + (c - u'0'), kNumberCap);
            }
        }
    }

    void executeBasic(const BasicCommand& cmd)
    {
        const auto number = static_cast<int32_t>(cmd.number);
        const int semitone = semitoneOf(cmd.letter);
        bool keepsTie = false;

        if (semitone >= 0 || cmd.letter == u'r') {
            const bool written = number != 0;
            const int32_t lengthNumber = written ? number : defaultLength_;
            const bool dotted = written ? cmd.dot : (cmd.dot || defaultDotted_);
            if (lengthNumber < 1 || lengthNumber > 64) {
                keepsTie = semitone >= 0;  // a dropped letter note leaves a tie open
            } else {
                Sound sound{semitone >= 0, 0, tickOfLength(timebase_, lengthNumber, dotted), lengthNumber, dotted,
                            false, cmd.start, cmd.end, {}};
                char16_t text[8];
                size_t size = 0;
                if (sound.isNote) {
                    sound.noteNumber = 12 * (octave_ + 1) + semitone + cmd.accidental;
                    text[size++] = static_cast<char16_t>(cmd.letter - 32);
                    if (cmd.accidentalChar != 0) text[size++] = cmd.accidentalChar;
                    size = appendNumber(text, size, lengthNumber);
                    if (dotted) text[size++] = u'.';
                    sound.text = {text, size};
                }
                emit(sound);
            }
        } else {
            switch (cmd.letter) {
            case u'n':
                if (number <= 96) {
                    char16_t text[4] = {u'N'};
                    const size_t size = appendNumber(text, 1, number);
                    emit({true, number + 12, tickOfLength(timebase_, defaultLength_, defaultDotted_), number,
                          defaultDotted_, true, cmd.start, cmd.end, {text, size}});
                }
                break;
            case u'o':
                if (number <= 8) {
                    octave_ = number;
                    addState(TrackEventKind::OctaveState, octave_, 0, cmd.start, cmd.end, false);
                }
                break;
            case u'<': octaveDown(cmd.start, cmd.end); break;
            case u'>': octaveUp(cmd.start, cmd.end); break;
            case u'l':
                if (number >= 1 && number <= 64) {
                    defaultLength_ = number;
                    defaultDotted_ = cmd.dot;
                    addState(TrackEventKind::LengthState, number, cmd.dot ? 1 : 0, cmd.start, cmd.end, true);
                }
                break;
            case u'v':
                if (number <= 15) {
                    volume_ = number;
                    addState(TrackEventKind::VolumeState, number, 0, cmd.start, cmd.end, true);
                }
                break;
            case u't':
                if (number >= 32 && number <= 255) addTempo(number, cmd.start, cmd.end);
                break;
            case u'&':
                tie(cmd.start, cmd.end);
                return;
            default:
                break;
            }
        }
        if (!keepsTie) tiePending_ = false;
    }

    // Writes 0..99 in decimal at text[size]; returns the new size.
    static size_t appendNumber(char16_t* text, size_t size, int32_t number)
    {
        if (number >= 10) text[size++] = static_cast<char16_t>(u'0' + number / 10);
        text[size++] = static_cast<char16_t>(u'0' + number % 10);
        return size;
    }

    void addTempo(int32_t tempo, Position start, Position end)
    {
        place(TrackEventKind::Tempo, start, end).value = tempo;
        addState(TrackEventKind::TempoState, tempo, 0, start, end, false);
    }

    // --- extended dialect -----------------------------------------------

    struct Parameter {
        int64_t value = -1;  // -1 = absent
        int accidental = 0;
        bool dot = false;
        bool hex = false;      // holds a complete two-digit hexadecimal value
        bool invalid = false;  // malformed; out of every accepted range
    };
    static constexpr int64_t kInvalid = kNumberCap + 1;

    [[nodiscard]] static int64_t valueOf(const Parameter& p) { return p.invalid ? kInvalid : p.value; }

    void scanExtended()
    {
        while (!atEnd()) {
            const char16_t c = peek();
            const Position start = here();
            if (c == u'\n') {
                newLine();
            } else if (c == u'/') {
                if (peek(1) == u'/' && peek(2) == u'#') readDirective();
                else if (!skipComment()) ++pos_;
            } else if (isExtSingle(c)) {
                ++pos_;
                ++count_;
                const Position end = here();
                if (c == u'&') {
                    tie(start, end);
                    continue;
                }
                if (c == u'<') octaveDown(start, end);
                else octaveUp(start, end);
                tiePending_ = false;
            } else if (isExtCommand(c) || c == u'E') {
                const bool sysEx = c == u'E' && peek(1) == u'X';
                ++pos_;
                if (isExtCounted(c)) ++count_;
                if (sysEx) ++pos_;  // the X of EX is not counted
                Position end = here();
                std::array<Parameter, kMaxParameters> params{};
                readParameters(params, end);
                executeExtended(sysEx ? u'X' : c, params, start, end);
                tiePending_ = false;
            } else {
                if (isExtCounted(c)) ++count_;
                ++pos_;
            }
        }
    }

    void readDirective()
    {
        // The directive is the rest of the line from the '#'.
        pos_ += 2;
        const size_t begin = pos_;
        while (!atEnd() && peek() != u'\n') ++pos_;
        std::u16string_view line = text_.substr(begin, pos_ - begin);
        while (!line.empty() && (line.back() == u'\r' || line.back() == u'\n')) line.remove_suffix(1);

        std::array<std::u16string_view, 2> pieces;
        size_t found = 0;
        size_t from = 0;
        while (from <= line.size() && found < pieces.size()) {
            const size_t eq = std::min(line.find(u'=', from), line.size());
            if (eq > from) pieces[found++] = trimBlanks(line.substr(from, eq - from));
            from = eq + 1;
        }
        if (found == 2 && pieces[0] == u"#using_channel") {
            const int64_t channel = parseDecimal(pieces[1]);
            if (channel >= 1 && channel <= 16) channel_ = static_cast<int32_t>(channel - 1);
        }
    }

    static std::u16string_view trimBlanks(std::u16string_view s)
    {
        while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
        while (!s.empty() && (s.back() == u' ' || s.back() == u'\t')) s.remove_suffix(1);
        return s;
    }

    // Leading decimal integer of a text, like the C library's atoi; 0 when none.
    static int64_t parseDecimal(std::u16string_view s)
    {
        size_t i = 0;
        bool negative = false;
        if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
        int64_t value = 0;
        for (; i < s.size() && isDigit(s[i]); ++i) value = std::min(value * 10 + (s[i] - u'0'), kNumberCap);
        return negative ? -value : value;
    }

    void readParameters(std::array<Parameter, kMaxParameters>& params, Position& end)
    {
        size_t index = 0;
        while (!atEnd()) {
            const char16_t c = peek();
            Parameter* p = index < params.size() ? &params[index] : nullptr;
            if (isDigit(c)) {
                ++pos_;
                ++count_;
                if (p && !p->invalid) {
                    if (p->hex) {
                        p->invalid = true;
                    } else {
                        if (p->value < 0) p->value = 0;
                        p->value = p->value * 10 + (c - u'0');
                        if (p->value > kNumberCap) p->invalid = true;
                    }
                }
            } else if (c == u',') {
                ++pos_;
                ++index;
            } else if (c == u'+' || c == u'#' || c == u'-') {
                ++pos_;
                ++count_;
                if (p) p->accidental = c == u'-' ? -1 : 1;
            } else if (c == u'.') {
                ++pos_;
                ++count_;
                if (p) p->dot = true;
            } else if (c == u'x' && p && !p->invalid && (p->value == -1 || p->value == 0)) {
                ++pos_;
                int digits = 0;
                int value = 0;
                while (digits < 2 && !atEnd() && hexValue(peek()) >= 0) {
                    value = value * 16 + hexValue(peek());
                    ++pos_;
                    ++digits;
                }
                if (digits == 2) {
                    p->value = value;
                    p->hex = true;
                } else {
                    p->invalid = true;
                }
            } else if (c == u'\n') {
                newLine();
                continue;
            } else if (endsExtParameters(c)) {
                return;
            } else {
                if (isExtCounted(c)) ++count_;
                ++pos_;
                continue;
            }
            end = here();
        }
    }

    void executeExtended(char16_t command, const std::array<Parameter, kMaxParameters>& params, Position start,
                         Position end)
    {
        const int64_t p = valueOf(params[0]);
        const int64_t q = valueOf(params[1]);
        auto inRange = [&](int64_t lo, int64_t hi) { return p >= lo && p <= hi; };
        const bool pIn = inRange(0, 127);
        const int semitone = semitoneOf(command);

        if (semitone >= 0 || command == u'r') {
            if (p != -1 && !inRange(1, 64)) return;
            const bool written = p != -1;
            const auto lengthNumber = static_cast<int32_t>(written ? p : defaultLength_);
            const bool dotted = written ? params[0].dot : (params[0].dot || defaultDotted_);
            const int32_t noteNumber = semitone >= 0 ? 12 * (octave_ + 1) + semitone + params[0].accidental : 0;
            emit({semitone >= 0, noteNumber, tickOfLength(timebase_, lengthNumber, dotted), lengthNumber, dotted, false,
                  start, end, {}});
            return;
        }

        switch (command) {
        case u'n':
            if (inRange(0, 96)) {
                const auto number = static_cast<int32_t>(p);
                emit({true, number + 12, tickOfLength(timebase_, defaultLength_, defaultDotted_), number,
                      defaultDotted_, true, start, end, {}});
            }
            break;
        case u'o':
            if (inRange(0, 8)) {
                octave_ = static_cast<int32_t>(p);
                addState(TrackEventKind::OctaveState, octave_, 0, start, end, false);
            }
            break;
        case u'l':
            if (inRange(1, 64)) {
                defaultLength_ = static_cast<int32_t>(p);
                defaultDotted_ = params[0].dot;
                addState(TrackEventKind::LengthState, defaultLength_, defaultDotted_ ? 1 : 0, start, end, false);
            }
            break;
        case u'v':
            if (inRange(0, 15)) {
                volume_ = static_cast<int32_t>(p);
                addState(TrackEventKind::VolumeState, volume_, 0, start, end, false);
            }
            break;
        case u't':
            if (inRange(32, 300)) addTempo(static_cast<int32_t>(p), start, end);
            break;
        case u'@':
            if (pIn) addValueEvent(TrackEventKind::Program, p, 0, start, end);
            break;
        case u'V':
            if (pIn) addValueEvent(TrackEventKind::Control, 7, p, start, end);
            break;
        case u'E':
            if (pIn) addValueEvent(TrackEventKind::Control, 11, p, start, end);
            break;
        case u'p':
            if (pIn) addValueEvent(TrackEventKind::Control, 10, p, start, end);
            break;
        case u'y':
            if (pIn && q >= 0 && q <= 127) addValueEvent(TrackEventKind::Control, p, q, start, end);
            break;
        case u'~':
            if (pIn) addValueEvent(TrackEventKind::PitchBend, (q >= 0 && q <= 127) ? q : 0, p, start, end);
            break;
        case u'X':
            addSysEx(params, start, end);
            break;
        default:
            break;
        }
    }

    void addValueEvent(TrackEventKind kind, int64_t value, int64_t value2, Position start, Position end)
    {
        TrackEvent& e = place(kind, start, end);
        e.value = static_cast<int32_t>(value);
        e.value2 = static_cast<int32_t>(value2);
    }

    void addSysEx(const std::array<Parameter, kMaxParameters>& params, Position start, Position end)
    {
        if (valueOf(params[0]) != 0xF0) return;
        std::vector<uint8_t> bytes{0xF0};
        for (size_t i = 1; i < params.size(); ++i) {
            const int64_t v = valueOf(params[i]);
            if (v == 0xF7) {
                bytes.push_back(0xF7);
                TrackEvent& e = place(TrackEventKind::SysEx, start, end);
                e.value = static_cast<int32_t>(bytes.size());
                e.data = std::move(bytes);
                return;
            }
            if (v < 0 || v > 127) return;
            bytes.push_back(static_cast<uint8_t>(v));
        }
    }

    // --- state ----------------------------------------------------------

    const int32_t timebase_;
    const int32_t ticksPerMeasure_;
    const std::u16string_view text_;
    EventList& events_;
    StateList& states_;
    int64_t tick_;
    const bool keepTies_;
    const bool stateToEvents_;
    bool extended_ = false;

    size_t pos_ = 0;
    int32_t line_ = 0;
    size_t lineStart_ = 0;

    int32_t octave_ = 4;
    int32_t defaultLength_ = 4;
    bool defaultDotted_ = false;
    int32_t volume_ = 8;
    int32_t lastNoteNumber_ = 60;
    bool tiePending_ = false;
    int32_t lastMeasure_ = -1;
    int32_t channel_ = -1;
    int32_t count_ = 0;
    int32_t lastSoundIndex_ = -1;  // index of the last Note or Rest in events_
};

}  // namespace

void compileTrack(const TimingContext& context, std::u16string_view text, EventList& eventList, StateList& stateList,
                  int32_t startTick, bool keepTies, bool stateToEvents)
{
    Compiler(context, text, eventList, stateList, startTick, keepTies, stateToEvents).run();
}

int32_t characterCount(std::u16string_view text)
{
    EventList events;
    StateList states;
    compileTrack(TimingContext{}, text, events, states, 0, true, false);
    return events.back().value;
}

bool isExtendedDialect(std::u16string_view text)
{
    return text.substr(0, kExtensionMarker.size()) == kExtensionMarker;
}

}  // namespace zema
