#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/inifile.h"
#include "app_test_support.h"

namespace zema {
namespace {

using test::readBytes;
using test::TempFolder;
using test::writeBytes;

TEST(CInifile, WritesTheStoredFormsAndKeepsSectionsTogether)
{
    TempFolder folder;
    const auto path = folder / "ZEMA.ini";
    const CInifile app(path, u"ApplicationData");
    const CInifile midi(path, u"Midi Settings");
    EXPECT_TRUE(app.setInt(u"DefaultTimeBase", 96));
    EXPECT_TRUE(midi.setUnsigned(u"PORTA", 4294967295u));
    EXPECT_TRUE(app.setInt(u"Monitor_Left", -1));
    EXPECT_TRUE(app.setBool(u"AutoSave", false));
    EXPECT_TRUE(midi.setString(u"DLSFilePath", u"C:\\Nexon\\mp3\\曲.dls"));
    EXPECT_TRUE(app.setInt(u"defaulttimebase", 0));  // key names compare without case

    EXPECT_EQ(readBytes(path),
              "[ApplicationData]\r\nDefaultTimeBase=+0\r\nMonitor_Left=-1\r\nAutoSave=false\r\n"
              "[Midi Settings]\r\nPORTA=4294967295\r\nDLSFilePath=C:\\Nexon\\mp3\\曲.dls\r\n");
    EXPECT_EQ(app.getInt(u"DefaultTimeBase", 7), 0);
    EXPECT_EQ(midi.getUnsigned(u"PORTA", 7), 4294967295u);
    EXPECT_EQ(midi.getString(u"DLSFilePath", u""), u"C:\\Nexon\\mp3\\曲.dls");
}

TEST(CInifile, KeepsCommentsUnknownKeysAndBlankLinesWhenUpdating)
{
    TempFolder folder;
    const auto path = folder / "ZEMA.ini";
    writeBytes(path, "; my settings\n[A]\nx=1\nother=keep\n\n[B]\ny=2\n");
    const CInifile a(path, u"A");
    EXPECT_TRUE(a.setInt(u"new", 5));
    EXPECT_TRUE(a.setInt(u"x", 3));
    EXPECT_EQ(readBytes(path), "; my settings\r\n[A]\r\nx=+3\r\nother=keep\r\nnew=+5\r\n\r\n[B]\r\ny=2\r\n");
    EXPECT_TRUE(a.remove(u"other"));
    EXPECT_EQ(a.getString(u"other", u"gone"), u"gone");
    EXPECT_EQ(CInifile(path, u"B").getInt(u"y", 0), 2);
}

TEST(CInifile, ReadRulesFallBackToTheDefaultForAnythingButAStoredNumber)
{
    TempFolder folder;
    const auto path = folder / "ZEMA.ini";
    writeBytes(path,
               "[S]\nplus=+100\nminus=-7\nspaced=  42  \ntrailing=12abc\nword=abc\nempty=\nhuge=99999999999\n"
               "minusOne=-1\nyes=yes\nupper=TRUE\nt=true\nf=false\n");
    const CInifile ini(path, u"S");
    EXPECT_EQ(ini.getInt(u"plus", 0), 100);
    EXPECT_EQ(ini.getInt(u"minus", 0), -7);
    EXPECT_EQ(ini.getInt(u"spaced", 0), 42);
    EXPECT_EQ(ini.getInt(u"trailing", 9), 9);
    EXPECT_EQ(ini.getInt(u"word", 9), 9);
    EXPECT_EQ(ini.getInt(u"empty", 9), 9);
    EXPECT_EQ(ini.getInt(u"huge", 9), 9);
    EXPECT_EQ(ini.getInt(u"missing", 9), 9);
    EXPECT_EQ(ini.getUnsigned(u"minusOne", 0), 4294967295u);
    EXPECT_EQ(ini.getUnsigned(u"huge", 5), 5u);
    EXPECT_TRUE(ini.getBool(u"yes", true));
    EXPECT_FALSE(ini.getBool(u"yes", false));
    EXPECT_FALSE(ini.getBool(u"upper", false));
    EXPECT_TRUE(ini.getBool(u"t", false));
    EXPECT_FALSE(ini.getBool(u"f", true));
    EXPECT_EQ(ini.getString(u"missing", u"fallback"), u"fallback");
    EXPECT_EQ(CInifile(folder / "none.ini", u"S").getInt(u"plus", 3), 3);
}

TEST(CInifile, EveryCallSeesTheFileAsItIsNow)
{
    TempFolder folder;
    const auto path = folder / "ZEMA.ini";
    const CInifile first(path, u"S");
    const CInifile second(path, u"S");
    EXPECT_TRUE(first.setInt(u"k", 1));
    EXPECT_EQ(second.getInt(u"k", 0), 1);
    writeBytes(path, "[S]\nk=+2\n");
    EXPECT_EQ(first.getInt(u"k", 0), 2);
}

TEST(CInifile, RefusesValuesThatWouldBreakTheFileAndKeepsItUnchanged)
{
    TempFolder folder;
    const auto path = folder / "ZEMA.ini";
    const CInifile ini(path, u"S");
    EXPECT_TRUE(ini.setString(u"a", u"1"));
    const std::string before = readBytes(path);
    EXPECT_FALSE(ini.setString(u"a", u"x\r\n[Other]\r\nb=2"));
    EXPECT_FALSE(ini.setString(u"bad=key", u"1"));
    // A list of changes is taken whole or not at all.
    const std::vector<IniChange> changes{{u"a", u"2"}, {u"b", u"x\ny"}};
    EXPECT_FALSE(ini.setMany(changes));
    EXPECT_EQ(readBytes(path), before);

    // A folder where the file should be cannot be written.
    std::filesystem::create_directories(folder / "dir.ini");
    EXPECT_FALSE(CInifile(folder / "dir.ini", u"S").setInt(u"k", 1));
    EXPECT_FALSE(CInifile(folder / "missing" / "x.ini", u"S").setInt(u"k", 1));
}

TEST(CInifile, LongStringsAreCutToTheReadBuffer)
{
    TempFolder folder;
    const auto path = folder / "ZEMA.ini";
    const CInifile ini(path, u"S");
    EXPECT_TRUE(ini.setString(u"long", std::u16string(5000, u'x')));
    EXPECT_EQ(ini.getString(u"long", u"").size(), CInifile::kStringCapacity);
}

}  // namespace
}  // namespace zema
