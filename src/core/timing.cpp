#include "core/timing.h"

#include <algorithm>
#include <limits>

namespace zema {

namespace {
int32_t clampToInt32(int64_t v)
{
    constexpr int64_t lo = std::numeric_limits<int32_t>::min();
    constexpr int64_t hi = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(v, lo, hi));
}
}  // namespace

int32_t tickOfLength(int32_t timebase, int32_t n, bool dotted)
{
    if (n <= 0) return 0;
    int64_t ticks = static_cast<int64_t>(timebase) * 4 / n;
    if (dotted) ticks = ticks * 3 / 2;
    return clampToInt32(ticks);
}

int32_t ticksPerMeasure(const TimingContext& context)
{
    if (context.denominator <= 0) return 1;
    const int64_t ticks = static_cast<int64_t>(context.numerator) * context.timebase * 4 / context.denominator;
    return clampToInt32(std::max<int64_t>(ticks, 1));
}

int32_t measureOfTick(const TimingContext& context, int32_t tick)
{
    return tick / ticksPerMeasure(context);
}

}  // namespace zema
