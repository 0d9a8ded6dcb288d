#include "views/piano_roll_ctrl.h"

#include "app/window_texts.h"
#include "core/strings.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>

#include "core/timing.h"

namespace zema {

namespace {

constexpr int kWheelNotch = 120;
constexpr int kRowsPerNotch = 3;
constexpr int kInitialTopOctave = 5;
constexpr int kVolumeTipId = 11566;

// The next zoom step below (direction < 0) or above (direction > 0) `value`;
// `value` itself when the list has none.
template <size_t N>
int nextStep(const std::array<int, N>& steps, int value, int direction)
{
    if (direction > 0) {
        for (int step : steps)
            if (step > value) return step;
    } else {
        for (auto it = steps.rbegin(); it != steps.rend(); ++it)
            if (*it < value) return *it;
    }
    return value;
}

}  // namespace

CPianoRollCtrl::CPianoRollCtrl(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::WheelFocus);
    lib_.setRowHeight(8);
    hbar_ = new QScrollBar(Qt::Horizontal, this);
    vbar_ = new QScrollBar(Qt::Vertical, this);
    connect(hbar_, &QScrollBar::valueChanged, this, [this](int value) {
        if (!syncing_) setFirstColumn(value);
    });
    connect(vbar_, &QScrollBar::valueChanged, this, [this](int value) {
        if (!syncing_) setScrollY(value);
    });
    layoutScrollBars();
    setScrollY((8 - kInitialTopOctave) * 12 * lib_.rowHeight());
}

CPianoRollCtrl::~CPianoRollCtrl() = default;

void CPianoRollCtrl::setSong(const Song* song)
{
    song_ = song;
    songChanged();
}

void CPianoRollCtrl::songChanged()
{
    lib_.setTiming(song_ ? song_->timing : TimingContext{});
    refreshNotes();
    syncScrollBars();
    invalidateCache();
}

void CPianoRollCtrl::setCurrentTrack(int slot)
{
    if (slot != lib_.currentTrack()) selection_.clear();
    lib_.setCurrentTrack(slot);
    refreshNotes();
    invalidateCache();
}

void CPianoRollCtrl::setTrackSelection(const std::array<bool, kTrackCount>& visible,
                                       const std::array<bool, kTrackCount>& emphasised)
{
    for (int slot = 0; slot < kTrackCount; ++slot) {
        const auto index = static_cast<size_t>(slot);
        lib_.setTrackVisible(slot, visible[index]);
        lib_.setTrackMode(slot, emphasised[index] ? PianoNoteMode::Box : PianoNoteMode::Diamond);
    }
    invalidateCache();
}

void CPianoRollCtrl::setRenderer(bool translucent)
{
    lib_.setTranslucent(translucent);
    invalidateCache();
}

void CPianoRollCtrl::setFullHeight(bool full)
{
    lib_.setFullHeight(full);
    invalidateCache();
}

void CPianoRollCtrl::setMagnification(int hmag, int vmag)
{
    const int firstTick = firstVisibleTick();
    const int oldRow = scrollY_ / lib_.rowHeight();
    ticksPerColumn_ = std::clamp(hmag, kPianoMinTicksPerColumn, kPianoMaxTicksPerColumn);
    lib_.setRowHeight(std::clamp(vmag, kPianoMinRowHeight, kPianoMaxRowHeight));
    firstColumn_ = firstTick / ticksPerColumn_;
    scrollY_ = oldRow * lib_.rowHeight();
    syncScrollBars();
    invalidateCache();
}

int CPianoRollCtrl::scrollBarExtent() const { return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this); }

QRect CPianoRollCtrl::noteAreaRect() const
{
    const int extent = scrollBarExtent();
    const int lane = laneVisible_ ? kPianoVolumeLaneHeight : 0;
    return QRect(kPianoNoteLeft, kPianoRulerHeight, std::max(0, width() - kPianoNoteLeft - extent),
                 std::max(0, height() - kPianoRulerHeight - extent - lane));
}

QRect CPianoRollCtrl::volumeLaneRect() const
{
    if (!laneVisible_) return {};
    const QRect area = noteAreaRect();
    return QRect(kPianoNoteLeft, area.bottom() + 1, area.width(), kPianoVolumeLaneHeight);
}

int CPianoRollCtrl::columnsThatFit() const { return noteAreaRect().width() / kPianoColumnWidth; }

int CPianoRollCtrl::contentEndTick() const
{
    if (!song_) return 0;
    int32_t end = songEndTick(*song_);
    for (const Marker& marker : song_->markers) end = std::max(end, marker.tick);
    // Room for one more measure after the end, to place markers there.
    return end + ticksPerMeasure(song_->timing);
}

