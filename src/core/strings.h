#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace zema {

// One entry of the program's string table: the symbol the language files
// use ("IDS_ERR_FILEOPEN"), its identifier, and the built-in Japanese text.
struct StringEntry {
    std::string_view symbol;
    int32_t id = 0;
    std::u16string_view text;
};

// The string table: the 180 "IDS_" strings (identifiers 10000..10179, in
// identifier order) followed by the few framework strings the window uses
// ("AFX_IDS_APP_TITLE", "AFX_IDP_ASK_TO_SAVE"), which have identifiers
// of their own outside that range, then the "IDS_" strings added since, from
// identifier 11000 on.
[[nodiscard]] std::span<const StringEntry> stringTable();
// The entry of a symbol (ASCII case-insensitive) or an identifier; null when unknown.
[[nodiscard]] const StringEntry* findString(std::string_view symbol);
[[nodiscard]] const StringEntry* findString(int32_t id);

// Replacement texts by string identifier, as a loaded language gives them.
using StringOverrides = std::map<int32_t, std::u16string>;

// Installs the replacement texts of the loaded language; null (or an empty
// map) returns to the built-in texts. Safe against concurrent loadString calls.
void setStringOverrides(std::shared_ptr<const StringOverrides> overrides);

// The user-visible text of a string: the loaded language's replacement, else
// the built-in text; "" for an unknown symbol or identifier. Every message
// and caption goes through here.
[[nodiscard]] std::u16string loadString(std::string_view symbol);
[[nodiscard]] std::u16string loadString(int32_t id);

// printf-style formatting of a translated text: %d, %Nd (right-aligned in N
// columns), %0Nd (zero-padded), %s and %%. Arguments beyond the format are ignored, missing ones
// leave their conversion as written.
using FormatArgument = std::variant<int32_t, std::u16string_view>;
[[nodiscard]] std::u16string formatText(std::u16string_view format, std::initializer_list<FormatArgument> arguments);

}  // namespace zema
