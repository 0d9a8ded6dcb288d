// `events` and `count`: compile MML text and show what the compiler made.
#include <cctype>
#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/cli_common.h"
#include "cli/event_json.h"
#include "app/event_list_text.h"
#include "core/mml_compiler.h"
#include "core/song.h"
#include "core/unicode.h"

namespace zema::cli {

namespace {

struct EventsOptions {
    TimingOptions timing;
    int startTick = 0;
    bool keepTies = false;
    bool stateToEvents = false;
    bool states = false;
    bool song = false;
    bool listView = false;
    std::vector<std::string> files;
};

// The rows of the event list view: position part, a tab, event part.
void printListView(const EventList& events, const TimingContext& timing)
{
    for (const EventRow& row : eventListRows(events, timing)) std::cout << row.position << '\t' << row.event << '\n';
}

void printList(const EventsOptions& options, const EventList& events, const TimingContext& timing)
{
    if (options.listView) printListView(events, timing);
    else printEvents(events);
}

int runTrackEvents(const EventsOptions& options)
{
    if (options.files.size() != 1) {
        std::cerr << "zema-cli events: give one track file (or - for standard input), or --song FILE...\n";
        return 1;
    }
    const auto timing = timingFrom(options.timing);
    if (!timing) return 1;
    const auto bytes = readInput(options.files.front());
    if (!bytes) return 1;

    EventList events;
    StateList states;
    compileTrack(*timing, utf8ToUtf16(*bytes), events, states, options.startTick, options.keepTies,
                 options.stateToEvents);
    printList(options, options.states ? states : events, *timing);
    return 0;
}

// `.mml` and `.mms` files are documents; anything else is one track's text.
bool isDocumentPath(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".mml" || extension == ".mms";
}

int runSongEvents(const EventsOptions& options)
{
    if (options.files.empty() || options.files.size() > kTrackCount) {
        std::cerr << "zema-cli events --song: give 1 to 16 track files\n";
        return 1;
    }
    auto song = std::make_unique<Song>();
    if (options.files.size() == 1 && isDocumentPath(options.files.front())) {
        // A whole document: its tracks at their start markers, groups and markers.
        const auto timing = timingFrom(options.timing);
        if (!timing) return 1;
        const ReadStatus read = loadSongDocument(options.files.front(), *timing, *song);
        if (!read) return exitStatusOf(read);
        printList(options, song->events, song->timing);
        return exitStatusOf(read);
    }
    for (size_t i = 0; i < options.files.size(); ++i) {
        const auto bytes = readInput(options.files[i]);
        if (!bytes) return 1;
        Track& track = song->tracks[i];
        track.used = true;
        track.text = utf8ToUtf16(*bytes);
    }
    recompileAll(*song);
    printList(options, song->events, song->timing);
    return 0;
}

}  // namespace

void addEventsCommand(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<EventsOptions>();
    CLI::App* cmd = app.add_subcommand("events", "Compile MML and print its events as JSON Lines");
    addTimingOptions(*cmd, options->timing);
    cmd->add_option("--start-tick", options->startTick, "tick at which the track starts");
    cmd->add_flag("--keep-ties", options->keepTies, "keep ties as Tie events instead of joining notes");
    cmd->add_flag("--state-to-events", options->stateToEvents, "put volume and length states into the events");
    cmd->add_flag("--states", options->states, "print the state list instead of the events");
    cmd->add_flag("--song", options->song, "the files are tracks 0, 1, ... of one song, or one .mml/.mms document; print the merged list");
    cmd->add_flag("--list-view", options->listView,
                  "print the rows of the event list view (position, tab, event) instead of JSON");
    cmd->add_option("files", options->files, "track text (UTF-8), - for standard input")->required();
    cmd->callback([options, &exitCode] {
        exitCode = options->song ? runSongEvents(*options) : runTrackEvents(*options);
    });
}

void addCountCommand(CLI::App& app, int& exitCode)
{
    auto file = std::make_shared<std::string>();
    CLI::App* cmd = app.add_subcommand("count", "Print the number of characters the game counts for a track");
    cmd->add_option("file", *file, "track text (UTF-8), - for standard input")->required();
    cmd->callback([file, &exitCode] {
        const auto bytes = readInput(*file);
        if (!bytes) {
            exitCode = 1;
            return;
        }
        std::cout << characterCount(utf8ToUtf16(*bytes)) << "\n";
    });
}

}  // namespace zema::cli
