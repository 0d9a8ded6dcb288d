// The dialogs' rules without a window: the clipboard export and import, the
// MIDI import, and the names, format choice and labels of the exports.
#include <gtest/gtest.h>

#include "app/clip_export_model.h"
#include "app/clip_import.h"
#include "app/media_export.h"
#include "app/settings.h"
#include "app/smf_import_choices.h"
#include "core/song.h"
#include "core/unicode.h"

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

// ---- MIDI import and the exports -------------------------------------------

SmfTrackList listOf(std::initializer_list<const char16_t*> texts, int32_t timebase = 96)
{
    SmfTrackList list;
    list.header.format = 1;
    list.header.timebase = timebase;
    int32_t index = 0;
    for (const char16_t* text : texts) list.entries.push_back({text, index++});
    return list;
}

std::vector<bool> flags(std::initializer_list<int> bits)
{
    std::vector<bool> out;
    for (int bit : bits) out.push_back(bit != 0);
    return out;
}

TEST(SmfImportChoices, EveryOptionHasItsOwnSettingAndCheckBox)
{
    struct Row {
        SmfOption option;
        bool Settings::*setting;
        const char* symbol;
    };
    const Row rows[] = {
        {SmfOption::Program, &Settings::smfProgramChange, "IDC_CHK_PROGRAM"},
        {SmfOption::Control, &Settings::smfControlChange, "IDC_CHK_CONTROL"},
        {SmfOption::Pitch, &Settings::smfPitchBend, "IDC_CHK_PITCH"},
        {SmfOption::Velocity, &Settings::smfVelocity, "IDC_CHK_VELOCITY"},
        {SmfOption::Comment, &Settings::smfMidiText, "IDC_CHK_COMMENT"},
        {SmfOption::SysEx, &Settings::smfSysEx, "IDC_CHK_SYSEX"},
        {SmfOption::Channel, &Settings::smfChannel, "IDC_CHK_CHANNEL"},
        {SmfOption::ReduceRest, &Settings::smfReduceRest, "IDC_CHK_REDUCE_REST"},
        {SmfOption::Spread, &Settings::smfSpreadTrack, "IDC_CHK_SPREAD"},
        {SmfOption::SpreadControl, &Settings::smfSpreadControl, "IDC_CHK_SPREAD_CTRL"},
    };
    for (const Row& row : rows) {
        Settings settings;
        for (const Row& other : rows) settings.*other.setting = false;
        settings.*row.setting = true;
        const SmfImportChoices choices(listOf({u" 1 : A01"}), smfImportOptionsOf(settings));
        for (const Row& other : rows) {
            EXPECT_EQ(choices.option(other.option), &other == &row) << row.symbol << " read as " << other.symbol;
        }
        EXPECT_STREQ(smfOptionSymbol(row.option), row.symbol);

        Settings stored;
        for (const Row& other : rows) stored.*other.setting = false;
        storeSmfImportOptions(choices.options(), stored);
        for (const Row& other : rows) EXPECT_EQ(stored.*other.setting, &other == &row) << row.symbol;
    }
}

TEST(SmfImportChoices, QuantizeListAndItsStoredValue)
{
    // The stored value picks its item; one that is not offered picks 32.
    for (const auto& [stored, index] : {std::pair{4, 0}, std::pair{16, 2}, std::pair{64, 4}, std::pair{12, 3}}) {
        Settings settings;
        settings.smfQuantizeValue = stored;
        EXPECT_EQ(SmfImportChoices(listOf({u" 1 : A01"}), smfImportOptionsOf(settings)).quantizeIndex(), index)
            << stored;
    }
    SmfImportChoices choices(listOf({u" 1 : A01"}, 120), SmfImportOptions{});
    choices.chooseQuantize(1);
    choices.chooseQuantize(5);  // no such item
    EXPECT_EQ(utf16ToUtf8(choices.information()), "分解能 : 120 TPQN\nクオンタイズ単位 : 60 tick");
    Settings stored;
    storeSmfImportOptions(choices.options(), stored);
    EXPECT_EQ(stored.smfQuantizeValue, 8);
}

