#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/roll_edit_model.h"
#include "core/note_edit.h"
#include "views/piano_roll_lib.h"

class QMenu;
class QScrollBar;

namespace zema {

// Commands of the marker strip's pop-up menu.
inline constexpr int kMarkerCreateCommand = 32906;
inline constexpr int kMarkerDeleteCommand = 32909;
inline constexpr int kMarkerEditCommand = 32910;
inline constexpr int kMarkerCancelCommand = 32913;

// Zoom steps: ticks per 48-pixel column and the row height in pixels.
inline constexpr std::array<int, 11> kPianoHorizontalSteps = {3, 6, 12, 24, 48, 96, 192, 384, 768, 1536, 3072};
inline constexpr std::array<int, 11> kPianoVerticalSteps = {3, 4, 5, 6, 8, 10, 12, 14, 16, 20, 24};
inline constexpr int kPianoMinTicksPerColumn = 1;
inline constexpr int kPianoMaxTicksPerColumn = 3840;
inline constexpr int kPianoMinRowHeight = 2;
inline constexpr int kPianoMaxRowHeight = 32;
// Height of the volume lane under the notes, in pixels.
inline constexpr int kPianoVolumeLaneHeight = 44;

// The piano roll: key strip at the left, ruler with the marker strip on top,
// the notes of the selected tracks on a time grid and the play line.
//
// Mouse: the wheel scrolls vertically, Shift+wheel horizontally,
// Ctrl+wheel zooms the time axis around the mouse, Ctrl+Shift+wheel the rows.
// A left click on a note reports it; a right click in the ruler opens the
// marker menu.
//
// While notes may be edited (canEditNotes), the current track's notes are
// edited with the mouse and the keys: a click in an empty place adds a note
// of the grid's length, a drag moves notes or, on a note's end, resizes them;
// click, Shift/Ctrl-click and a rubber band select; Delete removes and the
// arrow keys move the selection. The volume lane under the notes shows each
// note's volume as a bar, and dragging across it draws volumes. Every gesture
// reaches onNoteEdits as one list of edits.
class CPianoRollCtrl final : public QWidget {
    Q_OBJECT
public:
    explicit CPianoRollCtrl(QWidget* parent = nullptr);
    ~CPianoRollCtrl() override;

    // The song shown; it must outlive the control (or be replaced first).
    void setSong(const Song* song);
    // Call after the song's events, markers or timing changed.
    void songChanged();
    void setCurrentTrack(int slot);
    // Visible tracks, and which of them are drawn as full boxes; the others
    // appear as diamonds at their note starts.
    void setTrackSelection(const std::array<bool, kTrackCount>& visible,
                           const std::array<bool, kTrackCount>& emphasised);
    // Translucent (alpha-blended) or opaque drawing.
    void setRenderer(bool translucent);
    // Ticks per column and row height, clamped to their ranges.
    void setMagnification(int hmag, int vmag);
    [[nodiscard]] int horizontalMagnification() const { return ticksPerColumn_; }
    [[nodiscard]] int verticalMagnification() const { return lib_.rowHeight(); }
    void setFullHeight(bool full);

    // Moves the play line; only the old and the new line columns repaint.
    void SetPlayPosition(int tick);
    // Scrolls so that `tick`'s column is the first visible one (as far as the
    // song allows); octave 1..8 also scrolls that octave's top row to the
    // top. Returns the new first visible column.
    int PageTo(int tick, int octave);
    // One display frame during playback: the play position and, when
    // following, a page turn once it leaves the visible span.
    void followPlayPosition(int tick, bool pianoScroll);

    [[nodiscard]] int firstVisibleTick() const { return firstColumn_ * ticksPerColumn_; }
    [[nodiscard]] int firstVisibleColumn() const { return firstColumn_; }
    [[nodiscard]] int visibleSpan() const { return columnsThatFit() * ticksPerColumn_; }
    [[nodiscard]] int playPosition() const { return playPosition_; }
    [[nodiscard]] int largestFirstColumn() const;
    [[nodiscard]] int scrollY() const { return scrollY_; }
    [[nodiscard]] int largestScrollY() const;

    // Geometry in widget pixels.
    [[nodiscard]] int xOfTick(int tick) const;
    [[nodiscard]] int tickOfX(int x) const;
    [[nodiscard]] QRect noteAreaRect() const;
    // The column the play line occupies at `tick`, empty when off the view.
    [[nodiscard]] QRect playLineRect(int tick) const;
    // The box of track `slot`'s event `index` in widget pixels (empty when
    // it is not a note).
    [[nodiscard]] QRect noteRect(int slot, int index) const;
    [[nodiscard]] PianoView view() const;
    [[nodiscard]] const CPianoRollLib& lib() const { return lib_; }

    // The marker under a widget point in the marker strip, -1 for none.
    [[nodiscard]] int markerIndexAt(QPoint pos) const;
    // The tooltip at a widget point: a note's or a marker's, or empty.
    [[nodiscard]] QString tooltipAt(QPoint pos) const;
    // The marker menu for a click on `markerIndex` (-1: none): create is
    // always possible, delete and edit only for an explicit marker. Each
    // action carries its command id as data.
    [[nodiscard]] std::unique_ptr<QMenu> createMarkerMenu(int markerIndex) const;
    // Reports a marker-menu choice made at widget point `pos`.
    void runMarkerCommand(int command, QPoint pos);

