#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/language_check.h"
#include "app/locale_id.h"
#include "app/multi_language.h"
#include "app/resource_symbols.h"
#include "app_test_support.h"
#include "core/unicode.h"
#include "document/ini_reader.h"
#include "document/text_encoding.h"
#include "document/text_util.h"

namespace zema {
namespace {

using test::CliRun;
using test::kLanguageVersionLine;
using test::runCli;
using test::TempFolder;
using test::writeBytes;

// A language file with the given Information lines and body.
std::string languageFile(const std::string& information, const std::string& body = "")
{
    return "[Information]\n" + kLanguageVersionLine + information + "\n" + body;
}

std::string englishFile(const std::string& body = "")
{
    return languageFile("Language=en-US\nLanguageName=English\nLCID=0x0409", body);
}

std::u16string builtIn(std::string_view symbol) { return std::u16string(findString(symbol)->text); }

using MultiLanguage = test::BuiltInLanguageTest;

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
    writeBytes(folder / "B-bad.lng", "[Global]\n" + kLanguageVersionLine);
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
    for (const Case& c : cases) EXPECT_EQ(userLocaleTag(test::fakeEnvironment(c.variables)), c.tag);
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

// ---- The translators' tools ----------------------------------------------

const LanguageSectionReport& sectionOf(const LanguageCheck& check, std::u16string_view name)
{
    const auto found = std::find_if(check.sections.begin(), check.sections.end(),
                                    [&](const LanguageSectionReport& s) { return s.section == name; });
    EXPECT_NE(found, check.sections.end());
    return *found;
}

bool contains(const auto& list, const auto& item) { return std::find(list.begin(), list.end(), item) != list.end(); }

using LanguageTool = test::BuiltInLanguageTest;

TEST_F(LanguageTool, CheckCountsMissingAndUnknownPerSection)
{
    const LanguageCheck check = checkLanguageBytes(
        languageFile("LCID=1033", "[Global]\nIDS_ERR_FILEOPEN=Open failed\nIDS_NOPE=x\nIDS_ERR_FILESAVE=\n"
                                  "[main window menu]\nIDM_FILE_NEW=&New\nIDB_X=y\n[Bogus Window]\nA=b\n[Global]\n"));
    ASSERT_EQ(check.status, LanguageCheck::Status::Ok);
    EXPECT_EQ(check.lcid, 1033u);
    ASSERT_EQ(check.sections.size(), 1 + builtInWindowTexts().size());
    EXPECT_EQ(check.sections[0].section, u"Global");
    for (size_t i = 0; i < builtInWindowTexts().size(); ++i) {
        EXPECT_EQ(check.sections[i + 1].section, builtInWindowTexts()[i].key);
    }

    const LanguageSectionReport& global = check.sections[0];
    EXPECT_EQ(global.translated, 1u);
    EXPECT_EQ(global.missing.size(), stringTable().size() - 1);
    EXPECT_FALSE(contains(global.missing, std::string("IDS_ERR_FILEOPEN")));
    EXPECT_TRUE(contains(global.missing, std::string("IDS_ERR_FILESAVE")));  // empty is untranslated
    EXPECT_EQ(global.unknown, std::vector<std::u16string>{u"IDS_NOPE"});

    const LanguageSectionReport& menu = sectionOf(check, u"Main Window Menu");
    EXPECT_EQ(menu.translated, 1u);
    EXPECT_EQ(menu.unknown, std::vector<std::u16string>{u"IDB_X"});
    const size_t tableSize = findWindowTexts(u"Main Window Menu")->texts.size();
    const bool inTable = findWindowText(u"Main Window Menu", "IDM_FILE_NEW") != nullptr;
    EXPECT_EQ(menu.missing.size(), tableSize - (inTable ? 1 : 0));

    const LanguageSectionReport& about = sectionOf(check, u"About Box");
    EXPECT_EQ(about.translated, 0u);
    EXPECT_EQ(about.missing.size(), findWindowTexts(u"About Box")->texts.size());
    EXPECT_EQ(check.foreignSections, std::vector<std::u16string>{u"Bogus Window"});

    EXPECT_EQ(checkLanguageBytes("[Information]\nVersion={0}\n").status, LanguageCheck::Status::WrongVersion);
    EXPECT_EQ(checkLanguageFile("/nonexistent/x.lng").status, LanguageCheck::Status::Unreadable);
}

TEST_F(LanguageTool, EscapedValuesReadBackUnchanged)
{
    const std::u16string samples[] = {u"a\nb", u"C:\\path\\n", u"\t\r\n\\", u"plain", u"末尾\\"};
    for (const std::u16string& sample : samples) {
        EXPECT_EQ(unescapeLanguageValue(escapeLanguageValue(sample)), sample) << utf16ToUtf8(sample);
    }
    EXPECT_EQ(escapeLanguageValue(u"a\\b\nc"), u"a\\\\b\\nc");
    EXPECT_EQ(unescapeLanguageValue(u"\\q\\"), u"q\\");  // unknown escape gives the character; a lone one stays
}

TEST_F(LanguageTool, TemplateIsCompleteAndLoadsAsTheBuiltInTexts)
{
    LanguageTemplateOptions options;
    options.language = "en-GB";
    options.languageName = u"English (UK)";
    const std::string skeleton = languageTemplate(options);
    ASSERT_TRUE(skeleton.starts_with("\xEF\xBB\xBF[Information]\r\n"));
    EXPECT_NE(skeleton.find("LCID=0x0809\r\n"), std::string::npos);

    const LanguageCheck check = checkLanguageBytes(skeleton);
    ASSERT_EQ(check.status, LanguageCheck::Status::Ok);
    EXPECT_EQ(check.lcid, 2057u);
    EXPECT_EQ(check.languageName, u"English (UK)");
    for (const LanguageSectionReport& section : check.sections) {
        EXPECT_TRUE(section.unknown.empty()) << utf16ToUtf8(section.section);
        // Only empty built-in texts (nothing to translate) may be missing.
        for (const std::string& name : section.missing) {
            const std::u16string_view text = section.section == u"Global" ? findString(name)->text
                                                                         : findWindowText(section.section, name)->text;
            EXPECT_TRUE(text.empty()) << name;
        }
    }
    EXPECT_TRUE(check.foreignSections.empty());

    // Loading the template changes no text: every escape reads back. Values
    // are trimmed, so the padding blanks a few message texts end with are lost.
    CMultiLanguage language;
    ASSERT_TRUE(language.loadFromBytes(skeleton));
    for (const StringEntry& entry : stringTable()) EXPECT_EQ(loadString(entry.id), trimIni(entry.text)) << entry.symbol;
    for (const WindowTexts& window : builtInWindowTexts()) {
        for (const WindowText& text : window.texts) {
            EXPECT_EQ(windowText(window.key, text.name), trimIni(text.text)) << text.name;
        }
    }
}

TEST_F(LanguageTool, TemplateKeepsAnEarlierTranslation)
{
    CIniReader previous;
    previous.loadText(u"[Global]\nIDS_ERR_FILEOPEN=Open failed\\nRetry\n[About Box]\nIDOK=Fine\n");
    LanguageTemplateOptions options;
    options.previous = &previous;
    CMultiLanguage language;
    ASSERT_TRUE(language.loadFromBytes(languageTemplate(options)));
    EXPECT_EQ(loadString("IDS_ERR_FILEOPEN"), u"Open failed\nRetry");
    EXPECT_EQ(loadString("IDS_ERR_FILESAVE"), findString("IDS_ERR_FILESAVE")->text);
    if (findWindowText(u"About Box", "IDOK")) {
        EXPECT_EQ(windowText(u"About Box", "IDOK"), u"Fine");
    }
}

TEST(CliLanguage, CheckReportsProblemsAndRefusesOtherFiles)
{
    TempFolder folder;
    const auto partial = folder / "partial.lng";
    writeBytes(partial, languageFile("LCID=1033", "[Global]\nIDS_ERR_FILEOPEN=Open failed\nIDS_NOPE=x\n[Bogus]\n"));
    const std::string quoted = " '" + partial.string() + "'";

    const CliRun full = runCli("lng-check" + quoted);
    EXPECT_EQ(full.status, 0);
    EXPECT_TRUE(full.out.starts_with("Language:  (), LCID 1033\n[Global] 1 translated, ")) << full.out;
    EXPECT_NE(full.out.find("\n  missing IDS_ERR_FILESAVE\n"), std::string::npos);
    EXPECT_EQ(full.out.find("\n  missing IDS_ERR_FILEOPEN\n"), std::string::npos);
    EXPECT_NE(full.out.find("\n  unknown IDS_NOPE\n"), std::string::npos);
    EXPECT_NE(full.out.find("\n[Main Window] 0 translated, "), std::string::npos);
    EXPECT_TRUE(full.out.ends_with("[Bogus] is not a window key\n")) << full.out;

    const CliRun quiet = runCli("lng-check --quiet" + quoted);
    EXPECT_EQ(quiet.status, 0);
    EXPECT_TRUE(quiet.out.starts_with("[Global] 1 translated")) << quiet.out;

    writeBytes(folder / "wrong.lng", "[Information]\nVersion={6C578524-B2AA-4696-AE76-D491B55679E9}\n");
    const CliRun wrong = runCli("lng-check '" + (folder / "wrong.lng").string() + "'");
    EXPECT_EQ(wrong.status, 1);
    EXPECT_EQ(std::count(wrong.out.begin(), wrong.out.end(), '\n'), 1) << wrong.out;
    EXPECT_NE(wrong.out.find("not a language file"), std::string::npos);
    const CliRun missing = runCli("lng-check '" + (folder / "none.lng").string() + "'");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("cannot be read"), std::string::npos);
}

TEST(CliLanguage, TemplateChecksCleanAndStartupHonoursTheStoredFile)
{
    TempFolder folder;
    const CliRun skeleton = runCli("lng-template --language ko-KR --name 한국어");
    ASSERT_EQ(skeleton.status, 0);
    const auto path = folder / "Languages" / "Korean.lng";
    std::filesystem::create_directories(path.parent_path());
    writeBytes(path, skeleton.out);
    const CliRun quiet = runCli("lng-check --quiet '" + path.string() + "'");
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, "");

