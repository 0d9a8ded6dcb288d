#include "document/smf_file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>

namespace zema {

namespace {

// A file descriptor closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    [[nodiscard]] int get() const { return fd_; }
    bool close()
    {
        if (fd_ < 0) return true;
        const bool ok = ::close(fd_) == 0;
        fd_ = -1;
        return ok;
    }

private:
    int fd_;
};

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

}  // namespace

std::optional<std::string> readFileBytes(const std::filesystem::path& path)
{
    int systemError = 0;
    return readFileBytes(path, systemError);
}

std::optional<std::string> readFileBytes(const std::filesystem::path& path, int& systemError)
{
    systemError = 0;
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        systemError = errno;
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        systemError = errno;
        return std::nullopt;
    }
    // A folder opens for reading but holds no bytes of its own.
    if (S_ISDIR(info.st_mode)) {
        systemError = EISDIR;
        return std::nullopt;
    }
    try {
        std::string bytes;
        if (S_ISREG(info.st_mode) && info.st_size > 0) bytes.reserve(static_cast<size_t>(info.st_size));
        std::array<char, 65536> buffer{};
        while (true) {
            const ssize_t count = ::read(file.get(), buffer.data(), buffer.size());
            if (count < 0) {
                if (errno == EINTR) continue;
                systemError = errno;
                return std::nullopt;
            }
            if (count == 0) break;
            bytes.append(buffer.data(), static_cast<size_t>(count));
        }
        return bytes;
    } catch (const std::exception&) {
        systemError = ENOMEM;  // too large to hold
        return std::nullopt;
    }
}

bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes)
{
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    std::string pattern = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    Descriptor file(::mkstemp(pattern.data()));
    if (file.get() < 0) return false;

    // Keep the permissions of a file being replaced; a new file gets rw-r--r--.
    struct stat existing {};
    const mode_t mode = ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
    bool ok = ::fchmod(file.get(), mode) == 0;
    ok = ok && writeAll(file.get(), bytes);
    ok = ok && ::fsync(file.get()) == 0;
    ok = file.close() && ok;
    ok = ok && std::rename(pattern.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(pattern.c_str());
    return ok;
}

}  // namespace zema
