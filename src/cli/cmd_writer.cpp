// `optimize`, `spell`, `migrate`, `mmla` and `rank`: the MML writer, the
// 32-to-96 migration and the clipboard export from the shell.
#include <array>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include "cli/cli_common.h"
#include "core/clipboard_export.h"
#include "core/exact_optimizer.h"
#include "core/migration.h"
#include "core/mml_compiler.h"
#include "core/mml_writer.h"
#include "core/tick_spelling.h"
#include "core/unicode.h"

namespace zema::cli {

namespace {

void printLine(std::ostream& stream, std::u16string_view text)
{
    stream << utf16ToUtf8(text);
    if (text.empty() || text.back() != u'\n') stream << '\n';
}

struct OptimizeOptions {
    TimingOptions timing;
    int mode = 0;
    int option = 0;
    bool exact = false;
    std::string file;
    CLI::Option* modeOption = nullptr;
    CLI::Option* optionOption = nullptr;
};

int runOptimize(const OptimizeOptions& options)
{
    const bool hasMode = options.modeOption->count() > 0;
    const bool hasOption = options.optionOption->count() > 0;
    if (hasMode != hasOption) {
        std::cerr << "zema-cli optimize: give both --mode and --option, or neither\n";
        return 1;
    }
    const auto timing = timingFrom(options.timing);
    if (!timing) return 1;
    const auto bytes = readInput(options.file);
    if (!bytes) return 1;
    const std::u16string text = utf8ToUtf16(*bytes);
    if (options.exact) {
        if (hasMode) {
            std::cerr << "zema-cli optimize: --exact takes no --mode or --option\n";
            return 1;
        }
        const std::optional<std::u16string> shortest = writeShortestTrack(*timing, text);
        if (!shortest) {
            std::cerr << "zema-cli optimize: the exact search cannot write this track (a tempo outside 32..255, "
                         "a timebase above 960 or a track too large)\n";
            return 1;
        }
        printLine(std::cout, *shortest);
        return 0;
    }
    if (hasMode) {
        std::u16string out;
        (void)rewriteTrack(*timing, text, options.mode, options.option, out);
        printLine(std::cout, out);
        return 0;
    }
    const OptimizedPart best = optimizePart(*timing, text);
    printLine(std::cout, best.text);
    printLine(std::cerr, methodLetter(best.candidate));
    return 0;
}

struct MmlaOptions {
    TimingOptions timing;
    bool optimize = false;
    bool sort = false;
    bool board = false;
    bool excludeSong = false;
    bool noFiller = false;
    std::vector<int> tracks;  // with a document: track numbers from 1 in display order
    std::string title;
    std::string source;
    std::vector<std::string> files;
};

std::u16string partName(const std::string& path)
{
    if (path == "-") return u"stdin";
    return utf8ToUtf16(std::filesystem::path(path).stem().string());
}

// The parts of a document: tracks numbered from 1 in the document's display
// order; a fourth is the song part.
bool documentParts(const MmlaOptions& options, TimingContext& timing, std::vector<ClipSource>& sources,
                   std::optional<ClipSource>& song, ReadStatus& read)
{
    if (options.tracks.empty() || options.tracks.size() > 4) {
        std::cerr << "zema-cli mmla: give one to four track numbers (melody, chord 1, chord 2, song) with --tracks\n";
        return false;
    }
    const auto tracks = documentTracks(options.files.front(), options.tracks, "mmla", timing, read);
    if (!tracks) return false;
    for (size_t k = 0; k < tracks->size(); ++k) {
        const DocumentTrack& track = (*tracks)[k];
        ClipSource source{track.slot, track.name, track.text, characterCount(track.text)};
        if (k == kSongPart) song = std::move(source);
        else sources.push_back(std::move(source));
    }
    return true;
}

int runMmla(const MmlaOptions& options)
{
    const bool fromDocument = !options.tracks.empty();
    if (options.files.empty() || options.files.size() > 3 || (fromDocument && options.files.size() != 1)) {
        std::cerr << "zema-cli mmla: give one to three track files (melody, chord 1, chord 2), "
                     "or one document with --tracks\n";
        return 1;
    }
    auto timing = timingFrom(options.timing);
    if (!timing) return 1;
    std::vector<ClipSource> sources;
    std::optional<ClipSource> song;
    ReadStatus read;
    if (fromDocument) {
        if (!documentParts(options, *timing, sources, song, read)) return read ? 1 : exitStatusOf(read);
    } else {
        for (size_t k = 0; k < options.files.size(); ++k) {
            const auto bytes = readInput(options.files[k]);
            if (!bytes) return 1;
            ClipSource source;
            source.trackIndex = static_cast<int32_t>(k);
            source.name = partName(options.files[k]);
            source.text = utf8ToUtf16(*bytes);
            source.sourceCount = characterCount(source.text);
            sources.push_back(std::move(source));
        }
    }
    ClipOptions clip;
    clip.format = options.board ? ClipFormat::Board : ClipFormat::Game;
    clip.sortByLength = options.sort;
    clip.optimize = options.optimize;
    clip.excludeSong = options.excludeSong;
    clip.melodyFiller = !options.noFiller;
    clip.title = utf8ToUtf16(options.title);
    clip.source = utf8ToUtf16(options.source);
    const ClipExport result = composeClipboard(*timing, sources, clip, song ? &*song : nullptr);
    if (result.text.empty()) {
        std::cerr << "zema-cli mmla: every part is empty; nothing to write\n";
        return 1;
    }
    printLine(std::cout, result.text);
    printLine(std::cerr, resultMessage(result, clip.format, clip.optimize));
    return exitStatusOf(read);
}

}  // namespace

void addWriterCommands(CLI::App& app, int& exitCode)
{
    auto optimize = std::make_shared<OptimizeOptions>();
    CLI::App* cmd = app.add_subcommand(
        "optimize", "Rewrite a track to its shortest MML (best of six ways, letter on standard error)");
    addTimingOptions(*cmd, optimize->timing);
    optimize->modeOption = cmd->add_option("--mode", optimize->mode, "writer mode")->check(CLI::Range(0, 1));
    optimize->optionOption = cmd->add_option("--option", optimize->option, "writer option")->check(CLI::Range(-1, 1));
    cmd->add_flag("--exact", optimize->exact, "only the exact search: the shortest text that sounds the same");
    cmd->add_option("file", optimize->file, "track text (UTF-8), - for standard input")->required();
    cmd->callback([optimize, &exitCode] { exitCode = runOptimize(*optimize); });

    auto spell = std::make_shared<std::pair<int, std::string>>(0, "c");
    cmd = app.add_subcommand("spell", "Spell a length in ticks at 96 ticks per quarter as tied MML lengths");
    cmd->add_option("ticks", spell->first, "length in ticks")->required()->check(CLI::NonNegativeNumber);
    cmd->add_option("note", spell->second, "note text: c, c+, ... or r (default c)");
    cmd->callback([spell, &exitCode] {
        std::u16string out;
        spellTicks(utf8ToUtf16(spell->second), spell->first, out);
        printLine(std::cout, out);
        exitCode = 0;
    });

    auto migrate = std::make_shared<std::string>();
    cmd = app.add_subcommand("migrate", "Rewrite a track made at 32 ticks per quarter for 96");
    cmd->add_option("file", *migrate, "track text (UTF-8), - for standard input")->required();
    cmd->callback([migrate, &exitCode] {
        const auto bytes = readInput(*migrate);
        if (!bytes) {
            exitCode = 1;
            return;
        }
        std::u16string out;
        migrateTrack(utf8ToUtf16(*bytes), out);
        std::cout << utf16ToUtf8(out);
        exitCode = 0;
    });

    auto mmla = std::make_shared<MmlaOptions>();
    cmd = app.add_subcommand(
        "mmla", "Compose the game's MML@ text of up to three tracks (and a song part), with the required rank");
    addTimingOptions(*cmd, mmla->timing);
    cmd->add_flag("--optimize", mmla->optimize, "write each part as the shortest of the six ways");
    cmd->add_flag("--sort", mmla->sort, "longest part first");
    cmd->add_flag("--board", mmla->board, "bulletin-board template instead of one line");
    cmd->add_option("--title", mmla->title, "song title (board header)");
    cmd->add_option("--source", mmla->source, "song source (board header)");
    cmd->add_flag("--exclude-song", mmla->excludeSong, "the game's \"exclude song part\" rule: larger limits, no song");
    cmd->add_flag("--no-filler", mmla->noFiller, "leave an empty melody empty instead of writing <>");
    cmd->add_option("--tracks", mmla->tracks, "with a document: track numbers from 1 in its track order")
        ->delimiter(',');
    cmd->add_option("files", mmla->files,
                    "melody, chord 1 and chord 2 track texts (UTF-8), or one song document with --tracks")
        ->required();
    cmd->callback([mmla, &exitCode] { exitCode = runMmla(*mmla); });

    auto counts = std::make_shared<std::pair<std::vector<int>, bool>>();
    cmd = app.add_subcommand("rank", "Name the composition rank needed for three (or four) character counts");
    cmd->add_flag("--exclude-song", counts->second,
                  "the game's \"exclude song part\" rule (the name ends in ` to tell it apart)");
    cmd->add_option("counts", counts->first, "melody, chord 1, chord 2 and, optionally, song character counts")
        ->required()
        ->expected(3, 4);
    cmd->callback([counts, &exitCode] {
        std::array<int32_t, kPartCount> parts{};
        for (size_t k = 0; k < counts->first.size() && k < parts.size(); ++k) parts[k] = counts->first[k];
        printLine(std::cout, rankName(rankOf(parts, counts->second), counts->second));
        exitCode = 0;
    });
}

}  // namespace zema::cli
