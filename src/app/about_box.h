#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "playback/library_versions.h"

namespace zema {

// The version of this build, "major.minor.patch".
[[nodiscard]] std::string_view programVersion();

// What the about box ("About Box") shows, in the loaded language.
struct AboutBoxTexts {
    std::u16string caption;     // IDD_ABOUTBOX
    std::u16string name;        // IDC_TXT_APP_NAME
    std::u16string version;     // IDC_TXT_VERSION and programVersion(): "Version 0.1.0"
    std::u16string copyright;   // IDC_TXT_COPYRIGHT
    std::u16string translator;  // IDC_TXT_TRANSLATOR and the credit; empty without one
    std::u16string librariesHeading;       // IDC_STATIC_ABOUT_LIBRARIES
    std::vector<std::u16string> libraries;  // "FluidSynth 2.3.1 (LGPL v2.1)", one a library
};

// The texts for a language whose file credits `translatedBy` (empty for the
// built-in language) and the libraries in the order given.
[[nodiscard]] AboutBoxTexts aboutBoxTexts(std::u16string_view translatedBy,
                                          const std::vector<LibraryVersion>& libraries);

// A license as the about box names it.
[[nodiscard]] std::u16string licenseName(LibraryLicense license);

// The program's icon rendered at fixed sizes beside its data (as built and as
// installed): <program folder>/../share/icons/hicolor/<N>x<N>/apps/<id>.png,
// every one there, in file-name order.
[[nodiscard]] std::vector<std::filesystem::path> applicationIconFiles(
    const std::optional<std::filesystem::path>& programDir);

}  // namespace zema
