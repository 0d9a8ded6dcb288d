#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zema {

// Conversion between document bytes and UTF-16 text.
//
// The "ANSI code page" of documents is CP932 (Windows-31J), so files stay
// readable by the Windows programs players exchange them with.

// Charset name written in the "Encoding=" line for the ANSI code page.
inline constexpr std::u16string_view kAnsiCharsetName = u"shift_jis";
inline constexpr std::u16string_view kUtf8CharsetName = u"UTF-8";

enum class TextEncoding { Ansi, Utf8 };

// Decodes document bytes: a byte-order mark (UTF-16 LE/BE, UTF-8) decides
// first; then a known charset name (the file's Encoding key) is honoured;
// otherwise bytes that are valid UTF-8 with at least one multi-byte sequence
// are UTF-8, and everything else is the ANSI code page. Bytes that do not
// convert become U+FFFD, so reading never fails on content.
[[nodiscard]] std::u16string decodeDocumentBytes(std::string_view bytes, std::u16string_view charsetName);

// Whether the bytes begin with a byte-order mark (UTF-16 LE/BE, UTF-8).
[[nodiscard]] bool hasByteOrderMark(std::string_view bytes);

// When `charsetName` names a charset this program does not know (and no
// byte-order mark decides instead), the charset decodeDocumentBytes reads the
// bytes in: "UTF-8" or the ANSI code page's name. Nothing when the name is
// honoured or no name is given.
[[nodiscard]] std::optional<std::u16string> unknownCharsetFallback(std::string_view bytes,
                                                                   std::u16string_view charsetName);

// The value of the "Encoding" key of the [Settings] section, read from the
// raw bytes the way a profile-string lookup would (ASCII, case-insensitive
// names, first occurrence), at most 127 characters; "" when absent.
[[nodiscard]] std::u16string findEncodingKey(std::string_view bytes);

// Strict conversion to the ANSI code page: nothing when any character has no
// exact two-way mapping (the text would not read back the same).
[[nodiscard]] std::optional<std::string> encodeAnsi(std::u16string_view text);
[[nodiscard]] bool canEncodeAnsi(std::u16string_view text);

// Lenient conversion from the ANSI code page (invalid bytes become U+FFFD).
[[nodiscard]] std::u16string decodeAnsi(std::string_view bytes);

[[nodiscard]] bool isValidUtf8(std::string_view bytes);

}  // namespace zema
