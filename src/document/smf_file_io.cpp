#include "document/smf_file_io.h"

#include "document/atomic_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace zema {

std::optional<std::string> readFileBytes(const std::filesystem::path& path)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    try {
        std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        if (file.bad()) return std::nullopt;
        return bytes;
    } catch (const std::exception&) {
        return std::nullopt;  // unreadable or too large to hold: treated as unreadable
    }
}

bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes)
{
    return !replaceFileAtomically(path, bytes);
}

}  // namespace zema
