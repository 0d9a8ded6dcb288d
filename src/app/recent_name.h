#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zema {

// The text of a recent-file menu entry: the path shortened to `limit`
// characters (UTF-16 units; a surrogate pair is never split) the way classic
// recent-file menus do it:
//   - a path that fits is shown whole;
//   - otherwise the root ("/", "C:\", "~/" or nothing for a relative path)
//     and the file name stay, and the leading folders after the root are
//     replaced by "...", keeping as many of the folders next to the file as
//     fit: "/.../songs/album/tune.mml";
//   - when not even the root, "..." and the file name fit, the file name
//     alone, cut to `limit` when it is longer.
// Both '/' and '\' separate folders (entries written on Windows keep theirs).
// When `home` is given, a path inside it is first written as "~/...".
[[nodiscard]] std::u16string shortenedRecentName(std::u16string_view path, size_t limit = 30,
                                                 std::u16string_view home = {});

}  // namespace zema
