#include <gtest/gtest.h>

#include <QTest>
#include <tuple>
#include <vector>

#include "editor/qt_test_support.h"
#include "views/piano_input_ctrl.h"

namespace zema {
namespace {

// Everything the keyboard told its owner, in order: +note pressed, -note released, *note insert.
struct Recorder {
    std::vector<std::string> calls;

    void attach(CPianoInputCtrl& piano)
    {
        piano.setNoteHandlers([this](int note) { calls.push_back("+" + std::to_string(note)); },
                              [this](int note) { calls.push_back("-" + std::to_string(note)); });
        piano.setInsertHandler([this](int note) { calls.push_back("*" + std::to_string(note)); });
    }
};

class PianoInputCtrlTest : public ::testing::Test {
protected:
    QApplication& app = test::qtApp();  // before any widget
    CPianoInputCtrl piano;
};

TEST_F(PianoInputCtrlTest, ToolWindowWhoseCaptionNamesTheOctaveRange)
{
    EXPECT_TRUE(piano.windowFlags().testFlag(Qt::Tool));
    EXPECT_EQ(piano.lowestNote(), 48);
    EXPECT_EQ(piano.highestNote(), 83);
    EXPECT_EQ(piano.windowTitle(), QStringLiteral("鍵盤 Octave 3 - Octave 5"));
    // Offsets out of range are held to it.
    const std::tuple<int, int, const char*> offsets[] = {
        {0, 0, "鍵盤 Octave 5 - Octave 7"},
        {99, CPianoInputCtrl::kLargestOctaveOffset, "鍵盤 Octave 1 - Octave 3"},
        {-99, CPianoInputCtrl::kSmallestOctaveOffset, "鍵盤 Octave 6 - Octave 8"}};
    for (const auto& [offset, held, title] : offsets) {
        piano.setOctaveOffset(offset);
        EXPECT_EQ(piano.octaveOffset(), held);
        EXPECT_EQ(piano.windowTitle(), QString::fromUtf8(title));
    }

    QTest::keyClick(&piano, Qt::Key_Left);
    EXPECT_EQ(piano.octaveOffset(), CPianoInputCtrl::kSmallestOctaveOffset + 1);
}

TEST_F(PianoInputCtrlTest, KeysCoverTheRangeWithBlackKeysOnTop)
{
    piano.resize(piano.sizeHint());
    for (int note = piano.lowestNote(); note <= piano.highestNote(); ++note) {
        const QRect key = piano.keyRect(note);
        ASSERT_FALSE(key.isEmpty()) << note;
        EXPECT_EQ(piano.noteAt(key.center()), note) << note;
    }
    EXPECT_TRUE(piano.keyRect(piano.lowestNote() - 1).isEmpty());
    // Below the black keys a white key reaches across its whole width.
    const QRect d = piano.keyRect(50);
    EXPECT_EQ(piano.noteAt(QPoint(d.left() + 1, d.bottom() - 2)), 50);
    EXPECT_EQ(piano.noteAt(QPoint(d.left() + 1, d.top() + 2)), 49);
}

TEST_F(PianoInputCtrlTest, MousePressSoundsAndOffersInsertionReleaseStops)
{
    piano.resize(piano.sizeHint());
    Recorder recorder;
    recorder.attach(piano);

    const QPoint cSharp = piano.keyRect(61).center();
    QTest::mousePress(&piano, Qt::LeftButton, {}, cSharp);
    EXPECT_TRUE(piano.isKeyLit(61));
    QTest::mouseRelease(&piano, Qt::LeftButton, {}, cSharp);
    EXPECT_FALSE(piano.isKeyLit(61));
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"+61", "*61", "-61"}));

    // The key follows the octave offset.
    recorder.calls.clear();
    piano.setOctaveOffset(3);
    QTest::mousePress(&piano, Qt::LeftButton, {}, cSharp);
    QTest::mouseRelease(&piano, Qt::LeftButton, {}, QPoint(1, 1));  // released elsewhere: the same note stops
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"+49", "*49", "-49"}));
}

TEST_F(PianoInputCtrlTest, PcKeysOnlySoundAndHidingReleasesHeldKeys)
{
    piano.resize(piano.sizeHint());
    Recorder recorder;
    recorder.attach(piano);

    QTest::keyPress(&piano, Qt::Key_Z);
    QTest::keyPress(&piano, Qt::Key_Z, {}, -1);  // a second press of a held key does nothing
    QTest::keyRelease(&piano, Qt::Key_Z);
    QTest::keyClick(&piano, Qt::Key_Q);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"+48", "-48", "+60", "-60"}));

    recorder.calls.clear();
    piano.show();
    QTest::keyPress(&piano, Qt::Key_W);
    QTest::mousePress(&piano, Qt::LeftButton, {}, piano.keyRect(62).center());
    EXPECT_TRUE(piano.isKeyLit(62));
    piano.hide();
    EXPECT_FALSE(piano.isKeyLit(62));
    piano.setNoteSounding(62, true);  // lit for the player, not reported
    EXPECT_TRUE(piano.isKeyLit(62));
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"+62", "+62", "*62", "-62", "-62"}));
}

}  // namespace
}  // namespace zema
