#include "document/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <algorithm>

#include "core/unicode.h"
#include "document/text_util.h"

namespace zema {

namespace {

constexpr const char* kAnsiIconvName = "CP932";

// One iconv conversion descriptor, closed when it goes out of scope.
class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    [[nodiscard]] bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `input`. With `lenient`, a byte that does not convert is
    // skipped and `replacement` is appended instead; otherwise the first such
    // byte makes the conversion fail.
    [[nodiscard]] std::optional<std::string> run(std::string_view input, bool lenient, std::string_view replacement)
    {
        std::string output;
        output.resize(input.size() * 2 + 16);
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        size_t used = 0;
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        while (true) {
            char* out = output.data() + used;
            size_t outLeft = output.size() - used;
            const size_t result = iconv(handle_, inLeft > 0 ? &in : nullptr, &inLeft, &out, &outLeft);
            used = output.size() - outLeft;
            if (result != static_cast<size_t>(-1)) {
                if (inLeft == 0) break;
                continue;
            }
            if (errno == E2BIG) {
                output.resize(output.size() * 2);
                continue;
            }
            // EILSEQ or EINVAL (a sequence cut at the end).
            if (!lenient) return std::nullopt;
            output.resize(std::max(output.size(), used + replacement.size() + 16));
            std::memcpy(output.data() + used, replacement.data(), replacement.size());
            used += replacement.size();
            ++in;
            --inLeft;
            iconv(handle_, nullptr, nullptr, nullptr, nullptr);
            if (inLeft == 0) break;
        }
        output.resize(used);
        return output;
    }

private:
    iconv_t handle_;
};

std::u16string fromUtf16Le(std::string_view bytes)
{
    std::u16string text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) | (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
    }
    return text;
}

std::u16string fromUtf16Be(std::string_view bytes)
{
    std::u16string text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>((static_cast<uint8_t>(bytes[2 * i]) << 8) | static_cast<uint8_t>(bytes[2 * i + 1]));
    }
    return text;
}

std::string toUtf16Le(std::u16string_view text)
{
    std::string bytes(text.size() * 2, '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    return bytes;
}

// Lenient conversion from any iconv charset to UTF-16; nothing when iconv
// does not know the charset.
std::optional<std::u16string> decodeWith(const char* charset, std::string_view bytes)
{
    Converter converter("UTF-16LE", charset);
    if (!converter.valid()) return std::nullopt;
    static constexpr char kReplacement[] = {'\xFD', '\xFF'};  // U+FFFD in UTF-16LE
    const auto converted = converter.run(bytes, true, std::string_view(kReplacement, 2));
    if (!converted) return std::nullopt;
    return fromUtf16Le(*converted);
}

// iconv's name for a charset name as documents write it (web/MIME names).
std::string iconvNameOf(std::u16string_view charsetName)
{
    const std::u16string lower = toLowerAscii(trimIni(charsetName));
    if (lower == u"shift_jis" || lower == u"shift-jis" || lower == u"x-sjis" || lower == u"sjis" ||
        lower == u"windows-31j" || lower == u"cp932") {
        return kAnsiIconvName;
    }
    if (lower == u"utf-8") return "UTF-8";
    if (lower == u"ks_c_5601-1987" || lower == u"euc-kr") return "CP949";
    if (lower == u"gb2312") return "GBK";
    if (lower == u"big5") return "CP950";
    if (lower == u"unicode" || lower == u"utf-16") return "UTF-16LE";
    if (lower == u"unicodefffe") return "UTF-16BE";
    std::string name;
    for (char16_t c : lower) {
        if (c > 0x7E || c < 0x21) return {};
        name.push_back(static_cast<char>(c));
    }
    return name;
}

bool hasMultiByte(std::string_view bytes)
{
    for (char c : bytes) {
        if (static_cast<uint8_t>(c) >= 0x80) return true;
    }
    return false;
}

}  // namespace

