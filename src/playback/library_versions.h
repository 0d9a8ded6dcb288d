#pragma once

#include <string>
#include <vector>

namespace zema {

// A library the program is built on, as the about box credits it.
enum class LibraryLicense { Lgpl3, Lgpl21, MitStyle, BsdStyle, Zlib };

struct LibraryVersion {
    std::string name;
    std::string version;  // as the loaded library reports it
    LibraryLicense license = LibraryLicense::MitStyle;
};

// FluidSynth, RtMidi, bzip2 and zlib with the versions of the libraries
// actually loaded (not the headers built against). Qt, which only the window
// links, is added by the window.
[[nodiscard]] std::vector<LibraryVersion> linkedLibraryVersions();

}  // namespace zema
