#include <gtest/gtest.h>

#include <cctype>

#include "app/about_box.h"
#include "app/multi_language.h"
#include "core/unicode.h"
#include "app_test_support.h"

namespace zema {
namespace {

using test::TempFolder;
using test::writeBytes;

const std::vector<LibraryVersion> kLibraries{{"Qt", "6.4.2", LibraryLicense::Lgpl3},
                                             {"RtMidi", "5.0.0", LibraryLicense::MitStyle}};

TEST(AboutBox, BuiltInTextsHaveNoTranslatorLine)
{
    const AboutBoxTexts texts = aboutBoxTexts(u"", kLibraries);
    EXPECT_EQ(texts.caption, u"バージョン情報");
    EXPECT_EQ(texts.version, u"Version " + utf8ToUtf16(programVersion()));
    EXPECT_TRUE(texts.translator.empty());
    EXPECT_EQ(texts.libraries, (std::vector<std::u16string>{u"Qt 6.4.2 (LGPL v3)", u"RtMidi 5.0.0 (MITスタイルライセンス)"}));
}

TEST(AboutBox, LoadedLanguageTranslatesLabelsAndLicensesAndCreditsItsTranslator)
{
    CMultiLanguage language;
    ASSERT_TRUE(language.loadFromBytes("[Information]\nVersion={6C578524-B2AA-4696-AE76-D491B55679E8}\n"
                                       "TranslatedBy=Kim\n[Global]\nIDS_ABOUT_LICENSE_MIT_STYLE=MIT 스타일\n"
                                       "[About Box]\nIDC_TXT_VERSION=버전\nIDC_TXT_TRANSLATOR=번역:\n"));
    const AboutBoxTexts texts = aboutBoxTexts(language.translatedBy(), kLibraries);
    EXPECT_EQ(texts.version, u"버전 " + utf8ToUtf16(programVersion()));
    EXPECT_EQ(texts.translator, u"번역: Kim");
    EXPECT_EQ(texts.libraries.at(1), u"RtMidi 5.0.0 (MIT 스타일)");
}

TEST(AboutBox, LinkedLibrariesReportTheirVersions)
{
    const std::vector<LibraryVersion> libraries = linkedLibraryVersions();
    ASSERT_EQ(libraries.size(), 4u);
    for (const LibraryVersion& library : libraries) {
        ASSERT_FALSE(library.version.empty()) << library.name;
        EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(library.version.front()))) << library.name;
        EXPECT_EQ(library.version.find(','), std::string::npos) << library.name;
    }
    EXPECT_FALSE(licenseName(LibraryLicense::Zlib).empty());
}

TEST(AboutBox, IconFilesAreTheRenderedSizesBesideTheData)
{
    TempFolder prefix;
    for (const char* size : {"16x16", "256x256", "scalable"}) {
        std::filesystem::create_directories(prefix / (std::string("share/icons/hicolor/") + size + "/apps"));
    }
    writeBytes(prefix / "share/icons/hicolor/256x256/apps/io.github.zema.ZEMA.png", "png");
    writeBytes(prefix / "share/icons/hicolor/16x16/apps/io.github.zema.ZEMA.png", "png");
    writeBytes(prefix / "share/icons/hicolor/16x16/apps/other.png", "png");
    EXPECT_EQ(applicationIconFiles(prefix / "bin"),
              (std::vector<std::filesystem::path>{prefix / "share/icons/hicolor/16x16/apps/io.github.zema.ZEMA.png",
                                                  prefix / "share/icons/hicolor/256x256/apps/io.github.zema.ZEMA.png"}));
    EXPECT_TRUE(applicationIconFiles(std::nullopt).empty());
}

}  // namespace
}  // namespace zema
