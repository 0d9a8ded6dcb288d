// Copying documents into the song and back.
#include <memory>

#include <gtest/gtest.h>

#include "document/song_document.h"
#include "document_test_support.h"

namespace zema {
namespace {

TEST(SongDocument, CopyInAndOutKeepsEverything)
{
    const ReadResult doc = test::sampleDocument();
    auto song = std::make_unique<Song>();
    copyToSong(doc, *song);
    EXPECT_EQ(song->trackOrder, (std::vector<int32_t>{4, 0, 9, 2}));
    EXPECT_EQ(song->tracks[9].trackType, 1);
    EXPECT_EQ(song->tracks[2].option2, 2);
    EXPECT_EQ(song->tracks[2].startMarker, 2);
    ASSERT_EQ(song->markers.size(), 2u);
    EXPECT_EQ(song->markers[1].kind, TrackEventKind::MarkerEntry);
    EXPECT_EQ(song->markers[1].text, u"サビ");
    EXPECT_EQ(song->markers[1].trackIndex, kMarkerTrackIndex);
    EXPECT_EQ(snapshotOf(*song), doc);
}

TEST(SongDocument, ShortOrderAndUnsortedMarkers)
{
    ReadResult doc;
    for (int slot : {0, 3, 7}) doc.slots[slot].used = true;
    doc.slots[3].group = 2;
    doc.slots[7].marker = 1;  // the marker at 500
    doc.slots[0].marker = 2;  // the marker at 100
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

}  // namespace
}  // namespace zema
