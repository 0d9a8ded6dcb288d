// `info`, `convert` and `instruments`: read documents and instrument
// definitions the way File Open and the track property dialog do.
#include <cerrno>
#include <iostream>
#include <memory>

#include <nlohmann/json.hpp>

#include "app/preferences.h"
#include "app/settings_location.h"
#include "cli/cli_common.h"
#include "core/mml_compiler.h"
#include "core/strings.h"
#include "core/unicode.h"
#include "document/document_open.h"
#include "document/instrument_definitions.h"
#include "document/mml_file_writer.h"
#include "document/song_document.h"

namespace zema::cli {

namespace {

std::string utf8(std::u16string_view text) { return utf16ToUtf8(text); }

void reportOpen(const ReadStatus& status) { reportRead(status, loadString("IDS_ERR_FILEOPEN")); }

nlohmann::ordered_json documentToJson(const DocumentData& document)
{
    nlohmann::ordered_json out;
    out["title"] = utf8(document.title);
    out["source"] = utf8(document.source);
    out["memo"] = utf8(document.memo);
    out["timebase"] = document.timing.timebase;
    out["numerator"] = document.timing.numerator;
    out["denominator"] = document.timing.denominator;
    out["trackOrder"] = effectiveTrackOrder(document);
    out["tracks"] = nlohmann::ordered_json::array();
    for (int i = 0; i < kTrackCount; ++i) {
        const DocumentSlot& slot = document.slots[i];
        if (!slot.used) continue;
        nlohmann::ordered_json track;
        track["slot"] = i;
        track["name"] = utf8(slot.name);
        track["instrument"] = slot.instrument;
        track["volume"] = slot.volume;
        track["panpot"] = slot.panpot;
        track["channel"] = slot.channel;
        track["marker"] = slot.startMarker;
        track["group"] = slot.group;
        track["options"] = {slot.trackType, slot.option2};
        track["mml"] = utf8(slot.text);
        track["characterCount"] = characterCount(slot.text);
        out["tracks"].push_back(std::move(track));
    }
    out["markers"] = nlohmann::ordered_json::array();
    for (const Marker& marker : document.markers) {
        out["markers"].push_back({{"tick", marker.tick}, {"color", marker.colour}, {"name", utf8(marker.name)}});
    }
    out["groups"] = nlohmann::ordered_json::array();
    for (const TrackGroup& group : document.groups) out["groups"].push_back({{"name", utf8(group.name)}});
    return out;
}

struct ConvertOptions {
    TimingOptions timing;
    std::string input;
    std::string output;
    bool compact = true;
};

int runConvert(const ConvertOptions& options)
{
    const auto defaults = timingFrom(options.timing);
    if (!defaults) return 1;
    DocumentData document;
    const ReadStatus read = openDocument(options.input, *defaults, document);
    reportOpen(read);
    if (!read) return exitStatusOf(read);
    // Through the song, as the program saves what it opened.
    auto song = std::make_unique<Song>();
    copyToSong(document, *song);
    CMMLFileWriter writer(snapshotOf(*song), options.compact);
    if (!writer.SaveFile(options.output)) {
        std::cerr << utf8(loadString("IDS_ERR_FILESAVE")) << "\n";
        return 1;
    }
    return exitStatusOf(read);
}

}  // namespace

ReadStatus loadSongDocument(const std::string& path, const TimingContext& defaults, Song& song)
{
    DocumentData document;
    const ReadStatus read = openDocument(path, defaults, document);
    reportOpen(read);
    if (!read) return read;
    copyToSong(document, song);
    recompileAll(song);
    return read;
}

std::optional<std::vector<DocumentTrack>> documentTracks(const std::string& path, const std::vector<int>& numbers,
                                                        std::string_view command, TimingContext& timing,
                                                        ReadStatus& read)
{
    auto song = std::make_unique<Song>();
    read = loadSongDocument(path, timing, *song);
    if (!read) return std::nullopt;
    timing = song->timing;
    const auto& order = song->trackOrder;
    std::vector<DocumentTrack> tracks;
    for (const int number : numbers) {
        if (number < 1 || static_cast<size_t>(number) > order.size()) {
            std::cerr << "zema-cli " << command << ": the document has no track " << number << " (it has "
                      << order.size() << ")\n";
            return std::nullopt;
        }
        const int32_t slot = order[static_cast<size_t>(number - 1)];
        const Track& track = song->tracks[static_cast<size_t>(slot)];
        tracks.push_back({slot, track.name, track.text});
    }
    return tracks;
}

void addInfoCommand(CLI::App& app, int& exitCode)
{
    struct InfoOptions {
        TimingOptions timing;
        std::string file;
    };
    auto options = std::make_shared<InfoOptions>();
    CLI::App* cmd = app.add_subcommand("info", "Read a .mml, .mms or pasted MML@ text file and print it as JSON");
    addTimingOptions(*cmd, options->timing);
    cmd->add_option("file", options->file, "document to read")->required();
    cmd->callback([options, &exitCode] {
        const auto defaults = timingFrom(options->timing);
        if (!defaults) {
            exitCode = 1;
            return;
        }
        DocumentData document;
        const ReadStatus read = openDocument(options->file, *defaults, document);
        reportOpen(read);
        if (read) std::cout << documentToJson(document).dump(2) << "\n";
        exitCode = exitStatusOf(read);
    });
}

void addConvertCommand(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<ConvertOptions>();
    CLI::App* cmd = app.add_subcommand("convert", "Read a document (as info does) and save it as a .mml document");
    addTimingOptions(*cmd, options->timing);
    cmd->add_option("input", options->input, "document to read")->required();
    cmd->add_option("output", options->output, ".mml file to write")->required();
    cmd->add_flag("--compact,!--no-compact", options->compact,
                  "keep timing, track properties and markers only in the extension block (default)");
    cmd->callback([options, &exitCode] { exitCode = runConvert(*options); });
}

void addInstrumentsCommand(CLI::App& app, int& exitCode)
{
    struct InstrumentOptions {
        std::string file;
        int languageId = 0;
        bool generalMidi = false;
    };
    auto options = std::make_shared<InstrumentOptions>();
    CLI::App* cmd = app.add_subcommand("instruments", "Print the instrument list of a .def file");
    cmd->add_option("file", options->file, "instrument definition file (default: the game's instruments, shipped)");
    cmd->add_option("--lcid", options->languageId, "language identifier of the names (default: the system's)");
    cmd->add_flag("--gm", options->generalMidi, "append the 128 General MIDI programs");
    cmd->callback([options, &exitCode] {
        const std::filesystem::path file =
            options->file.empty() ? defaultInstrumentsFile(programFolder()) : std::filesystem::path(options->file);
        std::vector<InstrumentPreset> presets;
        const ReadStatus read = file.empty() ? ReadStatus::unreadable(ENOENT)
                                             : loadInstrumentPresets(file, options->languageId, presets);
        if (!read) {
            reportOpen(read);
            exitCode = exitStatusOf(read);
            return;
        }
        for (const InstrumentListItem& item : instrumentListItems(presets, options->generalMidi)) {
            std::cout << utf8(item.text) << "\n";
        }
    });
}

}  // namespace zema::cli
