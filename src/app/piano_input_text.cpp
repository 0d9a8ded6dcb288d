#include "app/piano_input_text.h"

#include "core/mml_compiler.h"

namespace zema {

namespace {

constexpr int32_t kDefaultOctave = 4;

// Position order of (line, column) pairs.
bool isBefore(int32_t line, int32_t column, TextCaret caret)
{
    return line < caret.line || (line == caret.line && column < caret.column);
}

void appendOctaveSigns(std::u16string& text, int32_t from, int32_t to)
{
    for (int32_t octave = from; octave < to; ++octave) text += u'>';
    for (int32_t octave = from; octave > to; --octave) text += u'<';
}

// Floor division by 12, so that octave and semitone stay consistent for any number.
void splitNote(int32_t note, int32_t& octave, int32_t& semitone)
{
    octave = note / 12;
    semitone = note % 12;
    if (semitone < 0) {
        semitone += 12;
        --octave;
    }
    --octave;
}

}  // namespace

int32_t octaveAtCaret(const StateList& states, TextCaret caret)
{
    int32_t octave = kDefaultOctave;
    for (const TrackEvent& state : states) {
        if (state.kind != TrackEventKind::OctaveState) continue;
        const bool endsAfterCaret = isBefore(caret.line, caret.column, TextCaret{state.endLine, state.endColumn});
        if (!endsAfterCaret) octave = state.value;
    }
    return octave;
}

bool noteFollowsCaret(const EventList& events, TextCaret caret)
{
    for (const TrackEvent& event : events) {
        if (event.kind == TrackEventKind::Note && !isBefore(event.startLine, event.startColumn, caret)) return true;
    }
    return false;
}

std::u16string noteInsertionText(int32_t note, int32_t octaveInForce, bool noteFollows)
{
    static constexpr char16_t kLetters[12] = {u'c', u'c', u'd', u'd', u'e', u'f', u'f', u'g', u'g', u'a', u'a', u'b'};
    static constexpr bool kSharp[12] = {false, true, false, true, false, false, true, false, true, false, true, false};
    int32_t octave = 0;
    int32_t semitone = 0;
    splitNote(note, octave, semitone);

    std::u16string text;
    appendOctaveSigns(text, octaveInForce, octave);
    text += kLetters[semitone];
    if (kSharp[semitone]) text += u'+';
    if (noteFollows) appendOctaveSigns(text, octave, octaveInForce);
    return text;
}

std::u16string pianoInsertText(const StateList& states, const EventList& events, TextCaret caret, int32_t note)
{
    return noteInsertionText(note, octaveAtCaret(states, caret), noteFollowsCaret(events, caret));
}

std::u16string pianoInsertText(std::u16string_view mml, TextCaret caret, int32_t note)
{
    EventList events;
    StateList states;
    compileTrack(TimingContext{}, mml, events, states, 0, false, false);
    return pianoInsertText(states, events, caret, note);
}

std::string pianoKeyLabel(int32_t note)
{
    static constexpr const char* kNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    int32_t octave = 0;
    int32_t semitone = 0;
    splitNote(note, octave, semitone);
    return "Octave" + std::to_string(octave) + " " + kNames[semitone];
}

}  // namespace zema