int CPianoRollCtrl::largestFirstColumn() const
{
    const int columns = (contentEndTick() + ticksPerColumn_ - 1) / ticksPerColumn_;
    return std::max(0, columns - columnsThatFit());
}

int CPianoRollCtrl::largestScrollY() const { return std::max(0, lib_.contentHeight() - noteAreaRect().height()); }

PianoView CPianoRollCtrl::view() const
{
    const QRect area = noteAreaRect();
    PianoView v;
    v.leftTick = firstVisibleTick();
    v.ticksPerColumn = ticksPerColumn_;
    v.columnWidth = kPianoColumnWidth;
    v.width = area.width();
    v.height = area.height();
    v.scrollY = scrollY_;
    return v;
}

int CPianoRollCtrl::xOfTick(int tick) const { return kPianoNoteLeft + view().xOfTick(tick); }

int CPianoRollCtrl::tickOfX(int x) const { return view().tickOfX(x - kPianoNoteLeft); }

QRect CPianoRollCtrl::playLineRect(int tick) const
{
    const QRect area = noteAreaRect();
    if (tick < firstVisibleTick()) return {};
    const int x = xOfTick(tick);
    if (x < area.left() || x > area.right()) return {};
    // From y = 1 down to the bottom of the note area, across the ruler.
    return QRect(x, 1, 1, kPianoRulerHeight + area.height() - 1);
}

QRect CPianoRollCtrl::noteRect(int slot, int index) const
{
    if (!song_ || slot < 0 || slot >= kTrackCount) return {};
    const EventList& events = song_->tracks[static_cast<size_t>(slot)].events;
    if (index < 0 || static_cast<size_t>(index) >= events.size()) return {};
    const TrackEvent& event = events[static_cast<size_t>(index)];
    if (event.kind != TrackEventKind::Note) return {};
    const PianoNoteRect r = lib_.noteRect(event, slot, view());
    return QRect(QPoint(kPianoNoteLeft + r.left, kPianoRulerHeight + r.top),
                 QPoint(kPianoNoteLeft + std::max(r.right, r.left + 1) - 1, kPianoRulerHeight + r.bottom - 1));
}

void CPianoRollCtrl::SetPlayPosition(int tick)
{
    const QRect before = playLineRect(playPosition_);
    playPosition_ = tick;
    const QRect after = playLineRect(tick);
    QRegion region;
    if (!before.isEmpty()) region += before;
    if (!after.isEmpty()) region += after;
    if (!region.isEmpty()) update(region);
}

int CPianoRollCtrl::PageTo(int tick, int octave)
{
    setFirstColumn(std::min(std::max(0, tick) / ticksPerColumn_, largestFirstColumn()));
    if (octave >= 1 && octave <= 8) setScrollY((8 - octave) * 12 * lib_.rowHeight());
    return firstColumn_;
}

void CPianoRollCtrl::followPlayPosition(int tick, bool pianoScroll)
{
    SetPlayPosition(tick);
    if (!pianoScroll) return;
    const int first = firstVisibleTick();
    if (tick < first || tick >= first + visibleSpan()) PageTo(tick, 0);
}

void CPianoRollCtrl::setFirstColumn(int column)
{
    column = std::clamp(column, 0, largestFirstColumn());
    if (column != firstColumn_) {
        firstColumn_ = column;
        invalidateCache();
    }
    if (hbar_->value() != column) {
        const QSignalBlocker blocker(hbar_);
        hbar_->setValue(column);
    }
}

void CPianoRollCtrl::setScrollY(int y)
{
    y = std::clamp(y, 0, largestScrollY());
    if (y != scrollY_) {
        scrollY_ = y;
        invalidateCache();
    }
    if (vbar_->value() != y) {
        const QSignalBlocker blocker(vbar_);
        vbar_->setValue(y);
    }
}

void CPianoRollCtrl::layoutScrollBars()
{
    const int extent = scrollBarExtent();
    const QRect area = noteAreaRect();
    hbar_->setGeometry(kPianoNoteLeft, height() - extent, area.width(), extent);
    vbar_->setGeometry(width() - extent, kPianoRulerHeight, extent, area.height());
}

void CPianoRollCtrl::syncScrollBars()
{
    syncing_ = true;
    hbar_->setRange(0, largestFirstColumn());
    hbar_->setPageStep(std::max(1, columnsThatFit()));
    hbar_->setSingleStep(1);
    vbar_->setRange(0, largestScrollY());
    vbar_->setPageStep(std::max(1, noteAreaRect().height()));
    vbar_->setSingleStep(lib_.rowHeight());
    syncing_ = false;
    // Ranges may have shrunk: keep the view inside them.
    const int column = firstColumn_;
    firstColumn_ = -1;
    setFirstColumn(column);
    const int y = scrollY_;
    scrollY_ = -1;
    setScrollY(y);
}

