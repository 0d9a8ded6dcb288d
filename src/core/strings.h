#pragma once

#include <string>
#include <string_view>

namespace zema {

// The user-visible text of a string-table symbol ("IDS_ERR_FILEOPEN"): the
// built-in Japanese text, or "" for an unknown symbol. A language file will
// override these later; every message goes through here.
[[nodiscard]] std::u16string loadString(std::string_view symbol);

}  // namespace zema
