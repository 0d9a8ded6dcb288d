#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/locale_id.h"
#include "app/multi_language.h"
#include "app/resource_symbols.h"
#include "app_test_support.h"
#include "core/unicode.h"
#include "document/text_encoding.h"

namespace zema {
namespace {

using test::TempFolder;
using test::writeBytes;

const std::string kVersionLine = "Version={6C578524-B2AA-4696-AE76-D491B55679E8}\n";

// A language file with the given Information lines and body.
std::string languageFile(const std::string& information, const std::string& body = "")
{
    return "[Information]\n" + kVersionLine + information + "\n" + body;
}

std::string englishFile(const std::string& body = "")
{
    return languageFile("Language=en-US\nLanguageName=English\nLCID=0x0409", body);
}

std::u16string builtIn(std::string_view symbol) { return std::u16string(findString(symbol)->text); }

// Every test starts and ends in the built-in language, whatever it loaded.
class MultiLanguage : public ::testing::Test {
protected:
    void TearDown() override
    {
        setStringOverrides(nullptr);
        setWindowTextOverrides(nullptr);
    }
};

TEST_F(MultiLanguage, PartialFileTranslatesOnlyWhatItNamesAndUnloadRestores)
{
    TempFolder folder;
    const auto path = folder / "English.lng";
    writeBytes(path, englishFile("TranslatedBy=Someone \\\"X\\\"\n"
                                 "[Global]\n"
                                 "IDS_ERR_FILEOPEN=Could not open the file.\\nTry again.\\tC:\\\\x\n"
                                 "ids_main_untitled=Untitled\n"
                                 "IDS_NOT_A_STRING=ignored\n"
                                 "IDS_ERR_FILESAVE=\n"
                                 "[Main Window Menu]\n"
                                 "IDM_FILE_NEW=&New\n"
                                 "IDB_NOT_A_WINDOW_TEXT=ignored\n"
                                 "IDS_ERR_FILEOPEN=ignored: strings belong to Global\n"));
    const auto fileOpen = findString("IDS_ERR_FILEOPEN");
    ASSERT_NE(fileOpen, nullptr);

    const std::u16string builtInNew = windowText(u"Main Window Menu", "IDM_FILE_NEW");
    CMultiLanguage language;
    ASSERT_TRUE(language.loadLanguage(path));
    EXPECT_TRUE(language.isLoaded());
    EXPECT_EQ(language.path(), path);
    EXPECT_EQ(language.language(), u"en-US");
    EXPECT_EQ(language.languageName(), u"English");
    EXPECT_EQ(language.translatedBy(), u"Someone \"X\"");
    EXPECT_EQ(language.lcid(), 1033u);
    EXPECT_EQ(language.strings().size(), 2u);

    const std::u16string translated = u"Could not open the file.\nTry again.\tC:\\x";
    EXPECT_EQ(loadString("IDS_ERR_FILEOPEN"), translated);
    EXPECT_EQ(loadString(fileOpen->id), translated);
    EXPECT_EQ(loadString("IDS_MAIN_UNTITLED"), u"Untitled");
    // An empty value and an untouched string keep the built-in text.
    EXPECT_EQ(loadString("IDS_ERR_FILESAVE"), builtIn("IDS_ERR_FILESAVE"));
    EXPECT_EQ(loadString("IDS_ERR_SMFPARSE"), builtIn("IDS_ERR_SMFPARSE"));

    EXPECT_EQ(windowText(u"Main Window Menu", "IDM_FILE_NEW"), u"&New");
    EXPECT_EQ(windowText(u"main window menu", "idm_file_new"), u"&New");
    ASSERT_EQ(language.windowTexts().size(), 1u);
    EXPECT_EQ(language.windowTexts().begin()->second.size(), 1u);
    // Names the file leaves out stay built-in.
    for (const WindowText& text : findWindowTexts(u"Main Window Menu")->texts) {
        if (text.name == "IDM_FILE_NEW") continue;
        EXPECT_EQ(windowText(u"Main Window Menu", text.name), text.text) << text.name;
    }

    language.unloadLanguage();
    EXPECT_FALSE(language.isLoaded());
    EXPECT_TRUE(language.path().empty());
    EXPECT_EQ(language.lcid(), 0u);
    EXPECT_EQ(loadString("IDS_ERR_FILEOPEN"), builtIn("IDS_ERR_FILEOPEN"));
    EXPECT_EQ(windowText(u"Main Window Menu", "IDM_FILE_NEW"), builtInNew);
}

TEST_F(MultiLanguage, WindowSectionsAcceptTheirTableAndControlSymbolsOnly)
{
    // One symbol of each group that the window's own table does not name.
    const std::map<SymbolGroup, bool> accepted = {
        {SymbolGroup::Button, true},     {SymbolGroup::Control, true}, {SymbolGroup::Dialog, true},
        {SymbolGroup::Menu, true},       {SymbolGroup::Indicator, false}, {SymbolGroup::Bitmap, false},
        {SymbolGroup::Icon, false},      {SymbolGroup::Resource, false},  {SymbolGroup::String, false},
    };
    std::map<SymbolGroup, int> tried;
    for (const ResourceSymbol& symbol : resourceSymbols()) {
        if (findWindowText(u"Wave Export", symbol.name) || tried[symbol.group]++ > 0) continue;
        EXPECT_EQ(isWindowTextName(u"Wave Export", symbol.name), accepted.at(symbol.group)) << symbol.name;
    }
    EXPECT_EQ(tried.size(), accepted.size());
    EXPECT_FALSE(isWindowTextName(u"Wave Export", "NO_SUCH_NAME"));
    EXPECT_FALSE(isWindowTextName(u"Wave Export", ""));
    // Every name of a built-in table is known in its own window.
    for (const WindowTexts& window : builtInWindowTexts()) {
        for (const WindowText& text : window.texts) EXPECT_TRUE(isWindowTextName(window.key, text.name)) << text.name;
    }
}

std::string utf16Bytes(std::u16string_view text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t c : text) {
        const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

TEST_F(MultiLanguage, ReadsEveryEncodingTheDocumentReaderDetects)
{
    const std::u16string text = utf8ToUtf16(languageFile("LanguageName=日本語テスト\nLCID=1041",
                                                         "[Global]\nIDS_MAIN_UNTITLED=無題の曲\n"));
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + utf16ToUtf8(text)},
        {"UTF-8", utf16ToUtf8(text)},
        {"UTF-16LE", utf16Bytes(text, false)},
        {"UTF-16BE", utf16Bytes(text, true)},
        {"CP932", encodeAnsi(text).value()},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        const auto path = folder / "file.lng";
        writeBytes(path, c.bytes);
        CMultiLanguage language;
        ASSERT_TRUE(language.loadLanguage(path)) << c.name;
        EXPECT_EQ(language.languageName(), u"日本語テスト") << c.name;
        EXPECT_EQ(loadString("IDS_MAIN_UNTITLED"), u"無題の曲") << c.name;
        const auto listed = CMultiLanguage::findLanguageFiles(folder.path());
        ASSERT_EQ(listed.size(), 1u) << c.name;
        EXPECT_EQ(listed[0].lcid, 1041u) << c.name;
    }
}

TEST_F(MultiLanguage, WrongVersionIsNeitherListedNorLoadedAndKeepsTheCurrentLanguage)
{
    const std::string versions[] = {
        "Version={6C578524-B2AA-4696-AE76-D491B55679E9}",  // last digit off
        "Version={6c578524-b2aa-4696-ae76-d491b55679e8}",  // case differs
        "Version=6C578524-B2AA-4696-AE76-D491B55679E8",
        "Version={6C578524-B2AA-4696-AE76-D491B55679E8}x",
        "Version=",
        "",
    };
    TempFolder folder;
    const auto good = folder / "A-good.lng";
    writeBytes(good, englishFile("[Global]\nIDS_MAIN_UNTITLED=Untitled\n"));
    CMultiLanguage language;
    ASSERT_TRUE(language.loadLanguage(good));
    for (const std::string& version : versions) {
        const auto bad = folder / "B-bad.lng";
        writeBytes(bad, "[Information]\n" + version + "\nLCID=1033\n[Global]\nIDS_MAIN_UNTITLED=Bad\n");
        const auto listed = CMultiLanguage::findLanguageFiles(folder.path());
        ASSERT_EQ(listed.size(), 1u) << version;
        EXPECT_EQ(listed[0].path, good) << version;
        EXPECT_FALSE(language.loadLanguage(bad)) << version;
        EXPECT_EQ(language.path(), good) << version;
        EXPECT_EQ(loadString("IDS_MAIN_UNTITLED"), u"Untitled") << version;
    }
    // The identifier outside [Information] does not count either.
    writeBytes(folder / "B-bad.lng", "[Global]\n" + kVersionLine);
    EXPECT_FALSE(language.loadLanguage(folder / "B-bad.lng"));
    EXPECT_FALSE(language.loadLanguage(folder / "missing.lng"));
    EXPECT_FALSE(language.loadLanguage(folder.path()));
    EXPECT_EQ(language.path(), good);
}

TEST(LocaleId, ParsesDecimalAndHexadecimalOnly)
{
    struct Case {
        std::u16string_view text;
        uint32_t lcid;
    };
    const Case cases[] = {
        {u"0x0409", 1033}, {u"1033", 1033}, {u"0X411", 1041}, {u"0x411", 1041}, {u"0xabcd", 0xABCD},
        {u"0", 0},         {u"", 0},        {u"0x", 0},       {u"12ab", 0},     {u"x409", 0},
        {u"-1033", 0},     {u"+1033", 0},   {u" 1033", 0},    {u"1033 ", 0},    {u"0x0409g", 0},
        {u"4294967295", 4294967295u},       {u"4294967296", 0}, {u"0xFFFFFFFF", 0xFFFFFFFFu},
        {u"0x100000000", 0},                {u"99999999999999999999999", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(parseLcid(c.text), c.lcid) << utf16ToUtf8(c.text);
}

TEST(LocaleId, MapsLocaleTagsToWindowsIdentifiers)
{
    struct Case {
        std::string_view tag;
        uint32_t lcid;
    };
    const Case cases[] = {
        {"ja", 1041},         {"ja-JP", 1041},       {"ja_JP.UTF-8", 1041},   {"JA_jp.eucJP", 1041},
        {"en", 1033},         {"en-US", 1033},       {"en-GB", 2057},         {"en_GB.UTF-8", 2057},
        {"en-AU", 3081},      {"en-XX", 1033},       {"en-US-u-ca-gregory", 1033},
        {"ko", 1042},         {"ko-KR", 1042},       {"zh-CN", 2052},         {"zh-TW", 1028},
        {"zh-Hant", 1028},    {"zh-Hans", 2052},     {"zh-Hant-HK", 3076},    {"zh-Hans-CN", 2052},
        {"zh", 2052},         {"zh_TW.Big5", 1028},  {"de", 1031},            {"de-DE", 1031},
        {"de_AT", 3079},      {"de_DE@euro", 1031},  {"fr", 1036},            {"fr-CA", 3084},
        {"es", 3082},         {"es-MX", 2058},       {"it", 1040},            {"pt", 1046},
        {"pt-BR", 1046},      {"pt-PT", 2070},       {"ru", 1049},            {"ru_RU.KOI8-R", 1049},
        {"nb-NO", 1044},      {"pl", 1045},
        {"C", 0},             {"POSIX", 0},          {"C.UTF-8", 0},          {"", 0},
        {"xx-YY", 0},         {"klingon", 0},        {"-US", 0},              {"1033", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(lcidOfLocaleTag(c.tag), c.lcid) << c.tag;
}

TEST(LocaleId, UserTagFollowsTheLocaleVariablesPrecedence)
{
    struct Case {
        std::map<std::string, std::string> variables;
        std::string tag;
    };
    const Case cases[] = {
        {{{"LC_ALL", "de_DE.UTF-8"}, {"LC_MESSAGES", "fr_FR"}, {"LANG", "ja_JP"}}, "de_DE.UTF-8"},
        {{{"LC_ALL", ""}, {"LC_MESSAGES", "fr_FR"}, {"LANG", "ja_JP"}}, "fr_FR"},
        {{{"LANG", "ko_KR.UTF-8"}}, "ko_KR.UTF-8"},
        {{}, ""},
    };
    for (const Case& c : cases) {
        const EnvironmentLookup lookup = [&](const char* name) -> std::optional<std::string> {
            const auto found = c.variables.find(name);
            if (found == c.variables.end()) return std::nullopt;
            return found->second;
        };
        EXPECT_EQ(userLocaleTag(lookup), c.tag);
    }
}

// A data folder and a user's folder, each a Languages folder under its own base.
struct LanguageTree {
    TempFolder root;
    std::filesystem::path data = root / "share/zema/Languages";
    std::filesystem::path user = root / "config/Languages";
    std::vector<std::filesystem::path> folders{data, user};

    LanguageTree()
    {
        std::filesystem::create_directories(data);
        std::filesystem::create_directories(user);
    }
    void add(const std::filesystem::path& folder, const std::string& name, const std::string& lcid,
             const std::string& untitled)
    {
        writeBytes(folder / name, languageFile("LCID=" + lcid, "[Global]\nIDS_MAIN_UNTITLED=" + untitled + "\n"));
    }
};

TEST_F(MultiLanguage, StartupChoiceFollowsSettingThenUserLanguageThenEnglish)
{
    struct Case {
        const char* name;
        std::vector<std::string> files;  // "data:" or "user:" + file name + ":" + LCID
        std::string stored;
        uint32_t user;
        LanguageChoiceReason reason;
        std::string chosen;  // file name, "" for built-in
    };
    const Case cases[] = {
        {"Japanese desktop, English file, no setting", {"data:English.lng:0x0409"}, "", 1041,
         LanguageChoiceReason::BuiltIn, ""},
        {"German desktop, only an English file", {"data:English.lng:0x0409"}, "", 1031, LanguageChoiceReason::English,
         "English.lng"},
        {"English desktop, English and Korean", {"data:English.lng:1033", "data:Korean.lng:1042"}, "", 1033,
         LanguageChoiceReason::UserLanguage, "English.lng"},
        {"Korean desktop", {"data:English.lng:1033", "data:Korean.lng:1042"}, "", 1042,
         LanguageChoiceReason::UserLanguage, "Korean.lng"},
        {"Korean file in the user's folder", {"data:English.lng:1033", "user:Korean.lng:1042"}, "", 1042,
         LanguageChoiceReason::UserLanguage, "Korean.lng"},
        {"stored setting wins", {"data:English.lng:1033", "data:Korean.lng:1042"}, "Languages/Korean.lng", 1033,
         LanguageChoiceReason::StoredSetting, "Korean.lng"},
        {"stored with backslashes", {"data:Korean.lng:1042"}, "Languages\\Korean.lng", 1041,
         LanguageChoiceReason::StoredSetting, "Korean.lng"},
        {"stored setting that fails falls back", {"data:English.lng:1033"}, "Languages/Gone.lng", 1031,
         LanguageChoiceReason::English, "English.lng"},
        {"stored setting of the wrong version falls back", {"data:English.lng:1033", "data:Bad.txt:1033"},
         "Languages/Bad.txt", 1041, LanguageChoiceReason::BuiltIn, ""},
        {"unknown desktop language ignores files without LCID", {"data:A-none.lng:", "data:English.lng:1033"}, "", 0,
         LanguageChoiceReason::English, "English.lng"},
        {"no files", {}, "", 1031, LanguageChoiceReason::BuiltIn, ""},
        {"first of two files of one language, data folder first", {"data:Z.lng:1042", "user:A.lng:1042"}, "", 1042,
         LanguageChoiceReason::UserLanguage, "Z.lng"},
    };
    for (const Case& c : cases) {
        LanguageTree tree;
        for (const std::string& entry : c.files) {
            const size_t colon = entry.find(':'), second = entry.find(':', colon + 1);
            const std::string name = entry.substr(colon + 1, second - colon - 1);
            const std::string lcid = entry.substr(second + 1);
            if (name == "Bad.txt") {
                writeBytes(tree.data / name, "[Information]\nVersion={0}\nLCID=1033\n");
                continue;
            }
            tree.add(entry.starts_with("data:") ? tree.data : tree.user, name, lcid, name);
        }
        CMultiLanguage language;
        const LanguageChoice choice = chooseStartupLanguage(language, utf8ToUtf16(c.stored), tree.folders, c.user);
        EXPECT_EQ(choice.reason, c.reason) << c.name;
        EXPECT_EQ(choice.path.filename().string(), c.chosen) << c.name;
        EXPECT_EQ(language.isLoaded(), !c.chosen.empty()) << c.name;
        const std::u16string expected = c.chosen.empty() ? builtIn("IDS_MAIN_UNTITLED") : utf8ToUtf16(c.chosen);
        EXPECT_EQ(loadString("IDS_MAIN_UNTITLED"), expected) << c.name;
    }
}

TEST(LanguageFolders, DataFolderBesideTheProgramThenTheUsers)
{
    const SettingsLocation location{"/home/u/.config/zema"};
    EXPECT_EQ(languageFolders(std::filesystem::path("/usr/bin"), location),
              (std::vector<std::filesystem::path>{"/usr/share/zema/Languages", "/home/u/.config/zema/Languages"}));
    EXPECT_EQ(languageFolders(std::nullopt, location),
              (std::vector<std::filesystem::path>{"/home/u/.config/zema/Languages"}));
}

TEST(LanguageFolders, StoredValueIsRelativeToItsBaseAndFindsTheSameFileAgain)
{
    LanguageTree tree;
    tree.add(tree.data, "English.lng", "1033", "E");
    tree.add(tree.user, "Mine.lng", "1033", "M");
    TempFolder elsewhere;
    tree.add(elsewhere.path(), "Other.lng", "1033", "O");

    EXPECT_EQ(languageFileSetting(tree.data / "English.lng", tree.folders), u"Languages/English.lng");
    EXPECT_EQ(languageFileSetting(tree.user / "Mine.lng", tree.folders), u"Languages/Mine.lng");
    EXPECT_EQ(languageFileSetting(tree.data / ".." / "Languages" / "English.lng", tree.folders),
              u"Languages/English.lng");
    EXPECT_EQ(languageFileSetting(elsewhere / "Other.lng", tree.folders),
              utf8ToUtf16((elsewhere / "Other.lng").string()));
    EXPECT_EQ(languageFileSetting({}, tree.folders), u"");

    // A namesake in the user's folder would be found first: store the full path.
    tree.add(tree.user, "English.lng", "1033", "U");
    EXPECT_EQ(languageFileSetting(tree.data / "English.lng", tree.folders),
              utf8ToUtf16((tree.data / "English.lng").string()));

    // Candidates: the user's base first, then the data base, then unchanged.
    EXPECT_EQ(languageFileCandidates(u"Languages\\X.lng", tree.folders),
              (std::vector<std::filesystem::path>{tree.root / "config/Languages/X.lng",
                                                  tree.root / "share/zema/Languages/X.lng", "Languages/X.lng"}));
    EXPECT_EQ(languageFileCandidates(u"/abs/X.lng", tree.folders), (std::vector<std::filesystem::path>{"/abs/X.lng"}));
    EXPECT_TRUE(languageFileCandidates(u"", tree.folders).empty());
}

TEST(LanguageFiles, ListedByFileNameDataFolderFirstWithTheirInformation)
{
    LanguageTree tree;
    writeBytes(tree.data / "b.lng", languageFile("Language=ko-KR\nLanguageName=한국어\nLCID=1042"));
    writeBytes(tree.data / "A.LNG", languageFile("Language=en-US\nLCID=0x409"));
    writeBytes(tree.data / "c.txt", languageFile("LCID=1031"));
    std::filesystem::create_directories(tree.data / "d.lng");
    writeBytes(tree.user / "a.lng", languageFile("LCID=12ab"));

    const auto files = findLanguageFilesIn(tree.folders);
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].path, tree.data / "A.LNG");
    EXPECT_EQ(files[0].lcid, 1033u);
    EXPECT_EQ(files[0].language, u"en-US");
    EXPECT_EQ(files[1].path, tree.data / "b.lng");
    EXPECT_EQ(files[1].languageName, u"한국어");
    EXPECT_EQ(files[2].path, tree.user / "a.lng");
    EXPECT_EQ(files[2].lcid, 0u);
    EXPECT_TRUE(CMultiLanguage::findLanguageFiles(tree.root / "absent").empty());
}

TEST(LanguageMenu, TwentyEntriesNamedByLanguageNameThenTagThenFileName)
{
    std::vector<LanguageFileInfo> files = {
        {"/l/English.lng", 1033, u"en-US", u"English"},
        {"/l/Korean.lng", 1042, u"ko-KR", u""},
        {"/l/Plain.lng", 0, u"", u""},
    };
    for (int i = 0; i < 22; ++i) files.push_back({"/l/x" + std::to_string(i) + ".lng", 0, u"", u"X"});

    const auto entries = languageMenuEntries(files, "/l/Korean.lng");
    ASSERT_EQ(entries.size(), kMaxLanguageMenuFiles);
    EXPECT_EQ(entries[0].text, u"English");
    EXPECT_EQ(entries[1].text, u"ko-KR");
    EXPECT_EQ(entries[2].text, u"Plain.lng");
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].command, 32940 + static_cast<int32_t>(i));
        EXPECT_EQ(entries[i].current, i == 1);
    }
    EXPECT_EQ(entries.back().command, 32959);
    for (const auto& entry : languageMenuEntries(files, {})) EXPECT_FALSE(entry.current);
}

}  // namespace
}  // namespace zema
