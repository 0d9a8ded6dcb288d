#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "app/command_table.h"
#include "app/resource_symbols.h"
#include "app/window_texts.h"
#include "core/strings.h"

namespace zema {
namespace {

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

TEST(ResourceSymbols, GroupsHaveTheirSizesAndPrefixes)
{
    struct Group {
        SymbolGroup group;
        std::string_view prefix;
        size_t count;
    };
    const Group groups[] = {
        {SymbolGroup::Button, "ID", 2},      {SymbolGroup::Indicator, "ID_INDICATOR_", 2},
        {SymbolGroup::Bitmap, "IDB_", 37},   {SymbolGroup::Control, "IDC_", 175},
        {SymbolGroup::Dialog, "IDD_", 18},   {SymbolGroup::Icon, "IDI_", 1},
        {SymbolGroup::Resource, "IDR_", 13}, {SymbolGroup::Menu, "IDM_", 82},
        {SymbolGroup::String, "IDS_", 180},
    };
    const auto symbols = resourceSymbols();
    EXPECT_EQ(symbols.size(), 510u);
    for (const Group& g : groups) {
        size_t count = 0;
        for (const ResourceSymbol& s : symbols) {
            if (s.group != g.group) continue;
            ++count;
            EXPECT_TRUE(startsWith(s.name, g.prefix)) << s.name;
            // Own names of labels and menu titles never enter the vocabulary.
            EXPECT_FALSE(startsWith(s.name, "IDC_STATIC")) << s.name;
        }
        EXPECT_EQ(count, g.count) << g.prefix;
    }
}

TEST(ResourceSymbols, NamesAndIdentifiersAreUniqueAndFoundBothWays)
{
    std::set<std::string> names;
    std::set<int32_t> ids;
    for (const ResourceSymbol& s : resourceSymbols()) {
        EXPECT_TRUE(names.insert(upper(s.name)).second) << s.name;
        EXPECT_TRUE(ids.insert(s.id).second) << s.name << " " << s.id;
        EXPECT_EQ(findResourceSymbol(s.name), &s);
        EXPECT_EQ(findResourceSymbol(s.id), &s);
    }
    const std::pair<std::string_view, int32_t> fixed[] = {
        {"IDOK", 1},           {"idcancel", 2},           {"ID_INDICATOR_TEXTCOUNT", 101}, {"IDI_FILETYPE", 500},
        {"IDM_ABOUTBOX", 144}, {"IDM_FILE_NEW", 32925},   {"idm_lang_00", 32940},          {"IDM_LANG_19", 32959},
        {"IDM_LANG_XX", 32960}, {"IDM_OPTIMIZE_ALL", 32972}, {"IDC_PIANO_INPUT", 1151},    {"IDS_TPQN_960", 10179},
    };
    for (const auto& [name, id] : fixed) {
        const ResourceSymbol* symbol = findResourceSymbol(name);
        ASSERT_NE(symbol, nullptr) << name;
        EXPECT_EQ(symbol->id, id) << name;
    }
    EXPECT_EQ(findResourceSymbol("IDC_STATIC_CFG_GEN_FONT"), nullptr);
    EXPECT_EQ(findResourceSymbol("AFX_IDS_APP_TITLE"), nullptr);
    EXPECT_EQ(findResourceSymbol(-1), nullptr);
}

TEST(WindowTexts, EveryNameIsAKnownSymbolOrAnOwnNameOnceEachAndEveryDialogHasACaption)
{
    const char16_t* const keys[] = {
        u"Main Window", u"Main Window Menu", u"Code Edit Menu", u"Piano Roll Marker Menu", u"Preferences Sheet",
        u"Preferences Sheet - General", u"Preferences Sheet - File", u"Preferences Sheet - Midi",
        u"Preferences Sheet - DLS Playback", u"Preferences Sheet - Key Assign", u"Clipboard Export",
        u"Clipboard Import", u"Document Property", u"Text Search", u"Tracks Property", u"Wave Export",
        u"SMF Import", u"Marker Edit", u"Notify Window", u"About Box", u"PianoInput"};
    const auto windows = builtInWindowTexts();
    ASSERT_EQ(windows.size(), std::size(keys));
    std::set<std::string> captions;
    for (size_t w = 0; w < windows.size(); ++w) {
        EXPECT_EQ(windows[w].key, keys[w]);
        std::set<std::string> seen;
        for (const WindowText& text : windows[w].texts) {
            EXPECT_TRUE(seen.insert(upper(text.name)).second) << "twice: " << text.name;
            EXPECT_FALSE(text.text.empty()) << text.name;
            const bool own = startsWith(text.name, "IDC_STATIC_") || startsWith(text.name, "MENU_");
            const ResourceSymbol* symbol = findResourceSymbol(text.name);
            EXPECT_NE(own, symbol != nullptr) << text.name;
            if (symbol) {
                EXPECT_TRUE(symbol->group == SymbolGroup::Control || symbol->group == SymbolGroup::Dialog ||
                            symbol->group == SymbolGroup::Menu || symbol->group == SymbolGroup::Button)
                    << text.name;
                if (symbol->group == SymbolGroup::Dialog) captions.insert(std::string(text.name));
            }
        }
    }
    for (const ResourceSymbol& s : resourceSymbols()) {
        if (s.group == SymbolGroup::Dialog) {
            EXPECT_EQ(captions.count(std::string(s.name)), 1u) << s.name;
        }
    }
}

TEST(WindowTexts, OverridesByLowerKeyAndUpperNameElseBuiltInElseEmpty)
{
    auto english = std::make_shared<WindowTextOverrides>();
    (*english)[u"text search"]["IDC_BTN_FIND_UP"] = u"Find &Up";
    (*english)[u"text search"]["IDC_STATIC_SEARCH_TEXT"] = u"Fi&nd what";
    setWindowTextOverrides(english);
    EXPECT_EQ(windowText(u"Text Search", "IDC_BTN_FIND_UP"), u"Find &Up");
    EXPECT_EQ(windowText(u"TEXT SEARCH", "idc_btn_find_up"), u"Find &Up");
    EXPECT_EQ(windowText(u"Text Search", "IDC_STATIC_SEARCH_TEXT"), u"Fi&nd what");
    EXPECT_EQ(windowText(u"Text Search", "IDC_BTN_FIND_DOWN"), u"下検索(&D)");
    EXPECT_EQ(windowText(u"Clipboard Export", "IDC_BTN_FIND_UP"), u"");  // not in that window
    EXPECT_EQ(windowText(u"No Such Window", "IDOK"), u"");
    setWindowTextOverrides(nullptr);
    EXPECT_EQ(windowText(u"Text Search", "IDC_BTN_FIND_UP"), u"上検索(&U)");
}

}  // namespace
}  // namespace zema