bool isValidUtf8(std::string_view bytes)
{
    size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<uint8_t>(bytes[i]);
        size_t extra = 0;
        uint32_t minimum = 0;
        uint32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, minimum = 0x80, code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, minimum = 0x800, code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, minimum = 0x10000, code = lead & 0x07;
        } else {
            return false;
        }
        if (i + extra >= bytes.size()) return false;
        for (size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<uint8_t>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

std::u16string findEncodingKey(std::string_view bytes)
{
    bool inSettings = false;
    size_t position = 0;
    while (position < bytes.size()) {
        size_t end = bytes.find('\n', position);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(position, end - position);
        position = end + 1;
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
        if (!line.empty() && line.front() == '[') {
            const size_t close = line.find(']');
            std::string name(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
            for (char& c : name) c = static_cast<char>((c >= 'A' && c <= 'Z') ? c + 32 : c);
            inSettings = name == "settings";
            continue;
        }
        if (!inSettings) continue;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        std::string key(line.substr(0, equals));
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.pop_back();
        for (char& c : key) c = static_cast<char>((c >= 'A' && c <= 'Z') ? c + 32 : c);
        if (key != "encoding") continue;
        std::string_view value = line.substr(equals + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        value = value.substr(0, 127);
        std::u16string name;
        for (char c : value) {
            // A charset name is ASCII; anything else cannot name one.
            if (static_cast<uint8_t>(c) >= 0x80) return {};
            name.push_back(static_cast<char16_t>(c));
        }
        return name;
    }
    return {};
}

bool hasByteOrderMark(std::string_view bytes)
{
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF") || bytes.starts_with("\xEF\xBB\xBF");
}

std::optional<std::u16string> unknownCharsetFallback(std::string_view bytes, std::u16string_view charsetName)
{
    if (hasByteOrderMark(bytes) || trimIni(charsetName).empty()) return std::nullopt;
    const std::string name = iconvNameOf(charsetName);
    if (name == "UTF-8") return std::nullopt;
    if (!name.empty() && Converter("UTF-16LE", name.c_str()).valid()) return std::nullopt;
    if (hasMultiByte(bytes) && isValidUtf8(bytes)) return std::u16string(kUtf8CharsetName);
    return std::u16string(kAnsiCharsetName);
}

std::u16string decodeDocumentBytes(std::string_view bytes, std::u16string_view charsetName)
{
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return fromUtf16Le(bytes.substr(2));
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') return fromUtf16Be(bytes.substr(2));
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return utf8ToUtf16(bytes.substr(3));

    if (!trimIni(charsetName).empty()) {
        const std::string name = iconvNameOf(charsetName);
        if (name == "UTF-8") return utf8ToUtf16(bytes);
        if (!name.empty()) {
            if (auto text = decodeWith(name.c_str(), bytes)) return std::move(*text);
        }
    }
    if (hasMultiByte(bytes) && isValidUtf8(bytes)) return utf8ToUtf16(bytes);
    return decodeAnsi(bytes);
}

std::u16string decodeAnsi(std::string_view bytes)
{
    if (auto text = decodeWith(kAnsiIconvName, bytes)) return std::move(*text);
    // iconv without CP932: keep at least the ASCII part.
    std::u16string text;
    for (char c : bytes) text.push_back(static_cast<uint8_t>(c) < 0x80 ? static_cast<char16_t>(c) : u'\uFFFD');
    return text;
}

std::optional<std::string> encodeAnsi(std::u16string_view text)
{
    bool ascii = true;
    for (char16_t c : text) ascii = ascii && c < 0x80;
    if (ascii) return std::string(text.begin(), text.end());

    Converter converter(kAnsiIconvName, "UTF-16LE");
    if (!converter.valid()) return std::nullopt;
    auto encoded = converter.run(toUtf16Le(text), false, {});
    if (!encoded) return std::nullopt;
    // Some characters map one way only (U+301C and U+FF5E both become 0x8160);
    // such text would not read back as written.
    if (decodeAnsi(*encoded) != text) return std::nullopt;
    return encoded;
}

bool canEncodeAnsi(std::u16string_view text) { return encodeAnsi(text).has_value(); }

}  // namespace zema
