#include "document/locale_id.h"

#include "core/ascii.h"

#include <array>
#include <cstdlib>
#include <limits>

namespace zema {

namespace {

// One Windows locale: language subtag, script subtag (only where the script
// alone picks the locale) or region subtag, and its LCID. The first entry of
// each language is its primary country, which a bare language tag maps to.
struct LocaleEntry {
    std::string_view language;
    std::string_view script;
    std::string_view region;
    uint32_t lcid;
};

constexpr std::array kLocales = {
    LocaleEntry{"ja", "", "JP", 0x0411},
    LocaleEntry{"en", "", "US", 0x0409}, LocaleEntry{"en", "", "GB", 0x0809}, LocaleEntry{"en", "", "AU", 0x0C09},
    LocaleEntry{"en", "", "CA", 0x1009}, LocaleEntry{"en", "", "NZ", 0x1409}, LocaleEntry{"en", "", "IE", 0x1809},
    LocaleEntry{"en", "", "ZA", 0x1C09}, LocaleEntry{"en", "", "PH", 0x3409}, LocaleEntry{"en", "", "IN", 0x4009},
    LocaleEntry{"en", "", "SG", 0x4809},
    LocaleEntry{"ko", "", "KR", 0x0412},
    LocaleEntry{"zh", "", "CN", 0x0804}, LocaleEntry{"zh", "", "TW", 0x0404}, LocaleEntry{"zh", "", "HK", 0x0C04},
    LocaleEntry{"zh", "", "SG", 0x1004}, LocaleEntry{"zh", "", "MO", 0x1404},
    LocaleEntry{"zh", "Hans", "", 0x0804}, LocaleEntry{"zh", "Hant", "", 0x0404},
    LocaleEntry{"de", "", "DE", 0x0407}, LocaleEntry{"de", "", "CH", 0x0807}, LocaleEntry{"de", "", "AT", 0x0C07},
    LocaleEntry{"de", "", "LU", 0x1007}, LocaleEntry{"de", "", "LI", 0x1407},
    LocaleEntry{"fr", "", "FR", 0x040C}, LocaleEntry{"fr", "", "BE", 0x080C}, LocaleEntry{"fr", "", "CA", 0x0C0C},
    LocaleEntry{"fr", "", "CH", 0x100C}, LocaleEntry{"fr", "", "LU", 0x140C},
    LocaleEntry{"es", "", "ES", 0x0C0A}, LocaleEntry{"es", "", "MX", 0x080A}, LocaleEntry{"es", "", "CO", 0x240A},
    LocaleEntry{"es", "", "AR", 0x2C0A}, LocaleEntry{"es", "", "CL", 0x340A}, LocaleEntry{"es", "", "US", 0x540A},
    LocaleEntry{"it", "", "IT", 0x0410}, LocaleEntry{"it", "", "CH", 0x0810},
    LocaleEntry{"pt", "", "BR", 0x0416}, LocaleEntry{"pt", "", "PT", 0x0816},
    LocaleEntry{"ru", "", "RU", 0x0419},
    LocaleEntry{"nl", "", "NL", 0x0413}, LocaleEntry{"nl", "", "BE", 0x0813},
    LocaleEntry{"sv", "", "SE", 0x041D}, LocaleEntry{"sv", "", "FI", 0x081D},
    LocaleEntry{"da", "", "DK", 0x0406},
    LocaleEntry{"nb", "", "NO", 0x0414}, LocaleEntry{"no", "", "NO", 0x0414}, LocaleEntry{"nn", "", "NO", 0x0814},
    LocaleEntry{"fi", "", "FI", 0x040B},
    LocaleEntry{"is", "", "IS", 0x040F},
    LocaleEntry{"pl", "", "PL", 0x0415},
    LocaleEntry{"cs", "", "CZ", 0x0405},
    LocaleEntry{"sk", "", "SK", 0x041B},
    LocaleEntry{"hu", "", "HU", 0x040E},
    LocaleEntry{"ro", "", "RO", 0x0418},
    LocaleEntry{"bg", "", "BG", 0x0402},
    LocaleEntry{"el", "", "GR", 0x0408},
    LocaleEntry{"tr", "", "TR", 0x041F},
    LocaleEntry{"uk", "", "UA", 0x0422},
    LocaleEntry{"hr", "", "HR", 0x041A},
    LocaleEntry{"sl", "", "SI", 0x0424},
    LocaleEntry{"lt", "", "LT", 0x0427},
    LocaleEntry{"lv", "", "LV", 0x0426},
    LocaleEntry{"et", "", "EE", 0x0425},
    LocaleEntry{"ca", "", "ES", 0x0403},
    LocaleEntry{"eu", "", "ES", 0x042D},
    LocaleEntry{"gl", "", "ES", 0x0456},
    LocaleEntry{"he", "", "IL", 0x040D}, LocaleEntry{"iw", "", "IL", 0x040D},
    LocaleEntry{"ar", "", "SA", 0x0401}, LocaleEntry{"ar", "", "EG", 0x0C01},
    LocaleEntry{"fa", "", "IR", 0x0429},
    LocaleEntry{"hi", "", "IN", 0x0439},
    LocaleEntry{"th", "", "TH", 0x041E},
    LocaleEntry{"vi", "", "VN", 0x042A},
    LocaleEntry{"id", "", "ID", 0x0421},
    LocaleEntry{"ms", "", "MY", 0x043E},
    LocaleEntry{"fil", "", "PH", 0x0464},
};

bool allLetters(std::string_view text)
{
    for (const char c : text) {
        if (asciiLower(c) < 'a' || asciiLower(c) > 'z') return false;
    }
    return !text.empty();
}

bool allDigits(std::string_view text)
{
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return !text.empty();
}

struct TagParts {
    std::string_view language;
    std::string_view script;
    std::string_view region;
};

// Splits "ll[-Ssss][-RR|-999][-...]" (with '_' as a separator too, and a
// POSIX ".codeset" or "@modifier" cut off). Subtags after the region are
// variants and extensions, which do not change the locale.
TagParts splitTag(std::string_view tag)
{
    tag = tag.substr(0, tag.find_first_of(".@"));
    TagParts parts;
    size_t index = 0;
    while (!tag.empty()) {
        const size_t end = tag.find_first_of("-_");
        const std::string_view subtag = tag.substr(0, end);
        tag = end == std::string_view::npos ? std::string_view{} : tag.substr(end + 1);
        if (index == 0) {
            parts.language = subtag;
        } else if (index == 1 && subtag.size() == 4 && allLetters(subtag)) {
            parts.script = subtag;
            continue;  // the region may still follow
        } else if ((subtag.size() == 2 && allLetters(subtag)) || (subtag.size() == 3 && allDigits(subtag))) {
            parts.region = subtag;
            break;
        } else {
            break;
        }
        ++index;
    }
    return parts;
}

}  // namespace

uint32_t parseLcid(std::u16string_view text)
{
    uint32_t base = 10;
    if (text.size() >= 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return 0;
    uint64_t value = 0;
    for (const char16_t c : text) {
        uint32_t digit = 0;
        if (c >= u'0' && c <= u'9') {
            digit = c - u'0';
        } else if (base == 16 && c >= u'a' && c <= u'f') {
            digit = c - u'a' + 10;
        } else if (base == 16 && c >= u'A' && c <= u'F') {
            digit = c - u'A' + 10;
        } else {
            return 0;
        }
        value = value * base + digit;
        if (value > std::numeric_limits<uint32_t>::max()) return 0;
    }
    return static_cast<uint32_t>(value);
}

uint32_t lcidOfLocaleTag(std::string_view tag)
{
    const TagParts parts = splitTag(tag);
    if (!allLetters(parts.language)) return 0;
    const LocaleEntry* primary = nullptr;
    const LocaleEntry* byScript = nullptr;
    for (const LocaleEntry& entry : kLocales) {
        if (!equalIgnoringAsciiCase(entry.language, parts.language)) continue;
        if (!primary) primary = &entry;
        if (!parts.region.empty() && equalIgnoringAsciiCase(entry.region, parts.region)) return entry.lcid;
        if (!parts.script.empty() && equalIgnoringAsciiCase(entry.script, parts.script)) byScript = &entry;
    }
    if (byScript) return byScript->lcid;
    return primary ? primary->lcid : 0;
}

int32_t systemLanguageId()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value == nullptr || *value == '\0') continue;
        if (const uint32_t lcid = lcidOfLocaleTag(value); lcid != 0) return static_cast<int32_t>(lcid);
        break;
    }
    return static_cast<int32_t>(kLcidJapanese);  // the program's own language
}

}  // namespace zema
