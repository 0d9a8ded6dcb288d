#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "test_files.h"

namespace {

using zema::test::CliRun;
using zema::test::runCli;

std::vector<nlohmann::json> lines(const std::string& text)
{
    std::vector<nlohmann::json> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(nlohmann::json::parse(line));
    return out;
}

TEST(CliEvents, PrintsOneJsonObjectPerEventWithEveryField)
{
    const CliRun run = runCli("events -", "c+8.");
    ASSERT_EQ(run.status, 0) << run.out;
    const auto events = lines(run.out);
    ASSERT_EQ(events.size(), 3u);
    const auto& note = events[1];
    EXPECT_EQ(note["kind"], "Note");
    EXPECT_EQ(note["length"], 72);
    EXPECT_EQ(note["letter"], "C");
    EXPECT_EQ(note["sharp"], 1);
    EXPECT_EQ(note["dotted"], true);
    EXPECT_EQ(note["text"], "C+8.");
    EXPECT_TRUE(note["data"].is_array());
    EXPECT_EQ(note.size(), 25u);
    EXPECT_EQ(events[2]["kind"], "TrackEnd");
    EXPECT_EQ(events[2]["value"], 4);
}

TEST(CliEvents, TimingTiesAndStatesOptions)
{
    const CliRun run = runCli("events --timebase 48 --signature 3/4 --start-tick 10 --keep-ties -", "c2.&c4");
    ASSERT_EQ(run.status, 0) << run.out;
    const auto events = lines(run.out);
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[1]["length"], 144);
    EXPECT_EQ(events[2]["kind"], "Tie");
    EXPECT_EQ(events[3]["kind"], "Measure");
    EXPECT_EQ(events[3]["tick"], 154);
    EXPECT_EQ(events[3]["value"], 1);

    const auto states = lines(runCli("events --states -", "v3").out);
    ASSERT_EQ(states.size(), 5u);
    EXPECT_EQ(states[4]["kind"], "VolumeState");
    const auto moved = lines(runCli("events --state-to-events -", "v3").out);
    EXPECT_EQ(moved[0]["kind"], "VolumeState");
}

TEST(CliEvents, SongMergesTracksInOrder)
{
    const zema::test::TempFolder dir;
    zema::test::writeBytes(dir / "a.txt", "c");
    zema::test::writeBytes(dir / "b.txt", "//#using_extension\n//#using_channel=10\nd");
    const CliRun run = runCli("events --song " + (dir / "b.txt").string() + " " + (dir / "a.txt").string());
    ASSERT_EQ(run.status, 0) << run.out;
    const auto events = lines(run.out);
    ASSERT_GE(events.size(), 4u);
    int notes = 0;
    for (const auto& e : events) {
        if (e["kind"] != "Note") continue;
        EXPECT_EQ(e["trackIndex"], notes);
        EXPECT_EQ(e["channel"], notes == 0 ? 9 : 1);
        ++notes;
    }
    EXPECT_EQ(notes, 2);
}

TEST(CliEvents, BadInputGivesAMessageAndStatusOne)
{
    const CliRun missing = runCli("events /nonexistent/track.mml");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("/nonexistent/track.mml"), std::string::npos);
    EXPECT_EQ(std::count(missing.out.begin(), missing.out.end(), '\n'), 1);
    EXPECT_EQ(runCli("count /nonexistent/x").status, 1);
    EXPECT_NE(runCli("events --signature 3-4 -", "c").status, 0);
}

TEST(CliCount, CountsTheGameCharacters)
{
    const CliRun run = runCli("count -", "t120 l8 c d e // comment\r\n");
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "9\n");
}

}  // namespace
