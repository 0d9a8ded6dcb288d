#pragma once

#include <QFont>
#include <QPainter>
#include <QRect>
#include <QString>
#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "core/song.h"
#include "views/piano_render.h"

namespace zema {

// Fixed layout of the piano roll, in pixels.
inline constexpr int kPianoKeyStripWidth = 40;  // the key strip bitmap
inline constexpr int kPianoNoteLeft = 39;       // x of the first visible tick
inline constexpr int kPianoRulerHeight = 25;    // ruler band above the notes
inline constexpr int kPianoMarkerStripHeight = 12;  // upper part of the ruler: the markers
inline constexpr int kPianoColumnWidth = 48;
inline constexpr int kPianoRows = 96;        // eight octaves of semitones
inline constexpr int kPianoTopNote = 119;    // the note of row 0 (B8)
inline constexpr int kPianoBottomNote = kPianoTopNote - kPianoRows + 1;  // 24 (C1)

// How a track's notes are drawn.
enum class PianoNoteMode : int {
    Box = 0,      // a box per note, with highlight lines
    Diamond = 1,  // a diamond at the note's start
};

// The part of the song the note area shows.
struct PianoView {
    int32_t leftTick = 0;          // tick at the note area's left edge
    int32_t ticksPerColumn = 48;   // zoom
    int columnWidth = kPianoColumnWidth;
    int width = 0;                 // note area size in pixels
    int height = 0;
    int scrollY = 0;               // pixel row of the key rows at the area's top

    // x within the note area of `tick`: (tick - leftTick) * columnWidth /
    // ticksPerColumn, truncated towards zero.
    [[nodiscard]] int xOfTick(int64_t tick) const;
    // The tick whose column holds x (rounded down).
    [[nodiscard]] int32_t tickOfX(int x) const;
    // The tick just past the right edge.
    [[nodiscard]] int64_t rightTick() const;
};

// A note's box within the note area ([left, right) x [top, bottom)).
struct PianoNoteRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// A marker flag in the marker strip (widget x, from 0 at the note area's
// origin) with its marker index (0 = the song start).
struct PianoMarkerFlag {
    int index = 0;
    int32_t tick = 0;
    int left = 0;
    int right = 0;  // exclusive
};

// The tooltip texts: "O%d V%d Gate%d\n" for a note and "%s\nMeas %04d:%04d"
// for a marker at `tick`.
[[nodiscard]] QString pianoNoteTooltip(const TrackEvent& note);
[[nodiscard]] QString pianoMarkerTooltip(const QString& name, const TimingContext& timing, int32_t tick);

// Marker colours are stored as 0x00BBGGRR.
[[nodiscard]] QColor markerColour(uint32_t colourRef);

// Draws the piano roll's parts: the key strip, the ruler with the marker
// strip, the note area (rows, grid, marker lines and notes) and the play line.
class CPianoRollLib {
public:
    explicit CPianoRollLib(bool translucent = false);

    void setTranslucent(bool translucent) { translucent_ = translucent; }
    [[nodiscard]] bool translucent() const { return translucent_; }
    // A renderer of the chosen kind over `painter`.
    [[nodiscard]] std::unique_ptr<CPianoRenderBase> createRender(QPainter& painter) const;

    void setTiming(const TimingContext& timing) { timing_ = timing; }
    [[nodiscard]] const TimingContext& timing() const { return timing_; }
    void setRowHeight(int pixels) { rowHeight_ = std::max(1, pixels); }
    [[nodiscard]] int rowHeight() const { return rowHeight_; }
    void setCurrentTrack(int slot) { currentTrack_ = slot; }
    [[nodiscard]] int currentTrack() const { return currentTrack_; }
    // Full height draws every note box over its whole row; otherwise the
    // box's height grows with the note's volume.
    void setFullHeight(bool full) { fullHeight_ = full; }
    [[nodiscard]] bool fullHeight() const { return fullHeight_; }
    void setTrackVisible(int slot, bool visible);
    [[nodiscard]] bool trackVisible(int slot) const;
    void setTrackMode(int slot, PianoNoteMode mode);
    [[nodiscard]] PianoNoteMode trackMode(int slot) const;

    [[nodiscard]] const QFont& font() const { return font_; }

    // Height of all key rows in pixels.
    [[nodiscard]] int contentHeight() const { return kPianoRows * rowHeight_; }
    // Top of a note's row within the content (row 0 = note 119).
    [[nodiscard]] int rowTop(int noteNumber) const { return (kPianoTopNote - noteNumber) * rowHeight_; }
    // The box of a note within the note area (scroll applied).
    [[nodiscard]] PianoNoteRect noteRect(const TrackEvent& note, int slot, const PianoView& view) const;

    // The key strip into `area` (40 px wide), rows shifted up by `scrollY`.
    void drawKeyStrip(QPainter& painter, const QRect& area, int scrollY) const;
    // The ruler (marker strip above, measure band below) into `area`, whose
    // left edge is the note area's.
    void drawRuler(QPainter& painter, const QRect& area, const PianoView& view, const Song* song) const;
    // The note area into `area`: rows, beat and measure lines, marker lines,
    // the other visible tracks' notes, then the current track's on top.
    void drawNoteArea(QPainter& painter, const QRect& area, const PianoView& view, const Song* song) const;
    // The play line at widget x from y = top to y = bottom (inclusive).
    void drawPlayLine(QPainter& painter, int x, int top, int bottom) const;
    // The empty corner above the key strip.
    void drawCorner(QPainter& painter, const QRect& area) const;

    // The marker flags of the strip, from the song start to the last marker,
    // in x relative to the note area's left edge.
    [[nodiscard]] std::vector<PianoMarkerFlag> markerFlags(const Song& song, const PianoView& view) const;
    // The topmost visible note containing `pos` (note area coordinates):
    // its slot and its index within the track's event list.
    [[nodiscard]] std::optional<std::pair<int, int>> noteAt(const Song& song, const PianoView& view, QPoint pos) const;

private:
    void drawTrackNotes(IPianoRender& render, const Track& track, int slot, const PianoView& view) const;
    [[nodiscard]] bool drawsTrack(const Song& song, int slot) const;

    bool translucent_ = false;
    TimingContext timing_{};
    int rowHeight_ = 10;
    int currentTrack_ = 0;
    bool fullHeight_ = false;
    std::array<bool, kTrackCount> visible_{};
    std::array<PianoNoteMode, kTrackCount> modes_{};
    QFont font_;
};

}  // namespace zema
