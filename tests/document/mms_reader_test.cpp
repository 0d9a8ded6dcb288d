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
        EXPECT_TRUE(doc.slots[slot].used);
        EXPECT_EQ(doc.slots[slot].instrument, 13);
        EXPECT_EQ(doc.slots[slot].panpot, 0);
        EXPECT_EQ(doc.slots[slot].startMarker, 2);
        EXPECT_EQ(doc.slots[slot].group, 1);
    }
    EXPECT_EQ(doc.slots[0].text, u"cde");
    EXPECT_EQ(doc.slots[2].text, u"gab");
    // Part 4 uses slots 13..15; slot 9 stays free.
    EXPECT_FALSE(doc.slots[9].used);
    EXPECT_EQ(doc.slots[13].instrument, 12);
    EXPECT_EQ(doc.slots[13].panpot, 127);
    EXPECT_EQ(doc.slots[15].text, u"x");
    EXPECT_EQ(doc.slots[15].group, 5);
    ASSERT_EQ(doc.groups.size(), 2u);  // only part 0 was named
    EXPECT_EQ(doc.groups[0].name, u"グローバルグループ");
    EXPECT_EQ(doc.groups[1].name, u"ベース");
}

TEST(MmsReader, OnlyPartThree)
{
    const DocumentData doc = readMms(u"[part3]\r\nname=太鼓\r\npanpot=64\r\nmarker=9999\r\n");
    for (int slot = 0; slot < kTrackCount; ++slot) EXPECT_EQ(doc.slots[slot].used, slot >= 10 && slot <= 12) << slot;
    EXPECT_EQ(doc.slots[10].panpot, 64);      // 64 + 64 is out of range: ignored
    EXPECT_EQ(doc.slots[10].startMarker, 0);  // 10000 is out of range
    ASSERT_EQ(doc.groups.size(), 5u);
    EXPECT_EQ(doc.groups[2].name, u"");
    EXPECT_EQ(doc.groups[4].name, u"太鼓");
}

TEST(MmsReader, InstrumentCodes)
{
    EXPECT_EQ(mmsInstrument(0), 0);
    EXPECT_EQ(mmsInstrument(11), 11);
    EXPECT_EQ(mmsInstrument(12), 13);
    EXPECT_EQ(mmsInstrument(13), 12);
    EXPECT_EQ(mmsInstrument(17), 17);
    EXPECT_EQ(mmsInstrument(18), 65);
    EXPECT_EQ(mmsInstrument(21), 68);
    EXPECT_EQ(mmsInstrument(22), 0);
    EXPECT_EQ(mmsInstrument(-1), 0);
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
