#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/language_check.h"
#include "app/multi_language.h"
#include "app_test_support.h"
#include "core/unicode.h"
#include "document/ini_reader.h"
#include "document/text_util.h"

namespace zema {
namespace {

using test::CliRun;
using test::runCli;
using test::TempFolder;
using test::writeBytes;

const std::string kHeader = "[Information]\nVersion={6C578524-B2AA-4696-AE76-D491B55679E8}\nLCID=1033\n";

const LanguageSectionReport& sectionOf(const LanguageCheck& check, std::u16string_view name)
{
    const auto found = std::find_if(check.sections.begin(), check.sections.end(),
                                    [&](const LanguageSectionReport& s) { return s.section == name; });
    EXPECT_NE(found, check.sections.end());
    return *found;
}

bool contains(const auto& list, const auto& item) { return std::find(list.begin(), list.end(), item) != list.end(); }

class LanguageTool : public ::testing::Test {
protected:
    void TearDown() override
    {
        setStringOverrides(nullptr);
        setWindowTextOverrides(nullptr);
    }
};

TEST_F(LanguageTool, CheckCountsMissingAndUnknownPerSection)
{
    const LanguageCheck check = checkLanguageBytes(kHeader +
                                                   "[Global]\nIDS_ERR_FILEOPEN=Open failed\nIDS_NOPE=x\n"
                                                   "IDS_ERR_FILESAVE=\n"
                                                   "[main window menu]\nIDM_FILE_NEW=&New\nIDB_X=y\n"
                                                   "[Bogus Window]\nA=b\n[Global]\n");
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
    writeBytes(partial, kHeader + "[Global]\nIDS_ERR_FILEOPEN=Open failed\nIDS_NOPE=x\n[Bogus]\n");
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
