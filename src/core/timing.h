#pragma once

#include <cstdint>

namespace zema {

// Musical time of a song: a quarter note has `timebase` ticks; the time
// signature is numerator/denominator as written (3/4 is 3 and 4).
struct TimingContext {
    int32_t timebase = 96;
    int32_t numerator = 4;
    int32_t denominator = 4;

    friend bool operator==(const TimingContext&, const TimingContext&) = default;
};

// Ticks of an MML length n (1 = whole note, 4 = quarter), truncated; a dotted
// length is ticks * 3 / 2, truncated. 0 when n <= 0.
[[nodiscard]] int32_t tickOfLength(int32_t timebase, int32_t n, bool dotted);

// numerator * timebase * 4 / denominator. Never below 1, so callers can divide
// by it whatever timing they were handed.
[[nodiscard]] int32_t ticksPerMeasure(const TimingContext& context);

// Index of the measure holding `tick` (the first measure is 0).
[[nodiscard]] int32_t measureOfTick(const TimingContext& context, int32_t tick);

}  // namespace zema
