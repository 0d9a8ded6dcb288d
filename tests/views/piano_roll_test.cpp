#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QStyle>
#include <QTest>
#include <QWheelEvent>
#include <tuple>
#include <vector>

#include "editor/qt_test_support.h"
#include "views/colour_test_support.h"
#include "views/piano_roll_ctrl.h"

namespace zema {
namespace {

TrackEvent makeNote(int tick, int length, int number, int volume = 8)
{
    TrackEvent event;
    event.kind = TrackEventKind::Note;
    event.tick = tick;
    event.length = length;
    event.value = volume;
    setNoteNumber(event, number);
    return event;
}

void useTrack(Song& song, int slot, std::vector<TrackEvent> notes, int endTick)
{
    Track& track = song.tracks[static_cast<size_t>(slot)];
    track.used = true;
    track.text = u"c";
    TrackEvent start;
    start.kind = TrackEventKind::TrackStart;
    track.events.push_back(start);
    for (TrackEvent& note : notes) track.events.push_back(note);
    TrackEvent end;
    end.kind = TrackEventKind::TrackEnd;
    end.tick = endTick;
    track.events.push_back(end);
}

std::array<bool, kTrackCount> slots(std::initializer_list<int> list)
{
    std::array<bool, kTrackCount> mask{};
    for (int slot : list) mask[static_cast<size_t>(slot)] = true;
    return mask;
}

using test::blend;
using test::near;

const QColor kTrack3Pen(149, 163, 65);
const QColor kTrack3Fill(216, 246, 114);
const QColor kTrack3Light(239, 251, 197);
const QColor kCRow(101, 101, 101);  // background of a C row

// A 480 x 320 note area (ten columns), 48 ticks per column, 8-pixel rows
// scrolled so that note 83 is the top row. Track 3 holds a C4 (note 60) from
// tick 96 to 192 at volume 8, so its box is x 135..230 and y 209..214.
class PianoRollTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        (void)test::qtApp();
        useTrack(song, 3, {makeNote(96, 96, 60)}, 20000);
        ctrl = std::make_unique<CPianoRollCtrl>();
        const int extent = ctrl->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, ctrl.get());
        ctrl->resize(kPianoNoteLeft + 480 + extent, kPianoRulerHeight + 320 + extent);
        ctrl->show();
        ctrl->setMagnification(48, 8);
        ctrl->setSong(&song);
        ctrl->setCurrentTrack(3);
        ctrl->PageTo(0, 5);
    }

    QImage grab() { return ctrl->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    Song song;
    std::unique_ptr<CPianoRollCtrl> ctrl;
};

TEST_F(PianoRollTest, GeometryOfNotesAndTheVisibleSpan)
{
    EXPECT_EQ(ctrl->noteAreaRect(), QRect(39, 25, 480, 320));
    EXPECT_EQ(ctrl->visibleSpan(), 480);
    EXPECT_EQ(ctrl->scrollY(), 36 * 8);
    EXPECT_EQ(ctrl->noteRect(3, 1), QRect(QPoint(135, 209), QPoint(230, 214)));  // volume 8: 6 of 8 rows
    EXPECT_EQ(ctrl->noteRect(3, 0), QRect());  // the TrackStart entry is no note

    ctrl->setFullHeight(true);
    EXPECT_EQ(ctrl->noteRect(3, 1).bottom(), 216);
    ctrl->setFullHeight(false);

    // Loud notes fill the row, silent ones half of it.
    song.tracks[3].events[1].value = 15;
    EXPECT_EQ(ctrl->noteRect(3, 1).height(), 8);
    song.tracks[3].events[1].value = 0;
    EXPECT_EQ(ctrl->noteRect(3, 1).height(), 4);

    // Truncating x at 36 ticks per column: tick 100 is 133.3 px in.
    ctrl->setMagnification(36, 8);
    EXPECT_EQ(ctrl->xOfTick(100), 39 + 133);
    EXPECT_EQ(ctrl->tickOfX(39 + 133), 99);
    EXPECT_EQ(ctrl->visibleSpan(), 360);
}

TEST_F(PianoRollTest, PlayLineColumnAndPaint)
{
    ctrl->setMagnification(36, 8);
    ctrl->SetPlayPosition(100);
    EXPECT_EQ(ctrl->playPosition(), 100);
    EXPECT_EQ(ctrl->playLineRect(100), QRect(172, 1, 1, 25 + 320 - 1));
    const QImage image = grab();
    const QColor line(0, 128, 255);
    for (QPoint p : {QPoint(172, 100), QPoint(172, 1)}) EXPECT_EQ(image.pixelColor(p), line) << p.y();
    for (QPoint p : {QPoint(172, 0), QPoint(173, 100)}) EXPECT_NE(image.pixelColor(p), line) << p.x() << "," << p.y();

    EXPECT_EQ(ctrl->PageTo(720, 0), 20);
    EXPECT_EQ(ctrl->playLineRect(719), QRect());  // left of the view
    EXPECT_EQ(ctrl->playLineRect(720).x(), 39);
    EXPECT_EQ(ctrl->playLineRect(720 + 360 * 480 / 360), QRect());  // past the note area
}

