#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/song.h"

namespace zema {

// The five status-bar texts of the main window for the current track and the
// caret: timebase, time signature, character count, the state at the caret,
// and the caret's line and column.
[[nodiscard]] std::array<std::u16string, 5> statusPaneTexts(const Song& song, int32_t trackIndex, int32_t caretLine,
                                                            int32_t caretColumn);

// The character count the status bar shows: the value of the track's closing
// TrackEnd event, 0 when the list does not end with one.
[[nodiscard]] int32_t shownCharacterCount(const Track& track);

}  // namespace zema
