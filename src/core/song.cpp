#include "core/song.h"

#include <algorithm>
#include <cstdio>

#include "core/mml_compiler.h"
#include "core/strings.h"

namespace zema {

Marker markerAt(const Song& song, int32_t index)
{
    if (index >= 1 && static_cast<size_t>(index) <= song.markers.size()) return song.markers[index - 1];
    // "先頭", in the user's language
    return Marker{0, kSongStartMarkerColour, loadString("IDS_MAIN_TOPMARKER")};
}

int32_t startTickOfMarker(const Song& song, int32_t index)
{
    if (index >= 1 && static_cast<size_t>(index) <= song.markers.size()) return song.markers[index - 1].tick;
    return 0;
}

EventList markerEvents(const std::vector<Marker>& markers)
{
    EventList events(markers.size());
    for (size_t i = 0; i < markers.size(); ++i) {
        TrackEvent& entry = events[i];
        entry.kind = TrackEventKind::MarkerEntry;
        entry.tick = markers[i].tick;
        entry.value = static_cast<int32_t>(markers[i].colour);
        entry.text = markers[i].name;
        entry.trackIndex = kMarkerTrackIndex;
    }
    return events;
}

void mergeTrack(SongEventList& songList, int32_t trackIndex, const EventList& eventList, int32_t groupId)
{
    std::erase_if(songList, [trackIndex](const TrackEvent& e) { return e.trackIndex == trackIndex; });
    if (eventList.empty()) return;

    // An event goes before a list entry when it is earlier, or at the same tick
    // and the entry belongs to a higher track. The list is merged from its end
    // into its own storage, so a recompile reuses the memory it already has.
    const auto goesBefore = [trackIndex](const TrackEvent& event, const TrackEvent& entry) {
        return event.tick < entry.tick || (event.tick == entry.tick && entry.trackIndex > trackIndex);
    };
    size_t listEnd = songList.size();
    size_t eventEnd = eventList.size();
    songList.resize(listEnd + eventEnd);
    size_t out = songList.size();
    while (eventEnd > 0) {
        const TrackEvent& event = eventList[eventEnd - 1];
        if (listEnd > 0 && goesBefore(event, songList[listEnd - 1])) {
            songList[--out] = std::move(songList[--listEnd]);
            continue;
        }
        TrackEvent& added = songList[--out];
        added = event;
        --eventEnd;
        added.sequence = static_cast<int32_t>(eventEnd);
        added.trackIndex = trackIndex;
        added.groupId = groupId;
        if (added.channel == -1) added.channel = trackIndex;
    }
}

void markOverlaps(SongEventList& songList, int32_t groupId)
{
    std::erase_if(songList, [](const TrackEvent& e) { return e.kind == TrackEventKind::Overlap; });
    if (groupId == 0) return;

    struct Sounding {
        int64_t tick;
        int64_t end;
        int32_t noteNumber;
    };
    std::vector<Sounding> sounding;
    std::vector<size_t> flagged;  // indices of notes that start over a sounding one
    for (size_t i = 0; i < songList.size(); ++i) {
        const TrackEvent& event = songList[i];
        if (event.kind != TrackEventKind::Note || event.groupId != groupId) continue;
        const int64_t tick = event.tick;
        const bool overlaps = std::any_of(sounding.begin(), sounding.end(), [&](const Sounding& s) {
            return s.noteNumber == event.noteNumber && tick >= s.tick && tick < s.end;
        });
        if (overlaps) flagged.push_back(i);
        std::erase_if(sounding, [tick](const Sounding& s) { return s.end <= tick; });
        sounding.push_back({tick, tick + event.length, event.noteNumber});
    }
    if (flagged.empty()) return;

    // Open a gap before each flagged note, working from the end.
    size_t from = songList.size();
    songList.resize(songList.size() + flagged.size());
    size_t out = songList.size();
    for (auto it = flagged.rbegin(); it != flagged.rend(); ++it) {
        while (from > *it + 1) songList[--out] = std::move(songList[--from]);
        TrackEvent& note = songList[--out];
        note = std::move(songList[--from]);
        TrackEvent& overlap = songList[--out];
        overlap = TrackEvent{};
        overlap.kind = TrackEventKind::Overlap;
        overlap.value = 1;
        overlap.tick = note.tick;
        overlap.length = note.length;
        overlap.noteNumber = note.noteNumber;
        overlap.trackIndex = note.trackIndex;
        overlap.groupId = note.groupId;
        overlap.channel = note.channel;
        overlap.sequence = note.sequence;
    }
}

void recompileTrack(Song& song, int trackIndex)
{
    if (trackIndex < 0 || trackIndex >= kTrackCount) return;
    Track& track = song.tracks[static_cast<size_t>(trackIndex)];
    track.events.clear();
    track.states.clear();
    if (track.used) {
        compileTrack(song.timing, track.text, track.events, track.states, startTickOfMarker(song, track.startMarker),
                     false, false);
    }
    mergeTrack(song.events, trackIndex, track.events, track.group);
    markOverlaps(song.events, track.group);
}

void recompileAll(Song& song)
{
    // Merging the tracks one after another would move the growing list sixteen
    // times; a single k-way merge of the compiled tracks gives the same order.
    struct Cursor {
        const EventList* events;
        size_t next;
        int32_t trackIndex;
        int32_t groupId;
    };
    std::vector<Cursor> cursors;
    size_t total = song.markers.size();
    for (int i = 0; i < kTrackCount; ++i) {
        Track& track = song.tracks[static_cast<size_t>(i)];
        track.events.clear();
        track.states.clear();
        if (!track.used) continue;
        compileTrack(song.timing, track.text, track.events, track.states, startTickOfMarker(song, track.startMarker),
                     false, false);
        cursors.push_back({&track.events, 0, i, track.group});
        total += track.events.size();
    }
    const EventList markers = markerEvents(song.markers);
    cursors.push_back({&markers, 0, kMarkerTrackIndex, 0});

    song.events.clear();
    song.events.reserve(total);
    while (true) {
        Cursor* first = nullptr;
        for (Cursor& cursor : cursors) {
            if (cursor.next == cursor.events->size()) continue;
            // Cursors are in track order, so on equal ticks the earlier cursor wins.
            if (!first || (*cursor.events)[cursor.next].tick < (*first->events)[first->next].tick) first = &cursor;
        }
        if (!first) break;
        TrackEvent& added = song.events.emplace_back((*first->events)[first->next]);
        added.sequence = static_cast<int32_t>(first->next++);
        added.trackIndex = first->trackIndex;
        added.groupId = first->groupId;
        if (added.channel == -1) added.channel = first->trackIndex;
    }
    const int current = std::clamp(song.currentTrack, 0, kTrackCount - 1);
    markOverlaps(song.events, song.tracks[static_cast<size_t>(current)].group);
}

int32_t songEndTick(const Song& song)
{
    int32_t end = 0;
    for (const Track& track : song.tracks) {
        if (!track.used || track.text.empty()) continue;
        for (auto it = track.events.rbegin(); it != track.events.rend(); ++it) {
            if (it->kind == TrackEventKind::TrackEnd) {
                end = std::max(end, it->tick);
                break;
            }
        }
    }
    return end;
}

std::string statusLineText(const StateList& states, int32_t caretLine, int32_t caretColumn)
{
    int tempo = 120;
    int octave = 4;
    int volume = 8;
    int length = 4;
    bool dotted = false;
    for (const TrackEvent& state : states) {
        const bool afterCaret =
            state.endLine > caretLine || (state.endLine == caretLine && state.endColumn > caretColumn);
        if (afterCaret) continue;
        switch (state.kind) {
        case TrackEventKind::TempoState: tempo = state.value; break;
        case TrackEventKind::OctaveState: octave = state.value; break;
        case TrackEventKind::VolumeState: volume = state.value; break;
        case TrackEventKind::LengthState:
            length = state.value;
            dotted = state.value2 != 0;
            break;
        default: break;
        }
    }
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "Tempo %3d, Octave %d, Velocity %2d, L%d%c", tempo, octave, volume, length,
                  dotted ? '.' : ' ');
    return buffer;
}

}  // namespace zema
