#pragma once

#include "core/song.h"
#include "document/document_data.h"

namespace zema {

// Copies a document into the song: timing, properties, every slot with its
// track properties, the track order (used slots the order leaves out follow
// in slot order), groups (at least the global group) and markers (ordered by
// tick; the tracks' marker indexes follow their markers). Empty track names
// become "Track%d". Compiled lists are left empty; call recompileAll.
void copyToSong(const DocumentData& document, Song& song);

// The snapshot a writer is given: the song's slots, order, groups, markers,
// properties and timing.
[[nodiscard]] DocumentData snapshotOf(const Song& song);

}  // namespace zema
