#include "core/score_book.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <limits>
#include <string>

#include "core/ascii.h"
#include "core/mml_compiler.h"

namespace zema {

namespace {

// --- reading a part the way the game's dialect reads it ------------------
//
// The same scan as the compiler's basic dialect: a command letter, then
// accidentals, digits and a dot, with blanks, line feeds and comments allowed
// anywhere in between; everything else is passed over.

constexpr int64_t kNumberCap = 100'000'000;  // as the compiler: saturate, every range is far below

constexpr bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
constexpr bool isBlank(char16_t c) { return c == u'\t' || c == u'\r' || c == u' ' || c == u'\u3000'; }
constexpr bool isAccidental(char16_t c) { return c == u'+' || c == u'#' || c == u'-'; }
constexpr bool isArgument(char16_t c) { return isDigit(c) || isAccidental(c) || c == u'.'; }

struct Command {
    size_t begin = 0;         // position of the letter in the text
    char16_t letter = 0;      // lower case
    char16_t accidental = 0;  // the last one written, 0 when none
    int64_t number = 0;
    bool numbered = false;    // digits were written
    bool dot = false;
};

enum class OpenComment { None, Line, Block };

struct Reading {
    std::vector<Command> commands;
    OpenComment openAtEnd = OpenComment::None;
    size_t firstCommand = 0;    // position of the first command letter (the size when none)
    bool strayArguments = false;  // length characters come before the first command
};

class Reader {
public:
    explicit Reader(std::u16string_view text) : text_(text.substr(0, std::min(text.size(), text.find(u'\0')))) {}

    Reading read()
    {
        Reading out;
        out.firstCommand = text_.size();
        while (!atEnd()) {
            if (isBlank(peek()) || peek() == u'\n') ++pos_;
            else if (!skipComment()) break;
        }
        out.strayArguments = !atEnd() && isArgument(peek());
        while (true) {
            while (!atEnd() && !isBasicCommand(peek())) {
                if (!skipComment()) ++pos_;
            }
            if (atEnd()) break;
            if (out.commands.empty()) out.firstCommand = pos_;
            Command command;
            command.begin = pos_;
            command.letter = asciiLower(peek());
            ++pos_;
            readArguments(command);
            out.commands.push_back(command);
        }
        out.openAtEnd = open_;
        return out;
    }

private:
    [[nodiscard]] bool atEnd() const { return pos_ >= text_.size(); }
    [[nodiscard]] char16_t peek(size_t ahead = 0) const
    {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : u'\0';
    }

    bool skipComment()
    {
        if (peek() != u'/' || (peek(1) != u'/' && peek(1) != u'*')) return false;
        const bool line = peek(1) == u'/';
        const size_t end = line ? text_.find(u'\n', pos_ + 2) : text_.find(u"*/", pos_ + 2);
        if (end == std::u16string_view::npos) {
            open_ = line ? OpenComment::Line : OpenComment::Block;
            pos_ = text_.size();
        } else {
            pos_ = line ? end : end + 2;
        }
        return true;
    }

    void readArguments(Command& command)
    {
        while (!atEnd()) {
            const char16_t c = peek();
            if (isBlank(c) || c == u'\n') {
                ++pos_;
                continue;
            }
            if (skipComment()) continue;
            if ((isAccidental(c) && command.numbered) || !isArgument(c)) return;
            ++pos_;
            if (c == u'.') {
                command.dot = true;
                return;
            }
            if (isAccidental(c)) {
                command.accidental = c;
            } else {
                command.numbered = true;
                command.number = std::min(command.number * 10 + (c - u'0'), kNumberCap);
            }
        }
    }

