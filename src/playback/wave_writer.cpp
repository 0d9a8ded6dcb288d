#include "playback/wave_writer.h"

#include <cstring>
#include <limits>

namespace zema {

namespace {

void put16(uint8_t* at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void put32(uint8_t* at, uint32_t value)
{
    put16(at, value & 0xFFFF);
    put16(at + 2, value >> 16);
}

bool writeSizeAt(std::FILE* file, long offset, uint32_t value)
{
    uint8_t bytes[4];
    put32(bytes, value);
    return std::fseek(file, offset, SEEK_SET) == 0 && std::fwrite(bytes, 1, 4, file) == 4;
}

// The largest audio size whose RIFF size (header - 8 + D) still fits 32 bits,
// kept to whole stereo frames.
constexpr uint32_t kMaxDataBytes = (std::numeric_limits<uint32_t>::max() - (kWaveHeaderSize - 8)) & ~3u;

}  // namespace

std::array<uint8_t, kWaveFormatBlockSize> waveFormatBlock(const WaveFormat& format)
{
    std::array<uint8_t, kWaveFormatBlockSize> block{};
    put16(&block[0], 1);
    put16(&block[2], format.channels);
    put32(&block[4], format.sampleRate);
    put32(&block[8], format.bytesPerSecond());
    put16(&block[12], format.blockAlign());
    put16(&block[14], 16);
    put16(&block[16], 0);
    return block;
}

WaveFileWriter::~WaveFileWriter()
{
    finish();
}

bool WaveFileWriter::open(const std::filesystem::path& path, const WaveFormat& format)
{
    finish();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    fileHolder_.reset(file);
    file_ = file;
    dataBytes_ = 0;
    error_ = false;

    uint8_t header[kWaveHeaderSize] = {};
    std::memcpy(header, "RIFF", 4);
    std::memcpy(header + 8, "WAVE", 4);
    std::memcpy(header + 12, "fmt ", 4);
    put32(header + 16, kWaveFormatBlockSize);
    const auto block = waveFormatBlock(format);
    std::memcpy(header + 20, block.data(), block.size());
    std::memcpy(header + 20 + kWaveFormatBlockSize, "data", 4);
    // The header reaches the disk at once, so even an interrupted recording
    // leaves a file that names its format.
    if (std::fwrite(header, 1, sizeof header, file) != sizeof header || std::fflush(file) != 0) {
        fileHolder_.reset();
        file_ = nullptr;
        std::filesystem::remove(path);
        return false;
    }
    return true;
}

bool WaveFileWriter::append(const void* data, size_t bytes)
{
    if (file_ == nullptr) return false;
    const size_t room = kMaxDataBytes - dataBytes_;
    const size_t wanted = bytes < room ? bytes : room;
    const size_t written = std::fwrite(data, 1, wanted, file_);
    dataBytes_ += static_cast<uint32_t>(written);
    if (written != bytes) error_ = true;
    return written == bytes;
}

bool WaveFileWriter::finish()
{
    if (file_ == nullptr) return true;
    bool ok = writeSizeAt(file_, 4, kWaveHeaderSize - 8 + dataBytes_);
    ok = writeSizeAt(file_, static_cast<long>(kWaveHeaderSize - 4), dataBytes_) && ok;
    ok = std::fflush(file_) == 0 && ok;
    ok = std::fclose(fileHolder_.release()) == 0 && ok;
    file_ = nullptr;
    return ok;
}

}  // namespace zema
