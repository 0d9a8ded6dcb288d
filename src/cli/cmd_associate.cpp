// `associate` and `autosave-name`: the preferences page's file association
// and the name an autosave copy gets.
#include <cstdio>
#include <ctime>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "app/autosave.h"
#include "app/file_association.h"
#include "app/settings_location.h"
#include "cli/cli_common.h"
#include "core/unicode.h"

namespace zema::cli {

namespace {

// The editor program the association opens: "zema" beside this tool, where
// both the build and an installation put it.
std::filesystem::path defaultEditorPath()
{
    const std::optional<std::filesystem::path> folder = programFolder();
    return folder ? *folder / "zema" : std::filesystem::path("zema");
}

// "YYYY-MM-DD HH:MM:SS" as local broken-down time; nothing when malformed.
std::optional<std::tm> parseTimeStamp(const std::string& text)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &year, &month, &day, &hour, &minute, &second,
                    &tail) != 6) {
        return std::nullopt;
    }
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60 ||
        hour < 0 || minute < 0 || second < 0) {
        return std::nullopt;
    }
    std::tm stamp{};
    stamp.tm_year = year - 1900;
    stamp.tm_mon = month - 1;
    stamp.tm_mday = day;
    stamp.tm_hour = hour;
    stamp.tm_min = minute;
    stamp.tm_sec = second;
    return stamp;
}

}  // namespace

void addAssociateCommands(CLI::App& app, int& exitCode)
{
    struct AssociateOptions {
        bool remove = false;
        bool force = false;
        std::string dataDir;
        std::string program;
    };
    auto options = std::make_shared<AssociateOptions>();
    CLI::App* associate = app.add_subcommand(
        "associate", "Associate .mml and .mms files with the editor in the XDG data folder (exit 2: already associated)");
    associate->add_flag("--remove", options->remove, "Remove the association instead");
    associate->add_flag("--force", options->force, "Overwrite an existing association");
    associate->add_option("--data-dir", options->dataDir,
                          "XDG data folder (default: $XDG_DATA_HOME or ~/.local/share)");
    associate->add_option("--program", options->program, "Editor program to open the files with (default: zema)");
    associate->callback([options, &exitCode] {
        FileAssociation association;
        if (!options->dataDir.empty()) {
            association.dataFolder = options->dataDir;
        } else if (const auto folder = defaultDataFolder(processEnvironment())) {
            association.dataFolder = *folder;
        } else {
            std::cout << utf16ToUtf8(associationMessage(AssociationResult::Failed, options->remove)) << "\n";
            exitCode = 1;
            return;
        }
        std::error_code error;
        association.programPath = options->program.empty()
                                      ? defaultEditorPath()
                                      : std::filesystem::absolute(options->program, error);
        const AssociationResult result =
            options->remove ? association.remove() : association.create(options->force);
        std::cout << utf16ToUtf8(associationMessage(result, options->remove)) << "\n";
        exitCode = result == AssociationResult::Done ? 0 : result == AssociationResult::AlreadyAssociated ? 2 : 1;
    });

    auto time = std::make_shared<std::string>();
    CLI::App* autosaveName = app.add_subcommand(
        "autosave-name", "Print the autosave file name for a document loaded at the given local time (default: now)");
    autosaveName->add_option("--time", *time, "Load time stamp, \"YYYY-MM-DD HH:MM:SS\"");
    autosaveName->callback([time, &exitCode] {
        if (time->empty()) {
            std::cout << autosaveFileName(std::time(nullptr)) << "\n";
            exitCode = 0;
            return;
        }
        const std::optional<std::tm> stamp = parseTimeStamp(*time);
        if (!stamp) {
            std::cerr << "invalid time stamp \"" << *time << "\" (expected YYYY-MM-DD HH:MM:SS)\n";
            exitCode = 1;
            return;
        }
        std::cout << autosaveFileName(*stamp) << "\n";
        exitCode = 0;
    });
}

}  // namespace zema::cli
