#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/timing.h"
#include "core/track_event.h"

namespace zema {

inline constexpr int kTrackCount = 16;
inline constexpr int32_t kMarkerTrackIndex = 17;

// A group of tracks (typically the three parts of one MML@ text). Group 0 is
// the global group every unassigned track belongs to.
struct TrackGroup {
    std::u16string name;

    friend bool operator==(const TrackGroup&, const TrackGroup&) = default;
};

// Largest group number a track can carry into a document, which stores it
// in one byte.
inline constexpr int32_t kMaxGroupIndex = 255;

// The properties the user sets per track, shared by the song's tracks and the
// tracks of a document. Mute and group link belong to the editing session:
// readers leave them false and writers do not store them.
struct TrackProperties {
    std::u16string name;
    int32_t instrument = 0;    // 0..6 the game's instruments, 7+ GM program + 7
    int32_t volume = 100;      // 0..127
    int32_t panpot = 64;       // 0..127, 64 = centre
    int32_t startMarker = 0;   // 0 = song start, k = k-th marker of the list
    int32_t group = 0;         // index of the track's TrackGroup; 0 = global
    uint8_t trackType = 0;     // 0 melody, 1 rhythm (the first option byte)
    uint8_t option2 = 0;       // second option byte, carried through documents
    bool mute = false;
    bool groupLink = false;

    friend bool operator==(const TrackProperties&, const TrackProperties&) = default;
};

// A marker on the song's time line: position, colour (a Windows COLORREF,
// 0x00BBGGRR) and name.
struct Marker {
    int32_t tick = 0;
    uint32_t colour = 0;
    std::u16string name;

    friend bool operator==(const Marker&, const Marker&) = default;
};

// One of the sixteen track slots: the MML text, its compiled lists and the
// properties the user sets per track.
struct Track : TrackProperties {
    bool used = false;
    std::u16string text;       // MML text, lines separated by CR LF
    int32_t channel = 0;       // MIDI channel as stored in documents
    int32_t reserved = -1;     // int32 carried through the extension block

    EventList events;  // compiled from `text`
    StateList states;
};

// The song held by the main window: slots, timing, markers and the merged
// event list every view and the player read.
struct Song {
    TimingContext timing;
    std::array<Track, kTrackCount> tracks;
    // Explicit markers ordered by tick. Marker index 0 is the implicit song
    // start "先頭", so the k-th marker here has index k.
    std::vector<Marker> markers;
    std::vector<TrackGroup> groups;
    // Tab order: the used slots' indices in display order.
    std::vector<int32_t> trackOrder;
    int32_t currentTrack = 0;
    SongEventList events;

    std::u16string title;
    std::u16string source;
    std::u16string memo;
};

// Colour (a Windows COLORREF: 0x00BBGGRR) of the implicit first marker.
// Its name is the string IDS_MAIN_TOPMARKER ("先頭").
inline constexpr uint32_t kSongStartMarkerColour = 224 | (40 << 8) | (40 << 16);

// Marker `index` as the tracks see it: 0 is the implicit song start, k the
// k-th explicit marker. An index past the list falls back to the song start.
[[nodiscard]] Marker markerAt(const Song& song, int32_t index);

// Tick at which a track starting at marker `index` begins.
[[nodiscard]] int32_t startTickOfMarker(const Song& song, int32_t index);

// The markers as the entries of the song-wide event list: MarkerEntry events
// with value = colour and text = name, owned by kMarkerTrackIndex.
[[nodiscard]] EventList markerEvents(const std::vector<Marker>& markers);

// Removes every event of `trackIndex` from `songList` and merges `eventList`
// into it, keeping the list ordered by tick, then track index, then position.
void mergeTrack(SongEventList& songList, int32_t trackIndex, const EventList& eventList, int32_t groupId);

// Removes all Overlap entries; for a group other than 0, flags each note of
// the group that starts while an earlier note of the same pitch still sounds.
void markOverlaps(SongEventList& songList, int32_t groupId);

// Compiles one slot's text at its start marker and merges it into the song.
void recompileTrack(Song& song, int trackIndex);

// Rebuilds the whole song-wide list from every used slot and the markers.
void recompileAll(Song& song);

// Largest TrackEnd tick over the used tracks with text; 0 for an empty song.
[[nodiscard]] int32_t songEndTick(const Song& song);

// The status-line text "Tempo %3d, Octave %d, Velocity %2d, L%d%c" for a caret
// at (line, column), from the states whose command ends at or before it.
[[nodiscard]] std::string statusLineText(const StateList& states, int32_t caretLine, int32_t caretColumn);

}  // namespace zema
