#include "app/roll_edit_model.h"

#include <algorithm>
#include <array>
#include <limits>

namespace zema {

namespace {

// Texts 11550.. of the string table, in list order.
constexpr std::array<RollGridChoice, kRollGridCount> kGridChoices = {{
    {11550, 1, 1},
    {11551, 1, 2},
    {11552, 1, 4},
    {11553, 1, 8},
    {11554, 1, 16},
    {11555, 1, 32},
    {11556, 1, 64},
    {11557, 3, 8},
    {11558, 3, 16},
    {11559, 3, 32},
    {11560, 3, 64},
    {11561, 1, 6},
    {11562, 1, 12},
    {11563, 1, 24},
    {11564, 0, 1},
}};

constexpr int kEndZoneMin = 2;
constexpr int kEndZoneMax = 6;

int64_t wholeNote(const TimingContext& timing) { return static_cast<int64_t>(std::max(1, timing.timebase)) * 4; }

}  // namespace

std::span<const RollGridChoice> rollGridChoices() { return kGridChoices; }

int32_t rollGridStep(const TimingContext& timing, int grid)
{
    if (grid < 0 || grid >= kRollGridCount) grid = kRollGridOff;
    const RollGridChoice& choice = kGridChoices[static_cast<size_t>(grid)];
    if (choice.numerator == 0) return 1;
    const int64_t ticks = (wholeNote(timing) * choice.numerator * 2 + choice.denominator) / (2 * choice.denominator);
    return static_cast<int32_t>(std::clamp<int64_t>(ticks, 1, std::numeric_limits<int32_t>::max()));
}

int32_t rollGridNoteLength(const TimingContext& timing, int grid)
{
    if (grid < 0 || grid >= kRollGridCount || kGridChoices[static_cast<size_t>(grid)].numerator == 0) {
        return static_cast<int32_t>(wholeNote(timing) / 4);
    }
    return rollGridStep(timing, grid);
}

int32_t snapTick(int64_t tick, int32_t step, SnapMode mode)
{
    step = std::max(1, step);
    if (tick <= 0) return 0;
    int64_t lines = tick / step;
    if (mode == SnapMode::Nearest && (tick % step) * 2 >= step) ++lines;
    return static_cast<int32_t>(std::min<int64_t>(lines * step, std::numeric_limits<int32_t>::max() / 2));
}

// ---- Geometry ---------------------------------------------------------------

int RollGeometry::xOfTick(int64_t tick) const
{
    const int64_t perColumn = std::max(1, ticksPerColumn);
    const int64_t x = (tick - leftTick) * columnWidth / perColumn;
    constexpr int64_t kFar = 1 << 24;  // far outside any widget, still safe to add to
    return static_cast<int>(std::clamp<int64_t>(x, -kFar, kFar));
}

int32_t RollGeometry::tickOfX(int x) const
{
    const int64_t perColumn = std::max(1, ticksPerColumn);
    const int64_t width = std::max(1, columnWidth);
    const int64_t offset = static_cast<int64_t>(x) * perColumn;
    const int64_t ticks = offset >= 0 ? offset / width : -((-offset + width - 1) / width);
    return static_cast<int32_t>(std::clamp<int64_t>(leftTick + ticks, std::numeric_limits<int32_t>::min() / 2,
                                                    std::numeric_limits<int32_t>::max() / 2));
}

int RollGeometry::noteOfY(int y) const
{
    const int height = std::max(1, rowHeight);
    const int content = y + scrollY;
    const int row = content >= 0 ? content / height : -1;
    return std::clamp(kRollTopNote - row, kRollBottomNote, kRollTopNote);
}

RollHit hitNote(std::span<const EditNote> notes, const RollGeometry& geometry, int x, int y)
{
    // Later notes are drawn over earlier ones, so they are found first.
    for (size_t i = notes.size(); i-- > 0;) {
        const EditNote& note = notes[i];
        const int top = geometry.yOfNote(note.noteNumber);
        if (y < top || y >= top + geometry.rowHeight) continue;
        const int left = geometry.xOfTick(note.tick);
        const int right = std::max(left + 1, geometry.xOfTick(static_cast<int64_t>(note.tick) + note.length));
        if (x < left || x >= right) continue;
        const int zone = std::clamp((right - left) / 3, kEndZoneMin, kEndZoneMax);
        // A note too narrow for both parts is only ever moved.
        const bool end = right - left > 2 * kEndZoneMin && x >= right - zone;
        return {static_cast<int>(i), end ? RollHitPart::End : RollHitPart::Body};
    }
    return {};
}

// ---- Selection --------------------------------------------------------------

void RollSelection::click(const EditNote& note, SelectMode mode)
{
    const NoteKey key = keyOf(note);
    switch (mode) {
    case SelectMode::Replace:
        if (!keys_.count(key)) keys_ = {key};
        break;
    case SelectMode::Add: keys_.insert(key); break;
    case SelectMode::Toggle:
        if (!keys_.erase(key)) keys_.insert(key);
        break;
    }
}

void RollSelection::band(std::span<const EditNote> notes, int32_t tickA, int32_t tickB, int noteA, int noteB,
                         SelectMode mode)
{
    const int32_t first = std::min(tickA, tickB);
    const int32_t last = std::max(tickA, tickB);
    const int low = std::min(noteA, noteB);
    const int high = std::max(noteA, noteB);
    std::set<NoteKey> inside;
    for (const EditNote& note : notes) {
        const bool overlaps = note.tick < last && static_cast<int64_t>(note.tick) + note.length > first;
        if (overlaps && note.noteNumber >= low && note.noteNumber <= high) inside.insert(keyOf(note));
    }
    switch (mode) {
    case SelectMode::Replace: keys_ = std::move(inside); break;
    case SelectMode::Add: keys_.insert(inside.begin(), inside.end()); break;
    case SelectMode::Toggle:
        for (const NoteKey& key : inside) {
            if (!keys_.erase(key)) keys_.insert(key);
        }
        break;
    }
}

void RollSelection::selectAll(std::span<const EditNote> notes)
{
    keys_.clear();
    for (const EditNote& note : notes) keys_.insert(keyOf(note));
}

void RollSelection::keepExisting(std::span<const EditNote> notes)
{
    std::set<NoteKey> present;
    for (const EditNote& note : notes) {
        if (keys_.count(keyOf(note))) present.insert(keyOf(note));
    }
    keys_ = std::move(present);
}

std::vector<EditNote> RollSelection::selected(std::span<const EditNote> notes) const
{
    std::vector<EditNote> out;
    for (const EditNote& note : notes) {
        if (contains(note)) out.push_back(note);
    }
    return out;
}

// ---- Gestures as edits ----------------------------------------------------------

NoteEdit insertEdit(int32_t tick, int32_t length, int noteNumber)
{
    NoteEdit edit;
    edit.kind = NoteEditKind::Insert;
    edit.tick = tick;
    edit.noteNumber = noteNumber;
    edit.note = EditNote{tick, length, noteNumber, -1};  // the engine keeps the volume in force
    return edit;
}

std::vector<NoteEdit> moveEdits(std::span<const EditNote> moved, int32_t deltaTick, int deltaNote)
{
    if (deltaTick == 0 && deltaNote == 0) return {};
    std::vector<NoteEdit> edits;
    for (const EditNote& note : moved) {
        const int64_t tick = static_cast<int64_t>(note.tick) + deltaTick;
        const int number = note.noteNumber + deltaNote;
        if (tick < 0 || tick > std::numeric_limits<int32_t>::max() / 2 || number < kRollBottomNote ||
            number > kRollTopNote) {
            return {};
        }
        EditNote target = note;
        target.tick = static_cast<int32_t>(tick);
        target.noteNumber = number;
        edits.push_back({NoteEditKind::Move, note.tick, note.noteNumber, target});
    }
    return edits;
}

std::vector<NoteEdit> resizeEdits(std::span<const EditNote> resized, int32_t deltaLength, int32_t minLength)
{
    std::vector<NoteEdit> edits;
    for (const EditNote& note : resized) {
        const int32_t length = std::max(std::max(1, minLength), note.length + deltaLength);
        if (length == note.length) continue;
        EditNote target = note;
        target.length = length;
        edits.push_back({NoteEditKind::Resize, note.tick, note.noteNumber, target});
    }
    return edits;
}

std::vector<NoteEdit> deleteEdits(std::span<const EditNote> deleted)
{
    std::vector<NoteEdit> edits;
    for (const EditNote& note : deleted) edits.push_back({NoteEditKind::Delete, note.tick, note.noteNumber, note});
    return edits;
}

std::vector<NoteEdit> volumeEdits(std::span<const EditNote> notes, const std::map<int, int>& volumes)
{
    std::vector<NoteEdit> edits;
    for (const auto& [index, volume] : volumes) {
        if (index < 0 || static_cast<size_t>(index) >= notes.size()) continue;
        const EditNote& note = notes[static_cast<size_t>(index)];
        const int32_t clamped = std::clamp(volume, 0, kRollVolumeMax);
        if (clamped == note.volume) continue;
        EditNote target = note;
        target.volume = clamped;
        edits.push_back({NoteEditKind::Volume, note.tick, note.noteNumber, target});
    }
    return edits;
}

std::vector<NoteEdit> pasteEdits(std::span<const EditNote> copied, int32_t tick)
{
    if (copied.empty()) return {};
    int32_t first = copied.front().tick;
    for (const EditNote& note : copied) first = std::min(first, note.tick);
    std::vector<NoteEdit> edits;
    for (const EditNote& note : copied) {
        EditNote placed = note;
        placed.tick = std::max(0, tick) + (note.tick - first);
        edits.push_back({NoteEditKind::Insert, placed.tick, placed.noteNumber, placed});
    }
    return edits;
}

std::set<NoteKey> keysAfter(std::span<const NoteEdit> edits)
{
    std::set<NoteKey> keys;
    for (const NoteEdit& edit : edits) {
        switch (edit.kind) {
        case NoteEditKind::Delete: break;
        case NoteEditKind::Insert:
        case NoteEditKind::Move: keys.insert(keyOf(edit.note)); break;
        case NoteEditKind::Resize:
        case NoteEditKind::Volume: keys.insert({edit.tick, edit.noteNumber}); break;
        }
    }
    return keys;
}

int32_t draggedTick(int32_t noteTick, int32_t mouseDelta, int32_t step)
{
    return snapTick(static_cast<int64_t>(noteTick) + mouseDelta, step, SnapMode::Nearest);
}

int32_t draggedLength(const EditNote& note, int32_t mouseDelta, int32_t step)
{
    step = std::max(1, step);
    const int64_t end = static_cast<int64_t>(note.tick) + note.length + mouseDelta;
    const int64_t snapped = snapTick(end, step, SnapMode::Nearest);
    return static_cast<int32_t>(std::max<int64_t>(step, snapped - note.tick));
}

// ---- Volume lane -----------------------------------------------------------------

int volumeOfY(int y, int height)
{
    if (height <= 1) return kRollVolumeMax;
    const int span = height - 1;
    const int fromBottom = std::clamp(span - y, 0, span);
    return (fromBottom * kRollVolumeMax * 2 + span) / (2 * span);
}

std::vector<int> notesUnderSweep(std::span<const EditNote> notes, const RollGeometry& geometry, int x0, int x1)
{
    const int low = std::min(x0, x1);
    const int high = std::max(x0, x1);
    std::vector<int> out;
    for (size_t i = 0; i < notes.size(); ++i) {
        const int left = geometry.xOfTick(notes[i].tick);
        const int right = std::max(left + 1, geometry.xOfTick(static_cast<int64_t>(notes[i].tick) + notes[i].length));
        if (left <= high && right > low) out.push_back(static_cast<int>(i));
    }
    return out;
}

std::map<int, int> sweepVolumes(std::span<const EditNote> notes, const RollGeometry& geometry, LanePoint from,
                                LanePoint to, int laneHeight)
{
    std::map<int, int> volumes;
    const int low = std::min(from.x, to.x);
    const int high = std::max(from.x, to.x);
    for (int index : notesUnderSweep(notes, geometry, from.x, to.x)) {
        const int x = std::clamp(geometry.xOfTick(notes[static_cast<size_t>(index)].tick), low, high);
        const int y = to.x == from.x ? to.y
                                     : from.y + static_cast<int>(static_cast<int64_t>(to.y - from.y) * (x - from.x) /
                                                                 (to.x - from.x));
        volumes[index] = volumeOfY(y, laneHeight);
    }
    return volumes;
}

// ---- Finding the notes ---------------------------------------------------------------

std::optional<int> scrollToShowNotes(std::span<const EditNote> notes, int rowHeight, int viewHeight, int scrollY)
{
    if (notes.empty() || rowHeight <= 0 || viewHeight <= 0) return std::nullopt;
    int low = kRollTopNote;
    int high = kRollBottomNote;
    for (const EditNote& note : notes) {
        const int number = std::clamp(note.noteNumber, kRollBottomNote, kRollTopNote);
        const int top = (kRollTopNote - number) * rowHeight;
        if (top + rowHeight > scrollY && top < scrollY + viewHeight) return std::nullopt;
        low = std::min(low, number);
        high = std::max(high, number);
    }
    const int contentHeight = (kRollTopNote - kRollBottomNote + 1) * rowHeight;
    const int centre = ((kRollTopNote - high) * rowHeight + (kRollTopNote - low + 1) * rowHeight) / 2;
    return std::clamp(centre - viewHeight / 2, 0, std::max(0, contentHeight - viewHeight));
}

}  // namespace zema
