#pragma once

#include "app/settings.h"
#include "core/song.h"

namespace zema {

// Makes `song` the new document of the settings: sixteen reset slots named
// "Track1".."Track16", the first DefaultTrackCount of them in use with slot
// index 9 (MIDI channel 10) skipped, the default timebase in 4/4, and no
// title, source, memo, markers or groups.
void resetToNewDocument(Song& song, const Settings& settings);

}  // namespace zema
