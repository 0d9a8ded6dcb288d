#include "views/piano_roll_lib.h"

#include <QFontMetrics>
#include <limits>

#include "core/timing.h"

namespace zema {

namespace {

// Far-away x values are held within a range the painter handles safely.
constexpr int64_t kFarX = 1 << 24;

bool isBlackKey(int noteNumber)
{
    switch (((noteNumber % 12) + 12) % 12) {
    case 1:
    case 3:
    case 6:
    case 8:
    case 10: return true;
    default: return false;
    }
}

// Row backgrounds of the note area.
constexpr int kRowWhiteStyle = 23;
constexpr int kRowBlackStyle = 24;
constexpr int kRowCStyle = 22;
constexpr int kOutsideRowsStyle = 21;
constexpr int kBeatLineStyle = 19;
constexpr int kMeasureLineStyle = 20;
constexpr int kSongStartLineStyle = 17;
constexpr int kPlayLineStyle = 6;     // drawn with its brush as a one-pixel column
constexpr int kWhiteKeyStyle = 3;
constexpr int kBlackKeyStyle = 7;
constexpr int kKeyBoundaryStyle = 5;
constexpr int kMarkerStripStyle = 16;
constexpr int kRulerBandStyle = 3;
constexpr int kRulerBorderStyle = 5;
constexpr int kRulerBeatStyle = 14;
constexpr int kRulerMeasureStyle = 20;
constexpr int kCornerStyle = 2;
constexpr int kBlackKeyWidth = 22;

int beatTicks(const TimingContext& timing)
{
    const int32_t denominator = timing.denominator > 0 ? timing.denominator : 4;
    return std::max<int32_t>(1, timing.timebase * 4 / denominator);
}

// First multiple of `step` at or before `tick` (tick >= 0 assumed for steps).
int64_t firstMultipleAtOrBefore(int64_t tick, int64_t step)
{
    if (tick <= 0) return 0;
    return tick / step * step;
}

}  // namespace

int PianoView::xOfTick(int64_t tick) const
{
    const int64_t perColumn = std::max<int32_t>(1, ticksPerColumn);
    const int64_t x = (tick - leftTick) * columnWidth / perColumn;
    return static_cast<int>(std::clamp(x, -kFarX, kFarX));
}

int32_t PianoView::tickOfX(int x) const
{
    const int64_t perColumn = std::max<int32_t>(1, ticksPerColumn);
    const int64_t offset = static_cast<int64_t>(x) * perColumn;
    const int64_t ticks = offset >= 0 ? offset / columnWidth : -((-offset + columnWidth - 1) / columnWidth);
    return static_cast<int32_t>(std::clamp<int64_t>(leftTick + ticks, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int64_t PianoView::rightTick() const
{
    const int64_t perColumn = std::max<int32_t>(1, ticksPerColumn);
    return leftTick + (static_cast<int64_t>(width) * perColumn + columnWidth - 1) / columnWidth;
}

QString pianoNoteTooltip(const TrackEvent& note)
{
    return QString::asprintf("O%d V%d Gate%d\n", note.octave, note.value, note.length);
}

QString pianoMarkerTooltip(const QString& name, const TimingContext& timing, int32_t tick)
{
    const int32_t perMeasure = ticksPerMeasure(timing);
    return QString::asprintf("%s\nMeas %04d:%04d", name.toUtf8().constData(), tick / perMeasure, tick % perMeasure);
}

QColor markerColour(uint32_t colourRef)
{
    return QColor(static_cast<int>(colourRef & 0xFF), static_cast<int>((colourRef >> 8) & 0xFF),
                  static_cast<int>((colourRef >> 16) & 0xFF));
}

CPianoRollLib::CPianoRollLib(bool translucent) : translucent_(translucent)
{
    visible_.fill(true);
    modes_.fill(PianoNoteMode::Box);
    font_ = QFont(QStringLiteral("MS Gothic"));
    font_.setStyleHint(QFont::TypeWriter);
    font_.setFixedPitch(true);
    font_.setPixelSize(12);
    font_.setWeight(QFont::Normal);
}

std::unique_ptr<CPianoRenderBase> CPianoRollLib::createRender(QPainter& painter) const
{
    if (translucent_) return std::make_unique<CPianoGdiPlusRender>(painter);
    return std::make_unique<CPianoGdiRender>(painter);
}

void CPianoRollLib::setTrackVisible(int slot, bool visible)
{
    if (slot >= 0 && slot < kTrackCount) visible_[static_cast<size_t>(slot)] = visible;
}

bool CPianoRollLib::trackVisible(int slot) const
{
    return slot >= 0 && slot < kTrackCount && visible_[static_cast<size_t>(slot)];
}

void CPianoRollLib::setTrackMode(int slot, PianoNoteMode mode)
{
    if (slot >= 0 && slot < kTrackCount) modes_[static_cast<size_t>(slot)] = mode;
}

PianoNoteMode CPianoRollLib::trackMode(int slot) const
{
    return slot >= 0 && slot < kTrackCount ? modes_[static_cast<size_t>(slot)] : PianoNoteMode::Box;
}

PianoNoteRect CPianoRollLib::noteRect(const TrackEvent& note, int slot, const PianoView& view) const
{
    PianoNoteRect rect;
    rect.left = view.xOfTick(note.tick);
    rect.right = view.xOfTick(static_cast<int64_t>(note.tick) + note.length);
    rect.top = rowTop(note.noteNumber) - view.scrollY;
    if (fullHeight_ || trackMode(slot) != PianoNoteMode::Box) {
        rect.bottom = rect.top + rowHeight_;
    } else {
        // Half the row at volume 0, growing to the whole row at volume 15.
        const int volume = std::clamp(note.value, 0, 15);
        rect.bottom = rect.top + (rowHeight_ + 1) / 2 + (rowHeight_ / 2) * volume / 15;
    }
    return rect;
}

bool CPianoRollLib::drawsTrack(const Song& song, int slot) const
{
    return trackVisible(slot) && song.tracks[static_cast<size_t>(slot)].used;
}

void CPianoRollLib::drawTrackNotes(IPianoRender& render, const Track& track, int slot, const PianoView& view) const
{
    const int64_t leftTick = view.leftTick;
    const int64_t rightTick = view.rightTick();
    const bool box = trackMode(slot) == PianoNoteMode::Box;
    for (const TrackEvent& event : track.events) {
        if (event.kind != TrackEventKind::Note) continue;
        if (event.tick >= rightTick) break;  // the list is ordered by tick
        if (static_cast<int64_t>(event.tick) + event.length <= leftTick) continue;
        const PianoNoteRect r = noteRect(event, slot, view);
        if (r.top >= view.height || r.top + rowHeight_ <= 0) continue;
        if (box) {
            render.Box(kNoteStyle + slot, r.left, r.top, r.right, r.bottom);
            if (r.right - r.left >= 4) {
                render.Line(kHighlightStyle + slot, r.left + 1, r.top + 1, r.left + 1, r.bottom - 2);
                render.Line(kHighlightStyle + slot, r.left + 1, r.top + 1, r.right - 2, r.top + 1);
            }
        } else {
            render.Diamond(kNoteStyle + slot, r.left, r.top, rowHeight_);
        }
    }
}

void CPianoRollLib::drawKeyStrip(QPainter& painter, const QRect& area, int scrollY) const
{
    painter.save();
    painter.setClipRect(area);
    painter.translate(area.topLeft());
    {
        auto render = createRender(painter);
        const int width = area.width();
        render->Box(kWhiteKeyStyle, 0, 0, width, area.height());
        const int firstRow = std::max(0, scrollY / rowHeight_);
        const int lastRow = std::min(kPianoRows - 1, (scrollY + area.height()) / rowHeight_);
        QPainter& surface = render->surface();
        surface.setFont(font_);
        surface.setPen(Qt::black);
        for (int row = firstRow; row <= lastRow; ++row) {
            const int note = kPianoTopNote - row;
            const int top = row * rowHeight_ - scrollY;
            const int bottom = top + rowHeight_;
            if (isBlackKey(note)) {
                render->Box(kBlackKeyStyle, 0, top, kBlackKeyWidth, bottom);
            } else if (note % 12 == 0 || note % 12 == 5) {
                // C and F sit on a white neighbour below: mark the boundary.
                render->Line(kKeyBoundaryStyle, 0, bottom - 1, width - 1, bottom - 1);
            }
            if (note % 12 == 0 && rowHeight_ >= 6) {
                const QRect label(0, bottom - 14, width - 3, 14);
                surface.setPen(Qt::black);
                surface.drawText(label, Qt::AlignRight | Qt::AlignBottom,
                                 QString::asprintf("C%d", note / 12 - 1));
            }
        }
    }
    painter.restore();
}

std::vector<PianoMarkerFlag> CPianoRollLib::markerFlags(const Song& song, const PianoView& view) const
{
    std::vector<PianoMarkerFlag> flags;
    const QFontMetrics metrics(font_);
    const int count = static_cast<int>(song.markers.size());
    for (int index = 0; index <= count; ++index) {
        const Marker marker = markerAt(song, index);
        const int32_t tick = startTickOfMarker(song, index);
        const int x = view.xOfTick(tick);
        const int width = metrics.horizontalAdvance(QString::fromStdU16String(marker.name)) + 6;
        const PianoMarkerFlag flag{index, tick, x, x + std::max(8, width)};
        if (flag.right <= 0 || flag.left >= view.width) continue;
        flags.push_back(flag);
    }
    return flags;
}

void CPianoRollLib::drawRuler(QPainter& painter, const QRect& area, const PianoView& view, const Song* song) const
{
    painter.save();
    painter.setClipRect(area);
    painter.translate(area.topLeft());
    {
        auto render = createRender(painter);
        QPainter& surface = render->surface();
        surface.setFont(font_);
        const int width = area.width();
        const int strip = kPianoMarkerStripHeight;
        const int bottom = area.height();

        // Measure band: beat ticks, measure lines and measure numbers.
        render->Box(kRulerBandStyle, 0, strip, width, bottom);
        const int64_t beat = beatTicks(timing_);
        const int64_t measure = ticksPerMeasure(timing_);
        const int64_t right = view.rightTick();
        if (beat * view.columnWidth / std::max(1, view.ticksPerColumn) >= 4) {
            for (int64_t t = firstMultipleAtOrBefore(view.leftTick, beat); t < right; t += beat) {
                const int x = view.xOfTick(t);
                render->Line(kRulerBeatStyle, x, bottom - 5, x, bottom - 1);
            }
        }
        const int measurePixels = static_cast<int>(std::max<int64_t>(1, measure * view.columnWidth / std::max(1, view.ticksPerColumn)));
        const int labelEvery = std::max(1, (40 + measurePixels - 1) / measurePixels);
        const int64_t firstMeasure = firstMultipleAtOrBefore(view.leftTick, measure) / measure;
        const int lineEvery = measurePixels >= 3 ? 1 : labelEvery;
        for (int64_t m = firstMeasure; m * measure < right; ++m) {
            if (m % lineEvery != 0) continue;
            const int x = view.xOfTick(m * measure);
            render->Line(kRulerMeasureStyle, x, strip, x, bottom - 1);
            if (m % labelEvery == 0) {
                surface.setPen(Qt::black);
                surface.drawText(QRect(x + 2, strip, 60, bottom - strip), Qt::AlignLeft | Qt::AlignVCenter,
                                 QString::number(m));
            }
        }
        render->Line(kRulerBorderStyle, 0, bottom - 1, width - 1, bottom - 1);

        // Marker strip: each marker as a flag in its colour with its name.
        render->Box(kMarkerStripStyle, 0, 0, width, strip);
        if (song) {
            const QFontMetrics metrics(font_);
            for (const PianoMarkerFlag& flag : markerFlags(*song, view)) {
                const Marker marker = markerAt(*song, flag.index);
                const QColor colour = markerColour(marker.colour);
                const QRect box(flag.left, 1, flag.right - flag.left, strip - 2);
                surface.fillRect(box, colour);
                surface.setPen(colour.darker(160));
                surface.drawLine(flag.left, 0, flag.left, strip - 1);
                surface.setPen(qGray(colour.rgb()) < 128 ? Qt::white : Qt::black);
                surface.drawText(box.adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                                 QString::fromStdU16String(marker.name));
            }
        }
    }
    painter.restore();
}

void CPianoRollLib::drawNoteArea(QPainter& painter, const QRect& area, const PianoView& view, const Song* song) const
{
    painter.save();
    painter.setClipRect(area);
    painter.translate(area.topLeft());
    {
        auto render = createRender(painter);
        const int width = area.width();
        const int height = area.height();

        // Rows: white keys, black keys and the C of each octave.
        render->Box(kOutsideRowsStyle, 0, 0, width, height);
        const int firstRow = std::max(0, view.scrollY / rowHeight_);
        const int lastRow = std::min(kPianoRows - 1, (view.scrollY + height) / rowHeight_);
        for (int row = firstRow; row <= lastRow; ++row) {
            const int note = kPianoTopNote - row;
            const int top = row * rowHeight_ - view.scrollY;
            const int style = isBlackKey(note) ? kRowBlackStyle : note % 12 == 0 ? kRowCStyle : kRowWhiteStyle;
            render->Box(style, 0, top, width, top + rowHeight_);
            if (note % 12 == 0) render->Line(kMeasureLineStyle, 0, top + rowHeight_ - 1, width - 1, top + rowHeight_ - 1);
        }

        // Beat lines, then measure lines over them.
        const int64_t beat = beatTicks(timing_);
        const int64_t measure = ticksPerMeasure(timing_);
        const int64_t right = view.rightTick();
        const int perColumn = std::max(1, view.ticksPerColumn);
        if (beat * view.columnWidth / perColumn >= 4) {
            for (int64_t t = firstMultipleAtOrBefore(view.leftTick, beat); t < right; t += beat) {
                const int x = view.xOfTick(t);
                render->Line(kBeatLineStyle, x, 0, x, height - 1);
            }
        }
        const int64_t measurePixels = measure * view.columnWidth / perColumn;
        const int64_t measureStep = measure * (measurePixels >= 3 ? 1 : (3 + std::max<int64_t>(measurePixels, 1) - 1) / std::max<int64_t>(measurePixels, 1));
        for (int64_t t = firstMultipleAtOrBefore(view.leftTick, measureStep); t < right; t += measureStep) {
            const int x = view.xOfTick(t);
            render->Line(kMeasureLineStyle, x, 0, x, height - 1);
        }

        if (song) {
            // Marker lines under the notes; the song start in its own style.
            for (int index = 0; index <= static_cast<int>(song->markers.size()); ++index) {
                const int x = view.xOfTick(startTickOfMarker(*song, index));
                if (x < -1 || x > width) continue;
                if (index == 0) {
                    render->Line(kSongStartLineStyle, x, 0, x, height - 1);
                } else {
                    QPainter& surface = render->surface();
                    surface.setPen(QPen(markerColour(markerAt(*song, index).colour), 1));
                    surface.drawLine(x, 0, x, height - 1);
                }
            }

            // The other tracks first, the current track on top of them.
            for (int slot = 0; slot < kTrackCount; ++slot) {
                if (slot != currentTrack_ && drawsTrack(*song, slot))
                    drawTrackNotes(*render, song->tracks[static_cast<size_t>(slot)], slot, view);
            }
            if (currentTrack_ >= 0 && currentTrack_ < kTrackCount && drawsTrack(*song, currentTrack_))
                drawTrackNotes(*render, song->tracks[static_cast<size_t>(currentTrack_)], currentTrack_, view);
        }
    }
    painter.restore();
}

void CPianoRollLib::drawPlayLine(QPainter& painter, int x, int top, int bottom) const
{
    auto render = createRender(painter);
    render->Box(kPlayLineStyle, x, top, x + 1, bottom + 1);
}

void CPianoRollLib::drawCorner(QPainter& painter, const QRect& area) const
{
    auto render = createRender(painter);
    render->Box(kCornerStyle, area.left(), area.top(), area.right() + 1, area.bottom() + 1);
}

std::optional<std::pair<int, int>> CPianoRollLib::noteAt(const Song& song, const PianoView& view, QPoint pos) const
{
    auto hitIn = [&](int slot) -> std::optional<int> {
        if (!drawsTrack(song, slot)) return std::nullopt;
        const EventList& events = song.tracks[static_cast<size_t>(slot)].events;
        const bool box = trackMode(slot) == PianoNoteMode::Box;
        const int half = rowHeight_ / 2;
        // Later notes are drawn over earlier ones: search from the end.
        for (int index = static_cast<int>(events.size()) - 1; index >= 0; --index) {
            const TrackEvent& event = events[static_cast<size_t>(index)];
            if (event.kind != TrackEventKind::Note) continue;
            const PianoNoteRect r = noteRect(event, slot, view);
            const bool hit = box ? pos.x() >= r.left && pos.x() < std::max(r.right, r.left + 1) && pos.y() >= r.top &&
                                       pos.y() < r.bottom
                                 : pos.x() >= r.left - half && pos.x() <= r.left + half && pos.y() >= r.top &&
                                       pos.y() <= r.top + 2 * half;
            if (hit) return index;
        }
        return std::nullopt;
    };
    if (currentTrack_ >= 0 && currentTrack_ < kTrackCount) {
        if (const auto index = hitIn(currentTrack_)) return std::make_pair(currentTrack_, *index);
    }
    for (int slot = kTrackCount - 1; slot >= 0; --slot) {
        if (slot == currentTrack_) continue;
        if (const auto index = hitIn(slot)) return std::make_pair(slot, *index);
    }
    return std::nullopt;
}

}  // namespace zema
