#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace zema {

// Looks up an environment variable; nothing when it is unset.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

[[nodiscard]] EnvironmentLookup processEnvironment();

// The folder of the running program file, or nothing when it cannot be found.
[[nodiscard]] std::optional<std::filesystem::path> programFolder();

// The data shipped with the program (the Languages and Instruments folders):
// <program folder>/../share/zema, as installed and as built. Nothing when the
// program folder is unknown; the folder need not exist.
[[nodiscard]] std::optional<std::filesystem::path> dataFolder(const std::optional<std::filesystem::path>& programDir);

// Where "ZEMA.ini", "ZEMA_ACCEL.ini", "autosave" and "Languages" live: the
// folder given with --config-dir; else the program folder when a "ZEMA.ini"
// is already there (a portable copy); else $XDG_CONFIG_HOME/zema, with
// ~/.config standing in for an unset or relative XDG_CONFIG_HOME. The folder
// is not created here.
[[nodiscard]] std::filesystem::path chooseSettingsFolder(const std::optional<std::filesystem::path>& configDir,
                                                         const std::optional<std::filesystem::path>& programDir,
                                                         const EnvironmentLookup& environment);

// The files inside a settings folder.
struct SettingsLocation {
    std::filesystem::path folder;

    [[nodiscard]] std::filesystem::path iniPath() const { return folder / "ZEMA.ini"; }
    [[nodiscard]] std::filesystem::path keyFilePath() const { return folder / "ZEMA_ACCEL.ini"; }
    [[nodiscard]] std::filesystem::path autosaveFolder() const { return folder / "autosave"; }
    [[nodiscard]] std::filesystem::path languageFolder() const { return folder / "Languages"; }
};

}  // namespace zema
