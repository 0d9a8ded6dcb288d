// `edit`: note edits written back into a track's own text, as the piano roll
// makes them.
#include <charconv>
#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/cli_common.h"
#include "core/note_edit.h"
#include "core/strings.h"
#include "core/unicode.h"

namespace zema::cli {

namespace {

struct EditOptions {
    TimingOptions timing;
    std::string file;
    int track = 1;
    std::vector<std::string> inserts;
    std::vector<std::string> deletes;
    std::vector<std::string> moves;
    std::vector<std::string> resizes;
    std::vector<std::string> volumes;
};

// "A:B:C" as integers; nothing when a field is not a whole number or the
// count is outside [least, most].
std::optional<std::vector<int32_t>> fields(const std::string& value, size_t least, size_t most)
{
    std::vector<int32_t> out;
    size_t start = 0;
    while (true) {
        const size_t colon = std::min(value.find(':', start), value.size());
        int32_t number = 0;
        const char* first = value.data() + start;
        const char* last = value.data() + colon;
        const auto [end, error] = std::from_chars(first, last, number);
        if (first == last || error != std::errc{} || end != last) return std::nullopt;
        out.push_back(number);
        if (colon == value.size()) break;
        start = colon + 1;
    }
    if (out.size() < least || out.size() > most) return std::nullopt;
    return out;
}

bool isDocument(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".mml" || extension == ".mms";
}

// The edits in the order the options kinds are listed; false after printing
// which value is malformed.
bool collectEdits(const EditOptions& options, std::vector<NoteEdit>& edits)
{
    struct Kind {
        const std::vector<std::string>& values;
        NoteEditKind kind;
        size_t least;
        size_t most;
        const char* form;
    };
    const Kind kinds[] = {
        {options.inserts, NoteEditKind::Insert, 3, 4, "--insert TICK:LENGTH:NOTE[:VOLUME]"},
        {options.deletes, NoteEditKind::Delete, 2, 2, "--delete TICK:NOTE"},
        {options.moves, NoteEditKind::Move, 4, 4, "--move TICK:NOTE:NEWTICK:NEWNOTE"},
        {options.resizes, NoteEditKind::Resize, 3, 3, "--resize TICK:NOTE:LENGTH"},
        {options.volumes, NoteEditKind::Volume, 3, 3, "--volume TICK:NOTE:VOLUME"},
    };
    for (const Kind& kind : kinds) {
        for (const std::string& value : kind.values) {
            const auto f = fields(value, kind.least, kind.most);
            if (!f) {
                std::cerr << "zema-cli edit: \"" << value << "\" is not " << kind.form << "\n";
                return false;
            }
            const std::vector<int32_t>& v = *f;
            NoteEdit edit{kind.kind, 0, 0, {}};
            switch (kind.kind) {
            case NoteEditKind::Insert:
                edit.note = {v[0], v[1], v[2], v.size() > 3 ? v[3] : -1};
                break;
            default:
                edit.tick = v[0];
                edit.noteNumber = v[1];
                break;
            }
            if (kind.kind == NoteEditKind::Move) edit.note.tick = v[2], edit.note.noteNumber = v[3];
            if (kind.kind == NoteEditKind::Resize) edit.note.length = v[2];
            if (kind.kind == NoteEditKind::Volume) edit.note.volume = v[2];
            edits.push_back(edit);
        }
    }
    return true;
}

int runEdit(const EditOptions& options)
{
    auto timing = timingFrom(options.timing);
    if (!timing) return 1;
    std::vector<NoteEdit> edits;
    if (!collectEdits(options, edits)) return 1;
    if (edits.empty()) {
        std::cerr << "zema-cli edit: give at least one of --insert, --delete, --move, --resize, --volume\n";
        return 1;
    }
    std::u16string text;
    if (isDocument(options.file)) {
        ReadStatus read;
        const auto tracks = documentTracks(options.file, {options.track}, "edit", *timing, read);
        if (!tracks) return read ? 1 : exitStatusOf(read);
        text = tracks->front().text;
    } else {
        const auto bytes = readInput(options.file);
        if (!bytes) return 1;
        text = utf8ToUtf16(*bytes);
    }
    const NoteEditResult result = applyNoteEdits(*timing, text, edits);
    const std::string_view notice = noteEditNotice(result.status);
    if (!result.ok()) {
        std::cerr << "zema-cli edit: " << utf16ToUtf8(loadString(notice)) << "\n";
        return 1;
    }
    if (!notice.empty()) std::cerr << utf16ToUtf8(loadString(notice)) << "\n";
    std::cout << utf16ToUtf8(result.text);
    return 0;
}

}  // namespace

void addEditCommand(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<EditOptions>();
    CLI::App* cmd = app.add_subcommand(
        "edit", "Apply note edits to a track's MML and print the new text (only the changed commands differ)");
    addTimingOptions(*cmd, options->timing);
    cmd->add_option("--track", options->track, "with a .mml/.mms document: track number from 1 in its track order")
        ->check(CLI::PositiveNumber);
    cmd->add_option("--insert", options->inserts,
                    "add a note TICK:LENGTH:NOTE[:VOLUME] (ticks, MIDI note number, v 0..15; "
                    "no volume: the one in force there)")
        ->allow_extra_args(false);
    cmd->add_option("--delete", options->deletes, "remove the note TICK:NOTE")->allow_extra_args(false);
    cmd->add_option("--move", options->moves, "move the note TICK:NOTE to NEWTICK:NEWNOTE")->allow_extra_args(false);
    cmd->add_option("--resize", options->resizes, "give the note TICK:NOTE a new LENGTH in ticks")->allow_extra_args(false);
    cmd->add_option("--volume", options->volumes, "give the note TICK:NOTE the volume VOLUME (0..15)")->allow_extra_args(false);
    cmd->add_option("file", options->file, "track text (UTF-8) or .mml/.mms document, - for standard input")
        ->required();
    cmd->callback([options, &exitCode] { exitCode = runEdit(*options); });
}

}  // namespace zema::cli
