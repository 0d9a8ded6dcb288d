#pragma once

#include <string>
#include <string_view>

#include "core/song.h"

namespace zema {

// The main window's title: application title, " - ", the group name and "::"
// when the current track is in a group other than the global one, the track
// name, " - ", the file name or "(名称未設定)", "(更新)" while modified, and
// " [title]" with the song's title.
[[nodiscard]] std::u16string windowTitleText(const Song& song, std::u16string_view documentPath, bool modified);

// The question asked before a modified document is replaced or closed, with
// the path or "<名称未設定>" for an untitled document.
[[nodiscard]] std::u16string modifiedPromptText(std::u16string_view documentPath);

// The file-name part of a path written with either separator.
[[nodiscard]] std::u16string_view fileNamePart(std::u16string_view path);

}  // namespace zema
