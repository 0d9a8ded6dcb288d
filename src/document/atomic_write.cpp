#include "document/atomic_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>

namespace zema {

namespace {

std::error_code lastError()
{
    // A failing call that left errno at 0 still failed; say it was an I/O error.
    return std::error_code(errno != 0 ? errno : EIO, std::generic_category());
}

// The file a save replaces: the target of a symbolic link, else the path.
std::filesystem::path replacedFile(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) return path;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    return error ? path : resolved;
}

// Makes a finished rename durable. Failing here changes nothing for the
// caller: the new file is already in place for every reader.
void syncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    (void)::close(fd);
}

constexpr size_t kTemporarySuffix = 6;  // mkstemp's XXXXXX

// A temporary of an earlier save of `name` that never reached its rename (the
// program was killed or the machine went down in the middle): ".name.XXXXXX",
// untouched for longer than any save takes, so not another instance's save
// that is still running.
bool isStaleTemporary(const std::filesystem::directory_entry& entry, const std::string& name,
                      std::filesystem::file_time_type now)
{
    const std::string file = entry.path().filename().string();
    const std::string prefix = "." + name + ".";
    if (file.size() != prefix.size() + kTemporarySuffix || file.compare(0, prefix.size(), prefix) != 0) return false;
    for (size_t i = prefix.size(); i < file.size(); ++i) {
        if (std::isalnum(static_cast<unsigned char>(file[i])) == 0) return false;
    }
    std::error_code error;
    if (!entry.is_regular_file(error) || error) return false;
    const auto written = entry.last_write_time(error);
    return !error && now - written > kStaleTemporaryAge;
}

// Removes what killed saves of the same file left behind. Only a courtesy:
// a folder that cannot be listed, or a file that cannot go, stays as it is.
void removeStaleTemporaries(const std::filesystem::path& folder, const std::string& name)
{
    std::error_code error;
    const auto now = std::filesystem::file_time_type::clock::now();
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (isStaleTemporary(*it, name, now)) {
            std::error_code ignored;
            std::filesystem::remove(it->path(), ignored);
        }
    }
}

}  // namespace

const FileOps& systemFileOps()
{
    static const FileOps ops{
        [](std::string& pattern) { return ::mkostemp(pattern.data(), O_CLOEXEC); },
        [](int fd, mode_t mode) { return ::fchmod(fd, mode); },
        [](int fd, const char* data, size_t size) { return ::write(fd, data, size); },
        [](int fd) { return ::fsync(fd); },
        [](int fd) { return ::close(fd); },
        [](const char* from, const char* to) { return std::rename(from, to); },
        [](const char* file) { return ::unlink(file); },
    };
    return ops;
}

std::error_code replaceFileAtomically(const std::filesystem::path& path, std::string_view bytes, const FileOps& ops)
{
    const std::filesystem::path target = replacedFile(path);
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();

    errno = 0;
    int fd = ops.makeTemp(temporary);
    if (fd < 0) return lastError();

    std::error_code failure;
    auto fail = [&failure] {
        if (!failure) failure = lastError();
    };
    struct stat existing {};
    const mode_t mode = ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
    errno = 0;
    if (ops.setMode(fd, mode) != 0) fail();
    while (!failure && !bytes.empty()) {
        errno = 0;
        const ssize_t written = ops.write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            // Nothing written without an error would loop for ever: a full disk by another name.
            if (written == 0) errno = ENOSPC;
            fail();
            break;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    errno = 0;
    if (!failure && ops.sync(fd) != 0) fail();
    errno = 0;
    if (ops.close(fd) != 0) fail();
    errno = 0;
    if (!failure && ops.rename(temporary.c_str(), target.c_str()) != 0) fail();
    if (failure) {
        const int saved = errno;
        (void)ops.unlink(temporary.c_str());
        errno = saved;
        return failure;
    }
    syncFolder(folder);
    removeStaleTemporaries(folder, target.filename().string());
    return {};
}

}  // namespace zema
