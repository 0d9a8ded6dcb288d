// Score books: every piece fits its limit, the scrolls are as few as the cut
// rules allow, and the pieces of a part, joined as a pasted book is read,
// play exactly like the part.
#include <gtest/gtest.h>

#include <map>

#include "core/clipboard_export.h"
#include "core/score_book.h"
#include "core/unicode.h"
#include "corpus_tracks.h"
#include "writer_oracle.h"

namespace zema {
namespace {

using test::Sound;

constexpr std::u16string_view kSeparator = u"\r\n//next scroll\r\n";
constexpr int kPractice = 0;
constexpr int kRankF = 1;
constexpr int kRankA = 6;
constexpr int kRank1 = 15;

// What a track sounds like, tempo restatements aside (a piece restates the
// tempo in force at its cut).
Sound heard(const TimingContext& timing, std::u16string_view text)
{
    return test::withTempoChangesOnly(test::soundOf(timing, text));
}

std::u16string repeated(std::u16string_view piece, int times)
{
    std::u16string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

// Checks everything a book promises; returns how many scrolls it took.
size_t checkBook(const TimingContext& timing, const std::vector<std::u16string>& parts, int rank, bool exclude,
                 bool optimize, const std::string& label)
{
    const ScoreBook book = splitIntoBook(timing, parts, rank, exclude, optimize);
    EXPECT_TRUE(book.ok() || book.problem == BookProblem::TooManyScrolls) << label;
    EXPECT_LE(static_cast<int32_t>(book.scrolls.size()), book.lowerBound + 1) << label;
    const size_t fields = parts.size() > 3 && !exclude ? 4 : 3;
    std::vector<std::vector<std::u16string>> pieces(fields);
    for (const BookScroll& scroll : book.scrolls) {
        EXPECT_EQ(scroll.parts.size(), fields) << label;
        EXPECT_FALSE(scroll.parts[0].empty()) << label;
        std::u16string line = u"MML@";
        for (size_t part = 0; part < scroll.parts.size(); ++part) {
            const std::u16string& text = scroll.parts[part];
            EXPECT_LE(static_cast<int32_t>(text.size()), partLimit(rank, static_cast<int>(part), exclude))
                << label << " part " << part;
            EXPECT_EQ(stripToCommands(text), text) << label;
            line += (part > 0 ? u"," : u"") + text;
            pieces[part].push_back(text);
        }
        EXPECT_EQ(scroll.line, line + u";") << label;
    }
    for (size_t part = 0; part < fields && part < parts.size(); ++part) {
        if (isExtendedDialect(parts[part])) continue;  // the game reads it in its own dialect
        const std::u16string joined = joinBookPieces(pieces[part], kSeparator);
        EXPECT_EQ(heard(timing, joined), heard(timing, parts[part]))
            << label << " part " << part << "\n  source: " << utf16ToUtf8(parts[part])
            << "\n  joined: " << utf16ToUtf8(joined);
    }
    return book.scrolls.size();
}

// The corpus documents, each as its first four tracks.
std::vector<std::pair<std::string, std::vector<test::CorpusTrack>>> corpusSongs()
{
    std::map<std::string, std::vector<test::CorpusTrack>> byFile;
    for (test::CorpusTrack& track : test::corpusTracks()) {
        const std::string file = track.name.substr(0, track.name.find('['));
        if (byFile[file].size() < 4) byFile[file].push_back(std::move(track));
    }
    return {byFile.begin(), byFile.end()};
}

TEST(ScoreBook, CorpusSongsPlayTheSameFromTheirBooks)
{
    const auto songs = corpusSongs();
    ASSERT_GT(songs.size(), 100U) << "corpus not found under " << ZEMA_CORPUS_DIR;
    struct Setting {
        int rank;
        bool exclude;
    };
    for (const Setting setting : {Setting{kRankF, false}, {kRankA, true}, {kRank1, false}, {kRank1, true}}) {
        for (const auto& [file, tracks] : songs) {
            std::vector<std::u16string> parts;
            for (const auto& track : tracks) parts.push_back(track.text);
            checkBook(tracks.front().timing, parts, setting.rank, setting.exclude, false,
                      file + " rank " + std::to_string(setting.rank) + (setting.exclude ? "`" : ""));
        }
    }
}

TEST(ScoreBook, OptimizedPiecesPlayTheSame)
{
    const auto songs = corpusSongs();
    ASSERT_FALSE(songs.empty());
    // A sample: the optimiser's exact search makes the whole corpus slow under the sanitizers.
    for (size_t i = 0; i < songs.size(); i += 23) {
        const auto& [file, tracks] = songs[i];
        std::vector<std::u16string> parts;
        for (const auto& track : tracks) parts.push_back(track.text);
        const size_t plain = splitIntoBook(tracks.front().timing, parts, kRankF, false, false).scrolls.size();
        EXPECT_LE(checkBook(tracks.front().timing, parts, kRankF, false, true, file + " optimised"), plain);
    }
}

TEST(ScoreBook, RandomTextsPlayTheSameFromTheirBooks)
{
    const TimingContext timings[] = {{96, 4, 4}, {48, 3, 4}, {480, 4, 4}};
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        const int commands = 60 + static_cast<int>(seed % 7) * 60;
        std::vector<std::u16string> parts = {test::randomBasicText(seed, commands),
                                             test::randomBasicText(seed + 1000, commands / 2),
                                             test::randomBasicText(seed + 2000, commands / 3)};
        if (seed % 3 == 0) parts.push_back(test::randomBasicText(seed + 3000, commands / 2));
        checkBook(timings[seed % 3], parts, seed % 2 ? kRankF : kRankA, seed % 5 == 0, false,
                  "seed " + std::to_string(seed));
    }
}

// A first scroll of plain notes, then a change of state right at the cut:
// the second scroll opens with the state its notes rely on, briefly written.
TEST(ScoreBook, PiecesOpenWithTheStateTheyRelyOn)
{
    struct Case {
        std::u16string change;
        std::u16string tail;
        std::u16string second;  // the second scroll's melody
    };
    const Case cases[] = {
        {u"o5", u"c", u">c"},
        {u"o3", u"c", u"<c"},
        {u"o6", u"c", u"o6c"},
        {u"o0", u"c", u"o0c"},
        {u"o5>", u"c", u"o6c"},
        {u"t150v12l8.", u"c", u"t150v12l8.c"},
        {u"l8.l8", u"c", u"l8c"},
        {u"o4v8l4t120", u"c", u"c"},                 // a fresh scroll's values are not restated
        {u"v12o6l8", u"r1v3o2l16c", u"r1v3o2l16c"},  // set again before anything uses them
        {u"o5v12", u"n60", u"v12n60"},               // `n` takes no octave
        {u"o5", u"r1<c", u">r1<c"},                  // but `<` does
    };
    for (const Case& c : cases) {
        const ScoreBook book = splitIntoBook({}, {repeated(u"c", 200) + c.change + c.tail}, kPractice, false, false);
        ASSERT_EQ(book.scrolls.size(), 2U) << utf16ToUtf8(c.change);
        EXPECT_EQ(book.scrolls[0].parts[0], repeated(u"c", 200));
        EXPECT_EQ(book.scrolls[1].parts[0], c.second) << utf16ToUtf8(c.change);
    }
}

TEST(ScoreBook, TiedNotesStayInOnePiece)
{
    // The first scroll could hold 199 notes, but the 199th is tied to what
    // follows, across state commands or to another pitch.
    for (const std::u16string bridge : {u"&c", u"&v5c", u"v5&c", u"&o5c", u"&d"}) {
        const std::u16string text = repeated(u"c", 199) + bridge + repeated(u"d", 30);
        const ScoreBook split = splitIntoBook({}, {text}, kPractice, false, false);
        ASSERT_EQ(split.scrolls.size(), 2U);
        EXPECT_EQ(split.scrolls[0].parts[0], repeated(u"c", 198)) << utf16ToUtf8(bridge);
    }

    const ScoreBook tooLong = splitIntoBook({}, {repeated(u"c&", 150) + u"c"}, kPractice, false, false);
    EXPECT_EQ(tooLong.problem, BookProblem::CannotCut);
    EXPECT_EQ(tooLong.problemPart, 0);
    EXPECT_EQ(tooLong.neededLength, 301);
    EXPECT_EQ(tooLong.problemLimit, 200);
    EXPECT_TRUE(tooLong.scrolls.empty());
}

TEST(ScoreBook, ScrollsAndTheirFields)
{
    const std::u16string melody = u"l8" + repeated(u"c", 50);
    const std::u16string chord = repeated(u"e", 300);  // chord 1 holds 200 at rank F
    const ScoreBook book = splitIntoBook({}, {melody, chord, u"", u"g"}, kRankF, false, false);
    ASSERT_TRUE(book.ok());
    EXPECT_EQ(book.lowerBound, 2);
    ASSERT_EQ(book.scrolls.size(), 2U);
    EXPECT_EQ(book.scrolls[0].line, u"MML@l8" + repeated(u"c", 50) + u"," + repeated(u"e", 200) + u",<>,g;");
    EXPECT_EQ(book.scrolls[1].line, u"MML@<>," + repeated(u"e", 100) + u",,;");

    // Excluding the song part drops its field and lets the others grow.
    const ScoreBook excluded = splitIntoBook({}, {melody, chord, u"", u"g"}, kRankF, true, false);
    ASSERT_EQ(excluded.scrolls.size(), 1U);
    EXPECT_EQ(excluded.scrolls[0].parts.size(), 3U);

    // Six scrolls: still given, and flagged.
    const ScoreBook six = splitIntoBook({}, {repeated(u"c", 2400)}, kRankF, false, false);
    EXPECT_EQ(six.problem, BookProblem::TooManyScrolls);
    EXPECT_EQ(six.scrolls.size(), 6U);

    EXPECT_EQ(splitIntoBook({}, {u"// nothing", u"  "}, kRankF, false, false).problem, BookProblem::NothingToSplit);
    EXPECT_EQ(splitIntoBook({}, {u"c"}, kRankCount, false, false).problem, BookProblem::UnknownRank);
    // Chord 2 cannot be written at the practice rank.
    EXPECT_EQ(splitIntoBook({}, {u"c", u"", u"c"}, kPractice, false, false).problem, BookProblem::CannotCut);
}

TEST(ScoreBook, FreshScrollCommandsRestoreOnlyWhatTheNextPieceUses)
{
    struct Case {
        std::u16string before;
        std::u16string next;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"o5c", u"c", u"o4"},          {u"o5c", u"<c", u"o4"},     {u"o5c", u"o3c", u""},
        {u"o5c", u"n60", u""},          {u"l8c", u"c4", u""},       {u"l8c", u"r", u"l4"},
        {u"l4.c", u"n60", u"l4"},       {u"v3c", u"r", u""},        {u"v3c", u"c", u"v8"},
        {u"t150c", u"r", u"t120"},      {u"t150c", u"t90r", u""},   {u"o2l16v1t40c", u"c", u"o4l4v8t120"},
        {u"c&", u"c", u"v8"},           {u"v3c&", u"v5c", u"v3"},   {u"c/* open", u"c", u"*/"},
        {u"c // open", u"c", u"\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(freshScrollCommands(c.before, c.next), c.expected)
            << utf16ToUtf8(c.before) << " | " << utf16ToUtf8(c.next);
    }
    // A joined track plays each piece as a fresh scroll would.
    const std::vector<std::u16string> pieces = {u"t150o5l8v3c&", u"c d", u"", u"4e", u"&e", u"r"};
    const std::u16string joined = joinBookPieces(pieces, kSeparator);
    EXPECT_EQ(heard({}, joined), heard({}, u"t150o5l8v3c t120o4l4v8 cdee r"));
    EXPECT_EQ(joinBookPieces({u"", u"c"}, kSeparator), u"c");
    EXPECT_EQ(joinBookPieces({u"c", u""}, kSeparator), u"c" + std::u16string(kSeparator));
}

}  // namespace
}  // namespace zema
