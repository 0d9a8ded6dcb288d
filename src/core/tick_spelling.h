#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zema {

// One spelling of a length in ticks at 96 ticks per quarter note: a chain of
// up to three MML lengths joined by "&", each after a "%s" slot that takes the
// note text ("%s2.&%s5&%s18" is 288 + 76 + 21 = 385 ticks). Lengths 0..5 have
// no MML form; their format is a comment such as "/* 4tick */".
struct TickSpelling {
    int32_t slots = 0;
    std::u16string_view format;
};

inline constexpr int32_t kTickSpellingRows = 390;

// Row i spells exactly i ticks at 96 ticks per quarter note (a term n is
// 384 / n ticks, a dotted term 3/2 of that, both truncated).
extern const std::array<TickSpelling, kTickSpellingRows> tickSpellingTable;

// Appends row `row` with every slot filled by `noteText`. A row outside the
// table appends nothing.
void appendSpellingRow(std::u16string_view noteText, int32_t row, std::u16string& out);

// Appends the tied notation of `ticks` at 96 ticks per quarter note: dotted
// wholes and wholes while the length does not fit the table, then one row.
// noteText is the lower-case letter with "+" for a sharp note, or "r".
void spellTicks(std::u16string_view noteText, int32_t ticks, std::u16string& out);

}  // namespace zema
