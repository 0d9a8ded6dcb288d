#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app_test_support.h"

namespace zema {
namespace {

using test::runCli;
using test::TempFolder;
using test::writeBytes;

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
    const test::CliRun run = runCli("events --list-view " + (folder / "track.txt").string());
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
    const test::CliRun run =
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
