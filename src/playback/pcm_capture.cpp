#include "playback/pcm_capture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zema {

namespace {

int32_t magnitudeAt(const uint8_t* data, size_t offset)
{
    const auto sample = static_cast<int16_t>(static_cast<uint16_t>(data[offset] | (data[offset + 1] << 8)));
    return std::abs(static_cast<int32_t>(sample));
}

}  // namespace

bool blockPeaks(const uint8_t* data, size_t bytes, uint32_t channels, BlockPeaks& peaks)
{
    if (data == nullptr) return false;
    if (channels == 2) {
        if (bytes < 4) return false;
        int32_t left = 0;
        int32_t right = 0;
        for (size_t offset = 0; offset + 4 <= bytes; offset += 4) {
            left = std::max(left, magnitudeAt(data, offset));
            right = std::max(right, magnitudeAt(data, offset + 2));
        }
        peaks = {left, right};
        return true;
    }
    if (bytes < 2) return false;
    int32_t peak = 0;
    for (size_t offset = 0; offset + 2 <= bytes; offset += 2) peak = std::max(peak, magnitudeAt(data, offset));
    peaks = {peak, peak};
    return true;
}

double peakDecibels(int32_t peak)
{
    if (peak <= 0) return 100.0;
    // -32768 is as full as 32767.
    const double ratio = std::min(peak, 32767) / 32767.0;
    return std::fabs(20.0 * std::log10(ratio));
}

void floatToPcm16(const float* left, const float* right, size_t frames, uint32_t channels, int16_t* out)
{
    auto convert = [](float value) {
        const float clipped = std::clamp(value, -1.0f, 1.0f);
        return static_cast<int16_t>(std::lrintf(clipped * 32767.0f));
    };
    if (channels == 2) {
        for (size_t i = 0; i < frames; ++i) {
            out[2 * i] = convert(left[i]);
            out[2 * i + 1] = convert(right[i]);
        }
    } else {
        for (size_t i = 0; i < frames; ++i) out[i] = convert(left[i]);
    }
}

}  // namespace zema
