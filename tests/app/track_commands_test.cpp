// New documents, the track commands and the main window's texts.
#include <gtest/gtest.h>

#include "app/new_document.h"
#include "app/status_text.h"
#include "app/track_commands.h"
#include "app/window_text.h"

namespace zema {
namespace {

Song songWithTracks(int count)
{
    Song song;
    Settings settings;
    settings.defaultTrackCount = count;
    resetToNewDocument(song, settings);
    return song;
}

std::vector<bool> mutes(const Song& song, std::initializer_list<int> slots)
{
    std::vector<bool> result;
    for (int slot : slots) result.push_back(song.tracks[static_cast<size_t>(slot)].mute);
    return result;
}

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


TEST(TrackCommands, AddingSkipsTheDrumSlotAndStopsAtFifteen)
{
    Song song = songWithTracks(9);  // slots 0..8
    song.tracks[4].text = u"cde";
    EXPECT_EQ(addTrack(song), std::optional<int32_t>(10));
    EXPECT_EQ(song.tracks[10].name, u"Track11");
    EXPECT_EQ(song.trackOrder.back(), 10);
    EXPECT_EQ(addTrack(song, u"Chord"), std::optional<int32_t>(11));
    EXPECT_EQ(song.tracks[11].name, u"Chord");
    while (addTrack(song)) {
    }
    EXPECT_EQ(song.trackOrder.size(), 15u);
    EXPECT_FALSE(song.tracks[9].used);
    EXPECT_EQ(addTrack(song), std::nullopt);
}

TEST(TrackCommands, DeletingKeepsTheRecordAndRefusesTheLastTab)
{
    Song song = songWithTracks(3);
    song.tracks[1].text = u"o5c4";
    recompileAll(song);
    ASSERT_FALSE(song.tracks[1].events.empty());

    const auto deleted = deleteTrack(song, 1);
    ASSERT_TRUE(deleted);
    EXPECT_EQ(deleted->tabPosition, 1);
    EXPECT_EQ(deleted->record.text, u"o5c4");
    EXPECT_FALSE(song.tracks[1].used);
    EXPECT_EQ(song.trackOrder, (std::vector<int32_t>{0, 2}));
    EXPECT_EQ(song.currentTrack, 2);  // the tab that moved into its place
    for (const TrackEvent& event : song.events) EXPECT_NE(event.trackIndex, 1);

    EXPECT_TRUE(deleteTrack(song, 2));
    EXPECT_EQ(song.currentTrack, 0);
    EXPECT_FALSE(deleteTrack(song, 0));  // the only tab stays
    EXPECT_TRUE(song.tracks[0].used);
    EXPECT_FALSE(deleteTrack(song, 5));  // not in use
}

TEST(TrackCommands, RenamingCutsTo31CharactersAndReturnsThePreviousProperties)
{
    Song song = songWithTracks(1);
    const auto previous = renameTrack(song, 0, std::u16string(40, u'あ'));
    ASSERT_TRUE(previous);
    EXPECT_EQ(previous->name, u"Track1");
    EXPECT_EQ(song.tracks[0].name.size(), 31u);
    EXPECT_FALSE(renameTrack(song, 3, u"x"));
}

TEST(TrackCommands, MuteSoloAllAndGroupLink)
{
    Song song = songWithTracks(5);  // slots 0..4
    song.groups = {TrackGroup{u"global"}, TrackGroup{u"Song A"}};
    song.tracks[1].group = 1;
    song.tracks[2].group = 1;

    // Unlinked: only the track itself.
    toggleMute(song, 1);
    EXPECT_EQ(mutes(song, {0, 1, 2, 3}), (std::vector<bool>{false, true, false, false}));
    solo(song, 1);
    EXPECT_EQ(mutes(song, {0, 1, 2, 3, 4}), (std::vector<bool>{true, false, true, true, true}));
    unmuteAll(song);

    // The global group has no link to toggle.
    EXPECT_FALSE(toggleGroupLink(song, 0));
    EXPECT_FALSE(song.tracks[0].groupLink);
    ASSERT_TRUE(toggleGroupLink(song, 1));
    EXPECT_TRUE(song.tracks[2].groupLink);

    // Linked: Solo keeps the whole group, Mute mutes and unmutes the group together.
    solo(song, 2);
    EXPECT_EQ(mutes(song, {0, 1, 2, 3, 4}), (std::vector<bool>{true, false, false, true, true}));
    toggleMute(song, 1);
    EXPECT_EQ(mutes(song, {1, 2}), (std::vector<bool>{true, true}));
    toggleMute(song, 1);
    EXPECT_EQ(mutes(song, {1, 2}), (std::vector<bool>{false, false}));
    // One muted member is enough for Mute to unmute the group.
    song.tracks[2].mute = true;
    toggleMute(song, 1);
    EXPECT_EQ(mutes(song, {1, 2}), (std::vector<bool>{false, false}));
    solo(song, 0);
    unmuteAll(song);
    EXPECT_EQ(mutes(song, {0, 1, 2, 3, 4}), (std::vector<bool>(5, false)));
}

TEST(WindowText, TitleInEachState)
{
    Song song = songWithTracks(2);
    song.currentTrack = 1;
    EXPECT_EQ(windowTitleText(song, u"", false), u"ZEMA - Track2 - (名称未設定) []");
    song.title = u"春";
    EXPECT_EQ(windowTitleText(song, u"/home/u/songs/spring.mml", true), u"ZEMA - Track2 - spring.mml(更新) [春]");
    EXPECT_EQ(windowTitleText(song, u"C:\\songs\\win.mml", false), u"ZEMA - Track2 - win.mml [春]");
    song.groups = {TrackGroup{u"g"}, TrackGroup{u"Song A"}};
    song.tracks[1].group = 1;
    EXPECT_EQ(windowTitleText(song, u"", true), u"ZEMA - Song A::Track2 - (名称未設定)(更新) [春]");
}

TEST(WindowText, ModifiedPromptNamesThePathOrUntitled)
{
    EXPECT_EQ(modifiedPromptText(u""), u"ファイル <名称未設定> が変更されています。\n\n変更を保存しますか？");
    EXPECT_EQ(modifiedPromptText(u"/a/b.mml"), u"ファイル /a/b.mml が変更されています。\n\n変更を保存しますか？");
}

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
