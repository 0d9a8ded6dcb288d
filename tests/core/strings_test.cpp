#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>

#include "core/strings.h"

namespace zema {
namespace {

// Leaves the built-in texts in place for the tests that follow.
struct OverrideGuard {
    ~OverrideGuard() { setStringOverrides(nullptr); }
};

TEST(StringTable, HoldsTheNamedStringsInIdentifierOrderThenTheFrameworkStrings)
{
    const auto table = stringTable();
    ASSERT_GT(table.size(), 180u);
    std::set<std::string> upperSymbols;
    for (size_t i = 0; i < table.size(); ++i) {
        const StringEntry& entry = table[i];
        EXPECT_FALSE(entry.text.empty()) << entry.symbol;
        std::string upper(entry.symbol);
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_TRUE(upperSymbols.insert(upper).second) << "duplicate " << entry.symbol;
        if (i < 180) {
            EXPECT_EQ(entry.id, 10000 + static_cast<int32_t>(i)) << entry.symbol;
            EXPECT_EQ(entry.symbol.substr(0, 4), "IDS_");
        } else if (i < 182) {
            EXPECT_NE(entry.symbol.substr(0, 4), "IDS_") << entry.symbol;
            EXPECT_TRUE(entry.id < 10000 || entry.id > 10179) << entry.symbol;
        } else {
            // Strings added later keep clear of both ranges.
            EXPECT_EQ(entry.symbol.substr(0, 4), "IDS_") << entry.symbol;
            EXPECT_GE(entry.id, 11000) << entry.symbol;
        }
    }
    // Landmarks of the order: the seven result messages are split by later additions.
    const std::pair<int32_t, std::string_view> landmarks[] = {
        {10000, "IDS_ABOUTBOX"},         {10016, "IDS_CB_EX_RESULTMSG1"}, {10021, "IDS_CB_EX_RESULTMSG6"},
        {10053, "IDS_DP_TPQN_032"},      {10058, "IDS_DP_TPQN_120"},      {10112, "IDS_ERR_FILEOPEN"},
        {10163, "IDS_CB_EX_RESULTMSG7"}, {10179, "IDS_TPQN_960"},
    };
    for (const auto& [id, symbol] : landmarks) EXPECT_EQ(table[static_cast<size_t>(id - 10000)].symbol, symbol);
}

TEST(StringTable, FindsBySymbolIgnoringAsciiCaseAndByIdentifier)
{
    struct Case {
        std::string_view query;
        int32_t id;  // 0: not found
    };
    const Case cases[] = {
        {"IDS_ERR_FILEOPEN", 10112}, {"ids_err_fileopen", 10112}, {"Ids_Tpqn_960", 10179},
        {"AFX_IDS_APP_TITLE", 57344}, {"afx_idp_ask_to_save", 61442}, {"IDS_ERR", 0},
        {"IDS_ERR_FILEOPENX", 0},     {"", 0},                        {"IDS_CB_EX_BOARD_TITLE", 0},
    };
    for (const Case& c : cases) {
        const StringEntry* entry = findString(c.query);
        if (c.id == 0) {
            EXPECT_EQ(entry, nullptr) << c.query;
            continue;
        }
        ASSERT_NE(entry, nullptr) << c.query;
        EXPECT_EQ(entry->id, c.id);
        EXPECT_EQ(findString(c.id), entry);
    }
    EXPECT_EQ(findString(9999), nullptr);
    EXPECT_EQ(findString(10180), nullptr);
}

TEST(StringOverrides, ReplaceByIdentifierAndFallBackToTheBuiltInText)
{
    OverrideGuard guard;
    setStringOverrides(std::make_shared<const StringOverrides>(StringOverrides{
        {10112, u"Could not open the file."}, {57344, u"ZEMA (en)"}, {123456, u"unused"}}));
    EXPECT_EQ(loadString("IDS_ERR_FILEOPEN"), u"Could not open the file.");
    EXPECT_EQ(loadString("ids_err_fileopen"), u"Could not open the file.");
    EXPECT_EQ(loadString(10112), u"Could not open the file.");
    EXPECT_EQ(loadString("AFX_IDS_APP_TITLE"), u"ZEMA (en)");
    EXPECT_EQ(loadString("IDS_ERR_FILESAVE"), u"ファイルが保存出来ませんでした。");  // untranslated
    EXPECT_EQ(loadString(123456), u"");  // an override alone does not make a string
    EXPECT_EQ(loadString("IDS_NO_SUCH_STRING"), u"");

    setStringOverrides(std::make_shared<const StringOverrides>());
    EXPECT_EQ(loadString(10112), u"ファイルが開けませんでした。");
    setStringOverrides(std::make_shared<const StringOverrides>(StringOverrides{{10112, u"x"}}));
    setStringOverrides(nullptr);
    EXPECT_EQ(loadString("IDS_ERR_FILEOPEN"), u"ファイルが開けませんでした。");
}

TEST(StringOverrides, ReadersSeeEitherWholeLanguageWhileItIsSwapped)
{
    OverrideGuard guard;
    const auto english = std::make_shared<const StringOverrides>(
        StringOverrides{{10112, u"Could not open the file."}, {10113, u"Could not save the file."}});
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) setStringOverrides(i % 2 ? english : nullptr);
        stop = true;
    });
    int unexpected = 0;
    while (!stop) {
        const std::u16string open = loadString(10112);
        if (open != u"Could not open the file." && open != u"ファイルが開けませんでした。") ++unexpected;
    }
    writer.join();
    EXPECT_EQ(unexpected, 0);
}

}  // namespace
}  // namespace zema
