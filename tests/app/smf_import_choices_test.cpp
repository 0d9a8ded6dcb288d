// The MIDI import dialog's decisions without a window, and the names,
// format choice and labels of the exports.
#include <gtest/gtest.h>

#include "app/media_export.h"
#include "app/settings.h"
#include "app/smf_import_choices.h"
#include "core/unicode.h"

namespace zema {
namespace {

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
