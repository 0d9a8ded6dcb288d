// Writing `.mml` documents: line order, escapes, brackets, encodings, safe
// saving and round trips through the readers.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "document/mml_file_reader.h"
#include "document/mml_file_writer.h"
#include "document/text_encoding.h"
#include "document_test_support.h"

namespace zema {
namespace {

std::string written(const DocumentData& doc, bool compact)
{
    CMMLFileWriter writer(doc, compact);
    EXPECT_TRUE(writer.WriteToMemory());
    return writer.buffer();
}

DocumentData readBack(const std::string& bytes)
{
    CMMLFileReader reader;
    EXPECT_TRUE(reader.LoadBytes(bytes));
    DocumentData result = reader.result();
    result.encoding.clear();
    return result;
}

TEST(FileWriter, NotCompactLineOrder)
{
    DocumentData doc;
    doc.title = u"T";
    doc.memo = u"a\\b\r\nc\td";
    doc.slots[1].used = true;
    doc.slots[1].name = u"N";
    doc.slots[1].text = u"cde";
    doc.slots[0].used = true;
    doc.slots[0].text = u"x\r\n";
    doc.trackOrder[0] = 1;
    doc.trackOrder[1] = 0;
    doc.markers = {{96, 0xABCDEF, u"m"}};
    const std::string bytes = written(doc, false);
    const std::string expected =
        "[Settings]\r\nEncoding=shift_jis\r\nTitle=T\r\nSource=\r\nMemo=a\\\\b\\r\\nc\\td\r\nTimeBase=96\r\n"
        "TimeSignatureNN=4\r\nTimeSignatureDD=4\r\n[ChannelProperty2]\r\nName=N\r\nPatch=0\r\nVolume=100\r\n"
        "Panpot=64\r\nMarker=0\r\n\r\n[Channel2]\r\ncde\r\n[ChannelProperty1]\r\nName=\r\nPatch=0\r\nVolume=100\r\n"
        "Panpot=64\r\nMarker=0\r\n\r\n[Channel1]\r\nx\r\n[Marker]\r\nentry=96,abcdef,m\r\n[ZEMA EXTENSION]\r\n";
    EXPECT_EQ(bytes.substr(0, expected.size()), expected);
}

// Both modes read back whole; the compact one keeps timing, properties and
// markers in the block only.
TEST(FileWriter, RoundTripsBothModes)
{
    DocumentData doc = test::sampleDocument();
    EXPECT_EQ(readBack(written(doc, true)), doc);
    doc.markers.push_back({500, 0x10, u"with space"});
    for (bool compact : {true, false}) {
        const std::string bytes = written(doc, compact);
        EXPECT_EQ(readBack(bytes), doc) << compact;
        for (const char* absent : {"TimeBase", "ChannelProperty", "[Marker]", "Name="}) {
            EXPECT_EQ(bytes.find(absent) == std::string::npos, compact) << absent;
        }
    }
}

TEST(FileWriter, UnencodableTextIsWrittenAsUtf8)
{
    DocumentData doc = test::sampleDocument();
    doc.title = u"노래 🎵";
    doc.slots[0].name = u"베이스";
    doc.markers[1].name = u"😀";
    for (bool compact : {true, false}) {
        const std::string bytes = written(doc, compact);
        EXPECT_NE(bytes.find("Encoding=UTF-8\r\n"), std::string::npos);
        EXPECT_TRUE(isValidUtf8(bytes));
        EXPECT_EQ(readBack(bytes), doc) << compact;
    }
    // Characters that map only one way (WAVE DASH) must not be changed either.
    doc = test::sampleDocument();
    doc.memo = u"a〜b";
    EXPECT_EQ(readBack(written(doc, true)).memo, u"a〜b");
}

TEST(FileWriter, BracketedRunsAreRemoved)
{
    EXPECT_EQ(removeBracketedRuns(u"a[x]b[y]c"), u"abc");
    EXPECT_EQ(removeBracketedRuns(u"a[x\r\nb]"), u"a[x\r\nb]");
    EXPECT_EQ(removeBracketedRuns(u"a[x[y]z"), u"a[xz");
    EXPECT_EQ(removeBracketedRuns(u"a[open"), u"a[open");
    EXPECT_EQ(removeBracketedRuns(u"]a"), u"]a");

    DocumentData doc;
    doc.slots[0].used = true;
    doc.slots[0].text = u"cde[Channel2]fg\r\n[Settings]\r\n";
    EXPECT_EQ(readBack(written(doc, true)).slots[0].text, u"cdefg\r\n\r\n");
    EXPECT_FALSE(readBack(written(doc, true)).slots[1].used);
}

TEST(FileWriter, TrackOrderFaultsHideNothing)
{
    // An order that lists a slot twice, an unused slot and leaves out a used
    // one: every used slot is written once.
    DocumentData doc;
    for (int slot : {1, 3, 5}) {
        doc.slots[slot].used = true;
        doc.slots[slot].text = u"c" + std::u16string(1, static_cast<char16_t>(u'0' + slot)) + u"\r\n";
    }
    doc.trackOrder = {5, 5, 2, 1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    const DocumentData back = readBack(written(doc, true));
    EXPECT_EQ(back.slots[5].text, u"c5\r\n");
    EXPECT_EQ(back.slots[3].text, u"c3\r\n");
    EXPECT_EQ(effectiveTrackOrder(back), (std::vector<int32_t>{5, 1, 3}));
}

TEST(FileWriter, SaveReplacesOnlyAfterSuccess)
{
    test::TempFolder folder;
    const auto path = folder / "song.mml";
    test::writeBytes(path, "old contents");
    ::chmod(path.c_str(), 0640);

    CMMLFileWriter writer(test::sampleDocument(), true);
    ASSERT_TRUE(writer.SaveFile(path));
    EXPECT_EQ(test::readBytes(path), writer.buffer());
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);

    // A folder that cannot be written: failure, old file intact.
    const std::string before = test::readBytes(path);
    if (::geteuid() != 0) {
        ::chmod(folder.path().c_str(), 0500);
        CMMLFileWriter again(DocumentData{}, true);
        EXPECT_FALSE(again.SaveFile(path));
        ::chmod(folder.path().c_str(), 0700);
        EXPECT_EQ(test::readBytes(path), before);
    }
    // A target that is a folder cannot be replaced by a file.
    std::filesystem::create_directory(folder / "dir.mml");
    EXPECT_FALSE(writer.SaveFile(folder / "dir.mml"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "dir.mml"));
    EXPECT_FALSE(writer.SaveFile(folder / "missing" / "song.mml"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2);
}

TEST(FileWriter, MemoEscapesRoundTrip)
{
    const std::u16string memo = u"\\n is not a line break\r\n\ttab\\\\";
    EXPECT_EQ(unescapeMemo(escapeMemo(memo)), memo);
    EXPECT_EQ(escapeMemo(u"\\\r\n\t"), u"\\\\\\r\\n\\t");
}

}  // namespace
}  // namespace zema
