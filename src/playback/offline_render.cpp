#include "playback/offline_render.h"

#include <algorithm>

#include "document/smf_export.h"
#include "playback/mml_clock.h"
#include "playback/player.h"
#include "playback/synth_out.h"

namespace zema {

namespace {

// A clock whose time is the number of frames rendered: sleeping renders.
class RenderClock final : public IMMLClock {
public:
    RenderClock(CSynthOut& synth, PlayerContext& context, const RenderOptions& options, int32_t endTick)
        : synth_(synth), context_(context), options_(options), endTick_(endTick),
          frequency_(synth.waveFormat().sampleRate), reportEvery_(frequency_ / 10)
    {
    }

    int Begin() override { return 1; }
    void End() override {}
    uint64_t Now() override { return now_; }
    uint64_t Frequency() override { return frequency_; }

    void SleepUntil(uint64_t deadline) override
    {
        if (deadline <= now_) return;
        advance(deadline - now_);
        if (options_.progress && now_ - lastReport_ >= reportEvery_) {
            lastReport_ = now_;
            if (!options_.progress(context_.currentTick.load(), endTick_)) {
                cancelled_ = true;
                context_.command = PlayerCommand::Stop;
            }
        }
    }

    void advance(uint64_t frames)
    {
        synth_.RenderBlock(frames);
        now_ += frames;
    }

    [[nodiscard]] bool cancelled() const { return cancelled_; }

private:
    CSynthOut& synth_;
    PlayerContext& context_;
    const RenderOptions& options_;
    int32_t endTick_;
    uint64_t frequency_;
    uint64_t reportEvery_;
    uint64_t now_ = 0;
    uint64_t lastReport_ = 0;
    bool cancelled_ = false;
};

}  // namespace

RenderResult renderSongToWave(const Song& song, const RenderOptions& options, const std::filesystem::path& path)
{
    RenderResult result;
    CSynthOut synth(options.synth, {});
    if (synth.Open(0) != 0) {
        result.status = RenderStatus::SynthFailed;
        return result;
    }
    if (synth.LoadDls(options.bankPath) != 0) {
        result.status = RenderStatus::BankFailed;
        return result;
    }
    synth.SetVolume(options.synth.volume);

    // The same start as a live device: reset, then each used track's setup.
    if (options.resetType != 0) synth.SendReset(options.resetType);
    const auto programOf = options.programOf ? options.programOf : programOfInstrument;
    for (int track = 0; track < kTrackCount; ++track) {
        const Track& t = song.tracks[track];
        if (t.used) sendTrackSetup(synth, track, t, programOf(t.instrument));
    }

    if (synth.StartRecording(path) != 0) {
        result.status = RenderStatus::FileFailed;
        return result;
    }

    int32_t endTick = 0;
    for (const TrackEvent& event : song.events) endTick = std::max(endTick, event.tick);

    PlayerContext context;
    context.events = song.events;
    context.timebase = song.timing.timebase;
    context.numerator = song.timing.numerator;
    context.denominator = song.timing.denominator;
    for (int t = 0; t < kTrackCount; ++t) context.mute[t] = song.tracks[t].mute;
    RenderClock clock(synth, context, options, endTick);
    context.output = &synth;
    context.clock = &clock;
    runPlayer(context);

    clock.advance(static_cast<uint64_t>(clock.Frequency()) * kRenderTailMilliseconds / 1000);
    synth.StopRecording();
    result.dataBytes = synth.recordedBytes();
    if (clock.cancelled()) result.status = RenderStatus::Cancelled;
    if (options.progress && !clock.cancelled()) options.progress(endTick, endTick);
    return result;
}

}  // namespace zema
