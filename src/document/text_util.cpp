#include "document/text_util.h"

#include <algorithm>
#include <limits>

namespace zema {

namespace {
constexpr bool isScanSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\u3000';
}
constexpr int hexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}
}  // namespace

std::u16string_view trimIni(std::u16string_view text)
{
    while (!text.empty() && isIniBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isIniBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::u16string toLowerAscii(std::u16string_view text)
{
    std::u16string lower(text);
    for (char16_t& c : lower) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    }
    return lower;
}

std::optional<KeyValue> splitKeyValue(std::u16string_view line, bool lowerKey)
{
    const size_t equals = line.find(u'=');
    if (equals == std::u16string_view::npos) return std::nullopt;
    const std::u16string_view key = trimIni(line.substr(0, equals));
    return KeyValue{lowerKey ? toLowerAscii(key) : std::u16string(key), trimIni(line.substr(equals + 1))};
}

std::optional<std::u16string_view> sectionName(std::u16string_view line)
{
    const size_t open = line.find(u'[');
    if (open == std::u16string_view::npos || open + 2 > line.size()) return std::nullopt;
    const size_t close = line.find(u']', open + 2);
    if (close == std::u16string_view::npos) return std::nullopt;
    return line.substr(open + 1, close - open - 1);
}

bool LineCursor::next(std::u16string_view& line)
{
    if (position_ >= text_.size()) return false;
    const size_t lf = text_.find(u'\n', position_);
    const size_t end = (lf == std::u16string_view::npos) ? text_.size() : lf + 1;
    line = text_.substr(position_, end - position_);
    position_ = end;
    return true;
}

int32_t parseInt(std::u16string_view text)
{
    FieldScanner scanner(text);
    const auto value = scanner.decimal();
    if (!value) return 0;
    return static_cast<int32_t>(*value);
}

uint32_t parseUnsigned(std::u16string_view text)
{
    size_t i = 0;
    while (i < text.size() && isScanSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    uint64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + static_cast<uint64_t>(text[i] - u'0');
        if (value > std::numeric_limits<uint32_t>::max()) return std::numeric_limits<uint32_t>::max();
    }
    const auto result = static_cast<uint32_t>(value);
    return negative ? static_cast<uint32_t>(0u - result) : result;
}

void FieldScanner::skipSpace()
{
    while (position_ < text_.size() && isScanSpace(text_[position_])) ++position_;
}

std::optional<int64_t> FieldScanner::decimal()
{
    skipSpace();
    size_t i = position_;
    bool negative = false;
    if (i < text_.size() && (text_[i] == u'+' || text_[i] == u'-')) negative = text_[i++] == u'-';
    const size_t digitsStart = i;
    int64_t value = 0;
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (; i < text_.size() && text_[i] >= u'0' && text_[i] <= u'9'; ++i) {
        value = std::min<int64_t>(value * 10 + (text_[i] - u'0'), kLimit);
    }
    if (i == digitsStart) return std::nullopt;
    position_ = i;
    value = negative ? -value : value;
    return std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
}

std::optional<uint32_t> FieldScanner::hexadecimal()
{
    skipSpace();
    size_t i = position_;
    if (i + 1 < text_.size() && text_[i] == u'0' && (text_[i + 1] == u'x' || text_[i + 1] == u'X') &&
        i + 2 < text_.size() && hexDigit(text_[i + 2]) >= 0) {
        i += 2;
    }
    const size_t digitsStart = i;
    uint32_t value = 0;
    for (; i < text_.size() && hexDigit(text_[i]) >= 0; ++i) {
        value = value * 16 + static_cast<uint32_t>(hexDigit(text_[i]));
    }
    if (i == digitsStart) return std::nullopt;
    position_ = i;
    return value;
}

std::optional<std::u16string> FieldScanner::token()
{
    skipSpace();
    const size_t start = position_;
    while (position_ < text_.size() && !isScanSpace(text_[position_])) ++position_;
    if (position_ == start) return std::nullopt;
    return std::u16string(text_.substr(start, position_ - start));
}

bool FieldScanner::literal(char16_t c)
{
    if (position_ < text_.size() && text_[position_] == c) {
        ++position_;
        return true;
    }
    return false;
}

std::u16string decimalText(int64_t value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace zema