void CPianoRollCtrl::invalidateCache()
{
    cacheValid_ = false;
    update();
}

void CPianoRollCtrl::renderCache()
{
    const QRect area = noteAreaRect();
    const QSize size(area.right() + 1, area.bottom() + 1);
    const qreal ratio = devicePixelRatioF();
    if (cache_.size() != size * ratio || cache_.devicePixelRatio() != ratio) {
        cache_ = QImage(size * ratio, QImage::Format_RGB32);
        cache_.setDevicePixelRatio(ratio);
    }
    cache_.fill(Qt::black);
    QPainter painter(&cache_);
    const PianoView v = view();
    lib_.drawCorner(painter, QRect(0, 0, kPianoNoteLeft, kPianoRulerHeight));
    lib_.drawRuler(painter, QRect(kPianoNoteLeft, 0, area.width(), kPianoRulerHeight), v, song_);
    lib_.drawKeyStrip(painter, QRect(0, kPianoRulerHeight, kPianoKeyStripWidth, area.height()), scrollY_);
    lib_.drawNoteArea(painter, area, v, song_);
    cacheValid_ = true;
}

void CPianoRollCtrl::paintEvent(QPaintEvent* event)
{
    if (!cacheValid_) renderCache();
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawImage(QPoint(0, 0), cache_);
    // What the scroll bars leave: above the vertical one, left of the
    // horizontal one and the square between them.
    const int extent = scrollBarExtent();
    painter.fillRect(QRect(width() - extent, 0, extent, kPianoRulerHeight), palette().window());
    painter.fillRect(QRect(0, height() - extent, kPianoNoteLeft, extent), palette().window());
    painter.fillRect(QRect(width() - extent, height() - extent, extent, extent), palette().window());
    drawVolumeLane(painter);
    drawEditOverlay(painter);
    const QRect line = playLineRect(playPosition_);
    if (!line.isEmpty()) lib_.drawPlayLine(painter, line.x(), line.top(), line.bottom());
}

void CPianoRollCtrl::resizeEvent(QResizeEvent*)
{
    layoutScrollBars();
    syncScrollBars();
    invalidateCache();
    if (revealPending_) (void)revealCurrentNotes();
}

int CPianoRollCtrl::markerIndexAt(QPoint pos) const
{
    if (!song_ || pos.y() < 0 || pos.y() >= kPianoRulerHeight || pos.x() < kPianoNoteLeft) return -1;
    const std::vector<PianoMarkerFlag> flags = lib_.markerFlags(*song_, view());
    // Later flags are drawn over earlier ones.
    for (auto it = flags.rbegin(); it != flags.rend(); ++it) {
        const int x = pos.x() - kPianoNoteLeft;
        if (x >= it->left && x < it->right) return it->index;
    }
    return -1;
}

QString CPianoRollCtrl::tooltipAt(QPoint pos) const
{
    if (!song_) return {};
    if (pos.y() < kPianoMarkerStripHeight) {
        const int index = markerIndexAt(pos);
        if (index < 0) return {};
        const Marker marker = markerAt(*song_, index);
        return pianoMarkerTooltip(QString::fromStdU16String(marker.name), song_->timing, startTickOfMarker(*song_, index));
    }
    if (volumeLaneRect().contains(pos)) return QString::fromStdU16String(loadString(kVolumeTipId));
    const QRect area = noteAreaRect();
    if (!area.contains(pos)) return {};
    const auto hit = lib_.noteAt(*song_, view(), pos - area.topLeft());
    if (!hit) return {};
    return pianoNoteTooltip(song_->tracks[static_cast<size_t>(hit->first)].events[static_cast<size_t>(hit->second)]);
}

std::unique_ptr<QMenu> CPianoRollCtrl::createMarkerMenu(int markerIndex) const
{
    auto menu = std::make_unique<QMenu>();
    // Without a handler (no marker editing in this window) the entries show but cannot be chosen.
    const bool handled = static_cast<bool>(onMarkerCommand) && (!canEditMarkers || canEditMarkers());
    const bool onMarker = handled && markerIndex >= 1;  // the song start can be neither edited nor deleted
    auto add = [&](const char* name, int command, bool enabled) {
        QAction* action =
            menu->addAction(QString::fromStdU16String(windowText(u"Piano Roll Marker Menu", name)));
        action->setObjectName(QString::fromLatin1(name));
        action->setData(command);
        action->setEnabled(enabled);
    };
    add("IDM_MARKER_CREATE", kMarkerCreateCommand, handled);
    add("IDM_MARKER_DEL", kMarkerDeleteCommand, onMarker);
    add("IDM_MARKER_EDIT", kMarkerEditCommand, onMarker);
    menu->addSeparator();
    add("IDM_CANCEL", kMarkerCancelCommand, true);
    return menu;
}

