#include "document/smf_mml_text.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

#include "document/smf_reader.h"

namespace zema {

namespace {

using Kind = SmfImportEvent::Kind;

constexpr size_t kLineWidth = 80;  // characters after which a line is broken

// One standard note length in ticks and how it is written.
struct Piece {
    int32_t ticks;
    const char* text;  // "4", "8." ...
};

// The lengths a duration is cut into, longest first: whole, dotted half, half
// ... sixty-fourth. Halving and dotting truncate as the compiler's own
// lengths do. At tiny timebases the short pieces become 0 ticks (skipped, or
// the cut would never end) and a dotted piece can truncate to its plain
// length; the plain one is then used, so that playback adds no half beat.
std::vector<Piece> piecesFor(int32_t timebase)
{
    static constexpr const char* kPlain[] = {"2", "4", "8", "16", "32", "64"};
    static constexpr const char* kDotted[] = {"2.", "4.", "8.", "16.", "32.", "64."};
    std::vector<Piece> all{{timebase * 4, "1"}};
    int32_t plain = timebase * 2;
    for (int i = 0; i < 6; ++i) {
        all.push_back({plain * 3 / 2, kDotted[i]});
        all.push_back({plain, kPlain[i]});
        plain /= 2;
    }
    std::vector<Piece> usable;
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i].ticks <= 0) continue;
        const bool dotted = all[i].text[std::char_traits<char>::length(all[i].text) - 1] == '.';
        if (dotted && i + 1 < all.size() && all[i].ticks <= all[i + 1].ticks) continue;
        usable.push_back(all[i]);
    }
    return usable;
}

// Comment text: brackets become parentheses (a bracketed word would read as a
// section header in a document), CR is dropped and other control characters,
// which the compiler would stop at (NUL) or misread, become spaces. LF is
// kept for the caller to handle.
std::u16string commentText(std::u16string_view text, bool lineBreaksAsSpace)
{
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (c == u'[') {
            out += u'(';
        } else if (c == u']') {
            out += u')';
        } else if (c == u'\r' || c == u'\n') {
            if (lineBreaksAsSpace) {
                out += u' ';
            } else if (c == u'\n') {
                out += c;
            }
        } else if (c < 0x20 && c != u'\t') {
            out += u' ';
        } else {
            out += c;
        }
    }
    return out;
}

class TrackTextWriter {
public:
    TrackTextWriter(const SmfTextSettings& settings, bool extended)
        : settings_(settings),
          pieces_(piecesFor(settings.timebase)),
          measureTicks_(int64_t{settings.timebase} * 4),
          extended_(extended)
    {
    }

    std::u16string& text() { return text_; }

    void write(const SmfImportEvent& event)
    {
        openLineFor(event.tick);
        switch (event.kind) {
        case Kind::NoteOn:
            writeNote(event);
            break;
        case Kind::Rest:
            writePieces(event.tick, event.length, extended_ ? 'r' : 'R', false, false);
            break;
        case Kind::Program:
            append("@%d", event.value);
            break;
        case Kind::Tempo:
            append("t%d", event.value);
            break;
        case Kind::Control:
            if (event.value == 7) {
                append("V%d", event.value2);
            } else {
                append("y%d,%d", event.value, event.value2);
            }
            break;
        case Kind::PitchBend:
            if (event.value == 0) {
                append("~%d", event.value2);
            } else {
                append("~%d,%d", event.value2, event.value);
            }
            break;
        case Kind::Text:
            writeComment(event);
            break;
        case Kind::SysEx:
            writeExclusive(event);
            break;
        case Kind::NoteOff:
            break;
        }
    }

private:
    void append(const char* format, int a, int b = 0)
    {
        char buffer[48];
        const int length = std::snprintf(buffer, sizeof buffer, format, a, b);
        for (int i = 0; i < length && i < static_cast<int>(sizeof buffer); ++i) text_ += static_cast<char16_t>(buffer[i]);
    }

    [[nodiscard]] int32_t measureOf(int64_t tick) const { return static_cast<int32_t>(tick / measureTicks_); }

    void measureLine(int32_t measure)
    {
        append("\r\n/*M %-3d*/  ", measure);
        lineStart_ = text_.size();
        currentMeasure_ = measure;
        breakPending_ = false;
    }

    // A new line opens at each new measure, after a comment or exclusive, and
    // when the line has grown past its width.
    void openLineFor(int64_t tick)
    {
        const int32_t measure = measureOf(tick);
        if (measure != currentMeasure_ || breakPending_ || text_.size() - lineStart_ > kLineWidth) measureLine(measure);
    }