    std::u16string_view text_;
    size_t pos_ = 0;
    OpenComment open_ = OpenComment::None;
};

// --- what each command does to the state ---------------------------------

// The state a scroll's text starts from, and the parts of it a piece may rely on.
struct PlayState {
    int32_t tempo = 120;
    int32_t volume = 8;
    int32_t octave = 4;
    int32_t length = 4;
    bool dotted = false;
};

enum StateBit : uint8_t { kTempo = 1, kVolume = 2, kOctave = 4, kLength = 8 };

struct Token {
    std::u16string text;  // the command as written back: lower case, only what takes effect
    bool sound = false;   // a note or rest that takes time
    bool tie = false;
    uint8_t uses = 0;     // state the command depends on
    uint8_t sets = 0;     // state it sets without depending on it
};

struct Played {
    std::vector<Token> tokens;
    std::vector<PlayState> before;  // the state before each token, and at the end
    std::vector<int32_t> offsets;   // text position of each token, and the total length
    bool tiePending = false;        // at the end
};

void appendNumber(std::u16string& out, int64_t number)
{
    const std::string digits = std::to_string(number);
    out.append(digits.begin(), digits.end());
}

// Applies one command to `state`; returns it as a token.
Token step(const Command& command, PlayState& state, bool& tiePending)
{
    Token token;
    token.text.push_back(command.letter);
    const int64_t number = command.number;
    const bool written = number != 0;  // a length of 0 means the default length, as no digits do
    bool keepsTie = false;

    const int semitone = semitoneOf(command.letter);
    if (semitone >= 0 || command.letter == u'r') {
        if (semitone >= 0 && command.accidental != 0) token.text.push_back(command.accidental);
        if (command.numbered) appendNumber(token.text, number);
        if (command.dot) token.text.push_back(u'.');
        if (written && (number < 1 || number > 64)) {
            keepsTie = semitone >= 0;  // a dropped note leaves a tie open
        } else {
            token.sound = true;
            token.uses = kTempo;
            if (!written) token.uses |= kLength;
            if (semitone >= 0) token.uses |= kVolume | kOctave;
        }
    } else {
        switch (command.letter) {
        case u'n':
            if (command.numbered) appendNumber(token.text, number);
            if (number <= 96) {
                token.sound = true;
                token.uses = kTempo | kVolume | kLength;
            }
            break;
        case u'o':
            if (command.numbered) appendNumber(token.text, number);
            if (number <= 8) {
                state.octave = static_cast<int32_t>(number);
                token.sets = kOctave;
            }
            break;
        case u'<':
        case u'>':
            // Relative moves stop at octaves 1 and 8 (octave 0 only `o0` reaches).
            token.uses = kOctave;
            if (command.letter == u'<' && state.octave > 1) --state.octave;
            if (command.letter == u'>' && state.octave < 8) ++state.octave;
            break;
        case u'l':
            if (command.numbered) appendNumber(token.text, number);
            if (command.dot) token.text.push_back(u'.');
            if (number >= 1 && number <= 64) {
                state.length = static_cast<int32_t>(number);
                state.dotted = command.dot;
                token.sets = kLength;
            }
            break;
        case u'v':
            if (command.numbered) appendNumber(token.text, number);
            if (number <= 15) {
                state.volume = static_cast<int32_t>(number);
                token.sets = kVolume;
            }
            break;
        case u't':
            if (command.numbered) appendNumber(token.text, number);
            if (number >= 32 && number <= 255) {
                state.tempo = static_cast<int32_t>(number);
                token.sets = kTempo;
            }
            break;
        case u'&':
            token.tie = true;
            tiePending = true;
            return token;
        default:
            break;
        }
    }
    if (!keepsTie) tiePending = false;
    return token;
}

Played play(const std::vector<Command>& commands)
{
    Played out;
    out.tokens.reserve(commands.size());
    out.before.reserve(commands.size() + 1);
    out.offsets.reserve(commands.size() + 1);
    PlayState state;
    int32_t offset = 0;
    for (const Command& command : commands) {
        out.before.push_back(state);
        out.offsets.push_back(offset);
        out.tokens.push_back(step(command, state, out.tiePending));
        offset += static_cast<int32_t>(out.tokens.back().text.size());
    }
    out.before.push_back(state);
    out.offsets.push_back(offset);
    return out;
}

Played play(std::u16string_view text) { return play(Reader(text).read().commands); }

// The state bits the tokens rely on before setting them.
uint8_t reliedOn(const std::vector<Token>& tokens)
{
    uint8_t relied = 0;
    uint8_t settled = 0;
    for (const Token& token : tokens) {
        relied |= token.uses & ~settled;
        settled |= token.uses | token.sets;
        if (settled == (kTempo | kVolume | kOctave | kLength)) break;
    }
    return relied;
}

// The shortest commands that take a fresh scroll to `state` in the parts named by `bits`.
std::u16string stateCommands(const PlayState& state, uint8_t bits)
{
    const PlayState fresh;
    std::u16string out;
    if ((bits & kTempo) && state.tempo != fresh.tempo) {
        out += u't';
        appendNumber(out, state.tempo);
    }
    if ((bits & kVolume) && state.volume != fresh.volume) {
        out += u'v';
        appendNumber(out, state.volume);
    }
    if ((bits & kOctave) && state.octave != fresh.octave) {
        // `<` stops at octave 1, so octave 0 is reached only by `o0`.
        const int32_t steps = state.octave >= 1 ? std::abs(state.octave - fresh.octave) : 99;
        if (steps < 2) {
            out.append(static_cast<size_t>(steps), state.octave < fresh.octave ? u'<' : u'>');
        } else {
            out += u'o';
            appendNumber(out, state.octave);
        }
    }
    if ((bits & kLength) && (state.length != fresh.length || state.dotted != fresh.dotted)) {
        out += u'l';
        appendNumber(out, state.length);
        if (state.dotted) out += u'.';
    }
    return out;
}

// --- cutting one part ------------------------------------------------------

constexpr int32_t kNever = std::numeric_limits<int32_t>::max();

// Minimum over ranges of positions, with point updates.
class MinTree {
public:
    MinTree(size_t size, int32_t empty) : size_(std::bit_ceil(std::max<size_t>(size, 1))), empty_(empty)
    {
        values_.assign(2 * size_, empty);
    }

