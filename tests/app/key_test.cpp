// The key file and the preferences page that assigns its keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "app/accelerator.h"
#include "app/key_page.h"
#include "app_test_support.h"
#include "core/strings.h"
#include "core/unicode.h"

namespace zema {
namespace {

using test::readBytes;
using test::TempFolder;
using test::writeBytes;

// A settings folder and the key file in it.
class KeyFile : public ::testing::Test {
protected:
    TempFolder folder;
    const std::filesystem::path path = folder / "ZEMA_ACCEL.ini";
};

const std::string kDefaultFile =
    "[Main Window]\r\n"
    "147=27\\n0\\n0\\n0\r\n32728=116\\n0\\n0\\n0\r\n32786=118\\n0\\n0\\n0\r\n32791=86\\n1\\n0\\n1\r\n"
    "32814=114\\n0\\n0\\n0\r\n32817=67\\n1\\n0\\n0\r\n32818=86\\n1\\n0\\n0\r\n32819=88\\n1\\n0\\n0\r\n"
    "32820=65\\n1\\n0\\n0\r\n32821=90\\n1\\n0\\n0\r\n32822=89\\n1\\n0\\n0\r\n32842=46\\n0\\n0\\n0\r\n"
    "32849=32\\n1\\n0\\n0\r\n32862=117\\n0\\n0\\n0\r\n32864=115\\n0\\n0\\n0\r\n32871=84\\n1\\n0\\n0\r\n"
    "32880=75\\n1\\n0\\n0\r\n32887=13\\n0\\n1\\n0\r\n32893=70\\n1\\n0\\n0\r\n32894=82\\n1\\n0\\n0\r\n"
    "32919=37\\n1\\n0\\n0\r\n32920=39\\n1\\n0\\n0\r\n32925=78\\n1\\n0\\n0\r\n32926=79\\n1\\n0\\n0\r\n"
    "32927=83\\n1\\n0\\n0\r\n32928=83\\n1\\n0\\n1\r\n32969=119\\n0\\n0\\n0\r\n";

TEST_F(KeyFile, MissingFileIsCreatedFromTheBuiltInTableByteForByte)
{
    EXPECT_EQ(defaultKeyFileText(), kDefaultFile);
    ASSERT_TRUE(ensureKeyFile(path));
    EXPECT_EQ(readBytes(path), kDefaultFile);

    writeBytes(path, "[Main Window]\r\n32925=78\\n0\\n0\\n0\r\n");
    ASSERT_TRUE(ensureKeyFile(path));
    EXPECT_EQ(readBytes(path), "[Main Window]\r\n32925=78\\n0\\n0\\n0\r\n");

    CAccelerator loaded;
    ASSERT_TRUE(loaded.load(path, kMainWindowKey));
    EXPECT_EQ(loaded.keyText(32925), u"N");  // plain N now makes a new document
    EXPECT_EQ(loaded.keyText(32926), u"なし");
}

TEST_F(KeyFile, LoadingTheDefaultGivesTheBuiltInKeysWithTheirTexts)
{
    ASSERT_TRUE(ensureKeyFile(path));
    CAccelerator keys;
    ASSERT_TRUE(keys.load(path, kMainWindowKey));
    EXPECT_EQ(keys.keys(), defaultAccelerator().keys());
    EXPECT_EQ(keys.keys().size(), 27u);
    const std::pair<int32_t, std::u16string_view> texts[] = {
        {32928, u"Ctrl+Shift+S"}, {32791, u"Ctrl+Shift+V"}, {32887, u"Alt+Enter"}, {32919, u"Ctrl+←"},
        {32849, u"Ctrl+Space"},   {147, u"Escape"},         {32842, u"Delete"},   {32969, u"F8"}, {144, u"なし"}};
    for (const auto& [command, text] : texts) EXPECT_EQ(keys.keyText(command), text) << command;

    CAccelerator other;
    EXPECT_TRUE(other.load(path, u"Text Search"));
    EXPECT_TRUE(other.keys().empty());
    EXPECT_FALSE(other.load(folder / "none.ini", kMainWindowKey));
}

TEST_F(KeyFile, MalformedEntriesAreSkipped)
{
    writeBytes(path,
               "[main window]\n"
               "abc=78\\n1\\n0\\n0\n0=78\\n1\\n0\\n0\n-5=78\\n1\\n0\\n0\n"
               "32925=78\\n1\\n0\n32926=x\\n0\\n0\\n0\n32927=83\\n2\\n0\\n0\n32928=999\\n0\\n0\\n0\n"
               "32929=83\\n1\\n0\\n0\\n1\n32821= 90 \\n1\\n0\\n0\n");
    CAccelerator keys;
    ASSERT_TRUE(keys.load(path, kMainWindowKey));
    ASSERT_EQ(keys.keys().size(), 1u);
    EXPECT_EQ(keys.keyText(32821), u"Ctrl+Z");
}

TEST_F(KeyFile, SaveRewritesOnlyTheWindowSection)
{
    writeBytes(path, "[Main Window]\r\n0032925=78\\n1\\n0\\n0\r\n32926=79\\n1\\n0\\n0\r\n[Text Search]\r\n1=13\\n0\\n0\\n0\r\n");
    CAccelerator keys;
    ASSERT_TRUE(keys.load(path, kMainWindowKey));
    keys.unassign(32926);
    keys.assign(32925, KeyAssign{78, false, false, false});
    keys.assign(32969, KeyAssign{0x7B, true, true, true});
    ASSERT_TRUE(keys.save(path));
    EXPECT_EQ(readBytes(path),
              "[Main Window]\r\n32925=78\\n0\\n0\\n0\r\n32969=123\\n1\\n1\\n1\r\n[Text Search]\r\n1=13\\n0\\n0\\n0\r\n");
    CAccelerator reread;
    ASSERT_TRUE(reread.load(path, kMainWindowKey));
    EXPECT_EQ(reread.keys(), keys.keys());
    EXPECT_EQ(reread.keyText(32969), u"Ctrl+Alt+Shift+F12");
}

TEST_F(KeyFile, KeyNamesCoverTheChoiceList)
{
    const std::pair<int32_t, std::u16string_view> names[] = {
        {'Q', u"Q"},         {'7', u"7"},          {0x70, u"F1"},      {0x60, u"Num 0"}, {0x6B, u"Num +"},
        {0x6F, u"Num /"},    {0x08, u"Back Space"}, {0x21, u"Page Up"}, {0x13, u"Break"}, {0x26, u"↑"},
        {0xBA, u":"},        {0xDC, u"\\"},         {0xC0, u"`"},       {0x07, u""}};
    for (const auto& [code, name] : names) EXPECT_EQ(virtualKeyName(code), name) << code;
    EXPECT_EQ(keyAssignText(KeyAssign{0x07, false, true, false}), u"Alt+0x07");
    EXPECT_EQ(keyAssignText(KeyAssign{'S', false, false, true}), u"Shift+S");
}

// ---- The key assignment page ------------------------------------------------

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
