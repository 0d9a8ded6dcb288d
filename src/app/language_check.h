#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zema {

class CIniReader;

// What one section of a language file covers.
struct LanguageSectionReport {
    std::u16string section;           // "Global" or a window key, as the program spells it
    size_t translated = 0;            // known names with a non-empty text
    std::vector<std::string> missing;  // built-in names the file leaves untranslated
    std::vector<std::u16string> unknown;  // keys as written that the section does not know
    // Names whose translation has other format fields ("%d", "%s" ...) than
    // the built-in text, or in another order: the program would show garbage.
    std::vector<std::string> formatMismatch;
};

// The printf conversions of a text in order ("%4d %s" -> "ds"); "%%" is none.
[[nodiscard]] std::string formatConversions(std::u16string_view text);

// A translator's view of a language file.
struct LanguageCheck {
    enum class Status { Ok, Unreadable, WrongVersion };
    Status status = Status::Ok;
    std::u16string language;
    std::u16string languageName;
    std::u16string translatedBy;
    uint32_t lcid = 0;
    // "Global", then every window key in the order the files list them.
    std::vector<LanguageSectionReport> sections;
    // Sections of the file that are neither "Information", "Global" nor a window key.
    std::vector<std::u16string> foreignSections;
};

[[nodiscard]] LanguageCheck checkLanguageBytes(std::string_view bytes);
[[nodiscard]] LanguageCheck checkLanguageFile(const std::filesystem::path& path);

// What a new language file's [Information] section says.
struct LanguageTemplateOptions {
    std::string language;      // tag such as "en-US"; its LCID is filled in when known
    std::u16string languageName;
    std::u16string translatedBy;
    // A previous translation whose texts are kept (raw, as written); null for none.
    const CIniReader* previous = nullptr;
};

// A complete language file (UTF-8 with a byte-order mark, CR LF line ends):
// the [Information] section, then "Global" and every window key with every
// name and its built-in Japanese text (or the previous translation's text),
// escaped so that it reads back unchanged.
[[nodiscard]] std::string languageTemplate(const LanguageTemplateOptions& options);

// The escaped form of a text in a language file ("\n", "\r", "\t", "\\").
[[nodiscard]] std::u16string escapeLanguageValue(std::u16string_view text);

}  // namespace zema
