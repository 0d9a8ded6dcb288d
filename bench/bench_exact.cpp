// The exact search: its cost on a 1,200-character melody (one core), and what
// it gains over the corpus against the best of the five other candidates and
// against the source's character count.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "bench_support.h"
#include "corpus_parts.h"
#include "core/clipboard_export.h"
#include "core/exact_optimizer.h"
#include "core/mml_compiler.h"
#include "core/mml_writer.h"
#include "core/unicode.h"
#include "document/document_open.h"

namespace {

using zema::bench::corpusTracks;
using zema::bench::Track;

const std::vector<Track>& tracks() { return corpusTracks(); }

std::u16string melodyOf(size_t length) { return zema::bench::melodyOf(length, true); }

void BM_ExactPart1200(benchmark::State& state)
{
    const std::u16string melody = melodyOf(1200);
    if (melody.empty()) {
        state.SkipWithError("no corpus track of 1,200 characters");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(zema::writeShortestTrack({}, melody));
    state.counters["chars"] = static_cast<double>(melody.size());
}
BENCHMARK(BM_ExactPart1200)->Unit(benchmark::kMillisecond);

// Long silences and long ties at timebase 960: a run of default pieces before
// an `l` inside the chain can start from any state and stop at any length.
void BM_ExactLongDurations960(benchmark::State& state)
{
    std::u16string text = u"l1.";
    for (int i = 0; i < 48; ++i) text += u'r';
    text += u"r2v15l1cd+fg+2g2cd+fg+2g2l8.c+8fd+8>c+cc8 o2";
    for (int i = 0; i < 300; ++i) text += u"c1.&";
    text += u"c11 ";
    for (int i = 0; i < 300; ++i) text += u"r1.";
    text += u"r9 n33";
    const zema::TimingContext timing{960, 4, 4};
    for (auto _ : state) benchmark::DoNotOptimize(zema::writeShortestTrack(timing, text));
    state.counters["chars"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ExactLongDurations960)->Unit(benchmark::kMillisecond);

void BM_RewriteTrack1200(benchmark::State& state)
{
    const std::u16string melody = melodyOf(1200);
    for (auto _ : state) {
        std::u16string out;
        benchmark::DoNotOptimize(zema::rewriteTrack({}, melody, 1, 0, out));
    }
}
BENCHMARK(BM_RewriteTrack1200)->Unit(benchmark::kMillisecond);

// Shortest of the writer's four settings and the stripped text, without threads.
size_t bestOfFive(const Track& track)
{
    static constexpr std::array<std::pair<int, int>, 4> kSettings = {{{0, 0}, {1, -1}, {1, 0}, {1, 1}}};
    size_t best = zema::stripToCommands(track.text).size();
    for (const auto& [mode, option] : kSettings) {
        std::u16string out;
        best = std::min(best, static_cast<size_t>(zema::rewriteTrack(track.timing, track.text, mode, option, out)));
    }
    return best;
}

template <typename T>
double median(std::vector<T> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? static_cast<double>(values[n / 2]) : (static_cast<double>(values[n / 2 - 1]) + values[n / 2]) / 2.0;
}

void reportCorpus()
{
    int64_t source = 0, five = 0, exact = 0;
    int shorter = 0, equal = 0, longer = 0, abstained = 0;
    std::vector<int64_t> savingFive, savingSource;
    std::vector<double> millis;
    const Track* slowest = nullptr;
    double slowestMillis = -1;
    for (const Track& track : tracks()) {
        const int32_t sourceCount = zema::characterCount(track.text);
        const size_t bestFive = bestOfFive(track);
        const auto start = std::chrono::steady_clock::now();
        const std::optional<std::u16string> out = zema::writeShortestTrack(track.timing, track.text);
        millis.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (millis.back() > slowestMillis) {
            slowestMillis = millis.back();
            slowest = &track;
        }
        if (!out) ++abstained;
        // The export keeps the best of six: an abstaining search counts as the best of five.
        const size_t e = out ? out->size() : bestFive;
        const size_t chosen = std::min(e, bestFive);
        source += sourceCount;
        five += static_cast<int64_t>(bestFive);
        exact += static_cast<int64_t>(chosen);
        shorter += e < bestFive;
        equal += e == bestFive;
        longer += e > bestFive;
        savingFive.push_back(static_cast<int64_t>(bestFive) - static_cast<int64_t>(e));
        savingSource.push_back(sourceCount - static_cast<int64_t>(e));
    }
    if (millis.empty()) return;
    std::printf("\nCorpus: %zu tracks; source %lld, best of five %lld, best of six %lld characters\n", millis.size(),
                static_cast<long long>(source), static_cast<long long>(five), static_cast<long long>(exact));
    std::printf("  exact vs best of five: total saving %lld (%.2f%%), median %.1f per track; "
                "shorter %d, equal %d, longer %d, abstained %d\n",
                static_cast<long long>(five - exact), 100.0 * static_cast<double>(five - exact) / static_cast<double>(five),
                median(savingFive), shorter, equal, longer, abstained);
    std::printf("  exact vs source characterCount: total saving %lld (%.2f%%), median %.1f per track\n",
                static_cast<long long>(source - exact),
                100.0 * static_cast<double>(source - exact) / static_cast<double>(source), median(savingSource));
    std::printf("  time per part: median %.2f ms, max %.2f ms (%d characters at timebase %d)\n", median(millis),
                slowestMillis, zema::characterCount(slowest->text), slowest->timing.timebase);
    if (std::getenv("ZEMA_DUMP_SLOWEST")) std::printf("%s\n", zema::utf16ToUtf8(slowest->text).c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    zema::bench::RatioReporter reporter;
    reporter.compare("BM_ExactPart1200", "BM_RewriteTrack1200");
    const int status = zema::bench::runWith(argc, argv, reporter);
    reportCorpus();
    return status;
}
