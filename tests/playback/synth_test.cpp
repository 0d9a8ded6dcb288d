// The software synthesizer rendered offline (no audio device is needed), and
// the WAVE files its recording and the fast render write, field by field.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "playback/fluid_engine.h"
#include "playback/offline_render.h"
#include "playback/output_settings.h"
#include "playback/pcm_capture.h"
#include "playback/synth_out.h"
#include "playback/wave_writer.h"
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


// The little-endian number of `bytes` bytes at `at`.
uint32_t readLe(const std::string& s, size_t at, int bytes)
{
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(s[at + static_cast<size_t>(i)]);
    return value;
}
uint32_t u32(const std::string& s, size_t at) { return readLe(s, at, 4); }
uint32_t u16(const std::string& s, size_t at) { return readLe(s, at, 2); }

// Checks every header field of a 16-bit PCM file and returns its data size.
uint32_t checkHeader(const std::string& file, uint32_t rate, uint16_t channels)
{
    EXPECT_GE(file.size(), 46u);
    if (file.size() < 46) return 0;
    for (const auto& [at, id] : {std::pair<size_t, const char*>{0, "RIFF"}, {8, "WAVE"}, {12, "fmt "}, {38, "data"}})
        EXPECT_EQ(file.substr(at, 4), id) << at;
    // fmt: size 18, PCM, channels, rate, bytes a second, block align, 16 bits, no extra bytes.
    EXPECT_EQ(u32(file, 16), 18u);
    EXPECT_EQ((std::array<uint32_t, 7>{u16(file, 20), u16(file, 22), u32(file, 24), u32(file, 28), u16(file, 32),
                                       u16(file, 34), u16(file, 36)}),
              (std::array<uint32_t, 7>{1, channels, rate, rate * channels * 2, channels * 2u, 16, 0}));
    const uint32_t data = u32(file, 42);
    EXPECT_EQ(u32(file, 4), 38 + data);
    EXPECT_EQ(file.size(), 46u + data);
    return data;
}

bool silent(const std::string& file, size_t from, size_t to)
{
    for (size_t i = from; i + 1 < to && i + 1 < file.size(); i += 2) {
        if (u16(file, i) != 0) return false;
    }
    return true;
}

TEST(WaveFileWriter, WritesTheHeaderAndPatchesTheSizes)
{
    const auto path = test::tempPath("writer.wav");
    WaveFileWriter writer;
    ASSERT_TRUE(writer.open(path, {11025, 1}));
    const std::string opened = test::readBytes(path);
    ASSERT_EQ(opened.size(), kWaveHeaderSize);
    EXPECT_EQ(u32(opened, 4), 0u);  // patched only at the end
    const char audio[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_TRUE(writer.append(audio, sizeof audio));
    ASSERT_TRUE(writer.finish());
    const std::string file = test::readBytes(path);
    EXPECT_EQ(checkHeader(file, 11025, 1), 6u);
    EXPECT_EQ(file.substr(46), std::string(audio, 6));
    EXPECT_FALSE(writer.open(test::tempPath("no-such-folder") / "x.wav", {44100, 2}));
}

TEST(Recording, RecordsEveryRenderedBlockUntilStopped)
{
    const auto synth = generalMidiSynth();
    const auto path = test::tempPath("recording.wav");
    EXPECT_EQ(synth->StartRecording(path), 0);
    EXPECT_EQ(synth->StartRecording(test::tempPath("second.wav")), 1);  // already recording
    synth->ShortMsg(0x90, 0, 60, 100);
    synth->RenderBlock(1000);
    synth->RenderBlock(5000);  // longer than one internal chunk
    EXPECT_EQ(synth->recordedBytes(), 6000u * 4);
    EXPECT_EQ(synth->StopRecording(), 0);
    synth->RenderBlock(100);  // not recorded any more
    const std::string file = test::readBytes(path);
    EXPECT_EQ(checkHeader(file, 22050, 2), 6000u * 4);
    EXPECT_FALSE(silent(file, 46, file.size()));
}

TEST(Recording, AnAbortedRecordingIsAValidFile)
{
    const auto synth = generalMidiSynth();
    const auto path = test::tempPath("aborted.wav");
    ASSERT_EQ(synth->StartRecording(path), 0);
    synth->RenderBlock(333);
    synth->Close();  // closing the output ends the recording first
    const std::string file = test::readBytes(path);
    EXPECT_EQ(checkHeader(file, 22050, 2), 333u * 4);

    ASSERT_EQ(synth->StartRecording(test::tempPath("closed.wav")), 1);  // not open
    ASSERT_EQ(synth->Open(0), 0);
    ASSERT_EQ(synth->StartRecording(path), 0);
    synth->StopRecording();  // right after the start: no audio at all
    EXPECT_EQ(checkHeader(test::readBytes(path), 22050, 2), 0u);
    EXPECT_EQ(synth->StartRecording(test::tempPath("no-such-folder") / "x.wav"), 1);
}

TEST(FastRender, WritesTheWholeSongWithItsTailAtOnce)
{
    Song song;
    test::fillSong(song, {u"t120 c4", u"e4"});  // 96 ticks: half a second
    RenderOptions options;
    options.synth = stereo22k();
    std::vector<int32_t> ticks;
    options.progress = [&ticks](int32_t tick, int32_t end) {
        ticks.push_back(tick);
        EXPECT_EQ(end, 96);
        return true;
    };
    const auto path = test::tempPath("render.wav");
    const RenderResult result = renderSongToWave(song, options, path);
    ASSERT_EQ(result.status, RenderStatus::Ok);
    // The song, the 10 ms before the closing all-notes-off, and 500 ms of tail.
    const uint32_t frames = 11025 + 220 + 11025;
    EXPECT_EQ(result.dataBytes, frames * 4);
    const std::string file = test::readBytes(path);
    EXPECT_EQ(checkHeader(file, 22050, 2), frames * 4);
    EXPECT_FALSE(silent(file, 46, 46 + 441 * 4)) << "the first note sounds within 20 ms";
    ASSERT_FALSE(ticks.empty());
    EXPECT_TRUE(std::is_sorted(ticks.begin(), ticks.end()));
    EXPECT_EQ(ticks.back(), 96);

    // An independent reader agrees.
    const std::string command = "soxi -s '" + path.string() + "' > '" + path.string() + ".txt'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(std::stoul(test::readBytes(path.string() + ".txt")), frames);
}

TEST(FastRender, MonoAndCancelledRendersAreValidFiles)
{
    Song song;
    test::fillSong(song, {u"c1c1c1c1"});
    RenderOptions options;
    options.synth = {11025, 1, true, true, true, 80};
    options.progress = [](int32_t tick, int32_t) { return tick < 200; };
    const auto path = test::tempPath("cancelled.wav");
    const RenderResult result = renderSongToWave(song, options, path);
    EXPECT_EQ(result.status, RenderStatus::Cancelled);
    const std::string file = test::readBytes(path);
    EXPECT_EQ(checkHeader(file, 11025, 1), result.dataBytes);
    EXPECT_LT(result.dataBytes, 11025u * 2 * 8);  // well short of the 8 s song

    options.bankPath = test::tempPath("missing.sf2").string();
    EXPECT_EQ(renderSongToWave(song, options, path).status, RenderStatus::BankFailed);
    options.bankPath.clear();
    EXPECT_EQ(renderSongToWave(song, options, test::tempPath("no-such-folder") / "x.wav").status, RenderStatus::FileFailed);
}

}  // namespace
}  // namespace zema
