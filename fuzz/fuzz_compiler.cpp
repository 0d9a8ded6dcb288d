// Any bytes as MML in either dialect, at any timing: the compiler must never
// crash, hang or read out of bounds, and its output must keep its invariants.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/mml_compiler.h"
#include "core/song.h"
#include "core/unicode.h"

namespace {

template <typename T>
T take(const uint8_t*& data, size_t& size)
{
    T value{};
    if (size >= sizeof(T)) {
        std::memcpy(&value, data, sizeof(T));
        data += sizeof(T);
        size -= sizeof(T);
    }
    return value;
}

void check(bool condition)
{
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace zema;
    const auto flags = take<uint8_t>(data, size);
    TimingContext timing;
    if (flags & 0x01) {
        timing.timebase = take<int16_t>(data, size);
        timing.numerator = take<int8_t>(data, size);
        timing.denominator = take<int8_t>(data, size);
    }
    const int32_t startTick = (flags & 0x02) ? take<int32_t>(data, size) : 0;
    const bool keepTies = flags & 0x04;
    const bool stateToEvents = flags & 0x08;

    std::u16string text;
    if (flags & 0x10) text = u"//#using_extension\n";
    if (flags & 0x20) {
        // Raw UTF-16 code units, unpaired surrogates and NULs included.
        for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    } else {
        text += utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
    }

    EventList events;
    StateList states;
    compileTrack(timing, text, events, states, startTick, keepTies, stateToEvents);

    check(!events.empty() && events.back().kind == TrackEventKind::TrackEnd);
    check(states.size() >= 4);
    check(events.back().value == characterCount(text));
    for (size_t i = 1; i < events.size(); ++i) check(events[i - 1].tick <= events[i].tick);
    for (const TrackEvent& e : events) {
        if (e.kind == TrackEventKind::Note) check(e.noteNumber >= 11 && e.noteNumber <= 120 && e.length >= 0);
        if (e.kind == TrackEventKind::SysEx) check(e.data.size() >= 2 && e.data.front() == 0xF0 && e.data.back() == 0xF7);
    }

    // The same text as two tracks of one group, merged and overlap-marked.
    Song song;
    song.timing = timing;
    for (size_t slot : {size_t{0}, size_t{5}}) {
        song.tracks[slot].used = true;
        song.tracks[slot].text = text;
        song.tracks[slot].group = 1;
    }
    recompileAll(song);
    recompileTrack(song, 5);
    for (size_t i = 1; i < song.events.size(); ++i) check(song.events[i - 1].tick <= song.events[i].tick);
    (void)statusLineText(states, 0, 3);
    return 0;
}
