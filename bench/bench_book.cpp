// Score books: the cost of splitting the corpus's longest song, plain and
// optimised, and how close the split comes to the fewest scrolls possible.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "bench_support.h"
#include "corpus_parts.h"
#include "core/clipboard_export.h"
#include "core/score_book.h"
#include "document/document_open.h"

namespace {

struct Song {
    std::string name;
    std::vector<std::u16string> parts;  // the first three tracks in the document's order
    zema::TimingContext timing;
    size_t length = 0;
};

const std::vector<Song>& corpusSongs()
{
    static const std::vector<Song> songs = [] {
        std::vector<Song> out;
        for (const auto& file : zema::bench::corpusDocumentFiles()) {
            zema::DocumentData result;
            if (!zema::openDocument(file, {}, result)) continue;
            Song song{file.filename().string(), {}, result.timing, 0};
            for (const int32_t slot : zema::effectiveTrackOrder(result)) {
                if (song.parts.size() == 3) break;
                song.parts.push_back(result.slots[static_cast<size_t>(slot)].text);
                song.length += zema::stripToCommands(song.parts.back()).size();
            }
            out.push_back(std::move(song));
        }
        return out;
    }();
    return songs;
}

const Song* longestSong()
{
    const auto& songs = corpusSongs();
    const auto longest =
        std::max_element(songs.begin(), songs.end(), [](const Song& a, const Song& b) { return a.length < b.length; });
    return longest == songs.end() ? nullptr : &*longest;
}

// state.range(0): the rank index.
void splitLongest(benchmark::State& state, bool optimize)
{
    const Song* song = longestSong();
    if (song == nullptr) {
        state.SkipWithError("no corpus songs");
        return;
    }
    size_t scrolls = 0;
    for (auto _ : state) {
        const zema::ScoreBook book =
            zema::splitIntoBook(song->timing, song->parts, static_cast<int>(state.range(0)), false, optimize);
        scrolls = book.scrolls.size();
        benchmark::DoNotOptimize(book);
    }
    state.counters["chars"] = static_cast<double>(song->length);
    state.counters["scrolls"] = static_cast<double>(scrolls);
}

void BM_SplitLongestSong(benchmark::State& state) { splitLongest(state, false); }
BENCHMARK(BM_SplitLongestSong)->Arg(1)->Arg(15)->Unit(benchmark::kMillisecond);

void BM_SplitLongestSongOptimized(benchmark::State& state) { splitLongest(state, true); }
BENCHMARK(BM_SplitLongestSongOptimized)->Arg(1)->Arg(15)->UseRealTime()->Unit(benchmark::kMillisecond);

// Scrolls against the lower bound over the corpus, per rank and rule.
void reportScrollCounts()
{
    const auto& songs = corpusSongs();
    if (songs.empty()) return;
    std::printf("\nScrolls against the lower bound over %zu corpus songs (first three tracks):\n", songs.size());
    std::printf("  %-6s %9s %11s %7s %7s %7s %10s %7s\n", "rank", "optimise", "lb above 1", "at lb", "lb+1", "lb+2..",
                "over five", "no cut");
    for (const auto& [rank, name] : {std::pair{1, "F"}, std::pair{6, "A"}, std::pair{15, "1"}}) {
        for (const bool exclude : {false, true}) {
            for (const bool optimize : {false, true}) {
                int several = 0, atBound = 0, plusOne = 0, more = 0, overFive = 0, cannot = 0;
                for (const Song& song : songs) {
                    const zema::ScoreBook book = zema::splitIntoBook(song.timing, song.parts, rank, exclude, optimize);
                    if (book.problem == zema::BookProblem::CannotCut) {
                        ++cannot;
                        continue;
                    }
                    if (book.problem == zema::BookProblem::TooManyScrolls) ++overFive;
                    if (book.lowerBound > 1) ++several;
                    const auto extra = static_cast<int32_t>(book.scrolls.size()) - book.lowerBound;
                    (extra <= 0 ? atBound : extra == 1 ? plusOne : more) += 1;
                }
                std::printf("  %-6s %9s %11d %7d %7d %7d %10d %7d\n", (std::string(name) + (exclude ? "`" : "")).c_str(),
                            optimize ? "yes" : "no", several, atBound, plusOne, more, overFive, cannot);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    zema::bench::RatioReporter reporter;
    reporter.compare("BM_SplitLongestSongOptimized/1/real_time", "BM_SplitLongestSong/1");
    const int status = zema::bench::runWith(argc, argv, reporter);
    if (const Song* song = longestSong()) {
        std::printf("\nLongest song: %s, %zu characters\n", song->name.c_str(), song->length);
    }
    reportScrollCounts();
    return status;
}
