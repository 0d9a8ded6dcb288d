#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/smf_reader.h"

namespace zema {

// One entry of the import dialog's track list.
struct SmfTrackEntry {
    std::u16string text;    // " 1 : A01 Piano" (formats 1, 2) or "10 : A10" (format 0)
    int32_t listIndex = 0;  // event list it selects: the channel (format 0) or the chunk
};

struct SmfTrackList {
    SmfHeader header;
    std::vector<SmfTrackEntry> entries;

    [[nodiscard]] std::vector<std::u16string> texts() const;
};

// Scans a file for the track list. Format 0 lists every MIDI channel that has
// a channel message; formats 1 and 2 list every track chunk with its port and
// channel label ("A01 ", or "--- " without a channel message or with a port
// past Z) and its name. Nothing when the header is unusable. `status` (when
// given) is readSmfFile's: why nothing was listed, or a track cut short.
[[nodiscard]] std::optional<SmfTrackList> scanSmfTracks(std::string_view bytes, ReadStatus* status = nullptr);

}  // namespace zema
