// The writer's cost and its result: the six-candidate composition of a
// 1,200-character melody, and how much the best of six shortens the corpus.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "bench_support.h"
#include "corpus_parts.h"
#include "core/clipboard_export.h"
#include "core/mml_compiler.h"
#include "core/mml_writer.h"
#include "document/document_open.h"

namespace {

using zema::bench::corpusTracks;
using zema::bench::melodyOf;
using zema::bench::Track;

const std::vector<Track>& tracks() { return corpusTracks(); }

void BM_OptimizePart1200(benchmark::State& state)
{
    const std::u16string melody = melodyOf(1200);
    if (melody.empty()) {
        state.SkipWithError("no corpus track of 1,200 characters");
        return;
    }
    for (auto _ : state) {
        zema::OptimizedPart best = zema::optimizePart({}, melody);
        benchmark::DoNotOptimize(best);
    }
    state.counters["chars"] = static_cast<double>(melody.size());
}
BENCHMARK(BM_OptimizePart1200)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_RewriteTrack1200(benchmark::State& state)
{
    const std::u16string melody = melodyOf(1200);
    for (auto _ : state) {
        std::u16string out;
        benchmark::DoNotOptimize(zema::rewriteTrack({}, melody, 1, 0, out));
    }
}
BENCHMARK(BM_RewriteTrack1200)->Unit(benchmark::kMillisecond);

// Best-of-six length against the source's character count over the corpus.
void reportCorpusRatio()
{
    int64_t source = 0;
    int64_t best = 0;
    double ratioSum = 0;
    size_t count = 0;
    std::array<int, zema::kCandidateCount> wins{};
    for (const Track& track : tracks()) {
        const int32_t sourceCount = zema::characterCount(track.text);
        const zema::OptimizedPart part = zema::optimizePart(track.timing, track.text);
        source += sourceCount;
        best += static_cast<int64_t>(part.text.size());
        ratioSum += static_cast<double>(part.text.size()) / sourceCount;
        ++wins[static_cast<size_t>(part.candidate)];
        ++count;
    }
    if (count == 0 || source == 0) return;
    std::printf("\nCorpus: %zu tracks, %lld source characters, %lld best-of-six characters\n", count,
                static_cast<long long>(source), static_cast<long long>(best));
    std::printf("  total ratio best/source = %.4f, mean per-track ratio = %.4f\n",
                static_cast<double>(best) / static_cast<double>(source), ratioSum / static_cast<double>(count));
    std::printf("  wins: A %d, C %d, B %d, D %d, X %d, E %d\n", wins[0], wins[1], wins[2], wins[3], wins[4], wins[5]);
}

}  // namespace

int main(int argc, char** argv)
{
    zema::bench::RatioReporter reporter;
    reporter.compare("BM_OptimizePart1200/real_time", "BM_RewriteTrack1200");
    const int status = zema::bench::runWith(argc, argv, reporter);
    reportCorpusRatio();
    return status;
}
