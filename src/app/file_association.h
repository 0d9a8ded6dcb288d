#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/desktop_files.h"
#include "app/settings_location.h"

namespace zema {

// The ".mml" and ".mms" association, done the freedesktop way inside the
// user's XDG data folder, with the files an installed copy puts into the
// system's data folder (packaging/), under the same names:
//   <data>/mime/packages/<id>.xml        a shared-mime-info package declaring
//                                        the document types for "*.mml" and "*.mms"
//   <data>/applications/<id>.desktop     the program's desktop entry, which
//                                        opens those types
// after which the desktop's MIME and application databases are rebuilt. The
// same names make the user's association replace the system's rather than
// stand beside it: one entry, one type per pattern. The system already knows
// "*.mml" as MathML, so the package gives its glob a higher weight than the
// default 50: our type wins the file-name match.

inline constexpr std::string_view kMmlMimeType = "text/x-zema-mml";

enum class AssociationResult {
    Done,
    // The association exists and the call was not forced; nothing was
    // written. The preferences page asks IDS_CFG_FILE_OVERWRITE and, on Yes,
    // calls again forced.
    AlreadyAssociated,
    // A folder or file could not be written or removed. What was written
    // before the failure stays.
    Failed,
};

// Rebuilds the databases below a data folder after the files changed.
using DatabaseRefresher = std::function<void(const std::filesystem::path& dataFolder)>;

// Runs "update-mime-database <data>/mime" and "update-desktop-database
// <data>/applications" and waits for them. A tool that is not installed is
// skipped; their output and exit status are ignored.
[[nodiscard]] DatabaseRefresher systemDatabaseRefresher();

// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share; nothing
// when neither can be found.
[[nodiscard]] std::optional<std::filesystem::path> defaultDataFolder(const EnvironmentLookup& environment);

// Where the association lives and which program it opens.
struct FileAssociation {
    std::filesystem::path dataFolder;
    std::filesystem::path programPath;
    DatabaseRefresher refresh = systemDatabaseRefresher();

    [[nodiscard]] std::filesystem::path mimePackagePath() const;
    [[nodiscard]] std::filesystem::path desktopEntryPath() const;

    // True when either file is there (the association was made before,
    // possibly with another program path).
    [[nodiscard]] bool isAssociated() const;
    // Writes both files (each replaced atomically), then refreshes. The entry
    // shows the program's installedIconPath when it has one. When the
    // association exists and `forced` is false, nothing is done.
    [[nodiscard]] AssociationResult create(bool forced) const;
    // Deletes both files (missing ones are fine), then refreshes. Done or Failed.
    // The files of earlier versions ("zema.desktop", "zema-mml.xml") go too,
    // here and when creating.
    [[nodiscard]] AssociationResult remove() const;
};

// The text of the shared-mime-info package, as installed.
[[nodiscard]] std::string mimePackageText();
// The installed desktop entry made to open documents with `programPath`, and
// to show `iconPath` when one is given (else the icon named kApplicationId
// from the icon theme); nothing when either path holds a control character,
// which the entry cannot carry.
[[nodiscard]] std::optional<std::string> desktopEntryText(const std::filesystem::path& programPath,
                                                          const std::filesystem::path& iconPath = {});
// The icon an installed or built program has beside its data:
// <program folder>/../share/icons/hicolor/scalable/apps/<id>.svg; empty when
// there is none.
[[nodiscard]] std::filesystem::path installedIconPath(const std::filesystem::path& programPath);

// The message the preferences page shows for a result: IDS_CFG_FILE_SUCCESS
// or IDS_CFG_FILE_DETACH (by `removing`) for Done, IDS_CFG_FILE_OVERWRITE for
// AlreadyAssociated, IDS_CFG_FILE_FAILURE for Failed.
[[nodiscard]] std::u16string associationMessage(AssociationResult result, bool removing);

}  // namespace zema
