#include "views/code_list_ctrl.h"

#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "app/event_list_text.h"

namespace zema {

namespace {

namespace colours = event_list_colours;
namespace layout = event_list_layout;

QColor toColour(Rgb rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

// Paints the header band's gradient beside the list, above the scroll bar, so
// that the scroll bar starts below the header.
class HeaderCorner final : public QWidget {
public:
    explicit HeaderCorner(QWidget* parent) : QWidget(parent)
    {
        setFixedHeight(layout::kInset + layout::kHeaderHeight + 1);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), toColour(colours::kBackground));
        QLinearGradient gradient(0, layout::kInset, 0, layout::kInset + layout::kHeaderHeight);
        gradient.setColorAt(0, toColour(colours::kHeaderTop));
        gradient.setColorAt(1, toColour(colours::kHeaderBottom));
        painter.fillRect(QRect(0, layout::kInset, width() - layout::kInset, layout::kHeaderHeight), gradient);
        painter.setPen(toColour(colours::kHeaderSeparator));
        const int y = layout::kInset + layout::kHeaderHeight;
        painter.drawLine(0, y, width() - layout::kInset - 1, y);
    }
};

}  // namespace

CCodeListCtrl::CCodeListCtrl(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    addScrollBarWidget(new HeaderCorner(this), Qt::AlignTop);
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setStyleSheet(
        "QScrollBar:vertical { background: rgb(72,72,72); width: 12px; margin: 0; border: none; }"
        "QScrollBar::handle:vertical { background: rgb(128,128,128); min-height: 16px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }");
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);

    font_.setFamilies({QStringLiteral("MS Gothic"), QStringLiteral("monospace")});
    font_.setPixelSize(layout::kRowHeight - 1);
    font_.setWeight(QFont::Normal);
    font_.setStyleHint(QFont::TypeWriter);
    font_.setFixedPitch(true);
    // The columns assume half-width characters of 6 px (half the font height);
    // condense a wider substitute font so that the event part does not collide
    // with the position part.
    const int advance = QFontMetrics(font_).horizontalAdvance(QLatin1Char('0'));
    constexpr int kCharacterWidth = (layout::kRowHeight - 1) / 2;
    if (advance > kCharacterWidth) font_.setStretch(100 * kCharacterWidth / advance);
    updateScrollRange();
}

void CCodeListCtrl::setTrack(const EventList* events, const TimingContext& timing)
{
    events_ = events;
    timing_ = timing;
    if (currentRow_ >= rowCount()) currentRow_ = -1;
    updateScrollRange();
    viewport()->update();
}

int CCodeListCtrl::rowCount() const { return events_ ? static_cast<int>(events_->size()) : 0; }

int CCodeListCtrl::firstVisibleRow() const { return verticalScrollBar()->value(); }

void CCodeListCtrl::setFirstVisibleRow(int row) { verticalScrollBar()->setValue(std::clamp(row, 0, largestFirstRow())); }

int CCodeListCtrl::rowsThatFit() const
{
    return std::max(0, (viewport()->height() - 2 * layout::kInset - layout::kRowsTop) / layout::kRowHeight);
}

int CCodeListCtrl::largestFirstRow() const { return std::max(0, rowCount() - rowsThatFit()); }

void CCodeListCtrl::MarkRow(int index)
{
    if (index == markedRow_) return;
    const int old = markedRow_;
    markedRow_ = index;
    updateRow(old);
    updateRow(index);
}

bool CCodeListCtrl::ScrollToRow(int index)
{
    if (index < 0) index = markedRow_;
    if (index < 0) return false;
    const int first = firstVisibleRow();
    if (index >= first && index < first + rowsThatFit()) return false;
    const int target = std::min(index, largestFirstRow());
    if (target == first) return false;
    verticalScrollBar()->setValue(target);
    return true;
}

void CCodeListCtrl::setCurrentRow(int row)
{
    row = row < 0 || rowCount() == 0 ? -1 : std::min(row, rowCount() - 1);
    if (row == currentRow_) return;
    const int old = currentRow_;
    currentRow_ = row;
    updateRow(old);
    updateRow(row);
    if (row < 0) return;
    // Keep the selected row fully in view.
    const int first = firstVisibleRow();
    const int fit = std::max(1, rowsThatFit());
    if (row < first) setFirstVisibleRow(row);
    else if (row >= first + fit) setFirstVisibleRow(row - fit + 1);
}

QImage CCodeListCtrl::renderImage(QSize size) const
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    paintList(painter, size);
    return image;
}

void CCodeListCtrl::updateScrollRange()
{
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(std::max(1, rowsThatFit()));
    bar->setRange(0, largestFirstRow());
}

QRect CCodeListCtrl::rowRect(int row, int width) const
{
    const int top = layout::kInset + layout::kRowsTop + (row - firstVisibleRow()) * layout::kRowHeight;
    return QRect(layout::kInset, top, width - 2 * layout::kInset, layout::kRowHeight);
}

void CCodeListCtrl::updateRow(int row)
{
    if (row < 0 || row >= rowCount()) return;
    const int first = firstVisibleRow();
    if (row < first || row > first + rowsThatFit()) return;  // the one past the last may show in part
    viewport()->update(rowRect(row, viewport()->width()));
}

