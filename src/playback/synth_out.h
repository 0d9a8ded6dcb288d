#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "playback/bounded_queue.h"
#include "playback/feedback_delay.h"
#include "playback/fluid_engine.h"
#include "playback/midi_output.h"
#include "playback/output_settings.h"
#include "playback/wave_writer.h"

struct _fluid_audio_driver_t;

namespace zema {

// FluidSynth audio drivers tried in order by default: $ZEMA_AUDIO_DRIVER when
// set (a comma-separated list), else PulseAudio (also PipeWire's pulse
// server), ALSA, JACK.
[[nodiscard]] std::vector<std::string> defaultAudioDrivers();

// The software synthesizer as an output device: FluidSynth with a DLS or SF2
// bank, played through one of FluidSynth's audio drivers.
//
// Every block the synthesizer renders goes through our render path: the
// synthesizer, the delay effect, the master volume, then the capture step
// (peaks for the level meter, bytes for the WAVE recording) before the device
// gets it. Messages from the player are queued without locks and applied by
// the render path at the start of its next block, so the player thread never
// waits for the synthesizer.
//
// Threads: ShortMsg and LongMsg push into a multi-producer queue and may come
// from any thread, even at once. The render path runs on the audio driver's
// thread (or the caller's, with RenderBlock). SetMetering, LevelDecibels,
// SetVolume, recording() and recordedBytes() use atomics and may come from
// any thread. Open, Close, LoadDls, Instruments, StartRecording and
// StopRecording belong to the owner's thread.
class CSynthOut final : public IMidi {
public:
    // `audioDrivers` empty: no audio device; the owner pulls audio with
    // RenderBlock (offline tests, tools).
    explicit CSynthOut(const SynthSettings& settings, std::vector<std::string> audioDrivers = defaultAudioDrivers());
    ~CSynthOut() override;
    CSynthOut(const CSynthOut&) = delete;
    CSynthOut& operator=(const CSynthOut&) = delete;

    // The port is not used. 0; 2 when the synthesizer cannot be set up; 3
    // when no audio driver can be opened.
    int Open(uint32_t port) override;
    int Close() override;
    int ShortMsg(uint8_t status, uint8_t channel, uint8_t data1, uint8_t data2) override;
    int LongMsg(const uint8_t* data, uint32_t length) override;

    // Loads a DLS or SF2 file, or the system General MIDI set when `path` is
    // empty: 0, or 1 (no instruments then; the output stays open).
    int LoadDls(const std::string& path);
    [[nodiscard]] std::vector<SynthInstrument> Instruments() const;
    // Master volume in percent as a gain: 0 silent, 100 unity; values
    // outside 0..100 are read as 100.
    void SetVolume(int32_t percent);

    // WAVE recording of everything rendered from now on: 0, or 1 when not
    // open, already recording or the file cannot be created.
    int StartRecording(const std::filesystem::path& path);
    // Patches the sizes and closes the file; always 0.
    int StopRecording();
    [[nodiscard]] bool recording() const { return recording_.load(); }
    // Audio bytes written to the current (or last) recording.
    [[nodiscard]] uint32_t recordedBytes() const { return recordedBytes_.load(); }

    // Level metering of the rendered blocks (off by default).
    void SetMetering(bool on) { metering_ = on; }
    // The last block's peaks as decibels below full scale (100 = silence).
    [[nodiscard]] std::array<double, 2> LevelDecibels() const;

    // Renders `frames` frames through the whole render path when opened
    // without an audio driver; the device-bound samples land in `left` and
    // `right` when given. False when open with a driver or not open.
    bool RenderBlock(size_t frames, float* left = nullptr, float* right = nullptr);

    [[nodiscard]] bool isOpen() const { return engine_ != nullptr; }
    [[nodiscard]] const SynthSettings& settings() const { return settings_; }
    // Name of the audio driver in use ("" without one).
    [[nodiscard]] const std::string& audioDriver() const { return driverName_; }
    [[nodiscard]] WaveFormat waveFormat() const;

private:
    // One queued message: a channel message or a system-exclusive one.
    struct QueuedMessage {
        static constexpr size_t kMaxBytes = 256;
        uint16_t length = 0;
        std::array<uint8_t, kMaxBytes> bytes{};
    };

    static int audioCallback(void* data, int len, int nfx, float* fx[], int nout, float* out[]);
    void render(size_t frames, float* left, float* right);
    void capture(const uint8_t* data, size_t bytes);
    int enqueue(const uint8_t* data, size_t length);
    void drainMessages();
    bool openDriver();

    SynthSettings settings_;
    std::vector<std::string> drivers_;
    std::string driverName_;
    std::unique_ptr<FluidEngine> engine_;
    _fluid_audio_driver_t* driver_ = nullptr;
    BoundedQueue<QueuedMessage> queue_{2048};

    // Render path storage, reserved at Open.
    std::vector<float> left_;
    std::vector<float> right_;
    std::vector<int16_t> pcm_;
    FeedbackDelay delay_;
    std::atomic<float> gain_{1.0f};

    // Capture state shared by the render thread and the owner.
    WaveFileWriter writer_;
    std::atomic<bool> recording_{false};
    std::atomic<int> capturing_{0};  // render path inside the recording step
    std::atomic<uint32_t> recordedBytes_{0};
    std::atomic<bool> metering_{false};
    std::atomic<int32_t> peakLeft_{0};
    std::atomic<int32_t> peakRight_{0};
};

}  // namespace zema
