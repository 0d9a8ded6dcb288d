// The piano roll's note editing: mouse gestures, keys, the selection, the
// volume lane and what is drawn over the cached picture while editing.
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>

#include "views/piano_roll_ctrl.h"
#include "views/track_colours.h"

namespace zema {

namespace {

constexpr int kDragThreshold = 3;  // pixels a press moves before it becomes a rubber band
const QColor kSelectionPen(255, 255, 255);
const QColor kLaneBackground(32, 32, 32);
const QColor kLaneGuide(64, 64, 64);
constexpr int kPlacedSoundMs = 250;  // how long a note placed by a click sounds

SelectMode selectModeOf(Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::ControlModifier) return SelectMode::Toggle;
    if (modifiers & Qt::ShiftModifier) return SelectMode::Add;
    return SelectMode::Replace;
}

}  // namespace

// ---- State --------------------------------------------------------------------

bool CPianoRollCtrl::editing() const { return song_ != nullptr && canEditNotes && canEditNotes(); }

void CPianoRollCtrl::refreshNotes()
{
    // A drag names notes by their place in the list: a changed track ends it.
    if (drag_.kind != DragKind::None) {
        drag_ = Drag{};
        sound(-1);
    }
    const int slot = lib_.currentTrack();
    if (!song_ || slot < 0 || slot >= kTrackCount || !song_->tracks[static_cast<size_t>(slot)].used) {
        notes_.clear();
    } else {
        notes_ = editableNotes(song_->timing, song_->tracks[static_cast<size_t>(slot)].text);
    }
    selection_.keepExisting(notes_);
}

void CPianoRollCtrl::setGrid(int grid) { grid_ = std::clamp(grid, 0, kRollGridCount - 1); }

void CPianoRollCtrl::setVolumeLaneVisible(bool visible)
{
    if (visible == laneVisible_) return;
    laneVisible_ = visible;
    layoutScrollBars();
    syncScrollBars();
    invalidateCache();
}

RollGeometry CPianoRollCtrl::geometry() const
{
    RollGeometry g;
    g.leftTick = firstVisibleTick();
    g.ticksPerColumn = ticksPerColumn_;
    g.columnWidth = kPianoColumnWidth;
    g.rowHeight = lib_.rowHeight();
    g.scrollY = scrollY_;
    return g;
}

QPoint CPianoRollCtrl::pointOf(int tick, int noteNumber) const
{
    const RollGeometry g = geometry();
    return {kPianoNoteLeft + g.xOfTick(tick), kPianoRulerHeight + g.yOfNote(noteNumber) + g.rowHeight / 2};
}

QRect CPianoRollCtrl::noteBox(const EditNote& note) const
{
    const RollGeometry g = geometry();
    const int left = g.xOfTick(note.tick);
    const int right = std::max(left + 1, g.xOfTick(static_cast<int64_t>(note.tick) + note.length));
    return QRect(kPianoNoteLeft + left, kPianoRulerHeight + g.yOfNote(note.noteNumber), right - left, g.rowHeight);
}

void CPianoRollCtrl::selectAllNotes()
{
    selection_.selectAll(notes_);
    update();
}

bool CPianoRollCtrl::revealCurrentNotes()
{
    // Before the control is laid out its height says nothing: decide at the first resize.
    revealPending_ = !isVisible() || noteAreaRect().height() <= 0;
    if (revealPending_) return false;
    const std::optional<int> y = scrollToShowNotes(notes_, lib_.rowHeight(), noteAreaRect().height(), scrollY_);
    if (!y) return false;
    setScrollY(*y);
    return true;
}

// ---- Edits ----------------------------------------------------------------------

bool CPianoRollCtrl::applyEdits(const std::vector<NoteEdit>& edits)
{
    if (edits.empty() || !onNoteEdits || !editing()) return false;
    if (!onNoteEdits(edits)) return false;
    // The window has recompiled the track by now: select the notes the edit made.
    selection_.assign(keysAfter(edits));
    selection_.keepExisting(notes_);
    update();
    return true;
}

bool CPianoRollCtrl::copySelectedNotes()
{
    std::vector<EditNote> chosen = selection_.selected(notes_);
    if (chosen.empty()) return false;
    copied_ = std::move(chosen);
    return true;
}

bool CPianoRollCtrl::pasteNotes()
{
    return applyEdits(pasteEdits(copied_, std::max(0, playPosition_)));
}

bool CPianoRollCtrl::deleteSelectedNotes() { return applyEdits(deleteEdits(selection_.selected(notes_))); }

bool CPianoRollCtrl::nudgeSelection(int steps, int semitones)
{
    const int32_t step = rollGridStep(lib_.timing(), grid_);
    return applyEdits(moveEdits(selection_.selected(notes_), steps * step, semitones));
}

