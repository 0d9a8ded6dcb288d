#include "playback/player_events.h"

#include <algorithm>
#include <vector>

namespace zema {

namespace {

struct PendingOff {
    size_t gap;        // inserted before the original event of this index
    int32_t tick;      // off tick
    size_t noteIndex;  // original index of the note
};

}  // namespace

void insertNoteOffs(SongEventList& events)
{
    // Inserting one by one into the list would be quadratic. Every NoteOff
    // lands in the gap before the first later original event whose tick is
    // not less than its off tick; within one gap, a NoteOff goes before the
    // ones already there whose tick is not less than its own, which is an
    // order by tick and, at equal ticks, by the later note first.
    std::vector<PendingOff> offs;
    for (size_t i = 0; i < events.size(); ++i) {
        const TrackEvent& note = events[i];
        if (note.kind != TrackEventKind::Note || note.value < 0) continue;
        const int32_t offTick = note.tick + note.length;
        const auto first = events.begin() + static_cast<std::ptrdiff_t>(i) + 1;
        const auto at = std::partition_point(first, events.end(),
                                             [offTick](const TrackEvent& e) { return e.tick < offTick; });
        offs.push_back({static_cast<size_t>(at - events.begin()), offTick, i});
    }
    if (offs.empty()) return;
    std::sort(offs.begin(), offs.end(), [](const PendingOff& a, const PendingOff& b) {
        if (a.gap != b.gap) return a.gap < b.gap;
        if (a.tick != b.tick) return a.tick < b.tick;
        return a.noteIndex > b.noteIndex;
    });

    SongEventList merged;
    merged.reserve(events.size() + offs.size());
    size_t next = 0;
    for (size_t i = 0; i <= events.size(); ++i) {
        for (; next < offs.size() && offs[next].gap == i; ++next) {
            TrackEvent off = events[offs[next].noteIndex];
            off.kind = TrackEventKind::NoteOff;
            off.tick = offs[next].tick;
            off.length = 0;
            off.value = 0;
            merged.push_back(std::move(off));
        }
        if (i < events.size()) merged.push_back(std::move(events[i]));
    }
    events = std::move(merged);
}

size_t soundingNoteCount(const SongEventList& events)
{
    return static_cast<size_t>(std::count_if(events.begin(), events.end(), [](const TrackEvent& e) {
        return e.kind == TrackEventKind::Note && e.value >= 1;
    }));
}

StartPoint startPointAt(const SongEventList& events, int32_t tick)
{
    StartPoint start;
    while (start.index < events.size() && tick > events[start.index].tick) {
        const TrackEvent& e = events[start.index];
        // A tempo below 1 cannot be played; the dispatch ignores it too.
        if (e.kind == TrackEventKind::Tempo && e.value >= 1) start.tempo = e.value;
        ++start.index;
    }
    return start;
}

}  // namespace zema
