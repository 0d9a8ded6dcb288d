#pragma once

#include <QColor>
#include <QPainter>
#include <array>

namespace zema {

// One drawing style of the piano roll: a pen and a brush. A colour with alpha
// 0 means "no pen" or "no brush"; pen width 0 means 1 pixel; hatch 0 is a
// solid brush, other values a hatched one (only the marker strip uses one).
struct PianoStyle {
    int id = 0;
    QColor pen{0, 0, 0, 0};
    int penWidth = 0;
    QColor brush{0, 0, 0, 0};
    int hatch = 0;
};

inline constexpr int kPianoStyleCount = 60;

// The fixed style list, ordered by id (ids 1..24, 27..30 and 33..64).
[[nodiscard]] const std::array<PianoStyle, kPianoStyleCount>& pianoStyles();
// The style with `id`, or nullptr for an id the list lacks.
[[nodiscard]] const PianoStyle* pianoStyle(int id);

// Style ids of the note colours: notes (box and diamond) of track t use
// kNoteStyle + t, the highlight lines inside a note box kHighlightStyle + t.
// Their colours come from the shared track colour table (track_colours.h).
inline constexpr int kNoteStyle = 33;
inline constexpr int kHighlightStyle = 49;

// The drawing operations the piano roll uses, over a painter. The opaque
// renderer ignores every alpha value (a style either draws fully or not at
// all); the translucent one blends with the styles' alpha.
class IPianoRender {
public:
    virtual ~IPianoRender() = default;
    IPianoRender(const IPianoRender&) = delete;
    IPianoRender& operator=(const IPianoRender&) = delete;

    // The painter everything is drawn with (for text and unstyled drawing).
    [[nodiscard]] virtual QPainter& surface() = 0;
    // The pixels [left, right) x [top, bottom): outlined with the pen and
    // filled inside with the brush; a box one pixel wide or narrower is a
    // single column.
    virtual void Box(int style, int left, int top, int right, int bottom) = 0;
    // The polygon (x, y), (x + size/2, y + size/2), (x, y + 2 (size/2)),
    // (x - size/2, y + size/2), filled and outlined.
    virtual void Diamond(int style, int x, int y, int size) = 0;
    // A line including both end points, with the style's pen.
    virtual void Line(int style, int x1, int y1, int x2, int y2) = 0;

protected:
    IPianoRender() = default;
};

// The shared implementation; the two renderers differ only in alpha.
class CPianoRenderBase : public IPianoRender {
public:
    [[nodiscard]] QPainter& surface() override { return painter_; }
    void Box(int style, int left, int top, int right, int bottom) override;
    void Diamond(int style, int x, int y, int size) override;
    void Line(int style, int x1, int y1, int x2, int y2) override;

    [[nodiscard]] bool translucent() const { return translucent_; }
    // The pen or brush colour the renderer draws a style with; invalid (no
    // drawing) for a missing pen or brush.
    [[nodiscard]] QColor penColour(int style) const;
    [[nodiscard]] QColor brushColour(int style) const;

    ~CPianoRenderBase() override;

protected:
    // Saves the painter's state; the destructor restores it.
    CPianoRenderBase(QPainter& painter, bool translucent);

private:
    [[nodiscard]] QPen penOf(const PianoStyle& style) const;
    [[nodiscard]] QBrush brushOf(const PianoStyle& style) const;

    QPainter& painter_;
    bool translucent_;
};

// Opaque renderer (the classic one): alpha ignored.
class CPianoGdiRender final : public CPianoRenderBase {
public:
    explicit CPianoGdiRender(QPainter& painter) : CPianoRenderBase(painter, false) {}
};

// Translucent renderer: note fills are blended with their alpha of 150.
class CPianoGdiPlusRender final : public CPianoRenderBase {
public:
    explicit CPianoGdiPlusRender(QPainter& painter) : CPianoRenderBase(painter, true) {}
};

}  // namespace zema
