#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/track_event.h"

namespace zema {

// A caret in an MML text: 0-based line and column in UTF-16 units.
struct TextCaret {
    int32_t line = 0;
    int32_t column = 0;
};

// The octave in force at the caret: that of the last OctaveState whose command
// ends at or before the caret, 4 when there is none.
[[nodiscard]] int32_t octaveAtCaret(const StateList& states, TextCaret caret);

// Whether a Note of the list starts at or after the caret, so that text typed
// there is followed by a note whose octave must not change.
[[nodiscard]] bool noteFollowsCaret(const EventList& events, TextCaret caret);

// The MML for one key of the on-screen keyboard: the octave signs from
// `octaveInForce` to the note's octave, the lower-case letter with "+" for a
// black key, and, when a note follows, the signs back to `octaveInForce`. No
// length is written, so the note takes the default length.
[[nodiscard]] std::u16string noteInsertionText(int32_t note, int32_t octaveInForce, bool noteFollows);

// The text to insert for `note` at the caret of a track with these compiled lists.
[[nodiscard]] std::u16string pianoInsertText(const StateList& states, const EventList& events, TextCaret caret,
                                             int32_t note);

// The same, compiling the track's MML text first.
[[nodiscard]] std::u16string pianoInsertText(std::u16string_view mml, TextCaret caret, int32_t note);

// A key's label, "Octave%d %s" with the octave and the note name ("Octave4 C#").
[[nodiscard]] std::string pianoKeyLabel(int32_t note);

}  // namespace zema
