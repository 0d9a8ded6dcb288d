#pragma once

#include <cstdint>
#include <string_view>

#include "core/ascii.h"
#include "core/timing.h"
#include "core/track_event.h"

namespace zema {

// Compiles one track's MML text into its events and states.
//
// The basic dialect is the game's own; a text starting with
// "//#using_extension" is read in the extended dialect (program, controls,
// pitch bend, SysEx, channel directive). The compiler never fails: whatever it
// cannot use is skipped and takes no time. Text ends at its end or at the first
// NUL character. A timebase below 1 is read as 1.
//
// keepTies: every `&` becomes a Tie event and tied notes stay apart (writer and
// migration); otherwise tied notes of one pitch are joined into one Note.
// stateToEvents (basic dialect only): volume and length states go into the
// event list instead of the state list.
void compileTrack(const TimingContext& context, std::u16string_view text, EventList& eventList,
                  StateList& stateList, int32_t startTick, bool keepTies, bool stateToEvents);

// True for the characters that start a command of the game's dialect (either case).
[[nodiscard]] constexpr bool isBasicCommand(char16_t c)
{
    if (c > 255) return false;
    switch (asciiLower(c)) {
    case u'&': case u'<': case u'>':
    case u'a': case u'b': case u'c': case u'd': case u'e': case u'f': case u'g': case u'h':
    case u'l': case u'n': case u'o': case u'r': case u't': case u'v':
        return true;
    default:
        return false;
    }
}

// Semitone of a lower-case note letter within its octave; -1 for other characters.
[[nodiscard]] constexpr int semitoneOf(char16_t lowerLetter)
{
    switch (lowerLetter) {
    case u'c': return 0;
    case u'd': return 2;
    case u'e': return 4;
    case u'f': return 5;
    case u'g': return 7;
    case u'a': return 9;
    case u'b':
    case u'h': return 11;
    default: return -1;
    }
}

// The number of characters the game counts for this text (TrackEnd's value).
[[nodiscard]] int32_t characterCount(std::u16string_view text);

// True when the text selects the extended dialect.
[[nodiscard]] bool isExtendedDialect(std::u16string_view text);

}  // namespace zema
