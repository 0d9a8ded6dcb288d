// MIDI import of a generated 1 MB format-1 file with 16 dense tracks, beside
// the bare walk over its events (the floor any reader pays); export of a
// sixteen-track song at rank-1 sizes, beside its in-memory build and a plain
// write of the same bytes.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "core/song.h"
#include "document/smf_export.h"
#include "document/smf_import.h"
#include "document/smf_reader.h"
#include "document/smf_track_list.h"

namespace {

void putVariable(std::string& out, uint32_t value)
{
    char bytes[4];
    int count = 0;
    bytes[count++] = static_cast<char>(value & 0x7F);
    while ((value >>= 7) != 0) bytes[count++] = static_cast<char>((value & 0x7F) | 0x80);
    while (count > 0) out += bytes[--count];
}

void putBigEndian(std::string& out, uint32_t value, int bytes)
{
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

// Sixteen tracks at 480 ticks a quarter: sixteenth notes with a second voice
// on every other beat, controllers and bends now and then, until the file
// reaches 1 MB.
std::string denseFile()
{
    constexpr size_t kTarget = 1 << 20;
    constexpr int kTracks = 16;
    std::string out = "MThd";
    putBigEndian(out, 6, 4);
    putBigEndian(out, 1, 2);
    putBigEndian(out, kTracks, 2);
    putBigEndian(out, 480, 2);
    const size_t perTrack = (kTarget - out.size()) / kTracks - 8;
    uint32_t seed = 12345;
    auto random = [&seed](uint32_t range) {
        seed = seed * 1103515245 + 12345;
        return (seed >> 16) % range;
    };
    for (int t = 0; t < kTracks; ++t) {
        const int channel = t % 16;
        std::string track;
        track += std::string("\x00\xFF\x03\x05Track", 9);
        int step = 0;
        while (track.size() + 40 < perTrack) {
            const int note = 36 + static_cast<int>(random(48));
            putVariable(track, 0);
            track += static_cast<char>(0x90 | channel);
            track += static_cast<char>(note);
            track += static_cast<char>(40 + random(87));
            if (step % 8 == 0) {
                putVariable(track, 0);
                track += static_cast<char>(0x90 | channel);
                track += static_cast<char>(note + 7);
                track += static_cast<char>(80);
            }
            if (step % 16 == 5) {
                putVariable(track, 10);
                track += static_cast<char>(0xB0 | channel);
                track += '\x07';
                track += static_cast<char>(random(128));
                putVariable(track, 0);
                track += static_cast<char>(0xE0 | channel);
                track += '\x00';
                track += static_cast<char>(random(128));
            }
            putVariable(track, step % 16 == 5 ? 110 : 120);
            track += static_cast<char>(0x80 | channel);
            track += static_cast<char>(note);
            track += '\x40';
            if (step % 8 == 0) {
                putVariable(track, 0);
                track += static_cast<char>(0x80 | channel);
                track += static_cast<char>(note + 7);
                track += '\x40';
            }
            ++step;
        }
        track += std::string("\x00\xFF\x2F\x00", 4);
        out += "MTrk";
        putBigEndian(out, static_cast<uint32_t>(track.size()), 4);
        out += track;
    }
    return out;
}

const std::string& file()
{
    static const std::string bytes = denseFile();
    return bytes;
}

void WalkEvents(benchmark::State& state)
{
    for (auto _ : state) {
        size_t events = 0;
        const auto smf = zema::readSmfFile(file());
        for (std::string_view chunk : smf->tracks) {
            zema::SmfTrackCursor cursor(chunk);
            zema::SmfRawEvent event;
            while (cursor.next(event)) ++events;
        }
        benchmark::DoNotOptimize(events);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file().size()));
}

void ImportSmf(benchmark::State& state, zema::SmfImportProfile profile)
{
    zema::SmfImportOptions options;
    (void)zema::applyProfile(profile, options);
    const std::vector<bool> selected(16, true);
    size_t characters = 0;
    for (auto _ : state) {
        const zema::SmfImportResult result = zema::convertSmf(file(), options, selected);
        if (result.texts.size() != 16) state.SkipWithError("tracks missing");
        characters = 0;
        for (const auto& text : result.texts) characters += text.size();
        benchmark::DoNotOptimize(characters);
    }
    state.counters["characters"] = static_cast<double>(characters);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file().size()));
}

// Sixteen tracks filled to the rank-1 limits of a part's texts: 1200
// characters for melodies, 800 and 500 for the chords.
std::unique_ptr<zema::Song> rankOneSong()
{
    auto song = std::make_unique<zema::Song>();
    static constexpr const char* kPhrase = "t140 l16 o4 cdefgab>c<bagfedc8 r8 v12 e8.f+g4&g16 ";
    for (int i = 0; i < zema::kTrackCount; ++i) {
        const size_t limit = i % 3 == 0 ? 1200 : (i % 3 == 1 ? 800 : 500);
        std::u16string text;
        while (text.size() < limit) {
            for (const char* c = kPhrase; *c && text.size() < limit; ++c) text += static_cast<char16_t>(*c);
        }
        zema::Track& track = song->tracks[static_cast<size_t>(i)];
        track.used = true;
        track.name = u"Track";
        track.text = std::move(text);
        track.instrument = i % 10;
    }
    zema::recompileAll(*song);
    return song;
}

std::filesystem::path target() { return std::filesystem::temp_directory_path() / "zema-bench-export.mid"; }

void BuildSmf(benchmark::State& state)
{
    const auto song = rankOneSong();
    for (auto _ : state) benchmark::DoNotOptimize(zema::buildSmf(zema::smfExportRequestOf(*song, 1)));
}

void ExportSmf(benchmark::State& state)
{
    const auto song = rankOneSong();
    for (auto _ : state) {
        if (!zema::exportSmf(target(), zema::smfExportRequestOf(*song, 1))) state.SkipWithError("cannot write");
    }
}

// The same bytes through one open, write and close, without the temporary
// file, flush and rename that make the export safe.
void WriteBytes(benchmark::State& state)
{
    const auto song = rankOneSong();
    const std::string bytes = zema::buildSmf(zema::smfExportRequestOf(*song, 1));
    for (auto _ : state) {
        FILE* out = std::fopen(target().c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}

}  // namespace

BENCHMARK(WalkEvents)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ImportSmf, custom, zema::SmfImportProfile::Custom)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ImportSmf, mabinogi, zema::SmfImportProfile::MabinogiNormal)->Unit(benchmark::kMillisecond);
BENCHMARK(BuildSmf)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(ExportSmf)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    zema::bench::RatioReporter reporter;
    reporter.compare("ImportSmf/custom", "WalkEvents");
    reporter.compare("ImportSmf/mabinogi", "WalkEvents");
    reporter.compare("BuildSmf", "WriteBytes");
    reporter.compare("ExportSmf", "WriteBytes");
    return zema::bench::runWith(argc, argv, reporter);
}
