// Loading and saving the largest corpus document, beside plain reading and
// writing of its bytes (the floor any document format has to pay).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "document/document_open.h"
#include "document/mml_file_writer.h"
#include "document/smf_file_io.h"
#include "document/song_document.h"

namespace {

std::filesystem::path largestDocument()
{
    std::filesystem::path largest;
    std::uintmax_t size = 0;
    for (const char* folder : {"mml", "mms"}) {
        const auto root = std::filesystem::path(ZEMA_CORPUS_DIR) / folder;
        if (!std::filesystem::exists(root)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(root)) {
            if (entry.file_size() > size) size = entry.file_size(), largest = entry.path();
        }
    }
    return largest;
}

std::string readAll(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

const std::filesystem::path& source()
{
    static const std::filesystem::path path = largestDocument();
    return path;
}

std::filesystem::path target() { return std::filesystem::temp_directory_path() / "zema-bench-save.mml"; }

void ReadBytes(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(readAll(source()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * std::filesystem::file_size(source())));
}

// The readers' own whole-file read, which keeps the system's reason of a failure.
void ReadFileBytes(benchmark::State& state)
{
    for (auto _ : state) {
        int systemError = 0;
        auto bytes = zema::readFileBytes(source(), systemError);
        if (!bytes) state.SkipWithError("cannot read");
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * std::filesystem::file_size(source())));
}

void LoadDocument(benchmark::State& state)
{
    for (auto _ : state) {
        zema::DocumentData doc;
        if (!zema::openDocument(source(), {}, doc)) state.SkipWithError("cannot load");
        auto song = std::make_unique<zema::Song>();
        zema::copyToSong(doc, *song);
        benchmark::DoNotOptimize(song.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * std::filesystem::file_size(source())));
}

// Writing the saved document's bytes with the same replace-on-success steps
// skipped: one open, write, close.
void WriteBytes(benchmark::State& state)
{
    zema::DocumentData doc;
    (void)zema::openDocument(source(), {}, doc);
    zema::CMMLFileWriter writer(doc, true);
    (void)writer.WriteToMemory();
    const std::string bytes = writer.buffer();
    for (auto _ : state) {
        FILE* file = std::fopen(target().c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void SaveDocument(benchmark::State& state, bool compact)
{
    zema::DocumentData doc;
    (void)zema::openDocument(source(), {}, doc);
    auto song = std::make_unique<zema::Song>();
    zema::copyToSong(doc, *song);
    for (auto _ : state) {
        zema::CMMLFileWriter writer(zema::snapshotOf(*song), compact);
        if (!writer.SaveFile(target())) state.SkipWithError("cannot save");
    }
}

// The save without the final fsync's share is not separable; the memory
// write shows how much of a save is building the text.
void WriteDocumentToMemory(benchmark::State& state)
{
    zema::DocumentData doc;
    (void)zema::openDocument(source(), {}, doc);
    for (auto _ : state) {
        zema::CMMLFileWriter writer(doc, true);
        benchmark::DoNotOptimize(writer.WriteToMemory());
    }
}

}  // namespace

BENCHMARK(ReadBytes);
BENCHMARK(ReadFileBytes);
BENCHMARK(LoadDocument);
BENCHMARK(WriteBytes);
BENCHMARK_CAPTURE(SaveDocument, compact, true);
BENCHMARK_CAPTURE(SaveDocument, not_compact, false);
BENCHMARK(WriteDocumentToMemory);

int main(int argc, char** argv)
{
    zema::bench::RatioReporter reporter;
    reporter.compare("ReadFileBytes", "ReadBytes");
    reporter.compare("LoadDocument", "ReadBytes");
    return zema::bench::runWith(argc, argv, reporter);
}
