// Copying documents into the song and back.
#include <memory>

#include <gtest/gtest.h>

#include "document/mml_file_reader.h"
#include "document/mml_file_writer.h"
#include "document/song_document.h"
#include "document_test_support.h"

namespace zema {
namespace {

TEST(SongDocument, ShortOrderAndUnsortedMarkers)
{
    DocumentData doc;
    for (int slot : {0, 3, 7}) doc.slots[slot].used = true;
    doc.slots[3].group = 2;
    doc.slots[7].startMarker = 1;  // the marker at 500
    doc.slots[0].startMarker = 2;  // the marker at 100
    doc.trackOrder[0] = 7;
    doc.markers = {{500, 1, u"late"}, {100, 2, u"early"}};

    auto song = std::make_unique<Song>();
    copyToSong(doc, *song);
    EXPECT_EQ(song->trackOrder, (std::vector<int32_t>{7, 0, 3}));
    EXPECT_EQ(song->tracks[0].name, u"Track1");
    ASSERT_EQ(song->markers.size(), 2u);
    EXPECT_EQ(song->markers[0].tick, 100);
    EXPECT_EQ(startTickOfMarker(*song, song->tracks[7].startMarker), 500);
    EXPECT_EQ(startTickOfMarker(*song, song->tracks[0].startMarker), 100);
    // Groups cover every group number in use; group 0 is the global group.
    ASSERT_EQ(song->groups.size(), 3u);
    EXPECT_EQ(song->groups[0].name, u"グローバルグループ");
    EXPECT_EQ(snapshotOf(*song).trackOrder[2], 3);
}

// The sample document, with one more slot whose every property and field is
// away from its default, crosses from the document to the song and back.
TEST(SongDocument, EveryTrackFieldCrossesBothWays)
{
    DocumentData doc = test::sampleDocument();
    doc.groups = {{u"global"}, {u"one"}, {u"two"}, {u"three"}};
    DocumentSlot& slot = doc.slots[5];
    slot.used = true;
    slot.name = u"name";
    slot.instrument = 70;
    slot.volume = 3;
    slot.panpot = 120;
    slot.startMarker = 2;
    slot.group = 3;
    slot.trackType = 1;
    slot.option2 = 200;
    slot.mute = true;
    slot.groupLink = true;
    slot.channel = 11;
    slot.reserved = 12345;
    slot.text = u"cde";
    doc.trackOrder[4] = 5;

    auto song = std::make_unique<Song>();
    copyToSong(doc, *song);
    EXPECT_EQ(song->trackOrder, (std::vector<int32_t>{4, 0, 9, 2, 5}));
    EXPECT_EQ(song->markers, doc.markers);
    for (int i : {4, 0, 9, 2, 5}) {
        const auto& properties = static_cast<const TrackProperties&>(song->tracks[static_cast<size_t>(i)]);
        EXPECT_EQ(properties, static_cast<const TrackProperties&>(doc.slots[static_cast<size_t>(i)])) << i;
    }
    const Track& track = song->tracks[5];
    EXPECT_EQ(std::tie(track.channel, track.reserved, track.text), std::make_tuple(11, 12345, u"cde"));
    EXPECT_EQ(snapshotOf(*song), doc);
}

// Documents keep a group number in one byte: the song's wider number is
// written clamped, and every byte value reads back into the song.
TEST(SongDocument, GroupNumbersKeepTheirByte)
{
    const struct {
        int32_t group;
        int32_t stored;
    } cases[] = {{0, 0}, {7, 7}, {255, 255}, {256, 255}, {100000, 255}, {-1, 0}};
    for (const auto& c : cases) {
        for (bool compact : {true, false}) {
            SCOPED_TRACE(testing::Message() << c.group << (compact ? " compact" : ""));
            Song song;
            song.tracks[2].used = true;
            song.tracks[2].text = u"c";
            song.tracks[2].group = c.group;
            song.trackOrder = {2};
            CMMLFileWriter writer(snapshotOf(song), compact);
            ASSERT_TRUE(writer.WriteToMemory());
            CMMLFileReader reader;
            ASSERT_TRUE(reader.LoadBytes(writer.buffer()));
            EXPECT_EQ(reader.result().slots[2].group, c.stored);

            auto back = std::make_unique<Song>();
            copyToSong(reader.result(), *back);
            EXPECT_EQ(back->tracks[2].group, c.stored);
            EXPECT_EQ(back->groups.size(), static_cast<size_t>(c.stored) + 1);
        }
    }
}

}  // namespace
}  // namespace zema
