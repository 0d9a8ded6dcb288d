// Tick spelling at 96 ticks per quarter and the 32-to-96 migration.
#include <gtest/gtest.h>

#include <cstdlib>

#include "compile_helpers.h"
#include "core/migration.h"
#include "core/tick_spelling.h"
#include "corpus_tracks.h"
#include "writer_oracle.h"

namespace zema {
namespace {

std::string spell(int32_t ticks, std::u16string_view note = u"c")
{
    std::u16string out;
    spellTicks(note, ticks, out);
    return utf16ToUtf8(out);
}

std::string migrate(std::string_view source)
{
    std::u16string out;
    migrateTrack(utf8ToUtf16(source), out);
    return utf16ToUtf8(out);
}

TEST(TickSpelling, TellingRows)
{
    const std::pair<int, std::u16string_view> rows[] = {
        {6, u"%s64"},   {12, u"%s32"}, {23, u"%s32&%s34"}, {24, u"%s16"},          {36, u"%s16."},
        {96, u"%s4"},   {144, u"%s4."}, {288, u"%s2."},    {383, u"%s2&%s3&%s9."}, {384, u"%s1"},
        {385, u"%s2.&%s5&%s18"},        {389, u"%s2.&%s5&%s15"}};
    for (const auto& [row, format] : rows) EXPECT_EQ(tickSpellingTable[static_cast<size_t>(row)].format, format) << row;
    for (int row = 0; row < 6; ++row) {
        EXPECT_EQ(tickSpellingTable[static_cast<size_t>(row)].slots, 0);
        std::u16string text;
        appendSpellingRow(u"c", row, text);
        EXPECT_EQ(utf16ToUtf8(text), "/* " + std::to_string(row) + "tick */");
    }
    EXPECT_EQ(spell(4), "/* 4tick */");
}

TEST(TickSpelling, EveryRowIsAShortExactChain)
{
    int singles = 0;
    for (int row = 6; row < kTickSpellingRows; ++row) {
        const TickSpelling& spelling = tickSpellingTable[static_cast<size_t>(row)];
        ASSERT_GE(spelling.slots, 1);
        ASSERT_LE(spelling.slots, 3);
        singles += spelling.slots == 1;
        std::u16string text;
        appendSpellingRow(u"c", row, text);
        EXPECT_EQ(std::count(text.begin(), text.end(), u'c'), spelling.slots) << row;
        const auto notes = test::compile(text).of(TrackEventKind::Note);
        ASSERT_EQ(notes.size(), 1U) << utf16ToUtf8(text);
        EXPECT_EQ(notes[0].length, row) << utf16ToUtf8(text);
    }
    EXPECT_EQ(singles, 49);
}

TEST(TickSpelling, LongLengthsChainWholes)
{
    const std::tuple<int32_t, std::u16string_view, const char*> cases[] = {
        {480, u"c", "c1&c4"}, {576, u"c", "c1."}, {192, u"r", "r2"}, {1152, u"c+", "c+1.&c+1."}, {0, u"c", ""},
        {579, u"c", "c1&c5.&c7."},  // 576 + 3 would end on a 3-tick comment: a whole is taken instead
    };
    for (const auto& [ticks, note, expected] : cases) EXPECT_EQ(spell(ticks, note), expected) << ticks;
    for (int ticks = 6; ticks < 3000; ++ticks) {
        const auto notes = test::compile(utf8ToUtf16(spell(ticks))).of(TrackEventKind::Note);
        ASSERT_EQ(notes.size(), 1U) << ticks;
        ASSERT_EQ(notes[0].length, ticks) << spell(ticks);
    }
}

TEST(Migration, TripletsOctavesVolumesLinesAndTies)
{
    const std::pair<const char*, const char*> cases[] = {
        // Triplets become exact.
        {"l12ccc", "c19.c19.c19.\r\n"},
        {"c12c11c11", "c12c12c12\r\n"},
        {"c11c12c12", "c17.c19.c19.\r\n"},
        {"r21c24c24 d4", "r24c24c24d4\r\n"},  // (6, 5, 5) ticks: three exact twenty-fourths
        // A marked member is not examined again: (10, 10, 11, 11) marks the last three.
        {"l12 c c c11 c11", "c19.c12c12c12\r\n"},
        {"o4c o6c", "c4o6c4\r\n"},
        {"o4c o5c o6c", "c4>c4>c4\r\n"},
        {"c v10 r c", "c4r4v10c4\r\n"},
        {"c1 d1 e2", "c1\r\nd1\r\ne2\r\n"},
        {"t150 l8 c", "t150c8\r\n"},
        // The ends of the range and octave 0 read back.
        {"o0c- o8b+", "o0c-4o8b+4\r\n"},
        {"o1c o0c", "o1c4o0c4\r\n"},
        {"", ""},
        {"c4&c4", "c2\r\n"},
        {"r4&c4", "r4&c4\r\n"},
        {"c4&d4", "c4&d4\r\n"},
        // Cancelled by a command in between, so the notes stay apart without a tie.
        {"c4&o4c4", "c4c4\r\n"},
        {"c4&v8c4", "c4c4\r\n"},
        // Tied onto a triplet member: the `&` stays and no `v` comes between.
        {"c12 v10 & c11 c11", "c12&c12v10c12\r\n"},
    };
    for (const auto& [source, expected] : cases) EXPECT_EQ(migrate(source), expected) << source;
}

// Notes of the migrated text at 96 against the source at 32, ticks tripled;
// inside a triplet group the written lengths move by up to 2 ticks.
void expectMigratedSound(const std::u16string& text, const std::string& label)
{
    const test::Sound source = test::soundOf({32, 4, 4}, text);
    std::u16string out;
    migrateTrack(text, out);
    const test::Sound migrated = test::soundOf({96, 4, 4}, out);
    EXPECT_EQ(migrated.end, source.end * 3) << label;
    ASSERT_EQ(migrated.notes.size(), source.notes.size()) << label << "\n" << utf16ToUtf8(out);
    ASSERT_EQ(migrated.tempos.size(), source.tempos.size()) << label;
    for (size_t k = 0; k < source.notes.size(); ++k) {
        const auto [tick, length, number, volume] = source.notes[k];
        const auto [newTick, newLength, newNumber, newVolume] = migrated.notes[k];
        ASSERT_EQ(newNumber, number) << label << " note " << k;
        ASSERT_EQ(newVolume, volume) << label << " note " << k;
        ASSERT_LE(std::abs(newTick - tick * 3), 2) << label << " note " << k;
        ASSERT_LE(std::abs(newTick + newLength - (tick + length) * 3), 2) << label << " note " << k;
    }
    for (size_t k = 0; k < source.tempos.size(); ++k) {
        EXPECT_EQ(migrated.tempos[k].second, source.tempos[k].second) << label;
        EXPECT_LE(std::abs(migrated.tempos[k].first - source.tempos[k].first * 3), 2) << label;
    }
}

TEST(MigrationOracle, CorpusTracksPlayTheSameAtTripleTimebase)
{
    const auto tracks = test::corpusTracks();
    ASSERT_GT(tracks.size(), 300U);
    for (const auto& track : tracks) expectMigratedSound(track.text, track.name);
}

TEST(MigrationOracle, RandomTextsPlayTheSameAtTripleTimebase)
{
    for (uint32_t seed = 1; seed <= 500; ++seed)
        expectMigratedSound(test::randomBasicText(seed, 20 + static_cast<int>(seed % 150)), "seed " + std::to_string(seed));
}

TEST(MigrationOracle, TextsWithoutTripletsMatchExactly)
{
    // Lengths 1, 2, 4, 8 and 16 are exact at 32 ticks per quarter: no triplet
    // row can match, so every tick must be exactly three times the source's.
    const std::u16string text = u"t100 o3 l8 c d e16 f16 g4. &g8 a2 r4 b+ o5 c-1 &c-1 v3 r16 e16 r8 d1";
    const test::Sound source = test::soundOf({32, 4, 4}, text);
    std::u16string out;
    migrateTrack(text, out);
    test::Sound expected = source;
    for (auto& [tick, length, number, volume] : expected.notes) {
        tick *= 3;
        length *= 3;
    }
    for (auto& [tick, tempo] : expected.tempos) tick *= 3;
    expected.end *= 3;
    EXPECT_EQ(test::soundOf({}, out), expected) << utf16ToUtf8(out);
}

}  // namespace
}  // namespace zema
