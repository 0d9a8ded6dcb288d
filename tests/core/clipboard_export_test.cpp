// Composition ranks, the stripped text, the best of five and the MML@ text.
#include <gtest/gtest.h>

#include <array>

#include "cli_runner.h"
#include "core/clipboard_export.h"
#include "core/mml_compiler.h"
#include "core/unicode.h"

namespace zema {
namespace {

TEST(Rank, LowestRankHoldingAllThreeParts)
{
    const std::pair<std::array<int32_t, 3>, int> cases[] = {
        {{820, 300, 0}, 8}, {{0, 0, 0}, 0},         {{0, 0, 1}, 1},         {{1200, 800, 500}, 15},
        {{1201, 0, 0}, kNoRank}, {{0, 801, 0}, kNoRank}, {{0, 0, 501}, kNoRank},
        {{200, 101, 0}, 1},  // chord 1 over its practice limit
    };
    for (const auto& [counts, rank] : cases) {
        EXPECT_EQ(rankOf(counts), rank) << counts[0] << "/" << counts[1] << "/" << counts[2];
    }
    for (const auto& [rank, name] : {std::pair<int, std::u16string_view>{8, u"8"}, {0, u"練習"}, {1, u"F"}, {15, u"1"},
                                     {kNoRank, u"作曲不可能"}}) {
        EXPECT_EQ(rankName(rank), name) << rank;
    }
}

TEST(Rank, SongPartAndTheExcludeSongRule)
{
    struct Case {
        std::array<int32_t, kPartCount> counts;
        bool exclude;
        int rank;
    };
    const Case cases[] = {
        {{1600, 1200, 900, 0}, true, 15},  {{1601, 0, 0, 0}, true, kNoRank}, {{0, 1201, 0, 0}, true, kNoRank},
        {{1200, 800, 500, 0}, false, 15},  {{266, 166, 66, 0}, true, 0},     {{267, 0, 0, 0}, true, 1},
        {{10, 0, 0, 1200}, false, 15},     {{10, 0, 0, 1201}, false, kNoRank},
        {{10, 0, 0, 5}, true, kNoRank},  // a song part cannot be written when it is excluded
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rankOf(c.counts, c.exclude), c.rank) << c.counts[0] << "/" << c.counts[1] << "/" << c.counts[3];
    }
    EXPECT_EQ(partLimit(15, 0, true), 1600);
    EXPECT_EQ(partLimit(15, kSongPart, false), 1200);
    EXPECT_EQ(rankName(15, true), u"1`");
    EXPECT_EQ(rankName(kNoRank, true), u"作曲不可能");
    EXPECT_EQ(requiredRankLine(8, true), u"必要作曲ランク : 8`");
    for (const auto& [name, index] : std::initializer_list<std::pair<std::u16string_view, int>>{
             {u"F", 1}, {u"e", 2}, {u"A", 6}, {u"9", 7}, {u"1", 15}, {u"1`", 15}, {u"練習", 0}, {u"G", -1}, {u"", -1}}) {
        EXPECT_EQ(rankIndexOf(name), index) << utf16ToUtf8(name);
    }
}

TEST(StripToCommands, KeepsCountedCharactersInLowerCase)
{
    EXPECT_EQ(stripToCommands(u"T120 L8 C+D#E- // comment\r\nr4. /* block */ o5<>& v15 n60 xyz@"),
              u"t120l8c+d#e-r4.o5<>&v15n60");
    EXPECT_EQ(stripToCommands(u"c /* never closed d e"), u"c");
    EXPECT_EQ(stripToCommands(u"c / d"), u"cd");
    EXPECT_EQ(stripToCommands(u"ＣＤ　c\n"), u"c");
}

TEST(OptimizePart, ShortestCandidateWinsAndTiesGoToTheHigherOne)
{
    const OptimizedPart rewritten = optimizePart({}, u"c8 c8 c8 c8 c8 c8 r4 r8");
    EXPECT_EQ(rewritten.text, u"l8ccccccr4.");
    EXPECT_NE(rewritten.candidate, kStripCandidate);
    // Nothing to gain: the stripped text is as short and wins the tie.
    const OptimizedPart stripped = optimizePart({}, u"c d e");
    EXPECT_EQ(stripped.text, u"cde");
    EXPECT_EQ(stripped.candidate, kStripCandidate);
    for (const auto& [candidate, letter] : {std::pair<int, std::u16string_view>{0, u"A"}, {1, u"C"}, {2, u"B"},
                                            {3, u"D"}, {kStripCandidate, u"X"}}) {
        EXPECT_EQ(methodLetter(candidate), letter) << candidate;
    }
}

std::vector<ClipSource> sources(const std::vector<std::u16string_view>& texts)
{
    std::vector<ClipSource> out;
    int32_t index = 0;
    for (std::u16string_view text : texts) {
        out.push_back({index, u"track" + std::u16string(1, static_cast<char16_t>(u'0' + index)), std::u16string(text),
                       characterCount(text)});
        ++index;
    }
    return out;
}

TEST(ComposeClipboard, GameFormWithAndWithoutSorting)
{
    const auto parts = sources({u"c d", u"c d e f g", u"r"});
    ClipOptions options;
    ClipExport result = composeClipboard({}, parts, options);
    EXPECT_EQ(result.text, u"MML@cd,cdefg,r;");
    EXPECT_EQ(result.rank, 1);
    options.sortByLength = true;
    result = composeClipboard({}, parts, options);
    EXPECT_EQ(result.text, u"MML@cdefg,cd,r;");
    EXPECT_EQ(result.parts[0].name, u"track1");
    EXPECT_EQ(result.parts[0].outputCount, 5);
    // Equal lengths keep their order.
    EXPECT_EQ(composeClipboard({}, sources({u"c", u"d", u"ee"}), options).text, u"MML@ee,c,d;");
    EXPECT_EQ(composeClipboard({}, sources({u"c"}), options).text, u"MML@c;");
}

TEST(ComposeClipboard, NothingIsWrittenForEmptyParts)
{
    EXPECT_TRUE(composeClipboard({}, sources({u"", u"// only a comment"}), {}).text.empty());
    EXPECT_TRUE(composeClipboard({}, {}, {}).text.empty());
}

TEST(ComposeClipboard, SongPartIsTheFourthFieldAndAnEmptyMelodyGetsTheFiller)
{
    struct Case {
        const char* name;
        std::vector<std::u16string_view> parts;
        std::u16string_view song;  // "-": none
        bool exclude, filler;
        std::u16string_view text;
        bool filled;
    };
    const Case cases[] = {
        {"song", {u"c", u"d"}, u"e f", false, true, u"MML@c,d,,ef;", false},
        {"excluded song", {u"c", u"d"}, u"e", true, true, u"MML@c,d;", false},
        {"filler", {u"", u"d"}, u"-", false, true, u"MML@<>,d;", true},
        {"no filler", {u"", u"d"}, u"-", false, false, u"MML@,d;", false},
        {"song only", {u""}, u"e", false, true, u"MML@<>,,,e;", true},
        {"all empty", {u"", u""}, u"", false, true, u"", false},
    };
    for (const Case& c : cases) {
        ClipOptions options;
        options.excludeSong = c.exclude;
        options.melodyFiller = c.filler;
        const std::vector<ClipSource> parts = sources(c.parts);
        const ClipSource song{9, u"vocal", std::u16string(c.song), characterCount(c.song)};
        const ClipExport result = composeClipboard({}, parts, options, c.song == u"-" ? nullptr : &song);
        EXPECT_EQ(result.text, c.text) << c.name;
        EXPECT_EQ(result.filledMelody, c.filled) << c.name;
    }
}

TEST(ComposeClipboard, MessageWithASongPartAndTheFiller)
{
    ClipOptions options;
    options.optimize = true;
    const ClipSource song{3, u"vocal", u"c d", 2};
    const ClipExport result = composeClipboard({}, sources({u""}), options, &song);
    EXPECT_EQ(resultMessage(result, ClipFormat::Game, true),
              u"マビノギ(MML@)形式で以下のとおりに出力しました。     \u3000\u3000\n\n"
              u"圧縮方法 : XAAX\n\n"
              u"Melody  :    0 →    2 文字 [track0]\n"
              u"Chord 1 :    0 →    0 文字 []\n"
              u"Chord 2 :    0 →    0 文字 []\n"
              u"Song    :    2 →    2 文字 [vocal]\n"
              u"\nメロディが空のため、音の出ない「<>」を書き込みました。\n"
              u"\n必要作曲ランク : 練習");
}

TEST(ComposeClipboard, BoardFormAndItsHeader)
{
    ClipOptions options;
    options.format = ClipFormat::Board;
    options.title = u"曲";
    options.source = u"作者";
    const ClipExport result = composeClipboard({}, sources({u"c d e", u"c"}), options);
    EXPECT_EQ(result.text, u"【曲名】 曲\r\n【出典】 作者\r\n【作曲可能ランク】 練習 (3/1/0)\r\n\r\n"
                           u"MML@\r\ncde\r\n,\r\nc\r\n;\r\n");
}

TEST(ComposeClipboard, OptimisedPartsReportTheirMethods)
{
    ClipOptions options;
    options.optimize = true;
    options.sortByLength = true;
    const ClipExport result = composeClipboard({}, sources({u"c d", u"c8 c8 c8 c8 c8 c8 c8 c8"}), options);
    EXPECT_EQ(result.text, u"MML@l8cccccccc,cd;");
    EXPECT_EQ(result.methods[0], kStripCandidate);
    EXPECT_NE(result.methods[1], kStripCandidate);
    EXPECT_EQ(result.methods[2], 0) << "an absent part shows code 0";
    const std::u16string message = resultMessage(result, ClipFormat::Game, true);
    const std::u16string expected = u"マビノギ(MML@)形式で以下のとおりに出力しました。     \u3000\u3000\n\n"
                                    u"圧縮方法 : X" + std::u16string(methodLetter(result.methods[1])) + u"A\n\n"
                                    u"Melody  :   16 →   10 文字 [track1]\n"
                                    u"Chord 1 :    2 →    2 文字 [track0]\n"
                                    u"Chord 2 :    0 →    0 文字 []\n"
                                    u"\n必要作曲ランク : 練習";
    EXPECT_EQ(message, expected);
}

TEST(ComposeClipboard, MessageWithoutOptimisation)
{
    const ClipExport result = composeClipboard({}, sources({u"c d e"}), {});
    EXPECT_EQ(resultMessage(result, ClipFormat::Board, false),
              u"したらば形式(MML@改行あり)で以下のとおりに出力しました。     \u3000\u3000\n\n"
              u"Melody  :    3 文字 [track0]\n"
              u"Chord 1 :    0 文字 []\n"
              u"Chord 2 :    0 文字 []\n"
              u"\n必要作曲ランク : 練習");
    EXPECT_EQ(requiredRankLine(kNoRank), u"必要作曲ランク : 作曲不可能");
}

// The command-line faces of the writer.
std::string run(const std::string& arguments, const std::string& input = "") { return test::runCli(arguments, input).out; }

TEST(WriterCli, Subcommands)
{
    EXPECT_EQ(run("spell 480"), "c1&c4\n");
    EXPECT_EQ(run("spell 144 r"), "r4.\n");
    EXPECT_EQ(run("rank 820 300 0"), "8\n");
    EXPECT_EQ(run("rank --exclude-song 1600 1200 900"), "1`\n");
    EXPECT_EQ(run("rank 10 0 0 1201"), "作曲不可能\n");
    EXPECT_EQ(run("optimize --mode 0 --option 0 -", "c8c8c8c8"), "l8cccc\n");
    EXPECT_EQ(run("optimize -", "c d e"), "cde\nX\n");
    EXPECT_NE(run("optimize --mode 1 -", "c"), "c\n") << "mode without option is refused";
    EXPECT_EQ(run("migrate -", "c4&c4"), "c2\r\n");
    EXPECT_EQ(run("mmla -", "C D"), "MML@cd;\n" + utf16ToUtf8(resultMessage(
                                                     composeClipboard({}, {{0, u"stdin", u"C D", 2}}, {}),
                                                     ClipFormat::Game, false)) + "\n");
}

}  // namespace
}  // namespace zema