    // command (kMarker*Command), tick of the click, marker index (-1: none).
    std::function<void(int command, int tick, int markerIndex)> onMarkerCommand;
    // Whether the create, edit and delete entries can be chosen now (idle only); unset: always.
    std::function<bool()> canEditMarkers;
    // A left click on a note: its track and its index in the track's events.
    std::function<void(int track, int eventIndexInTrack)> onNoteClicked;
    // The user zoomed (ticks per column, row height), for the settings.
    std::function<void(int hmag, int vmag)> onMagnificationChanged;

    // ---- Note editing on the current track ----
    // Entry of the grid list (rollGridChoices()).
    void setGrid(int grid);
    [[nodiscard]] int grid() const { return grid_; }
    void setVolumeLaneVisible(bool visible);
    [[nodiscard]] bool volumeLaneVisible() const { return laneVisible_; }
    // The lane in widget pixels, empty when hidden.
    [[nodiscard]] QRect volumeLaneRect() const;
    // The current track's notes as they are edited, and the selected ones.
    [[nodiscard]] const std::vector<EditNote>& editNotes() const { return notes_; }
    [[nodiscard]] const RollSelection& selection() const { return selection_; }
    void selectAllNotes();
    // The middle of (tick, note)'s row at the tick's column, in widget pixels.
    [[nodiscard]] QPoint pointOf(int tick, int noteNumber) const;
    [[nodiscard]] RollGeometry geometry() const;
    // Keeps the selected notes for pasting; false when none is selected.
    bool copySelectedNotes();
    // The copied notes again, the first at the play position. Each of these
    // returns false when nothing was edited.
    bool pasteNotes();
    bool deleteSelectedNotes();
    // Moves the selection by grid steps and semitones.
    bool nudgeSelection(int steps, int semitones);
    // Scrolls vertically to the current track's notes when none of them is
    // in view; true when it scrolled.
    bool revealCurrentNotes();

    // Applies edits of the current track's notes; true when the text took them.
    std::function<bool(const std::vector<NoteEdit>& edits)> onNoteEdits;
    // Whether notes can be edited now (stopped); unset: never.
    std::function<bool()> canEditNotes;
    // A note placed or moved sounds while the mouse holds it.
    std::function<void(int noteNumber, bool down)> onNoteSound;

    [[nodiscard]] QSize sizeHint() const override { return {600, 240}; }
    [[nodiscard]] QSize minimumSizeHint() const override { return {120, 80}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;

private:
    [[nodiscard]] int columnsThatFit() const;
    [[nodiscard]] int scrollBarExtent() const;
    [[nodiscard]] int contentEndTick() const;
    void layoutScrollBars();
    void syncScrollBars();
    void setFirstColumn(int column);
    void setScrollY(int y);
    void invalidateCache();
    void renderCache();
    void zoomHorizontal(int direction, int anchorX);
    void zoomVertical(int direction);

    // What a held mouse button is doing.
    enum class DragKind { None, Pending, Move, Resize, Band, Volume };
    struct Drag {
        DragKind kind = DragKind::None;
        QPoint start;               // widget pixels of the press
        QPoint current;
        SelectMode mode = SelectMode::Replace;
        int index = -1;             // the grabbed note
        int32_t deltaTick = 0;      // Move: offset of every selected note
        int deltaNote = 0;
        int32_t deltaLength = 0;    // Resize: change of every selected note's length
        std::map<int, int> volumes; // Volume: drawn volume by note index
        QPoint last;                // Volume: the previous mouse position
    };
    [[nodiscard]] bool editing() const;
    void refreshNotes();
    void beginEditDrag(QMouseEvent* event);
    void updateDrag(QPoint pos);
    void finishDrag(QPoint pos);
    void sound(int noteNumber);
    bool applyEdits(const std::vector<NoteEdit>& edits);
    void drawEditOverlay(QPainter& painter) const;
    void drawVolumeLane(QPainter& painter) const;
    [[nodiscard]] QRect noteBox(const EditNote& note) const;

    const Song* song_ = nullptr;
    CPianoRollLib lib_;
    int ticksPerColumn_ = 48;
    int firstColumn_ = 0;
    int scrollY_ = 0;
    int playPosition_ = 0;
    QScrollBar* hbar_ = nullptr;
    QScrollBar* vbar_ = nullptr;
    QImage cache_;  // everything but the play line
    bool cacheValid_ = false;
    bool syncing_ = false;

    int grid_ = kRollGridDefault;
    bool laneVisible_ = false;
    std::vector<EditNote> notes_;   // the current track's, in tick order
    RollSelection selection_;
    std::vector<EditNote> copied_;  // notes kept by copySelectedNotes
    Drag drag_;
    int sounding_ = -1;             // note number sounding under the mouse
    bool revealPending_ = false;    // asked to find the notes before the control had a size
};

}  // namespace zema
