#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/smf_import_options.h"
#include "document/smf_reader.h"

namespace zema {

// The stages of the MIDI-to-MML conversion between reading the chunks and
// writing the text: events routed into lists, quantized, paired into notes
// with lengths, optionally spread over several tracks, and made monophonic.

struct SmfImportEvent {
    enum class Kind : uint8_t { NoteOn, NoteOff, Program, Tempo, Rest, Text, Control, PitchBend, SysEx };
    Kind kind = Kind::Rest;
    int32_t tick = 0;
    int32_t length = 0;   // notes and rests, once paired
    int32_t note = 0;     // note number
    int32_t value = 0;    // scaled velocity 0..15, program, tempo, controller, bend LSB
    int32_t value2 = 0;   // controller value, bend MSB
    int32_t channel = -1; // MIDI channel of channel messages, -1 otherwise
    uint32_t blob = 0;    // text and exclusive bytes: index into SmfImportLists::blobs
};

struct SmfImportList {
    std::vector<SmfImportEvent> events;
    std::u16string name;   // the track name (meta event 3)
    int32_t channel = -1;  // channel of the first channel message, -1 without one
};

struct SmfImportLists {
    SmfHeader header;
    std::u16string title;
    std::u16string copyright;
    std::vector<SmfImportList> lists;  // format 0: one per channel; else one per chunk
    std::vector<std::string> blobs;    // text bytes; exclusive status byte and message
};

// Ticks past which events are dropped: 2,000 measures of 4/4 (over an hour
// at tempo 120; never past 2^30), so that absurd delta times cannot make
// texts of megabytes that take seconds to compile.
[[nodiscard]] int64_t importTickLimit(int32_t timebase);

// Reads every chunk into event lists as the options ask. Only lists below
// `keepLists` receive events; titles and names come from all chunks.
[[nodiscard]] SmfImportLists readImportLists(const SmfFile& file, const SmfImportOptions& options, int keepLists);

// Moves every tick to the nearest multiple of `unit` (exact halves round down).
void quantizeList(SmfImportList& list, int32_t unit);

// Gives each note start the length to its end and removes the ends; unended
// and empty notes are removed, except zero-length drum notes (channel 10,
// made `unit` long) and, with rest saving, zero-length notes (kept at 0).
void pairNotes(SmfImportList& list, int32_t unit, bool reduceRest);

// Spreads list `source` over the 16 output lists so that notes that sound
// together land on different tracks; all other lists are emptied. With
// `controlApart`, program, control, bend and exclusive events go to a list of
// their own (text events are copied there), placed on the first empty track.
void spreadList(std::vector<SmfImportList>& lists, int source, bool controlApart);

// Keeps one event at a time: events that start while an earlier one lasts are
// removed and gaps become rests, or, with rest saving after a note, lengthen it.
void makeMonophonic(SmfImportList& list, bool reduceRest);

}  // namespace zema