    void set(size_t position, int32_t value)
    {
        size_t i = position + size_;
        values_[i] = value;
        for (i /= 2; i >= 1; i /= 2) values_[i] = std::min(values_[2 * i], values_[2 * i + 1]);
    }

    // Over first..last, both included.
    [[nodiscard]] int32_t min(size_t first, size_t last) const
    {
        int32_t result = empty_;
        for (size_t lo = first + size_, hi = last + size_ + 1; lo < hi; lo /= 2, hi /= 2) {
            if (lo & 1) result = std::min(result, values_[lo++]);
            if (hi & 1) result = std::min(result, values_[--hi]);
        }
        return result;
    }

private:
    size_t size_;
    int32_t empty_;
    std::vector<int32_t> values_;
};

constexpr std::array<StateBit, 4> kStateBits = {kTempo, kVolume, kOctave, kLength};

struct PartCut {
    std::vector<std::u16string> pieces;
    bool failed = false;
    int32_t neededLength = 0;  // when failed
};

// Cuts a part into the fewest pieces of at most `limit` characters.
//
// A piece begins right after a sound (or at the start) and its text begins at
// the first sound after that: the state commands in between are folded into
// the piece's opening state, written by stateCommands. So the cut positions
// are the ends of sounds, and a cut is allowed when no `&` stands between that
// sound and the next one (tied notes stay in one piece). The commands after
// the part's last sound stay at the end of the last piece.
//
// The cost of a piece grows with its end, so each start reaches up to a
// farthest end. The opening state makes the cost depend on the start too, so
// taking the longest first piece does not always give the fewest pieces: the
// fewest pieces from each start are counted from the end backwards, and the
// pieces are then taken front to back, each as long as that count allows.
class PartCutter {
public:
    PartCutter(const Played& part, int32_t limit) : part_(part), limit_(limit), n_(part.tokens.size())
    {
        for (const StateBit bit : kStateBits) {
            std::vector<int32_t>& next = nextUse_[index(bit)];
            next.assign(n_ + 1, kNever);
            for (size_t i = n_; i-- > 0;) {
                const Token& token = part.tokens[i];
                if (token.uses & bit) next[i] = static_cast<int32_t>(i);
                else if (token.sets & bit) next[i] = kNever;
                else next[i] = next[i + 1];
            }
        }
        firstSound_.assign(n_ + 1, n_);
        for (size_t i = n_; i-- > 0;) firstSound_[i] = part.tokens[i].sound ? i : firstSound_[i + 1];
        lastSound_ = n_;
        for (size_t i = n_; i-- > 0;) {
            if (part.tokens[i].sound) {
                lastSound_ = i;
                break;
            }
        }
        // cut_[p]: a piece may start at p (and the one before end there).
        cut_.assign(n_ + 1, false);
        cut_[0] = true;
        for (size_t p = 1; p <= n_; ++p) {
            if (!part.tokens[p - 1].sound || lastSound_ == n_ || p > lastSound_) continue;
            // No tie may bridge the stretch up to the next sound.
            bool tied = false;
            for (size_t i = p; i < firstSound_[p] && !tied; ++i) tied = part.tokens[i].tie;
            cut_[p] = !tied;
        }
        previousEnd_.assign(n_ + 1, 0);
        for (size_t e = 1; e <= n_; ++e) previousEnd_[e] = (cut_[e] || e == n_) ? e : previousEnd_[e - 1];
    }

