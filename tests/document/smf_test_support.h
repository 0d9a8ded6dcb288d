#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/mml_compiler.h"
#include "core/track_event.h"
#include "document/smf_import.h"

namespace zema::test {

// Builds Standard MIDI File bytes for tests: a header and track chunks made of
// (delta, bytes) events.
class MidiTrack {
public:
    MidiTrack& raw(std::string_view bytes)
    {
        data_ += bytes;
        return *this;
    }
    MidiTrack& delta(uint32_t ticks)
    {
        char bytes[4];
        int count = 0;
        bytes[count++] = static_cast<char>(ticks & 0x7F);
        while ((ticks >>= 7) != 0) bytes[count++] = static_cast<char>((ticks & 0x7F) | 0x80);
        while (count > 0) data_ += bytes[--count];
        return *this;
    }
    MidiTrack& event(uint32_t ticks, std::initializer_list<int> bytes)
    {
        delta(ticks);
        for (int b : bytes) data_ += static_cast<char>(b);
        return *this;
    }
    MidiTrack& on(uint32_t ticks, int channel, int note, int velocity = 100)
    {
        return event(ticks, {0x90 | channel, note, velocity});
    }
    MidiTrack& off(uint32_t ticks, int channel, int note) { return event(ticks, {0x80 | channel, note, 64}); }
    MidiTrack& meta(uint32_t ticks, int type, std::string_view text)
    {
        delta(ticks);
        data_ += '\xFF';
        data_ += static_cast<char>(type);
        delta(static_cast<uint32_t>(text.size()));
        data_ += text;
        return *this;
    }
    MidiTrack& end(uint32_t ticks = 0) { return event(ticks, {0xFF, 0x2F, 0x00}); }
    [[nodiscard]] const std::string& data() const { return data_; }

private:
    std::string data_;
};

inline std::string bigEndianBytes(uint32_t value, int count)
{
    std::string out;
    for (int shift = (count - 1) * 8; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
    return out;
}

inline std::string midiHeader(int format, int tracks, int division)
{
    return "MThd" + bigEndianBytes(6, 4) + bigEndianBytes(static_cast<uint32_t>(format), 2) +
           bigEndianBytes(static_cast<uint32_t>(tracks), 2) + bigEndianBytes(static_cast<uint32_t>(division), 2);
}

inline std::string midiChunk(const MidiTrack& track)
{
    return "MTrk" + bigEndianBytes(static_cast<uint32_t>(track.data().size()), 4) + track.data();
}

inline std::string midiFile(int format, int division, std::initializer_list<MidiTrack> tracks)
{
    std::string out = midiHeader(format, static_cast<int>(tracks.size()), division);
    for (const MidiTrack& track : tracks) out += midiChunk(track);
    return out;
}

// Every import option off: the game's dialect with notes, rests and tempo only.
inline SmfImportOptions plainOptions()
{
    SmfImportOptions options;
    options.programChange = options.controlChange = options.pitchBend = options.velocity = false;
    options.midiText = options.sysEx = options.channel = false;
    return options;
}

// A compiled note reduced to what sounds.
struct SoundingNote {
    int32_t tick;
    int32_t length;
    int32_t note;
    friend bool operator==(const SoundingNote&, const SoundingNote&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const SoundingNote& note)
{
    return out << "{" << note.tick << ", " << note.length << ", " << note.note << "}";
}

inline std::vector<SoundingNote> notesOf(const EventList& events)
{
    std::vector<SoundingNote> notes;
    for (const TrackEvent& event : events) {
        if (event.kind == TrackEventKind::Note) notes.push_back({event.tick, event.length, event.noteNumber});
    }
    return notes;
}

// The notes an MML text plays at `timebase`.
inline std::vector<SoundingNote> compiledNotes(std::u16string_view text, int32_t timebase)
{
    EventList events;
    StateList states;
    compileTrack({timebase, 4, 4}, text, events, states, 0, false, false);
    return notesOf(events);
}

}  // namespace zema::test
