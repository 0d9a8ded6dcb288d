#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/song.h"
#include "document/document_data.h"

namespace zema {

// Clipboard import without a window: what the pasted text holds, how the
// imported tracks are named, and the song they make or join.

enum class PastedKind {
    Nothing,   // neither MML@ text nor a document
    Atmark,    // the game's MML@ text (one or several scrolls)
    Document,  // a whole .mml document pasted as text
};

struct PastedText {
    PastedKind kind = PastedKind::Nothing;
    DocumentData document;
    int trackCount = 0;  // MML@ tracks found
};

// Reads clipboard text: MML@ text first, else a .mml document.
[[nodiscard]] PastedText readPastedText(std::u16string_view text, const TimingContext& defaults);

// Track n (from 1) of an import: "%s%d" with the entered name, or "Track%d"
// when the name is empty.
[[nodiscard]] std::u16string importedTrackName(std::u16string_view name, int number);

// The imported MML@ tracks, in field order.
[[nodiscard]] std::vector<std::u16string> importedTexts(const DocumentData& document);

// Gives every imported track its name and the chosen instrument, for a new document.
void nameImportedTracks(DocumentData& document, std::u16string_view name, int32_t instrument);

// Adds the imported tracks to `song` as the track-add command does (first
// free slot, slot 9 skipped), named and with the instrument. Returns the
// slots added, in order; a track that finds no slot is left out and counted
// in `refused`.
struct ImportAddition {
    std::vector<int32_t> slots;
    int refused = 0;
};
[[nodiscard]] ImportAddition addImportedTracks(Song& song, const std::vector<std::u16string>& texts,
                                               std::u16string_view name, int32_t instrument);

}  // namespace zema
