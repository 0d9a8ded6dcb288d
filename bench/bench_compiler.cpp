// Compiler throughput against a pass that only classifies characters, and the
// cost of recompiling a full sixteen-track song at the largest rank-1 sizes.
#include <memory>
#include <random>
#include <string>

#include "bench_support.h"
#include "core/mml_compiler.h"
#include "core/song.h"

namespace {

using namespace zema;

// Deterministic MML in the style of real songs, about `bytes` long.
std::u16string generateBasic(size_t bytes, uint32_t seed)
{
    static const char16_t* const pieces[] = {u"c", u"d8", u"e16", u"f+", u"g4.", u"a", u"b-8", u"r", u"r8.", u">",
                                             u"<", u"l8", u"l16", u"v12", u"o5", u"c&c", u"n60", u"t140", u"&",
                                             u"e2", u"d32", u"c1"};
    std::mt19937 rng(seed);
    std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1);
    std::u16string text;
    text.reserve(bytes + 64);
    size_t line = 0;
    while (text.size() < bytes) {
        text += pieces[pick(rng)];
        if (++line % 24 == 0) text += u"\r\n";
    }
    return text;
}

std::u16string generateExtended(size_t bytes, uint32_t seed)
{
    static const char16_t* const pieces[] = {u"c", u"d8", u"e16", u"f+", u"g4.", u"a", u"r8", u">", u"<", u"l8",
                                             u"v12", u"@5", u"y7,100", u"~64,0", u"p64", u"V90", u"E100",
                                             u"EXxF0,x41,x10,x42,x12,x40,x00,x7F,x00,x41,xF7", u"t200", u"c&c"};
    std::mt19937 rng(seed);
    std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1);
    std::u16string text = u"//#using_extension\r\n//#using_channel=3\r\n";
    size_t line = 0;
    while (text.size() < bytes) {
        text += pieces[pick(rng)];
        text += u' ';
        if (++line % 24 == 0) text += u"\r\n";
    }
    return text;
}

// The least any scanner must do: look at every character once.
size_t classifyOnly(std::u16string_view text)
{
    size_t commands = 0;
    for (char16_t c : text) {
        const char16_t lower = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
        commands += (lower >= u'a' && lower <= u'v') || c == u'&' || c == u'<' || c == u'>';
    }
    return commands;
}

const std::u16string& basicText()
{
    static const std::u16string text = generateBasic(1 << 20, 1);
    return text;
}
const std::u16string& extendedText()
{
    static const std::u16string text = generateExtended(1 << 20, 2);
    return text;
}

void BM_ClassifyBasic(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(classifyOnly(basicText()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * basicText().size()));
}
void BM_CompileBasic(benchmark::State& state)
{
    EventList events;
    StateList states;
    compileTrack({}, basicText(), events, states, 0, false, false);  // warm up: the lists reach their size
    for (auto _ : state) {
        compileTrack({}, basicText(), events, states, 0, false, false);
        benchmark::DoNotOptimize(events.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * basicText().size()));
}
void BM_ClassifyExtended(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(classifyOnly(extendedText()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * extendedText().size()));
}
void BM_CompileExtended(benchmark::State& state)
{
    EventList events;
    StateList states;
    compileTrack({}, extendedText(), events, states, 0, false, false);
    for (auto _ : state) {
        compileTrack({}, extendedText(), events, states, 0, false, false);
        benchmark::DoNotOptimize(events.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * extendedText().size()));
}

// Five MML@ groups (melody 1,200, chords 800 and 500 characters) and one more
// melody: sixteen tracks at the largest sizes the top rank allows.
std::unique_ptr<Song> rankOneSong()
{
    auto song = std::make_unique<Song>();
    static constexpr size_t sizes[] = {1200, 800, 500};
    for (int i = 0; i < kTrackCount; ++i) {
        Track& track = song->tracks[static_cast<size_t>(i)];
        track.used = true;
        track.group = i / 3 + 1;
        track.text = generateBasic(sizes[i % 3], static_cast<uint32_t>(100 + i));
    }
    return song;
}

void BM_RecompileAllRankOne(benchmark::State& state)
{
    auto song = rankOneSong();
    recompileAll(*song);
    for (auto _ : state) {
        recompileAll(*song);
        benchmark::DoNotOptimize(song->events.data());
    }
}
void BM_ClassifyAllRankOne(benchmark::State& state)
{
    auto song = rankOneSong();
    for (auto _ : state)
        for (const Track& track : song->tracks) benchmark::DoNotOptimize(classifyOnly(track.text));
}

BENCHMARK(BM_ClassifyBasic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileBasic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClassifyExtended)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileExtended)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClassifyAllRankOne)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecompileAllRankOne)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    zema::bench::RatioReporter reporter;
    reporter.compare("BM_CompileBasic", "BM_ClassifyBasic");
    reporter.compare("BM_CompileExtended", "BM_ClassifyExtended");
    reporter.compare("BM_RecompileAllRankOne", "BM_ClassifyAllRankOne");
    return zema::bench::runWith(argc, argv, reporter);
}