TEST_F(PianoRollTest, FollowingThePlayPositionPagesAtTheEdges)
{
    EXPECT_EQ(ctrl->PageTo(960, 0), 20);
    ASSERT_EQ(ctrl->firstVisibleTick(), 960);

    // Inside the span nothing moves, up to the last tick before its end.
    ctrl->followPlayPosition(960, true);
    ctrl->followPlayPosition(960 + 480 - 1, true);
    EXPECT_EQ(ctrl->firstVisibleTick(), 960);
    EXPECT_EQ(ctrl->playPosition(), 1439);

    // Exactly at first visible tick + span: the next page.
    ctrl->followPlayPosition(960 + 480, true);
    EXPECT_EQ(ctrl->firstVisibleTick(), 1440);

    // Left of the view (a loop restart): back to the position's column.
    ctrl->followPlayPosition(959, true);
    EXPECT_EQ(ctrl->firstVisibleTick(), 912);

    // Not following: only the line moves.
    ctrl->followPlayPosition(5000, false);
    EXPECT_EQ(ctrl->firstVisibleTick(), 912);
    EXPECT_EQ(ctrl->playPosition(), 5000);
}

TEST_F(PianoRollTest, PageToStaysWithinTheSongAndScrollsOctaves)
{
    const int largest = ctrl->PageTo(10'000'000, 0);
    EXPECT_EQ(largest, ctrl->largestFirstColumn());
    EXPECT_GE(ctrl->firstVisibleTick() + ctrl->visibleSpan(), 20000);       // the end is in view
    EXPECT_LT(ctrl->firstVisibleTick() + ctrl->visibleSpan(), 20000 + 384 + 48);  // with one spare measure
    EXPECT_EQ(ctrl->PageTo(-50, 0), 0);

    EXPECT_EQ(ctrl->scrollY(), 36 * 8);
    ctrl->PageTo(0, 8);
    EXPECT_EQ(ctrl->scrollY(), 0);
    ctrl->PageTo(0, 1);
    EXPECT_EQ(ctrl->scrollY(), ctrl->largestScrollY());  // 96 rows of 8 px less the 320 px area
    EXPECT_EQ(ctrl->largestScrollY(), 96 * 8 - 320);
    ctrl->PageTo(0, 6);
    EXPECT_EQ(ctrl->scrollY(), 24 * 8);
    ctrl->PageTo(0, 9);  // no octave: the rows stay
    ctrl->PageTo(0, 0);
    EXPECT_EQ(ctrl->scrollY(), 24 * 8);

    // An empty song cannot scroll sideways.
    Song empty;
    ctrl->setSong(&empty);
    EXPECT_EQ(ctrl->PageTo(5000, 0), 0);
}

TEST_F(PianoRollTest, NoteOfTrack3IsPaintedInItsColours)
{
    for (bool translucent : {false, true}) {
        SCOPED_TRACE(translucent);
        ctrl->setRenderer(translucent);
        const QImage image = grab();
        for (QPoint edge : {QPoint(135, 209), QPoint(230, 214), QPoint(180, 209), QPoint(180, 214), QPoint(230, 211)})
            EXPECT_EQ(image.pixelColor(edge), kTrack3Pen) << edge.x() << "," << edge.y();
        EXPECT_EQ(image.pixelColor(180, 215), kCRow);  // below the box, still in the C row

        const QColor inside = translucent ? blend(kTrack3Fill, kCRow, 150) : kTrack3Fill;
        EXPECT_TRUE(near(image.pixelColor(140, 212), inside));
        EXPECT_TRUE(near(image.pixelColor(229, 213), inside));
        // Highlight lines one pixel inside the left and top edges.
        const QColor light = translucent ? blend(kTrack3Light, inside, 150) : kTrack3Light;
        EXPECT_TRUE(near(image.pixelColor(136, 212), light));
        EXPECT_TRUE(near(image.pixelColor(200, 210), light));
        EXPECT_TRUE(near(image.pixelColor(229, 211), inside));  // the top line stops at right - 2
    }
}