void CPianoRollCtrl::runMarkerCommand(int command, QPoint pos)
{
    if (!onMarkerCommand) return;
    const int index = markerIndexAt(pos);
    const int tick = std::max(0, tickOfX(pos.x()));
    switch (command) {
    case kMarkerCreateCommand: onMarkerCommand(command, tick, index); break;
    case kMarkerDeleteCommand:
    case kMarkerEditCommand:
        if (index >= 1) onMarkerCommand(command, tick, index);
        break;
    default: break;  // cancel
    }
}

void CPianoRollCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    const QPoint pos = event->pos();
    if (pos.y() >= kPianoRulerHeight || pos.x() < kPianoNoteLeft || pos.x() >= noteAreaRect().right() + 1) {
        event->ignore();
        return;
    }
    const auto menu = createMarkerMenu(markerIndexAt(pos));
    if (QAction* chosen = menu->exec(event->globalPos())) runMarkerCommand(chosen->data().toInt(), pos);
}

void CPianoRollCtrl::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const QRect area = noteAreaRect();
    const bool inLane = volumeLaneRect().contains(pos);
    if (event->button() != Qt::LeftButton || !song_ || !(area.contains(pos) || inLane)) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (editing()) {
        beginEditDrag(event);
        if (drag_.kind != DragKind::Pending && drag_.kind != DragKind::Band && drag_.kind != DragKind::Volume) {
            // A note of the current track was taken: its text is shown too.
            const auto hit = lib_.noteAt(*song_, view(), pos - area.topLeft());
            if (hit && hit->first == lib_.currentTrack() && onNoteClicked) onNoteClicked(hit->first, hit->second);
        }
        return;
    }
    if (inLane) return;
    const auto hit = lib_.noteAt(*song_, view(), pos - area.topLeft());
    if (hit && onNoteClicked) onNoteClicked(hit->first, hit->second);
}

bool CPianoRollCtrl::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = tooltipAt(help->pos());
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), text.trimmed(), this);
        }
        return true;
    }
    return QWidget::event(event);
}

void CPianoRollCtrl::zoomHorizontal(int direction, int anchorX)
{
    const QRect area = noteAreaRect();
    anchorX = std::clamp(anchorX, area.left(), std::max(area.left(), area.right()));
    const int anchorTick = std::max(0, tickOfX(anchorX));
    // Zooming in means fewer ticks per column.
    const int next = nextStep(kPianoHorizontalSteps, ticksPerColumn_, -direction);
    if (next == ticksPerColumn_) return;
    ticksPerColumn_ = next;
    const int64_t offset = static_cast<int64_t>(anchorX - kPianoNoteLeft) * next / kPianoColumnWidth;
    firstColumn_ = static_cast<int>(std::max<int64_t>(0, anchorTick - offset) / next);
    syncScrollBars();
    invalidateCache();
    if (onMagnificationChanged) onMagnificationChanged(ticksPerColumn_, lib_.rowHeight());
}

void CPianoRollCtrl::zoomVertical(int direction)
{
    const int next = nextStep(kPianoVerticalSteps, lib_.rowHeight(), direction);
    if (next == lib_.rowHeight()) return;
    const int half = noteAreaRect().height() / 2;
    const int centreRow = (scrollY_ + half) / lib_.rowHeight();
    lib_.setRowHeight(next);
    scrollY_ = centreRow * next - half;
    syncScrollBars();
    invalidateCache();
    if (onMagnificationChanged) onMagnificationChanged(ticksPerColumn_, lib_.rowHeight());
}

void CPianoRollCtrl::wheelEvent(QWheelEvent* event)
{
    const QPoint angle = event->angleDelta();
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    if (delta == 0) {
        event->ignore();
        return;
    }
    const int notches = delta / kWheelNotch != 0 ? delta / kWheelNotch : (delta > 0 ? 1 : -1);
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers & Qt::ControlModifier) {
        if (modifiers & Qt::ShiftModifier) zoomVertical(notches > 0 ? 1 : -1);
        else zoomHorizontal(notches > 0 ? 1 : -1, event->position().toPoint().x());
    } else if ((modifiers & Qt::ShiftModifier) || angle.y() == 0) {
        setFirstColumn(firstColumn_ - notches);
    } else {
        setScrollY(scrollY_ - notches * kRowsPerNotch * lib_.rowHeight());
    }
    event->accept();
}

}  // namespace zema
