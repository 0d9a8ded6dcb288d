// Instrument definition files and the INI reader behind them.
#include <gtest/gtest.h>

#include "document/ini_reader.h"
#include "document/instrument_definitions.h"
#include "document/smf_export.h"
#include "core/unicode.h"
#include "document_test_support.h"

namespace zema {
namespace {

std::vector<InstrumentPreset> presetsOf(std::u16string_view text, int32_t languageId)
{
    CIniReader ini;
    ini.loadText(text);
    std::vector<InstrumentPreset> presets;
    readInstrumentPresets(ini, languageId, presets);
    return presets;
}

constexpr std::u16string_view kDefinition =
    u"[Instrument presets]\r\n"
    u"Lute=0,0,1,0,0,0,0\r\n"
    u"Bank=4,9,5,121,1,30,90\r\n"
    u"NoProgram=1,0,0,0,0,0,0\r\n"
    u"TooHigh=1,0,129,0,0,0,0\r\n"
    u"Six=1,2,3,4,5,6\r\n"
    u"Eight=1,2,3,4,5,6,7,8\r\n"
    u"BadBank=1,0,1,128,0,0,0\r\n"
    u"BadRange=1,0,1,0,0,0,-1\r\n"
    u"Spaced = 7, 0, 2, 0, 0, 10, 10\r\n"
    u"lute=9,9,9,9,9,9,9\r\n"
    u"[1041]\r\nLute=リュート\r\nBank=\r\n"
    u"[1033]\r\nlute=Lute (en)\r\n";

TEST(InstrumentDefinitions, SevenFieldRuleAndPatch)
{
    const auto presets = presetsOf(kDefinition, 1041);
    ASSERT_EQ(presets.size(), 3u);
    EXPECT_EQ(presets[0], (InstrumentPreset{0, 0, 0, 0, 0, 0, u"リュート"}));
    EXPECT_EQ(presets[1], (InstrumentPreset{4, 9, 4, 121, 1, 121 * 65536 + 256 + 4, u"Bank"}));
    EXPECT_EQ(presets[2].name, u"Spaced");
    EXPECT_EQ(presets[2].program, 1);
}

TEST(InstrumentDefinitions, LanguageSectionNamesOrKeys)
{
    EXPECT_EQ(presetsOf(kDefinition, 1033)[0].name, u"Lute (en)");
    EXPECT_EQ(presetsOf(kDefinition, 1042)[0].name, u"Lute");
}

TEST(InstrumentDefinitions, ListItems)
{
    const auto items = instrumentListItems(presetsOf(kDefinition, 1041), true);
    ASSERT_EQ(items.size(), 3u + 128u);
    EXPECT_EQ(items[0].text, u"001: リュート");
    EXPECT_EQ(items[1].text, u"005: Bank");
    EXPECT_TRUE(items[1].preset);
    EXPECT_EQ(items[3].text, u"001: Acoustic Grand Piano   ");
    EXPECT_EQ(items[3].data, 0);
    EXPECT_FALSE(items[3].preset);
    EXPECT_EQ(items.back().text, u"128: Gunshot                ");
    for (int program = 0; program < 128; ++program) EXPECT_EQ(gmProgramName(program).size(), 23u) << program;
    EXPECT_EQ(gmProgramName(52), u"Choir \"ahh\"            ");
    EXPECT_EQ(instrumentListItems({}, false).size(), 0u);
    // The largest preset number still shows as its successor.
    EXPECT_EQ(instrumentListItems(presetsOf(u"[Instrument presets]\nBig=2147483647,0,1,0,0,0,0\n", 1041), false)[0].text,
              u"2147483648: Big");
}

TEST(InstrumentDefinitions, UnreadableFileGivesEmptyList)
{
    std::vector<InstrumentPreset> presets{InstrumentPreset{}};
    EXPECT_FALSE(loadInstrumentPresets("/nonexistent/x.def", 1041, presets));
    EXPECT_TRUE(presets.empty());

    test::TempFolder folder;
    test::writeBytes(folder / "bank.def", "[Instrument presets]\r\n\x83\x8a=0,0,1,0,0,0,0\r\n");  // "リ" in CP932
    ASSERT_TRUE(loadInstrumentPresets(folder / "bank.def", 1041, presets));
    ASSERT_EQ(presets.size(), 1u);
    EXPECT_EQ(presets[0].name, u"リ");
}

// The instrument file shipped with the program: every entry reads back, named
// in each shipped language, and the game's seven instruments keep the programs
// the player sends for them.
TEST(ShippedInstruments, EveryEntryReadsBackInEachLanguage)
{
    const std::filesystem::path file = std::filesystem::path(ZEMA_SOURCE_DIR) / "resources/instruments/Mabinogi.def";
    CIniReader ini;
    ASSERT_TRUE(ini.loadFile(file));
    const std::vector<std::u16string> keys = ini.keys(u"Instrument presets");
    ASSERT_GE(keys.size(), 15u);

    struct Language {
        int32_t id;
        std::u16string_view section;
    };
    std::vector<InstrumentPreset> japanese, english, korean;
    for (const auto& [language, presets] : {std::pair{Language{1041, u"1041"}, &japanese},
                                            {Language{1033, u"1033"}, &english}, {Language{1042, u"1042"}, &korean}}) {
        ASSERT_TRUE(loadInstrumentPresets(file, language.id, *presets));
        ASSERT_EQ(presets->size(), keys.size()) << language.id;  // no value dropped
        for (size_t i = 0; i < presets->size(); ++i) {
            SCOPED_TRACE(utf16ToUtf8(keys[i]) + " in " + std::to_string(language.id));
            EXPECT_FALSE(ini.value(language.section, keys[i]).value_or(u"").empty());
            EXPECT_EQ((*presets)[i].name.find(u'\uFFFD'), std::u16string::npos);
            EXPECT_EQ((*presets)[i].preset, static_cast<int32_t>(i));
        }
    }

    struct BuiltIn {
        std::u16string_view japanese, english, korean;
    };
    constexpr BuiltIn kBuiltIns[] = {
        {u"リュート", u"Lute", u"류트"},         {u"ウクレレ", u"Ukulele", u"우쿨렐레"},
        {u"マンドリン", u"Mandolin", u"만돌린"}, {u"フルート", u"Flute", u"플루트"},
        {u"ホイッスル", u"Whistle", u"휘슬"},    {u"シャルーモ", u"Chalumeau", u"샬루모"},
        {u"ロンカドーラ", u"Roncadora", u"롱카도라"},
    };
    for (int32_t instrument = 0; instrument < 7; ++instrument) {
        const auto i = static_cast<size_t>(instrument);
        EXPECT_EQ(japanese[i].program, programOfInstrument(instrument)) << instrument;
        EXPECT_EQ(japanese[i].patch, programOfInstrument(instrument)) << instrument;
        EXPECT_EQ(japanese[i].name, kBuiltIns[i].japanese) << instrument;
        EXPECT_EQ(english[i].name, kBuiltIns[i].english) << instrument;
        EXPECT_EQ(korean[i].name, kBuiltIns[i].korean) << instrument;
        // Another instrument on a built-in's program would turn into that built-in when chosen.
        for (size_t other = 7; other < japanese.size(); ++other) {
            EXPECT_NE(japanese[other].program, programOfInstrument(instrument)) << utf16ToUtf8(keys[other]);
        }
    }
}

TEST(IniReader, SectionsKeysAndValues)
{
    CIniReader ini;
    ini.loadText(u"top=ignored\r\n[Main Window]\r\n; comment\r\nWidth = 800 \r\nwidth=1\r\n\r\n[other]\r\nk=v\r\n"
                 u"[MAIN WINDOW]\r\nHeight=600\r\nbroken line\r\n=empty key\r\n");
    EXPECT_EQ(ini.value(u"main window", u"WIDTH"), u"800");
    EXPECT_EQ(ini.value(u"Main Window", u"Height"), u"600");
    EXPECT_EQ(ini.keys(u"main window"), (std::vector<std::u16string>{u"Width", u"Height"}));
    EXPECT_FALSE(ini.value(u"other", u"missing"));
    EXPECT_FALSE(ini.hasSection(u"none"));
    EXPECT_TRUE(ini.keys(u"none").empty());
}

}  // namespace
}  // namespace zema
