// Any bytes as /proc/self/mountinfo: parsing never fails hard, every entry
// found is one of the text's lines, and deciding the storage of a folder from
// it (against a sysfs tree that does not exist) always gives an answer.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/autosave.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<zema::MountEntry> mounts = zema::parseMountInfo(text);
    size_t lines = 1;
    for (char c : text) lines += c == '\n' ? 1 : 0;
    if (mounts.size() > lines) __builtin_trap();

    for (const char* folder : {"/", "/home/user/.config/zema", "/media/stick/zema", "relative/folder"}) {
        if (const zema::MountEntry* holding = zema::mountHolding(mounts, folder)) {
            if (holding < mounts.data() || holding >= mounts.data() + mounts.size()) __builtin_trap();
        }
        const zema::StorageKind kind = zema::storageKindOf(folder, text, "/nonexistent-sysfs");
        if (kind != zema::StorageKind::Fixed && kind != zema::StorageKind::Removable &&
            kind != zema::StorageKind::Network && kind != zema::StorageKind::Optical) {
            __builtin_trap();
        }
    }
    return 0;
}
