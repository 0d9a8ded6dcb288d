#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zema {

// Whole-file reading and crash-safe replacement, shared by every document and
// file writer (.mml documents, Standard MIDI Files).

// The file's bytes, or nothing when it cannot be opened or read (a folder
// cannot). The second form gives the system's errno of a failure (EISDIR for a
// folder, ENOMEM for a file too large to hold), 0 on success.
[[nodiscard]] std::optional<std::string> readFileBytes(const std::filesystem::path& path);
[[nodiscard]] std::optional<std::string> readFileBytes(const std::filesystem::path& path, int& systemError);

// Writes `bytes` into a temporary file in the target's folder, flushes it and
// renames it over `path`. On any failure the temporary file is removed, the
// old file stays as it was and the result is false.
[[nodiscard]] bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace zema
