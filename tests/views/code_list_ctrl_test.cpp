#include <gtest/gtest.h>

#include <QImage>
#include <QScrollBar>
#include <QTest>

#include "app/event_list_text.h"
#include "core/mml_compiler.h"
#include "editor/qt_test_support.h"
#include "views/code_list_ctrl.h"

namespace zema {
namespace {

namespace colours = event_list_colours;
namespace layout = event_list_layout;

constexpr int kFirstRowTop = layout::kInset + layout::kRowsTop;

QColor colourOf(Rgb rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

// A track of `notes` quarter notes (with a Measure row before every fourth).
EventList notesTrack(int notes)
{
    std::u16string text;
    for (int i = 0; i < notes; ++i) text += u"c";
    EventList events;
    StateList states;
    compileTrack(TimingContext{}, text, events, states, 0, false, false);
    return events;
}

// Viewport y of the pixel row `offset` pixels below the top of visible row `visibleRow`.
int rowY(int visibleRow, int offset) { return kFirstRowTop + visibleRow * layout::kRowHeight + offset; }

class CodeListCtrlTest : public ::testing::Test {
protected:
    // Shows `events` in the list, sized so that exactly `rows` rows fit.
    void showRows(const EventList& events, int rows)
    {
        list.resize(420, 2 * layout::kInset + layout::kRowsTop + rows * layout::kRowHeight);
        list.show();  // lays out the viewport at that size
        list.setTrack(&events, TimingContext{});
    }
    // The colour at `offset` pixels down visible row `row`, right of any text.
    QColor rightEdgeOf(const QImage& image, int row, int offset) const
    {
        return image.pixelColor(list.viewport()->width() - layout::kInset - 4, rowY(row, offset));
    }

    QApplication& app = test::qtApp();  // before any widget
    CCodeListCtrl list;
};

TEST_F(CodeListCtrlTest, EmptyListShowsOnlyTheHeader)
{
    list.setTrack(nullptr, TimingContext{});
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(list.largestFirstRow(), 0);
    const QImage image = list.renderImage(QSize(400, 120));
    EXPECT_EQ(image.pixelColor(200, rowY(0, 6)), colourOf(colours::kBackground));
    EXPECT_EQ(image.pixelColor(200, layout::kInset + layout::kHeaderHeight), colourOf(colours::kHeaderSeparator));
    EXPECT_NE(image.pixelColor(390, layout::kInset + 3), colourOf(colours::kBackground));  // header band

    const EventList empty;
    list.setTrack(&empty, TimingContext{});
    EXPECT_EQ(list.renderImage(QSize(400, 120)), image);
}

TEST_F(CodeListCtrlTest, MarkedRowGetsTheRedLineTwoPixelsAboveItsLowerEdge)
{
    const EventList events = notesTrack(8);
    showRows(events, 6);
    list.MarkRow(1);
    EXPECT_EQ(list.markedRow(), 1);

    const QImage image = list.viewport()->grab().toImage();
    constexpr int kLow = layout::kRowHeight - 2;
    EXPECT_EQ(rightEdgeOf(image, 1, kLow), colourOf(colours::kMarkedLine));
    EXPECT_EQ(rightEdgeOf(image, 1, kLow - 1), colourOf(colours::kOddRow));
    EXPECT_EQ(rightEdgeOf(image, 3, kLow), colourOf(colours::kOddRow));
    EXPECT_EQ(rightEdgeOf(image, 2, kLow), colourOf(colours::kEvenRow));
    // Row 0 is the Measure band: filled inside its frame.
    EXPECT_EQ(rightEdgeOf(image, 0, 5), colourOf(colours::kMeasureFill));
    EXPECT_EQ(rightEdgeOf(image, 0, 0), colourOf(colours::kMeasureFrame));

    list.MarkRow(-1);
    EXPECT_EQ(rightEdgeOf(list.renderImage(list.viewport()->size()), 1, kLow), colourOf(colours::kOddRow));
}

TEST_F(CodeListCtrlTest, RowTextsAreDrawnInTheRowColour)
{
    EventList events;
    StateList states;
    compileTrack(TimingContext{}, u"//#using_extension\nt200 r c", events, states, 0, false, false);
    showRows(events, 8);
    const QImage image = list.renderImage(list.viewport()->size());
    auto rowHasColour = [&](int row, Rgb rgb) {
        for (int y = rowY(row, 1); y < rowY(row, layout::kRowHeight - 1); ++y) {
            for (int x = layout::kInset; x < image.width() - layout::kInset; ++x) {
                if (image.pixelColor(x, y) == colourOf(rgb)) return true;
            }
        }
        return false;
    };
    ASSERT_EQ(events[2].kind, TrackEventKind::Tempo);
    ASSERT_EQ(events[3].kind, TrackEventKind::Rest);
    EXPECT_TRUE(rowHasColour(2, colours::kTempoText));
    EXPECT_FALSE(rowHasColour(3, colours::kTempoText));
    EXPECT_TRUE(rowHasColour(3, colours::kRestText));
    EXPECT_TRUE(rowHasColour(0, colours::kTrackText));
}

TEST_F(CodeListCtrlTest, ScrollingKeepsTheFirstRowWithinRange)
{
    const EventList events = notesTrack(40);  // 40 notes, 10 measures, the track end
    const int count = static_cast<int>(events.size());
    showRows(events, 5);
    EXPECT_EQ(list.rowCount(), count);
    EXPECT_EQ(list.rowsThatFit(), 5);
    EXPECT_EQ(list.largestFirstRow(), count - 5);

    EXPECT_FALSE(list.ScrollToRow(4));  // already visible
    const std::pair<int, int> scrolls[] = {{5, 5}, {2, 2}, {count - 1, count - 5}};  // {to row, first visible}
    for (const auto& [row, first] : scrolls) {
        EXPECT_TRUE(list.ScrollToRow(row)) << row;
        EXPECT_EQ(list.firstVisibleRow(), first) << row;
    }
    EXPECT_FALSE(list.ScrollToRow(count + 10));  // limited to where it already is

    EXPECT_FALSE(list.ScrollToRow(-1));  // nothing marked
    list.MarkRow(10);
    EXPECT_TRUE(list.ScrollToRow(-1));
    EXPECT_EQ(list.firstVisibleRow(), 10);

    // The scrolled rows are what gets drawn: row 10 is even, so the first visible row is too.
    EXPECT_EQ(rightEdgeOf(list.renderImage(list.viewport()->size()), 0, layout::kRowHeight - 2),
              colourOf(colours::kMarkedLine));

    // A shorter list pulls the first row back; the marked row stays.
    const EventList shorter = notesTrack(2);
    list.setTrack(&shorter, TimingContext{});
    EXPECT_EQ(list.firstVisibleRow(), 0);
    EXPECT_EQ(list.largestFirstRow(), 0);
    EXPECT_EQ(list.markedRow(), 10);
}

TEST_F(CodeListCtrlTest, DoubleClickAndEnterActivateARow)
{
    const EventList events = notesTrack(12);
    showRows(events, 6);
    std::vector<int> activated;
    list.setRowActivated([&](int index) { activated.push_back(index); });

    list.setFirstVisibleRow(3);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, QPoint(60, rowY(2, 6)));
    EXPECT_EQ(list.currentRow(), 5);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, QPoint(60, layout::kInset + 5));  // header
    EXPECT_EQ(activated, std::vector<int>{5});

    QTest::keyClick(&list, Qt::Key_Down);
    QTest::keyClick(&list, Qt::Key_Return);
    QTest::keyClick(&list, Qt::Key_Home);
    QTest::keyClick(&list, Qt::Key_Enter);
    EXPECT_EQ(activated, (std::vector<int>{5, 6, 0}));
    EXPECT_EQ(list.firstVisibleRow(), 0);

    QTest::keyClick(&list, Qt::Key_End);
    EXPECT_EQ(list.currentRow(), list.rowCount() - 1);
    EXPECT_EQ(list.firstVisibleRow(), list.largestFirstRow());
}

}  // namespace
}  // namespace zema
