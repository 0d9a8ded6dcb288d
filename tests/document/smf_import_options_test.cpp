// The import dialog's model: profiles, selection rules and checks, the track
// list, the information line and the stored settings.
#include <gtest/gtest.h>

#include "core/unicode.h"
#include "document/ini_reader.h"
#include "document/smf_import_options.h"
#include "document/smf_track_list.h"
#include "smf_test_support.h"

namespace zema {
namespace {

using test::midiFile;
using test::MidiTrack;

std::vector<std::string> entryTexts(const std::string& bytes)
{
    std::vector<std::string> out;
    const auto list = scanSmfTracks(bytes);
    EXPECT_TRUE(list.has_value());
    if (list) {
        for (const SmfTrackEntry& entry : list->entries) out.push_back(utf16ToUtf8(entry.text));
    }
    return out;
}

TEST(SmfTrackList, EntriesOfEachFormat)
{
    // Format 0: one entry per used channel, the drum channel left out by auto selection.
    const std::string format0 = midiFile(0, 96, {MidiTrack().on(0, 9, 36).on(0, 0, 60).off(96, 0, 60).end()});
    EXPECT_EQ(entryTexts(format0), (std::vector<std::string>{" 1 : A01", "10 : A10"}));
    const auto list = scanSmfTracks(format0);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->entries[1].listIndex, 9);
    EXPECT_EQ(autoSelection(list->texts()), (std::vector<bool>{true, false}));

    // Formats 1 and 2: port letter and channel of the first channel message,
    // the name given before it; "---" without a channel or past port Z.
    MidiTrack conductor;
    conductor.meta(0, 0x03, "Conductor").end();
    MidiTrack bass;
    bass.meta(0, 0x21, "\x01").meta(0, 0x03, "Bass").event(0, {0xC2, 33}).meta(0, 0x03, "Later").end();
    MidiTrack far;
    far.meta(0, 0x21, "\x1A").meta(0, 0x03, "Far").on(0, 0, 60).end();
    EXPECT_EQ(entryTexts(midiFile(2, 96, {conductor, bass, far})),
              (std::vector<std::string>{" 1 : --- Conductor", " 2 : B03 Bass", " 3 : --- Far"}));

    EXPECT_FALSE(scanSmfTracks("MThd").has_value());
}

TEST(SmfImportOptions, ProfilesSetOptionsAndSelection)
{
    struct Row {
        SmfImportProfile profile;
        const char16_t* name;
        bool program, control, pitch, velocity, comment, sysEx, channel, reduceRest, spread, spreadControl;
        SmfTrackSelectionRule rule;
    };
    using R = SmfTrackSelectionRule;
    const Row rows[] = {
        {SmfImportProfile::MabinogiNormal, u"マビノギ 通常", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, R::Auto},
        {SmfImportProfile::MabinogiSaving, u"マビノギ 文字数節約", 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, R::Auto},
        {SmfImportProfile::MabinogiChord, u"マビノギ 和音再現", 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, R::Clear},
        {SmfImportProfile::ExtendedMulti, u"拡張 多数トラック", 1, 1, 0, 1, 1, 1, 1, 0, 0, 0, R::Auto},
        {SmfImportProfile::ExtendedSingle, u"拡張 単体トラック精密", 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, R::Clear},
    };
    for (const Row& row : rows) {
        SmfImportOptions options;
        options.quantizeValue = 16;
        EXPECT_EQ(applyProfile(row.profile, options), row.rule);
        EXPECT_EQ(profileName(row.profile), row.name);
        const SmfImportOptions expected{row.program, row.control,    row.pitch,  row.velocity,
                                        row.comment, row.sysEx,      row.channel, row.reduceRest,
                                        row.spread,  row.spreadControl, 16};
        EXPECT_EQ(options, expected) << utf16ToUtf8(row.name);
    }
    SmfImportOptions custom;
    custom.pitchBend = true;
    const SmfImportOptions before = custom;
    EXPECT_EQ(applyProfile(SmfImportProfile::Custom, custom), R::Unchanged);
    EXPECT_EQ(custom, before);
    EXPECT_EQ(profileName(SmfImportProfile::Custom), u"カスタム");

    const std::vector<std::u16string> entries{u" 1 : A01", u"10 : A10", u" 2 : A02"};
    EXPECT_EQ(applySelectionRule(R::Auto, entries, {}), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(applySelectionRule(R::Clear, entries, {true, true, true}), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(applySelectionRule(R::Unchanged, entries, {false, true}), (std::vector<bool>{false, true, false}));
}

TEST(SmfImportOptions, SelectionCheckMessages)
{
    EXPECT_EQ(checkTrackSelection({false, false}, false), u"トラックが選択されていません。");
    EXPECT_EQ(checkTrackSelection({}, true), u"トラックが選択されていません。");
    EXPECT_EQ(checkTrackSelection({true, true}, true),
              u"1MIDIトラック→複数MMLトラック変換では\nトラックを１つだけ選択してください。");
    EXPECT_EQ(checkTrackSelection({false, true}, true), std::nullopt);
    EXPECT_EQ(checkTrackSelection(std::vector<bool>(16, true), false), std::nullopt);
    EXPECT_EQ(checkTrackSelection(std::vector<bool>(17, true), false), u"トラックは最大で16まで選択してください。");
}

TEST(SmfImportOptions, QuantizeInformationAndSettings)
{
    EXPECT_EQ(quantizeUnit(480, 16), 120);
    EXPECT_EQ(quantizeUnit(1, 64), 1);  // never a grid of 0 ticks
    EXPECT_EQ(importInformationText(480, 16), u"分解能 : 480 TPQN\nクオンタイズ単位 : 120 tick");
    EXPECT_EQ(importInformationText(100, 64), u"分解能 : 100 TPQN\nクオンタイズ単位 : 6.25 tick\n*変換誤差*");
    EXPECT_EQ(quantizeItemTexts(),
              (std::vector<std::u16string>{u"4分音符", u"8分音符", u"16分音符", u"32分音符", u"64分音符"}));
    EXPECT_EQ(normalizeQuantizeValue(8), 8);
    EXPECT_EQ(normalizeQuantizeValue(12), 32);

    CIniReader settings;
    settings.loadText(u"[SMF Import Settings]\r\nprogramchange=0\r\nPitchBend=1\r\nSpreadTrack=1\r\n"
                      u"QuantizeValue=7\r\nVelocity=x\r\n");
    SmfImportOptions options;
    options.channel = true;
    readSmfImportSettings(settings, options);
    SmfImportOptions expected;
    expected.programChange = false;
    expected.pitchBend = true;
    expected.spreadTrack = true;
    expected.velocity = false;  // not a number: read as 0
    expected.quantizeValue = 32;
    expected.channel = true;  // never stored, so kept
    EXPECT_EQ(options, expected);

    const auto entries = smfImportSettingsEntries(expected);
    ASSERT_EQ(entries.size(), 10u);
    EXPECT_EQ(entries.front(), (std::pair<std::u16string, int32_t>{u"ProgramChange", 0}));
    EXPECT_EQ(entries.back(), (std::pair<std::u16string, int32_t>{u"QuantizeValue", 32}));
}

}  // namespace
}  // namespace zema
