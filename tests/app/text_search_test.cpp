#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/text_search.h"
#include "app_test_support.h"

namespace zema {
namespace {

using test::readBytes;
using test::TempFolder;
using test::writeBytes;
using Texts = std::vector<std::u16string>;

// An editor holding a text and a selection; a replacement leaves the caret after it.
class FakeEditor final : public ISearchEditor {
public:
    FakeEditor(std::u16string text, TextSpan selection) : content(std::move(text)), selected(selection) {}

    [[nodiscard]] std::u16string text() const override { return content; }
    [[nodiscard]] TextSpan selection() const override { return selected; }
    void select(TextSpan span) override { selected = span; }
    void replace(TextSpan span, std::u16string_view text) override
    {
        content.replace(span.start, span.size(), text);
        selected = {span.start + text.size(), span.start + text.size()};
        ++replacements;
    }

    std::u16string content;
    TextSpan selected;
    int replacements = 0;
};

TEST(SearchHistory, MostRecentFirstWithoutDuplicatesOrEmptyTexts)
{
    struct Case {
        Texts added;
        Texts expected;
    };
    const Case cases[] = {
        {{u"a", u"b", u"c"}, {u"c", u"b", u"a"}},
        {{u"a", u"b", u"a"}, {u"a", u"b"}},        // searched again: moved to the top
        {{u"a", u"", u"b"}, {u"b", u"a"}},
        {{u"c", u"C"}, {u"C", u"c"}},              // entries compare exactly
    };
    for (const Case& c : cases) {
        SearchHistory history;
        for (const std::u16string& text : c.added) history.add(text);
        EXPECT_EQ(history.entries(), c.expected);
    }
}

TEST(SearchHistory, EveryEntryOfALongHistoryComesBackFromTheFile)
{
    TempFolder folder;
    const auto path = folder / "ZEMA.ini";
    SearchHistories histories;
    for (int i = 0; i < 60; ++i) {
        const std::string number = std::to_string(i);
        histories.search.add(u"c" + std::u16string(number.begin(), number.end()));
    }
    histories.replace.add(u"r1");
    histories.replace.add(u"r2");
    ASSERT_TRUE(saveSearchHistories(path, histories));
    const std::string stored = readBytes(path);
    EXPECT_NE(stored.find("[Search History]\r\nSearchKeyCount=60\r\nSearchKey[0]=c59\r\n"), std::string::npos);
    EXPECT_NE(stored.find("ReplaceKeyCount=2\r\nReplaceKey[0]=r2\r\nReplaceKey[1]=r1\r\n"), std::string::npos);

    const SearchHistories loaded = loadSearchHistories(path);
    EXPECT_EQ(loaded.search.entries(), histories.search.entries());
    EXPECT_EQ(loaded.replace.entries(), histories.replace.entries());

    // A shorter list takes the entries beyond it out of the file.
    ASSERT_TRUE(saveSearchHistories(path, SearchHistories{}));
    EXPECT_EQ(readBytes(path), "[Search History]\r\nSearchKeyCount=0\r\nReplaceKeyCount=0\r\n");
}

TEST(SearchHistory, DamagedSectionsGiveWhatTheyHold)
{
    struct Case {
        const char* file;
        Texts search;
    };
    const Case cases[] = {
        // A count beyond the keys is not believed; missing entries are skipped.
        {"[Search History]\nSearchKeyCount=4000000000\nSearchKey[0]=c4\nSearchKey[2]=d\n", {u"c4", u"d"}},
        // Repeated entries keep the more recent place.
        {"[Search History]\nSearchKeyCount=3\nSearchKey[0]=a\nSearchKey[1]=b\nSearchKey[2]=a\n", {u"a", u"b"}},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        writeBytes(folder / "ZEMA.ini", c.file);
        EXPECT_EQ(loadSearchHistories(folder / "ZEMA.ini").search.entries(), c.search) << c.file;
    }
}

TEST(FindText, FromTheSelectionInEitherDirectionWrappingAtTheEnds)
{
    constexpr auto Up = SearchDirection::Up;
    constexpr auto Down = SearchDirection::Down;
    struct Case {
        std::u16string_view text;
        std::u16string_view needle;
        TextSpan from;
        SearchDirection direction;
        bool matchCase;
        std::optional<TextSpan> found;
        bool wrapped;
    };
    const Case cases[] = {
        {u"c4 d C8", u"C", {0, 0}, Down, false, TextSpan{0, 1}, false},   // case-insensitive "C" finds "c4"
        {u"c4 d C8", u"C", {0, 0}, Down, true, TextSpan{5, 6}, false},
        {u"c4 d C8", u"C", {0, 1}, Down, false, TextSpan{5, 6}, false},   // after the selection
        {u"c4 d C8", u"C", {5, 6}, Down, false, TextSpan{0, 1}, true},    // round the end
        {u"c4 d C8", u"c", {5, 6}, Up, false, TextSpan{0, 1}, false},
        {u"c4 d C8", u"c", {0, 1}, Up, false, TextSpan{5, 6}, true},      // round the start
        {u"c4 d C8", u"c4", {1, 1}, Up, false, TextSpan{0, 2}, true},     // not ending before the caret: found round
        {u"aaaa", u"aa", {0, 2}, Down, false, TextSpan{2, 4}, false},     // never overlapping the selection
        {u"aaaa", u"aa", {2, 4}, Up, false, TextSpan{0, 2}, false},
        {u"c4 d C8", u"C", {5, 6}, Down, true, TextSpan{5, 6}, true},     // the only match, found again
        {u"ｃ4 Ｃ", u"Ｃ", {0, 0}, Down, false, TextSpan{0, 1}, false},  // full-width letters too
        {u"c4 d", u"e", {0, 0}, Down, false, std::nullopt, false},
        {u"c4 d", u"", {0, 0}, Down, false, std::nullopt, false},
        {u"c", u"cc", {0, 0}, Up, false, std::nullopt, false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const std::optional<FoundText> found = findText(c.text, c.needle, c.from, c.direction, c.matchCase);
        ASSERT_EQ(found.has_value(), c.found.has_value()) << "case " << i;
        if (!found) continue;
        EXPECT_EQ(found->span, *c.found) << "case " << i;
        EXPECT_EQ(found->wrapped, c.wrapped) << "case " << i;
    }
}

TEST(TextSearch, FindingSelectsTheMatchAndKeepsTheText)
{
    TextSearch search;
    FakeEditor editor(u"t120 c4 d C8", {6, 6});
    EXPECT_EQ(search.find(editor, u"C", SearchDirection::Down), SearchResult{SearchOutcome::Found});
    EXPECT_EQ(search.find(editor, u"C", SearchDirection::Down), SearchResult{SearchOutcome::Wrapped});
    EXPECT_EQ(editor.selected, (TextSpan{5, 6}));
    EXPECT_EQ(search.find(editor, u"x", SearchDirection::Up), SearchResult{SearchOutcome::NotFound});
    EXPECT_EQ(search.find(editor, u"c", SearchDirection::Down), SearchResult{SearchOutcome::Found});
    EXPECT_EQ(search.histories().search.entries(), (Texts{u"c", u"x", u"C"}));
    EXPECT_EQ(editor.replacements, 0);
}

TEST(TextSearch, ButtonsDoNothingWhileBusyOrWithoutAText)
{
    TextSearch search;
    FakeEditor editor(u"c4 c4", {0, 2});
    search.setBusy(true);
    EXPECT_FALSE(search.buttonsEnabled());
    EXPECT_EQ(search.find(editor, u"c", SearchDirection::Down).outcome, SearchOutcome::Refused);
    EXPECT_EQ(search.replaceOne(editor, u"c4", u"d").outcome, SearchOutcome::Refused);
    EXPECT_EQ(search.replaceAll(editor, u"c", u"d").outcome, SearchOutcome::Refused);
    search.setBusy(false);
    EXPECT_EQ(search.replaceAll(editor, u"", u"d").outcome, SearchOutcome::Refused);
    EXPECT_EQ(editor.content, u"c4 c4");
    EXPECT_EQ(editor.selected, (TextSpan{0, 2}));
    EXPECT_TRUE(search.histories().search.entries().empty());
}

TEST(TextSearch, ReplaceOneReplacesAMatchingSelectionThenFindsTheNext)
{
    TextSearch search;
    FakeEditor editor(u"c4 C4 c4", {0, 0});
    // Nothing selected: only the first match is found.
    EXPECT_EQ(search.replaceOne(editor, u"c4", u"d8").outcome, SearchOutcome::Found);
    EXPECT_EQ(editor.content, u"c4 C4 c4");
    EXPECT_EQ(editor.selected, (TextSpan{0, 2}));
    // The selection matches under the case rule.
    EXPECT_EQ(search.replaceOne(editor, u"c4", u"d8").outcome, SearchOutcome::Found);
    EXPECT_EQ(search.replaceOne(editor, u"c4", u"d8").outcome, SearchOutcome::Found);
    EXPECT_EQ(editor.content, u"d8 d8 c4");
    EXPECT_EQ(editor.selected, (TextSpan{6, 8}));
    EXPECT_EQ(search.replaceOne(editor, u"c4", u"d8").outcome, SearchOutcome::NotFound);
    EXPECT_EQ(editor.content, u"d8 d8 d8");
    EXPECT_EQ(editor.replacements, 3);
    EXPECT_EQ(search.histories().replace.entries(), Texts{u"d8"});

    search.options.matchCase = true;
    FakeEditor cased(u"C4 c4", {0, 2});
    EXPECT_EQ(search.replaceOne(cased, u"c4", u"e").outcome, SearchOutcome::Found);
    EXPECT_EQ(cased.content, u"C4 c4");
    EXPECT_EQ(cased.selected, (TextSpan{3, 5}));
}

TEST(TextSearch, ReplaceAllCountsInTheChosenRangeAsOneEdit)
{
    constexpr auto Track = ReplaceRange::Track;
    struct Case {
        std::u16string_view text;
        ReplaceRange range;
        TextSpan selection;
        std::u16string_view needle;
        std::u16string_view expected;
        int32_t count;
        TextSpan selectedAfter;
    };
    const Case cases[] = {
        // The second line selected; the selection moves with its text.
        {u"c4 d\nC8 c", Track, {5, 9}, u"c", u"ee4 d\nee8 ee", 3, {6, 12}},
        {u"c4 d\nC8 c", ReplaceRange::Selection, {5, 9}, u"c", u"c4 d\nee8 ee", 2, {5, 11}},
        {u"c4 d\nC8 c", Track, {5, 9}, u"x", u"c4 d\nC8 c", 0, {5, 9}},
        {u"c4 d\nC8 c", ReplaceRange::Selection, {3, 3}, u"c", u"c4 d\nC8 c", 0, {3, 3}},  // no selection
        {u"c4 d\nC8 c", Track, {1, 1}, u"c4", u"ee d\nC8 c", 1, {0, 0}},  // caret inside a match: its start
        {u"aaa", Track, {0, 0}, u"aa", u"eea", 1, {0, 0}},                 // scanning forward without overlaps
        {u"ee", Track, {2, 2}, u"e", u"eeee", 2, {4, 4}},                   // replacements are not searched again
    };
    for (const Case& c : cases) {
        TextSearch search;
        search.options.range = c.range;
        FakeEditor editor(std::u16string(c.text), c.selection);
        EXPECT_EQ(search.replaceAll(editor, c.needle, u"ee"), (SearchResult{SearchOutcome::Replaced, c.count}));
        EXPECT_EQ(editor.content, c.expected);
        EXPECT_EQ(editor.replacements, c.count > 0 ? 1 : 0);
        EXPECT_EQ(editor.selected, c.selectedAfter) << c.expected.size();
    }
}

}  // namespace
}  // namespace zema