void CPianoRollCtrl::sound(int noteNumber)
{
    if (noteNumber == sounding_) return;
    if (onNoteSound && sounding_ >= 0) onNoteSound(sounding_, false);
    sounding_ = noteNumber;
    if (onNoteSound && sounding_ >= 0) onNoteSound(sounding_, true);
}

// ---- Mouse and keys -------------------------------------------------------------

void CPianoRollCtrl::beginEditDrag(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    drag_ = Drag{};
    drag_.start = drag_.current = pos;
    drag_.mode = selectModeOf(event->modifiers());
    if (volumeLaneRect().contains(pos)) {
        drag_.kind = DragKind::Volume;
        drag_.last = pos;
        updateDrag(pos);
        return;
    }
    const QRect area = noteAreaRect();
    const RollHit hit = hitNote(notes_, geometry(), pos.x() - area.left(), pos.y() - area.top());
    if (hit.index < 0) {
        // A click adds a note; a drag (or a press with Shift or Ctrl) draws a rubber band.
        drag_.kind = drag_.mode == SelectMode::Replace ? DragKind::Pending : DragKind::Band;
        if (drag_.mode == SelectMode::Replace) selection_.clear();
        update();
        return;
    }
    const EditNote& note = notes_[static_cast<size_t>(hit.index)];
    selection_.click(note, drag_.mode);
    update();
    if (!selection_.contains(note)) return;  // Ctrl-click took it out
    drag_.index = hit.index;
    drag_.kind = hit.part == RollHitPart::End ? DragKind::Resize : DragKind::Move;
    sound(note.noteNumber);
}

void CPianoRollCtrl::updateDrag(QPoint pos)
{
    drag_.current = pos;
    const RollGeometry g = geometry();
    const int32_t step = rollGridStep(lib_.timing(), grid_);
    const int32_t mouseDelta = g.tickOfX(pos.x() - kPianoNoteLeft) - g.tickOfX(drag_.start.x() - kPianoNoteLeft);
    switch (drag_.kind) {
    case DragKind::Pending:
        if ((pos - drag_.start).manhattanLength() < kDragThreshold) return;
        drag_.kind = DragKind::Band;
        break;
    case DragKind::Move: {
        const EditNote& note = notes_[static_cast<size_t>(drag_.index)];
        drag_.deltaTick = draggedTick(note.tick, mouseDelta, step) - note.tick;
        drag_.deltaNote = g.noteOfY(pos.y() - kPianoRulerHeight) - g.noteOfY(drag_.start.y() - kPianoRulerHeight);
        sound(note.noteNumber + drag_.deltaNote);
        break;
    }
    case DragKind::Resize: {
        const EditNote& note = notes_[static_cast<size_t>(drag_.index)];
        drag_.deltaLength = draggedLength(note, mouseDelta, step) - note.length;
        break;
    }
    case DragKind::Volume: {
        const QRect lane = volumeLaneRect();
        const auto lanePoint = [&lane](QPoint p) { return LanePoint{p.x() - lane.left(), p.y() - lane.top()}; };
        const auto drawn = sweepVolumes(notes_, g, lanePoint(drag_.last), lanePoint(pos), lane.height());
        for (const auto& [index, volume] : drawn) drag_.volumes[index] = volume;
        drag_.last = pos;
        break;
    }
    case DragKind::Band:
    case DragKind::None: break;
    }
    update();
}

void CPianoRollCtrl::finishDrag(QPoint pos)
{
    updateDrag(pos);
    const Drag drag = std::move(drag_);
    drag_ = Drag{};
    sound(-1);
    const RollGeometry g = geometry();
    const int32_t step = rollGridStep(lib_.timing(), grid_);
    switch (drag.kind) {
    case DragKind::Pending: {
        const int32_t tick = snapTick(g.tickOfX(drag.start.x() - kPianoNoteLeft), step, SnapMode::Down);
        const int note = g.noteOfY(drag.start.y() - kPianoRulerHeight);
        const NoteEdit edit = insertEdit(tick, rollGridNoteLength(lib_.timing(), grid_), note);
        if (applyEdits({edit})) {
            sound(note);
            QTimer::singleShot(kPlacedSoundMs, this, [this] {
                if (drag_.kind == DragKind::None) sound(-1);
            });
        }
        break;
    }
    case DragKind::Band: {
        const int32_t tickA = g.tickOfX(drag.start.x() - kPianoNoteLeft);
        const int32_t tickB = g.tickOfX(pos.x() - kPianoNoteLeft);
        selection_.band(notes_, tickA, tickB + 1, g.noteOfY(drag.start.y() - kPianoRulerHeight),
                        g.noteOfY(pos.y() - kPianoRulerHeight), drag.mode);
        break;
    }
    case DragKind::Move:
        (void)applyEdits(moveEdits(selection_.selected(notes_), drag.deltaTick, drag.deltaNote));
        break;
    case DragKind::Resize:
        (void)applyEdits(resizeEdits(selection_.selected(notes_), drag.deltaLength, step));
        break;
    case DragKind::Volume: (void)applyEdits(volumeEdits(notes_, drag.volumes)); break;
    case DragKind::None: break;
    }
    update();
}

