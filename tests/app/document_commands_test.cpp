// Timing, markers, migration and the track group editor without a window.
#include <gtest/gtest.h>

#include "app/document_commands.h"
#include "app/mml_history.h"
#include "app/track_group_model.h"
#include "core/song.h"

namespace zema {
namespace {

Marker markerEvent(int32_t tick, std::u16string name) { return {tick, 0, std::move(name)}; }

Song songWithTracks(int count)
{
    Song song;
    song.groups = {{u""}};
    for (int i = 0; i < count; ++i) {
        song.tracks[static_cast<size_t>(i)].used = true;
        song.tracks[static_cast<size_t>(i)].name = u"T" + std::u16string(1, static_cast<char16_t>(u'1' + i));
        song.trackOrder.push_back(i);
    }
    return song;
}

TEST(DocumentTiming, TimebaseEntryIsALabelOrANumberIn1To960)
{
    const std::pair<std::u16string_view, std::optional<int32_t>> cases[] = {
        {u"0", std::nullopt}, {u"1", 1},   {u"960", 960},          {u"961", std::nullopt}, {u" 48 ", 48},
        {u"", std::nullopt},  {u"4a", std::nullopt}, {u"標準 :　96 TPQN", 96}, {u"-5", std::nullopt},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(parseTimebase(text), expected);
    EXPECT_EQ(timebaseText(480), u"精密 : 480 TPQN");
    EXPECT_EQ(timebaseText(200), u"200");
    EXPECT_EQ(propertyHeading(u""), u"プロパティ (名称未設定)");
    EXPECT_EQ(propertyHeading(u"a.mml"), u"プロパティ a.mml");
}

TEST(DocumentTiming, MarkersMoveWithTheTimebaseButNotWithTheSignature)
{
    Song song = songWithTracks(1);
    song.markers = {markerEvent(37, u"A"), markerEvent(960, u"B")};
    EXPECT_TRUE(applyTiming(song, {96, 3, 4}));
    EXPECT_EQ(song.markers[0].tick, 37);
    EXPECT_TRUE(applyTiming(song, {48, 3, 4}));
    EXPECT_EQ(song.markers[0].tick, 19);
    EXPECT_EQ(song.markers[1].tick, 480);
    EXPECT_FALSE(applyTiming(song, {48, 3, 4}));
}

TEST(Markers, InsertRenameRemoveAndColours)
{
    Song song = songWithTracks(1);
    EXPECT_EQ(markerPositionText(song.timing, 400), u"0001:0016");
    EXPECT_EQ(insertMarker(song, 192, u"B"), 0);
    EXPECT_EQ(insertMarker(song, 96, u"A"), 0);
    EXPECT_EQ(insertMarker(song, 192, u"C"), 2) << "after markers at the same tick";
    for (size_t i = 0; i < song.markers.size(); ++i) {
        EXPECT_NE(song.markers[i].colour, i == 0 ? kSongStartMarkerColour : song.markers[i - 1].colour);
    }
    EXPECT_EQ(renameMarker(song, 1, u"B2")->name, u"B");
    EXPECT_EQ(song.markers[1].name, u"B2");
    EXPECT_EQ(removeMarker(song, 0)->name, u"A");
    EXPECT_FALSE(removeMarker(song, 5));
    EXPECT_EQ(song.markers.size(), 2u);
}

TEST(Migration, OnlyAt32AndTheMigratedName)
{
    Song song = songWithTracks(1);
    EXPECT_FALSE(migratedSong(song)) << "a song at 96 is left alone";
    song.timing = {32, 5, 3};
    song.tracks[0].text = u"c8c8";
    song.markers = {markerEvent(10, u"A")};
    const std::optional<Song> migrated = migratedSong(song);
    ASSERT_TRUE(migrated);
    EXPECT_EQ(migrated->timing.timebase, 96);
    EXPECT_EQ(migrated->timing.numerator, 4) << "a signature the game cannot show becomes 4/4";
    EXPECT_EQ(migrated->markers[0].tick, 30);
    EXPECT_NE(migrated->tracks[0].text, u"c8c8");
    for (const auto& [path, expected] : std::initializer_list<std::pair<std::u16string_view, std::u16string_view>>{
             {u"/s/a.mml", u"/s/a (マイグレーション済み).mml"}, {u"/s.d/song", u"/s.d/song (マイグレーション済み)"}}) {
        EXPECT_EQ(migratedPath(path), expected);
    }
}

TEST(TrackGroupEditor, GroupsTracksAndTheirOrder)
{
    Song song = songWithTracks(4);
    TrackGroupEditor editor(song);
    EXPECT_EQ(editor.groupName(0), u"グローバルグループ");
    EXPECT_EQ(editor.addGroup(), 1);
    EXPECT_EQ(editor.groupName(1), u"グループ 1");
    EXPECT_EQ(editor.addGroup(), 2);
    editor.moveTrack(3, 1);
    editor.moveTrack(0, 1);
    editor.moveTrack(2, 2);
    editor.moveTrack(1, 1, 3);  // before T4
    EXPECT_EQ(editor.tracksOf(1), (std::vector<int32_t>{1, 3, 0}));
    editor.track(0).volume = 50;

    Song applied = song;
    EXPECT_EQ(editor.apply(applied, true), (std::vector<int32_t>{1, 3, 0, 2}));
    EXPECT_EQ(applied.trackOrder, (std::vector<int32_t>{1, 3, 0, 2}));
    EXPECT_EQ(applied.tracks[0].volume, 50);
    Song unordered = song;
    (void)editor.apply(unordered, false);
    EXPECT_EQ(unordered.trackOrder, song.trackOrder);

    EXPECT_FALSE(editor.deleteGroup(0));
    EXPECT_TRUE(editor.deleteGroup(1));
    EXPECT_EQ(editor.track(0).group, 0);
    EXPECT_EQ(editor.track(2).group, 1) << "groups after the deleted one move down";
}

TEST(TrackGroupEditor, SliderTextsAndStartPositions)
{
    const std::pair<int32_t, std::u16string_view> pans[] = {{64, u"0"}, {63, u"L01"}, {65, u"R01"}, {0, u"L64"}, {127, u"R63"}};
    for (const auto& [pan, text] : pans) EXPECT_EQ(panpotText(pan), text);
    Song song = songWithTracks(1);
    song.markers = {markerEvent(400, u"Chorus")};
    EXPECT_EQ(startMarkerEntries(song), (std::vector<std::u16string>{u"先頭", u"[01:016] Chorus"}));
}

struct NullTarget final : IHistoryTarget {
    void selectTrack(int32_t) override {}
    void editorUndo(int32_t) override {}
    void editorRedo(int32_t) override {}
    void storeTrackText(int32_t) override {}
    void stepApplied(const HistoryStep&) override {}
    void historyChanged() override {}
};

TEST(TrackGroupEditor, AppliedEditsAreOneUndoStep)
{
    Song song = songWithTracks(3);
    song.tracks[1].text = u"cde";
    NullTarget target;
    CMMLHistory history(song, target);
    TrackGroupEditor editor(song);
    editor.moveTrack(2, editor.addGroup());
    editor.track(1).name = u"Bass";
    editor.track(1).panpot = 20;
    GroupConfiguration before = groupConfigurationOf(song, true);
    (void)editor.apply(song, true);
    history.record(HistoryKind::TrackGroups, 0, 0, std::move(before));

    ASSERT_TRUE(history.undo());
    EXPECT_EQ(song.groups.size(), 1u);
    EXPECT_EQ(song.tracks[1].name, u"T2");
    EXPECT_EQ(song.tracks[1].panpot, 64);
    EXPECT_EQ(song.tracks[1].text, u"cde");
    EXPECT_EQ(song.tracks[2].group, 0);
    ASSERT_TRUE(history.redo());
    EXPECT_EQ(song.tracks[1].name, u"Bass");
    EXPECT_EQ(song.tracks[2].group, 1);
}

}  // namespace
}  // namespace zema
