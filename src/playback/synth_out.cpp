#include "playback/synth_out.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "playback/pcm_capture.h"

namespace zema {

namespace {

// Frames the render path handles at once; longer requests are split.
constexpr size_t kChunkFrames = 4096;

}  // namespace

std::vector<std::string> defaultAudioDrivers()
{
    const char* configured = std::getenv("ZEMA_AUDIO_DRIVER");
    if (configured == nullptr || *configured == '\0') return {"pulseaudio", "alsa", "jack"};
    std::vector<std::string> drivers;
    std::string name;
    for (const char* c = configured;; ++c) {
        if (*c == ',' || *c == '\0') {
            if (!name.empty()) drivers.push_back(name);
            name.clear();
            if (*c == '\0') break;
        } else {
            name += *c;
        }
    }
    return drivers;
}

CSynthOut::CSynthOut(const SynthSettings& settings, std::vector<std::string> audioDrivers)
    : settings_(settings), drivers_(std::move(audioDrivers))
{
    if (settings_.channels != 1) settings_.channels = 2;
    SetVolume(settings_.volume);
}

CSynthOut::~CSynthOut()
{
    Close();
}

WaveFormat CSynthOut::waveFormat() const
{
    return {engine_ ? engine_->sampleRate() : settings_.sampleRate, static_cast<uint16_t>(settings_.channels)};
}

int CSynthOut::Open(uint32_t /*port*/)
{
    Close();
    engine_ = FluidEngine::create(settings_);
    if (!engine_) return kSynthInitFailed;
    left_.assign(kChunkFrames, 0.0f);
    right_.assign(kChunkFrames, 0.0f);
    pcm_.assign(kChunkFrames * 2, 0);
    if (settings_.delay) delay_.configure(engine_->sampleRate());
    peakLeft_ = 0;
    peakRight_ = 0;
    if (!drivers_.empty() && !openDriver()) {
        engine_.reset();
        return kSynthOutputFailed;
    }
    return 0;
}

bool CSynthOut::openDriver()
{
    auto* settings = engine_->settingsHandle();
    for (const std::string& name : drivers_) {
        // Never let the JACK library start a server of its own here: without
        // one the driver must simply fail.
        if (name == "jack") setenv("JACK_NO_START_SERVER", "1", 0);
        if (fluid_settings_setstr(settings, "audio.driver", name.c_str()) != FLUID_OK) continue;
        driver_ = new_fluid_audio_driver2(settings, &CSynthOut::audioCallback, this);
        if (driver_ != nullptr) {
            driverName_ = name;
            return true;
        }
    }
    return false;
}

int CSynthOut::Close()
{
    StopRecording();
    if (driver_ != nullptr) {
        delete_fluid_audio_driver(driver_);
        driver_ = nullptr;
    }
    driverName_.clear();
    if (engine_) {
        drainMessages();  // leave no stale message for the next Open
        engine_.reset();
    }
    peakLeft_ = 0;
    peakRight_ = 0;
    return 0;
}

int CSynthOut::enqueue(const uint8_t* data, size_t length)
{
    if (!engine_ || length == 0 || length > QueuedMessage::kMaxBytes) return 1;
    const bool queued = queue_.push([&](QueuedMessage& message) {
        message.length = static_cast<uint16_t>(length);
        std::copy(data, data + length, message.bytes.begin());
    });
    return queued ? 0 : 1;
}

int CSynthOut::ShortMsg(uint8_t status, uint8_t channel, uint8_t data1, uint8_t data2)
{
    const auto bytes = packShortMessage(status, channel, data1, data2);
    return enqueue(bytes.data(), static_cast<size_t>(shortMessageLength(bytes[0])));
}

int CSynthOut::LongMsg(const uint8_t* data, uint32_t length)
{
    if (data == nullptr || length < 2 || data[0] != 0xF0) return 1;
    return enqueue(data, length);
}

void CSynthOut::drainMessages()
{
    while (queue_.pop([this](const QueuedMessage& message) {
        if (message.bytes[0] == 0xF0) {
            engine_->systemExclusive(message.bytes.data(), message.length);
        } else {
            engine_->shortMessage(message.bytes.data(), message.length);
        }
    })) {
    }
}

int CSynthOut::LoadDls(const std::string& path)
{
    if (!engine_) return 1;
    return engine_->loadBank(path.empty() ? defaultGeneralMidiBank() : path) ? 0 : 1;
}

std::vector<SynthInstrument> CSynthOut::Instruments() const
{
    return engine_ ? engine_->instruments() : std::vector<SynthInstrument>{};
}

void CSynthOut::SetVolume(int32_t percent)
{
    if (percent < 0 || percent > 100) percent = 100;
    settings_.volume = percent;
    gain_ = static_cast<float>(percent) / 100.0f;
}

int CSynthOut::StartRecording(const std::filesystem::path& path)
{
    if (!engine_ || recording_.load()) return 1;
    if (!writer_.open(path, waveFormat())) return 1;
    recordedBytes_ = 0;
    recording_ = true;
    return 0;
}

int CSynthOut::StopRecording()
{
    if (!recording_.exchange(false)) return 0;
    // Wait for a render block that saw the flag still set to leave the file.
    while (capturing_.load() != 0) std::this_thread::yield();
    writer_.finish();
    return 0;
}

std::array<double, 2> CSynthOut::LevelDecibels() const
{
    return {peakDecibels(peakLeft_.load()), peakDecibels(peakRight_.load())};
}

bool CSynthOut::RenderBlock(size_t frames, float* left, float* right)
{
    if (!engine_ || driver_ != nullptr) return false;
    render(frames, left, right);
    return true;
}

int CSynthOut::audioCallback(void* data, int len, int /*nfx*/, float* /*fx*/[], int nout, float* out[])
{
    auto* self = static_cast<CSynthOut*>(data);
    if (len <= 0) return FLUID_OK;
    float* left = nout >= 1 ? out[0] : nullptr;
    float* right = nout >= 2 ? out[1] : nullptr;
    self->render(static_cast<size_t>(len), left, right);
    return FLUID_OK;
}

void CSynthOut::render(size_t frames, float* left, float* right)
{
    drainMessages();
    const float gain = gain_.load();
    const uint32_t channels = settings_.channels;
    while (frames > 0) {
        const size_t n = std::min(frames, kChunkFrames);
        float* l = left_.data();
        float* r = right_.data();
        engine_->render(l, r, n);
        if (settings_.delay) delay_.process(l, r, n);
        for (size_t i = 0; i < n; ++i) {
            l[i] *= gain;
            r[i] *= gain;
        }
        if (channels == 1) {
            for (size_t i = 0; i < n; ++i) l[i] = r[i] = 0.5f * (l[i] + r[i]);
        }
        floatToPcm16(l, r, n, channels, pcm_.data());
        capture(reinterpret_cast<const uint8_t*>(pcm_.data()), n * channels * sizeof(int16_t));
        if (left != nullptr) std::copy(l, l + n, left);
        if (right != nullptr) std::copy(r, r + n, right);
        if (left != nullptr) left += n;
        if (right != nullptr) right += n;
        frames -= n;
    }
}

void CSynthOut::capture(const uint8_t* data, size_t bytes)
{
    capturing_.fetch_add(1);
    if (recording_.load()) {
        writer_.append(data, bytes);
        recordedBytes_ = writer_.dataBytes();
    }
    capturing_.fetch_sub(1);
    if (metering_.load()) {
        BlockPeaks peaks{peakLeft_.load(), peakRight_.load()};
        if (blockPeaks(data, bytes, settings_.channels, peaks)) {
            peakLeft_ = peaks.left;
            peakRight_ = peaks.right;
        }
    }
}

}  // namespace zema
