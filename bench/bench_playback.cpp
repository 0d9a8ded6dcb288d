// Playback measurements: player lateness in real time, fast render speed
// against `fluidsynth -F` on the same song and bank, memory with the GM set.
//
// ZEMA_BENCH_PLAYER_SECONDS sets how much of the dense 10-minute song the
// lateness run plays in real time (default 20; 600 plays all of it).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "bench_support.h"
#include "core/song.h"
#include "document/document_data.h"
#include "document/document_open.h"
#include "document/smf_export.h"
#include "document/song_document.h"
#include "playback/fluid_engine.h"
#include "playback/mml_clock.h"
#include "playback/offline_render.h"
#include "playback/player.h"
#include "playback/player_events.h"
#include "playback/synth_out.h"

namespace {

using Clock = std::chrono::steady_clock;

// Stamps every message with the steady clock into storage reserved up front.
class StampingMidi final : public zema::IMidi {
public:
    explicit StampingMidi(size_t capacity) { stamps_.reserve(capacity); }
    int Open(uint32_t) override { return 0; }
    int Close() override { return 0; }
    int ShortMsg(uint8_t, uint8_t, uint8_t, uint8_t) override { return stamp(); }
    int LongMsg(const uint8_t*, uint32_t) override { return stamp(); }
    [[nodiscard]] const std::vector<Clock::time_point>& stamps() const { return stamps_; }

private:
    int stamp()
    {
        if (stamps_.size() < stamps_.capacity()) stamps_.push_back(Clock::now());
        return 0;
    }
    std::vector<Clock::time_point> stamps_;
};

class StartStamp final : public zema::IPlayerListener {
public:
    void OnPlayerNotify(zema::PlayerNotification n) override
    {
        if (n.code == zema::PlayerNotifyCode::Started && !started.load()) {
            at = Clock::now();
            started = true;
        }
    }
    std::atomic<bool> started{false};
    Clock::time_point at;
};

// Sixteen tracks of sixteenth notes at tempo 150 for ten minutes.
void denseSong(zema::Song& song)
{
    const char16_t* lines[] = {u"cdefgab>c<", u"egab>cde<f", u"gab>cdefg<", u"<cdefgab>c"};
    for (int t = 0; t < zema::kTrackCount; ++t) {
        std::u16string text = u"t150 l16 o" + std::u16string(1, static_cast<char16_t>(u'3' + t % 3));
        const std::u16string pattern = lines[t % 4];
        while (text.size() < 6000 + 12) text += pattern;
        song.tracks[t].used = true;
        song.tracks[t].text = text;
    }
    zema::recompileAll(song);
}

// When each message should leave, in seconds from the start, in the player's
// order: one message per sounding event.
std::vector<double> schedule(zema::SongEventList events, int32_t timebase)
{
    zema::insertNoteOffs(events);
    std::vector<double> times;
    double seconds = 0;
    int32_t tick = 0;
    double tempo = 120;
    for (const auto& e : events) {
        seconds += (e.tick - tick) * 60.0 / tempo / timebase;
        tick = e.tick;
        switch (e.kind) {
        case zema::TrackEventKind::Tempo:
            if (e.value >= 1) tempo = e.value;
            break;
        case zema::TrackEventKind::Note:
        case zema::TrackEventKind::NoteOff:
        case zema::TrackEventKind::Program:
        case zema::TrackEventKind::Control:
        case zema::TrackEventKind::PitchBend:
        case zema::TrackEventKind::SysEx: times.push_back(seconds); break;
        default: break;
        }
    }
    return times;
}

void measureLateness()
{
    const char* configured = std::getenv("ZEMA_BENCH_PLAYER_SECONDS");
    const int seconds = configured != nullptr ? std::max(1, std::atoi(configured)) : 20;
    auto song = std::make_unique<zema::Song>();
    denseSong(*song);
    const auto expected = schedule(song->events, song->timing.timebase);

    zema::CSteadyClock clock;
    StampingMidi midi(expected.size() + 64);
    StartStamp start;
    zema::PlayerContext context;
    context.events = song->events;
    context.timebase = song->timing.timebase;
    context.output = &midi;
    context.clock = &clock;
    context.owner = &start;
    std::thread player([&] {
        const bool realtime = zema::raiseThreadPriority();
        std::printf("player thread real-time priority: %s\n", realtime ? "yes" : "no (normal priority)");
        zema::runPlayer(context);
    });
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    context.command = zema::PlayerCommand::Stop;
    player.join();

    std::vector<double> lateness;
    const auto& stamps = midi.stamps();
    const size_t n = std::min(stamps.size(), expected.size());
    for (size_t i = 0; i < n; ++i) {
        const double actual = std::chrono::duration<double>(stamps[i] - start.at).count();
        if (expected[i] > seconds - 0.1) break;  // the stop's own flush
        lateness.push_back((actual - expected[i]) * 1000.0);
    }
    if (lateness.empty()) return;
    std::sort(lateness.begin(), lateness.end());
    auto percentile = [&](double p) { return lateness[static_cast<size_t>(p * (lateness.size() - 1))]; };
    std::printf("\nPlayer lateness over %zu messages (%d s of a dense 10-minute, 16-track song):\n", lateness.size(),
                seconds);
    std::printf("  p50 %.3f ms   p99 %.3f ms   max %.3f ms   (min %.3f ms)\n", percentile(0.5), percentile(0.99),
                lateness.back(), lateness.front());
}

long residentKilobytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return 0;
}

