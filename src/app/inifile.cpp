#include "app/inifile.h"

#include <charconv>
#include <limits>
#include <optional>
#include <vector>

#include "core/unicode.h"
#include "document/smf_file_io.h"
#include "document/text_encoding.h"
#include "document/text_util.h"

namespace zema {

namespace {

// The decimal digits of a trimmed value with its sign split off; nothing when
// the text holds anything else.
struct SignedDigits {
    bool negative = false;
    std::string digits;
};

std::optional<SignedDigits> splitNumber(std::u16string_view text)
{
    text = trimIni(text);
    SignedDigits out;
    if (!text.empty() && (text.front() == u'+' || text.front() == u'-')) {
        out.negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 20) return std::nullopt;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        out.digits.push_back(static_cast<char>(c));
    }
    return out;
}

std::vector<std::u16string_view> splitLines(std::u16string_view text)
{
    std::vector<std::u16string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find(u'\n');
        std::u16string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::u16string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::optional<std::u16string> readFileText(const std::filesystem::path& path)
{
    const std::optional<std::string> bytes = readFileBytes(path);
    if (!bytes) return std::nullopt;
    return decodeDocumentBytes(*bytes, {});
}

// The section name of a header line, read as CIniReader reads it: a line
// that starts with '[' names the text up to the first ']' (or the line's end).
std::optional<std::u16string_view> headerName(std::u16string_view trimmed)
{
    if (trimmed.empty() || trimmed.front() != u'[') return std::nullopt;
    const std::u16string_view rest = trimmed.substr(1);
    return rest.substr(0, rest.find(u']'));
}

bool holdsLineBreak(std::u16string_view text)
{
    return text.find_first_of(u"\r\n") != std::u16string_view::npos;
}

}  // namespace

bool parseStoredInt(std::u16string_view text, int32_t& value)
{
    const std::optional<SignedDigits> number = splitNumber(text);
    if (!number) return false;
    int64_t magnitude = 0;
    const auto [end, error] = std::from_chars(number->digits.data(), number->digits.data() + number->digits.size(), magnitude);
    if (error != std::errc{} || end != number->digits.data() + number->digits.size()) return false;
    const int64_t signedValue = number->negative ? -magnitude : magnitude;
    if (signedValue < std::numeric_limits<int32_t>::min() || signedValue > std::numeric_limits<int32_t>::max()) {
        return false;
    }
    value = static_cast<int32_t>(signedValue);
    return true;
}

bool parseStoredUnsigned(std::u16string_view text, uint32_t& value)
{
    const std::optional<SignedDigits> number = splitNumber(text);
    if (!number) return false;
    uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(number->digits.data(), number->digits.data() + number->digits.size(), magnitude);
    if (error != std::errc{} || end != number->digits.data() + number->digits.size()) return false;
    if (magnitude > std::numeric_limits<uint32_t>::max()) return false;
    const auto narrow = static_cast<uint32_t>(magnitude);
    value = number->negative ? static_cast<uint32_t>(0u - narrow) : narrow;
    return true;
}

std::u16string rewriteIniText(std::u16string_view text, std::u16string_view section, std::u16string_view key,
                              const std::u16string* value)
{
    const std::vector<std::u16string_view> lines = splitLines(text);
    const std::u16string sectionKey = toLowerAscii(trimIni(section));
    const std::u16string wantedKey = toLowerAscii(trimIni(key));
    std::u16string newLine;
    if (value) newLine = std::u16string(key) + u"=" + *value;

    // Locate the first section of that name, its key line and its last
    // non-blank line (where a new key goes).
    std::optional<size_t> keyLine;
    std::optional<size_t> lastOfSection;
    bool inSection = false;
    bool sectionFound = false;
    for (size_t i = 0; i < lines.size() && !keyLine; ++i) {
        const std::u16string_view trimmed = trimIni(lines[i]);
        if (const auto name = headerName(trimmed)) {
            if (sectionFound && inSection) break;  // the first section of that name ended
            inSection = toLowerAscii(trimIni(*name)) == sectionKey;
            if (inSection) {
                sectionFound = true;
                lastOfSection = i;
            }
            continue;
        }
        if (!inSection || trimmed.empty()) continue;
        lastOfSection = i;
        if (trimmed.front() == u';') continue;
        const auto pair = splitKeyValue(trimmed, true);
        if (pair && pair->key == wantedKey) keyLine = i;
    }

    std::u16string out;
    auto emit = [&out](std::u16string_view line) {
        out.append(line);
        out.append(u"\r\n");
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        if (keyLine && i == *keyLine) {
            // The key keeps the spelling it has in the file.
            if (value) {
                const std::u16string_view written = trimIni(lines[i]);
                emit(std::u16string(trimIni(written.substr(0, written.find(u'=')))) + u"=" + *value);
            }
            continue;
        }
        emit(lines[i]);
        if (!keyLine && value && lastOfSection && i == *lastOfSection) emit(newLine);
    }
    if (!sectionFound && value) {
        emit(u"[" + std::u16string(section) + u"]");
        emit(newLine);
    }
    return out;
}

CInifile::CInifile(std::filesystem::path path, std::u16string section)
    : path_(std::move(path)), section_(std::move(section))
{
}

int32_t CIniValues::getInt(std::u16string_view section, std::u16string_view key, int32_t fallback) const
{
    int32_t value = fallback;
    const std::u16string text = getString(section, key, u"");
    return parseStoredInt(text, value) ? value : fallback;
}

uint32_t CIniValues::getUnsigned(std::u16string_view section, std::u16string_view key, uint32_t fallback) const
{
    uint32_t value = fallback;
    const std::u16string text = getString(section, key, u"");
    return parseStoredUnsigned(text, value) ? value : fallback;
}

bool CIniValues::getBool(std::u16string_view section, std::u16string_view key, bool fallback) const
{
    const std::u16string text = getString(section, key, u"");
    if (text == u"true") return true;
    if (text == u"false") return false;
    return fallback;
}

std::u16string CIniValues::getString(std::u16string_view section, std::u16string_view key,
                                     std::u16string_view fallback) const
{
    std::optional<std::u16string> value = reader_.value(section, key);
    if (!value) return std::u16string(fallback);
    if (value->size() > CInifile::kStringCapacity) value->resize(CInifile::kStringCapacity);
    return *value;
}

namespace {
// The file as it is now; an unreadable file reads as empty.
CIniReader readNow(const std::filesystem::path& path)
{
    CIniReader reader;
    if (!reader.loadFile(path)) reader.loadText(u"");
    return reader;
}
}  // namespace

int32_t CInifile::getInt(std::u16string_view key, int32_t fallback) const
{
    const CIniReader reader = readNow(path_);
    return CIniValues(reader).getInt(section_, key, fallback);
}

uint32_t CInifile::getUnsigned(std::u16string_view key, uint32_t fallback) const
{
    const CIniReader reader = readNow(path_);
    return CIniValues(reader).getUnsigned(section_, key, fallback);
}

bool CInifile::getBool(std::u16string_view key, bool fallback) const
{
    const CIniReader reader = readNow(path_);
    return CIniValues(reader).getBool(section_, key, fallback);
}

std::u16string CInifile::getString(std::u16string_view key, std::u16string_view fallback) const
{
    const CIniReader reader = readNow(path_);
    return CIniValues(reader).getString(section_, key, fallback);
}

bool CInifile::setInt(std::u16string_view key, int32_t value) const
{
    std::u16string text = decimalText(value);
    if (value >= 0) text.insert(text.begin(), u'+');
    return write(key, std::move(text));
}

bool CInifile::setUnsigned(std::u16string_view key, uint32_t value) const { return write(key, decimalText(value)); }

bool CInifile::setBool(std::u16string_view key, bool value) const
{
    return write(key, std::u16string(value ? u"true" : u"false"));
}

bool CInifile::setString(std::u16string_view key, std::u16string_view value) const
{
    return write(key, std::u16string(value));
}

bool CInifile::remove(std::u16string_view key) const { return write(key, std::nullopt); }

bool CInifile::write(std::u16string_view key, std::optional<std::u16string> value) const
{
    const IniChange change{std::u16string(key), std::move(value)};
    return setMany({&change, 1});
}

bool CInifile::setMany(std::span<const IniChange> changes) const
{
    for (const IniChange& change : changes) {
        const std::u16string_view key = change.key;
        if (trimIni(key).empty() || holdsLineBreak(key) || key.find(u'=') != std::u16string_view::npos) return false;
        // A line break would end the value early and turn the rest into keys
        // or sections of their own.
        if (change.value && holdsLineBreak(*change.value)) return false;
    }
    std::error_code error;
    std::u16string current;
    if (std::filesystem::exists(path_, error)) {
        std::optional<std::u16string> text = readFileText(path_);
        if (!text) return false;  // unreadable: rewriting would lose what is there
        current = std::move(*text);
    }
    std::u16string updated = current;
    for (const IniChange& change : changes) {
        updated = rewriteIniText(updated, section_, change.key, change.value ? &*change.value : nullptr);
    }
    if (updated == current) return true;
    return writeFileAtomically(path_, utf16ToUtf8(updated));
}

}  // namespace zema
