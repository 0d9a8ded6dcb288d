#include "playback/library_versions.h"

#include <RtMidi.h>
#include <bzlib.h>
#include <fluidsynth.h>
#include <zlib.h>

namespace zema {

std::vector<LibraryVersion> linkedLibraryVersions()
{
    // bzip2 reports "1.0.8, 13-Jul-2019": the version is what precedes the comma.
    std::string bzip2 = BZ2_bzlibVersion();
    bzip2 = bzip2.substr(0, bzip2.find(','));
    return {
        {"FluidSynth", fluid_version_str(), LibraryLicense::Lgpl21},
        {"RtMidi", RtMidi::getVersion(), LibraryLicense::MitStyle},
        {"bzip2", bzip2, LibraryLicense::BsdStyle},
        {"zlib", zlibVersion(), LibraryLicense::Zlib},
    };
}

}  // namespace zema
