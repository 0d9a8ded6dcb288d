#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings_location.h"
#include "app/window_texts.h"
#include "core/strings.h"

namespace zema {

class CIniReader;

// The format identifier every language file carries as [Information] Version.
inline constexpr std::u16string_view kLanguageFileVersion = u"{6C578524-B2AA-4696-AE76-D491B55679E8}";
inline constexpr std::u16string_view kLanguageInformationSection = u"Information";
inline constexpr std::u16string_view kLanguageGlobalSection = u"Global";

// Language menu commands: the built-in language, then one per listed file.
inline constexpr int32_t kBuiltInLanguageCommand = 32960;   // IDM_LANG_XX
inline constexpr int32_t kFirstLanguageFileCommand = 32940;  // IDM_LANG_00
inline constexpr size_t kMaxLanguageMenuFiles = 20;

// A language file found in a Languages folder.
struct LanguageFileInfo {
    std::filesystem::path path;
    uint32_t lcid = 0;
    std::u16string language;      // [Information] Language, a tag such as "en-US"
    std::u16string languageName;  // [Information] LanguageName, such as "English"
};

// Everything a language file says, ready to install.
struct LanguageData {
    std::u16string language;
    std::u16string languageName;
    std::u16string translatedBy;
    uint32_t lcid = 0;
    StringOverrides strings;      // string identifier -> text
    WindowTextOverrides windows;  // window key (lower-cased) -> name (upper-cased) -> text
};

// The value of a language file's key as the program uses it: the escapes
// "\n", "\r", "\t" and "\\" become their characters, a backslash before any
// other character gives that character.
[[nodiscard]] std::u16string unescapeLanguageValue(std::u16string_view value);

// Whether `name` may be translated in the section of window `key`: a name of
// the window's built-in table, or a control, dialog, menu-command or button
// symbol (the windows are keyed by those even where the table has no text).
[[nodiscard]] bool isWindowTextName(std::u16string_view key, std::string_view name);

// Reads the tables of an INI text already loaded; nothing when its Version
// is not kLanguageFileVersion exactly. Unknown keys, unknown sections and
// empty values are left out (those texts stay built-in).
[[nodiscard]] std::optional<LanguageData> readLanguageData(const CIniReader& ini);

// The loaded user-interface language. Loading installs its texts process-wide
// (setStringOverrides and setWindowTextOverrides), so loadString and
// windowText follow it; unloading, or destroying the object while it holds a
// language, returns to the built-in Japanese texts.
class CMultiLanguage {
public:
    CMultiLanguage() = default;
    ~CMultiLanguage();
    CMultiLanguage(const CMultiLanguage&) = delete;
    CMultiLanguage& operator=(const CMultiLanguage&) = delete;

    // Reads the file (with the document reader's encoding detection) and
    // replaces every translation with its texts. False, keeping the current
    // language, when the file cannot be read or its Version differs.
    bool loadLanguage(const std::filesystem::path& path);
    // The same from the file's bytes; `path` is only remembered.
    bool loadFromBytes(std::string_view bytes, const std::filesystem::path& path = {});
    // Back to the built-in language.
    void unloadLanguage();

    [[nodiscard]] bool isLoaded() const { return loaded_; }
    // The loaded file; empty for the built-in language.
    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    [[nodiscard]] const std::u16string& language() const { return data_.language; }
    [[nodiscard]] const std::u16string& languageName() const { return data_.languageName; }
    // Translator credit for the about box; empty for the built-in language.
    [[nodiscard]] const std::u16string& translatedBy() const { return data_.translatedBy; }
    // 0 for the built-in language or a file without a usable LCID.
    [[nodiscard]] uint32_t lcid() const { return data_.lcid; }
    [[nodiscard]] const StringOverrides& strings() const { return data_.strings; }
    [[nodiscard]] const WindowTextOverrides& windowTexts() const { return data_.windows; }

    // Every "*.lng" file of `folder` whose Version matches, sorted by file
    // name; empty when the folder does not exist.
    [[nodiscard]] static std::vector<LanguageFileInfo> findLanguageFiles(const std::filesystem::path& folder);

private:
    bool install(std::optional<LanguageData> data, const std::filesystem::path& path);

    bool loaded_ = false;
    std::filesystem::path path_;
    LanguageData data_;
};

// The language files of several folders, one folder after the other.
[[nodiscard]] std::vector<LanguageFileInfo> findLanguageFilesIn(const std::vector<std::filesystem::path>& folders);

// The Languages folders: the installed data folder's
// (<program folder>/../share/zema/Languages, present only when the program
// folder is known) first, then the user's <settings folder>/Languages. The
// folders need not exist.
[[nodiscard]] std::vector<std::filesystem::path> languageFolders(const std::optional<std::filesystem::path>& programDir,
                                                                 const SettingsLocation& location);

// The candidates for a stored "LanguageFile" value, in the order they are
// tried: a relative value below the parent of each Languages folder from the
// last (the user's) to the first, then the value unchanged. Both '/' and '\'
// separate folders.
[[nodiscard]] std::vector<std::filesystem::path> languageFileCandidates(std::u16string_view stored,
                                                                        const std::vector<std::filesystem::path>& folders);

// The "LanguageFile" value that stores `path`: relative to the parent of the
// Languages folder holding it (generic '/' separators) when that value finds
// this same file again, else the absolute path; empty for an empty path.
[[nodiscard]] std::u16string languageFileSetting(const std::filesystem::path& path,
                                                 const std::vector<std::filesystem::path>& folders);

// How the start-up language was chosen.
enum class LanguageChoiceReason {
    StoredSetting,  // the "LanguageFile" setting loaded
    UserLanguage,   // a file of the user's LCID
    English,        // the English (1033) fallback
    BuiltIn,        // the built-in Japanese texts
};

struct LanguageChoice {
    LanguageChoiceReason reason = LanguageChoiceReason::BuiltIn;
    std::filesystem::path path;  // the loaded file; empty for the built-in language
};

// Chooses and loads the language at start-up: the stored setting when it
// loads; else the first listed file of the user's LCID that loads; else, for
// a Japanese user, the built-in language; else the first English (1033) file
// that loads; else the built-in language. `folders` are the Languages folders
// (languageFolders()); `userLcid` is the user's interface language.
LanguageChoice chooseStartupLanguage(CMultiLanguage& language, std::u16string_view storedSetting,
                                     const std::vector<std::filesystem::path>& folders, uint32_t userLcid);

// One entry of the Language menu.
struct LanguageMenuEntry {
    int32_t command = 0;         // kFirstLanguageFileCommand + index
    std::u16string text;         // LanguageName, else Language, else the file name
    std::filesystem::path path;
    bool current = false;        // the loaded file
};

// The file entries of the Language menu (at most kMaxLanguageMenuFiles, in
// list order) for `files`, ticking the one at `currentPath` (empty = the
// built-in language, which the caller ticks when no entry is current).
[[nodiscard]] std::vector<LanguageMenuEntry> languageMenuEntries(const std::vector<LanguageFileInfo>& files,
                                                                 const std::filesystem::path& currentPath);

}  // namespace zema
