#include <gtest/gtest.h>

#include "app/piano_input_text.h"
#include "core/mml_compiler.h"

namespace zema {
namespace {

TEST(PianoInputText, NoteInTheOctaveInForceIsItsLetterOnly)
{
    EXPECT_EQ(pianoInsertText(u"", TextCaret{0, 0}, 60), u"c");
    EXPECT_EQ(pianoInsertText(u"cde", TextCaret{0, 3}, 71), u"b");
    EXPECT_EQ(pianoInsertText(u"cde", TextCaret{0, 0}, 69), u"a");  // a following note needs no signs here
}

TEST(PianoInputText, OtherOctavesGetSignsThereAndBackWhenANoteFollows)
{
    EXPECT_EQ(pianoInsertText(u"cde", TextCaret{0, 0}, 73), u">c+<");
    EXPECT_EQ(pianoInsertText(u"", TextCaret{0, 0}, 73), u">c+");
    EXPECT_EQ(pianoInsertText(u"c", TextCaret{0, 1}, 59), u"<b");
    EXPECT_EQ(pianoInsertText(u"c", TextCaret{0, 0}, 94), u">>a+<<");
    // Only notes count as following: a rest keeps whatever octave it finds.
    EXPECT_EQ(pianoInsertText(u"c r", TextCaret{0, 1}, 73), u">c+");
    EXPECT_EQ(pianoInsertText(u"c", TextCaret{0, 1}, 35), u"<<<b");
}

TEST(PianoInputText, OctaveInForceComesFromTheStatesEndingAtOrBeforeTheCaret)
{
    EXPECT_EQ(pianoInsertText(u"o6 c", TextCaret{0, 4}, 60), u"<<c");
    EXPECT_EQ(pianoInsertText(u"o6 c", TextCaret{0, 2}, 62), u"<<d>>");  // right after o6
    EXPECT_EQ(pianoInsertText(u"o6 c", TextCaret{0, 1}, 84), u">>c<<");  // inside o6: not yet in force
    EXPECT_EQ(pianoInsertText(u"c>d", TextCaret{0, 3}, 71), u"<b");
    EXPECT_EQ(pianoInsertText(u"c>d<<e", TextCaret{0, 6}, 54), u"f+");
    // Lines are compared before columns.
    EXPECT_EQ(pianoInsertText(u"o2\nc", TextCaret{1, 0}, 36), u"c");
    EXPECT_EQ(pianoInsertText(u"c\no2", TextCaret{0, 1}, 36), u"<<c");
    EXPECT_EQ(pianoInsertText(u"o7 c\nd", TextCaret{0, 9}, 96), u"c");
}

TEST(PianoInputText, ListsAreReadDirectly)
{
    EventList events;
    StateList states;
    compileTrack(TimingContext{}, u"o5 c d", events, states, 0, false, false);
    EXPECT_EQ(octaveAtCaret(states, TextCaret{0, 0}), 4);
    EXPECT_EQ(octaveAtCaret(states, TextCaret{0, 2}), 5);
    EXPECT_EQ(octaveAtCaret({}, TextCaret{3, 3}), 4);
    EXPECT_TRUE(noteFollowsCaret(events, TextCaret{0, 5}));  // at the start of d
    EXPECT_FALSE(noteFollowsCaret(events, TextCaret{0, 6}));
    EXPECT_FALSE(noteFollowsCaret({}, TextCaret{0, 0}));
    EXPECT_EQ(pianoInsertText(states, events, TextCaret{0, 3}, 61), u"<c+>");
}

TEST(PianoInputText, InsertionTextForEveryBlackAndWhiteKey)
{
    const std::u16string expected[12] = {u"c", u"c+", u"d", u"d+", u"e", u"f", u"f+", u"g", u"g+", u"a", u"a+", u"b"};
    for (int semitone = 0; semitone < 12; ++semitone) {
        EXPECT_EQ(noteInsertionText(48 + semitone, 3, true), expected[semitone]) << semitone;
    }
    EXPECT_EQ(noteInsertionText(0, 4, false), u"<<<<<c");
    EXPECT_EQ(noteInsertionText(127, 8, true), u">g<");
}

TEST(PianoInputText, KeyLabelsNameOctaveAndNote)
{
    EXPECT_EQ(pianoKeyLabel(60), "Octave4 C");
    EXPECT_EQ(pianoKeyLabel(61), "Octave4 C#");
    EXPECT_EQ(pianoKeyLabel(11), "Octave-1 B");
    EXPECT_EQ(pianoKeyLabel(106), "Octave7 A#");
}

}  // namespace
}  // namespace zema
