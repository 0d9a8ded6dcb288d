#include "app/file_association.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

#include "core/strings.h"
#include "document/smf_file_io.h"

extern char** environ;

namespace zema {

namespace {

// Runs a tool found through PATH with its output thrown away and waits for
// it. Whether it exists or succeeds does not matter to the caller.
void runQuietly(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return;
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

// One argument of an Exec line, in double quotes. Inside the quotes '"', '`',
// '$' and '\' take a backslash; the desktop file's own string escaping then
// doubles every backslash, and '%' is written "%%".
std::string quotedExecArgument(const std::string& argument)
{
    std::string out = "\"";
    for (const char c : argument) {
        switch (c) {
        case '"':
        case '`':
        case '$':
            out += "\\\\";
            out += c;
            break;
        case '\\':
            out += "\\\\\\\\";
            break;
        case '%':
            out += "%%";
            break;
        default:
            out += c;
        }
    }
    out += '"';
    return out;
}

bool writeTextFile(const std::filesystem::path& path, std::string_view text)
{
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error) return false;
    return writeFileAtomically(path, text);
}

bool removeFile(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::remove(path, error);
    return !error;
}

bool hasControlCharacter(const std::string& text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return true;
    }
    return false;
}

// The association files of versions before the installed names.
bool removeEarlierFiles(const std::filesystem::path& dataFolder)
{
    const bool package = removeFile(dataFolder / "mime" / "packages" / "zema-mml.xml");
    const bool entry = removeFile(dataFolder / "applications" / "zema.desktop");
    return package && entry;
}

}  // namespace

DatabaseRefresher systemDatabaseRefresher()
{
    return [](const std::filesystem::path& dataFolder) {
        runQuietly({"update-mime-database", (dataFolder / "mime").string()});
        runQuietly({"update-desktop-database", (dataFolder / "applications").string()});
    };
}

std::optional<std::filesystem::path> defaultDataFolder(const EnvironmentLookup& environment)
{
    // A relative XDG_DATA_HOME is invalid and ignored.
    if (const auto xdg = environment("XDG_DATA_HOME"); xdg && !xdg->empty() && xdg->front() == '/') {
        return std::filesystem::path(*xdg);
    }
    if (const auto home = environment("HOME"); home && !home->empty()) {
        return std::filesystem::path(*home) / ".local" / "share";
    }
    return std::nullopt;
}

std::filesystem::path FileAssociation::mimePackagePath() const
{
    return dataFolder / "mime" / "packages" / (std::string(kApplicationId) + ".xml");
}

std::filesystem::path FileAssociation::desktopEntryPath() const
{
    return dataFolder / "applications" / (std::string(kApplicationId) + ".desktop");
}

bool FileAssociation::isAssociated() const
{
    std::error_code error;
    return std::filesystem::exists(mimePackagePath(), error) || std::filesystem::exists(desktopEntryPath(), error);
}

AssociationResult FileAssociation::create(bool forced) const
{
    if (!forced && isAssociated()) return AssociationResult::AlreadyAssociated;
    const std::optional<std::string> entry = desktopEntryText(programPath, installedIconPath(programPath));
    if (!entry) return AssociationResult::Failed;
    if (!writeTextFile(mimePackagePath(), mimePackageText())) return AssociationResult::Failed;
    if (!writeTextFile(desktopEntryPath(), *entry)) return AssociationResult::Failed;
    (void)removeEarlierFiles(dataFolder);
    if (refresh) refresh(dataFolder);
    return AssociationResult::Done;
}

AssociationResult FileAssociation::remove() const
{
    // Both deletions are tried even when the first one fails.
    const bool package = removeFile(mimePackagePath());
    const bool entry = removeFile(desktopEntryPath());
    const bool earlier = removeEarlierFiles(dataFolder);
    if (refresh) refresh(dataFolder);
    return package && entry && earlier ? AssociationResult::Done : AssociationResult::Failed;
}

std::string mimePackageText() { return std::string(kInstalledMimePackage); }

std::optional<std::string> desktopEntryText(const std::filesystem::path& programPath,
                                            const std::filesystem::path& iconPath)
{
    const std::string program = programPath.string();
    const std::string icon = iconPath.string();
    if (program.empty() || hasControlCharacter(program) || hasControlCharacter(icon)) return std::nullopt;
    // The installed entry line by line, with the program and icon replaced.
    std::string text;
    std::string_view rest = kInstalledDesktopEntry;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (line.starts_with("Exec=")) {
            text += "Exec=" + quotedExecArgument(program) + " %f";
        } else if (line.starts_with("Icon=") && !icon.empty()) {
            // A string value: only the backslash needs escaping.
            text += "Icon=";
            for (const char c : icon) text += c == '\\' ? std::string("\\\\") : std::string(1, c);
        } else {
            text += line;
        }
        text += '\n';
    }
    return text;
}

std::filesystem::path installedIconPath(const std::filesystem::path& programPath)
{
    const std::optional<std::filesystem::path> data = dataFolder(programPath.parent_path());
    if (!data) return {};
    const std::filesystem::path icon = (*data / ".." / "icons" / "hicolor" / "scalable" / "apps" /
                                        (std::string(kApplicationId) + ".svg"))
                                           .lexically_normal();
    std::error_code error;
    return std::filesystem::is_regular_file(icon, error) ? icon : std::filesystem::path{};
}

std::u16string associationMessage(AssociationResult result, bool removing)
{
    switch (result) {
    case AssociationResult::Done:
        return loadString(removing ? "IDS_CFG_FILE_DETACH" : "IDS_CFG_FILE_SUCCESS");
    case AssociationResult::AlreadyAssociated:
        return loadString("IDS_CFG_FILE_OVERWRITE");
    case AssociationResult::Failed:
        break;
    }
    return loadString("IDS_CFG_FILE_FAILURE");
}

}  // namespace zema
