#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/timing.h"
#include "core/track_event.h"

namespace zema {

// Note editing written back into a track's own MML text.
//
// The piano roll and `zema-cli edit` describe what should happen to the notes
// of one track; the engine finds the smallest change to the text that makes the
// recompiled track hold exactly those notes, while every other event keeps its
// tick, length, note number and volume, and tempo changes stay where they were.
// Everything outside the changed spans stays byte for byte as the player wrote it.

// A note as the roll shows it: tied notes of one pitch are one note.
struct EditNote {
    int32_t tick = 0;
    int32_t length = 0;
    int32_t noteNumber = 0;
    int32_t volume = 8;  // v 0..15 in force at the note

    friend bool operator==(const EditNote&, const EditNote&) = default;
};

enum class NoteEditKind {
    Insert,  // add `note`
    Delete,  // remove the note at (tick, noteNumber)
    Move,    // the note at (tick, noteNumber) moves to note.tick / note.noteNumber
    Resize,  // the note at (tick, noteNumber) gets note.length
    Volume,  // the note at (tick, noteNumber) gets note.volume
};

// Every edit of one call names a note as the track holds it before the call;
// several edits of one note combine (a move and a resize of the same note).
// An inserted note with a negative volume takes the volume in force where it
// lands, so that no `v` command is needed.
//
// A track plays one note at a time: edits whose result would make two notes
// sound at once are refused (NotExpressible) rather than cutting the other
// note short, so that no note the user did not touch ever changes. A note
// cannot span a tempo change (MML cannot tie across a command), and lengths
// must have a spelling at the track's timebase. The track keeps its end tick
// unless a note now ends later.

struct NoteEdit {
    NoteEditKind kind = NoteEditKind::Insert;
    int32_t tick = 0;        // the note acted on, as it is now (not used by Insert)
    int32_t noteNumber = 0;
    EditNote note;           // the new values, as the kind says

    friend bool operator==(const NoteEdit&, const NoteEdit&) = default;
};

// One replacement in the old text: UTF-16 offset and length of the replaced
// span, and what stands there now.
struct TextChange {
    int32_t offset = 0;
    int32_t removed = 0;
    std::u16string inserted;

    friend bool operator==(const TextChange&, const TextChange&) = default;
};

enum class NoteEditStatus {
    Applied,       // local changes only
    Rewritten,     // the smallest enclosing span of text had to be rewritten
    NoSuchNote,    // an edit names a note the track does not have
    NotExpressible // the result cannot be written (out of range, overlaps...)
};

struct NoteEditResult {
    NoteEditStatus status = NoteEditStatus::NotExpressible;
    std::u16string text;               // the whole new text (the old one when refused)
    std::vector<TextChange> changes;   // ordered, non-overlapping, offsets into the old text

    [[nodiscard]] bool ok() const
    {
        return status == NoteEditStatus::Applied || status == NoteEditStatus::Rewritten;
    }
};

// A track's text compiled as compileTrack(context, text, events, states, 0,
// keepTies = false, stateToEvents = false) leaves it.
struct CompiledTrack {
    EventList events;
    StateList states;
};

// The same, for a caller that holds the text's compile already (the engine
// then does not compile the old text again). When the edit is written and
// `recompiled` is given, it receives the compile of the new text, which the
// engine makes to check its work, so the caller need not compile again;
// otherwise it is left alone.
[[nodiscard]] NoteEditResult applyNoteEdits(const TimingContext& context, std::u16string_view text,
                                            const CompiledTrack& compiled, std::span<const NoteEdit> edits,
                                            CompiledTrack* recompiled = nullptr);

// The string-table symbol of the status-bar notice for a result ("" when
// the edit was written in place and needs none).
[[nodiscard]] std::string_view noteEditNotice(NoteEditStatus status);

// The notes of a track's text as the editor sees them, in tick order (then note number).
[[nodiscard]] std::vector<EditNote> editableNotes(const TimingContext& context, std::u16string_view text);

// Applies the edits together (one undo step) to the track's text.
[[nodiscard]] NoteEditResult applyNoteEdits(const TimingContext& context, std::u16string_view text,
                                            std::span<const NoteEdit> edits);

}  // namespace zema
