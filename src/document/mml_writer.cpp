#include "document/mml_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "core/unicode.h"

namespace zema {

namespace {

// A file descriptor closed when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
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

void CMMLWriter::Reset()
{
    buffer_.clear();
    failed_ = false;
    encoding_ = TextEncoding::Ansi;
}

bool CMMLWriter::WriteToMemory()
{
    Reset();
    buffer_.reserve(4096);
    return writeGuarded();
}

bool CMMLWriter::writeGuarded()
{
    try {
        return Write() && !failed_;
    } catch (const std::exception&) {
        // Out of memory while building the text: the document is not written.
        buffer_.clear();
        return false;
    }
}

void CMMLWriter::WriteText(std::u16string_view text)
{
    try {
        if (encoding_ == TextEncoding::Utf8) {
            buffer_ += utf16ToUtf8(text);
            return;
        }
        if (auto bytes = encodeAnsi(text)) {
            buffer_ += *bytes;
        } else {
            failed_ = true;
        }
    } catch (const std::exception&) {
        failed_ = true;
    }
}

bool CMMLWriter::SaveFile(const std::filesystem::path& path)
{
    if (!WriteToMemory()) return false;

    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    std::string pattern = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    FileHandle file(::mkstemp(pattern.data()));
    if (file.get() < 0) return false;
    const std::string temporary = pattern;

    // Keep the permissions of the file being replaced; a new file gets the
    // usual rw-r--r--.
    struct stat existing {};
    const mode_t mode = ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
    bool ok = ::fchmod(file.get(), mode) == 0;
    ok = ok && writeAll(file.get(), buffer_);
    ok = ok && ::fsync(file.get()) == 0;
    ok = file.close() && ok;
    ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}

}  // namespace zema