TEST(SmfImportChoices, ProfilesSetTheSelectionAndWhichBoxesCanBeClicked)
{
    struct Row {
        SmfImportProfile profile;
        std::vector<bool> selection;
        bool spread;
        bool spreadControlEnabled;
    };
    // The list opens with the automatic selection; the user changed it to the first entry only.
    const std::vector<bool> user = flags({1, 0, 0, 0});
    const Row rows[] = {
        {SmfImportProfile::Custom, user, false, false},
        {SmfImportProfile::MabinogiNormal, flags({1, 0, 1, 1}), false, false},
        {SmfImportProfile::MabinogiSaving, flags({1, 0, 1, 1}), false, false},
        {SmfImportProfile::MabinogiChord, flags({0, 0, 0, 0}), true, true},
        {SmfImportProfile::ExtendedMulti, flags({1, 0, 1, 1}), false, false},
        {SmfImportProfile::ExtendedSingle, flags({0, 0, 0, 0}), true, true},
    };
    for (const Row& row : rows) {
        SmfImportChoices choices(listOf({u" 1 : A01 Piano", u" 2 : A10 Drums", u" 3 : --- Conductor", u" 4 : B10"}),
                                 SmfImportOptions{});
        EXPECT_EQ(choices.selection(), flags({1, 0, 1, 1}));
        for (size_t i = 1; i < 4; ++i) choices.setSelected(i, false);
        choices.chooseProfile(row.profile);
        const int profile = static_cast<int>(row.profile);
        EXPECT_EQ(choices.profile(), row.profile);
        EXPECT_EQ(choices.selection(), row.selection) << profile;
        EXPECT_EQ(choices.option(SmfOption::Spread), row.spread) << profile;
        EXPECT_EQ(choices.enabled(SmfOption::SpreadControl), row.spreadControlEnabled) << profile;
        EXPECT_TRUE(choices.enabled(SmfOption::Spread));
    }
}

TEST(SmfImportChoices, ABoxClickedAfterAProfileShowsCustom)
{
    SmfImportChoices choices(listOf({u" 1 : A01"}), SmfImportOptions{});
    choices.chooseProfile(SmfImportProfile::MabinogiNormal);
    choices.setOption(SmfOption::Pitch, false);  // unchanged: still the profile's options
    EXPECT_EQ(choices.profile(), SmfImportProfile::MabinogiNormal);
    choices.setOption(SmfOption::Spread, true);
    EXPECT_EQ(choices.profile(), SmfImportProfile::Custom);
    EXPECT_TRUE(choices.enabled(SmfOption::SpreadControl));
    choices.setOption(SmfOption::SpreadControl, true);
    choices.setOption(SmfOption::Spread, false);
    EXPECT_FALSE(choices.enabled(SmfOption::SpreadControl));
    EXPECT_TRUE(choices.option(SmfOption::SpreadControl));  // kept for the next time spreading is on
}

TEST(MediaExport, ProposedNamesAndTheFormatOfAFilterEntry)
{
    struct Row {
        const char* path;
        const char* title;
        const char* midi;
        const char* wave;
    };
    const Row rows[] = {
        {"/songs/tune.mml", "Title", "/songs/tune", "/songs/tune.wav"},
        {"/songs/v1.2/tune", "", "/songs/v1.2/tune", "/songs/v1.2/tune.wav"},
        {"", "Song", "Song", "Song.wav"},
        {"", "A/B: C?", "A_B_ C_", "A_B_ C_.wav"},  // a title never names a folder
        {"", "", "名称未設定", "名称未設定.wav"},
    };
    for (const Row& row : rows) {
        const std::u16string path = utf8ToUtf16(row.path);
        const std::u16string title = utf8ToUtf16(row.title);
        EXPECT_EQ(utf16ToUtf8(proposedSmfExportName(path, title)), row.midi) << row.path << row.title;
        EXPECT_EQ(utf16ToUtf8(proposedWaveExportName(path, title)), row.wave) << row.path << row.title;
    }
    EXPECT_EQ(smfFormatOfFilter(0), 1);
    EXPECT_EQ(smfFormatOfFilter(1), 0);
    EXPECT_EQ(smfFormatOfFilter(2), 1);
}

TEST(MediaExport, WaveSettingsAndElapsedTime)
{
    struct Row {
        int32_t kind;
        const char16_t* bank;
        const char* rendered;  // "" = the General MIDI set
    };
    const Row rows[] = {{0, u"", ""}, {0, u"/b/game.dls", "/b/game.dls"}, {1, u"/b/game.dls", "/b/game.dls"},
                        {2, u"/b/game.dls", ""}};
    for (const Row& row : rows) {
        Settings settings;
        settings.outputDls = row.kind;
        settings.dlsFilePath = row.bank;
        settings.samplingRate = 3;
        settings.dlsChannel = 0;
        settings.enableReverb = true;
        settings.dlsVolume = 70;
        settings.resetType = 2;
        const RenderOptions options = waveRenderOptionsOf(settings);
        EXPECT_EQ(options.bankPath, row.rendered) << row.kind;
        EXPECT_EQ(options.synth.sampleRate, 44100u);
        EXPECT_EQ(options.synth.channels, 1u);
        EXPECT_TRUE(options.synth.reverb);
        EXPECT_FALSE(options.synth.chorus);
        EXPECT_EQ(options.synth.volume, 70);
        EXPECT_EQ(options.resetType, 2);
    }
    EXPECT_EQ(utf16ToUtf8(waveExportTimeText(0)), "出力時間 00:00.000");
    EXPECT_EQ(utf16ToUtf8(waveExportTimeText(59999)), "出力時間 00:59.999");
    EXPECT_EQ(utf16ToUtf8(waveExportTimeText((61 * 60 + 5) * 1000 + 250)), "出力時間 61:05.250");
}

}  // namespace
}  // namespace zema
