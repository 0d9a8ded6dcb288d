#include <gtest/gtest.h>

#include <string>

#include "app/accelerator.h"
#include "app_test_support.h"

namespace zema {
namespace {

using test::readBytes;
using test::TempFolder;
using test::writeBytes;

const std::string kDefaultFile =
    "[Main Window]\r\n"
    "147=27\\n0\\n0\\n0\r\n32728=116\\n0\\n0\\n0\r\n32786=118\\n0\\n0\\n0\r\n32791=86\\n1\\n0\\n1\r\n"
    "32814=114\\n0\\n0\\n0\r\n32817=67\\n1\\n0\\n0\r\n32818=86\\n1\\n0\\n0\r\n32819=88\\n1\\n0\\n0\r\n"
    "32820=65\\n1\\n0\\n0\r\n32821=90\\n1\\n0\\n0\r\n32822=89\\n1\\n0\\n0\r\n32842=46\\n0\\n0\\n0\r\n"
    "32849=32\\n1\\n0\\n0\r\n32862=117\\n0\\n0\\n0\r\n32864=115\\n0\\n0\\n0\r\n32871=84\\n1\\n0\\n0\r\n"
    "32880=75\\n1\\n0\\n0\r\n32887=13\\n0\\n1\\n0\r\n32893=70\\n1\\n0\\n0\r\n32894=82\\n1\\n0\\n0\r\n"
    "32919=37\\n1\\n0\\n0\r\n32920=39\\n1\\n0\\n0\r\n32925=78\\n1\\n0\\n0\r\n32926=79\\n1\\n0\\n0\r\n"
    "32927=83\\n1\\n0\\n0\r\n32928=83\\n1\\n0\\n1\r\n32969=119\\n0\\n0\\n0\r\n";

TEST(KeyFile, MissingFileIsCreatedFromTheBuiltInTableByteForByte)
{
    TempFolder folder;
    const auto path = folder / "ZEMA_ACCEL.ini";
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

TEST(KeyFile, LoadingTheDefaultGivesTheBuiltInKeysWithTheirTexts)
{
    TempFolder folder;
    const auto path = folder / "ZEMA_ACCEL.ini";
    ASSERT_TRUE(ensureKeyFile(path));
    CAccelerator keys;
    ASSERT_TRUE(keys.load(path, kMainWindowKey));
    EXPECT_EQ(keys.keys(), defaultAccelerator().keys());
    EXPECT_EQ(keys.keys().size(), 27u);
    EXPECT_EQ(keys.keyText(32928), u"Ctrl+Shift+S");
    EXPECT_EQ(keys.keyText(32791), u"Ctrl+Shift+V");
    EXPECT_EQ(keys.keyText(32887), u"Alt+Enter");
    EXPECT_EQ(keys.keyText(32919), u"Ctrl+←");
    EXPECT_EQ(keys.keyText(32849), u"Ctrl+Space");
    EXPECT_EQ(keys.keyText(147), u"Escape");
    EXPECT_EQ(keys.keyText(32842), u"Delete");
    EXPECT_EQ(keys.keyText(32969), u"F8");
    EXPECT_EQ(keys.keyText(144), u"なし");

    CAccelerator other;
    EXPECT_TRUE(other.load(path, u"Text Search"));
    EXPECT_TRUE(other.keys().empty());
    EXPECT_FALSE(other.load(folder / "none.ini", kMainWindowKey));
}

TEST(KeyFile, MalformedEntriesAreSkipped)
{
    TempFolder folder;
    const auto path = folder / "ZEMA_ACCEL.ini";
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

TEST(KeyFile, SaveRewritesOnlyTheWindowSection)
{
    TempFolder folder;
    const auto path = folder / "ZEMA_ACCEL.ini";
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

TEST(KeyFile, KeyNamesCoverTheChoiceList)
{
    EXPECT_EQ(virtualKeyName('Q'), u"Q");
    EXPECT_EQ(virtualKeyName('7'), u"7");
    EXPECT_EQ(virtualKeyName(0x70), u"F1");
    EXPECT_EQ(virtualKeyName(0x60), u"Num 0");
    EXPECT_EQ(virtualKeyName(0x6B), u"Num +");
    EXPECT_EQ(virtualKeyName(0x6F), u"Num /");
    EXPECT_EQ(virtualKeyName(0x08), u"Back Space");
    EXPECT_EQ(virtualKeyName(0x21), u"Page Up");
    EXPECT_EQ(virtualKeyName(0x13), u"Break");
    EXPECT_EQ(virtualKeyName(0x26), u"↑");
    EXPECT_EQ(virtualKeyName(0xBA), u":");
    EXPECT_EQ(virtualKeyName(0xDC), u"\\");
    EXPECT_EQ(virtualKeyName(0xC0), u"`");
    EXPECT_EQ(virtualKeyName(0x07), u"");
    EXPECT_EQ(keyAssignText(KeyAssign{0x07, false, true, false}), u"Alt+0x07");
    EXPECT_EQ(keyAssignText(KeyAssign{'S', false, false, true}), u"Shift+S");
}

}  // namespace
}  // namespace zema
