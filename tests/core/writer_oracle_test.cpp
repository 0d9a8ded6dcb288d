// The promise that matters most: a rewritten track plays exactly like its
// source. Checked on every track of the real corpus and on random texts.
#include <gtest/gtest.h>

#include <array>

#include "core/clipboard_export.h"
#include "core/mml_writer.h"
#include "core/unicode.h"
#include "corpus_tracks.h"
#include "writer_oracle.h"

namespace zema {
namespace {

using test::Sound;
using test::soundOf;

constexpr std::array<std::pair<int, int>, 4> kSettings = {{{0, 0}, {1, -1}, {1, 0}, {1, 1}}};

// Every writer setting and the best of five must sound like the source.
void expectSameSound(const TimingContext& timing, const std::u16string& text, const std::string& label)
{
    const Sound source = soundOf(timing, text);
    for (const auto& [mode, option] : kSettings) {
        std::u16string out;
        const int32_t written = rewriteTrack(timing, text, mode, option, out);
        EXPECT_EQ(written, static_cast<int32_t>(out.size()));
        const Sound rewritten = soundOf(timing, out);
        EXPECT_EQ(rewritten, source) << label << " mode " << mode << " option " << option << "\n  source: "
                                     << utf16ToUtf8(text) << "\n  output: " << utf16ToUtf8(out);
        if (rewritten != source) return;  // one report per text is enough
    }
    const OptimizedPart best = optimizePart(timing, text);
    EXPECT_EQ(soundOf(timing, best.text), source) << label << " best of five (" << best.candidate << ")";
}

TEST(WriterOracle, EveryCorpusTrackSoundsTheSameAfterRewriting)
{
    const auto tracks = test::corpusTracks();
    ASSERT_GT(tracks.size(), 300U) << "corpus not found under " << ZEMA_CORPUS_DIR;
    for (const auto& track : tracks) expectSameSound(track.timing, track.text, track.name);
}

TEST(WriterOracle, RandomTextsSoundTheSameAfterRewriting)
{
    for (uint32_t seed = 1; seed <= 600; ++seed) {
        const std::u16string text = test::randomBasicText(seed, 20 + static_cast<int>(seed % 200));
        expectSameSound({}, text, "seed " + std::to_string(seed));
    }
}

TEST(WriterOracle, RandomTextsAtOtherTimingsSoundTheSame)
{
    const TimingContext timings[] = {{32, 4, 4}, {48, 3, 4}, {120, 6, 8}, {480, 4, 4}, {7, 4, 4}, {1, 4, 4}};
    uint32_t seed = 10'000;
    for (const TimingContext& timing : timings) {
        for (int k = 0; k < 60; ++k, ++seed) {
            expectSameSound(timing, test::randomBasicText(seed), "timebase " + std::to_string(timing.timebase) +
                                                                     " seed " + std::to_string(seed));
        }
    }
}

}  // namespace
}  // namespace zema
