#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zema {

// A plain INI text (instrument definitions, settings, language files):
// "[section]" lines and "key=value" lines. Section and key names compare
// case-insensitively (ASCII); keys and values are trimmed; a repeated key
// keeps its first value; keys are enumerated in file order.
class CIniReader {
public:
    // Reads and decodes a file (byte-order mark, UTF-8 or the ANSI code page).
    // False when the file cannot be read.
    [[nodiscard]] bool loadFile(const std::filesystem::path& path);
    void loadBytes(std::string_view bytes);
    void loadText(std::u16string_view text);

    [[nodiscard]] bool hasSection(std::u16string_view section) const;
    [[nodiscard]] std::optional<std::u16string> value(std::u16string_view section, std::u16string_view key) const;
    // The section's keys as written, in file order.
    [[nodiscard]] std::vector<std::u16string> keys(std::u16string_view section) const;

private:
    struct Section {
        std::u16string name;  // lower-cased
        std::vector<std::pair<std::u16string, std::u16string>> entries;  // key as written, value
        std::map<std::u16string, size_t> index;                         // lower-cased key -> entry
    };
    [[nodiscard]] const Section* find(std::u16string_view section) const;

    std::vector<Section> sections_;
};

}  // namespace zema
