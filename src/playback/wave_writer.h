#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace zema {

// 16-bit PCM as the synthesizer renders it.
struct WaveFormat {
    uint32_t sampleRate = 44100;
    uint16_t channels = 2;

    [[nodiscard]] uint16_t blockAlign() const { return static_cast<uint16_t>(channels * 2); }
    [[nodiscard]] uint32_t bytesPerSecond() const { return sampleRate * blockAlign(); }
};

// The 18-byte format block written after "fmt ": tag 1 (PCM), channels, rate,
// bytes per second, block alignment, 16 bits per sample, extra size 0.
inline constexpr uint32_t kWaveFormatBlockSize = 18;
[[nodiscard]] std::array<uint8_t, kWaveFormatBlockSize> waveFormatBlock(const WaveFormat& format);

// Offset of the audio data: "RIFF", size, "WAVE", "fmt ", F, the format
// block, "data", D.
inline constexpr uint32_t kWaveHeaderSize = 28 + kWaveFormatBlockSize;

// Writes a RIFF/WAVE file: the header with zero sizes when opened, the audio
// as it comes, the two sizes patched when finished. Once open, finishing
// always leaves a valid file, whatever was appended. Not thread-safe.
class WaveFileWriter {
public:
    WaveFileWriter() = default;
    ~WaveFileWriter();
    WaveFileWriter(const WaveFileWriter&) = delete;
    WaveFileWriter& operator=(const WaveFileWriter&) = delete;

    // Creates the file and writes the header; false when it cannot.
    [[nodiscard]] bool open(const std::filesystem::path& path, const WaveFormat& format);
    // Appends audio bytes. A RIFF file cannot grow past 4 GiB: bytes that
    // would take it there are dropped (and false returned), so the sizes
    // stay true. False too when the disk refuses the write.
    bool append(const void* data, size_t bytes);
    // Patches the sizes and closes the file; false when that failed.
    bool finish();

    [[nodiscard]] bool isOpen() const { return file_ != nullptr; }
    [[nodiscard]] uint32_t dataBytes() const { return dataBytes_; }
    // True when some audio could not be written.
    [[nodiscard]] bool hadError() const { return error_; }

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, FileCloser> fileHolder_;
    std::FILE* file_ = nullptr;
    uint32_t dataBytes_ = 0;
    bool error_ = false;
};

}  // namespace zema