void measureMemory()
{
    const long before = residentKilobytes();
    zema::CSynthOut synth({44100, 2, false, false, false, 100}, {});
    if (synth.Open(0) != 0 || synth.LoadDls("") != 0) return;
    const long after = residentKilobytes();
    std::printf("\nResident memory: %ld KiB before the synthesizer, %ld KiB with the GM set loaded (+%ld KiB)\n",
                before, after, after - before);
}

std::filesystem::path gTemp;
std::unique_ptr<zema::Song> gSong;

void loadRenderSong()
{
    gTemp = std::filesystem::temp_directory_path() / ("zema-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(gTemp);
    gSong = std::make_unique<zema::Song>();
    zema::DocumentData document;
    const std::filesystem::path file = std::filesystem::path(ZEMA_CORPUS_DIR) / "mml" / "anti-ares_Full_v3.mml";
    if (zema::openDocument(file, zema::TimingContext{}, document)) zema::copyToSong(document, *gSong);
    zema::recompileAll(*gSong);
    const auto request = zema::smfExportRequestOf(*gSong, 1);
    if (!zema::exportSmf(gTemp / "song.mid", request)) std::fprintf(stderr, "cannot export the MIDI file\n");
}

void BM_FastRender(benchmark::State& state)
{
    zema::RenderOptions options;
    for (auto _ : state) {
        const auto result = zema::renderSongToWave(*gSong, options, gTemp / "zema.wav");
        benchmark::DoNotOptimize(result.dataBytes);
    }
}
BENCHMARK(BM_FastRender)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_FluidsynthCli(benchmark::State& state)
{
    const std::string command = "fluidsynth -n -i -q -F '" + (gTemp / "fluidsynth.wav").string() +
                                "' -r 44100 -R 0 -C 0 -T wav -O s16 '" + zema::defaultGeneralMidiBank() + "' '" +
                                (gTemp / "song.mid").string() + "' > /dev/null 2>&1";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("fluidsynth -F failed");
    }
}
BENCHMARK(BM_FluidsynthCli)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    measureMemory();  // first, before rendering has grown the heap
    loadRenderSong();
    zema::bench::RatioReporter reporter;
    reporter.compare("BM_FastRender/iterations:3/real_time", "BM_FluidsynthCli/iterations:3/real_time");
    const int status = zema::bench::runWith(argc, argv, reporter);
    measureLateness();
    std::filesystem::remove_all(gTemp);
    return status;
}
