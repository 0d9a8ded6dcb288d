// Any bytes as a MIDI file, imported with options taken from the first two
// bytes; every text it makes is compiled as the program would.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/mml_compiler.h"
#include "document/smf_import.h"
#include "document/smf_track_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) return 0;
    const unsigned bits = data[0] | (data[1] << 8);
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);

    zema::SmfImportOptions options;
    options.programChange = bits & 0x001;
    options.controlChange = bits & 0x002;
    options.pitchBend = bits & 0x004;
    options.velocity = bits & 0x008;
    options.midiText = bits & 0x010;
    options.sysEx = bits & 0x020;
    options.channel = bits & 0x040;
    options.reduceRest = bits & 0x080;
    options.spreadTrack = bits & 0x100;
    options.spreadControl = bits & 0x200;
    options.quantizeValue = zema::kSmfQuantizeValues[(bits >> 10) % zema::kSmfQuantizeValues.size()];

    const auto list = zema::scanSmfTracks(bytes);
    std::vector<bool> selected(list ? list->entries.size() : 1, !options.spreadTrack);
    if (options.spreadTrack && !selected.empty()) selected[(bits >> 13) % selected.size()] = true;

    const zema::SmfImportResult result = zema::convertSmf(bytes, options, selected);
    if (result.texts.size() > 16) std::abort();
    for (const std::u16string& text : result.texts) {
        zema::EventList events;
        zema::StateList states;
        zema::compileTrack({96, 4, 4}, text, events, states, 0, false, false);
        if (events.empty() || events.back().kind != zema::TrackEventKind::TrackEnd) std::abort();
    }
    return 0;
}
