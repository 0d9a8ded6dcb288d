// The MML writer: length planning, rest merging, octave and note spelling,
// and the faults it must not make (every output must read back the same).
#include <gtest/gtest.h>

#include "compile_helpers.h"
#include "core/mml_writer.h"
#include "core/writer_plan.h"
#include "writer_oracle.h"

namespace zema {
namespace {

std::string rewrite(std::string_view source, int mode = 1, int option = 0, TimingContext timing = {})
{
    std::u16string out = u"prefix:";
    const std::u16string text = utf8ToUtf16(source);
    const int32_t written = rewriteTrack(timing, text, mode, option, out);
    EXPECT_EQ(written, static_cast<int32_t>(out.size()) - 7) << "return value must count appended characters";
    EXPECT_EQ(test::soundOf(timing, out.substr(7)), test::soundOf(timing, text)) << source;
    return utf16ToUtf8(std::u16string_view(out).substr(7));
}

// Each case must read back the same; where an output is given, it is the exact text.
TEST(Writer, WritesTheShortestSpellingThatReadsBackTheSame)
{
    struct Case {
        const char* source;
        const char* expected;  // nullptr: only the sound is checked
        int mode = 1;
        TimingContext timing = {};
    };
    const Case cases[] = {
        // Default lengths need no length command.
        {"C4 D4 E4 F4 r4 g", "cdefrg"},
        {"", ""},
        // The length goes where it starts to pay: two eighths do not pay for an `l8`.
        {"c8c8c8c8", "l8cccc", 0},
        {"c8c8c8c8", "l8cccc"},
        {"c8c8", "c8c8"},
        {"c8.c8.c8.c8.", "l8.cccc"},
        {"l8 n60 n61 n62 n63", "l8>cc+dd+"},  // note numbers plan with their default length
        {"c4&c8c8c8c8", "cl8&cccc"},          // the length before the tie
        // Rests merge into fewer pieces; rests of other lengths stay as written
        // and split the runs around them.
        {"r4r8c", "r.c"},
        {"r1r1r1r1r1r1", "l1.rrrr"},
        {"r2 r2 r2 c", "r1.c"},
        {"r4r3r4c", "rr3rc"},
        // 9 + 6 ticks and 9 + 9 ticks have no undotted spelling; nothing may be lost.
        {"r64.r64c", "r64r64.c"},
        {"r64.r64.c", "r32.c"},
        {"r64.r1r1r1r1r1r1r1c", nullptr},
        {"r64.", nullptr, 0, {120, 4, 4}},
        // Cheap octave spellings; the first change of two octaves is an `o`.
        {"o4c o6d o4c", "cn74c"},
        {"o4c o5c+ o4c", "cn61c"},
        {"o4c o5c o4c", "cb+c"},
        {"o2b o1b o3c", "o2bc->c"},
        {"o4c o6c8 o7c8", "co6c8>c8"},
        {"o4c o6c8 o4c8 o6c8", "cl8>b+<c>>c"},
        // c- in octave 0 (11) and b+ in octave 8 (120) have no `n` and no octave
        // of their own; octave 0 cannot be reached with `<`.
        {"o0c-", "o0c-"},
        {"o8b+c", "o8b+c"},
        {"o1c o0c", "o1co0c"},
        {"o2c o0c8 o2c", "o2co0c8>>c"},
        // Ties that join are kept; a command between `&` and the note cancels
        // the tie, so the notes stay apart.
        {"c4&c8d", "c&c8d"},
        {"c4&v8c4", "cc"},
        {"c4&o4c4", "cc"},
        {"c4&l4c4", "cc"},
        {"r4&r4&c", "r2c"},
        {"c v10 & c d", "c&cv10d"},  // a volume change must not land between `&` and the note
        {"o4c o5c&c8 o4c", nullptr},  // a tied note an octave up after a b+ spelling stays tied
        {"o5c8 o3c&c o5c8&c8 o3c", nullptr},
        {"o0c-&c-16 o8b+&b+16 o4c", nullptr},
        // Commands the game does not know are dropped.
        {"//#using_extension\n@5 V100 p64 y10,20 ~64 EXxF0,x41,xF7 c4 d4", "cd"},
    };
    for (const Case& c : cases) {
        const std::string out = rewrite(c.source, c.mode, 0, c.timing);
        if (c.expected) {
            EXPECT_EQ(out, c.expected) << c.source;
        }
    }
    // Every note number reads back, from every octave to every other.
    for (int octave = 0; octave <= 8; ++octave) {
        std::string text = "l16";
        for (const char* name : {"c-", "c", "c+", "d", "e", "f", "f+", "g", "a", "b", "b+"})
            text += "o" + std::to_string(octave) + name + " o" + std::to_string(8 - octave) + "c";
        for (int n = 0; n <= 96; n += 7) text += "n" + std::to_string(n);
        rewrite(text);
    }
    // Tempos above the game's range are written at its highest tempo.
    std::u16string out;
    (void)rewriteTrack({}, u"//#using_extension\nt300c", 1, 0, out);
    EXPECT_EQ(out, u"t255c");
}

TEST(WriterPlan, ChainsAreResolvedToTheCheapestSubset)
{
    using writer::Item;
    // Alternating runs where a later `l` makes the one between redundant.
    std::vector<Item> items;
    const auto add = [&](int32_t number, int count) {
        for (int k = 0; k < count; ++k) {
            Item item;
            item.kind = TrackEventKind::Note;
            item.lengthNumber = number;
            items.push_back(item);
        }
    };
    add(8, 5);
    add(16, 1);
    add(8, 5);
    add(16, 6);
    const std::vector<int32_t> plan = writer::planLengths(items, 1, 0);
    ASSERT_EQ(plan.size(), items.size());
    EXPECT_EQ(plan[0], 7);
    EXPECT_EQ(plan[5], -1) << "a single sixteenth between eighths is written with its number";
    EXPECT_EQ(plan[11], 15);
}

TEST(WriterPlan, CharacterWeights)
{
    // Code n is the length n + 1, code 64 + n its dotted form.
    for (const auto& [code, weight] : {std::pair{3, 1}, {8, 1}, {9, 2}, {67, 2}, {72, 2}, {73, 3}}) {
        EXPECT_EQ(writer::codeWeight(code), weight) << code;
    }
}

}  // namespace
}  // namespace zema
