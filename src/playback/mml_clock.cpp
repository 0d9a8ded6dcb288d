#include "playback/mml_clock.h"

#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <time.h>

#include <algorithm>
#include <cerrno>

namespace zema {

uint32_t clockMilliseconds(IMMLClock& clock)
{
    const uint64_t frequency = clock.Frequency();
    if (frequency == 0) return 0;
    const uint64_t now = clock.Now();
    // Split the division so that the product cannot overflow.
    const uint64_t ms = now / frequency * 1000 + now % frequency * 1000 / frequency;
    return static_cast<uint32_t>(ms);
}

int CSteadyClock::Begin()
{
    timespec resolution{};
    return clock_getres(CLOCK_MONOTONIC, &resolution) == 0 ? 1 : 0;
}

void CSteadyClock::End() {}

uint64_t CSteadyClock::Now()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1'000'000 + static_cast<uint64_t>(now.tv_nsec) / 1000;
}

void CSteadyClock::SleepUntil(uint64_t deadline)
{
    const uint64_t target = std::min(deadline, Now() + kPeriodMicroseconds);
    timespec until{};
    until.tv_sec = static_cast<time_t>(target / 1'000'000);
    until.tv_nsec = static_cast<long>(target % 1'000'000 * 1000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

bool raiseThreadPriority()
{
    // A slack of 1 ns lets the kernel wake the thread right at its deadline.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    sched_param param{};
    param.sched_priority = std::max(1, sched_get_priority_max(SCHED_FIFO) / 2);
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

}  // namespace zema
