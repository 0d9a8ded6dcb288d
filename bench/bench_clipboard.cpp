// The clipboard export's copy with optimisation: the three parts of a
// rank-1-sized song (1,200 / 800 / 500 characters), each composed by its six
// candidates on six threads, against the same candidates run one after another.
#include <benchmark/benchmark.h>

#include <array>
#include <optional>
#include <vector>

#include "bench_support.h"
#include "corpus_parts.h"
#include "core/clipboard_export.h"
#include "core/exact_optimizer.h"
#include "core/mml_compiler.h"
#include "core/mml_writer.h"

namespace {

std::vector<zema::ClipSource> rankOneParts()
{
    std::vector<zema::ClipSource> parts;
    int32_t index = 0;
    for (size_t length : {1200u, 800u, 500u}) {
        const std::u16string text = zema::bench::melodyOf(length, true);
        parts.push_back({index++, u"part", text, zema::characterCount(text)});
    }
    return parts;
}

void BM_CopyOptimizedParallel(benchmark::State& state)
{
    const auto parts = rankOneParts();
    zema::ClipOptions options;
    options.optimize = true;
    options.sortByLength = true;
    for (auto _ : state) benchmark::DoNotOptimize(zema::composeClipboard({}, parts, options));
}
BENCHMARK(BM_CopyOptimizedParallel)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same six candidates per part on one thread, the shortest kept.
void BM_CopyOptimizedSequential(benchmark::State& state)
{
    const auto parts = rankOneParts();
    static constexpr std::array<std::pair<int, int>, 4> kSettings = {{{0, 0}, {1, -1}, {1, 0}, {1, 1}}};
    for (auto _ : state) {
        size_t total = 0;
        for (const zema::ClipSource& part : parts) {
            size_t best = zema::stripToCommands(part.text).size();
            for (const auto& [mode, option] : kSettings) {
                std::u16string out;
                (void)zema::rewriteTrack({}, part.text, mode, option, out);
                best = std::min(best, out.size());
            }
            if (const std::optional<std::u16string> exact = zema::writeShortestTrack({}, part.text)) {
                best = std::min(best, exact->size());
            }
            total += best;
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_CopyOptimizedSequential)->UseRealTime()->Unit(benchmark::kMillisecond);

// The slowest single candidate of the melody: the floor a parallel run approaches.
void BM_SlowestCandidateOfTheMelody(benchmark::State& state)
{
    const auto parts = rankOneParts();
    for (auto _ : state) benchmark::DoNotOptimize(zema::writeShortestTrack({}, parts[0].text));
}
BENCHMARK(BM_SlowestCandidateOfTheMelody)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    zema::bench::RatioReporter reporter;
    reporter.compare("BM_CopyOptimizedParallel/real_time", "BM_CopyOptimizedSequential/real_time");
    reporter.compare("BM_CopyOptimizedParallel/real_time", "BM_SlowestCandidateOfTheMelody/real_time");
    return zema::bench::runWith(argc, argv, reporter);
}
