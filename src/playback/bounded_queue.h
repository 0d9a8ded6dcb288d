#pragma once

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstddef>
#include <memory>

namespace zema {

// A fixed-capacity queue for many producers and one or more consumers that
// never locks or allocates after construction (each cell carries a sequence
// number that says whose turn it is). push and pop may be called from any
// thread at the same time. Each producer's items come out in the order it
// pushed them.
template <typename T>
class BoundedQueue {
public:
    // The capacity is rounded up to a power of two, at least 2: with a
    // single cell a full queue could not be told from an empty one.
    explicit BoundedQueue(size_t capacity)
        : mask_(std::bit_ceil(std::max<size_t>(capacity, 2)) - 1), cells_(std::make_unique<Cell[]>(mask_ + 1))
    {
        for (size_t i = 0; i <= mask_; ++i) cells_[i].sequence.store(i, std::memory_order_relaxed);
    }

    [[nodiscard]] size_t capacity() const { return mask_ + 1; }

    // Fills the next free item through `fill(T&)`; false when the queue is full.
    template <typename Fill>
    bool push(Fill&& fill)
    {
        size_t position = tail_.load(std::memory_order_relaxed);
        for (;;) {
            Cell& cell = cells_[position & mask_];
            const size_t sequence = cell.sequence.load(std::memory_order_acquire);
            const auto difference = static_cast<std::ptrdiff_t>(sequence) - static_cast<std::ptrdiff_t>(position);
            if (difference == 0) {
                if (tail_.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) {
                    fill(cell.item);
                    cell.sequence.store(position + 1, std::memory_order_release);
                    return true;
                }
            } else if (difference < 0) {
                return false;
            } else {
                position = tail_.load(std::memory_order_relaxed);
            }
        }
    }

    // Hands the oldest item to `use(const T&)`; false when the queue is empty.
    template <typename Use>
    bool pop(Use&& use)
    {
        size_t position = head_.load(std::memory_order_relaxed);
        for (;;) {
            Cell& cell = cells_[position & mask_];
            const size_t sequence = cell.sequence.load(std::memory_order_acquire);
            const auto difference = static_cast<std::ptrdiff_t>(sequence) - static_cast<std::ptrdiff_t>(position + 1);
            if (difference == 0) {
                if (head_.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) {
                    use(cell.item);
                    cell.sequence.store(position + mask_ + 1, std::memory_order_release);
                    return true;
                }
            } else if (difference < 0) {
                return false;
            } else {
                position = head_.load(std::memory_order_relaxed);
            }
        }
    }

private:
    struct Cell {
        std::atomic<size_t> sequence{0};
        T item{};
    };
    size_t mask_;
    std::unique_ptr<Cell[]> cells_;
    std::atomic<size_t> tail_{0};
    std::atomic<size_t> head_{0};
};

}  // namespace zema
