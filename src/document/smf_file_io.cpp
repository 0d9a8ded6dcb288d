#include "document/smf_file_io.h"

#include "document/atomic_write.h"

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
    ~Descriptor()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    [[nodiscard]] int get() const { return fd_; }

private:
    int fd_;
};

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
    return !replaceFileAtomically(path, bytes);
}

}  // namespace zema
