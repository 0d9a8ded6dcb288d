#include <gtest/gtest.h>

#include <limits>

#include "core/timing.h"
#include "core/track_event.h"

namespace zema {
namespace {

TEST(Timing, LengthsTruncateAndDotsTakeHalfAgain)
{
    EXPECT_EQ(tickOfLength(96, 4, false), 96);
    EXPECT_EQ(tickOfLength(96, 64, false), 6);
    EXPECT_EQ(tickOfLength(96, 64, true), 9);
    EXPECT_EQ(tickOfLength(96, 3, false), 128);
    EXPECT_EQ(tickOfLength(96, 5, false), 76);
    EXPECT_EQ(tickOfLength(96, 5, true), 114);
    EXPECT_EQ(tickOfLength(32, 64, false), 2);
    EXPECT_EQ(tickOfLength(32, 48, false), 2);
    EXPECT_EQ(tickOfLength(1, 8, false), 0);  // shorter than a quarter at timebase 1
    EXPECT_EQ(tickOfLength(1, 4, true), 1);
    EXPECT_EQ(tickOfLength(960, 1, true), 5760);
}

TEST(Timing, NonPositiveLengthHasNoTicks)
{
    EXPECT_EQ(tickOfLength(96, 0, false), 0);
    EXPECT_EQ(tickOfLength(96, -4, true), 0);
}

TEST(Timing, HugeTimebaseSaturatesInsteadOfOverflowing)
{
    EXPECT_EQ(tickOfLength(std::numeric_limits<int32_t>::max(), 1, true), std::numeric_limits<int32_t>::max());
}

TEST(Timing, MeasuresFollowTheSignature)
{
    EXPECT_EQ(ticksPerMeasure({96, 4, 4}), 384);
    EXPECT_EQ(ticksPerMeasure({96, 6, 8}), 288);
    EXPECT_EQ(ticksPerMeasure({96, 3, 4}), 288);
    EXPECT_EQ(measureOfTick({96, 4, 4}, 383), 0);
    EXPECT_EQ(measureOfTick({96, 4, 4}, 384), 1);
    EXPECT_EQ(measureOfTick({96, 3, 4}, 600), 2);
}

TEST(Timing, DegenerateSignaturesNeverDivideByZero)
{
    EXPECT_EQ(ticksPerMeasure({1, 1, 16}), 1);  // 4 / 16 truncates to 0
    EXPECT_EQ(ticksPerMeasure({96, 0, 4}), 1);
    EXPECT_EQ(ticksPerMeasure({96, 4, 0}), 1);
    EXPECT_EQ(ticksPerMeasure({0, 4, 4}), 1);
    EXPECT_EQ(ticksPerMeasure({-96, 4, 4}), 1);
    EXPECT_EQ(measureOfTick({96, 4, 0}, 500), 500);
}

TEST(NoteNames, BlackKeysAreSharpsOfTheLetterBelow)
{
    struct Case {
        int32_t number;
        char letter;
        int32_t octave;
        int32_t sharp;
    };
    for (const Case& c : {Case{60, 'C', 4, 0}, Case{61, 'C', 4, 1}, Case{70, 'A', 4, 1}, Case{71, 'B', 4, 0},
                          Case{11, 'B', -1, 0}, Case{120, 'C', 9, 0}, Case{12, 'C', 0, 0}, Case{66, 'F', 4, 1}}) {
        TrackEvent e;
        setNoteNumber(e, c.number);
        EXPECT_EQ(e.noteNumber, c.number);
        EXPECT_EQ(e.letter, c.letter) << c.number;
        EXPECT_EQ(e.octave, c.octave) << c.number;
        EXPECT_EQ(e.sharp, c.sharp) << c.number;
    }
}

TEST(NoteNames, NegativeNumbersStayInTheTables)
{
    TrackEvent e;
    setNoteNumber(e, -1);
    EXPECT_EQ(e.letter, 'B');
    EXPECT_EQ(e.octave, -2);
}

TEST(TrackEventRecord, ResetStateHasNoChannel)
{
    const TrackEvent e;
    EXPECT_EQ(e.channel, -1);
    EXPECT_EQ(e.tick, 0);
    EXPECT_FALSE(e.dotted);
    EXPECT_TRUE(e.text.empty());
    EXPECT_TRUE(e.data.empty());
}

}  // namespace
}  // namespace zema
