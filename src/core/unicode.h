#pragma once

#include <string>
#include <string_view>

namespace zema {

// UTF-8 to UTF-16. Malformed bytes become U+FFFD, one per bad byte.
[[nodiscard]] std::u16string utf8ToUtf16(std::string_view text);

// UTF-16 to UTF-8. An unpaired surrogate becomes U+FFFD.
[[nodiscard]] std::string utf16ToUtf8(std::u16string_view text);

}  // namespace zema