    PartCut run()
    {
        PartCut out;
        if (n_ == 0) return out;
        if (lastSound_ == n_) {
            // Nothing takes time: only the tempo it leaves behind matters.
            const std::u16string text = stateCommands(part_.before[n_], kTempo);
            if (text.empty()) return out;
            if (static_cast<int32_t>(text.size()) > limit_) {
                out.failed = true;
                out.neededLength = static_cast<int32_t>(text.size());
                return out;
            }
            out.pieces.push_back(text);
            return out;
        }

        std::vector<size_t> farthest(n_, 0);
        for (size_t p = 0; p < n_; ++p) {
            if (cut_[p]) farthest[p] = farthestEnd(p);
        }
        // Every allowed end up to `reach` can be reached; stuck when no start
        // up to it gets farther.
        size_t reach = 0;
        for (size_t p = 0; p <= reach && reach < n_; ++p) {
            if (cut_[p]) reach = std::max(reach, farthest[p]);
        }
        if (reach < n_) {
            out.failed = true;
            out.neededLength = neededPast(reach);
            return out;
        }

        // need[p]: the fewest pieces that finish the part from start p.
        constexpr int32_t kUnreachable = kNever / 2;
        std::vector<int32_t> need(n_ + 1, kUnreachable);
        need[n_] = 0;
        MinTree ends(n_ + 1, kUnreachable);
        ends.set(n_, 0);
        for (size_t p = n_; p-- > 0;) {
            if (!cut_[p] || farthest[p] <= p) continue;
            need[p] = 1 + ends.min(firstSound_[p] + 1, farthest[p]);
            if (p > 0) ends.set(p, need[p]);
        }
        // The pieces front-loaded: each ends at the farthest cut that still
        // leaves the fewest pieces for the rest.
        for (size_t start = 0; start < n_;) {
            size_t end = farthest[start];
            while (need[end] != need[start] - 1 || !(end == n_ || cut_[end])) --end;
            out.pieces.push_back(pieceText(start, end));
            start = end;
        }
        return out;
    }

private:
    static size_t index(StateBit bit) { return static_cast<size_t>(std::countr_zero(static_cast<unsigned>(bit))); }

