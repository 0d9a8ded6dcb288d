#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zema {

// The single event record of the program. Codes 8 and 9 are unused.
enum class TrackEventKind : int32_t {
    None = 0,
    Note = 1,
    NoteOff = 2,
    Program = 3,
    Tempo = 4,
    Rest = 5,
    Measure = 6,
    TrackEnd = 7,
    MarkerEntry = 10,
    Tie = 11,
    Control = 12,
    PitchBend = 13,
    SysEx = 14,
    TrackStart = 15,
    LengthState = 16,
    VolumeState = 17,
    OctaveState = 18,
    TempoState = 19,
    SpelledNote = 20,
    SpelledRest = 21,
    Overlap = 22,
};

// Name of a kind as used in tool output ("Note", "TrackEnd"...); "" for codes
// that name no kind.
[[nodiscard]] std::string_view kindName(TrackEventKind kind);

struct TrackEvent {
    TrackEventKind kind = TrackEventKind::None;
    int32_t tick = 0;        // start tick, absolute within the song
    int32_t length = 0;      // duration in ticks (notes and rests)
    int32_t noteNumber = 0;  // MIDI note number; rests carry the previous note's
    int32_t value = 0;       // first value, meaning per kind (volume, tempo, ...)
    int32_t value2 = 0;      // second value, meaning per kind
    int32_t channel = -1;    // MIDI channel 0..15; -1 = the owning track's channel
    int32_t trackIndex = 0;  // owning track once merged; 17 for marker entries
    int32_t groupId = 0;     // owning track's group at merge time (0 = none)
    int32_t sequence = 0;    // position within the track's EventList, set at merge
    int32_t letter = 0;      // upper-case note letter ('C'..'B'), 0 when unset
    int32_t octave = 0;      // noteNumber / 12 - 1
    int32_t sharp = 0;       // 1 when the name carries a sharp
    int32_t step = 0;        // notes: ticks to the next note's start (or track end)
    int32_t startLine = 0;   // source position of the command's first character
    int32_t startColumn = 0;
    int32_t endLine = 0;     // source position just after the command
    int32_t endColumn = 0;
    bool dotted = false;
    bool byNumber = false;       // written with `n`
    bool defaultDotted = false;  // the `l` length was dotted when this was made
    int32_t defaultLength = 0;   // the `l` length when this was made
    int32_t lengthNumber = 0;    // length as written (or the default); `n` notes: the number
    std::u16string text;         // display text (basic dialect notes)
    std::vector<uint8_t> data;   // SysEx bytes F0..F7; spelled notes/rests: data[0] = ticks

    friend bool operator==(const TrackEvent&, const TrackEvent&) = default;
};

using EventList = std::vector<TrackEvent>;
using StateList = std::vector<TrackEvent>;      // kinds 16..19 only
using SongEventList = std::vector<TrackEvent>;  // ordered by tick, track, position

// Stores noteNumber and derives letter, octave and sharp from it.
void setNoteNumber(TrackEvent& event, int32_t noteNumber);

}  // namespace zema
