// A thousand rounds of play, seek, pause, loop and stop through the
// controller on the recording device, with a clock that never waits: every
// note-on gets its note-off, every stop its all-notes-off sweep, nothing
// hangs and the event storage keeps its size.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "playback/player_controller.h"
#include "playback_support.h"
#include "transport_cycles.h"

namespace zema {
namespace {

// Milliseconds that pass as fast as the player asks for them: each sleep
// jumps to its deadline (one period at most) and only yields the processor.
class RacingClock final : public IMMLClock {
public:
    int Begin() override { return 1; }
    void End() override {}
    uint64_t Now() override { return now_.load(); }
    uint64_t Frequency() override { return 1000; }
    void SleepUntil(uint64_t deadline) override
    {
        const uint64_t now = now_.load();
        now_.store(std::max(now, std::min(deadline, now + 1)));
        std::this_thread::yield();
    }

private:
    std::atomic<uint64_t> now_{0};
};

TEST(TransportStress, AThousandRoundsLeaveNoNoteSoundingAndNoStorageGrowing)
{
    Song song;
    // Overlapping notes on three channels, a tie across the measure line and
    // a tempo change, so seeks land inside sounding notes.
    test::fillSong(song, {u"t180l8cdefgab>c<bagfedc2&c2", u"l4o3ceg>c<gec2.", u"v12l2eg1t200fa"});
    PlayerController controller(song);
    test::RecordingMidi* device = nullptr;
    controller.setRealtimePriority(false);
    controller.setSleeper([](int) {});
    controller.setClockFactory([] { return std::make_unique<RacingClock>(); });
    controller.setDeviceFactory([&device](const OutputSettings&, int& code) -> std::unique_ptr<IMidi> {
        code = 0;
        auto made = std::make_unique<test::RecordingMidi>();
        device = made.get();
        return made;
    });
    ASSERT_EQ(controller.OpenOutputDevice(OutputSettings{}), 0);

    size_t eventStorage = 0;
    int noteOns = 0;
    for (int cycle = 0; cycle < 1000; ++cycle) {
        device->clear();
        const std::string hung = test::runTransportCycle(controller, cycle, [] { std::this_thread::yield(); });
        ASSERT_EQ(hung, "");
        const auto messages = device->hex();
        const test::NoteAudit audit = test::auditNotes(messages);
        ASSERT_EQ(audit.leaked, 0) << "cycle " << cycle;
        ASSERT_EQ(audit.doubled, 0) << "cycle " << cycle;
        // Each of the two plays ends in a sweep (a loop's ends add more); the
        // last messages are the stop's.
        ASSERT_GE(audit.sweeps, 2) << "cycle " << cycle;
        ASSERT_TRUE(messages.size() >= 32 && test::isSweepAt(messages, messages.size() - 32)) << "cycle " << cycle;
        ASSERT_EQ(device->overlaps(), 0);
        noteOns += audit.noteOns;
        // Stopped: the player's copy of the events is the owner's to read.
        if (cycle == 0) eventStorage = controller.context().events.capacity();
        ASSERT_EQ(controller.context().events.capacity(), eventStorage) << "cycle " << cycle;
    }
    EXPECT_GT(noteOns, 1000);
    EXPECT_FALSE(controller.playing());
}

}  // namespace
}  // namespace zema
