// `import-smf` and `export-smf`: Standard MIDI Files to and from documents,
// with the options and profiles of the import dialog.
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>

#include "cli/cli_common.h"
#include "core/strings.h"
#include "core/unicode.h"
#include "document/mml_file_writer.h"
#include "document/smf_export.h"
#include "document/smf_file_io.h"
#include "document/smf_import.h"
#include "document/smf_track_list.h"

namespace zema::cli {

namespace {

void report(std::u16string_view message) { std::cerr << utf16ToUtf8(message) << "\n"; }

struct ImportOptions {
    std::string input;
    std::string output;
    bool list = false;
    int profile = 0;
    std::optional<int> quantize;
    std::string tracks;
    // Switches given on the command line; unset ones keep the profile's value.
    std::optional<bool> program, control, pitch, velocity, comment, sysex, channel, reduceRest, spread, spreadControl;
};

// "1,3,4" as list positions; nothing (with a message) for a malformed list or
// a number that names no entry.
std::optional<std::vector<bool>> parseTrackNumbers(const std::string& text, size_t entryCount)
{
    std::vector<bool> selected(entryCount, false);
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ',')) {
        size_t used = 0;
        int number = 0;
        try {
            number = std::stoi(item, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used == 0 || used != item.size() || number < 1 || static_cast<size_t>(number) > entryCount) {
            std::cerr << "zema-cli import-smf: no track \"" << item << "\" in the list (1.." << entryCount << ")\n";
            return std::nullopt;
        }
        selected[static_cast<size_t>(number - 1)] = true;
    }
    return selected;
}

int runImport(const ImportOptions& cli)
{
    int systemError = 0;
    const auto bytes = readFileBytes(cli.input, systemError);
    ReadStatus read = ReadStatus::unreadable(systemError);
    const auto tracks = bytes ? scanSmfTracks(*bytes, &read) : std::nullopt;
    reportRead(read, smfImportMessage(SmfImportStatus::ParseError));
    if (!tracks) return exitStatusOf(read);
    const std::vector<std::u16string> entries = tracks->texts();
    if (cli.list) {
        for (const std::u16string& entry : entries) std::cout << utf16ToUtf8(entry) << "\n";
        return exitStatusOf(read);
    }
    if (cli.output.empty()) {
        std::cerr << "zema-cli import-smf: give -o OUT.mml (or --list)\n";
        return 1;
    }

    SmfImportOptions options;
    const SmfTrackSelectionRule rule = applyProfile(static_cast<SmfImportProfile>(cli.profile), options);
    auto apply = [](const std::optional<bool>& given, bool& field) {
        if (given) field = *given;
    };
    apply(cli.program, options.programChange);
    apply(cli.control, options.controlChange);
    apply(cli.pitch, options.pitchBend);
    apply(cli.velocity, options.velocity);
    apply(cli.comment, options.midiText);
    apply(cli.sysex, options.sysEx);
    apply(cli.channel, options.channel);
    apply(cli.reduceRest, options.reduceRest);
    apply(cli.spread, options.spreadTrack);
    apply(cli.spreadControl, options.spreadControl);
    if (!options.spreadTrack) options.spreadControl = false;  // the dialog enables it only while spreading
    if (cli.quantize) options.quantizeValue = *cli.quantize;

    // The dialog opens with the automatic selection; a profile may change it.
    std::vector<bool> selected = applySelectionRule(rule, entries, autoSelection(entries));
    if (!cli.tracks.empty()) {
        const auto given = parseTrackNumbers(cli.tracks, entries.size());
        if (!given) return 1;
        selected = *given;
    }
    if (const auto problem = checkTrackSelection(selected, options.spreadTrack)) {
        report(*problem);
        return 1;
    }

    const SmfImportResult result = convertSmf(*bytes, options, selected);
    if (result.status != SmfImportStatus::Ok) {
        report(smfImportMessage(result.status));
        return 1;
    }
    CMMLFileWriter writer(importedDocument(result, TimingContext{}), true);
    if (!writer.SaveFile(cli.output)) {
        report(loadString("IDS_ERR_FILESAVE"));
        return 1;
    }
    return exitStatusOf(read);
}

void addSwitch(CLI::App& command, const std::string& name, std::optional<bool>& target, const std::string& help)
{
    command.add_flag_function(
        "--" + name + ",!--no-" + name, [&target](int64_t count) { target = count > 0; }, help);
}

}  // namespace

void addSmfCommands(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<ImportOptions>();
    CLI::App* import = app.add_subcommand("import-smf", "Convert a Standard MIDI File into a .mml document");
    import->add_option("file", options->input, "MIDI file to read")->required();
    import->add_flag("--list", options->list, "print the track list and stop");
    import->add_option("-o,--output", options->output, ".mml document to write");
    import->add_option("--profile", options->profile,
                       "0 カスタム, 1 マビノギ 通常, 2 マビノギ 文字数節約, 3 マビノギ 和音再現, 4 拡張 多数トラック, "
                       "5 拡張 単体トラック精密 (default 0)")
        ->check(CLI::Range(0, kSmfImportProfileCount - 1));
    import->add_option("--quantize", options->quantize, "grid as a note length: 4, 8, 16, 32 or 64 (default 64)")
        ->check(CLI::IsMember({4, 8, 16, 32, 64}));
    import->add_option("--tracks", options->tracks, "list numbers to convert, e.g. 1,2,5 (default: the profile's)");
    addSwitch(*import, "program", options->program, "program changes as @n");
    addSwitch(*import, "control", options->control, "control changes as Vn and yc,v");
    addSwitch(*import, "pitch", options->pitch, "pitch bends as ~n");
    addSwitch(*import, "velocity", options->velocity, "velocities as vn");
    addSwitch(*import, "comment", options->comment, "text events as comments");
    addSwitch(*import, "sysex", options->sysex, "exclusive messages as EX");
    addSwitch(*import, "channel", options->channel, "keep each track's MIDI channel");
    addSwitch(*import, "reduce-rest", options->reduceRest, "hold notes over the following gap instead of rests");
    addSwitch(*import, "spread", options->spread, "spread one MIDI track over several MML tracks");
    addSwitch(*import, "spread-control", options->spreadControl, "with --spread, non-note events on their own track");
    import->callback([options, &exitCode] { exitCode = runImport(*options); });

    struct ExportOptions {
        std::string input;
        std::string output;
        int format = 1;
    };
    auto exportOptions = std::make_shared<ExportOptions>();
    CLI::App* exporter = app.add_subcommand("export-smf", "Write a document as a Standard MIDI File");
    exporter->add_option("file", exportOptions->input, "document to read (.mml, .mms or MML@ text)")->required();
    exporter->add_option("-o,--output", exportOptions->output, "MIDI file to write")->required();
    exporter->add_option("--format", exportOptions->format, "0 (one chunk) or 1 (one chunk per track, default)")
        ->check(CLI::IsMember({0, 1}));
    exporter->callback([exportOptions, &exitCode] {
        auto song = std::make_unique<Song>();
        const ReadStatus read = loadSongDocument(exportOptions->input, TimingContext{}, *song);
        if (!read) {
            exitCode = exitStatusOf(read);
            return;
        }
        if (!exportSmf(exportOptions->output, smfExportRequestOf(*song, exportOptions->format))) {
            report(loadString("IDS_ERR_SMFEXPORT"));
            exitCode = 1;
            return;
        }
        exitCode = exitStatusOf(read);
    });
}

}  // namespace zema::cli
