// WAVE files as the recording and the fast render write them, field by field.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "playback/offline_render.h"
#include "playback/synth_out.h"
#include "playback/wave_writer.h"
#include "playback_support.h"
#include "test_files.h"

namespace zema {
namespace {

uint32_t u32(const std::string& s, size_t at)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8 |
                                 static_cast<uint8_t>(s[at + 2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(s[at + 3])) << 24);
}

uint16_t u16(const std::string& s, size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8);
}

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

class RecordingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(synth_.Open(0), 0);
        ASSERT_EQ(synth_.LoadDls(""), 0);
    }
    CSynthOut synth_{SynthSettings{22050, 2, false, false, false, 100}, {}};
};

TEST_F(RecordingTest, RecordsEveryRenderedBlockUntilStopped)
{
    const auto path = test::tempPath("recording.wav");
    EXPECT_EQ(synth_.StartRecording(path), 0);
    EXPECT_EQ(synth_.StartRecording(test::tempPath("second.wav")), 1);  // already recording
    synth_.ShortMsg(0x90, 0, 60, 100);
    synth_.RenderBlock(1000);
    synth_.RenderBlock(5000);  // longer than one internal chunk
    EXPECT_EQ(synth_.recordedBytes(), 6000u * 4);
    EXPECT_EQ(synth_.StopRecording(), 0);
    synth_.RenderBlock(100);  // not recorded any more
    const std::string file = test::readBytes(path);
    EXPECT_EQ(checkHeader(file, 22050, 2), 6000u * 4);
    EXPECT_FALSE(silent(file, 46, file.size()));
}

TEST_F(RecordingTest, AnAbortedRecordingIsAValidFile)
{
    const auto path = test::tempPath("aborted.wav");
    ASSERT_EQ(synth_.StartRecording(path), 0);
    synth_.RenderBlock(333);
    synth_.Close();  // closing the output ends the recording first
    const std::string file = test::readBytes(path);
    EXPECT_EQ(checkHeader(file, 22050, 2), 333u * 4);

    ASSERT_EQ(synth_.StartRecording(test::tempPath("closed.wav")), 1);  // not open
    ASSERT_EQ(synth_.Open(0), 0);
    ASSERT_EQ(synth_.StartRecording(path), 0);
    synth_.StopRecording();  // right after the start: no audio at all
    EXPECT_EQ(checkHeader(test::readBytes(path), 22050, 2), 0u);
    EXPECT_EQ(synth_.StartRecording(test::tempPath("no-such-folder") / "x.wav"), 1);
}

TEST(FastRender, WritesTheWholeSongWithItsTailAtOnce)
{
    Song song;
    test::fillSong(song, {u"t120 c4", u"e4"});  // 96 ticks: half a second
    RenderOptions options;
    options.synth = {22050, 2, false, false, false, 100};
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
