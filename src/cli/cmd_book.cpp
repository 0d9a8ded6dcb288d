// `split`: a song's tracks cut into a score book, one MML@ line per scroll.
#include <array>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "core/clipboard_export.h"
#include "core/score_book.h"
#include "core/unicode.h"

namespace zema::cli {

namespace {

constexpr std::array<const char*, kPartCount> kPartNames = {"melody", "chord 1", "chord 2", "song part"};

struct SplitOptions {
    TimingOptions timing;
    std::string file;
    std::vector<int> tracks;  // track numbers from 1 in the document's order: melody, chord 1, chord 2, song
    std::string rank;
    bool excludeSong = false;
    bool optimize = false;
};

void printLine(std::ostream& stream, std::u16string_view text) { stream << utf16ToUtf8(text) << '\n'; }

int runSplit(const SplitOptions& options)
{
    if (options.tracks.empty() || options.tracks.size() > static_cast<size_t>(kPartCount)) {
        std::cerr << "zema-cli split: give one to four track numbers (melody, chord 1, chord 2, song) with --tracks\n";
        return 1;
    }
    const int rank = rankIndexOf(utf8ToUtf16(options.rank));
    if (rank < 0) {
        std::cerr << "zema-cli split: no rank \"" << options.rank << "\" (F, E, D, C, B, A, 9 ... 1, or "
                  << utf16ToUtf8(rankName(0)) << ")\n";
        return 1;
    }
    auto timing = timingFrom(options.timing);
    if (!timing) return 1;
    ReadStatus read;
    const auto tracks = documentTracks(options.file, options.tracks, "split", *timing, read);
    if (!tracks) return read ? 1 : exitStatusOf(read);
    std::vector<std::u16string> parts;
    for (const DocumentTrack& track : *tracks) parts.push_back(track.text);

    const ScoreBook book = splitIntoBook(*timing, parts, rank, options.excludeSong, options.optimize);
    const std::string rankText = utf16ToUtf8(rankName(rank, options.excludeSong));
    switch (book.problem) {
    case BookProblem::None:
    case BookProblem::TooManyScrolls:
        break;
    case BookProblem::UnknownRank:  // checked above
    case BookProblem::NothingToSplit:
        std::cerr << "zema-cli split: the chosen tracks are empty; nothing to write\n";
        return 1;
    case BookProblem::CannotCut:
        if (book.problemLimit == 0) {
            std::cerr << "zema-cli split: rank " << rankText << " has no room for the "
                      << kPartNames[static_cast<size_t>(book.problemPart)] << "\n";
            return 1;
        }
        std::cerr << "zema-cli split: the " << kPartNames[static_cast<size_t>(book.problemPart)]
                  << " holds a stretch that cannot be cut (notes tied together): its scroll would need "
                  << book.neededLength << " characters, rank " << rankText << " allows " << book.problemLimit
                  << "\n";
        return 1;
    }
    for (const BookScroll& scroll : book.scrolls) printLine(std::cout, scroll.line);
    std::cerr << "zema-cli split: " << book.scrolls.size() << " scrolls at rank " << rankText << " (at least "
              << book.lowerBound << ")";
    if (options.excludeSong && parts.size() > static_cast<size_t>(kSongPart)) std::cerr << "; song part left out";
    std::cerr << "\n";
    if (book.problem == BookProblem::TooManyScrolls) {
        std::cerr << "zema-cli split: a book holds at most " << kBookScrollLimit << " scrolls\n";
        return 1;
    }
    return exitStatusOf(read);
}

}  // namespace

void addBookCommands(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<SplitOptions>();
    CLI::App* cmd = app.add_subcommand(
        "split", "Cut a song's tracks into a score book: one MML@ line per scroll, each fitting the rank");
    addTimingOptions(*cmd, options->timing);
    cmd->add_option("file", options->file, "song document (.mml, .mms or MML@ text)")->required();
    cmd->add_option("--tracks", options->tracks,
                    "track numbers from 1 in the document's track order: melody, chord 1, chord 2 and song")
        ->delimiter(',')
        ->required();
    cmd->add_option("--rank", options->rank, "composition rank as the game shows it: F, E, ..., A, 9, ..., 1")
        ->required();
    cmd->add_flag("--exclude-song", options->excludeSong,
                  "the game's \"exclude song part\" rule: larger limits, no song part");
    cmd->add_flag("--optimize", options->optimize, "write each piece as the shortest of the six ways");
    cmd->callback([options, &exitCode] { exitCode = runSplit(*options); });
}

}  // namespace zema::cli
