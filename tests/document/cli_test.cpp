// The document subcommands of zema-cli, run as a user would.
#include <cstdio>

#include <gtest/gtest.h>

#include "cli_runner.h"
#include <nlohmann/json.hpp>

#include "document_test_support.h"

namespace zema {
namespace {

using test::CliRun;
using test::quoted;
CliRun run(const std::string& arguments) { return test::runCli(arguments); }

const std::filesystem::path kCorpus = ZEMA_CORPUS_DIR;

TEST(Cli, InfoOfEachKind)
{
    const CliRun mms = run("info " + quoted(kCorpus / "mms" / "ドンキーコング - Jungle Groove.mms"));
    ASSERT_EQ(mms.status, 0) << mms.out;
    const auto doc = nlohmann::json::parse(mms.out);
    EXPECT_EQ(doc["title"], "Jungle Groove");
    EXPECT_EQ(doc["tracks"].size(), 15u);
    EXPECT_EQ(doc["tracks"][0]["group"], 1);
    EXPECT_EQ(doc["tracks"][0]["options"], nlohmann::json::array({0, 0}));
    EXPECT_EQ(doc["groups"][1]["name"], "ベース");
    EXPECT_GT(doc["tracks"][0]["characterCount"].get<int>(), 0);

    const CliRun pasted = run("info " + quoted(kCorpus / "mmla" / "song_000.txt"));
    ASSERT_EQ(pasted.status, 0);
    EXPECT_EQ(nlohmann::json::parse(pasted.out)["tracks"][0]["name"], "Track1");

    const CliRun missing = run("info /nonexistent.mml");
    EXPECT_EQ(missing.status, 3);
    EXPECT_NE(missing.out.find("ファイルが開けませんでした。"), std::string::npos);
}

TEST(Cli, ConvertKeepsTheDocument)
{
    test::TempFolder folder;
    const auto source = kCorpus / "mml" / "FMTM_4BEAT.mml";
    for (const char* mode : {"", "--no-compact"}) {
        const auto out = folder / "out.mml";
        const CliRun convert = run("convert " + quoted(source) + " " + quoted(out) + " " + mode);
        ASSERT_EQ(convert.status, 0) << convert.out;
        const auto before = nlohmann::json::parse(run("info " + quoted(source)).out);
        const auto after = nlohmann::json::parse(run("info " + quoted(out)).out);
        EXPECT_EQ(after["title"], before["title"]);
        EXPECT_EQ(after["timebase"], before["timebase"]);
        ASSERT_EQ(after["tracks"].size(), before["tracks"].size());
        for (size_t i = 0; i < after["tracks"].size(); ++i) {
            EXPECT_EQ(after["tracks"][i]["volume"], before["tracks"][i]["volume"]);
            EXPECT_EQ(after["tracks"][i]["characterCount"], before["tracks"][i]["characterCount"]);
        }
        const bool compact = std::string(mode).empty();
        EXPECT_EQ(test::readBytes(out).find("TimeBase=") == std::string::npos, compact);
    }
    EXPECT_EQ(run("convert /nonexistent.mml " + quoted(folder / "x.mml")).status, 3);
}

TEST(Cli, InstrumentsAndSongEvents)
{
    test::TempFolder folder;
    test::writeBytes(folder / "bank.def", "[Instrument presets]\r\nLute=0,0,1,0,0,0,0\r\n[1033]\r\nLute=Lute EN\r\n");
    const CliRun list = run("instruments " + quoted(folder / "bank.def") + " --lcid 1033 --gm");
    ASSERT_EQ(list.status, 0);
    EXPECT_EQ(list.out.substr(0, 42), "001: Lute EN\n001: Acoustic Grand Piano   \n");
    // Without a file: the game's instruments shipped beside the program.
    for (const auto& [lcid, first] : {std::pair<const char*, std::string>{"1041", "001: リュート\n002: ウクレレ\n"},
                                      {"1033", "001: Lute\n002: Ukulele\n"},
                                      {"1042", "001: 류트\n002: 우쿨렐레\n"}}) {
        const CliRun shipped = run(std::string("instruments --lcid ") + lcid);
        ASSERT_EQ(shipped.status, 0) << lcid;
        EXPECT_EQ(shipped.out.substr(0, first.size()), first) << lcid;
    }

    const CliRun events =
        run("events --song " + quoted(std::filesystem::path(ZEMA_SOURCE_DIR) / "resources" / "demo" / "demo.mml"));
    ASSERT_EQ(events.status, 0) << events.out.substr(0, 200);
    // The demo song's three tracks and its marker.
    for (int track : {0, 1, 2, 17}) {
        EXPECT_NE(events.out.find("\"trackIndex\":" + std::to_string(track) + ","), std::string::npos) << track;
    }
}

TEST(Cli, MmlaTakesTheTracksOfADocument)
{
    test::TempFolder folder;
    const auto song = folder / "song.mml";
    test::writeBytes(song, "[Settings]\r\n[Channel1]\r\nc d e\r\n[Channel2]\r\nC8\r\n[Channel3]\r\ng\r\n");
    struct Case {
        std::string arguments;
        int status;
        std::string out;
    };
    const Case cases[] = {
        {"--tracks 2,1", 0, "MML@c8,cde;\n"},
        {"--tracks 1,2,2,3", 0, "MML@cde,c8,c8,g;\n"},
        {"--tracks 1,2,2,3 --exclude-song", 0, "MML@cde,c8,c8;\n"},
        {"--tracks 4", 1, ""},
        {"--tracks 1,2,3,1,2", 1, ""},
    };
    for (const Case& c : cases) {
        const CliRun result = run("mmla " + quoted(song) + " " + c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments;
        if (c.status == 0) {
            EXPECT_EQ(result.out.substr(0, c.out.size()), c.out) << c.arguments;
        }
    }
}

}  // namespace
}  // namespace zema
