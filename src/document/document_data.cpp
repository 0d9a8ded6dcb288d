#include "document/document_data.h"

#include <algorithm>

namespace zema {

void DocumentData::clear(const TimingContext& defaults)
{
    title.clear();
    source.clear();
    memo.clear();
    timing = defaults;
    for (int i = 0; i < kTrackCount; ++i) {
        slots[i] = DocumentSlot{};
        slots[i].channel = i;
    }
    trackOrder.fill(-1);
    trackOrderPresent = false;
    markers.clear();
    groups.clear();
    encoding.clear();
}

std::vector<int32_t> effectiveTrackOrder(const DocumentData& document)
{
    std::vector<int32_t> order;
    std::array<bool, kTrackCount> listed{};
    for (int32_t slot : document.trackOrder) {
        if (slot == -1) break;
        if (slot < 0 || slot >= kTrackCount || listed[slot] || !document.slots[slot].used) continue;
        listed[slot] = true;
        order.push_back(slot);
    }
    for (int32_t slot = 0; slot < kTrackCount; ++slot) {
        if (document.slots[slot].used && !listed[slot]) order.push_back(slot);
    }
    return order;
}

int32_t mapInstrument(int32_t value)
{
    static constexpr int32_t kOlderCodes[] = {0, 1, 2, 5, 3, 6, 4};
    if (value >= 0 && value <= 127) return value;
    if (value >= 128 && value <= 134) return kOlderCodes[value - 128];
    return 0;
}

}  // namespace zema
