#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <utility>
#include <vector>

#include "core/note_edit.h"
#include "core/timing.h"

namespace zema {

// Mouse and key editing in the piano roll, without a window: the grid, hit
// tests on the current track's notes, the selection and what a gesture turns
// into as note edits. The roll control keeps the pixels; everything here is
// ticks, note numbers and widget-independent geometry.

// ---- Grid -------------------------------------------------------------------

// One entry of the grid list: its text and its step as a fraction of a whole
// note (0/1: no grid).
struct RollGridChoice {
    int32_t stringId = 0;
    int32_t numerator = 0;
    int32_t denominator = 1;
};

inline constexpr int kRollGridCount = 15;
inline constexpr int kRollGridDefault = 4;  // sixteenth notes
inline constexpr int kRollGridOff = kRollGridCount - 1;

// Whole to sixty-fourth, dotted half to dotted sixteenth, quarter to sixteenth
// triplets, and no grid last.
[[nodiscard]] std::span<const RollGridChoice> rollGridChoices();

// Ticks between grid lines (rounded, at least 1); 1 without a grid.
[[nodiscard]] int32_t rollGridStep(const TimingContext& timing, int grid);
// The length a click gives a new note: one grid step, a quarter note without a grid.
[[nodiscard]] int32_t rollGridNoteLength(const TimingContext& timing, int grid);

enum class SnapMode { Nearest, Down };
// `tick` on the grid line nearest to it, or the one at or before it; never below 0.
[[nodiscard]] int32_t snapTick(int64_t tick, int32_t step, SnapMode mode);

// ---- Geometry ---------------------------------------------------------------

inline constexpr int kRollTopNote = 119;    // the note of the first row
inline constexpr int kRollBottomNote = 24;  // the note of the last row
inline constexpr int kRollVolumeMax = 15;

// The note area's mapping between pixels (from its top-left corner) and
// ticks and notes, the same one the roll draws with.
struct RollGeometry {
    int32_t leftTick = 0;
    int32_t ticksPerColumn = 48;
    int columnWidth = 48;
    int rowHeight = 8;
    int scrollY = 0;  // content pixel row at the area's top

    [[nodiscard]] int xOfTick(int64_t tick) const;
    // The tick whose column holds x (rounded down).
    [[nodiscard]] int32_t tickOfX(int x) const;
    [[nodiscard]] int yOfNote(int noteNumber) const { return (kRollTopNote - noteNumber) * rowHeight - scrollY; }
    // The note whose row holds y, clamped to the rows there are.
    [[nodiscard]] int noteOfY(int y) const;
};

enum class RollHitPart { None, Body, End };

struct RollHit {
    int index = -1;  // into the note list
    RollHitPart part = RollHitPart::None;
};

// The topmost note (the later one where notes overlap) under a point of the
// note area, and whether the point is on its end, where a drag resizes it.
[[nodiscard]] RollHit hitNote(std::span<const EditNote> notes, const RollGeometry& geometry, int x, int y);

// ---- Selection --------------------------------------------------------------

// A note as the selection names it: (tick, note number); no two notes of one
// track share both.
using NoteKey = std::pair<int32_t, int32_t>;
[[nodiscard]] inline NoteKey keyOf(const EditNote& note) { return {note.tick, note.noteNumber}; }

enum class SelectMode { Replace, Add, Toggle };

class RollSelection {
public:
    [[nodiscard]] bool contains(const EditNote& note) const { return keys_.count(keyOf(note)) != 0; }
    [[nodiscard]] bool empty() const { return keys_.empty(); }
    [[nodiscard]] size_t size() const { return keys_.size(); }
    [[nodiscard]] const std::set<NoteKey>& keys() const { return keys_; }
    void clear() { keys_.clear(); }

