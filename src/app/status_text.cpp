#include "app/status_text.h"

#include <cstdio>

#include "core/strings.h"
#include "core/unicode.h"

namespace zema {

namespace {

std::u16string formatted(const char* format, auto... values)
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, values...);
    return utf8ToUtf16(buffer);
}

// "%d" in a string-table text replaced by the number.
std::u16string withNumber(std::u16string text, int32_t value)
{
    const size_t at = text.find(u"%d");
    if (at != std::u16string::npos) text.replace(at, 2, formatted("%d", value));
    return text;
}

}  // namespace

int32_t shownCharacterCount(const Track& track)
{
    if (track.events.empty() || track.events.back().kind != TrackEventKind::TrackEnd) return 0;
    return track.events.back().value;
}

std::array<std::u16string, 5> statusPaneTexts(const Song& song, int32_t trackIndex, int32_t caretLine,
                                              int32_t caretColumn)
{
    std::array<std::u16string, 5> panes;
    panes[0] = loadString("IDS_MAIN_TPQN") + formatted(" : %d", song.timing.timebase);
    panes[1] = loadString("IDS_MAIN_BEAT") + formatted(" : %2d / %2d", song.timing.numerator, song.timing.denominator);
    const bool valid = trackIndex >= 0 && trackIndex < kTrackCount;
    const Track* track = valid ? &song.tracks[static_cast<size_t>(trackIndex)] : nullptr;
    panes[2] = loadString("IDS_MAIN_MML_LENGTH") + formatted(" : %d", track ? shownCharacterCount(*track) : 0);
    if (track) panes[3] = utf8ToUtf16(statusLineText(track->states, caretLine, caretColumn));
    panes[4] = withNumber(loadString("IDS_MAIN_CARET_ROW"), caretLine) + u" " +
               withNumber(loadString("IDS_MAIN_CARET_COL"), caretColumn);
    return panes;
}

}  // namespace zema
