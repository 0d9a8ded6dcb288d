#include "document/ini_reader.h"

#include <fstream>
#include <iterator>

#include "document/text_encoding.h"
#include "document/text_util.h"

namespace zema {

bool CIniReader::loadFile(const std::filesystem::path& path)
{
    sections_.clear();
    try {
        std::ifstream file(path, std::ios::binary);
        if (!file) return false;
        const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        if (file.bad()) return false;
        loadBytes(bytes);
        return true;
    } catch (const std::exception&) {
        sections_.clear();
        return false;  // unreadable or too large: reported as not loaded
    }
}

void CIniReader::loadBytes(std::string_view bytes) { loadText(decodeDocumentBytes(bytes, {})); }

void CIniReader::loadText(std::u16string_view text)
{
    sections_.clear();
    Section* current = nullptr;
    LineCursor cursor(text);
    std::u16string_view line;
    while (cursor.next(line)) {
        const std::u16string_view trimmed = trimIni(line);
        if (trimmed.empty() || trimmed.front() == u';') continue;
        if (trimmed.front() == u'[') {
            const size_t close = trimmed.find(u']');
            const std::u16string name = toLowerAscii(trimIni(trimmed.substr(1, close == std::u16string_view::npos
                                                                                    ? std::u16string_view::npos
                                                                                    : close - 1)));
            // A repeated section continues the first one.
            current = nullptr;
            for (Section& section : sections_) {
                if (section.name == name) current = &section;
            }
            if (!current) current = &sections_.emplace_back(Section{name, {}, {}});
            continue;
        }
        if (!current) continue;
        auto pair = splitKeyValue(trimmed, false);
        if (!pair || pair->key.empty()) continue;
        if (current->index.emplace(toLowerAscii(pair->key), current->entries.size()).second) {
            current->entries.emplace_back(std::move(pair->key), std::u16string(pair->value));
        }
    }
}

const CIniReader::Section* CIniReader::find(std::u16string_view section) const
{
    const std::u16string name = toLowerAscii(trimIni(section));
    for (const Section& candidate : sections_) {
        if (candidate.name == name) return &candidate;
    }
    return nullptr;
}

bool CIniReader::hasSection(std::u16string_view section) const { return find(section) != nullptr; }

std::optional<std::u16string> CIniReader::value(std::u16string_view section, std::u16string_view key) const
{
    const Section* found = find(section);
    if (!found) return std::nullopt;
    const auto entry = found->index.find(toLowerAscii(trimIni(key)));
    if (entry == found->index.end()) return std::nullopt;
    return found->entries[entry->second].second;
}

std::vector<std::u16string> CIniReader::keys(std::u16string_view section) const
{
    std::vector<std::u16string> names;
    if (const Section* found = find(section)) {
        for (const auto& entry : found->entries) names.push_back(entry.first);
    }
    return names;
}

}  // namespace zema
