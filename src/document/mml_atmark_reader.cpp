#include "document/mml_atmark_reader.h"

#include <array>
#include <string>
#include <vector>

#include "core/score_book.h"
#include "document/text_util.h"

namespace zema {

namespace {
constexpr std::u16string_view kAtmark = u"MML@";

using GroupFields = std::array<std::vector<std::u16string>, kTrackCount>;

// Field k of the group becomes the next piece of slot k; every slot gets a
// piece per group, empty when the group has no field for it.
void readGroup(std::u16string_view group, DocumentData& result, GroupFields& pieces)
{
    for (auto& slotPieces : pieces) slotPieces.emplace_back();
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
        pieces[static_cast<size_t>(slot)].back() = field;
        result.slots[slot].used = true;
        ++slot;
    }
}
}  // namespace

bool CMMLAtmarkReader::Read()
{
    DocumentData& out = result();
    for (int i = 0; i < kTrackCount; ++i) out.slots[i].name = u"Track" + decimalText(i + 1);
    out.timing = defaults();

    const std::u16string_view source = text();
    bool found = false;
    GroupFields pieces;
    size_t position = source.find(kAtmark);
    while (position != std::u16string_view::npos) {
        found = true;
        const size_t start = position + kAtmark.size();
        size_t end = source.find(u';', start);
        if (end == std::u16string_view::npos) end = source.size();
        const std::u16string_view group = source.substr(start, end - start);
        if (!group.empty()) readGroup(group, out, pieces);
        position = end < source.size() ? source.find(kAtmark, end) : std::u16string_view::npos;
    }
    // Several groups are the scrolls of a book: each slot plays its pieces one
    // after another, each from a fresh scroll's state.
    for (size_t slot = 0; slot < pieces.size(); ++slot) {
        out.slots[slot].text = joinBookPieces(pieces[slot], kNextGroupSeparator);
    }
    return found;
}

}  // namespace zema
