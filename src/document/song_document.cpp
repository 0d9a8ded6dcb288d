#include "document/song_document.h"

#include <algorithm>
#include <numeric>

#include "document/mml_mms_reader.h"
#include "document/text_util.h"

namespace zema {

void copyToSong(const ReadResult& document, Song& song)
{
    song.timing = document.timing;
    song.title = document.title;
    song.source = document.source;
    song.memo = document.memo;

    // Markers sorted by tick; a track's marker index k names marker k - 1 of
    // the document's list, so indexes are renumbered with the sort.
    std::vector<size_t> byTick(document.markers.size());
    std::iota(byTick.begin(), byTick.end(), size_t{0});
    std::stable_sort(byTick.begin(), byTick.end(),
                     [&](size_t a, size_t b) { return document.markers[a].tick < document.markers[b].tick; });
    std::vector<int32_t> newIndexOf(document.markers.size());
    song.markers.clear();
    for (size_t position = 0; position < byTick.size(); ++position) {
        const DocumentMarker& marker = document.markers[byTick[position]];
        newIndexOf[byTick[position]] = static_cast<int32_t>(position + 1);
        TrackEvent entry;
        entry.kind = TrackEventKind::MarkerEntry;
        entry.tick = marker.tick;
        entry.value = static_cast<int32_t>(marker.colour);
        entry.text = marker.name;
        entry.trackIndex = kMarkerTrackIndex;
        song.markers.push_back(std::move(entry));
    }

    size_t groupCount = std::max<size_t>(document.groups.size(), 1);
    for (int i = 0; i < kTrackCount; ++i) {
        const TrackSlot& slot = document.slots[i];
        Track& track = song.tracks[i];
        track = Track{};
        track.used = slot.used;
        track.name = slot.name.empty() ? u"Track" + decimalText(i + 1) : slot.name;
        track.text = slot.text;
        track.instrument = slot.instrument;
        track.volume = slot.volume;
        track.panpot = slot.panpot;
        track.channel = slot.channel;
        track.reserved = slot.reserved;
        const int32_t marker = slot.marker;
        track.startMarker = (marker >= 1 && static_cast<size_t>(marker) <= newIndexOf.size())
                                ? newIndexOf[static_cast<size_t>(marker - 1)]
                                : marker;
        track.group = slot.group;
        track.trackType = slot.option1;
        track.option2 = slot.option2;
        if (slot.used) groupCount = std::max<size_t>(groupCount, size_t{slot.group} + 1);
    }

    song.groups = document.groups;
    song.groups.resize(groupCount);
    if (song.groups[0].name.empty()) song.groups[0].name = kGlobalGroupName;

    const std::vector<int32_t> order = effectiveTrackOrder(document);
    song.trackOrder.assign(order.begin(), order.end());
    song.currentTrack = order.empty() ? 0 : order.front();
}

ReadResult snapshotOf(const Song& song)
{
    ReadResult snapshot;
    snapshot.title = song.title;
    snapshot.source = song.source;
    snapshot.memo = song.memo;
    snapshot.timing = song.timing;
    for (int i = 0; i < kTrackCount; ++i) {
        const Track& track = song.tracks[i];
        if (!track.used) continue;  // free slots stay at their defaults
        TrackSlot& slot = snapshot.slots[i];
        slot.used = true;
        slot.name = track.name;
        slot.text = track.text;
        slot.instrument = track.instrument;
        slot.volume = track.volume;
        slot.panpot = track.panpot;
        slot.channel = track.channel;
        slot.reserved = track.reserved;
        slot.marker = track.startMarker;
        slot.group = static_cast<uint8_t>(std::clamp(track.group, 0, 255));
        slot.option1 = track.trackType;
        slot.option2 = track.option2;
    }
    size_t count = 0;
    for (int32_t index : song.trackOrder) {
        if (count == snapshot.trackOrder.size()) break;
        snapshot.trackOrder[count++] = index;
    }
    // The writer appends used slots the order leaves out; store the full list.
    const std::vector<int32_t> order = effectiveTrackOrder(snapshot);
    snapshot.trackOrder.fill(-1);
    std::copy(order.begin(), order.end(), snapshot.trackOrder.begin());
    snapshot.trackOrderPresent = true;
    for (const TrackEvent& entry : song.markers) {
        snapshot.markers.push_back(DocumentMarker{entry.tick, static_cast<uint32_t>(entry.value), entry.text});
    }
    snapshot.groups = song.groups;
    return snapshot;
}

}  // namespace zema