TEST_F(PianoRollTest, CurrentTrackIsDrawnOnTopAndSelectionDecidesTheShape)
{
    song.tracks[5] = Track{};
    useTrack(song, 5, {makeNote(96, 96, 60)}, 20000);
    ctrl->songChanged();
    const QColor track5Fill(245, 216, 37);
    EXPECT_EQ(grab().pixelColor(140, 212), kTrack3Fill);
    ctrl->setCurrentTrack(5);
    EXPECT_EQ(grab().pixelColor(140, 212), track5Fill);

    // Track 5 hidden, track 3 not emphasised: a diamond at the note start.
    ctrl->setTrackSelection(slots({3}), slots({}));
    QImage image = grab();
    EXPECT_EQ(image.pixelColor(135, 213), kTrack3Fill);  // the diamond's middle
    EXPECT_EQ(image.pixelColor(180, 212), kCRow);       // no box
    EXPECT_EQ(image.pixelColor(139, 213), kTrack3Pen);  // its right corner at x + 4

    // Nothing visible: bare rows.
    ctrl->setTrackSelection(slots({}), slots({}));
    image = grab();
    EXPECT_EQ(image.pixelColor(140, 212), kCRow);
    EXPECT_EQ(image.pixelColor(135, 213), QColor(74, 74, 74));  // the beat line at tick 96
}

TEST_F(PianoRollTest, GridFollowsTimebaseAndTimeSignature)
{
    const int y = 100;  // a row without notes
    const QColor measureLine(48, 48, 48);
    const QColor beatLine(74, 74, 74);
    struct Grid {
        TimingContext timing;
        int measure;  // the first measure line's tick
        int beat;     // a beat line's tick
    };
    // 6/8 at timebase 48: eighth-note beats of 24 ticks, measures of 144.
    for (const Grid& grid : {Grid{{96, 4, 4}, 384, 288}, Grid{{96, 3, 4}, 288, 384}, Grid{{48, 6, 8}, 144, 24}}) {
        SCOPED_TRACE(grid.measure);
        song.timing = grid.timing;
        ctrl->songChanged();
        const QImage image = grab();
        EXPECT_EQ(image.pixelColor(39 + grid.measure, y), measureLine);
        EXPECT_EQ(image.pixelColor(39 + grid.beat, y), beatLine);
    }
    EXPECT_NE(grab().pixelColor(39 + 12, y), beatLine);  // 6/8: nothing halfway between beats
}

TEST_F(PianoRollTest, KeyStripLabelsOnlyFromSixPixelRows)
{
    auto darkLabelPixels = [this] {
        const QImage image = grab();
        int count = 0;
        for (int y = 25; y < 25 + 320; ++y)
            for (int x = 23; x < 38; ++x)
                if (qGray(image.pixel(x, y)) < 80) ++count;
        return count;
    };
    for (const int rowHeight : {8, 6, 5}) {
        ctrl->setMagnification(48, rowHeight);
        EXPECT_EQ(darkLabelPixels() > 0, rowHeight >= 6) << rowHeight;
    }
}

