#pragma once

#include <cstdint>

namespace zema {

// The player's time source. Time is counted in clock units; Frequency() says
// how many make a second. Now and Frequency may be called from any thread
// (the display reads the time while the player sleeps on it); Begin, End and
// SleepUntil belong to one thread at a time.
class IMMLClock {
public:
    virtual ~IMMLClock() = default;

    // Prepares the clock for playback: 1 on success, 0 on failure.
    [[nodiscard]] virtual int Begin() = 0;
    virtual void End() = 0;
    [[nodiscard]] virtual uint64_t Now() = 0;
    [[nodiscard]] virtual uint64_t Frequency() = 0;
    // Sleeps until `deadline`, or at most one timer period when the deadline
    // is further away, so the caller looks at its commands regularly. May
    // return early; never locks in a real clock.
    virtual void SleepUntil(uint64_t deadline) = 0;
};

// Milliseconds of a clock reading, wrapped to 32 bits as the monitors keep them.
[[nodiscard]] uint32_t clockMilliseconds(IMMLClock& clock);

// The monotonic system clock in microseconds. The timer period is 1 ms: the
// player sleeps to absolute deadlines no more than that apart.
class CSteadyClock final : public IMMLClock {
public:
    static constexpr uint64_t kPeriodMicroseconds = 1000;

    int Begin() override;
    void End() override;
    uint64_t Now() override;
    uint64_t Frequency() override { return 1'000'000; }
    void SleepUntil(uint64_t deadline) override;
};

// Tries to give the calling thread real-time priority (SCHED_FIFO) and a fine
// timer slack; true when the priority was raised. Without the right to do so
// the thread keeps its normal priority.
bool raiseThreadPriority();

}  // namespace zema