int CCodeListCtrl::rowAt(QPoint position) const
{
    const int y = position.y() - layout::kInset - layout::kRowsTop;
    if (y < 0) return -1;
    const int row = firstVisibleRow() + y / layout::kRowHeight;
    return row < rowCount() ? row : -1;
}

void CCodeListCtrl::paintList(QPainter& painter, QSize size) const
{
    const int width = size.width();
    const int height = size.height();
    painter.fillRect(QRect(QPoint(0, 0), size), toColour(colours::kBackground));

    // Header band with its separator line.
    const QRect header(layout::kInset, layout::kInset, width - 2 * layout::kInset, layout::kHeaderHeight);
    QLinearGradient gradient(0, header.top(), 0, header.bottom());
    gradient.setColorAt(0, toColour(colours::kHeaderTop));
    gradient.setColorAt(1, toColour(colours::kHeaderBottom));
    painter.fillRect(header, gradient);
    painter.setFont(font_);
    painter.setPen(toColour(colours::kHeaderText));
    painter.drawText(header, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip,
                     QString::fromLatin1(kEventListHeader.data(), static_cast<qsizetype>(kEventListHeader.size())));
    painter.setPen(toColour(colours::kHeaderSeparator));
    painter.drawLine(header.left(), header.bottom() + 1, header.right(), header.bottom() + 1);

    if (!events_) return;
    const int listTop = layout::kInset + layout::kRowsTop;
    const int listBottom = height - layout::kInset;  // exclusive
    painter.setClipRect(QRect(layout::kInset, listTop, width - 2 * layout::kInset, std::max(0, listBottom - listTop)));
    for (int row = firstVisibleRow(); row < rowCount(); ++row) {
        const QRect box = rowRect(row, width);
        if (box.top() >= listBottom) break;
        const EventRow text = eventListRow((*events_)[static_cast<size_t>(row)], timing_, static_cast<size_t>(row));
        painter.fillRect(box, toColour(text.background));
        if (text.framed) {
            painter.setPen(toColour(text.frame));
            painter.setBrush(toColour(text.fill));
            painter.drawRect(box.adjusted(1, 0, -2, -1));
            painter.setBrush(Qt::NoBrush);
        }
        painter.setPen(toColour(text.text));
        const int textWidth = width;  // texts are never cut at their box
        painter.drawText(QRect(box.left(), box.top(), textWidth, box.height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, QString::fromLatin1(text.position));
        painter.drawText(QRect(box.left() + layout::kEventTextOffset, box.top(), textWidth, box.height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, QString::fromLatin1(text.event));
        if (row == currentRow_) {
            painter.setPen(QPen(toColour(colours::kText), 1, Qt::DotLine));
            painter.drawRect(box.adjusted(0, 0, -1, -1));
        }
        if (row == markedRow_) {
            const int y = box.bottom() + 1 - 2;
            painter.setPen(toColour(colours::kMarkedLine));
            painter.drawLine(box.left(), y, box.right(), y);
        }
    }
    painter.setClipping(false);
}

void CCodeListCtrl::paintEvent(QPaintEvent* event)
{
    QWidget* target = viewport();
    const qreal ratio = target->devicePixelRatioF();
    const QSize pixels = target->size() * ratio;
    if (buffer_.size() != pixels) {
        buffer_ = QPixmap(pixels);
        buffer_.setDevicePixelRatio(ratio);
    }
    {
        QPainter back(&buffer_);
        paintList(back, target->size());
    }
    QPainter painter(target);
    painter.drawPixmap(event->rect(), buffer_, QRectF(QPointF(event->rect().topLeft()) * ratio,
                                                      QSizeF(event->rect().size()) * ratio));
}

void CCodeListCtrl::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void CCodeListCtrl::scrollContentsBy(int, int) { viewport()->update(); }

void CCodeListCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const int row = rowAt(event->position().toPoint());
        if (row >= 0) setCurrentRow(row);
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void CCodeListCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    const int row = rowAt(event->position().toPoint());
    if (row < 0) return;
    setCurrentRow(row);
    if (rowActivated_) rowActivated_(row);
}

void CCodeListCtrl::keyPressEvent(QKeyEvent* event)
{
    const int count = rowCount();
    if (count == 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int page = std::max(1, rowsThatFit());
    const int current = currentRow_ < 0 ? firstVisibleRow() : currentRow_;
    switch (event->key()) {
    case Qt::Key_Up: setCurrentRow(std::max(0, current - 1)); break;
    case Qt::Key_Down: setCurrentRow(currentRow_ < 0 ? current : current + 1); break;
    case Qt::Key_PageUp: setCurrentRow(std::max(0, current - page)); break;
    case Qt::Key_PageDown: setCurrentRow(current + page); break;
    case Qt::Key_Home: setCurrentRow(0); break;
    case Qt::Key_End: setCurrentRow(count - 1); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (currentRow_ >= 0 && rowActivated_) rowActivated_(currentRow_);
        break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    event->accept();
}

}  // namespace zema
