#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>
#include <sys/wait.h>

#include "app_test_support.h"

namespace zema {
namespace {

using test::TempFolder;
using test::writeBytes;

using test::CliRun;
using test::runCli;

TEST(CliApp, SettingsPrintsTheCorrectedValuesAndWritesNothing)
{
    TempFolder folder;
    writeBytes(folder / "ZEMA.ini", "[ApplicationData]\nDefaultTimeBase=+100\nAutoSave=yes\nEditorFontName=IPAGothic\n"
                                    "[Recent File List]\nFile1=/songs/a.mml\n");
    const CliRun run = runCli("settings --config-dir " + folder.path().string());
    ASSERT_EQ(run.status, 0) << run.out;
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_FALSE(json["firstStart"].get<bool>());
    EXPECT_EQ(json["settings"]["ApplicationData"]["DefaultTimeBase"], 96);
    EXPECT_EQ(json["settings"]["ApplicationData"]["AutoSave"], true);
    EXPECT_EQ(json["settings"]["ApplicationData"]["EditorFontName"], "IPAGothic");
    EXPECT_EQ(json["settings"]["Midi Settings"]["PORTA"], 4294967295u);
    EXPECT_EQ(json["settings"]["Recent File List"]["File1"], "/songs/a.mml");

    TempFolder empty;
    const CliRun first = runCli("settings --config-dir " + empty.path().string());
    ASSERT_EQ(first.status, 0) << first.out;
    EXPECT_TRUE(nlohmann::json::parse(first.out)["firstStart"].get<bool>());
    EXPECT_TRUE(std::filesystem::is_empty(empty.path()));
}

TEST(CliApp, KeysPrintsTheTableOfTheKeyFileOrTheBuiltInOne)
{
    TempFolder folder;
    const CliRun builtIn = runCli("keys --config-dir " + folder.path().string());
    ASSERT_EQ(builtIn.status, 0) << builtIn.out;
    EXPECT_EQ(builtIn.out.rfind("147\tEscape\n32728\tF5\n", 0), 0u);
    EXPECT_NE(builtIn.out.find("32928\tCtrl+Shift+S\n"), std::string::npos);

    writeBytes(folder / "ZEMA_ACCEL.ini", "[Main Window]\r\n32925=78\\n0\\n0\\n0\r\n");
    const CliRun own = runCli("keys --config-dir " + folder.path().string());
    ASSERT_EQ(own.status, 0);
    EXPECT_EQ(own.out, "32925\tN\n");
}

}  // namespace
}  // namespace zema
