// The player thread against a recording device and a clock moved by hand.
#include <gtest/gtest.h>

#include <thread>

#include "playback/player.h"
#include "playback_support.h"

namespace zema {
namespace {

using test::ManualClock;
using test::noteEvent;
using test::RecordingListener;
using test::RecordingMidi;
using test::valueEvent;

// At timebase 96 and tempo 120 a quarter note (96 ticks) lasts 500 ms.
class PlayerTest : public ::testing::Test {
protected:
    void start(SongEventList events, int32_t seekTick = 0, bool loop = false)
    {
        context_.events = std::move(events);
        context_.timebase = 96;
        context_.output = &midi_;
        context_.clock = &clock_;
        context_.owner = &listener_;
        context_.seekTick = seekTick;
        context_.loopStartTick = seekTick;
        context_.loop = loop;
        thread_ = std::thread([this] { runPlayer(context_); });
    }
    void finish()
    {
        clock_.runForever();
        thread_.join();
    }
    void TearDown() override
    {
        if (thread_.joinable()) {
            context_.command = PlayerCommand::Stop;
            finish();
        }
    }
    // Messages sent at time `ms`, as hex.
    std::vector<std::string> at(uint64_t ms) const
    {
        std::vector<std::string> out;
        for (const auto& m : midi_.messages()) {
            if (m.time == ms) out.push_back(RecordingMidi::toHex(m.bytes));
        }
        return out;
    }
    // Whether all that was sent at `ms` is the stop's sweep of the 16 channels.
    bool sweepOnlyAt(uint64_t ms) const { return at(ms).size() == 32 && test::isSweepAt(at(ms), 0); }

