#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "app/key_page.h"
#include "core/strings.h"
#include "core/unicode.h"

namespace zema {
namespace {

const std::u16string kNone = loadString("IDS_CFG_KEY_NOTASSIGNED");

TEST(KeyPageText, MarkersAndShortcutHintsAreRemoved)
{
    struct Case {
        std::u16string_view text;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {u"&File", u"File"},           {u"新規作成(&N)", u"新規作成(N)"}, {u"Tom && Jerry", u"Tom & Jerry"},
        {u"Save\tCtrl+S", u"Save"},    {u"End&", u"End"},                {u"", u""},
    };
    for (const Case& c : cases) EXPECT_EQ(menuTextWithoutMarkers(c.text), c.expected) << utf16ToUtf8(c.text);
}

TEST(KeyPageRows, WalkTheMenuWithParentPaths)
{
    EXPECT_EQ(kNone, u"なし");
    // File > New, (separator), Export > MIDI, Save; a command on the bar; an empty pop-up.
    const MenuNode root{u"", 0,
                        {
                            {u"ファイル(&F)", 0,
                             {
                                 {u"新規作成(&N)", 32925, {}},
                                 {u"", 0, {}},
                                 {u"出力(&E)", 0, {{u"&MIDI", 32885, {}}}},
                                 {u"上書き保存(&S)\tCtrl+S", 32927, {}},
                             }},
                            {u"&Help", 144, {}},
                            {u"Empty", 0, {{u"", 0, {}}}},
                        }};
    CAccelerator keys;
    keys.assign(32925, {'N', true, false, false});
    keys.assign(144, {0x70, false, true, true});

    const std::vector<KeyPageRow> expected = {
        {32925, u"ファイル(F)->[新規作成(N)]", u"Ctrl+N"},
        {32885, u"ファイル(F)->出力(E)->[MIDI]", kNone},
        {32927, u"ファイル(F)->[上書き保存(S)]", kNone},
        {144, u"[Help]", u"Alt+Shift+F1"},
    };
    EXPECT_EQ(keyPageRows(root, keys), expected);
    EXPECT_TRUE(keyPageRows(MenuNode{}, keys).empty());
}

TEST(KeyPageAssign, LaterAssignmentWinsAndTheLoserIsReported)
{
    const KeyAssign ctrlN{'N', true, false, false};
    struct Case {
        const char* what;
        int32_t command;
        KeyAssign key;
        std::vector<int32_t> losers;
        std::map<int32_t, KeyAssign> after;
    };
    // Starting table: 32925 Ctrl+N, 32926 Ctrl+O.
    const KeyAssign ctrlO{'O', true, false, false};
    const Case cases[] = {
        {"free key", 32927, {'S', true, false, false}, {}, {{32925, ctrlN}, {32926, ctrlO}, {32927, {'S', true, false, false}}}},
        {"taken key", 32927, ctrlN, {32925}, {{32926, ctrlO}, {32927, ctrlN}}},
        {"taken key moves between owners", 32926, ctrlN, {32925}, {{32926, ctrlN}}},
        {"same key other modifiers", 32927, {'N', true, false, true}, {}, {{32925, ctrlN}, {32926, ctrlO}, {32927, {'N', true, false, true}}}},
        {"own key again", 32925, ctrlN, {}, {{32925, ctrlN}, {32926, ctrlO}}},
        {"no key", 32925, {0, true, false, false}, {}, {{32926, ctrlO}}},
        {"no key for an unassigned command", 32927, {}, {}, {{32925, ctrlN}, {32926, ctrlO}}},
    };
    for (const Case& c : cases) {
        CAccelerator keys;
        keys.assign(32925, ctrlN);
        keys.assign(32926, ctrlO);
        EXPECT_EQ(assignKey(keys, c.command, c.key), c.losers) << c.what;
        EXPECT_EQ(keys.keys(), c.after) << c.what;
    }

    // A hand-edited file that gave one key to two commands: both lose it.
    CAccelerator keys;
    keys.assign(1, ctrlN);
    keys.assign(2, ctrlN);
    EXPECT_EQ(assignKey(keys, 3, ctrlN), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(keys.keyText(1), kNone);
    EXPECT_EQ(keys.keyText(3), u"Ctrl+N");
}

TEST(KeyPageChoices, NamedKeysInListOrder)
{
    const std::vector<KeyChoice> choices = keyChoices();
    std::vector<std::u16string> texts;
    for (const KeyChoice& choice : choices) {
        texts.push_back(choice.text);
        EXPECT_FALSE(choice.text.empty()) << choice.virtualKey;
        if (choice.virtualKey != 0) {
            EXPECT_EQ(choice.text, virtualKeyName(choice.virtualKey));
        }
    }
    std::vector<std::u16string> expected = {kNone};
    for (char16_t c = u'A'; c <= u'Z'; ++c) expected.push_back(std::u16string(1, c));
    for (char16_t c = u'0'; c <= u'9'; ++c) expected.push_back(std::u16string(1, c));
    for (int f = 1; f <= 12; ++f) expected.push_back(utf8ToUtf16("F" + std::to_string(f)));
    for (auto name : {u"Back Space", u"Tab", u"Enter", u"Escape", u"Space", u"Insert", u"Delete", u"Home", u"End",
                      u"Page Up", u"Page Down", u"Break", u"↑", u"↓", u"←", u"→"}) {
        expected.push_back(name);
    }
    for (int n = 0; n <= 9; ++n) expected.push_back(utf8ToUtf16("Num " + std::to_string(n)));
    for (auto name : {u"Num +", u"Num -", u"Num *", u"Num /", u"Num .", u":", u"/", u"^", u"[", u"\\", u"]", u"`",
                      u",", u"-", u"."}) {
        expected.push_back(name);
    }
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(choices.front().virtualKey, 0);
    // Every code the built-in key table uses can be chosen.
    const CAccelerator defaults = defaultAccelerator();
    for (const auto& [command, key] : defaults.keys()) {
        EXPECT_TRUE(std::any_of(choices.begin(), choices.end(),
                                [&](const KeyChoice& choice) { return choice.virtualKey == key.virtualKey; }))
            << command;
    }
}

}  // namespace
}  // namespace zema
