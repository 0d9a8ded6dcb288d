#include <gtest/gtest.h>

#include <initializer_list>

#include "app/piano_target.h"

namespace zema {
namespace {

TrackMask maskOf(std::initializer_list<int> slots)
{
    TrackMask mask{};
    for (int slot : slots) mask[static_cast<size_t>(slot)] = true;
    return mask;
}

// Slots 0..5 in use: 0, 1 and 5 in the global group, 2 and 3 in group 1,
// 4 in group 2; slot 7 holds a stale group number but is not in use.
Song groupedSong(int current)
{
    Song song;
    song.groups = {TrackGroup{u"グローバルグループ"}, TrackGroup{u"グループ 1"}, TrackGroup{u"グループ 2"}};
    for (int slot = 0; slot <= 5; ++slot) song.tracks[static_cast<size_t>(slot)].used = true;
    song.tracks[2].group = 1;
    song.tracks[3].group = 1;
    song.tracks[4].group = 2;
    song.tracks[7].group = 1;
    song.currentTrack = current;
    return song;
}

TEST(PianoTarget, CurrentTrackAndGlobalEntries)
{
    const Song song = groupedSong(3);
    const TrackMask user = maskOf({0, 9});

    const PianoTrackSelection current = pianoTargetSelection(0, song, user);
    EXPECT_EQ(current.visible, maskOf({3}));
    EXPECT_EQ(current.emphasised, maskOf({3}));

    const PianoTrackSelection global = pianoTargetSelection(1, song, user);
    EXPECT_EQ(global.visible, maskOf({0, 1, 2, 3, 4, 5}));  // unused slot 7 stays hidden
    EXPECT_EQ(global.emphasised, maskOf({3}));

    const PianoTrackSelection globalAll = pianoTargetSelection(2, song, user);
    EXPECT_EQ(globalAll.visible, global.visible);
    EXPECT_EQ(globalAll.emphasised, global.visible);
}

TEST(PianoTarget, GroupEntriesFollowTheCurrentTracksGroup)
{
    const TrackMask none{};
    const PianoTrackSelection group1 = pianoTargetSelection(3, groupedSong(2), none);
    EXPECT_EQ(group1.visible, maskOf({2, 3}));
    EXPECT_EQ(group1.emphasised, maskOf({2}));
    EXPECT_EQ(pianoTargetSelection(4, groupedSong(2), none).emphasised, maskOf({2, 3}));

    // A track of the global group sees the other global tracks only.
    EXPECT_EQ(pianoTargetSelection(3, groupedSong(5), none).visible, maskOf({0, 1, 5}));

    // A group number past the group list counts as the global group.
    Song stale = groupedSong(0);
    stale.tracks[4].group = 9;
    EXPECT_EQ(effectiveGroup(stale, 4), 0);
    EXPECT_EQ(pianoTargetSelection(4, stale, none).visible, maskOf({0, 1, 4, 5}));
    EXPECT_EQ(pianoTargetSelection(4, stale, none).emphasised, maskOf({0, 1, 4, 5}));
}

TEST(PianoTarget, UserEntriesShowExactlyTheChosenUsedTracks)
{
    const Song song = groupedSong(1);
    const TrackMask user = maskOf({1, 4, 7});  // 7 is not in use

    const PianoTrackSelection plain = pianoTargetSelection(5, song, user);
    EXPECT_EQ(plain.visible, maskOf({1, 4}));
    EXPECT_EQ(plain.emphasised, maskOf({1}));
    EXPECT_EQ(pianoTargetSelection(6, song, user).emphasised, maskOf({1, 4}));

    // The current track is not added behind the user's back.
    const PianoTrackSelection without = pianoTargetSelection(5, song, maskOf({0}));
    EXPECT_EQ(without.visible, maskOf({0}));
    EXPECT_EQ(without.emphasised, TrackMask{});
    EXPECT_EQ(pianoTargetSelection(6, song, TrackMask{}).visible, TrackMask{});
}

TEST(PianoTarget, OutOfRangeEntriesActAsTheCurrentTrack)
{
    const Song song = groupedSong(4);
    for (int target : {-1, 7, 100}) {
        EXPECT_EQ(pianoTargetSelection(target, song, maskOf({0, 1})), pianoTargetSelection(0, song, TrackMask{}))
            << target;
    }
}

}  // namespace
}  // namespace zema
