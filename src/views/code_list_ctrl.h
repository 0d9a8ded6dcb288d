#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <functional>

#include "core/timing.h"
#include "core/track_event.h"

namespace zema {

// The read-only event list: one row per event of the current track with its
// measure, tick and step, a description and its gate and velocity or value.
// During playback the window marks the row of the event that sounded last.
// The row texts and colours come from eventListRow; this class only draws them.
class CCodeListCtrl final : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit CCodeListCtrl(QWidget* parent = nullptr);

    // Shows `events` (nullptr: an empty list) measured with `timing`. The list
    // is read, not copied: call again whenever it changes (after a recompile).
    void setTrack(const EventList* events, const TimingContext& timing);

    // Makes `index` the marked row (-1 for none); repaints only the old and the new row.
    void MarkRow(int index);
    // Brings a row into view (a negative index means the marked row): a row
    // outside the visible range becomes the first visible row, limited to the
    // largest first row. True when the list scrolled.
    bool ScrollToRow(int index);

    [[nodiscard]] int markedRow() const { return markedRow_; }
    [[nodiscard]] int rowCount() const;
    [[nodiscard]] int firstVisibleRow() const;
    void setFirstVisibleRow(int row);
    [[nodiscard]] int rowsThatFit() const;
    [[nodiscard]] int largestFirstRow() const;

    // The row the user selected with the mouse or the keys (-1 for none).
    [[nodiscard]] int currentRow() const { return currentRow_; }
    void setCurrentRow(int row);

    // Called with the row index when a row is double-clicked or Enter is pressed on it.
    void setRowActivated(std::function<void(int index)> handler) { rowActivated_ = std::move(handler); }

    // Draws the list as it would appear in a viewport of `size` pixels.
    [[nodiscard]] QImage renderImage(QSize size) const;

    [[nodiscard]] QSize sizeHint() const override { return {320, 300}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void paintList(QPainter& painter, QSize size) const;
    void updateScrollRange();
    void updateRow(int row);
    // Row under a viewport position, -1 when none.
    [[nodiscard]] int rowAt(QPoint position) const;
    [[nodiscard]] QRect rowRect(int row, int width) const;

    const EventList* events_ = nullptr;
    TimingContext timing_;
    int markedRow_ = -1;
    int currentRow_ = -1;
    QFont font_;
    QPixmap buffer_;  // back buffer of the viewport
    std::function<void(int)> rowActivated_;
};

}  // namespace zema
