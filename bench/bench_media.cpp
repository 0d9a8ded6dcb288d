// The window's media conversions on corpus data: the offline WAVE render of
// a corpus song against the song's own playing time (its real-time factor;
// the export used to take exactly that long), and the MIDI import of the
// largest corpus MIDI file against reading the file alone.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "bench_support.h"
#include "core/song.h"
#include "document/document_open.h"
#include "document/document_data.h"
#include "document/smf_file_io.h"
#include "document/smf_import.h"
#include "document/smf_track_list.h"
#include "document/song_document.h"
#include "playback/offline_render.h"
#include "playback/wave_writer.h"

namespace {

const std::filesystem::path kMidiFile = std::filesystem::path(ZEMA_CORPUS_DIR) / "midi" / "test-all-gs-sounds.mid";
const std::filesystem::path kSongFile = std::filesystem::path(ZEMA_CORPUS_DIR) / "mml" / "anti-ares_Full_v3.mml";

std::filesystem::path gTemp;
std::unique_ptr<zema::Song> gSong;

// The window's synthesizer defaults (22,050 Hz stereo) and CD quality.
zema::RenderOptions renderOptions(uint32_t rate)
{
    zema::RenderOptions options;
    options.synth = {rate, 2, false, false, false, 100};
    return options;
}

// Seconds of audio one render of the song gives at `rate`: the song's
// playing time with its 500 ms tail, as real-time recording would take.
double playingSeconds(uint32_t rate)
{
    const auto result = zema::renderSongToWave(*gSong, renderOptions(rate), gTemp / "probe.wav");
    const zema::WaveFormat format{rate, 2};
    return result.status == zema::RenderStatus::Ok ? static_cast<double>(result.dataBytes) / format.bytesPerSecond()
                                                   : 0.0;
}

void RenderWave(benchmark::State& state)
{
    const auto rate = static_cast<uint32_t>(state.range(0));
    for (auto _ : state) {
        const auto result = zema::renderSongToWave(*gSong, renderOptions(rate), gTemp / "song.wav");
        if (result.status != zema::RenderStatus::Ok) state.SkipWithError("render failed");
        benchmark::DoNotOptimize(result.dataBytes);
    }
}
BENCHMARK(RenderWave)->Arg(22050)->Arg(44100)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void ReadMidiFile(benchmark::State& state)
{
    for (auto _ : state) {
        const auto bytes = zema::readFileBytes(kMidiFile);
        if (!bytes) state.SkipWithError("cannot read the corpus file");
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(ReadMidiFile)->Unit(benchmark::kMicrosecond);

// What the window does: read, list the tracks, convert the automatic
// selection with the profile's options, and make the document.
void ImportMidiFile(benchmark::State& state, zema::SmfImportProfile profile)
{
    zema::SmfImportOptions options;
    (void)zema::applyProfile(profile, options);
    size_t characters = 0;
    for (auto _ : state) {
        const auto bytes = zema::readFileBytes(kMidiFile);
        const auto tracks = bytes ? zema::scanSmfTracks(*bytes) : std::nullopt;
        if (!tracks) {
            state.SkipWithError("cannot read the corpus file");
            break;
        }
        const zema::SmfImportResult result =
            zema::convertSmf(*bytes, options, zema::autoSelection(tracks->texts()));
        const zema::DocumentData document = zema::importedDocument(result, zema::TimingContext{});
        characters = 0;
        for (const auto& text : result.texts) characters += text.size();
        benchmark::DoNotOptimize(document);
    }
    state.counters["characters"] = static_cast<double>(characters);
}
BENCHMARK_CAPTURE(ImportMidiFile, mabinogi, zema::SmfImportProfile::MabinogiNormal)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ImportMidiFile, extended, zema::SmfImportProfile::ExtendedMulti)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    gTemp = std::filesystem::temp_directory_path() / ("zema-bench-media-" + std::to_string(getpid()));
    std::filesystem::create_directories(gTemp);
    gSong = std::make_unique<zema::Song>();
    zema::DocumentData document;
    if (!zema::openDocument(kSongFile, zema::TimingContext{}, document)) {
        std::fprintf(stderr, "cannot read %s\n", kSongFile.c_str());
        return 1;
    }
    zema::copyToSong(document, *gSong);
    zema::recompileAll(*gSong);

    zema::bench::RatioReporter reporter;
    reporter.compareWithTime("RenderWave/22050/iterations:3/real_time", "the song's playing time",
                             playingSeconds(22050));
    reporter.compareWithTime("RenderWave/44100/iterations:3/real_time", "the song's playing time",
                             playingSeconds(44100));
    reporter.compare("ImportMidiFile/mabinogi", "ReadMidiFile");
    reporter.compare("ImportMidiFile/extended", "ReadMidiFile");
    const int status = zema::bench::runWith(argc, argv, reporter);
    std::filesystem::remove_all(gTemp);
    return status;
}
