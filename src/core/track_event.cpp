#include "core/track_event.h"

namespace zema {

std::string_view kindName(TrackEventKind kind)
{
    switch (kind) {
    case TrackEventKind::None: return "None";
    case TrackEventKind::Note: return "Note";
    case TrackEventKind::NoteOff: return "NoteOff";
    case TrackEventKind::Program: return "Program";
    case TrackEventKind::Tempo: return "Tempo";
    case TrackEventKind::Rest: return "Rest";
    case TrackEventKind::Measure: return "Measure";
    case TrackEventKind::TrackEnd: return "TrackEnd";
    case TrackEventKind::MarkerEntry: return "MarkerEntry";
    case TrackEventKind::Tie: return "Tie";
    case TrackEventKind::Control: return "Control";
    case TrackEventKind::PitchBend: return "PitchBend";
    case TrackEventKind::SysEx: return "SysEx";
    case TrackEventKind::TrackStart: return "TrackStart";
    case TrackEventKind::LengthState: return "LengthState";
    case TrackEventKind::VolumeState: return "VolumeState";
    case TrackEventKind::OctaveState: return "OctaveState";
    case TrackEventKind::TempoState: return "TempoState";
    case TrackEventKind::SpelledNote: return "SpelledNote";
    case TrackEventKind::SpelledRest: return "SpelledRest";
    case TrackEventKind::Overlap: return "Overlap";
    }
    return "";
}

void setNoteNumber(TrackEvent& event, int32_t noteNumber)
{
    static constexpr char kLetters[12] = {'C', 'C', 'D', 'D', 'E', 'F', 'F', 'G', 'G', 'A', 'A', 'B'};
    static constexpr int32_t kSharps[12] = {0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0};
    event.noteNumber = noteNumber;
    // Floor division so that negative numbers (never produced by the compiler,
    // but possible from callers) still index the tables safely.
    int32_t octave = noteNumber / 12;
    int32_t pitchClass = noteNumber % 12;
    if (pitchClass < 0) {
        pitchClass += 12;
        --octave;
    }
    event.letter = kLetters[pitchClass];
    event.sharp = kSharps[pitchClass];
    event.octave = octave - 1;
}

}  // namespace zema
