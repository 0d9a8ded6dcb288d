#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zema {

// Windows locale identifiers (LCIDs) of the languages the program cares about.
inline constexpr uint32_t kLcidJapanese = 1041;      // 0x0411, ja-JP
inline constexpr uint32_t kLcidEnglishUs = 1033;     // 0x0409, en-US

// The "LCID" value of a language file: decimal, or hexadecimal after "0x" or
// "0X". Anything that is not entirely such a number (empty, a sign, a stray
// letter, a bare "0x", a value beyond 32 bits) gives 0.
[[nodiscard]] uint32_t parseLcid(std::u16string_view text);

// The LCID of a BCP-47 or POSIX locale tag ("ja", "en-GB", "ja_JP.UTF-8",
// "zh-Hant", "de_DE@euro"). A bare language, or a known language with a
// region of no LCID of its own, maps to the language's primary country
// ("en" 1033, "de-BE" 1031). Unknown languages, "C" and "POSIX" give 0.
[[nodiscard]] uint32_t lcidOfLocaleTag(std::string_view tag);

// The user-interface language of this process as an LCID, from the first
// set one of $LC_ALL, $LC_MESSAGES, $LANG; Japanese (1041) when none names a
// known language.
[[nodiscard]] int32_t systemLanguageId();

}  // namespace zema