    [[nodiscard]] bool atLineStart() const { return text_.size() == lineStart_; }

    void writeNote(const SmfImportEvent& event)
    {
        if (settings_.options.velocity && event.value != lastVelocity_) {
            append("v%d", event.value);
            lastVelocity_ = event.value;
        }
        // Octaves 0..8 are all MML can name: notes outside are moved into
        // that range by whole octaves, so that the octave the text tracks
        // stays the one the compiler is in.
        const int32_t note = event.note & 0x7F;
        const int32_t target = std::clamp(note / 12 - 1, 0, 8);
        if (target != octave_) {
            const int distance = std::abs(target - octave_);
            // '<' never goes below octave 1, so octave 0 is always named.
            const bool relative = (distance == 1 || (distance == 2 && !firstOctaveChange_)) && target != 0;
            if (relative) {
                text_.append(static_cast<size_t>(distance), target > octave_ ? u'>' : u'<');
            } else {
                append("o%d", target);
            }
            octave_ = target;
            firstOctaveChange_ = false;
        }
        static constexpr char kLetters[] = "CCDDEFFGGAAB";
        static constexpr bool kSharp[] = {false, true, false, true, false, false, true, false, true, false, true, false};
        char letter = kLetters[note % 12];
        if (extended_) letter = static_cast<char>(letter - 'A' + 'a');
        writePieces(event.tick, event.length, letter, kSharp[note % 12], true);
    }

    void writePieces(int64_t tick, int64_t duration, char letter, bool sharp, bool tied)
    {
        bool first = true;
        for (const Piece& piece : pieces_) {
            while (duration >= piece.ticks) {
                if (!first) {
                    openLineFor(tick);
                    if (tied) text_ += u'&';
                }
                text_ += static_cast<char16_t>(letter);
                if (sharp) text_ += u'+';
                for (const char* c = piece.text; *c; ++c) text_ += static_cast<char16_t>(*c);
                duration -= piece.ticks;
                tick += piece.ticks;
                first = false;
            }
        }
    }

    void writeComment(const SmfImportEvent& event)
    {
        if (!atLineStart()) measureLine(measureOf(event.tick));
        const std::u16string comment = commentText(decodeSmfText((*settings_.blobs)[event.blob]), false);
        text_ += u"// ";
        for (char16_t c : comment) {
            if (c == u'\n') {
                measureLine(currentMeasure_);
                text_ += u"// ";
            } else {
                text_ += c;
            }
        }
        breakPending_ = true;  // whatever follows would be part of the comment
    }

    void writeExclusive(const SmfImportEvent& event)
    {
        if (!atLineStart()) measureLine(measureOf(event.tick));
        const std::string& bytes = (*settings_.blobs)[event.blob];
        text_ += u"EX";
        for (size_t i = 0; i < bytes.size(); ++i) append(i == 0 ? "x%02X" : ",x%02X", static_cast<uint8_t>(bytes[i]));
        breakPending_ = true;
    }

    const SmfTextSettings& settings_;
    std::vector<Piece> pieces_;
    int64_t measureTicks_;
    bool extended_;
    std::u16string text_;
    size_t lineStart_ = 0;
    int32_t currentMeasure_ = -1;
    bool breakPending_ = false;
    int32_t octave_ = 4;
    bool firstOctaveChange_ = true;
    int32_t lastVelocity_ = -1;
};

}  // namespace

std::u16string writeImportedTrack(const SmfImportList& list, int listIndex, const SmfTextSettings& settings)
{
    const SmfImportOptions& options = settings.options;
    const bool extended = options.usesExtension();
    TrackTextWriter writer(settings, extended);
    std::u16string& text = writer.text();
    if (extended) text += u"//#using_extension\r\n";
    if (options.channel) {
        char line[48];
        std::snprintf(line, sizeof line, "//#using_channel = %d\r\n", std::max(0, list.channel) + 1);
        for (const char* c = line; *c; ++c) text += static_cast<char16_t>(*c);
    }
    if (extended) text += u"\r\n";
    if (!settings.spreading) {
        if (listIndex == 0) {
            if (!settings.title.empty()) text += u"// title     : " + commentText(settings.title, true) + u"\r\n";
            if (!settings.copyright.empty()) {
                text += u"// copyright : " + commentText(settings.copyright, true) + u"\r\n";
            }
        } else if (!list.name.empty()) {
            text += u"// " + commentText(list.name, true) + u"\r\n";
        }
    }
    for (const SmfImportEvent& event : list.events) writer.write(event);
    text += u"\r\n";
    return text;
}

}  // namespace zema
