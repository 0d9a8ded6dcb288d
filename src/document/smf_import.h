#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/timing.h"
#include "document/document_data.h"
#include "document/smf_import_options.h"

namespace zema {

enum class SmfImportStatus {
    Ok,
    ParseError,    // the header is not a Standard MIDI File of format 0, 1 or 2
    ConvertError,  // the file could not be read or converted
};

// The message the import shows for a failure ("" for Ok).
[[nodiscard]] std::u16string smfImportMessage(SmfImportStatus status);

struct SmfImportResult {
    SmfImportStatus status = SmfImportStatus::Ok;
    std::vector<std::u16string> texts;  // MML of each output track, at most 16, in list order
    std::u16string title;               // the first track's name
    std::u16string copyright;
};

// Converts a MIDI file in memory into MML texts. `selected` holds one flag per
// entry of scanSmfTracks' list (missing flags are off); in spread mode the
// first selected entry is the one spread. Never throws.
[[nodiscard]] SmfImportResult convertSmf(std::string_view bytes, const SmfImportOptions& options,
                                         const std::vector<bool>& selected);

// The new document an import makes: one used slot "Track%d" per text, the
// title, the copyright as source, and the given timing.
[[nodiscard]] DocumentData importedDocument(const SmfImportResult& result, const TimingContext& timing);

// Where the imported document is proposed to be saved: the MIDI file's path
// with the extension ".mml".
[[nodiscard]] std::filesystem::path importedDocumentPath(const std::filesystem::path& midiPath);

}  // namespace zema
