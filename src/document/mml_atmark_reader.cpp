#include "document/mml_atmark_reader.h"

#include <string>

#include "document/text_util.h"

namespace zema {

namespace {
constexpr std::u16string_view kAtmark = u"MML@";

void readGroup(std::u16string_view group, ReadResult& result)
{
    int slot = 0;
    size_t start = 0;
    while (slot < kTrackCount && start < group.size()) {
        // Consecutive and leading separators count as one.
        while (start < group.size() && group[start] == u',') ++start;
        size_t end = group.find(u',', start);
        if (end == std::u16string_view::npos) end = group.size();
        std::u16string_view field = group.substr(start, end - start);
        start = end;
        while (!field.empty() && (field.front() == u'\r' || field.front() == u'\n')) field.remove_prefix(1);
        if (field.empty()) break;
        result.slots[slot].text += field;
        result.slots[slot].used = true;
        ++slot;
    }
}
}  // namespace

bool CMMLAtmarkReader::Read()
{
    ReadResult& out = result();
    for (int i = 0; i < kTrackCount; ++i) out.slots[i].name = u"Track" + decimalText(i + 1);
    out.timing = defaults();

    const std::u16string_view source = text();
    bool found = false;
    bool readAnyGroup = false;
    size_t position = source.find(kAtmark);
    while (position != std::u16string_view::npos) {
        found = true;
        const size_t start = position + kAtmark.size();
        size_t end = source.find(u';', start);
        if (end == std::u16string_view::npos) end = source.size();
        const std::u16string_view group = source.substr(start, end - start);
        if (!group.empty()) {
            if (readAnyGroup) {
                for (TrackSlot& slot : out.slots) {
                    if (!slot.text.empty()) slot.text += kNextGroupSeparator;
                }
            }
            readGroup(group, out);
            readAnyGroup = true;
        }
        position = end < source.size() ? source.find(kAtmark, end) : std::u16string_view::npos;
    }
    return found;
}

}  // namespace zema
