#include <gtest/gtest.h>

#include <set>

#include "app/command_table.h"
#include "app/new_document.h"
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

TEST(CommandTable, IdentifiersAreUniqueAndIdleOnlyMatchesTheCommands)
{
    std::set<int32_t> ids;
    for (const CommandInfo& info : commandTable()) EXPECT_TRUE(ids.insert(info.id).second) << info.symbol;
    for (int32_t id : {command::kFileNew, command::kFileOpen, command::kUndo, command::kRedo, command::kPaste,
                       command::kTrackAdd, command::kTrackDelete, command::kOptimize, command::kExportWav}) {
        EXPECT_TRUE(findCommand(id)->idleOnly) << id;
    }
    for (int32_t id : {command::kFileSave, command::kCopy, command::kPlayToggle, command::kPlayStop,
                       command::kTrackSelectLeft}) {
        EXPECT_FALSE(findCommand(id)->idleOnly) << id;
    }
    EXPECT_EQ(findCommand(command::kRecentLast), findCommand(command::kRecentFirst));
    EXPECT_EQ(findCommand(12345), nullptr);
}

}  // namespace
}  // namespace zema
