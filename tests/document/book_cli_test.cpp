// `zema-cli split`, run as a user would.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "cli_runner.h"
#include "test_files.h"

namespace zema {
namespace {

const std::string kSong = "'" + (std::filesystem::path(ZEMA_CORPUS_DIR) / "mml" / "FF10 - besaid.mml").string() + "'";

TEST(BookCli, OneLinePerScroll)
{
    const test::CliRun run = test::runCli("split " + kSong + " --tracks 1,2,3 --rank F");
    ASSERT_EQ(run.status, 0) << run.out;
    std::istringstream lines(run.out);
    std::string line;
    int scrolls = 0;
    while (std::getline(lines, line)) {
        if (line.rfind("MML@", 0) != 0) continue;
        ++scrolls;
        EXPECT_EQ(line.back(), ';');
        EXPECT_EQ(std::count(line.begin(), line.end(), ','), 2);
    }
    EXPECT_EQ(scrolls, 3);
    EXPECT_NE(run.out.find("3 scrolls at rank F (at least 2)"), std::string::npos) << run.out;
}

TEST(BookCli, ProblemsEndWithAMessage)
{
    test::TempFolder folder;
    std::string tied = "MML@";
    for (int i = 0; i < 150; ++i) tied += "c&";
    test::writeBytes(folder / "tied.txt", tied + "c;");
    const std::string tiedFile = "'" + (folder / "tied.txt").string() + "'";
    test::writeBytes(folder / "long.txt", "MML@" + std::string(1300, 'c') + ";");
    const std::string longFile = "'" + (folder / "long.txt").string() + "'";

    struct Case {
        std::string arguments;
        std::string message;
    };
    const Case cases[] = {
        {kSong + " --tracks 1 --rank G", "no rank \"G\""},
        {kSong + " --tracks 1,4 --rank F", "no track 4 (it has 3)"},
        {longFile + " --tracks 1 --rank 練習", "7 scrolls at rank 練習 (at least 7)"},
        {longFile + " --tracks 1 --rank 練習", "a book holds at most 5 scrolls"},
        {kSong + " --tracks 1,2,3 --rank 練習", "rank 練習 has no room for the chord 2"},
        {tiedFile + " --tracks 1 --rank 練習", "would need 301 characters, rank 練習 allows 200"},
        {tiedFile + " --tracks 1,1,1,1,1 --rank F", "one to four track numbers"},
    };
    for (const Case& c : cases) {
        const test::CliRun run = test::runCli("split " + c.arguments);
        EXPECT_EQ(run.status, 1) << c.arguments;
        EXPECT_NE(run.out.find(c.message), std::string::npos) << c.arguments << "\n" << run.out;
    }
}

}  // namespace
}  // namespace zema
