// The software synthesizer rendered offline: no audio device is needed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "playback/fluid_engine.h"
#include "playback/output_settings.h"
#include "playback/pcm_capture.h"
#include "playback/synth_out.h"
#include "playback_support.h"
#include "test_files.h"

namespace zema {
namespace {

// A chunk of a RIFF file: id, little-endian size, data, padding to even.
std::string chunk(const std::string& id, const std::string& data)
{
    std::string out = id;
    const auto size = static_cast<uint32_t>(data.size());
    for (int i = 0; i < 4; ++i) out += static_cast<char>((size >> (8 * i)) & 0xFF);
    out += data;
    if (data.size() % 2 != 0) out += '\0';
    return out;
}

std::string list(const std::string& type, const std::string& data)
{
    return chunk("LIST", type + data);
}

std::string le(uint32_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

// A DLS level 1 bank with one instrument ("TestSine", bank 0 program 0)
// holding a looped sine wave over the whole key range.
std::string tinyDls()
{
    constexpr uint32_t kRate = 22050;
    constexpr uint32_t kFrames = 50 * 40;  // 40 periods of 441 Hz
    std::string samples;
    for (uint32_t i = 0; i < kFrames; ++i) {
        const auto value = static_cast<int16_t>(12000 * std::sin(2 * M_PI * static_cast<double>(i) / 50.0));
        samples += le(static_cast<uint16_t>(value), 2);
    }
    const std::string wsmp = le(20, 4) + le(69, 2) + le(0, 2) + le(0, 4) + le(0, 4) + le(1, 4) +  // header
                             le(16, 4) + le(0, 4) + le(0, 4) + le(kFrames, 4);                 // one loop
    const std::string region = list("rgn ", chunk("rgnh", le(0, 2) + le(127, 2) + le(0, 2) + le(127, 2) + le(0, 2) + le(0, 2)) +
                                                chunk("wsmp", wsmp) +
                                                chunk("wlnk", le(0, 2) + le(0, 2) + le(1, 4) + le(0, 4)));
    const std::string instrument =
        list("ins ", chunk("insh", le(1, 4) + le(0, 4) + le(0, 4)) + list("lrgn", region) +
                         list("INFO", chunk("INAM", std::string("TestSine") + '\0')));
    const std::string wave = list("wave", chunk("fmt ", le(1, 2) + le(1, 2) + le(kRate, 4) + le(kRate * 2, 4) + le(2, 2) + le(16, 2)) +
                                              chunk("data", samples));
    const std::string body = chunk("colh", le(1, 4)) + list("lins", instrument) +
                             chunk("ptbl", le(8, 4) + le(1, 4) + le(0, 4)) + list("wvpl", wave);
    return chunk("RIFF", "DLS " + body);
}

SynthSettings stereo22k()
{
    return {22050, 2, false, false, false, 100};
}

// A synthesizer opened with the General MIDI bank.
std::unique_ptr<CSynthOut> generalMidiSynth(const SynthSettings& settings = stereo22k())
{
    auto synth = std::make_unique<CSynthOut>(settings, std::vector<std::string>{});
    EXPECT_EQ(synth->Open(0), 0);
    EXPECT_EQ(synth->LoadDls(""), 0);
    return synth;
}

float peakOf(const std::vector<float>& samples)
{
    float peak = 0;
    for (float s : samples) peak = std::max(peak, std::fabs(s));
    return peak;
}

// Renders `frames` frames of one note on the synthesizer.
std::vector<float> renderNote(CSynthOut& synth, size_t frames, uint8_t program = 0)
{
    synth.ShortMsg(0xC0, 0, program, 0);
    synth.ShortMsg(0x90, 0, 69, 127);
    std::vector<float> left(frames);
    std::vector<float> right(frames);
    EXPECT_TRUE(synth.RenderBlock(frames, left.data(), right.data()));
    return left;
}

TEST(SynthOut, GeneralMidiSetSoundsAtOnceAndReportsItsLevel)
{
    ASSERT_TRUE(std::filesystem::exists(defaultGeneralMidiBank())) << defaultGeneralMidiBank();
    auto owned = generalMidiSynth();
    CSynthOut& synth = *owned;
    EXPECT_GT(synth.Instruments().size(), 100u);
    synth.SetMetering(true);
    EXPECT_EQ(synth.LevelDecibels(), (std::array<double, 2>{100, 100}));

    const auto left = renderNote(synth, 2205);  // 100 ms
    // Sound within the first 20 ms: messages reach the very next block.
    const auto first = std::find_if(left.begin(), left.end(), [](float s) { return s != 0.0f; });
    EXPECT_LT(first - left.begin(), 441) << "first sound at frame " << (first - left.begin());
    const auto level = synth.LevelDecibels();
    EXPECT_LT(level[0], 40.0);
    EXPECT_GT(level[0], 0.0);

    synth.ShortMsg(0xB0, 0, 123, 0);
    std::vector<float> tail(22050 * 2);
    synth.RenderBlock(tail.size(), tail.data());
    EXPECT_EQ(synth.LevelDecibels()[0], 100.0);
}

TEST(SynthOut, VolumeIsAGainFromSilenceToUnity)
{
    const auto loud = generalMidiSynth();
    const auto quiet = generalMidiSynth();
    const auto half = generalMidiSynth();
    quiet->SetVolume(0);
    half->SetVolume(50);
    loud->SetVolume(150);  // out of range: full volume
    EXPECT_EQ(loud->settings().volume, 100);
    const float full = peakOf(renderNote(*loud, 4410));
    EXPECT_GT(full, 0.0f);
    EXPECT_EQ(peakOf(renderNote(*quiet, 4410)), 0.0f);
    EXPECT_NEAR(peakOf(renderNote(*half, 4410)), full / 2, full * 0.01);
}

TEST(SynthOut, AMissingBankFailsWithCodeFourAndTheOutputStaysOpen)
{
    CSynthOut synth(stereo22k(), {});
    ASSERT_EQ(synth.Open(0), 0);
    const std::string missing = test::tempPath("no-such-bank.dls").string();
    EXPECT_EQ(synth.LoadDls(missing), 1);
    EXPECT_TRUE(synth.isOpen());
    EXPECT_TRUE(synth.Instruments().empty());
    EXPECT_EQ(synth.ShortMsg(0x90, 0, 60, 100), 0);
    EXPECT_EQ(peakOf(renderNote(synth, 2205)), 0.0f);

    // Through the device factory: code 4 for the bank, the device kept.
    OutputSettings settings;
    settings.kind = OutputKind::SynthBank;
    settings.bankPath = missing;
    int code = 0;
    // Without an audio device the open itself fails first, with 3.
    const auto device = createOutputDevice(settings, code);
    EXPECT_EQ(code, device ? kBankLoadFailed : kSynthOutputFailed);
}

TEST(SynthOut, AnUnavailableAudioDriverFailsOpenWithCodeThree)
{
    CSynthOut synth(stereo22k(), {"no-such-driver"});
    EXPECT_EQ(synth.Open(0), kSynthOutputFailed);
    EXPECT_FALSE(synth.isOpen());
    EXPECT_EQ(synth.ShortMsg(0x90, 0, 60, 100), 1);
    EXPECT_EQ(synth.LoadDls(""), 1);
}

TEST(SynthOut, LoadsADlsBankAndPlaysItsInstrument)
{
    const auto path = test::tempPath("tiny.dls");
    test::writeBytes(path, tinyDls());
    CSynthOut synth(stereo22k(), {});
    ASSERT_EQ(synth.Open(0), 0);
    ASSERT_EQ(synth.LoadDls(path.string()), 0);
    const auto instruments = synth.Instruments();
    ASSERT_EQ(instruments.size(), 1u);
    EXPECT_EQ(instruments[0].name, "TestSine");
    EXPECT_EQ(instruments[0].patch, 0);
    EXPECT_GT(peakOf(renderNote(synth, 4410)), 0.01f);
}

TEST(SynthOut, DelayEffectAddsTheEcho)
{
    SynthSettings wet = stereo22k();
    wet.delay = true;
    // A short note, then silence: only the delayed synthesizer still sounds
    // a delay time after the note has died away.
    auto play = [](CSynthOut& s) {
        s.ShortMsg(0xC0, 0, 12, 0);  // marimba: short decay
        s.ShortMsg(0x90, 0, 72, 127);
        std::vector<float> out(22050);
        s.RenderBlock(out.size(), out.data());
        return out;
    };
    const auto plain = play(*generalMidiSynth());
    const auto echoed = play(*generalMidiSynth(wet));
    const size_t echo = static_cast<size_t>(22050 * FeedbackDelay::kDelaySeconds);
    EXPECT_GT(peakOf({echoed.begin() + echo, echoed.begin() + echo + 200}),
              peakOf({plain.begin() + echo, plain.begin() + echo + 200}) * 1.05f);
}

TEST(FeedbackDelay, RepeatsAnImpulseWithFeedback)
{
    FeedbackDelay delay;
    delay.configure(1000);  // 250 frames of delay
    ASSERT_EQ(delay.delayFrames(), 250u);
    std::vector<float> left(600, 0.0f);
    std::vector<float> right(600, 0.0f);
    left[0] = 1.0f;
    delay.process(left.data(), right.data(), left.size());
    EXPECT_FLOAT_EQ(left[0], 1.0f);
    EXPECT_FLOAT_EQ(left[250], FeedbackDelay::kWet);
    EXPECT_FLOAT_EQ(left[500], FeedbackDelay::kWet * FeedbackDelay::kFeedback);
    EXPECT_FLOAT_EQ(right[250], 0.0f);
}

TEST(Peaks, StereoMonoAndBlocksShorterThanAFrame)
{
    const int16_t stereo[] = {100, -200, -300, 50, 7, 7};
    BlockPeaks peaks{1, 1};
    ASSERT_TRUE(blockPeaks(reinterpret_cast<const uint8_t*>(stereo), sizeof stereo, 2, peaks));
    EXPECT_EQ(peaks.left, 300);
    EXPECT_EQ(peaks.right, 200);

    const int16_t mono[] = {-32768, 5};
    ASSERT_TRUE(blockPeaks(reinterpret_cast<const uint8_t*>(mono), sizeof mono, 1, peaks));
    EXPECT_EQ(peaks.left, 32768);
    EXPECT_EQ(peaks.right, 32768);

    EXPECT_FALSE(blockPeaks(reinterpret_cast<const uint8_t*>(stereo), 3, 2, peaks));
    EXPECT_FALSE(blockPeaks(reinterpret_cast<const uint8_t*>(mono), 1, 1, peaks));
    EXPECT_EQ(peaks.left, 32768);  // unchanged

    EXPECT_EQ(peakDecibels(0), 100.0);
    EXPECT_EQ(peakDecibels(32767), 0.0);
    EXPECT_EQ(peakDecibels(32768), 0.0);
    EXPECT_NEAR(peakDecibels(16384), 6.02, 0.01);
}

}  // namespace
}  // namespace zema
