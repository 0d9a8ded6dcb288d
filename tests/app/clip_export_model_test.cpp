// The clipboard export dialog's rules without a window, and the clipboard import.
#include <gtest/gtest.h>

#include "app/clip_export_model.h"
#include "app/clip_import.h"
#include "core/song.h"

namespace zema {
namespace {

// Seven tracks T1..T7 with the given counts in display order 6,5,...,0
// reversed to slots, two groups with tracks and one without.
Song songWithCounts(const std::vector<int32_t>& counts, bool groups)
{
    Song song;
    song.groups = {{u"global"}, {u"G1"}, {u"Empty"}, {u"G2"}};
    for (size_t i = 0; i < counts.size(); ++i) {
        Track& track = song.tracks[i];
        track.used = true;
        track.name = u"T" + std::u16string(1, static_cast<char16_t>(u'1' + i));
        TrackEvent end;
        end.kind = TrackEventKind::TrackEnd;
        end.value = counts[i];
        track.events.push_back(end);
        if (groups) track.group = i < 3 ? 1 : (i < 5 ? 3 : 0);
        song.trackOrder.push_back(static_cast<int32_t>(i));
    }
    return song;
}

std::vector<int> selectedTracks(const ClipExportModel& model)
{
    std::vector<int> out;
    for (int i = 0; i < static_cast<int>(model.song().tracks.size()); ++i) {
        if (model.trackSelected(i)) out.push_back(i);
    }
    return out;
}

TEST(ClipExportModel, OpensWithTheFirstThreeTracksAndTheGroupsThatHoldTracks)
{
    const ClipExportModel plain(copyForClipExport(songWithCounts({1, 2, 3, 4, 5}, false)), {});
    EXPECT_EQ(plain.selectionMode(), ClipSelectionMode::Tracks);
    EXPECT_FALSE(plain.selectionModeEnabled());
    EXPECT_EQ(selectedTracks(plain), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(plain.selectionQueue(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(clipListText(plain.song().tracks[3]), u"   4文字 : T4");

    const ClipExportModel grouped(copyForClipExport(songWithCounts({1, 2, 3, 4, 5, 6}, true)), {});
    EXPECT_EQ(grouped.selectionMode(), ClipSelectionMode::Groups);
    EXPECT_TRUE(grouped.groupNameButtonEnabled());
    ASSERT_EQ(grouped.song().groups.size(), 2u) << "the empty group is left out";
    EXPECT_EQ(grouped.song().groups[1].name, u"G2");
    ASSERT_EQ(grouped.groupTracks().size(), 3u);
    EXPECT_TRUE(grouped.groupTrackSelected(2));
}

TEST(ClipExportModel, AFourthSelectionDropsTheOldestNeverTheOneJustClicked)
{
    ClipExportModel model(copyForClipExport(songWithCounts({1, 2, 3, 4, 5, 6, 7}, false)), {});
    model.setTrackSelected(1, false);
    model.setTrackSelected(1, true);  // queue 0, 2, 1
    model.setTrackSelected(5, true);
    EXPECT_EQ(selectedTracks(model), (std::vector<int>{1, 2, 5}));
    EXPECT_EQ(model.selectionQueue(), (std::vector<int>{2, 1, 5}));
    model.reset();
    EXPECT_TRUE(selectedTracks(model).empty());
    EXPECT_TRUE(model.selectionQueue().empty());
}

TEST(ClipExportModel, TheSelectionWalksOnAfterEachCopy)
{
    ClipExportModel model(copyForClipExport(songWithCounts({1, 2, 3, 4, 5, 6, 7}, false)), {});
    model.walkOn();
    EXPECT_EQ(selectedTracks(model), (std::vector<int>{3, 4, 5}));
    model.walkOn();
    EXPECT_EQ(selectedTracks(model), (std::vector<int>{0, 1, 6}));
    EXPECT_EQ(model.selectionQueue(), (std::vector<int>{6, 0, 1}));

    // Every track selected: nothing to walk on to, nothing lost.
    ClipExportModel three(copyForClipExport(songWithCounts({1, 2, 3}, false)), {});
    three.walkOn();
    EXPECT_EQ(selectedTracks(three), (std::vector<int>{0, 1, 2}));

    ClipExportModel grouped(copyForClipExport(songWithCounts({1, 2, 3, 4, 5, 6}, true)), {});
    grouped.walkOn();
    EXPECT_EQ(grouped.chosenGroup(), 1);
    EXPECT_EQ(grouped.groupTracks().front().name, u"T4");
    grouped.walkOn();
    EXPECT_EQ(grouped.chosenGroup(), 0);
}

TEST(ClipExportModel, InformationLine)
{
    struct Case {
        const char* name;
        std::vector<int32_t> counts;  // of tracks 0..3
        std::vector<int> selected;    // after reset
        ClipOutputMode mode;
        bool sort, exclude, filler;
        std::optional<int> song;
        std::u16string line;
        bool copy;
    };
    const Case cases[] = {
        {"mabimml", {1, 2, 3, 4}, {}, ClipOutputMode::MabiMml, true, false, true, {}, u"すべてのトラックが出力されます。", true},
        {"none", {1, 2, 3, 4}, {}, ClipOutputMode::Game, true, false, true, {}, u"トラックを3つまで選択して下さい。", false},
        {"rank 8", {300, 820, 0, 0}, {0, 1, 2}, ClipOutputMode::Game, true, false, true, {}, u"必要作曲ランク : 8", true},
        {"unsorted", {300, 820, 0, 0}, {0, 1}, ClipOutputMode::Game, false, false, true, {}, u"必要作曲ランク : 作曲不可能", true},
        {"excluded", {1600, 1200, 900, 0}, {0, 1, 2}, ClipOutputMode::Board, false, true, true, {}, u"必要作曲ランク : 1`", true},
        {"song part", {10, 0, 0, 1201}, {0}, ClipOutputMode::Game, true, false, true, 3, u"必要作曲ランク : 作曲不可能", true},
        {"song ignored when excluded", {10, 0, 0, 1201}, {0}, ClipOutputMode::Game, true, true, true, 3, u"必要作曲ランク : 練習`", true},
        {"empty melody", {0, 5, 0, 0}, {0, 1}, ClipOutputMode::Game, false, false, true, {},
         u"必要作曲ランク : 練習\nメロディが空です。音の出ない「<>」を書き込みます。", true},
        {"empty melody, no filler", {0, 5, 0, 0}, {0, 1}, ClipOutputMode::Game, false, false, false, {},
         u"必要作曲ランク : 練習\nメロディが空です。ゲームはこの楽譜を作曲できません。", true},
    };
    for (const Case& c : cases) {
        ClipExportModel::Options options;
        options.sortByLength = c.sort;
        options.excludeSong = c.exclude;
        options.melodyFiller = c.filler;
        ClipExportModel model(copyForClipExport(songWithCounts(c.counts, false)), options);
        model.reset();
        for (int item : c.selected) model.setTrackSelected(item, true);
        model.setOutputMode(c.mode);
        model.setSongTrack(c.song);
        const ClipInformation info = model.information();
        EXPECT_EQ(info.line, c.line) << c.name;
        EXPECT_EQ(info.copyEnabled, c.copy) << c.name;
        EXPECT_EQ(info.listsEnabled, c.mode != ClipOutputMode::MabiMml) << c.name;
    }
}

TEST(ClipExportModel, FourSelectedInAGroupAreRefused)
{
    Song song = songWithCounts({1, 2, 3, 4, 5}, true);
    for (Track& track : song.tracks) track.group = track.used ? 1 : 0;
    ClipExportModel model(copyForClipExport(song), {});
    model.setGroupTrackSelected(3, true);
    EXPECT_EQ(model.information().line, u"トラックが4つ以上選択されています。");
    EXPECT_FALSE(model.information().copyEnabled);
}

TEST(ClipExportModel, ACopyTakesAtMostThreePartsAndTheSongPart)
{
    ClipExportModel model(copyForClipExport(songWithCounts({1, 2, 3, 4}, false)), {});
    model.setSongTrack(3);
    const ClipCopyInput input = clipCopyInput(model, [](int32_t slot) { return std::u16string(1, u'a' + slot); });
    ASSERT_EQ(input.parts.size(), 3u);
    EXPECT_EQ(input.parts[2].text, u"c");
    ASSERT_TRUE(input.song);
    EXPECT_EQ(input.song->text, u"d");
}

TEST(ClipExportModel, ScoreBookScrollsOrWhyThereAreNone)
{
    ClipCopyInput input;
    input.parts.push_back({0, u"long", std::u16string(700, u'c'), 700});
    ClipExportModel::Options options;
    options.bookRank = 1;  // F: 400 melody characters a scroll
    const ClipBookOutcome book = clipBookScrolls({}, input, options);
    ASSERT_EQ(book.scrolls.size(), 2u);
    EXPECT_TRUE(book.message.empty());
    EXPECT_EQ(book.scrolls[0].substr(0, 4), u"MML@");

    input.parts[0].text = std::u16string(3000, u'c');
    const ClipBookOutcome tooMany = clipBookScrolls({}, input, options);
    EXPECT_TRUE(tooMany.scrolls.empty());
    EXPECT_EQ(tooMany.message, u"楽譜集に収まりません。スクロールが 8 枚必要です(最大 5 枚)。");
}

TEST(ClipImport, NamesReadingAndAddingUntilTheSlotsRunOut)
{
    EXPECT_EQ(importedTrackName(u"Part", 2), u"Part2");
    EXPECT_EQ(importedTrackName(u"", 3), u"Track3");

    EXPECT_EQ(readPastedText(u"MML@c,d,e,f;", {}).trackCount, 4);
    EXPECT_EQ(readPastedText(u"MML@c,d,e,f;", {}).kind, PastedKind::Atmark);
    EXPECT_EQ(readPastedText(u"[Settings]\r\n[Channel1]\r\nc\r\n", {}).kind, PastedKind::Document);
    EXPECT_EQ(readPastedText(u"", {}).kind, PastedKind::Nothing);

    Song song = songWithCounts(std::vector<int32_t>(14, 1), false);
    song.tracks[9].used = false;  // slot 9 stays free: it is never used for added tracks
    song.tracks[14].used = true;
    song.trackOrder = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14};
    const ImportAddition added = addImportedTracks(song, {u"c", u"d", u"e"}, u"", 5);
    EXPECT_EQ(added.slots, std::vector<int32_t>{15});
    EXPECT_EQ(added.refused, 2);
    EXPECT_EQ(song.tracks[15].name, u"Track1");
    EXPECT_EQ(song.tracks[15].instrument, 5);
    EXPECT_EQ(song.tracks[15].text, u"c");
}

}  // namespace
}  // namespace zema