    // The state a piece from start `p` to `end` must open with.
    uint8_t openingBits(size_t p, size_t end) const
    {
        const size_t first = firstSound_[p];
        uint8_t bits = 0;
        for (const StateBit bit : kStateBits) {
            const int32_t use = nextUse_[index(bit)][first];
            if (use != kNever && static_cast<size_t>(use) < end) bits |= bit;
        }
        return bits;
    }

    int32_t cost(size_t p, size_t end) const
    {
        const size_t first = firstSound_[p];
        const int32_t body = part_.offsets[end] - part_.offsets[first];
        return body + static_cast<int32_t>(stateCommands(part_.before[first], openingBits(p, end)).size());
    }

    // The farthest allowed end of a piece starting at `p` that fits; `p` when none does.
    size_t farthestEnd(size_t p) const
    {
        const size_t first = firstSound_[p];
        size_t lo = first;  // cost(p, first) is 0
        size_t hi = n_;
        if (cost(p, hi) <= limit_) {
            lo = hi;
        } else {
            while (hi - lo > 1) {  // cost(p, lo) fits, cost(p, hi) does not
                const size_t mid = lo + (hi - lo) / 2;
                if (cost(p, mid) <= limit_) lo = mid;
                else hi = mid;
            }
        }
        const size_t end = previousEnd_[lo];
        return end > first ? end : p;
    }

    // The shortest piece from any start up to `reach` that ends past it.
    int32_t neededPast(size_t reach) const
    {
        size_t end = reach + 1;
        while (end < n_ && !cut_[end]) ++end;
        int32_t needed = kNever;
        for (size_t p = 0; p <= reach && p < n_; ++p) {
            if (cut_[p]) needed = std::min(needed, cost(p, end));
        }
        return needed;
    }

    std::u16string pieceText(size_t p, size_t end) const
    {
        const size_t first = firstSound_[p];
        std::u16string text = stateCommands(part_.before[first], openingBits(p, end));
        for (size_t i = first; i < end; ++i) text += part_.tokens[i].text;
        return text;
    }

    const Played& part_;
    const int32_t limit_;
    const size_t n_;
    std::array<std::vector<int32_t>, 4> nextUse_;
    std::vector<size_t> firstSound_;
    size_t lastSound_ = 0;
    std::vector<bool> cut_;
    std::vector<size_t> previousEnd_;  // the last allowed end at or before each position
};

std::u16string bookLine(const std::vector<std::u16string>& fields)
{
    std::u16string line = u"MML@";
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += u',';
        line += fields[i];
    }
    line += u';';
    return line;
}

}  // namespace

ScoreBook splitIntoBook(const TimingContext& context, const std::vector<std::u16string>& partTexts, int rank,
                        bool excludeSong, bool optimize)
{
    ScoreBook book;
    if (rank < 0 || rank >= kRankCount) {
        book.problem = BookProblem::UnknownRank;
        return book;
    }
    const bool writeSong = partTexts.size() > static_cast<size_t>(kSongPart) && !excludeSong;
    const size_t fieldCount = writeSong ? kPartCount : kSongPart;

    std::array<std::vector<std::u16string>, kPartCount> pieces;
    size_t scrollCount = 0;
    for (size_t part = 0; part < fieldCount && part < partTexts.size(); ++part) {
        const int32_t limit = partLimit(rank, static_cast<int>(part), excludeSong);
        const Played played = play(optimize ? optimizePart(context, partTexts[part]).text : partTexts[part]);
        book.lengths[part] = played.offsets.back();
        PartCut cut = PartCutter(played, limit).run();
        if (cut.failed) {
            book.problem = BookProblem::CannotCut;
            book.problemPart = static_cast<int>(part);
            book.neededLength = cut.neededLength;
            book.problemLimit = limit;
            return book;
        }
        if (optimize) {
            for (std::u16string& piece : cut.pieces) piece = optimizePart(context, piece).text;
        }
        if (limit > 0) book.lowerBound = std::max(book.lowerBound, (book.lengths[part] + limit - 1) / limit);
        book.pieceCounts[part] = static_cast<int32_t>(cut.pieces.size());
        scrollCount = std::max(scrollCount, cut.pieces.size());
        pieces[part] = std::move(cut.pieces);
    }
    if (scrollCount == 0) {
        book.problem = BookProblem::NothingToSplit;
        return book;
    }

    for (size_t s = 0; s < scrollCount; ++s) {
        BookScroll scroll;
        scroll.parts.resize(fieldCount);
        size_t lastFilled = 0;
        for (size_t part = 0; part < fieldCount; ++part) {
            if (s < pieces[part].size()) scroll.parts[part] = pieces[part][s];
            if (!scroll.parts[part].empty()) lastFilled = part;
        }
        for (size_t part = 0; part < lastFilled || part == 0; ++part) {
            const bool fits = partLimit(rank, static_cast<int>(part), excludeSong) >=
                              static_cast<int32_t>(kMelodyFiller.size());
            if (scroll.parts[part].empty() && fits) scroll.parts[part] = kMelodyFiller;
        }
        scroll.line = bookLine(scroll.parts);
        book.scrolls.push_back(std::move(scroll));
    }
    if (scrollCount > static_cast<size_t>(kBookScrollLimit)) book.problem = BookProblem::TooManyScrolls;
    return book;
}

