// The application subcommands of zema-cli, run as a user would.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app_test_support.h"

namespace zema {
namespace {

using test::CliRun;
using test::readBytes;
using test::runCli;
using test::TempFolder;
using test::writeBytes;

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

TEST(CliAssociate, CreatesAsksRemovesAndFails)
{
    TempFolder data;
    const std::string where = " --data-dir '" + data.path().string() + "' --program /opt/zema/zema";
    const CliRun created = runCli("associate" + where);
    EXPECT_EQ(created.status, 0);
    EXPECT_EQ(created.out, "関連付けを実行しました。\n");
    EXPECT_NE(readBytes(data / "applications/io.github.zema.ZEMA.desktop").find("Exec=\"/opt/zema/zema\" %f"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(data / "mime/packages/io.github.zema.ZEMA.xml"));

    const CliRun again = runCli("associate" + where);
    EXPECT_EQ(again.status, 2);
    EXPECT_EQ(again.out, "既に関連付けられています。\n既存の関連付け設定に上書きしますか？\n");
    EXPECT_EQ(runCli("associate --force" + where).status, 0);

    const CliRun removed = runCli("associate --remove" + where);
    EXPECT_EQ(removed.status, 0);
    EXPECT_EQ(removed.out, "関連付けを解除しました。\n");
    EXPECT_FALSE(std::filesystem::exists(data / "applications/io.github.zema.ZEMA.desktop"));

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

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(CliEventList, ListViewPrintsPositionTabEventForEveryRow)
{
    TempFolder folder;
    writeBytes(folder / "track.txt",
               "//#using_extension\nt150 y20,3 ~64,0 EX0xF0,0x41,0x10,0x42,0x12,0x40,0,0x7F,0,0x41,0x11,0xF7 c1 r d");
    const CliRun run = runCli("events --list-view " + (folder / "track.txt").string());
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(linesOf(run.out), (std::vector<std::string>{
                                    "    0:0000      ZEM Extension MML\t",
                                    "    0:0000      Meas 0 \t",
                                    "    0:0000    0\tTempo                        150",
                                    "    0:0000    0\tControl Change [ 20]           3",
                                    "    0:0000    0\tPitchBend                      0",
                                    "    0:0000\tEx:F0 41 10 42 12 40 00 7F 00 41 ",
                                    "    0:0000  480\tC  4 [ 60]       384           8",
                                    "    1:0000      Meas 1 \t",
                                    "    1:0000\tR  4 [ 60]        96           8",
                                    "    1:0096   96\tD  4 [ 62]        96           8",
                                    "    1:0192    0\tEnd of track                  27",
                                }));
}

TEST(CliEventList, ListViewFollowsTheTimingOptions)
{
    TempFolder folder;
    writeBytes(folder / "track.txt", "c2.c");
    const CliRun run =
        runCli("events --list-view --timebase 48 --signature 3/4 " + (folder / "track.txt").string());
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(linesOf(run.out), (std::vector<std::string>{
                                    "    0:0000      Meas 0 \t",
                                    "    0:0000  144\tC  4 [ 60]       144           8",
                                    "    1:0000      Meas 1 \t",
                                    "    1:0000   48\tC  4 [ 60]        48           8",
                                    "    1:0048    0\tEnd of track                   4",
                                }));
}

}  // namespace
}  // namespace zema
