#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

namespace zema {

// The system calls a file replacement goes through. Each follows the POSIX
// convention (-1 and errno on failure); tests put faults in their place.
struct FileOps {
    std::function<int(std::string& pattern)> makeTemp;  // mkstemp: fills the XXXXXX, returns the descriptor
    std::function<int(int fd, mode_t mode)> setMode;
    std::function<ssize_t(int fd, const char* data, size_t size)> write;
    std::function<int(int fd)> sync;
    std::function<int(int fd)> close;
    std::function<int(const char* from, const char* to)> rename;
    std::function<int(const char* path)> unlink;
};

// How long a temporary of an interrupted save is left alone: far longer than
// any save takes, so a save still running in another process keeps its own.
inline constexpr std::chrono::minutes kStaleTemporaryAge{10};

// The real calls.
[[nodiscard]] const FileOps& systemFileOps();

// Replaces `path` with `bytes` so that no reader, crash or power loss ever
// sees a mix: the bytes go into a temporary file in the same folder, which is
// flushed to the disk and then renamed over `path`. A symbolic link is
// followed, so the file it points to is replaced and the link kept. The
// permissions of a replaced file are kept; a new one gets rw-r--r--.
//
// Returns no error on success. On failure the temporary file is removed, the
// old file is as it was, and the error says why (errno's condition). A save
// that succeeds also removes the temporaries that killed saves of the same
// file left behind, once they are older than kStaleTemporaryAge.
[[nodiscard]] std::error_code replaceFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                                                    const FileOps& ops = systemFileOps());

}  // namespace zema
