#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

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

// The piano roll: key strip at the left, ruler with the marker strip on top,
// the notes of the selected tracks on a time grid and the play line.
//
// Mouse: the wheel scrolls vertically, Shift+wheel horizontally,
// Ctrl+wheel zooms the time axis around the mouse, Ctrl+Shift+wheel the rows.
// A left click on a note reports it; a right click in the ruler opens the
// marker menu.
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

    [[nodiscard]] QSize sizeHint() const override { return {600, 240}; }
    [[nodiscard]] QSize minimumSizeHint() const override { return {120, 80}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
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
};

}  // namespace zema
