#include <gtest/gtest.h>

#include "app/new_document.h"

namespace zema {
namespace {

TEST(NewDocument, UsesTheDefaultTrackCountAndSkipsTheRhythmChannel)
{
    Settings settings;
    Song song;
    song.title = u"old";
    song.tracks[4].text = u"cde";
    resetToNewDocument(song, settings);
    EXPECT_EQ(song.trackOrder, (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(song.tracks[2].name, u"Track3");
    EXPECT_TRUE(song.title.empty());
    EXPECT_TRUE(song.tracks[4].text.empty());
    EXPECT_EQ(song.tracks[15].name, u"Track16");
    EXPECT_EQ(song.tracks[0].volume, 100);
    EXPECT_EQ(song.tracks[0].panpot, 64);

    settings.defaultTrackCount = 10;
    settings.defaultTimeBase = 480;
    resetToNewDocument(song, settings);
    EXPECT_EQ(song.trackOrder, (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 10}));
    EXPECT_FALSE(song.tracks[9].used);
    EXPECT_EQ(song.tracks[10].name, u"Track11");
    EXPECT_EQ(song.timing.timebase, 480);
    EXPECT_EQ(song.timing.numerator, 4);
    EXPECT_EQ(song.timing.denominator, 4);

    settings.defaultTrackCount = 15;
    resetToNewDocument(song, settings);
    EXPECT_EQ(song.trackOrder.size(), 15u);
    EXPECT_FALSE(song.tracks[9].used);
}

}  // namespace
}  // namespace zema
