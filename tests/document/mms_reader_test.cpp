// Reading `.mms` documents.
#include <gtest/gtest.h>

#include "document/mml_mms_reader.h"

namespace zema {
namespace {

DocumentData readMms(std::u16string_view text)
{
    CMMLMmsReader reader;
    EXPECT_TRUE(reader.LoadText(text));
    return reader.result();
}

TEST(MmsReader, InformationAndParts)
{
    const DocumentData doc = readMms(
        u"[mms-file]\r\nversion=0\r\n[infomation]\r\ntitle=曲\r\nauther=人\r\ntimeBase=48\r\nrythmNum=3\r\n"
        u"rythmBase=4\r\n[part0]\r\nname=ベース\r\ninstrument=12\r\npanpot=-64\r\nmarker=1\r\n"
        u"ch0_mml=cde\r\nch1_mml=efg\r\nch2_mml=gab\r\n[part4]\r\ninstrument=13\r\npanpot=63\r\nch2_mml=x\r\n");
    EXPECT_EQ(doc.title, u"曲");
    EXPECT_EQ(doc.source, u"人");
    EXPECT_EQ(doc.timing, (TimingContext{48, 3, 4}));
    for (int slot : {0, 1, 2}) {
        const DocumentSlot& s = doc.slots[slot];
        EXPECT_EQ(std::tie(s.used, s.instrument, s.panpot, s.startMarker, s.group), std::make_tuple(true, 13, 0, 2, 1));
    }
    EXPECT_EQ(doc.slots[0].text, u"cde");
    EXPECT_EQ(doc.slots[2].text, u"gab");
    // Part 4 uses slots 13..15; slot 9 stays free.
    EXPECT_FALSE(doc.slots[9].used);
    EXPECT_EQ(std::tie(doc.slots[13].instrument, doc.slots[13].panpot), std::make_tuple(12, 127));
    EXPECT_EQ(std::tie(doc.slots[15].text, doc.slots[15].group), std::make_tuple(u"x", 5));
    // Only part 0 was named.
    EXPECT_EQ(doc.groups, (std::vector<TrackGroup>{{u"グローバルグループ"}, {u"ベース"}}));
}

TEST(MmsReader, OnlyPartThree)
{
    const DocumentData doc = readMms(u"[part3]\r\nname=太鼓\r\npanpot=64\r\nmarker=9999\r\n");
    for (int slot = 0; slot < kTrackCount; ++slot) EXPECT_EQ(doc.slots[slot].used, slot >= 10 && slot <= 12) << slot;
    EXPECT_EQ(doc.slots[10].panpot, 64);      // 64 + 64 is out of range: ignored
    EXPECT_EQ(doc.slots[10].startMarker, 0);  // 10000 is out of range
    EXPECT_EQ(doc.groups, (std::vector<TrackGroup>{{u"グローバルグループ"}, {u""}, {u""}, {u""}, {u"太鼓"}}));
}

TEST(MmsReader, InstrumentCodes)
{
    for (const auto& [code, instrument] :
         {std::pair{0, 0}, {11, 11}, {12, 13}, {13, 12}, {17, 17}, {18, 65}, {21, 68}, {22, 0}, {-1, 0}}) {
        EXPECT_EQ(mmsInstrument(code), instrument) << code;
    }
}

TEST(MmsReader, MarkersGrowToTheirNumber)
{
    const DocumentData doc = readMms(
        u"[marker]\r\nlabel5=five\r\nposition5=960\r\ncolor5=4278190335\r\nposition10000=1\r\nlabelx=2\r\n");
    ASSERT_EQ(doc.markers.size(), 6u);
    EXPECT_EQ(doc.markers[0], Marker{});
    EXPECT_EQ(doc.markers[5], (Marker{960, 4278190335u, u"five"}));
}

TEST(MmsReader, BadTimebaseUsesDefaults)
{
    CMMLMmsReader reader({96, 4, 4});
    ASSERT_TRUE(reader.LoadText(u"[infomation]\r\ntimeBase=1000\r\nrythmNum=3\r\n"));
    EXPECT_EQ(reader.result().timing, (TimingContext{96, 4, 4}));
}

}  // namespace
}  // namespace zema
