// The undo history, and the document commands and track group editor whose edits it records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/document_commands.h"
#include "app/mml_history.h"
#include "app/track_group_model.h"
#include "core/song.h"

namespace zema {
namespace {

// Records what the history asks of the window; the "editor texts" are plain strings.
class FakeWindow final : public IHistoryTarget {
public:
    explicit FakeWindow(Song& song) : song_(song) {}

    void selectTrack(int32_t slot) override { calls.push_back("select " + std::to_string(slot)); }
    void editorUndo(int32_t slot) override { calls.push_back("undo " + std::to_string(slot)); }
    void editorRedo(int32_t slot) override { calls.push_back("redo " + std::to_string(slot)); }
    void storeTrackText(int32_t slot) override { song_.tracks[static_cast<size_t>(slot)].text = editorTexts[static_cast<size_t>(slot)]; }
    void stepApplied(const HistoryStep& step) override { applied.push_back(static_cast<int>(step.kind)); }
    void historyChanged() override { ++titleRefreshes; }

    std::array<std::u16string, kTrackCount> editorTexts;
    std::vector<std::string> calls;
    std::vector<int> applied;
    int titleRefreshes = 0;

private:
    Song& song_;
};

Song threeTrackSong()
{
    Song song;
    for (int i = 0; i < 3; ++i) {
        song.tracks[static_cast<size_t>(i)].used = true;
        song.tracks[static_cast<size_t>(i)].name = u"Track" + std::u16string(1, static_cast<char16_t>(u'1' + i));
        song.trackOrder.push_back(i);
    }
    return song;
}

Marker marker(int32_t tick, std::u16string name) { return Marker{tick, 0, std::move(name)}; }

class HistoryTest : public ::testing::Test {
protected:
    Song song = threeTrackSong();
    FakeWindow window{song};
    CMMLHistory history{song, window};
};

TEST_F(HistoryTest, TextUndoWalksBackAcrossTracks)
{
    history.record(HistoryKind::TrackText, 0, 0);
    history.record(HistoryKind::TrackText, 1, 0);
    EXPECT_TRUE(history.undo());
    EXPECT_TRUE(history.undo());
    EXPECT_FALSE(history.undo());
    EXPECT_EQ(window.calls, (std::vector<std::string>{"select 1", "undo 1", "select 0", "undo 0"}));
    window.calls.clear();
    EXPECT_TRUE(history.redo());
    EXPECT_EQ(window.calls, (std::vector<std::string>{"select 0", "redo 0"}));
    EXPECT_EQ(history.undoCount(), 1u);
    EXPECT_EQ(history.redoCount(), 1u);
}

TEST_F(HistoryTest, ModifiedStateFollowsTheSavePoint)
{
    EXPECT_FALSE(history.isModified());
    history.record(HistoryKind::TrackText, 0, 0);
    history.markSaved();
    EXPECT_FALSE(history.isModified());
    EXPECT_EQ(history.savedPosition(), 1);
    history.record(HistoryKind::TrackText, 0, 0);
    EXPECT_TRUE(history.isModified());
    history.undo();
    EXPECT_FALSE(history.isModified());
    history.redo();
    EXPECT_TRUE(history.isModified());
    history.undo();
    history.undo();  // past the save
    EXPECT_TRUE(history.isModified());
    EXPECT_GT(window.titleRefreshes, 0);
}

TEST_F(HistoryTest, NewChangeAfterUndoDropsTheRedoStepsAndTheLostSavePoint)
{
    history.record(HistoryKind::TrackText, 0, 0);
    history.record(HistoryKind::TrackText, 0, 0);
    history.markSaved();
    history.undo();
    history.record(HistoryKind::TrackText, 1, 0);
    EXPECT_FALSE(history.canRedo());
    // Same number of steps as at the save, but a different document.
    EXPECT_EQ(history.undoCount(), 2u);
    EXPECT_TRUE(history.isModified());
    history.undo();
    EXPECT_TRUE(history.isModified());
}

TEST_F(HistoryTest, DirtyFlagHoldsUntilTheNextSave)
{
    history.setDirty();
    EXPECT_TRUE(history.isModified());
    history.record(HistoryKind::TrackText, 0, 0);
    history.undo();
    EXPECT_TRUE(history.isModified());
    history.markSaved();
    EXPECT_FALSE(history.isModified());
    history.setDirty();
    history.clear();
    EXPECT_FALSE(history.isModified());
    EXPECT_FALSE(history.canUndo());
    EXPECT_EQ(history.savedPosition(), 0);
}

TEST_F(HistoryTest, AddedTrackGoesAndComesBackAtItsTabPosition)
{
    // The window adds slot 5 between Track1 and Track2 (tab position 1).
    const Track emptySlot = song.tracks[5];
    song.tracks[5].used = true;
    song.tracks[5].name = u"Lead";
    song.tracks[5].volume = 90;
    song.trackOrder.insert(song.trackOrder.begin() + 1, 5);
    history.record(HistoryKind::TrackAdded, 5, 1, emptySlot);
    window.editorTexts[5] = u"cde";

    history.undo();
    EXPECT_FALSE(song.tracks[5].used);
    EXPECT_EQ(song.trackOrder, (std::vector<int32_t>{0, 1, 2}));
    history.redo();
    EXPECT_TRUE(song.tracks[5].used);
    EXPECT_EQ(song.tracks[5].name, u"Lead");
    EXPECT_EQ(song.tracks[5].volume, 90);
    EXPECT_EQ(song.tracks[5].text, u"cde");  // taken from the editor when it left
    EXPECT_EQ(song.trackOrder, (std::vector<int32_t>{0, 5, 1, 2}));
    EXPECT_EQ(window.applied, (std::vector<int>{1, 1}));
}

TEST_F(HistoryTest, DeletedTrackComesBackWithItsText)
{
    window.editorTexts[2] = u"o5 c";
    window.storeTrackText(2);
    const Track deleted = song.tracks[2];
    song.tracks[2] = Track{};
    std::erase(song.trackOrder, 2);
    history.record(HistoryKind::TrackDeleted, 2, 2, deleted);

    history.undo();
    EXPECT_TRUE(song.tracks[2].used);
    EXPECT_EQ(song.tracks[2].text, u"o5 c");
    EXPECT_EQ(song.trackOrder, (std::vector<int32_t>{0, 1, 2}));
    history.redo();
    EXPECT_FALSE(song.tracks[2].used);
    EXPECT_EQ(song.trackOrder, (std::vector<int32_t>{0, 1}));
}

TEST_F(HistoryTest, PropertiesAndGroupsSwapWithTheirSnapshots)
{
    song.tracks[1].text = u"abc";
    const Track before = song.tracks[1];
    song.tracks[1].name = u"Bass";
    song.tracks[1].mute = true;
    song.tracks[1].channel = 9;
    history.record(HistoryKind::TrackProperties, 1, 0, before);

    const GroupConfiguration groupsBefore = groupConfigurationOf(song);
    song.groups = {TrackGroup{u"global"}, TrackGroup{u"Song A"}};
    song.tracks[0].group = 1;
    history.record(HistoryKind::TrackGroups, 0, 0, groupsBefore);

    history.undo();
    EXPECT_TRUE(song.groups.empty());
    EXPECT_EQ(song.tracks[0].group, 0);
    history.undo();
    EXPECT_EQ(song.tracks[1].name, u"Track2");
    EXPECT_FALSE(song.tracks[1].mute);
    EXPECT_EQ(song.tracks[1].channel, before.channel);
    EXPECT_EQ(song.tracks[1].text, u"abc");
    history.redo();
    history.redo();
    EXPECT_EQ(song.tracks[1].name, u"Bass");
    EXPECT_TRUE(song.tracks[1].mute);
    EXPECT_EQ(song.tracks[1].channel, 9);
    EXPECT_EQ(song.groups.size(), 2u);
    EXPECT_EQ(song.tracks[0].group, 1);
}

TEST_F(HistoryTest, MarkerStepsRestoreTheList)
{
    song.markers = {marker(96, u"A"), marker(192, u"B")};
    song.markers.insert(song.markers.begin() + 1, marker(120, u"new"));
    history.record(HistoryKind::MarkerCreated, 1, 0, Marker{});
    const Marker removed = song.markers[0];
    song.markers.erase(song.markers.begin());
    history.record(HistoryKind::MarkerDeleted, 0, 0, removed);
    const Marker beforeEdit = song.markers[1];
    song.markers[1].name = u"B2";
    history.record(HistoryKind::MarkerEdited, 1, 0, beforeEdit);

    history.undo();
    EXPECT_EQ(song.markers[1].name, u"B");
    history.undo();
    ASSERT_EQ(song.markers.size(), 3u);
    EXPECT_EQ(song.markers[0].name, u"A");
    history.undo();
    ASSERT_EQ(song.markers.size(), 2u);
    EXPECT_EQ(song.markers[1].name, u"B");
    history.redo();
    EXPECT_EQ(song.markers[1].name, u"new");
    history.redo();
    history.redo();
    ASSERT_EQ(song.markers.size(), 2u);
    EXPECT_EQ(song.markers[0].name, u"new");
    EXPECT_EQ(song.markers[1].name, u"B2");
}

TEST_F(HistoryTest, StepsWithBadArgumentsChangeNothing)
{
    const Song before = song;
    history.record(HistoryKind::TrackAdded, 16, 0, Track{});
    history.record(HistoryKind::TrackProperties, -1, 0, Track{});
    history.record(HistoryKind::MarkerDeleted, 3, 0, Marker{});
    history.record(HistoryKind::TrackGroups, 0, 0);  // no snapshot
    while (history.undo()) {
    }
    EXPECT_EQ(song.trackOrder, before.trackOrder);
    EXPECT_TRUE(song.markers.empty());
    EXPECT_EQ(song.tracks[0].name, u"Track1");
    EXPECT_EQ(history.redoCount(), 4u);
}

// ---- Timing, markers, migration and the track group editor ---------------------

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
    song.markers = {marker(37, u"A"), marker(960, u"B")};
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
    song.markers = {marker(10, u"A")};
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
    song.markers = {marker(400, u"Chorus")};
    EXPECT_EQ(startMarkerEntries(song), (std::vector<std::u16string>{u"先頭", u"[01:016] Chorus"}));
}

TEST(TrackGroupEditor, AppliedEditsAreOneUndoStep)
{
    Song song = songWithTracks(3);
    song.tracks[1].text = u"cde";
    FakeWindow window{song};
    CMMLHistory history(song, window);
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
