#pragma once

// Internals of the MML writer, shared by its two source files and its tests.

#include <cstdint>
#include <vector>

#include "core/track_event.h"

namespace zema::writer {

// The writer's own slim copy of a compiled event.
struct Item {
    TrackEventKind kind = TrackEventKind::None;
    int32_t tick = 0;
    int32_t length = 0;        // ticks (notes and rests)
    int32_t noteNumber = 0;    // notes
    int32_t value = 0;         // volume (notes, rests) or tempo
    int32_t lengthNumber = 0;  // 1..64 (notes and rests; `n` notes carry their default length)
    bool dotted = false;
    bool continuation = false;  // a note the source ties onto the previous note of its pitch
};

// Length code of a note or rest: lengthNumber - 1, plus 64 when dotted.
[[nodiscard]] int32_t lengthCode(const Item& item);
// Characters needed to write a length code explicitly (digits and dot).
[[nodiscard]] int32_t codeWeight(int32_t code);

// Merges runs of rests of standard lengths (1, 2, 4, ... 64, dotted or not)
// into the fewest pieces with the same total length. Never changes the total:
// a run that has no exact spelling in standard pieces stays as it was.
void normaliseRests(std::vector<Item>& items, int32_t timebase);

// One entry per item: -1, or the length code of the `l` command to write just
// before that item.
[[nodiscard]] std::vector<int32_t> planLengths(const std::vector<Item>& items, int mode, int option);

}  // namespace zema::writer