    writeBytes(folder / "ZEMA.ini", "[Language Settings]\nLanguageFile=Languages/Korean.lng\n");
    const CliRun listed = runCli("languages --locale ja_JP.UTF-8 --config-dir '" + folder.path().string() + "'");
    EXPECT_EQ(listed.status, 0);
    EXPECT_NE(listed.out.find(path.string() + "\t1042\tko-KR\t한국어\n"), std::string::npos) << listed.out;
    EXPECT_TRUE(listed.out.ends_with("start-up: " + path.string() + " (stored setting)\n")) << listed.out;
}

// The languages that ship with the program translate everything, with the
// same format fields as the built-in texts: a string added to the program
// without its translations fails here.
TEST(ShippedLanguages, TranslateEveryTextWithTheSameFormatFields)
{
    const auto folder = std::filesystem::path(ZEMA_SOURCE_DIR) / "resources" / "languages";
    const std::vector<LanguageFileInfo> files = CMultiLanguage::findLanguageFiles(folder);
    std::vector<uint32_t> lcids;
    for (const LanguageFileInfo& file : files) lcids.push_back(file.lcid);
    EXPECT_EQ(lcids, (std::vector<uint32_t>{1033, 1042}));  // English.lng, Korean.lng
    for (const LanguageFileInfo& file : files) {
        const LanguageCheck check = checkLanguageFile(file.path);
        ASSERT_EQ(check.status, LanguageCheck::Status::Ok) << file.path;
        EXPECT_FALSE(check.translatedBy.empty());
        EXPECT_TRUE(check.foreignSections.empty()) << file.path;
        for (const LanguageSectionReport& section : check.sections) {
            const std::string where = file.path.filename().string() + " [" + utf16ToUtf8(section.section) + "]";
            EXPECT_GT(section.translated, 0u) << where;
            EXPECT_TRUE(section.missing.empty()) << where << " misses " << section.missing.front();
            EXPECT_TRUE(section.unknown.empty()) << where;
            EXPECT_TRUE(section.formatMismatch.empty()) << where << ": " << section.formatMismatch.front();
        }
    }
}

TEST(ShippedLanguages, FormatFieldsAreComparedInOrder)
{
    EXPECT_EQ(formatConversions(u"%4d → %4d 文字 [%s] 100%%"), "dds");
    EXPECT_EQ(formatConversions(u"L%d%c"), "dc");
    EXPECT_EQ(formatConversions(u"no fields, 50%"), "");
}

}  // namespace
}  // namespace zema
