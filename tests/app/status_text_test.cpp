#include <gtest/gtest.h>

#include "app/status_text.h"

namespace zema {
namespace {

TEST(StatusText, FivePanesForTheCurrentTrackAndCaret)
{
    Song song;
    song.timing = TimingContext{96, 3, 4};
    song.tracks[0].used = true;
    song.tracks[0].text = u"t150 o5 l8. cdef";
    recompileTrack(song, 0);
    const auto panes = statusPaneTexts(song, 0, 0, 16);
    EXPECT_EQ(panes[0], u"分解能 : 96");
    EXPECT_EQ(panes[1], u"拍子 :  3 /  4");
    EXPECT_EQ(panes[2], u"文字数 : 13");  // blanks are not counted
    EXPECT_EQ(panes[3], u"Tempo 150, Octave 5, Velocity  8, L8.");
    EXPECT_EQ(panes[4], u"0 行 16 列");

    const auto empty = statusPaneTexts(song, 1, 2, 3);
    EXPECT_EQ(empty[2], u"文字数 : 0");
    EXPECT_EQ(empty[4], u"2 行 3 列");
    EXPECT_EQ(statusPaneTexts(song, 99, 0, 0)[2], u"文字数 : 0");
}

}  // namespace
}  // namespace zema
