// Any bytes as the settings file and as the key file: every setting, the
// window placement and the key table are read from them, and the in-memory
// rewrite behind every setting write must leave a file that reads back the
// value just written.
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "app/accelerator.h"
#include "app/inifile.h"
#include "app/settings.h"
#include "app/window_placement.h"
#include "document/ini_reader.h"
#include "document/text_encoding.h"
#include "document/text_util.h"

namespace {

const std::filesystem::path& scratchFile()
{
    static const std::filesystem::path path = [] {
        const std::filesystem::path shm("/dev/shm");
        std::error_code error;
        const auto base = std::filesystem::is_directory(shm, error) ? shm : std::filesystem::temp_directory_path();
        return base / ("zema-fuzz-settings-" + std::to_string(::getpid()) + ".ini");
    }();
    return path;
}

void checkRewrite(std::u16string_view text, std::u16string_view section, std::u16string_view key, const std::u16string& value)
{
    const std::u16string updated = zema::rewriteIniText(text, section, key, &value);
    zema::CIniReader reader;
    reader.loadText(updated);
    const auto stored = reader.value(section, key);
    if (!stored || *stored != zema::trimIni(value)) __builtin_trap();

    const std::u16string removed = zema::rewriteIniText(updated, section, key, nullptr);
    reader.loadText(removed);
    (void)reader.value(section, key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // Reads from the file (the accessor) only for small inputs: the path
    // through the file is the same reader, and the in-memory path below
    // covers the parsing at full speed.
    if (size < 64) {
        const std::filesystem::path& path = scratchFile();
        {
            std::ofstream file(path, std::ios::binary | std::ios::trunc);
            file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
        (void)zema::CInifile(path, u"ApplicationData").getInt(u"DefaultTimeBase", 96);
    }

    const std::u16string text = zema::decodeDocumentBytes(bytes, {});
    zema::CIniReader reader;
    reader.loadText(text);
    const zema::Settings settings = zema::settingsFromIni(reader);
    if (settings.defaultTrackCount < 1 || settings.defaultTrackCount > 15 || settings.viewMode > 2) __builtin_trap();
    (void)zema::windowPlacementFromIni(reader, zema::WindowPlacement{});

    zema::CAccelerator keys;
    keys.loadFrom(reader, zema::kMainWindowKey);
    for (const auto& entry : keys.keys()) (void)keys.keyText(entry.first);

    checkRewrite(text, u"ApplicationData", u"DefaultTimeBase", u"+96");
    checkRewrite(text, zema::kMainWindowKey, u"32925", u"78\\n1\\n0\\n0");
    checkRewrite(text, u"Recent File List", u"File1", u" /曲/a b.mml ");
    return 0;
}
