#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/file_association.h"
#include "app_test_support.h"

namespace zema {
namespace {

using test::readBytes;
using test::TempFolder;
using test::writeBytes;

struct Recorder {
    std::vector<std::filesystem::path> calls;
    DatabaseRefresher refresher()
    {
        return [this](const std::filesystem::path& folder) { calls.push_back(folder); };
    }
};

// A data folder of the user's and a recorder of the database refreshes.
class UserAssociation : public ::testing::Test {
protected:
    FileAssociation associationIn(const std::filesystem::path& folder, const std::filesystem::path& program)
    {
        FileAssociation association;
        association.dataFolder = folder;
        association.programPath = program;
        association.refresh = recorder.refresher();
        return association;
    }
    FileAssociation associationFor(const std::filesystem::path& program) { return associationIn(data.path(), program); }

    TempFolder data;
    Recorder recorder;
};

TEST_F(UserAssociation, CreateWritesThePackageAndTheEntryThenAsksBeforeOverwriting)
{
    const FileAssociation first = associationFor("/opt/zema app/zema");
    EXPECT_FALSE(first.isAssociated());
    ASSERT_EQ(first.create(false), AssociationResult::Done);
    EXPECT_TRUE(first.isAssociated());
    EXPECT_EQ(recorder.calls, std::vector<std::filesystem::path>{data.path()});

    const std::string package = readBytes(data / "mime/packages/io.github.zema.ZEMA.xml");
    EXPECT_NE(package.find("<mime-type type=\"text/x-zema-mml\">"), std::string::npos);
    EXPECT_NE(package.find("<glob pattern=\"*.mml\" weight=\"60\"/>"), std::string::npos);
    EXPECT_NE(package.find("<comment xml:lang=\"ja\">ZEMA 楽曲ファイル</comment>"), std::string::npos);
    const std::string entry = readBytes(data / "applications/io.github.zema.ZEMA.desktop");
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(entry.find("\nExec=\"/opt/zema app/zema\" %f\n"), std::string::npos);
    EXPECT_NE(entry.find("\nMimeType=text/x-zema-mml;text/x-mabinogi-mms;\n"), std::string::npos);
    EXPECT_NE(entry.find("\nName=ZEMA\n"), std::string::npos);
    EXPECT_NE(entry.find("\nIcon="), std::string::npos);

    // Not forced: nothing is written and nothing refreshed.
    const FileAssociation second = associationFor("/usr/bin/zema");
    EXPECT_EQ(second.create(false), AssociationResult::AlreadyAssociated);
    EXPECT_EQ(readBytes(data / "applications/io.github.zema.ZEMA.desktop"), entry);
    EXPECT_EQ(recorder.calls.size(), 1u);

    EXPECT_EQ(second.create(true), AssociationResult::Done);
    EXPECT_NE(readBytes(data / "applications/io.github.zema.ZEMA.desktop").find("Exec=\"/usr/bin/zema\" %f"), std::string::npos);
    EXPECT_EQ(recorder.calls.size(), 2u);

    // Either file left over counts as an association.
    std::filesystem::remove(data / "mime/packages/io.github.zema.ZEMA.xml");
    EXPECT_TRUE(second.isAssociated());
    EXPECT_EQ(second.create(false), AssociationResult::AlreadyAssociated);
}

TEST_F(UserAssociation, ExecLineQuotesThePathForTheDesktopEntryFormat)
{
    // '"', '`', '$' and '\' take a backslash inside the quotes, and the file's
    // string escaping doubles every backslash; '%' is doubled.
    const auto entry = desktopEntryText(R"(/home/a b/$x`y"z\w%1/zema)");
    ASSERT_TRUE(entry);
    EXPECT_NE(entry->find(R"(Exec="/home/a b/\\$x\\`y\\"z\\\\w%%1/zema" %f)"), std::string::npos) << *entry;

    EXPECT_FALSE(desktopEntryText("/opt/new\nline/zema"));
    EXPECT_FALSE(desktopEntryText(""));

    // A path the entry cannot carry fails before anything is written.
    EXPECT_EQ(associationFor("/bad\tpath").create(true), AssociationResult::Failed);
    EXPECT_TRUE(std::filesystem::is_empty(data.path()));
    EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(UserAssociation, TheUsersFilesAreTheInstalledOnesWithThisProgramAndItsIcon)
{
    // The installed entry differs only in its Exec line, and in the Icon line
    // when the program has its icon beside it.
    const std::string installed = readBytes(std::filesystem::path(ZEMA_SOURCE_DIR) / "packaging" /
                                            (std::string(kApplicationId) + ".desktop"));
    auto withLines = [&installed](const std::string& exec, const std::string& icon) {
        std::string text = installed;
        text.replace(text.find("Exec=zema %f"), 12, exec);
        if (!icon.empty()) text.replace(text.find("Icon=" + std::string(kApplicationId)), 5 + kApplicationId.size(), icon);
        return text;
    };
    EXPECT_EQ(desktopEntryText("/usr/bin/zema"), withLines("Exec=\"/usr/bin/zema\" %f", ""));
    EXPECT_EQ(desktopEntryText("/b/zema", R"(/a\b.svg)"), withLines("Exec=\"/b/zema\" %f", R"(Icon=/a\\b.svg)"));
    EXPECT_FALSE(desktopEntryText("/b/zema", "/a\nb.svg"));
    EXPECT_NE(installed.find("\nMimeType=" + std::string(kMmlMimeType) + ";"), std::string::npos);
    EXPECT_EQ(mimePackageText(), readBytes(std::filesystem::path(ZEMA_SOURCE_DIR) / "packaging" /
                                           (std::string(kApplicationId) + ".xml")));

    // A program in <prefix>/bin shows <prefix>/share/icons/.../<id>.svg.
    TempFolder prefix;
    const std::filesystem::path icon = prefix / "share/icons/hicolor/scalable/apps/io.github.zema.ZEMA.svg";
    EXPECT_EQ(installedIconPath(prefix / "bin/zema"), std::filesystem::path());
    std::filesystem::create_directories(icon.parent_path());
    writeBytes(icon, "<svg/>");
    EXPECT_EQ(installedIconPath(prefix / "bin/zema"), icon);
    ASSERT_EQ(associationFor(prefix / "bin/zema").create(false), AssociationResult::Done);
    EXPECT_NE(readBytes(data / "applications/io.github.zema.ZEMA.desktop").find("\nIcon=" + icon.string() + "\n"),
              std::string::npos);
}

TEST_F(UserAssociation, TheFilesOfEarlierVersionsGo)
{
    const FileAssociation association = associationFor("/usr/bin/zema");
    std::filesystem::create_directories(data / "applications");
    std::filesystem::create_directories(data / "mime/packages");
    writeBytes(data / "applications/zema.desktop", "[Desktop Entry]\n");
    writeBytes(data / "mime/packages/zema-mml.xml", "<mime-info/>");
    EXPECT_FALSE(association.isAssociated());
    ASSERT_EQ(association.create(false), AssociationResult::Done);
    EXPECT_FALSE(std::filesystem::exists(data / "applications/zema.desktop"));
    EXPECT_FALSE(std::filesystem::exists(data / "mime/packages/zema-mml.xml"));

    writeBytes(data / "applications/zema.desktop", "[Desktop Entry]\n");
    EXPECT_EQ(association.remove(), AssociationResult::Done);
    EXPECT_FALSE(std::filesystem::exists(data / "applications/zema.desktop"));
}

TEST_F(UserAssociation, WriteFailuresStopAndReportFailed)
{
    // "mime" is a file: the package cannot be written, the entry is not tried.
    writeBytes(data / "mime", "x");
    EXPECT_EQ(associationFor("/usr/bin/zema").create(true), AssociationResult::Failed);
    EXPECT_FALSE(std::filesystem::exists(data / "applications"));
    // The package is written, the entry's folder is blocked.
    TempFolder blocked;
    writeBytes(blocked / "applications", "x");
    EXPECT_EQ(associationIn(blocked.path(), "/usr/bin/zema").create(true), AssociationResult::Failed);
    EXPECT_TRUE(std::filesystem::exists(blocked / "mime/packages/io.github.zema.ZEMA.xml"));
    EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(UserAssociation, RemoveDeletesBothFilesAndRefreshes)
{
    const FileAssociation association = associationFor("/usr/bin/zema");
    ASSERT_EQ(association.create(false), AssociationResult::Done);
    writeBytes(data / "applications/other.desktop", "[Desktop Entry]\n");

    EXPECT_EQ(association.remove(), AssociationResult::Done);
    EXPECT_FALSE(association.isAssociated());
    EXPECT_TRUE(std::filesystem::exists(data / "applications/other.desktop"));
    EXPECT_EQ(recorder.calls.size(), 2u);
    // Nothing to remove is not a failure.
    EXPECT_EQ(association.remove(), AssociationResult::Done);

    // A folder in the entry's place cannot be removed as a file; the package still goes.
    ASSERT_EQ(association.create(false), AssociationResult::Done);
    std::filesystem::remove(data / "applications/io.github.zema.ZEMA.desktop");
    std::filesystem::create_directories(data / "applications/io.github.zema.ZEMA.desktop/inside");
    EXPECT_EQ(association.remove(), AssociationResult::Failed);
    EXPECT_FALSE(std::filesystem::exists(data / "mime/packages/io.github.zema.ZEMA.xml"));
}

TEST_F(UserAssociation, DataFolderComesFromXdgDataHomeOrHome)
{
    auto lookup = [](std::optional<std::string> xdg, std::optional<std::string> home) -> EnvironmentLookup {
        return [=](const char* name) { return std::string_view(name) == "HOME" ? home : xdg; };
    };
    EXPECT_EQ(defaultDataFolder(lookup("/xdg", "/home/u")), std::filesystem::path("/xdg"));
    EXPECT_EQ(defaultDataFolder(lookup("rel", "/home/u")), std::filesystem::path("/home/u/.local/share"));
    EXPECT_EQ(defaultDataFolder(lookup(std::nullopt, "/home/u")), std::filesystem::path("/home/u/.local/share"));
    EXPECT_FALSE(defaultDataFolder(lookup(std::nullopt, std::nullopt)));
}

TEST_F(UserAssociation, SystemRefresherBuildsAMimeDatabaseThatMapsMmlToOurType)
{
    if (std::system("command -v update-mime-database >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "update-mime-database is not installed";
    }
    FileAssociation association;  // refreshing with the system's own tool
    association.dataFolder = data.path();
    association.programPath = "/usr/bin/zema";
    ASSERT_EQ(association.create(false), AssociationResult::Done);
    const std::string globs = readBytes(data / "mime/globs2");
    EXPECT_NE(globs.find("60:text/x-zema-mml:*.mml"), std::string::npos) << globs;

    ASSERT_EQ(association.remove(), AssociationResult::Done);
    EXPECT_EQ(readBytes(data / "mime/globs2").find("text/x-zema-mml"), std::string::npos);
}

}  // namespace
}  // namespace zema
