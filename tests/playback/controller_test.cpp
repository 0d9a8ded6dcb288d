// The transport commands and device opening of the Qt-free controller.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "core/strings.h"
#include "playback/player_controller.h"
#include "playback_support.h"

namespace zema {
namespace {

using test::ManualClock;
using test::RecordingMidi;

class ControllerTest : public ::testing::Test {
protected:
    ControllerTest()
    {
        controller_.setRealtimePriority(false);
        controller_.setSleeper([this](int ms) { sleeps_.push_back(ms); });
        controller_.setDeviceFactory([this](const OutputSettings&, int& code) -> std::unique_ptr<IMidi> {
            code = factoryCode_;
            if (factoryCode_ >= 1 && factoryCode_ <= 3) return nullptr;
            auto device = std::make_unique<RecordingMidi>(&stamp_);
            device->longResult = longResult_;
            midi_ = device.get();
            return device;
        });
        // Every Play gets a fresh clock at time 0 that the test drives.
        controller_.setClockFactory([this] {
            clock_ = std::make_unique<ManualClock>();
            return std::make_unique<ForwardingClock>(*this);
        });
        controller_.setListener([this](PlayerNotification n) { codes_.push_back(static_cast<int32_t>(n.code)); });
    }

    // The controller owns its clock; this one forwards to the test's.
    class ForwardingClock final : public IMMLClock {
    public:
        explicit ForwardingClock(ControllerTest& test) : test_(test) {}
        int Begin() override { return 1; }
        void End() override {}
        uint64_t Now() override { return test_.clock_->Now(); }
        uint64_t Frequency() override { return 1000; }
        void SleepUntil(uint64_t deadline) override { test_.clock_->SleepUntil(deadline); }

    private:
        ControllerTest& test_;
    };

    void song(const std::vector<std::u16string>& tracks) { test::fillSong(song_, tracks); }

    ForwardingClock stamp_{*this};  // stamps the recorded messages

    // Lets the player run to its end and the controller clean up.
    void runOut()
    {
        clock_->runForever();
        while (controller_.playing()) {
            controller_.Poll();
            std::this_thread::yield();
        }
    }

    void TearDown() override
    {
        if (controller_.playing()) {
            clock_->runForever();
            controller_.Join();
        }
    }

