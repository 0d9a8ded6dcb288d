#include "app/multi_language.h"

#include "core/ascii.h"

#include <algorithm>
#include <memory>
#include <system_error>

#include "app/locale_id.h"
#include "app/resource_symbols.h"
#include "core/unicode.h"
#include "document/ini_reader.h"
#include "document/mml_file_reader.h"

namespace zema {

namespace {

bool hasLanguageVersion(const CIniReader& ini)
{
    const auto version = ini.value(kLanguageInformationSection, u"Version");
    return version && *version == kLanguageFileVersion;
}

std::u16string information(const CIniReader& ini, std::u16string_view key)
{
    return unescapeLanguageValue(ini.value(kLanguageInformationSection, key).value_or(u""));
}

bool isLanguageFileName(const std::filesystem::path& path)
{
    const std::u16string extension = asciiLowered(path.extension().u16string());
    return extension == u".lng";
}

// The folder a stored relative "LanguageFile" value starts from: the parent
// of a Languages folder ("Languages/English.lng" names a file inside it).
std::filesystem::path baseOf(const std::filesystem::path& languagesFolder)
{
    std::filesystem::path folder = languagesFolder.lexically_normal();
    if (!folder.has_filename()) folder = folder.parent_path();
    return folder.parent_path();
}

bool samePath(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error)) return true;
    return std::filesystem::absolute(a, error).lexically_normal() == std::filesystem::absolute(b, error).lexically_normal();
}

}  // namespace

std::u16string unescapeLanguageValue(std::u16string_view value)
{
    // The same escapes as a document's memo, so translators learn one rule.
    return unescapeMemo(value);
}

bool isWindowTextName(std::u16string_view key, std::string_view name)
{
    if (findWindowText(key, name)) return true;
    const ResourceSymbol* symbol = findResourceSymbol(name);
    if (!symbol) return false;
    switch (symbol->group) {
        case SymbolGroup::Control:
        case SymbolGroup::Dialog:
        case SymbolGroup::Menu:
        case SymbolGroup::Button: return true;
        default: return false;
    }
}

std::optional<LanguageData> readLanguageData(const CIniReader& ini)
{
    if (!hasLanguageVersion(ini)) return std::nullopt;
    LanguageData data;
    data.language = information(ini, u"Language");
    data.languageName = information(ini, u"LanguageName");
    data.translatedBy = information(ini, u"TranslatedBy");
    data.lcid = parseLcid(ini.value(kLanguageInformationSection, u"LCID").value_or(u""));

    for (const std::u16string& key : ini.keys(kLanguageGlobalSection)) {
        const StringEntry* entry = findString(utf16ToUtf8(key));
        if (!entry) continue;
        std::u16string text = unescapeLanguageValue(ini.value(kLanguageGlobalSection, key).value_or(u""));
        if (!text.empty()) data.strings.emplace(entry->id, std::move(text));
    }
    for (const WindowTexts& window : builtInWindowTexts()) {
        std::map<std::string, std::u16string> texts;
        for (const std::u16string& key : ini.keys(window.key)) {
            const std::string name = utf16ToUtf8(key);
            if (!isWindowTextName(window.key, name)) continue;
            std::u16string text = unescapeLanguageValue(ini.value(window.key, key).value_or(u""));
            if (!text.empty()) texts.emplace(asciiUppered(name), std::move(text));
        }
        if (!texts.empty()) data.windows.emplace(asciiLowered(window.key), std::move(texts));
    }
    return data;
}

CMultiLanguage::~CMultiLanguage()
{
    if (loaded_) unloadLanguage();
}

bool CMultiLanguage::loadLanguage(const std::filesystem::path& path)
{
    CIniReader ini;
    if (!ini.loadFile(path)) return false;
    return install(readLanguageData(ini), path);
}

bool CMultiLanguage::loadFromBytes(std::string_view bytes, const std::filesystem::path& path)
{
    CIniReader ini;
    ini.loadBytes(bytes);
    return install(readLanguageData(ini), path);
}

bool CMultiLanguage::install(std::optional<LanguageData> data, const std::filesystem::path& path)
{
    if (!data) return false;
    data_ = std::move(*data);
    path_ = path;
    loaded_ = true;
    setStringOverrides(std::make_shared<const StringOverrides>(data_.strings));
    setWindowTextOverrides(std::make_shared<const WindowTextOverrides>(data_.windows));
    return true;
}

void CMultiLanguage::unloadLanguage()
{
    data_ = LanguageData{};
    path_.clear();
    loaded_ = false;
    setStringOverrides(nullptr);
    setWindowTextOverrides(nullptr);
}

