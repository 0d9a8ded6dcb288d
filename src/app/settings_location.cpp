#include "app/settings_location.h"

#include <cstdlib>
#include <system_error>

namespace zema {

EnvironmentLookup processEnvironment()
{
    return [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        if (!value) return std::nullopt;
        return std::string(value);
    };
}

std::optional<std::filesystem::path> programFolder()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || program.empty()) return std::nullopt;
    return program.parent_path();
}

std::optional<std::filesystem::path> dataFolder(const std::optional<std::filesystem::path>& programDir)
{
    if (!programDir || programDir->empty()) return std::nullopt;
    return (*programDir / ".." / "share" / "zema").lexically_normal();
}

std::filesystem::path chooseSettingsFolder(const std::optional<std::filesystem::path>& configDir,
                                           const std::optional<std::filesystem::path>& programDir,
                                           const EnvironmentLookup& environment)
{
    if (configDir && !configDir->empty()) return *configDir;
    std::error_code error;
    if (programDir && std::filesystem::is_regular_file(*programDir / "ZEMA.ini", error)) return *programDir;

    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base-directory rules say.
    if (const auto xdg = environment("XDG_CONFIG_HOME"); xdg && !xdg->empty() && xdg->front() == '/') {
        return std::filesystem::path(*xdg) / "zema";
    }
    if (const auto home = environment("HOME"); home && !home->empty()) {
        return std::filesystem::path(*home) / ".config" / "zema";
    }
    // No home at all: keep everything beside the program.
    return programDir.value_or(std::filesystem::current_path(error));
}

}  // namespace zema