    Song song_;
    PlayerController controller_{song_};
    std::unique_ptr<ManualClock> clock_ = std::make_unique<ManualClock>();
    RecordingMidi* midi_ = nullptr;
    int factoryCode_ = 0;
    int longResult_ = 0;
    std::vector<int> sleeps_;
    std::vector<int32_t> codes_;
};

TEST_F(ControllerTest, OpeningSendsTheResetThenEachUsedTracksSetupWithItsWaits)
{
    song({u"c", u"d"});
    song_.tracks[1].instrument = 7 + 40;  // GM program 40
    song_.tracks[1].volume = 90;
    song_.tracks[1].panpot = 10;
    OutputSettings settings;
    ASSERT_EQ(controller_.OpenOutputDevice(settings), 0);
    EXPECT_EQ(midi_->hex(), (std::vector<std::string>{"F0 7E 7F 09 01 F7", "C0 69", "B0 07 64", "B0 0A 40", "C1 28",
                                                       "B1 07 5A", "B1 0A 0A"}));
    EXPECT_EQ(sleeps_, (std::vector<int>{100, 10, 10}));
    EXPECT_FALSE(controller_.resetFailed());
    // A device exists: opening again does nothing.
    EXPECT_EQ(controller_.OpenOutputDevice(settings), 0);
    EXPECT_EQ(midi_->hex().size(), 7u);
}

TEST_F(ControllerTest, AFailedResetIsReportedAndSkipsItsWait)
{
    song({u"c"});
    longResult_ = 1;
    ASSERT_EQ(controller_.OpenOutputDevice(OutputSettings{}), 0);
    EXPECT_TRUE(controller_.resetFailed());
    EXPECT_EQ(sleeps_, (std::vector<int>{10}));
}

TEST_F(ControllerTest, OpenErrorsKeepOrDropTheDeviceAndHaveTheirMessages)
{
    for (int code : {1, 2, 3}) {
        factoryCode_ = code;
        EXPECT_EQ(controller_.OpenOutputDevice(OutputSettings{}), code);
        EXPECT_FALSE(controller_.hasOutput());
        EXPECT_EQ(controller_.Play(0, false), 1);
    }
    factoryCode_ = 4;  // a synthesizer without its bank stays open
    EXPECT_EQ(controller_.OpenOutputDevice(OutputSettings{}), 4);
    EXPECT_TRUE(controller_.hasOutput());

    EXPECT_EQ(outputDeviceErrorMessage(1), u"MIDI出力デバイスのオープンに失敗しました。");
    EXPECT_EQ(outputDeviceErrorMessage(2), loadString("IDS_ERR_DM_INIT"));
    EXPECT_EQ(outputDeviceErrorMessage(3), loadString("IDS_ERR_DM_OPEN"));
    EXPECT_EQ(outputDeviceErrorMessage(4), u"DLSファイルの読み込みに失敗しました。\nDLSファイルの設定を見直してください。");
    EXPECT_EQ(outputDeviceErrorMessage(5), loadString("IDS_ERR_DM_SYNTHLOAD"));
    EXPECT_EQ(outputDeviceErrorMessage(42), u"想定外のエラーが発生しました。");
    for (int code = 2; code <= 5; ++code) EXPECT_FALSE(outputDeviceErrorMessage(code).empty());
}

TEST_F(ControllerTest, PauseThenPlayResumesWhereItStopped)
{
    song({u"c4d4e4f4"});
    ASSERT_EQ(controller_.Play(0, false), 0);
    EXPECT_EQ(controller_.Play(0, false), 1);  // already playing
    clock_->runUntil(600);                     // tick 115, inside the d
    controller_.Poll();
    EXPECT_FALSE(controller_.busy());
    EXPECT_EQ(controller_.position(), (PositionDisplay{0, 115, 120}));
    controller_.PlayCommand();  // = Pause while playing
    EXPECT_TRUE(controller_.busy());
    runOut();
    EXPECT_EQ(controller_.startTick(), 115);
    EXPECT_EQ(controller_.position(), (PositionDisplay{0, 115, 120}));
    EXPECT_EQ(codes_, (std::vector<int32_t>{1, 2}));

    midi_->clear();
    controller_.PlayCommand();
    runOut();
    // The d began before tick 115 and is not sounded again; the e comes
    // (192 - 115) ticks after the restart.
    const auto notes = midi_->notes();
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(notes.front(), "80 3E 00");
    EXPECT_EQ(notes[1], "90 40 43");
}

TEST_F(ControllerTest, StopThenPlayStartsAgainFromThePreviousStart)
{
    song({u"c4d4e4f4"});
    controller_.Play(96, false);
    clock_->runUntil(300);
    controller_.Stop();
    runOut();
    EXPECT_EQ(controller_.startTick(), 0);
    controller_.BackToTop();
    EXPECT_EQ(controller_.startTick(), 0);
    midi_->clear();
    controller_.PlayCommand();
    clock_->runUntil(1);
    EXPECT_EQ(midi_->notes().front(), "90 3C 43");
}

TEST_F(ControllerTest, MeasureStepsStopAtZeroAndAtTheLastEvent)
{
    song({u"c1c1c4"});  // the track ends at tick 864
    EXPECT_EQ(controller_.lastEventTick(), 864);
    controller_.PreviousMeasure();
    EXPECT_EQ(controller_.startTick(), 0);
    std::vector<int32_t> ticks;
    for (int i = 0; i < 4; ++i) {
        controller_.NextMeasure();
        ticks.push_back(controller_.startTick());
    }
    EXPECT_EQ(ticks, (std::vector<int32_t>{384, 768, 864, 864}));
    controller_.PreviousMeasure();
    EXPECT_EQ(controller_.startTick(), 384);  // from measure 2 back to measure 1's start
    EXPECT_EQ(controller_.position(), (PositionDisplay{1, 0, 120}));
}

TEST_F(ControllerTest, MeasureStepsWhilePlayingSeek)
{
    song({u"c1c1c4"});
    controller_.Play(0, false);
    clock_->runUntil(100);
    controller_.Poll();
    controller_.NextMeasure();
    EXPECT_TRUE(controller_.busy());
    controller_.NextMeasure();  // ignored while busy
    clock_->runUntil(200);
    controller_.Poll();
    EXPECT_FALSE(controller_.busy());
    EXPECT_EQ(controller_.context().currentTick.load(), 384 + 19);
    controller_.BackToTop();
    clock_->runUntil(300);
    controller_.Poll();
    EXPECT_EQ(controller_.context().currentTick.load(), 19);
    EXPECT_EQ(codes_, (std::vector<int32_t>{1, 6, 6}));
}

TEST_F(ControllerTest, PlayFromCaretStartsAtTheFirstEventAtOrAfterTheCaret)
{
    song({u"c4d4\r\ne4f4"});
    controller_.PlayFromCaret(1, 0);
    EXPECT_EQ(controller_.startTick(), 192);
    ASSERT_TRUE(controller_.playing());
    clock_->runUntil(1);
    // The d's note-off shares the tick; then the e sounds first.
    EXPECT_EQ(midi_->notes(), (std::vector<std::string>{"80 3E 00", "90 40 43"}));
}

TEST_F(ControllerTest, MutingDuringPlaybackReachesThePlayerAndTheSong)
{
    song({u"c4d4"});
    controller_.Play(0, false);
    clock_->runUntil(100);
    controller_.SetTrackMute(0, true);
    EXPECT_TRUE(song_.tracks[0].mute);
    runOut();
    for (const auto& note : midi_->notes()) EXPECT_NE(note, "90 3E 43");
}

// The on-screen keyboard and a track's changed setup while the player runs
// or not: every message arrives, in the order sent, and the device never
// sees two threads at once.
TEST_F(ControllerTest, OwnerMessagesReachTheDeviceInOrderFromOneThreadAtATime)
{
    song({u"t240l16cdefgab>c<bagfed", u"l8efga"});
    ASSERT_EQ(controller_.OpenOutputDevice(OutputSettings{}), 0);
    song_.tracks[15].volume = 90;
    for (const bool playing : {false, true}) {
        SCOPED_TRACE(playing ? "playing" : "stopped");
        midi_->clear();
        if (playing) {
            ASSERT_EQ(controller_.Play(0, true), 0);
            clock_->runForever();
        }
        std::vector<std::string> sent;
        for (int i = 0; i < 3000; ++i) {
            const auto note = static_cast<uint8_t>(i % 128);
            EXPECT_EQ(controller_.SendNote(15, note, true), 0);
            EXPECT_EQ(controller_.SendNote(15, note, false), 0);
            sent.push_back(RecordingMidi::toHex({0x9F, note, 100}));
            sent.push_back(RecordingMidi::toHex({0x8F, note, 100}));
            if (i % 1000 == 0) {
                controller_.SendTrackSetup(15);
                for (const char* m : {"CF 69", "BF 07 5A", "BF 0A 40"}) sent.emplace_back(m);
            }
            if (i % 100 == 0) controller_.Poll();
        }
        if (playing) {
            // A stop is refused while the start is unanswered, as the
            // window's transport is.
            while (controller_.busy()) std::this_thread::yield();
            controller_.Stop();
            runOut();
        }
        std::vector<std::string> received;
        for (const std::string& m : midi_->hex()) {
            if (m[1] == 'F' && m != "BF 7B 7F" && m != "BF 40 00") received.push_back(m);  // not the stop's sweep
        }
        EXPECT_EQ(received, sent);
        EXPECT_EQ(midi_->overlaps(), 0);
    }
    EXPECT_EQ(controller_.SendNote(0, 128, true), 1);
    controller_.CloseOutputDevice();
    EXPECT_EQ(controller_.SendNote(0, 60, true), 1);
}

// A listener that waits for Finished to leave the playing state gets it even
// when the owner polled too seldom for the notification ring.
TEST_F(ControllerTest, FinishedReachesTheListenerAfterTheRingOverflowed)
{
    song({u"l64c"});  // about 42 ms a round with the pause at its end
    ASSERT_EQ(controller_.Play(0, true), 0);
    clock_->runUntil(8000);  // far more rounds than the ring holds
    const auto all = midi_->hex();
    EXPECT_GT(std::count(all.begin(), all.end(), "B0 7B 7F"), 100);
    controller_.Stop();
    runOut();
    EXPECT_EQ(std::count(codes_.begin(), codes_.end(), 2), 1);
    EXPECT_EQ(codes_.back(), 2);
}

}  // namespace
}  // namespace zema
