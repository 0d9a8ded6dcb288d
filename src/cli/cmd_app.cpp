// `settings` and `keys`: what the editor would read from its settings folder;
// `recover`: the autosaves of runs that did not end normally.
#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include <nlohmann/json.hpp>

#include "app/accelerator.h"
#include "app/first_start.h"
#include "app/recovery.h"
#include "app/settings.h"
#include "app/settings_location.h"
#include "cli/cli_common.h"
#include "core/unicode.h"

namespace zema::cli {

namespace {

SettingsLocation locate(const std::string& configDir)
{
    std::optional<std::filesystem::path> given;
    if (!configDir.empty()) given = std::filesystem::path(configDir);
    return SettingsLocation{chooseSettingsFolder(given, programFolder(), processEnvironment())};
}

nlohmann::ordered_json settingsToJson(const Settings& settings)
{
    nlohmann::ordered_json out;
    for (const SettingField& field : settingFields()) {
        nlohmann::ordered_json& value = out[utf16ToUtf8(field.section)][utf16ToUtf8(field.key)];
        std::visit(
            [&](auto member) {
                using Value = std::remove_cvref_t<decltype(settings.*member)>;
                if constexpr (std::is_same_v<Value, std::u16string>) {
                    value = utf16ToUtf8(settings.*member);
                } else {
                    value = settings.*member;
                }
            },
            field.member);
    }
    nlohmann::ordered_json& recent = out["Recent File List"];
    recent = nlohmann::ordered_json::object();
    for (size_t i = 0; i < settings.recentFiles.size(); ++i) {
        recent["File" + std::to_string(i + 1)] = utf16ToUtf8(settings.recentFiles[i]);
    }
    return out;
}

nlohmann::ordered_json candidateToJson(const RecoveryCandidate& candidate, size_t number)
{
    nlohmann::ordered_json out;
    out["number"] = number;
    out["autosave"] = candidate.autosaveFile.string();
    out["document"] = candidate.origin.document.string();
    out["saved"] = utf16ToUtf8(recoveryTimeText(candidate.saved));
    out["readable"] = candidate.readable;
    out["tracks"] = candidate.tracks;
    out["characters"] = candidate.characters;
    out["run"] = candidate.origin.runId;
    return out;
}

struct RecoverOptions {
    std::string configDir;
    std::vector<size_t> discard;  // numbers from 1, as listed
    bool discardAll = false;
};

int runRecover(const RecoverOptions& options)
{
    const SettingsLocation location = locate(options.configDir);
    const Settings settings = loadSettings(location.iniPath());
    const TimingContext defaults{readerTimebase(settings), 4, 4};
    const std::vector<RecoveryCandidate> candidates = findRecoverable(location.folder, defaults);

    if (!options.discardAll && options.discard.empty()) {
        nlohmann::ordered_json out;
        out["folder"] = location.folder.string();
        out["runs"] = nlohmann::ordered_json::array();
        for (const RunMarkerInfo& marker : findRunMarkers(location.folder)) {
            out["runs"].push_back({{"run", marker.runId}, {"pid", marker.pid}, {"running", marker.running}});
        }
        out["recoverable"] = nlohmann::ordered_json::array();
        for (size_t i = 0; i < candidates.size(); ++i) out["recoverable"].push_back(candidateToJson(candidates[i], i + 1));
        // File names need not be UTF-8; what is not is shown as U+FFFD rather than refused.
        std::cout << out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
        return 0;
    }

    for (const size_t number : options.discard) {
        if (number < 1 || number > candidates.size()) {
            std::cerr << "zema-cli recover: there is no autosave number " << number << " (" << candidates.size()
                      << " listed)\n";
            return 1;
        }
    }
    int status = 0;
    for (size_t i = 0; i < candidates.size(); ++i) {
        const bool chosen = options.discardAll ||
                            std::find(options.discard.begin(), options.discard.end(), i + 1) != options.discard.end();
        if (!chosen) continue;
        if (const std::error_code error = discardRecoverable(candidates[i])) {
            std::cerr << "zema-cli recover: cannot delete " << candidates[i].autosaveFile.string() << ": "
                      << error.message() << "\n";
            status = 1;
            continue;
        }
        std::cout << "discarded " << candidates[i].autosaveFile.string() << "\n";
    }
    (void)removeSettledMarkers(location.folder);
    return status;
}

}  // namespace

void addAppCommands(CLI::App& app, int& exitCode)
{
    auto settingsDir = std::make_shared<std::string>();
    CLI::App* settings = app.add_subcommand(
        "settings", "Print the editor's settings, corrected as the editor reads them, as JSON (nothing is written)");
    settings->add_option("--config-dir", *settingsDir, "Settings folder (default: as the editor chooses it)");
    settings->callback([settingsDir, &exitCode] {
        const SettingsLocation location = locate(*settingsDir);
        std::error_code error;
        const bool firstStart = !std::filesystem::exists(location.iniPath(), error);
        Settings values = loadSettings(location.iniPath());
        if (firstStart) applyFirstStart(values, systemMachineProbe(processEnvironment()));
        nlohmann::ordered_json out;
        out["folder"] = location.folder.string();
        out["firstStart"] = firstStart;
        out["settings"] = settingsToJson(values);
        std::cout << out.dump(2) << "\n";
        exitCode = 0;
    });

    auto keysDir = std::make_shared<std::string>();
    CLI::App* keys = app.add_subcommand(
        "keys", "Print the main window's shortcuts as COMMAND<TAB>KEY lines (the built-in table when no key file exists)");
    keys->add_option("--config-dir", *keysDir, "Settings folder (default: as the editor chooses it)");
    keys->callback([keysDir, &exitCode] {
        const SettingsLocation location = locate(*keysDir);
        CAccelerator accelerator;
        std::error_code error;
        if (std::filesystem::exists(location.keyFilePath(), error)) {
            if (!accelerator.load(location.keyFilePath(), kMainWindowKey)) {
                std::cerr << "cannot read " << location.keyFilePath().string() << "\n";
                exitCode = 1;
                return;
            }
        } else {
            accelerator = defaultAccelerator();
        }
        for (const auto& [command, key] : accelerator.keys()) {
            std::cout << command << "\t" << utf16ToUtf8(accelerator.keyText(command)) << "\n";
        }
        exitCode = 0;
    });

    auto recoverOptions = std::make_shared<RecoverOptions>();
    CLI::App* recover = app.add_subcommand(
        "recover", "List, as JSON, the autosaves that runs which did not end normally left behind, or discard them");
    recover->add_option("--config-dir", recoverOptions->configDir, "Settings folder (default: as the editor chooses it)");
    recover->add_option("--discard", recoverOptions->discard, "Delete the autosave with this number (as listed)");
    recover->add_flag("--discard-all", recoverOptions->discardAll, "Delete every listed autosave");
    recover->callback([recoverOptions, &exitCode] { exitCode = runRecover(*recoverOptions); });
}

}  // namespace zema::cli
