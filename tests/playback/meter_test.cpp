// The level meter and MIDI monitor models the widgets draw.
#include <gtest/gtest.h>

#include <utility>

#include "playback/level_meter_model.h"
#include "playback/midi_monitor_model.h"
#include "playback/player_context.h"

namespace zema {
namespace {

TEST(LevelMeterModel, MapsDecibelsToLevels)
{
    const std::pair<double, int> cases[] = {{0.0, 0},   {3.0, 5},   {5.99, 9},  {6.0, 10},  {13.0, 15},
                                            {19.99, 19}, {20.0, 20}, {39.5, 39}, {40.0, 40}, {100.0, 40}};
    for (const auto& [decibels, level] : cases) EXPECT_EQ(LevelMeterModel::levelOfDecibels(decibels), level) << decibels;
}

TEST(LevelMeterModel, FullScaleLightsOverAndTheHeldPeakFallsBackEvery200ms)
{
    LevelMeterModel meter;
    meter.Set(0.0, 30.0, 1000);
    EXPECT_TRUE(meter.left().over);
    EXPECT_EQ(meter.left().level, 0);
    EXPECT_FALSE(meter.right().over);
    EXPECT_EQ(meter.right().level, 30);
    EXPECT_EQ(meter.left().held, 0);

    // Silence from then on: the held peak falls one level per 200 ms.
    const std::pair<uint32_t, int> falls[] = {{1100, 0}, {1201, 1}, {1300, 1}, {1402, 2}};
    for (const auto& [time, held] : falls) {
        meter.Set(100.0, 100.0, time);
        EXPECT_EQ(meter.left().level, 40);
        EXPECT_EQ(meter.left().held, held) << time;
    }
    EXPECT_TRUE(meter.left().over);  // stays lit until reset

    meter.Reset();
    EXPECT_FALSE(meter.left().over);
    EXPECT_EQ(meter.left().level, 40);
    EXPECT_EQ(meter.right().held, 40);
}

TEST(MidiMonitorModel, VelocityBarDecays)
{
    using monitor::velocitySegments;
    EXPECT_EQ(velocitySegments(127, 0, kNoteSounding, 0), 60);
    EXPECT_EQ(velocitySegments(127, 0, kNoteSounding, 7500), 30);
    EXPECT_EQ(velocitySegments(127, 0, kNoteSounding, 15000), 0);  // held 15 s: empty
    EXPECT_EQ(velocitySegments(127, 0, 100, 100), 59);
    EXPECT_EQ(velocitySegments(127, 0, 100, 700), 0);  // released: empty within 600 ms
    EXPECT_EQ(velocitySegments(0, 0, kNoteSounding, 0), 0);
    // The millisecond counter wraps around 32 bits.
    EXPECT_EQ(velocitySegments(127, 0xFFFFFF00u, kNoteSounding, 0x100u), velocitySegments(127, 0, kNoteSounding, 512));
}

TEST(MidiMonitorModel, KeyMasksDigitsAndInstrumentNumbers)
{
    PlayerContext context;
    context.lowNotes[0] = uint64_t{1} << 60;
    context.lowNotes[3] = 1;
    context.highNotes[5] = (uint64_t{1} << 63) | (uint64_t{1} << 32);
    EXPECT_TRUE(monitor::noteSounds(0, context.lowNotes[0].load(), 60));
    EXPECT_FALSE(monitor::noteSounds(0, context.lowNotes[0].load(), 61));
    EXPECT_TRUE(monitor::noteSounds(context.highNotes[5].load(), 0, 127));
    EXPECT_FALSE(monitor::noteSounds(~uint64_t{0}, ~uint64_t{0}, 128));
    const auto words = monitor::keyboardWords(context);
    EXPECT_EQ(words, (std::array<uint32_t, 4>{0, 0x80000001u, 1, 1u << 28}));

    const auto d = monitor::digitsOf(7);
    EXPECT_EQ(d.digit, (std::array<int32_t, 3>{0, 0, 7}));
    EXPECT_EQ(d.lit, (std::array<bool, 3>{false, false, true}));
    EXPECT_EQ(monitor::digitsOf(64).lit, (std::array<bool, 3>{false, true, true}));
    EXPECT_EQ(monitor::digitsOf(100).lit, (std::array<bool, 3>{true, true, true}));
    EXPECT_EQ(monitor::instrumentNumber(105), 106);
    EXPECT_EQ(monitor::instrumentNumber(128), 0);
    EXPECT_EQ(monitor::instrumentNumber(-1), 0);
}

}  // namespace
}  // namespace zema