    // A click on `note`: Replace keeps a selection the note already belongs
    // to (so a group can be dragged), else selects only it; Add adds it;
    // Toggle adds or removes it.
    void click(const EditNote& note, SelectMode mode);
    // A rubber band over [firstTick, lastTick) and notes low..high (any
    // order): the notes it touches replace the selection, or join it.
    void band(std::span<const EditNote> notes, int32_t tickA, int32_t tickB, int noteA, int noteB, SelectMode mode);
    void selectAll(std::span<const EditNote> notes);
    // Keeps only keys that name one of `notes` (after the track changed).
    void keepExisting(std::span<const EditNote> notes);
    void assign(std::set<NoteKey> keys) { keys_ = std::move(keys); }
    // The selected notes, in list order.
    [[nodiscard]] std::vector<EditNote> selected(std::span<const EditNote> notes) const;

private:
    std::set<NoteKey> keys_;
};

// ---- Gestures as edits ----------------------------------------------------------

// A new note at (tick, note); it takes the volume in force where it lands.
[[nodiscard]] NoteEdit insertEdit(int32_t tick, int32_t length, int noteNumber);
// Moves every note of `moved` by the same offsets; empty when one would leave
// tick 0 or the roll's rows, or nothing moves.
[[nodiscard]] std::vector<NoteEdit> moveEdits(std::span<const EditNote> moved, int32_t deltaTick, int deltaNote);
// Lengthens every note of `resized` by `deltaLength`, none below `minLength`.
[[nodiscard]] std::vector<NoteEdit> resizeEdits(std::span<const EditNote> resized, int32_t deltaLength,
                                                int32_t minLength);
[[nodiscard]] std::vector<NoteEdit> deleteEdits(std::span<const EditNote> deleted);
// New volumes by note index; notes already at their volume are left out.
[[nodiscard]] std::vector<NoteEdit> volumeEdits(std::span<const EditNote> notes, const std::map<int, int>& volumes);
// Copied notes placed so that the earliest starts at `tick`, each keeping its
// volume, length and distance from the first.
[[nodiscard]] std::vector<NoteEdit> pasteEdits(std::span<const EditNote> copied, int32_t tick);
// The keys the notes named by `edits` have once they are applied (deleted
// notes have none).
[[nodiscard]] std::set<NoteKey> keysAfter(std::span<const NoteEdit> edits);

// The new start of a dragged note: its start moved by the mouse's offset, on
// the nearest grid line.
[[nodiscard]] int32_t draggedTick(int32_t noteTick, int32_t mouseDelta, int32_t step);
// The new length of a note whose end is dragged: the end on the nearest grid
// line, at least one step.
[[nodiscard]] int32_t draggedLength(const EditNote& note, int32_t mouseDelta, int32_t step);

// ---- Volume lane -----------------------------------------------------------------

// A point of the lane: x in note-area pixels, y from the lane's top.
struct LanePoint {
    int x = 0;
    int y = 0;
};

// The volume a point at `y` in a lane `height` pixels high stands for (top: 15).
[[nodiscard]] int volumeOfY(int y, int height);
// The notes whose columns a drag from x0 to x1 (note-area pixels) crossed.
[[nodiscard]] std::vector<int> notesUnderSweep(std::span<const EditNote> notes, const RollGeometry& geometry, int x0,
                                               int x1);
// The volumes a drag in the lane from (x0, y0) to (x1, y1) draws, by note
// index: each crossed note takes the height of the line between the two
// points where it starts (its left edge clamped to the drag), so a quick
// stroke draws a ramp rather than one level.
[[nodiscard]] std::map<int, int> sweepVolumes(std::span<const EditNote> notes, const RollGeometry& geometry,
                                              LanePoint from, LanePoint to, int laneHeight);

// ---- Finding the notes ---------------------------------------------------------------

// When no row of `notes` is inside the visible pixel rows [scrollY, scrollY +
// viewHeight), the scroll position that centres their range (clamped to the
// content); nothing when one is visible or there are none.
[[nodiscard]] std::optional<int> scrollToShowNotes(std::span<const EditNote> notes, int rowHeight, int viewHeight,
                                                   int scrollY);

}  // namespace zema
