#include "app/window_text.h"

#include "core/strings.h"

namespace zema {

namespace {

// Fills the single "%s" of a string-table text.
std::u16string formatOne(std::u16string_view format, std::u16string_view value)
{
    std::u16string text(format);
    if (const size_t at = text.find(u"%s"); at != std::u16string::npos) text.replace(at, 2, value);
    return text;
}

}  // namespace

std::u16string_view fileNamePart(std::u16string_view path)
{
    const size_t slash = path.find_last_of(u"/\\");
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

std::u16string windowTitleText(const Song& song, std::u16string_view documentPath, bool modified)
{
    std::u16string title = loadString("AFX_IDS_APP_TITLE") + u" - ";
    if (song.currentTrack >= 0 && song.currentTrack < kTrackCount) {
        const Track& track = song.tracks[static_cast<size_t>(song.currentTrack)];
        if (track.group > 0 && static_cast<size_t>(track.group) < song.groups.size()) {
            title += song.groups[static_cast<size_t>(track.group)].name + u"::";
        }
        title += track.name;
    }
    title += u" - ";
    if (documentPath.empty()) {
        title += u"(" + loadString("IDS_MAIN_UNTITLED") + u")";
    } else {
        title += fileNamePart(documentPath);
    }
    if (modified) title += u"(" + loadString("IDS_MAIN_MODIFIED") + u")";
    title += u" [" + song.title + u"]";
    return title;
}

std::u16string modifiedPromptText(std::u16string_view documentPath)
{
    const std::u16string shown =
        documentPath.empty() ? u"<" + loadString("IDS_MAIN_UNTITLED") + u">" : std::u16string(documentPath);
    return formatOne(loadString("AFX_IDP_ASK_TO_SAVE"), shown);
}

}  // namespace zema
