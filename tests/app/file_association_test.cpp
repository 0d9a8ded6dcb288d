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

FileAssociation associationIn(const std::filesystem::path& data, const std::filesystem::path& program,
                              Recorder& recorder)
{
    FileAssociation association;
    association.dataFolder = data;
    association.programPath = program;
    association.refresh = recorder.refresher();
    return association;
}

TEST(FileAssociation, CreateWritesThePackageAndTheEntryThenAsksBeforeOverwriting)
{
    TempFolder data;
    Recorder recorder;
    const FileAssociation first = associationIn(data.path(), "/opt/zema app/zema", recorder);
    EXPECT_FALSE(first.isAssociated());
    ASSERT_EQ(first.create(false), AssociationResult::Done);
    EXPECT_TRUE(first.isAssociated());
    EXPECT_EQ(recorder.calls, std::vector<std::filesystem::path>{data.path()});

    const std::string package = readBytes(data / "mime/packages/zema-mml.xml");
    EXPECT_NE(package.find("<mime-type type=\"text/x-zema-mml\">"), std::string::npos);
    EXPECT_NE(package.find("<glob pattern=\"*.mml\" weight=\"60\"/>"), std::string::npos);
    EXPECT_NE(package.find("<comment>ZEMA 楽曲ファイル</comment>"), std::string::npos);
    const std::string entry = readBytes(data / "applications/zema.desktop");
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(entry.find("\nExec=\"/opt/zema app/zema\" %f\n"), std::string::npos);
    EXPECT_NE(entry.find("\nMimeType=text/x-zema-mml;\n"), std::string::npos);
    EXPECT_NE(entry.find("\nName=ZEMA\n"), std::string::npos);
    EXPECT_NE(entry.find("\nIcon="), std::string::npos);

    // Not forced: nothing is written and nothing refreshed.
    const FileAssociation second = associationIn(data.path(), "/usr/bin/zema", recorder);
    EXPECT_EQ(second.create(false), AssociationResult::AlreadyAssociated);
    EXPECT_EQ(readBytes(data / "applications/zema.desktop"), entry);
    EXPECT_EQ(recorder.calls.size(), 1u);

    EXPECT_EQ(second.create(true), AssociationResult::Done);
    EXPECT_NE(readBytes(data / "applications/zema.desktop").find("Exec=\"/usr/bin/zema\" %f"), std::string::npos);
    EXPECT_EQ(recorder.calls.size(), 2u);

    // Either file left over counts as an association.
    std::filesystem::remove(data / "mime/packages/zema-mml.xml");
    EXPECT_TRUE(second.isAssociated());
    EXPECT_EQ(second.create(false), AssociationResult::AlreadyAssociated);
}

TEST(FileAssociation, ExecLineQuotesThePathForTheDesktopEntryFormat)
{
    // '"', '`', '$' and '\' take a backslash inside the quotes, and the file's
    // string escaping doubles every backslash; '%' is doubled.
    const auto entry = desktopEntryText(R"(/home/a b/$x`y"z\w%1/zema)");
    ASSERT_TRUE(entry);
    EXPECT_NE(entry->find(R"(Exec="/home/a b/\\$x\\`y\\"z\\\\w%%1/zema" %f)"), std::string::npos) << *entry;

    EXPECT_FALSE(desktopEntryText("/opt/new\nline/zema"));
    EXPECT_FALSE(desktopEntryText(""));

    // A path the entry cannot carry fails before anything is written.
    TempFolder data;
    Recorder recorder;
    EXPECT_EQ(associationIn(data.path(), "/bad\tpath", recorder).create(true), AssociationResult::Failed);
    EXPECT_TRUE(std::filesystem::is_empty(data.path()));
    EXPECT_TRUE(recorder.calls.empty());
}

TEST(FileAssociation, WriteFailuresStopAndReportFailed)
{
    Recorder recorder;
    {
        // "mime" is a file: the package cannot be written, the entry is not tried.
        TempFolder data;
        writeBytes(data / "mime", "x");
        EXPECT_EQ(associationIn(data.path(), "/usr/bin/zema", recorder).create(true), AssociationResult::Failed);
        EXPECT_FALSE(std::filesystem::exists(data / "applications"));
    }
    {
        // The package is written, the entry's folder is blocked.
        TempFolder data;
        writeBytes(data / "applications", "x");
        EXPECT_EQ(associationIn(data.path(), "/usr/bin/zema", recorder).create(true), AssociationResult::Failed);
        EXPECT_TRUE(std::filesystem::exists(data / "mime/packages/zema-mml.xml"));
    }
    EXPECT_TRUE(recorder.calls.empty());
}

TEST(FileAssociation, RemoveDeletesBothFilesAndRefreshes)
{
    TempFolder data;
    Recorder recorder;
    const FileAssociation association = associationIn(data.path(), "/usr/bin/zema", recorder);
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
    std::filesystem::remove(data / "applications/zema.desktop");
    std::filesystem::create_directories(data / "applications/zema.desktop/inside");
    EXPECT_EQ(association.remove(), AssociationResult::Failed);
    EXPECT_FALSE(std::filesystem::exists(data / "mime/packages/zema-mml.xml"));
}

TEST(FileAssociation, DataFolderComesFromXdgDataHomeOrHome)
{
    auto lookup = [](std::optional<std::string> xdg, std::optional<std::string> home) -> EnvironmentLookup {
        return [=](const char* name) { return std::string_view(name) == "HOME" ? home : xdg; };
    };
    EXPECT_EQ(defaultDataFolder(lookup("/xdg", "/home/u")), std::filesystem::path("/xdg"));
    EXPECT_EQ(defaultDataFolder(lookup("rel", "/home/u")), std::filesystem::path("/home/u/.local/share"));
    EXPECT_EQ(defaultDataFolder(lookup(std::nullopt, "/home/u")), std::filesystem::path("/home/u/.local/share"));
    EXPECT_FALSE(defaultDataFolder(lookup(std::nullopt, std::nullopt)));
}

TEST(FileAssociation, SystemRefresherBuildsAMimeDatabaseThatMapsMmlToOurType)
{
    if (std::system("command -v update-mime-database >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "update-mime-database is not installed";
    }
    TempFolder data;
    FileAssociation association;
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
