// Editing notes with the mouse in the piano roll of the main window: each
// gesture is written into the current track's text and is one undo step.
#include <QComboBox>

#include "app/command_table.h"
#include "app/roll_edit_model.h"
#include "gui/main_window_fixture.h"
#include "views/piano_roll_ctrl.h"

namespace zema {
namespace {

constexpr int kSixteenths = 4;

class RollEditTest : public MainWindowTest {
protected:
    // A shown window whose roll has one pixel per tick and 8-pixel rows, the
    // current track holding four quarter notes c d e f.
    CPianoRollCtrl& start(int grid)
    {
        Settings settings;
        settings.autoSave = false;
        settings.pianoRollHeight = 420;
        settings.pianoRollGrid = grid;
        auto& w = makeWindow(settings);
        w.show();
        QTest::qWait(20);
        slot = w.song().currentTrack;
        type(slot, "l4cdef");
        CPianoRollCtrl& roll = w.pianoRoll();
        roll.setMagnification(48, 8);
        (void)roll.PageTo(0, 5);
        original = w.song().tracks[static_cast<size_t>(slot)].text;
        return roll;
    }

    std::vector<EditNote> notes() { return window->pianoRoll().editNotes(); }
    EditNote noteAt(int index) { return notes().at(static_cast<size_t>(index)); }
    const std::u16string& text() { return window->song().tracks[static_cast<size_t>(slot)].text; }

    void drag(CPianoRollCtrl& roll, QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mousePress(&roll, Qt::LeftButton, modifiers, from);
        QTest::mouseMove(&roll, (from + to) / 2);
        QTest::mouseMove(&roll, to);
        QTest::mouseRelease(&roll, Qt::LeftButton, modifiers, to);
    }