TEST_F(PianoRollTest, TooltipsMenuEntriesAndCommandsOfMarkers)
{
    song.markers.push_back(Marker{432, 0x00FF8000, u"Intro"});
    ctrl->songChanged();

    EXPECT_EQ(ctrl->tooltipAt(QPoint(180, 212)), QStringLiteral("O4 V8 Gate96\n"));
    EXPECT_EQ(ctrl->tooltipAt(QPoint(180, 216)), QString());  // below the box
    EXPECT_EQ(ctrl->tooltipAt(QPoint(39 + 434, 5)), QStringLiteral("Intro\nMeas 0001:0048"));
    EXPECT_EQ(ctrl->tooltipAt(QPoint(41, 5)), QStringLiteral("先頭\nMeas 0000:0000"));
    EXPECT_EQ(ctrl->tooltipAt(QPoint(39 + 300, 5)), QString());

    EXPECT_EQ(ctrl->markerIndexAt(QPoint(41, 5)), 0);
    EXPECT_EQ(ctrl->markerIndexAt(QPoint(39 + 434, 5)), 1);
    EXPECT_EQ(ctrl->markerIndexAt(QPoint(39 + 434, 20)), 1);  // anywhere in the ruler
    EXPECT_EQ(ctrl->markerIndexAt(QPoint(39 + 300, 5)), -1);
    EXPECT_EQ(ctrl->markerIndexAt(QPoint(39 + 434, 30)), -1);  // the note area

    auto entries = [this](int markerIndex) {
        std::vector<std::tuple<QString, int, bool>> result;
        const auto menu = ctrl->createMarkerMenu(markerIndex);
        for (QAction* action : menu->actions())
            if (!action->isSeparator()) result.emplace_back(action->text(), action->data().toInt(), action->isEnabled());
        return result;
    };
    using Entries = std::vector<std::tuple<QString, int, bool>>;
    for (const auto& entry : entries(1)) EXPECT_EQ(std::get<2>(entry), std::get<1>(entry) == 32913);  // no handler yet

    std::vector<std::tuple<int, int, int>> calls;
    ctrl->onMarkerCommand = [&](int command, int tick, int index) { calls.emplace_back(command, tick, index); };
    EXPECT_EQ(entries(-1), (Entries{{QStringLiteral("マーカーを作成(&M)"), 32906, true},
                                    {QStringLiteral("マーカーを削除(&D)"), 32909, false},
                                    {QStringLiteral("マーカーを編集(&E)"), 32910, false},
                                    {QStringLiteral("キャンセル(&C)"), 32913, true}}));
    EXPECT_EQ(entries(0), entries(-1));  // the song start is neither edited nor deleted
    for (const auto& entry : entries(1)) EXPECT_TRUE(std::get<2>(entry));

    ctrl->runMarkerCommand(kMarkerCreateCommand, QPoint(39 + 300, 5));
    ctrl->runMarkerCommand(kMarkerEditCommand, QPoint(39 + 434, 5));
    ctrl->runMarkerCommand(kMarkerDeleteCommand, QPoint(39 + 434, 5));
    ctrl->runMarkerCommand(kMarkerDeleteCommand, QPoint(39 + 300, 5));  // no marker there
    ctrl->runMarkerCommand(kMarkerEditCommand, QPoint(41, 5));          // the song start
    ctrl->runMarkerCommand(kMarkerCancelCommand, QPoint(39 + 434, 5));
    EXPECT_EQ(calls, (std::vector<std::tuple<int, int, int>>{{32906, 300, -1}, {32910, 434, 1}, {32909, 434, 1}}));
}

TEST_F(PianoRollTest, ClickingANoteReportsTrackAndEventIndex)
{
    std::vector<std::pair<int, int>> clicks;
    ctrl->onNoteClicked = [&](int track, int index) { clicks.emplace_back(track, index); };
    QTest::mouseClick(ctrl.get(), Qt::LeftButton, {}, QPoint(180, 212));
    QTest::mouseClick(ctrl.get(), Qt::LeftButton, {}, QPoint(300, 212));  // empty row
    QTest::mouseClick(ctrl.get(), Qt::RightButton, {}, QPoint(180, 212));
    EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{3, 1}}));
}

TEST_F(PianoRollTest, WheelZoomsAndScrolls)
{
    std::vector<std::pair<int, int>> zooms;
    ctrl->onMagnificationChanged = [&](int h, int v) { zooms.emplace_back(h, v); };
    ctrl->PageTo(960, 0);
    auto wheel = [this](int delta, Qt::KeyboardModifiers modifiers, QPoint pos = QPoint(39 + 240, 100)) {
        QWheelEvent event(pos, ctrl->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(ctrl.get(), &event);
    };

    // Zooming in keeps the tick under the mouse (1200) in place.
    wheel(120, Qt::ControlModifier);
    EXPECT_EQ(ctrl->horizontalMagnification(), 24);
    EXPECT_NEAR(ctrl->tickOfX(39 + 240), 1200, 24);
    wheel(-120, Qt::ControlModifier);
    wheel(-120, Qt::ControlModifier);
    EXPECT_EQ(ctrl->horizontalMagnification(), 96);
    EXPECT_NEAR(ctrl->tickOfX(39 + 240), 1200, 96);

    wheel(120, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(ctrl->verticalMagnification(), 10);
    EXPECT_EQ(zooms, (std::vector<std::pair<int, int>>{{24, 8}, {48, 8}, {96, 8}, {96, 10}}));

    const int y = ctrl->scrollY();
    wheel(-120, {});
    EXPECT_EQ(ctrl->scrollY(), y + 3 * 10);
    const int column = ctrl->firstVisibleColumn();
    wheel(-120, Qt::ShiftModifier);
    EXPECT_EQ(ctrl->firstVisibleColumn(), column + 1);

    // Magnifications from the settings are held to their ranges, and keep
    // the first visible tick.
    ctrl->PageTo(960, 0);
    ctrl->setMagnification(0, 100);
    EXPECT_EQ(ctrl->horizontalMagnification(), kPianoMinTicksPerColumn);
    EXPECT_EQ(ctrl->verticalMagnification(), kPianoMaxRowHeight);
    ctrl->setMagnification(40, 8);
    EXPECT_EQ(ctrl->firstVisibleTick(), 960);
}

}  // namespace
}  // namespace zema
