#pragma once

#include <cstddef>
#include <cstdint>

namespace zema {

// Peak absolute sample values of one captured block of 16-bit PCM.
struct BlockPeaks {
    int32_t left = 0;
    int32_t right = 0;
};

// Peaks of a block of interleaved 16-bit little-endian samples. Stereo: the
// largest magnitude of each channel; mono: the largest magnitude, in both.
// A block shorter than one frame gives nothing (`peaks` keeps its values).
// Returns whether the peaks were set.
bool blockPeaks(const uint8_t* data, size_t bytes, uint32_t channels, BlockPeaks& peaks);

// A peak as decibels below full scale (|20 log10(peak / 32767)|); 100 for 0.
[[nodiscard]] double peakDecibels(int32_t peak);

// Converts `frames` frames of float samples (nominally -1..1, clipped) into
// interleaved 16-bit PCM: stereo from both channels, mono from the left.
void floatToPcm16(const float* left, const float* right, size_t frames, uint32_t channels, int16_t* out);

}  // namespace zema