    int slot = 0;
    std::u16string original;
};

TEST_F(RollEditTest, AddMoveAndResizeFollowTheGridAndUndoStepByStep)
{
    struct Case {
        int grid;
        int32_t added;        // where a click at tick 610 puts the new note
        int32_t addedLength;
        int32_t moved;        // where f lands when dragged 130 ticks later
        int32_t resized;      // e's length once its end is dragged 50 ticks earlier
    };
    const Case cases[] = {{kSixteenths, 600, 24, 408, 48}, {kRollGridOff, 610, 96, 418, 46}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.grid);
        CPianoRollCtrl& roll = start(c.grid);
        EXPECT_EQ(window->gridChoice().currentIndex(), c.grid);
        ASSERT_EQ(notes().size(), 4u);
        const EditNote e = noteAt(2);
        const EditNote f = noteAt(3);
        const int high = noteAt(0).noteNumber + 12;

        QTest::mouseClick(&roll, Qt::LeftButton, Qt::NoModifier, roll.pointOf(610, high));
        ASSERT_EQ(notes().size(), 5u);
        EXPECT_EQ(noteAt(4), (EditNote{c.added, c.addedLength, high, f.volume}));
        const std::u16string afterAdd = text();

        drag(roll, roll.pointOf(f.tick + 12, f.noteNumber), roll.pointOf(f.tick + 142, f.noteNumber + 2));
        ASSERT_EQ(notes().size(), 5u);
        EXPECT_EQ(noteAt(3), (EditNote{c.moved, f.length, f.noteNumber + 2, f.volume}));
        const std::u16string afterMove = text();

        const int32_t end = e.tick + e.length;
        drag(roll, roll.pointOf(end - 3, e.noteNumber), roll.pointOf(end - 53, e.noteNumber));
        EXPECT_EQ(noteAt(2), (EditNote{e.tick, c.resized, e.noteNumber, e.volume}));
        EXPECT_EQ(roll.selection().keys(), (std::set<NoteKey>{keyOf(noteAt(2))}));
        const std::u16string afterResize = text();

        // Each gesture is one step of the document history, and the editor shows the text.
        EXPECT_EQ(editor(slot).text(), afterResize);
        using Step = std::pair<int32_t, const std::u16string*>;
        for (const auto& [command, expected] : {Step{command::kUndo, &afterMove}, Step{command::kUndo, &afterAdd},
                                                Step{command::kUndo, &original}, Step{command::kRedo, &afterAdd},
                                                Step{command::kRedo, &afterMove}, Step{command::kRedo, &afterResize}}) {
            window->runCommand(command);
            window->recompilePending();
            EXPECT_EQ(text(), *expected);
        }
        EXPECT_EQ(notes().size(), 5u);
        window.reset();
    }
}

TEST_F(RollEditTest, DeleteVolumesCopyAndPaste)
{
    for (int grid : {kSixteenths, kRollGridOff}) {
        SCOPED_TRACE(grid);
        CPianoRollCtrl& roll = start(grid);
        ASSERT_EQ(notes().size(), 4u);
        const std::vector<EditNote> before = notes();

        // Drawing across the first three bars at the lane's top gives them the loudest volume.
        const QRect lane = roll.volumeLaneRect();
        ASSERT_FALSE(lane.isEmpty());
        drag(roll, QPoint(roll.pointOf(10, 0).x(), lane.top() + 1), QPoint(roll.pointOf(200, 0).x(), lane.top() + 1));
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(noteAt(i).volume, i < 3 ? kRollVolumeMax : before[3].volume) << i;
            EXPECT_EQ(noteAt(i).tick, before[static_cast<size_t>(i)].tick) << i;
        }

        // A rubber band over d and e, copied and pasted at the play position after the last note.
        drag(roll, roll.pointOf(100, before[2].noteNumber), roll.pointOf(250, before[1].noteNumber));
        ASSERT_EQ(roll.selection().size(), 2u);
        // With the roll focused, the window's Copy and Paste act on its notes.
        ASSERT_TRUE(roll.hasFocus());
        window->runCommand(command::kCopy);
        roll.SetPlayPosition(480);
        window->runCommand(command::kPaste);
        ASSERT_EQ(notes().size(), 6u);
        EXPECT_EQ(noteAt(4), (EditNote{480, 96, before[1].noteNumber, kRollVolumeMax}));
        EXPECT_EQ(noteAt(5), (EditNote{576, 96, before[2].noteNumber, kRollVolumeMax}));

        // Delete removes the pasted pair (selected by the paste); the arrow key moves the first note.
        QTest::keyClick(&roll, Qt::Key_Delete);
        EXPECT_EQ(notes().size(), 4u);
        QTest::mouseClick(&roll, Qt::LeftButton, Qt::NoModifier, roll.pointOf(10, before[0].noteNumber));
        QTest::keyClick(&roll, Qt::Key_Up, Qt::ShiftModifier);
        EXPECT_EQ(noteAt(0).noteNumber, before[0].noteNumber + 12);

        window->runCommand(command::kUndo);
        window->runCommand(command::kUndo);
        window->recompilePending();
        EXPECT_EQ(notes().size(), 6u);
        window.reset();
    }
}

TEST_F(RollEditTest, NothingIsEditedWhileBusyAndTheBassTrackIsFoundOnOpen)
{
    auto& w = makeWindow();
    w.show();
    QTest::qWait(20);
    const QString path = writeDocument("bass.mml", "[Channel1]\r\no2l4cdefg\r\n[Channel2]\r\no6l4c\r\n");
    ASSERT_TRUE(w.openDocumentPath(path));
    QTest::qWait(20);
    CPianoRollCtrl& roll = w.pianoRoll();
    const auto visible = [&roll] {
        const int top = roll.scrollY();
        const int bottom = top + roll.noteAreaRect().height();
        for (const EditNote& note : roll.editNotes()) {
            const int row = (kRollTopNote - note.noteNumber) * roll.verticalMagnification();
            if (row + roll.verticalMagnification() > top && row < bottom) return true;
        }
        return false;
    };
    ASSERT_EQ(roll.editNotes().size(), 5u);
    EXPECT_TRUE(visible());
    w.tabBar().setCurrentIndex(1);
    ASSERT_EQ(roll.editNotes().size(), 1u);
    EXPECT_TRUE(visible());

    // With nothing to answer the edits, a click adds nothing.
    roll.canEditNotes = [] { return false; };
    QTest::mouseClick(&roll, Qt::LeftButton, Qt::NoModifier, roll.pointOf(400, roll.editNotes()[0].noteNumber));
    EXPECT_EQ(roll.editNotes().size(), 1u);
    EXPECT_FALSE(w.isModified());
}

}  // namespace
}  // namespace zema
