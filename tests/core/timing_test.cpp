#include <gtest/gtest.h>

#include <limits>

#include "core/timing.h"
#include "core/track_event.h"

namespace zema {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

TEST(Timing, LengthsTruncateAndDotsTakeHalfAgain)
{
    struct Case {
        int32_t timebase, length;
        bool dotted;
        int32_t ticks;
    };
    const Case cases[] = {
        {96, 4, false, 96}, {96, 64, false, 6},  {96, 64, true, 9},  {96, 3, false, 128},
        {96, 5, false, 76}, {96, 5, true, 114},  {32, 64, false, 2}, {32, 48, false, 2},
        {1, 8, false, 0},  // shorter than a quarter at timebase 1
        {1, 4, true, 1},    {960, 1, true, 5760},
        {96, 0, false, 0},  {96, -4, true, 0},  // a non-positive length has no ticks
        {kMax, 1, true, kMax},                  // a huge timebase saturates instead of overflowing
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tickOfLength(c.timebase, c.length, c.dotted), c.ticks)
            << c.timebase << ": " << c.length << (c.dotted ? "." : "");
    }
}

TEST(Timing, MeasuresFollowTheSignatureAndNeverDivideByZero)
{
    const std::pair<TimingContext, int32_t> cases[] = {
        {{96, 4, 4}, 384}, {{96, 6, 8}, 288}, {{96, 3, 4}, 288},
        // Degenerate signatures: one tick a measure.
        {{1, 1, 16}, 1},  // 4 / 16 truncates to 0
        {{96, 0, 4}, 1},  {{96, 4, 0}, 1},  {{0, 4, 4}, 1},  {{-96, 4, 4}, 1},
    };
    for (const auto& [timing, ticks] : cases) {
        EXPECT_EQ(ticksPerMeasure(timing), ticks)
            << timing.timebase << " " << timing.numerator << "/" << timing.denominator;
    }
    EXPECT_EQ(measureOfTick({96, 4, 4}, 383), 0);
    EXPECT_EQ(measureOfTick({96, 4, 4}, 384), 1);
    EXPECT_EQ(measureOfTick({96, 3, 4}, 600), 2);
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
                          Case{11, 'B', -1, 0}, Case{120, 'C', 9, 0}, Case{12, 'C', 0, 0}, Case{66, 'F', 4, 1},
                          Case{-1, 'B', -2, 0}}) {  // negative numbers stay in the tables
        TrackEvent e;
        setNoteNumber(e, c.number);
        EXPECT_EQ(e.noteNumber, c.number);
        EXPECT_EQ(e.letter, c.letter) << c.number;
        EXPECT_EQ(e.octave, c.octave) << c.number;
        EXPECT_EQ(e.sharp, c.sharp) << c.number;
    }
}

}  // namespace
}  // namespace zema