std::vector<LanguageFileInfo> CMultiLanguage::findLanguageFiles(const std::filesystem::path& folder)
{
    std::vector<LanguageFileInfo> files;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error) return files;
    for (const std::filesystem::directory_iterator end; it != end; it.increment(error)) {
        if (error) break;
        const std::filesystem::path& path = it->path();
        std::error_code typeError;
        if (!isLanguageFileName(path) || !it->is_regular_file(typeError)) continue;
        CIniReader ini;
        if (!ini.loadFile(path) || !hasLanguageVersion(ini)) continue;
        files.push_back(LanguageFileInfo{path, parseLcid(ini.value(kLanguageInformationSection, u"LCID").value_or(u"")),
                                         information(ini, u"Language"), information(ini, u"LanguageName")});
    }
    std::sort(files.begin(), files.end(), [](const LanguageFileInfo& a, const LanguageFileInfo& b) {
        return a.path.filename().native() < b.path.filename().native();
    });
    return files;
}

std::vector<LanguageFileInfo> findLanguageFilesIn(const std::vector<std::filesystem::path>& folders)
{
    std::vector<LanguageFileInfo> files;
    for (const std::filesystem::path& folder : folders) {
        std::vector<LanguageFileInfo> found = CMultiLanguage::findLanguageFiles(folder);
        files.insert(files.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
    }
    return files;
}

std::vector<std::filesystem::path> languageFolders(const std::optional<std::filesystem::path>& programDir,
                                                   const SettingsLocation& location)
{
    std::vector<std::filesystem::path> folders;
    if (const auto data = dataFolder(programDir)) folders.push_back(*data / "Languages");
    const std::filesystem::path user = location.languageFolder().lexically_normal();
    if (folders.empty() || folders.front() != user) folders.push_back(user);
    return folders;
}

std::vector<std::filesystem::path> languageFileCandidates(std::u16string_view stored,
                                                          const std::vector<std::filesystem::path>& folders)
{
    std::vector<std::filesystem::path> candidates;
    if (stored.empty()) return candidates;
    std::u16string text(stored);
    std::replace(text.begin(), text.end(), u'\\', u'/');
    const std::filesystem::path value(utf16ToUtf8(text));
    if (value.is_relative()) {
        for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
            candidates.push_back(baseOf(*folder) / value);
        }
    }
    candidates.push_back(value);
    return candidates;
}

std::u16string languageFileSetting(const std::filesystem::path& path, const std::vector<std::filesystem::path>& folders)
{
    if (path.empty()) return {};
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error).lexically_normal();
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
        const std::filesystem::path base = std::filesystem::absolute(baseOf(*folder), error).lexically_normal();
        const std::filesystem::path relative = absolute.lexically_relative(base);
        if (relative.empty() || *relative.begin() == "..") continue;
        const std::u16string setting = utf8ToUtf16(relative.generic_string());
        // The stored value must lead back to this file, not to a namesake in a
        // folder that is tried earlier.
        for (const std::filesystem::path& candidate : languageFileCandidates(setting, folders)) {
            if (!std::filesystem::exists(candidate, error)) continue;
            if (samePath(candidate, absolute)) return setting;
            break;
        }
    }
    return utf8ToUtf16(absolute.string());
}

LanguageChoice chooseStartupLanguage(CMultiLanguage& language, std::u16string_view storedSetting,
                                     const std::vector<std::filesystem::path>& folders, uint32_t userLcid)
{
    for (const std::filesystem::path& candidate : languageFileCandidates(storedSetting, folders)) {
        if (language.loadLanguage(candidate)) return {LanguageChoiceReason::StoredSetting, candidate};
    }
    const std::vector<LanguageFileInfo> files = findLanguageFilesIn(folders);
    // An unknown user language (0) matches no file, not the files that lack an LCID.
    if (userLcid != 0) {
        for (const LanguageFileInfo& file : files) {
            if (file.lcid == userLcid && language.loadLanguage(file.path)) {
                return {LanguageChoiceReason::UserLanguage, file.path};
            }
        }
    }
    if (userLcid != kLcidJapanese) {
        for (const LanguageFileInfo& file : files) {
            if (file.lcid == kLcidEnglishUs && language.loadLanguage(file.path)) {
                return {LanguageChoiceReason::English, file.path};
            }
        }
    }
    language.unloadLanguage();
    return {LanguageChoiceReason::BuiltIn, {}};
}

std::vector<LanguageMenuEntry> languageMenuEntries(const std::vector<LanguageFileInfo>& files,
                                                   const std::filesystem::path& currentPath)
{
    std::vector<LanguageMenuEntry> entries;
    for (size_t i = 0; i < files.size() && i < kMaxLanguageMenuFiles; ++i) {
        const LanguageFileInfo& file = files[i];
        LanguageMenuEntry entry;
        entry.command = kFirstLanguageFileCommand + static_cast<int32_t>(i);
        entry.text = !file.languageName.empty() ? file.languageName
                     : !file.language.empty()   ? file.language
                                                : file.path.filename().u16string();
        entry.path = file.path;
        entry.current = !currentPath.empty() && samePath(file.path, currentPath);
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace zema
