#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "app/preferences.h"
#include "document/instrument_definitions.h"
#include "core/strings.h"
#include "core/unicode.h"

namespace zema {
namespace {

constexpr uint32_t kNoPort = 0xFFFFFFFFu;

TEST(PreferencesOutput, EntriesListPortsThenTheSynthesizerWhenItExists)
{
    const std::vector<std::u16string> ports = {u"FLUID Synth", u"Roland SC-88"};
    struct Case {
        std::vector<std::u16string> ports;
        bool synth;
        std::vector<OutputEntry> expected;
    };
    const OutputEntry first{std::u16string(kFirstPortEntryText), 0, kNoPort};
    const OutputEntry general{std::u16string(kSynthGeneralEntryText), 2, kNoPort};
    const OutputEntry bank{std::u16string(kSynthBankEntryText), 1, kNoPort};
    const Case cases[] = {
        {{}, false, {first}},
        {{}, true, {first, general, bank}},
        {ports, false, {first, {ports[0], 0, 0}, {ports[1], 0, 1}}},
        {ports, true, {first, {ports[0], 0, 0}, {ports[1], 0, 1}, general, bank}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(midiOutputEntries(c.ports, c.synth), c.expected) << c.ports.size() << " ports, synth " << c.synth;
    }
}

TEST(PreferencesOutput, InitialSelectionFollowsKindAndPort)
{
    struct Case {
        const char* what;
        int32_t kind;
        uint32_t porta;
        bool synth;
        int entry;
        int32_t kindAfter;
        uint32_t portaAfter;
    };
    // Two ports: entries 0 first port, 1..2 ports, 3 GM set, 4 bank.
    const Case cases[] = {
        {"bank", 1, kNoPort, true, 4, 1, kNoPort},
        {"GM set", 2, 0, true, 3, 2, 0},
        {"second port", 0, 1, true, 2, 0, 1},
        {"first port", 0, 0, false, 1, 0, 0},
        {"first available", 0, kNoPort, true, 0, 0, kNoPort},
        {"port out of range", 0, 2, true, 0, 0, 2},
        {"bank without synthesizer", 1, 1, false, 0, 0, kNoPort},
        {"GM set without synthesizer", 2, kNoPort, false, 0, 0, kNoPort},
    };
    for (const Case& c : cases) {
        Settings settings;
        settings.outputDls = c.kind;
        settings.porta = c.porta;
        EXPECT_EQ(initialOutputEntry(settings, 2, c.synth), c.entry) << c.what;
        EXPECT_EQ(settings.outputDls, c.kindAfter) << c.what;
        EXPECT_EQ(settings.porta, c.portaAfter) << c.what;
    }
}

TEST(PreferencesOutput, ConfirmedEntryBecomesKindAndPort)
{
    struct Case {
        int entry;
        bool synth;
        int32_t kind;
        uint32_t porta;
    };
    const Case cases[] = {
        {-1, true, 0, kNoPort}, {0, true, 0, kNoPort}, {1, true, 0, 0},    {2, true, 0, 1},
        {3, true, 2, kNoPort},  {4, true, 1, kNoPort}, {3, false, 0, kNoPort}, {9, true, 0, kNoPort},
    };
    for (const Case& c : cases) {
        Settings settings;
        settings.outputDls = 1;
        settings.porta = 7;
        applyOutputEntry(settings, c.entry, 2, c.synth);
        EXPECT_EQ(settings.outputDls, c.kind) << "entry " << c.entry << " synth " << c.synth;
        EXPECT_EQ(settings.porta, c.porta) << "entry " << c.entry << " synth " << c.synth;
    }
}

TEST(PreferencesOutput, EveryEntrySurvivesConfirmAndReopen)
{
    for (bool synth : {false, true}) {
        const size_t count = midiOutputEntries({u"a", u"b", u"c"}, synth).size();
        for (int entry = 0; entry < static_cast<int>(count); ++entry) {
            Settings settings;
            applyOutputEntry(settings, entry, 3, synth);
            EXPECT_EQ(initialOutputEntry(settings, 3, synth), entry) << "synth " << synth;
        }
    }
}

TEST(PreferencesDiff, EachSettingTriggersItsFollowUp)
{
    struct Case {
        const char* what;
        std::function<void(PreferencesValues&)> change;
        PreferencesChanges expected;
    };
    const Case cases[] = {
        {"nothing", [](PreferencesValues&) {}, {}},
        {"output kind", [](PreferencesValues& v) { v.settings.outputDls = 2; }, {true, false, false}},
        {"port", [](PreferencesValues& v) { v.settings.porta = 0; }, {true, false, false}},
        {"bank", [](PreferencesValues& v) { v.settings.dlsFilePath = u"/x.sf2"; }, {true, false, false}},
        {"reset", [](PreferencesValues& v) { v.settings.resetType = 2; }, {true, false, false}},
        {"rate", [](PreferencesValues& v) { v.settings.samplingRate = 3; }, {true, false, false}},
        {"channel", [](PreferencesValues& v) { v.settings.dlsChannel = 0; }, {true, false, false}},
        {"volume", [](PreferencesValues& v) { v.settings.dlsVolume = 50; }, {true, false, false}},
        {"reverb", [](PreferencesValues& v) { v.settings.enableReverb = true; }, {true, false, false}},
        {"chorus", [](PreferencesValues& v) { v.settings.enableChorus = true; }, {true, false, false}},
        {"delay", [](PreferencesValues& v) { v.settings.enableDelay = true; }, {true, false, false}},
        {"instruments", [](PreferencesValues& v) { v.settings.instrumentsFile = u"a.def"; }, {false, true, false}},
        {"GM presets", [](PreferencesValues& v) { v.settings.disableGmPresets = true; }, {false, true, false}},
        {"key", [](PreferencesValues& v) { v.keys.assign(32925, {'M', true, false, false}); }, {false, false, true}},
        {"key removed", [](PreferencesValues& v) { v.keys.unassign(32927); }, {false, false, true}},
        {"general only", [](PreferencesValues& v) { v.settings.defaultTrackCount = 5; v.settings.compact = false; },
         {}},
        {"port and presets",
         [](PreferencesValues& v) {
             v.settings.porta = 1;
             v.settings.instrumentsFile = u"b.def";
         },
         {true, true, false}},
    };
    for (const Case& c : cases) {
        PreferencesValues before{Settings{}, defaultAccelerator()};
        PreferencesValues after = before;
        c.change(after);
        EXPECT_EQ(diffPreferences(before, after), c.expected) << c.what;
    }
}

TEST(PreferencesChoices, ListsHoldTheirValuesInOrder)
{
    auto values = [](const std::vector<SettingChoice>& choices) {
        std::vector<int32_t> result;
        for (const SettingChoice& choice : choices) result.push_back(choice.value);
        return result;
    };
    const std::vector<int32_t> timebases = {32, 48, 96, 120, 480, 960};
    EXPECT_EQ(values(defaultTimebaseChoices()), timebases);
    EXPECT_EQ(values(specificTimebaseChoices()), timebases);
    EXPECT_EQ(defaultTimebaseChoices()[2].text, loadString("IDS_CFG_GEN_TPQN_096"));
    EXPECT_EQ(values(frameRateChoices()), (std::vector<int32_t>{30, 60}));
    EXPECT_EQ(values(translucentChoices()), (std::vector<int32_t>{1, 0}));
    EXPECT_EQ(windowStyleChoices()[1].text, u"Office XP 2003 Style");
    EXPECT_EQ(resetTypeEntries().size(), 6u);
    EXPECT_EQ(resetTypeEntries()[5], u"Roland SD-80 Native");
    EXPECT_EQ(samplingRateEntries().size(), 4u);
    EXPECT_EQ(channelEntries().size(), 2u);

    struct Case {
        int32_t value;
        int fallback;
        int index;
    };
    for (const Case& c : {Case{96, 0, 2}, Case{960, 0, 5}, Case{100, 2, 2}, Case{0, -1, -1}}) {
        EXPECT_EQ(choiceIndexOf(defaultTimebaseChoices(), c.value, c.fallback), c.index) << c.value;
    }
}

TEST(PreferencesText, BankFilterOffersDlsAndSoundFont)
{
    // "Name|patterns|All|*.*||": the first entry's patterns take both kinds of bank.
    const std::u16string filter = bankFileFilter();
    const size_t nameEnd = filter.find(u'|');
    ASSERT_NE(nameEnd, std::u16string::npos);
    const std::u16string patterns = filter.substr(nameEnd + 1, filter.find(u'|', nameEnd + 1) - nameEnd - 1);
    EXPECT_NE(patterns.find(u"*.dls"), std::u16string::npos) << utf16ToUtf8(filter);
    EXPECT_NE(patterns.find(u"*.sf2"), std::u16string::npos) << utf16ToUtf8(filter);
    EXPECT_EQ(filter.substr(0, nameEnd), loadString("IDS_CFG_DLS_FILEFILTER").substr(0, nameEnd));
}

TEST(PreferencesInstruments, UsersFileElseTheShippedOne)
{
    const std::filesystem::path settings = "/home/u/.config/zema";
    const std::filesystem::path program = "/opt/zema/bin";
    struct Case {
        std::u16string_view stored;
        std::optional<std::filesystem::path> programDir;
        std::filesystem::path expected;
    };
    const Case cases[] = {
        {u"", program, "/opt/zema/share/zema/Instruments/Mabinogi.def"},
        {u"", std::nullopt, ""},
        {u"Presets\\MSXspirit.def", program, "/home/u/.config/zema/Presets/MSXspirit.def"},
        {u"/own/bank.def", program, "/own/bank.def"},
        {u"/own/bank.def", std::nullopt, "/own/bank.def"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(instrumentsFileToLoad(c.stored, settings, c.programDir), c.expected) << utf16ToUtf8(c.stored);
    }
}

TEST(PreferencesInstruments, ShippedFileLiesInTheBuiltDataFolder)
{
    // zema-cli lies in <build>/bin; the build fills <build>/share/zema beside it.
    const std::filesystem::path bin = std::filesystem::path(ZEMA_CLI_PATH).parent_path();
    std::vector<InstrumentPreset> presets;
    ASSERT_TRUE(loadInstrumentPresets(instrumentsFileToLoad(u"", "/nonexistent", bin), 1033, presets));
    ASSERT_FALSE(presets.empty());
    EXPECT_EQ(presets[0].name, u"Lute");
}

TEST(PreferencesText, ShownValues)
{
    EXPECT_EQ(volumeText(0), u"0%");
    EXPECT_EQ(volumeText(100), u"100%");
    EXPECT_EQ(editorFontText(u"IPAGothic", 12), u"IPAGothic, 12 pt");

    const std::filesystem::path current = std::filesystem::current_path();
    EXPECT_EQ(absolutePathText(u""), u"");
    EXPECT_EQ(absolutePathText(u"/a/b/../c.def"), u"/a/c.def");
    EXPECT_EQ(absolutePathText(u"Presets/MSXspirit.def"),
              utf8ToUtf16((current / "Presets/MSXspirit.def").lexically_normal().string()));
}

}  // namespace
}  // namespace zema
