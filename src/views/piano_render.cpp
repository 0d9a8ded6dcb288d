#include "views/piano_render.h"

#include <QPolygon>
#include <algorithm>

#include "views/track_colours.h"

namespace zema {

namespace {

struct Rgb {
    int r, g, b;
};

// The lighter pens of the highlight lines inside note boxes.
constexpr std::array<Rgb, 16> kTrackLight = {{{248, 201, 235},
                                              {197, 229, 184},
                                              {201, 201, 248},
                                              {239, 251, 197},
                                              {255, 203, 152},
                                              {251, 239, 165},
                                              {150, 218, 234},
                                              {248, 202, 202},
                                              {225, 183, 215},
                                              {250, 230, 250},
                                              {253, 224, 196},
                                              {211, 200, 224},
                                              {198, 234, 246},
                                              {234, 213, 192},
                                              {150, 228, 182},
                                              {255, 233, 233}}};

constexpr int kNoteAlpha = 150;

QColor colour(Rgb c, int alpha = 255) { return QColor(c.r, c.g, c.b, alpha); }
QColor rgb(int r, int g, int b) { return QColor(r, g, b); }
const QColor kNone(0, 0, 0, 0);

std::array<PianoStyle, kPianoStyleCount> buildStyles()
{
    std::array<PianoStyle, kPianoStyleCount> list{};
    size_t next = 0;
    auto add = [&](int id, QColor pen, int penWidth, QColor brush, int hatch = 0) {
        list[next++] = PianoStyle{id, pen, penWidth, brush, hatch};
    };
    add(1, kNone, 0, kNone);
    add(2, rgb(96, 96, 96), 0, rgb(0, 51, 92));
    add(3, kNone, 0, rgb(247, 250, 255));
    add(4, rgb(216, 215, 211), 0, kNone);
    add(5, rgb(165, 164, 160), 0, kNone);
    add(6, kNone, 0, rgb(0, 128, 255));
    add(7, rgb(0, 0, 0), 0, rgb(84, 84, 84));
    add(8, rgb(107, 107, 107), 0, rgb(107, 107, 107));
    add(9, rgb(71, 71, 71), 0, rgb(71, 71, 71));
    add(10, kNone, 0, rgb(0, 0, 0));
    add(11, rgb(255, 255, 255), 0, kNone);
    add(12, rgb(195, 194, 192), 0, kNone);
    add(13, rgb(195, 194, 192), 0, kNone);
    add(14, rgb(170, 169, 167), 0, kNone);
    add(15, rgb(168, 167, 165), 0, kNone);
    add(16, rgb(142, 142, 142), 0, rgb(200, 200, 200), 6);
    add(17, rgb(224, 40, 40), 2, kNone);
    add(18, rgb(0, 0, 0), 0, rgb(128, 128, 128));
    add(19, rgb(74, 74, 74), 0, kNone);
    add(20, rgb(48, 48, 48), 0, kNone);
    add(21, kNone, 0, rgb(89, 89, 89));
    add(22, kNone, 0, rgb(101, 101, 101));
    add(23, kNone, 0, rgb(96, 96, 96));
    add(24, kNone, 0, rgb(85, 85, 85));
    add(27, kNone, 0, rgb(242, 211, 206));
    add(28, kNone, 0, rgb(222, 190, 183));
    add(29, kNone, 0, rgb(208, 179, 170));
    add(30, kNone, 0, rgb(229, 198, 194));
    const auto& tracks = trackColourTable();
    auto translucent = [](QColor c) {
        c.setAlpha(kNoteAlpha);
        return c;
    };
    for (size_t t = 0; t < 16; ++t)
        add(kNoteStyle + static_cast<int>(t), tracks[t].pen, 0, translucent(tracks[t].fill));
    for (size_t t = 0; t < 16; ++t) {
        // Track 13's highlight style has a fill of its own.
        const QColor fill = t == 13 ? rgb(204, 153, 102) : tracks[t].fill;
        add(kHighlightStyle + static_cast<int>(t), colour(kTrackLight[t], kNoteAlpha), 0, translucent(fill));
    }
    return list;
}

// The hatch numbers of the style list as Qt patterns: 1 to 5 are the
// horizontal, vertical, two diagonal and the two cross hatches; 6 (the
// marker strip's) is drawn as the diagonal cross hatch.
Qt::BrushStyle hatchPattern(int hatch)
{
    switch (hatch) {
    case 0: return Qt::SolidPattern;
    case 1: return Qt::HorPattern;
    case 2: return Qt::VerPattern;
    case 3: return Qt::FDiagPattern;
    case 4: return Qt::BDiagPattern;
    case 5: return Qt::CrossPattern;
    default: return Qt::DiagCrossPattern;
    }
}

}  // namespace

const std::array<PianoStyle, kPianoStyleCount>& pianoStyles()
{
    static const std::array<PianoStyle, kPianoStyleCount> styles = buildStyles();
    return styles;
}

const PianoStyle* pianoStyle(int id)
{
    const auto& styles = pianoStyles();
    const auto it = std::lower_bound(styles.begin(), styles.end(), id,
                                     [](const PianoStyle& style, int wanted) { return style.id < wanted; });
    return it != styles.end() && it->id == id ? &*it : nullptr;
}

CPianoRenderBase::CPianoRenderBase(QPainter& painter, bool translucent) : painter_(painter), translucent_(translucent)
{
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setBackgroundMode(Qt::TransparentMode);
}

CPianoRenderBase::~CPianoRenderBase() { painter_.restore(); }

QColor CPianoRenderBase::penColour(int style) const
{
    const PianoStyle* s = pianoStyle(style);
    if (!s || s->pen.alpha() == 0) return {};
    QColor c = s->pen;
    if (!translucent_) c.setAlpha(255);
    return c;
}

QColor CPianoRenderBase::brushColour(int style) const
{
    const PianoStyle* s = pianoStyle(style);
    if (!s || s->brush.alpha() == 0) return {};
    QColor c = s->brush;
    if (!translucent_) c.setAlpha(255);
    return c;
}

QPen CPianoRenderBase::penOf(const PianoStyle& style) const
{
    const QColor c = penColour(style.id);
    if (!c.isValid()) return Qt::NoPen;
    QPen pen(c);
    pen.setWidth(std::max(1, style.penWidth));
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

QBrush CPianoRenderBase::brushOf(const PianoStyle& style) const
{
    const QColor c = brushColour(style.id);
    if (!c.isValid()) return Qt::NoBrush;
    return QBrush(c, hatchPattern(style.hatch));
}

void CPianoRenderBase::Box(int style, int left, int top, int right, int bottom)
{
    const PianoStyle* s = pianoStyle(style);
    if (!s || bottom <= top || right < left) return;
    const QPen pen = penOf(*s);
    const QBrush brush = brushOf(*s);
    const int height = bottom - top;
    if (right - left <= 1) {
        // Too narrow for an outline and an inside: one column.
        const QRect column(left, top, 1, height);
        if (pen.style() != Qt::NoPen) painter_.fillRect(column, pen.color());
        else if (brush.style() != Qt::NoBrush) painter_.fillRect(column, brush);
        return;
    }
    const QRect inner(left, top, right - left - 1, height - 1);
    if (brush.style() != Qt::NoBrush) {
        // Without an outline the fill covers the whole box.
        painter_.fillRect(pen.style() == Qt::NoPen ? QRect(left, top, right - left, height) : inner, brush);
    }
    if (pen.style() != Qt::NoPen) {
        painter_.setPen(pen);
        painter_.setBrush(Qt::NoBrush);
        if (height == 1) painter_.drawLine(left, top, right - 1, top);
        else painter_.drawRect(inner);  // the outline covers left..right-1, top..bottom-1
    }
}

void CPianoRenderBase::Diamond(int style, int x, int y, int size)
{
    const PianoStyle* s = pianoStyle(style);
    if (!s) return;
    const int half = size / 2;
    const QPolygon polygon({QPoint(x, y), QPoint(x + half, y + half), QPoint(x, y + 2 * half), QPoint(x - half, y + half)});
    painter_.setPen(penOf(*s));
    painter_.setBrush(brushOf(*s));
    painter_.drawPolygon(polygon);
}

void CPianoRenderBase::Line(int style, int x1, int y1, int x2, int y2)
{
    const PianoStyle* s = pianoStyle(style);
    if (!s) return;
    const QPen pen = penOf(*s);
    if (pen.style() == Qt::NoPen) return;
    painter_.setPen(pen);
    painter_.drawLine(x1, y1, x2, y2);
}

}  // namespace zema
