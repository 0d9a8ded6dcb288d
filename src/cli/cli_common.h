#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <CLI/CLI.hpp>

#include "core/song.h"
#include "core/timing.h"
#include "document/read_status.h"

namespace zema::cli {

// Reads a whole file ("-" = standard input) as bytes. On failure prints a
// one-line message with the system's reason to standard error and returns
// nothing.
[[nodiscard]] std::optional<std::string> readInput(const std::string& path);

// Timing options shared by the subcommands that compile MML.
struct TimingOptions {
    int timebase = 96;
    std::string signature = "4/4";
};
void addTimingOptions(CLI::App& command, TimingOptions& options);
// Parses the options into a context; prints a message and returns nothing when
// the signature is not N/D.
[[nodiscard]] std::optional<TimingContext> timingFrom(const TimingOptions& options);

// Each subcommand registers itself here; its callback stores the process exit
// status in `exitCode`.
void addEventsCommand(CLI::App& app, int& exitCode);
void addCountCommand(CLI::App& app, int& exitCode);
// optimize, spell, migrate, mmla and rank.
void addWriterCommands(CLI::App& app, int& exitCode);
// edit: note edits written into a track's text.
void addEditCommand(CLI::App& app, int& exitCode);
void addInfoCommand(CLI::App& app, int& exitCode);
void addConvertCommand(CLI::App& app, int& exitCode);
void addInstrumentsCommand(CLI::App& app, int& exitCode);
// import-smf and export-smf.
void addSmfCommands(CLI::App& app, int& exitCode);
// split: a song cut into a score book.
void addBookCommands(CLI::App& app, int& exitCode);
// ports, play and render.
void addPlaybackCommands(CLI::App& app, int& exitCode);

// settings and keys: the editor's settings folder.
void addAppCommands(CLI::App& app, int& exitCode);
// associate and autosave-name: file association and autosave naming.
void addAssociateCommands(CLI::App& app, int& exitCode);
// lng-check, lng-template and languages: language files.
void addLanguageCommands(CLI::App& app, int& exitCode);

// The exit status a read gives: 0 when clean, else one status per kind
// (3 unreadable, 4 empty, 5 not a file of its kind, 6 MIDI header invalid,
// 7 damaged extension block, 8 unknown text encoding, 9 truncated MIDI track).
// Kinds 7 to 9 still produced their output from what was read.
[[nodiscard]] int exitStatusOf(const ReadStatus& status);

// Prints what a read found to standard error, as the window shows it: a
// failure as `failureMessage` and the reason on the next line, a lossy read
// as the partial-read message and the reason. Nothing for a clean read.
void reportRead(const ReadStatus& status, std::u16string_view failureMessage);

// Opens a document (.mml, .mms or pasted MML@ text) into `song` and compiles
// it; prints what the read found (reportRead). The status is false when
// nothing was read.
[[nodiscard]] ReadStatus loadSongDocument(const std::string& path, const TimingContext& defaults, Song& song);

// Tracks of a document chosen by number, from 1 in the document's track
// order. `timing` gives the defaults and receives the document's timing. On
// a number the document does not have, prints "zema-cli COMMAND: ..." and
// returns nothing. `read` receives what reading the document found.
struct DocumentTrack {
    int32_t slot = 0;
    std::u16string name;
    std::u16string text;
};
[[nodiscard]] std::optional<std::vector<DocumentTrack>> documentTracks(const std::string& path,
                                                                      const std::vector<int>& numbers,
                                                                      std::string_view command, TimingContext& timing,
                                                                      ReadStatus& read);

}  // namespace zema::cli
