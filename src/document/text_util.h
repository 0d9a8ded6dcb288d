#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zema {

// Small text helpers shared by the INI-like readers (documents, .mms, .def).

// True for the characters trimmed around keys and values: space, U+3000, tab, CR, LF.
[[nodiscard]] constexpr bool isIniBlank(char16_t c)
{
    return c == u' ' || c == u'\u3000' || c == u'\t' || c == u'\r' || c == u'\n';
}

[[nodiscard]] std::u16string_view trimIni(std::u16string_view text);

// ASCII lower-casing; other characters are kept.
[[nodiscard]] std::u16string toLowerAscii(std::u16string_view text);

// Key and value of a "key=value" line: split at the first '=', the key
// lower-cased when asked, both trimmed. Nothing when the line has no '='.
struct KeyValue {
    std::u16string key;
    std::u16string_view value;
};
[[nodiscard]] std::optional<KeyValue> splitKeyValue(std::u16string_view line, bool lowerKey = true);

// The name between the brackets of a section header line, or nothing when the
// line is no header: a '[' and, from the second character after it on, a ']'.
[[nodiscard]] std::optional<std::u16string_view> sectionName(std::u16string_view line);

// Reads the text one line at a time; each line keeps its LF (the last line may
// have none).
class LineCursor {
public:
    explicit LineCursor(std::u16string_view text) : text_(text) {}
    [[nodiscard]] bool next(std::u16string_view& line);

private:
    std::u16string_view text_;
    size_t position_ = 0;
};

// Decimal integer like atoi: leading blanks, optional sign, digits; stops at the
// first other character; 0 when there are no digits. Saturates at the int32 range.
[[nodiscard]] int32_t parseInt(std::u16string_view text);
// Unsigned decimal as a 32-bit value (wrapping like strtoul into a DWORD).
[[nodiscard]] uint32_t parseUnsigned(std::u16string_view text);

// Scanner for the "%d,%x,%s"-like patterns of the formats: each number skips
// leading white space; literals must match exactly.
class FieldScanner {
public:
    explicit FieldScanner(std::u16string_view text) : text_(text) {}
    [[nodiscard]] std::optional<int64_t> decimal();
    [[nodiscard]] std::optional<uint32_t> hexadecimal();
    [[nodiscard]] std::optional<std::u16string> token();  // white-space free word
    [[nodiscard]] bool literal(char16_t c);

private:
    void skipSpace();
    std::u16string_view text_;
    size_t position_ = 0;
};

// "%d" of an integer as UTF-16.
[[nodiscard]] std::u16string decimalText(int64_t value);

}  // namespace zema