    ManualClock clock_;
    RecordingMidi midi_{&clock_};
    RecordingListener listener_;
    PlayerContext context_;
    std::thread thread_;
};

TEST_F(PlayerTest, OneTickPlaysNoteOffsFirstThenTracksInOrderAtTheirTimes)
{
    start({noteEvent(0, 0, 96, 60, 8, 0), noteEvent(1, 0, 96, 64, 8, 0), noteEvent(0, 96, 96, 62, 8, 1),
           valueEvent(TrackEventKind::Program, 1, 96, 5, 0, 1), noteEvent(1, 96, 96, 65, 8, 2),
           valueEvent(TrackEventKind::TrackEnd, 0, 192, 0, 0, 2), valueEvent(TrackEventKind::TrackEnd, 1, 192, 0, 0, 3)});
    finish();
    EXPECT_EQ(at(0), (std::vector<std::string>{"90 3C 43", "91 40 43"}));
    // The note-offs of one tick come first (the later note's first), then
    // track 0's events, then track 1's in their own order.
    EXPECT_EQ(at(500), (std::vector<std::string>{"81 40 00", "80 3C 00", "90 3E 43", "C1 05", "91 41 43"}));
    EXPECT_EQ(at(1000), (std::vector<std::string>{"81 41 00", "80 3E 00"}));
    EXPECT_TRUE(sweepOnlyAt(1010));
    EXPECT_EQ(midi_.messages().size(), 2u + 5u + 2u + 32u);
    EXPECT_EQ(listener_.codes(), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(context_.lastIndex[0].load(), 2);
    EXPECT_EQ(context_.lastIndex[1].load(), 3);
}

TEST_F(PlayerTest, ZeroLengthAndSilentNotes)
{
    start({noteEvent(0, 0, 0, 60), noteEvent(0, 96, 48, 62, 0), valueEvent(TrackEventKind::TrackEnd, 0, 192, 0)});
    clock_.runUntil(100);
    // A note of length 0 is ended at once instead of sounding until the end.
    EXPECT_EQ(at(0), (std::vector<std::string>{"90 3C 43", "80 3C 00"}));
    EXPECT_EQ(context_.level[0].load(), 67);
    EXPECT_EQ(context_.lowNotes[0].load(), 0u);
    clock_.runUntil(600);
    // Volume 0 sends a note-off instead of a note-on and zeroes the level.
    EXPECT_EQ(at(500), (std::vector<std::string>{"80 3E 00"}));
    EXPECT_EQ(context_.level[0].load(), 0);
    finish();
    EXPECT_EQ(at(750), (std::vector<std::string>{"80 3E 00"}));
}

TEST_F(PlayerTest, StartInTheMiddleUsesTheTempoInForceAndSkipsEarlierNotes)
{
    start({valueEvent(TrackEventKind::Tempo, 0, 0, 240), noteEvent(0, 0, 192, 60), noteEvent(0, 96, 96, 62),
           noteEvent(0, 192, 96, 64), valueEvent(TrackEventKind::TrackEnd, 0, 288, 0)},
          96);
    clock_.runUntil(10);
    EXPECT_EQ(context_.tempo.load(), 240);
    EXPECT_EQ(at(0), (std::vector<std::string>{"90 3E 43"}));
    finish();
    for (const auto& m : midi_.notes()) EXPECT_NE(m, "90 3C 43");
    EXPECT_EQ(at(250), (std::vector<std::string>{"80 3E 00", "80 3C 00", "90 40 43"}));
}

TEST_F(PlayerTest, SeekBackFlushesEverythingAndSeekForwardOnlyWhatEnded)
{
    start({noteEvent(0, 0, 384, 60), noteEvent(1, 0, 96, 64), noteEvent(1, 96, 96, 65), noteEvent(1, 192, 96, 67),
           valueEvent(TrackEventKind::TrackEnd, 0, 384, 0)});
    clock_.runUntil(600);
    EXPECT_EQ(context_.currentTick.load(), 115);
    midi_.clear();

    context_.seekTick = 0;
    context_.command = PlayerCommand::Seek;
    clock_.runUntil(700);
    EXPECT_EQ(at(600), (std::vector<std::string>{"80 3C 00", "81 41 00", "90 3C 43", "91 40 43"}));
    midi_.clear();

    // From tick 19: the short note has ended by tick 288, the long one goes on
    // to its own end at tick 384.
    context_.seekTick = 288;
    context_.command = PlayerCommand::Seek;
    finish();
    EXPECT_EQ(at(700).front(), "81 40 00");
    EXPECT_EQ(at(1200), (std::vector<std::string>{"80 3C 00"}));
    const auto all = listener_.all();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[1].code, PlayerNotifyCode::SeekDone);
    EXPECT_EQ(all[1].value, 0);
    EXPECT_EQ(all[2].value, 288);
    EXPECT_EQ(all[3].code, PlayerNotifyCode::Finished);
}

TEST_F(PlayerTest, LoopRestartsAtTheStartTick)
{
    start({noteEvent(0, 0, 96, 60), valueEvent(TrackEventKind::TrackEnd, 0, 96, 0)}, 0, true);
    clock_.runUntil(520);
    EXPECT_EQ(at(0), (std::vector<std::string>{"90 3C 43"}));
    const auto restart = at(510);
    ASSERT_EQ(restart.size(), 33u);  // the end sweep, then the first note again
    EXPECT_EQ(restart.back(), "90 3C 43");
    EXPECT_EQ(at(500).front(), "80 3C 00");
    context_.command = PlayerCommand::Stop;
    finish();
    EXPECT_EQ(listener_.codes(), (std::vector<int32_t>{1, 9, 1, 2}));
}

TEST_F(PlayerTest, StartAfterTheLastEventGoesStraightToEndAndLoopsThere)
{
    start({noteEvent(0, 0, 96, 60), valueEvent(TrackEventKind::TrackEnd, 0, 96, 0)}, 200, true);
    clock_.runUntil(35);
    context_.command = PlayerCommand::Stop;
    finish();
    EXPECT_TRUE(midi_.notes().empty());
    for (const uint64_t ms : {10u, 20u, 30u}) EXPECT_TRUE(sweepOnlyAt(ms)) << ms;
    EXPECT_EQ(listener_.codes(), (std::vector<int32_t>{1, 9, 1, 9, 1, 9, 1, 2}));
}

TEST_F(PlayerTest, WithoutLoopTheEndFinishes)
{
    start({noteEvent(0, 0, 96, 60), valueEvent(TrackEventKind::TrackEnd, 0, 96, 0)}, 96);
    finish();
    EXPECT_EQ(at(0), (std::vector<std::string>{"80 3C 00"}));
    EXPECT_TRUE(sweepOnlyAt(10));
    EXPECT_EQ(listener_.codes(), (std::vector<int32_t>{1, 2}));
}

TEST_F(PlayerTest, MuteSilencesNoteOnsOnlyAndIsReadAtEachNote)
{
    context_.mute[1] = true;
    start({valueEvent(TrackEventKind::Program, 1, 0, 40), valueEvent(TrackEventKind::Control, 1, 0, 7, 90),
           noteEvent(1, 0, 96, 64), noteEvent(1, 96, 96, 65), valueEvent(TrackEventKind::TrackEnd, 1, 192, 0)});
    clock_.runUntil(250);
    EXPECT_EQ(at(0), (std::vector<std::string>{"C1 28", "B1 07 5A"}));
    // The muted note still shows on the keyboard: note 64 is bit 0 of the high mask.
    EXPECT_EQ(context_.highNotes[1].load(), 1u);
    context_.mute[1] = false;
    finish();
    EXPECT_EQ(at(500), (std::vector<std::string>{"81 40 00", "91 41 43"}));
}

// A clock that always wakes 1 ms after the deadline it was given.
class LateClock final : public IMMLClock {
public:
    int Begin() override { return 1; }
    void End() override {}
    uint64_t Now() override { return now_; }
    uint64_t Frequency() override { return 1000; }
    void SleepUntil(uint64_t deadline) override { now_ = std::max(now_, deadline + 1); }

private:
    uint64_t now_ = 0;
};

TEST(PlayerTiming, LateWakeUpsDoNotAddUpOverASong)
{
    LateClock clock;
    RecordingMidi midi(&clock);
    PlayerContext context;
    for (int i = 0; i < 20; ++i) context.events.push_back(noteEvent(0, i * 96, 96, 60 + i));
    context.output = &midi;
    context.clock = &clock;
    runPlayer(context);
    std::vector<uint64_t> noteOns;
    for (const auto& m : midi.messages()) {
        if ((m.bytes[0] & 0xF0) == 0x90) noteOns.push_back(m.time);
    }
    ASSERT_EQ(noteOns.size(), 20u);
    EXPECT_EQ(noteOns.back(), 19u * 500 + 1);
}

TEST_F(PlayerTest, CommandsBetweenEventsOfOneTickLeaveNoNoteSoundingOrSoundedTwice)
{
    struct Row {
        const char* trigger;  // at tick 96: "81 40 00", "80 3C 00", then "90 3E 43"
        PlayerCommand command;
        int32_t seekTick;
    };
    for (const Row row : {Row{"81 40 00", PlayerCommand::Stop, 0}, Row{"90 3E 43", PlayerCommand::Seek, 96},
                          Row{"81 40 00", PlayerCommand::Seek, 144}}) {
        SCOPED_TRACE(row.trigger);
        midi_.clear();
        context_.command = PlayerCommand::Run;
        // The command lands the moment the device receives the trigger,
        // between two events of one tick.
        bool fired = false;
        midi_.onShortMessage = [&](const std::string& message) {
            if (fired || message != row.trigger) return;
            fired = true;
            context_.seekTick = row.seekTick;
            context_.command = row.command;
        };
        start({noteEvent(0, 0, 96, 60), noteEvent(1, 0, 96, 64), noteEvent(0, 96, 96, 62),
               valueEvent(TrackEventKind::TrackEnd, 0, 192, 0)});
        finish();
        EXPECT_TRUE(fired);
        const test::NoteAudit audit = test::auditNotes(midi_.hex());
        EXPECT_EQ(audit.leaked, 0);
        EXPECT_EQ(audit.doubled, 0);
        EXPECT_EQ(audit.sweeps, 1);
    }
}

}  // namespace
}  // namespace zema
