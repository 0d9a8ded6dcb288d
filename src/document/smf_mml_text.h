#pragma once

#include <string>
#include <vector>

#include "document/smf_import_steps.h"

namespace zema {

// What the text of every imported track shares.
struct SmfTextSettings {
    int32_t timebase = 96;           // ticks per quarter of the MIDI file
    SmfImportOptions options;
    bool spreading = false;          // tracks made by spreading carry no name comments
    std::u16string title;            // written into the first list's header
    std::u16string copyright;
    const std::vector<std::string>* blobs = nullptr;  // text and exclusive bytes
};

// The MML text of one converted list: directives, name comments, then the
// events with a "/*M n  */" comment opening each measure's line.
//
// In the extended dialect note and rest letters are written in lower case,
// the only case that dialect reads; the game's dialect gets upper case.
[[nodiscard]] std::u16string writeImportedTrack(const SmfImportList& list, int listIndex,
                                                const SmfTextSettings& settings);

}  // namespace zema
