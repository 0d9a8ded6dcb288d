// `lng-check`, `lng-template` and `languages`: the translators' tools and the
// language the editor would start in.
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "app/language_check.h"
#include "app/locale_id.h"
#include "app/multi_language.h"
#include "app/settings.h"
#include "app/settings_location.h"
#include "cli/cli_common.h"
#include "core/unicode.h"
#include "document/ini_reader.h"

namespace zema::cli {

namespace {

std::string utf8(std::u16string_view text) { return utf16ToUtf8(text); }

void printCheck(const LanguageCheck& check, bool quiet)
{
    if (!quiet) {
        std::cout << "Language: " << utf8(check.language) << " (" << utf8(check.languageName) << "), LCID "
                  << check.lcid;
        if (!check.translatedBy.empty()) std::cout << ", translated by " << utf8(check.translatedBy);
        std::cout << "\n";
    }
    if (check.lcid == 0) std::cout << "[Information] LCID is missing or not a number\n";
    for (const LanguageSectionReport& section : check.sections) {
        const bool problems = !section.missing.empty() || !section.unknown.empty() || !section.formatMismatch.empty();
        if (quiet && !problems) continue;
        std::cout << "[" << utf8(section.section) << "] " << section.translated << " translated, "
                  << section.missing.size() << " missing, " << section.unknown.size() << " unknown\n";
        for (const std::string& name : section.missing) std::cout << "  missing " << name << "\n";
        for (const std::u16string& key : section.unknown) std::cout << "  unknown " << utf8(key) << "\n";
        for (const std::string& name : section.formatMismatch) {
            std::cout << "  format fields differ from the built-in text: " << name << "\n";
        }
    }
    for (const std::u16string& name : check.foreignSections) {
        std::cout << "[" << utf8(name) << "] is not a window key\n";
    }
}

std::string reasonText(LanguageChoiceReason reason)
{
    switch (reason) {
        case LanguageChoiceReason::StoredSetting: return "stored setting";
        case LanguageChoiceReason::UserLanguage: return "user's language";
        case LanguageChoiceReason::English: return "English fallback";
        case LanguageChoiceReason::BuiltIn: break;
    }
    return "built-in language";
}

}  // namespace

void addLanguageCommands(CLI::App& app, int& exitCode)
{
    struct CheckOptions {
        std::string file;
        bool quiet = false;
    };
    auto check = std::make_shared<CheckOptions>();
    CLI::App* checkCommand = app.add_subcommand(
        "lng-check", "Report per section what a language file translates, leaves out and does not know");
    checkCommand->add_option("file", check->file, "language file (.lng)")->required();
    checkCommand->add_flag("--quiet", check->quiet, "Print only the problems");
    checkCommand->callback([check, &exitCode] {
        const LanguageCheck result = checkLanguageFile(check->file);
        if (result.status == LanguageCheck::Status::Unreadable) {
            std::cerr << check->file << ": cannot be read\n";
            exitCode = 1;
            return;
        }
        if (result.status == LanguageCheck::Status::WrongVersion) {
            std::cerr << check->file << ": not a language file ([Information] Version is not "
                      << utf8(kLanguageFileVersion) << ")\n";
            exitCode = 1;
            return;
        }
        printCheck(result, check->quiet);
        exitCode = 0;
    });

    struct TemplateOptions {
        std::string language;
        std::string name;
        std::string translatedBy;
        std::string from;
    };
    auto skeleton = std::make_shared<TemplateOptions>();
    CLI::App* templateCommand = app.add_subcommand(
        "lng-template", "Print a complete language file with every key and its built-in Japanese text");
    templateCommand->add_option("--language", skeleton->language, "language tag, such as en-US (sets the LCID)");
    templateCommand->add_option("--name", skeleton->name, "language name shown in the Language menu");
    templateCommand->add_option("--translated-by", skeleton->translatedBy, "translator credit");
    templateCommand->add_option("--from", skeleton->from, "keep the texts of this earlier translation");
    templateCommand->callback([skeleton, &exitCode] {
        LanguageTemplateOptions options;
        options.language = skeleton->language;
        options.languageName = utf8ToUtf16(skeleton->name);
        options.translatedBy = utf8ToUtf16(skeleton->translatedBy);
        CIniReader previous;
        if (!skeleton->from.empty()) {
            if (!previous.loadFile(skeleton->from)) {
                std::cerr << skeleton->from << ": cannot be read\n";
                exitCode = 1;
                return;
            }
            options.previous = &previous;
            const auto information = [&](std::u16string_view key) {
                return unescapeLanguageValue(previous.value(kLanguageInformationSection, key).value_or(u""));
            };
            if (options.language.empty()) options.language = utf8(information(u"Language"));
            if (options.languageName.empty()) options.languageName = information(u"LanguageName");
            if (options.translatedBy.empty()) options.translatedBy = information(u"TranslatedBy");
        }
        std::cout << languageTemplate(options);
        exitCode = 0;
    });

    struct ListOptions {
        std::string configDir;
        std::string locale;
    };
    auto list = std::make_shared<ListOptions>();
    CLI::App* listCommand = app.add_subcommand(
        "languages", "List the language files and the language the editor would start in");
    listCommand->add_option("--config-dir", list->configDir, "Settings folder (default: as the editor chooses it)");
    listCommand->add_option("--locale", list->locale,
                            "user's language tag (default: $LC_ALL, $LC_MESSAGES or $LANG)");
    listCommand->callback([list, &exitCode] {
        std::optional<std::filesystem::path> given;
        if (!list->configDir.empty()) given = std::filesystem::path(list->configDir);
        const std::optional<std::filesystem::path> program = programFolder();
        const SettingsLocation location{chooseSettingsFolder(given, program, processEnvironment())};
        const std::vector<std::filesystem::path> folders = languageFolders(program, location);
        for (const LanguageFileInfo& file : findLanguageFilesIn(folders)) {
            std::cout << file.path.string() << "\t" << file.lcid << "\t" << utf8(file.language) << "\t"
                      << utf8(file.languageName) << "\n";
        }
        const std::string tag = list->locale.empty() ? userLocaleTag(processEnvironment()) : list->locale;
        CMultiLanguage language;
        const LanguageChoice choice =
            chooseStartupLanguage(language, loadLanguageFile(location.iniPath()), folders, lcidOfLocaleTag(tag));
        if (choice.path.empty()) {
            std::cout << "start-up: built-in\n";
        } else {
            std::cout << "start-up: " << choice.path.string() << " (" << reasonText(choice.reason) << ")\n";
        }
        exitCode = 0;
    });
}

}  // namespace zema::cli
