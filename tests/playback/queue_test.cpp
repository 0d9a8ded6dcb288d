// The lock-free queues under real concurrency: millions of items through
// producer and consumer threads, each item checked for loss, duplication,
// order and tearing.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "playback/bounded_queue.h"
#include "playback/spsc_ring.h"

namespace zema {
namespace {

// ThreadSanitizer makes every atomic step many times slower: a quarter of
// the items there, still millions in all.
#if defined(__SANITIZE_THREAD__)
constexpr uint64_t kShare = 4;
#else
constexpr uint64_t kShare = 1;
#endif

// An item wide enough that a read racing a write would show as a mismatch
// between its words.
struct Item {
    uint32_t producer = 0;
    uint64_t sequence = 0;
    std::array<uint64_t, 3> check{};
};

Item makeItem(uint32_t producer, uint64_t sequence)
{
    const uint64_t mixed = (sequence + 1) * 0x9E3779B97F4A7C15ull ^ producer;
    return {producer, sequence, {mixed, ~mixed, mixed * 3}};
}

// The check words match the producer and sequence (never true of a blank item).
bool intact(const Item& item)
{
    return makeItem(item.producer, item.sequence).check == item.check;
}

// What one consumer saw: faults counted as they happen, so the threads keep
// no per-item log.
struct ConsumerTally {
    std::vector<uint64_t> nextOf;  // per producer: the sequence expected after the last one seen
    uint64_t received = 0;
    uint64_t outOfOrder = 0;
    uint64_t torn = 0;
};

TEST(SpscRing, TwoThreadsPassMillionsOfItemsInOrder)
{
    constexpr uint64_t kItems = 4'000'000 / kShare;
    auto ring = std::make_unique<SpscRing<Item, 256>>();
    std::thread producer([&] {
        for (uint64_t i = 0; i < kItems; ++i) {
            const Item item = makeItem(7, i);
            while (!ring->push(item)) std::this_thread::yield();
        }
    });
    uint64_t expected = 0;
    uint64_t faults = 0;
    while (expected < kItems) {
        const auto item = ring->pop();
        if (!item) {
            std::this_thread::yield();
            continue;
        }
        if (item->sequence != expected || !intact(*item)) ++faults;
        expected = item->sequence + 1;
    }
    producer.join();
    EXPECT_EQ(faults, 0u);
    EXPECT_FALSE(ring->pop().has_value()) << "an item beyond the last one pushed";
}

TEST(SpscRing, HoldsOneItemLessThanItsSizeAndWrapsRound)
{
    SpscRing<int, 4> ring;
    for (int round = 0; round < 3; ++round) {
        EXPECT_TRUE(ring.push(round * 10 + 1));
        EXPECT_TRUE(ring.push(round * 10 + 2));
        EXPECT_TRUE(ring.push(round * 10 + 3));
        EXPECT_FALSE(ring.push(99)) << "round " << round;
        for (int k = 1; k <= 3; ++k) EXPECT_EQ(ring.pop(), round * 10 + k);
        EXPECT_FALSE(ring.pop().has_value());
    }
}

TEST(BoundedQueue, CapacityIsRoundedUpToAPowerOfTwoOfAtLeastTwo)
{
    struct Row {
        size_t asked;
        size_t holds;
    };
    for (const Row row : {Row{0, 2}, Row{1, 2}, Row{2, 2}, Row{3, 4}, Row{8, 8}, Row{600, 1024}}) {
        BoundedQueue<size_t> queue(row.asked);
        EXPECT_EQ(queue.capacity(), row.holds) << row.asked;
        // Two passes: the second runs over cells the first has recycled.
        for (int pass = 0; pass < 2; ++pass) {
            size_t pushed = 0;
            while (pushed <= row.holds && queue.push([&](size_t& cell) { cell = pushed; })) ++pushed;
            EXPECT_EQ(pushed, row.holds) << row.asked;
            size_t popped = 0;
            while (queue.pop([&](const size_t& value) { EXPECT_EQ(value, popped); })) ++popped;
            EXPECT_EQ(popped, row.holds) << row.asked;
        }
    }
}

TEST(BoundedQueue, ManyProducersAndConsumersLoseDuplicateAndReorderNothing)
{
    struct Row {
        uint32_t producers;
        uint32_t consumers;
        size_t capacity;
        uint64_t itemsEach;
    };
    for (const Row row : {Row{1, 1, 64, 2'000'000}, Row{4, 1, 512, 500'000}, Row{4, 2, 8, 250'000},
                          Row{3, 3, 2, 100'000}}) {
        SCOPED_TRACE(testing::Message() << row.producers << " producers, " << row.consumers << " consumers, capacity "
                                        << row.capacity);
        BoundedQueue<Item> queue(row.capacity);
        const uint64_t itemsEach = row.itemsEach / kShare;
        const uint64_t total = itemsEach * row.producers;
        std::atomic<uint64_t> taken{0};
        std::vector<ConsumerTally> tallies(row.consumers);
        // Every item's (producer, sequence) marked once; a second mark is a duplicate.
        std::vector<std::vector<std::atomic<uint8_t>>> seen(row.producers);
        for (auto& marks : seen) marks = std::vector<std::atomic<uint8_t>>(itemsEach);
        std::atomic<uint64_t> duplicates{0};

        std::vector<std::thread> threads;
        for (uint32_t p = 0; p < row.producers; ++p) {
            threads.emplace_back([&, p] {
                for (uint64_t i = 0; i < itemsEach; ++i) {
                    while (!queue.push([&](Item& cell) { cell = makeItem(p, i); })) std::this_thread::yield();
                }
            });
        }
        for (uint32_t c = 0; c < row.consumers; ++c) {
            threads.emplace_back([&, c] {
                ConsumerTally& tally = tallies[c];
                tally.nextOf.assign(row.producers, 0);
                while (taken.load() < total) {
                    const bool got = queue.pop([&](const Item& item) {
                        ++tally.received;
                        if (!intact(item) || item.producer >= row.producers || item.sequence >= itemsEach) {
                            ++tally.torn;
                            return;
                        }
                        // One consumer sees each producer's items in the order pushed.
                        if (item.sequence < tally.nextOf[item.producer]) ++tally.outOfOrder;
                        tally.nextOf[item.producer] = item.sequence + 1;
                        if (seen[item.producer][item.sequence].exchange(1) != 0) duplicates.fetch_add(1);
                    });
                    if (got) {
                        taken.fetch_add(1);
                    } else {
                        std::this_thread::yield();
                    }
                }
            });
        }
        for (auto& thread : threads) thread.join();

        uint64_t received = 0;
        for (const ConsumerTally& tally : tallies) {
            received += tally.received;
            EXPECT_EQ(tally.outOfOrder, 0u);
            EXPECT_EQ(tally.torn, 0u);
        }
        EXPECT_EQ(received, total);
        EXPECT_EQ(duplicates.load(), 0u);
        uint64_t missing = 0;
        for (const auto& marks : seen) {
            for (const auto& mark : marks) missing += mark.load() == 0 ? 1 : 0;
        }
        EXPECT_EQ(missing, 0u);
        EXPECT_FALSE(queue.pop([](const Item&) {})) << "an item beyond the last one pushed";
    }
}

}  // namespace
}  // namespace zema