void CPianoRollCtrl::mouseMoveEvent(QMouseEvent* event)
{
    if (drag_.kind == DragKind::None || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    updateDrag(event->position().toPoint());
}

void CPianoRollCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (drag_.kind == DragKind::None || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    if (!editing()) {
        // Playback started while the button was held: the gesture is dropped.
        drag_ = Drag{};
        sound(-1);
        update();
        return;
    }
    finishDrag(event->position().toPoint());
}

void CPianoRollCtrl::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && drag_.kind != DragKind::None) {
        drag_ = Drag{};
        sound(-1);
        update();
        return;
    }
    if (!editing() || drag_.kind != DragKind::None) {
        QWidget::keyPressEvent(event);
        return;
    }
    const bool octave = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Backspace: (void)deleteSelectedNotes(); break;
    case Qt::Key_Left: (void)nudgeSelection(-1, 0); break;
    case Qt::Key_Right: (void)nudgeSelection(1, 0); break;
    case Qt::Key_Up: (void)nudgeSelection(0, octave ? 12 : 1); break;
    case Qt::Key_Down: (void)nudgeSelection(0, octave ? -12 : -1); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

// ---- Drawing ----------------------------------------------------------------------

void CPianoRollCtrl::drawEditOverlay(QPainter& painter) const
{
    const QRect area = noteAreaRect();
    painter.save();
    painter.setClipRect(area);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kSelectionPen, 1));
    for (const EditNote& note : notes_) {
        if (selection_.contains(note)) painter.drawRect(noteBox(note).adjusted(0, 0, -1, -1));
    }
    // The notes where the drag would put them.
    const int slot = std::clamp(lib_.currentTrack(), 0, kTrackCount - 1);
    QColor ghost = trackColourTable()[static_cast<size_t>(slot)].fill;
    ghost.setAlpha(160);
    if (drag_.kind == DragKind::Move || drag_.kind == DragKind::Resize) {
        for (EditNote note : selection_.selected(notes_)) {
            if (drag_.kind == DragKind::Move) {
                note.tick = std::max(0, note.tick + drag_.deltaTick);
                note.noteNumber += drag_.deltaNote;
            } else {
                note.length = std::max(rollGridStep(lib_.timing(), grid_), note.length + drag_.deltaLength);
            }
            const QRect box = noteBox(note).adjusted(0, 0, -1, -1);
            painter.fillRect(box, ghost);
            painter.drawRect(box);
        }
    }
    if (drag_.kind == DragKind::Band) {
        painter.setPen(QPen(kSelectionPen, 1, Qt::DotLine));
        painter.drawRect(QRect(drag_.start, drag_.current).normalized());
    }
    painter.restore();
}

void CPianoRollCtrl::drawVolumeLane(QPainter& painter) const
{
    const QRect lane = volumeLaneRect();
    if (lane.isEmpty()) return;
    painter.save();
    painter.fillRect(QRect(0, lane.top(), kPianoNoteLeft, lane.height()), palette().window());
    painter.setPen(palette().windowText().color());
    painter.drawText(QRect(0, lane.top(), kPianoNoteLeft - 2, lane.height()), Qt::AlignCenter, QStringLiteral("v"));
    painter.fillRect(lane, kLaneBackground);
    painter.setPen(kLaneGuide);
    painter.drawLine(lane.left(), lane.top(), lane.right(), lane.top());
    painter.setClipRect(lane);
    const RollGeometry g = geometry();
    const int slot = std::clamp(lib_.currentTrack(), 0, kTrackCount - 1);
    const TrackColours& colours = trackColourTable()[static_cast<size_t>(slot)];
    const int span = lane.height() - 3;  // a pixel of room above the tallest bar
    for (size_t i = 0; i < notes_.size(); ++i) {
        const EditNote& note = notes_[i];
        const int left = lane.left() + g.xOfTick(note.tick);
        if (left > lane.right()) break;
        const int right = lane.left() + g.xOfTick(static_cast<int64_t>(note.tick) + note.length);
        if (right < lane.left()) continue;
        int volume = note.volume;
        if (drag_.kind == DragKind::Volume) {
            const auto drawn = drag_.volumes.find(static_cast<int>(i));
            if (drawn != drag_.volumes.end()) volume = drawn->second;
        }
        const int barHeight = 1 + span * std::clamp(volume, 0, kRollVolumeMax) / kRollVolumeMax;
        const QRect bar(left, lane.bottom() - barHeight + 1, std::max(3, std::min(right - left, 6)), barHeight);
        painter.fillRect(bar, selection_.contains(note) ? colours.fill.lighter(130) : colours.fill);
        painter.setPen(colours.pen);
        painter.drawLine(bar.left(), bar.top(), bar.right(), bar.top());
    }
    painter.restore();
}

}  // namespace zema
