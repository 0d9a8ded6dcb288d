#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <optional>

namespace zema {

// A fixed-size single-producer, single-consumer ring: push and pop never
// lock or allocate. Holds up to N - 1 items. push belongs to one thread and
// pop to one (possibly other) thread at a time; a thread may take over either
// end only after the previous one is done with it (a join, a mutex).
template <typename T, size_t N>
class SpscRing {
    static_assert(N >= 2 && (N & (N - 1)) == 0, "N must be a power of two");

public:
    // False (and the item dropped) when the ring is full.
    bool push(const T& item)
    {
        const size_t head = head_.load(std::memory_order_relaxed);
        const size_t next = (head + 1) & (N - 1);
        if (next == tail_.load(std::memory_order_acquire)) return false;
        items_[head] = item;
        head_.store(next, std::memory_order_release);
        return true;
    }

    std::optional<T> pop()
    {
        const size_t tail = tail_.load(std::memory_order_relaxed);
        if (tail == head_.load(std::memory_order_acquire)) return std::nullopt;
        T item = items_[tail];
        tail_.store((tail + 1) & (N - 1), std::memory_order_release);
        return item;
    }

private:
    std::array<T, N> items_{};
    std::atomic<size_t> head_{0};
    std::atomic<size_t> tail_{0};
};

}  // namespace zema
