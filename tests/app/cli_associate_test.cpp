#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

#include <sys/wait.h>

#include "app_test_support.h"

namespace zema {
namespace {

using test::readBytes;
using test::TempFolder;
using test::writeBytes;

using test::CliRun;
using test::runCli;

TEST(CliAssociate, CreatesAsksRemovesAndFails)
{
    TempFolder data;
    const std::string where = " --data-dir '" + data.path().string() + "' --program /opt/zema/zema";
    const CliRun created = runCli("associate" + where);
    EXPECT_EQ(created.status, 0);
    EXPECT_EQ(created.out, "関連付けを実行しました。\n");
    EXPECT_NE(readBytes(data / "applications/zema.desktop").find("Exec=\"/opt/zema/zema\" %f"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(data / "mime/packages/zema-mml.xml"));

    const CliRun again = runCli("associate" + where);
    EXPECT_EQ(again.status, 2);
    EXPECT_EQ(again.out, "既に関連付けられています。\n既存の関連付け設定に上書きしますか？\n");
    EXPECT_EQ(runCli("associate --force" + where).status, 0);

    const CliRun removed = runCli("associate --remove" + where);
    EXPECT_EQ(removed.status, 0);
    EXPECT_EQ(removed.out, "関連付けを解除しました。\n");
    EXPECT_FALSE(std::filesystem::exists(data / "applications/zema.desktop"));

    TempFolder blocked;
    writeBytes(blocked / "mime", "");
    const CliRun failed =
        runCli("associate --data-dir '" + blocked.path().string() + "' --program /opt/zema/zema");
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "関連付けに失敗しました。\n");
}

TEST(CliAssociate, AutosaveNameFromATimeStamp)
{
    const CliRun named = runCli("autosave-name --time '2024-03-05 07:08:09'");
    EXPECT_EQ(named.status, 0);
    EXPECT_EQ(named.out, "~20240305_070809.mml\n");
    EXPECT_EQ(runCli("autosave-name --time '2024-13-05 07:08:09'").status, 1);
    EXPECT_EQ(runCli("autosave-name --time 'yesterday'").status, 1);
}

}  // namespace
}  // namespace zema
