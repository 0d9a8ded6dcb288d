#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace zema {

// ASCII-only case folding, as INI section and key names and resource symbols
// compare; every other character is kept as it is.
namespace ascii_detail {
template <typename Char>
constexpr Char lower(Char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}
template <typename Char>
constexpr Char upper(Char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<Char>(c - 'a' + 'A') : c;
}
template <typename Char, typename Fold>
std::basic_string<Char> folded(std::basic_string_view<Char> text, Fold fold)
{
    std::basic_string<Char> out(text);
    for (Char& c : out) c = fold(c);
    return out;
}
template <typename Char>
bool equal(std::basic_string_view<Char> a, std::basic_string_view<Char> b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](Char x, Char y) { return lower(x) == lower(y); });
}
}  // namespace ascii_detail

[[nodiscard]] constexpr char asciiLower(char c) { return ascii_detail::lower(c); }
[[nodiscard]] constexpr char16_t asciiLower(char16_t c) { return ascii_detail::lower(c); }
[[nodiscard]] constexpr char asciiUpper(char c) { return ascii_detail::upper(c); }

[[nodiscard]] inline std::string asciiUppered(std::string_view text)
{
    return ascii_detail::folded(text, ascii_detail::upper<char>);
}
[[nodiscard]] inline std::u16string asciiLowered(std::u16string_view text)
{
    return ascii_detail::folded(text, ascii_detail::lower<char16_t>);
}

[[nodiscard]] inline bool equalIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return ascii_detail::equal(a, b);
}
[[nodiscard]] inline bool equalIgnoringAsciiCase(std::u16string_view a, std::u16string_view b)
{
    return ascii_detail::equal(a, b);
}
[[nodiscard]] inline bool lessIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return asciiUpper(x) < asciiUpper(y); });
}

}  // namespace zema