std::u16string freshScrollCommands(std::u16string_view before, std::u16string_view next)
{
    const Reading earlier = Reader(before).read();
    const Played played = play(earlier.commands);
    std::u16string out;
    if (earlier.openAtEnd == OpenComment::Line) out += u"\r\n";
    else if (earlier.openAtEnd == OpenComment::Block) out += u"*/";
    const size_t closing = out.size();

    const PlayState& end = played.before.back();
    const PlayState fresh;
    const uint8_t relied = reliedOn(play(next).tokens);
    if ((relied & kOctave) && end.octave != fresh.octave) out += u"o4";
    if ((relied & kLength) && (end.length != fresh.length || end.dotted != fresh.dotted)) out += u"l4";
    if ((relied & kVolume) && end.volume != fresh.volume) out += u"v8";
    if ((relied & kTempo) && end.tempo != fresh.tempo) out += u"t120";
    if (played.tiePending && out.size() == closing) {
        // Any command ends a tie; restating the volume changes nothing else.
        out += u'v';
        appendNumber(out, end.volume);
    }
    return out;
}

std::u16string joinBookPieces(const std::vector<std::u16string>& pieces, std::u16string_view separator)
{
    std::u16string out;
    for (const std::u16string& piece : pieces) {
        if (out.empty()) {
            out = piece;
            continue;
        }
        out += separator;
        std::u16string_view text = piece;
        // Length characters before the first command would lengthen the last
        // command of the text before; on a fresh scroll they mean nothing.
        Reading reading = Reader(text).read();
        if (reading.strayArguments) {
            text.remove_prefix(reading.firstCommand);
            reading = Reader(text).read();
        }
        if (text.empty()) continue;
        out += freshScrollCommands(out, text);

        // An `&` before the piece's first sound ties nothing on a fresh scroll,
        // but here it would tie that sound to the last note before it: a
        // command just before the sound cancels the tie.
        const std::vector<Token> tokens = play(reading.commands).tokens;
        const auto firstSound = std::find_if(tokens.begin(), tokens.end(), [](const Token& t) { return t.sound; });
        const bool tied = std::any_of(tokens.begin(), firstSound, [](const Token& t) { return t.tie; });
        if (tied && firstSound != tokens.end()) {
            const size_t at = reading.commands[static_cast<size_t>(firstSound - tokens.begin())].begin;
            out += text.substr(0, at);
            const int32_t volume = play(out).before.back().volume;
            out += u'v';
            appendNumber(out, volume);
            text.remove_prefix(at);
        }
        out += text;
    }
    return out;
}

}  // namespace zema
