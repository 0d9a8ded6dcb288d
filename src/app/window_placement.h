#pragma once

#include <cstdint>
#include <filesystem>

namespace zema {

// The main window's stored placement ("Window Placement - Main"): the normal
// (restored) rectangle in screen pixels, the minimised and maximised
// positions, and the show state (3 = maximised).
struct WindowPlacement {
    uint32_t flags = 0;
    uint32_t showCmd = 1;
    int32_t maxX = -1;
    int32_t maxY = -1;
    int32_t minX = -1;
    int32_t minY = -1;
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

inline constexpr uint32_t kShowMaximized = 3;

// Every key falls back to the matching field of `current` (the window's
// placement before anything is restored).
class CIniReader;
[[nodiscard]] WindowPlacement windowPlacementFromIni(const CIniReader& reader, const WindowPlacement& current);
[[nodiscard]] WindowPlacement loadWindowPlacement(const std::filesystem::path& iniPath, const WindowPlacement& current);
bool saveWindowPlacement(const std::filesystem::path& iniPath, const WindowPlacement& placement);

}  // namespace zema
