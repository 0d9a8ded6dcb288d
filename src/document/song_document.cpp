#include "document/song_document.h"

#include <algorithm>
#include <numeric>

#include "document/mml_mms_reader.h"
#include "document/text_util.h"

namespace zema {

void copyToSong(const DocumentData& document, Song& song)
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
        newIndexOf[byTick[position]] = static_cast<int32_t>(position + 1);
        song.markers.push_back(document.markers[byTick[position]]);
    }

    size_t groupCount = std::max<size_t>(document.groups.size(), 1);
    for (int i = 0; i < kTrackCount; ++i) {
        const DocumentSlot& slot = document.slots[i];
        Track& track = song.tracks[i];
        track = Track{};
        static_cast<TrackProperties&>(track) = slot;
        track.used = slot.used;
        track.text = slot.text;
        track.channel = slot.channel;
        track.reserved = slot.reserved;
        if (slot.name.empty()) track.name = u"Track" + decimalText(i + 1);
        const int32_t marker = slot.startMarker;
        if (marker >= 1 && static_cast<size_t>(marker) <= newIndexOf.size()) {
            track.startMarker = newIndexOf[static_cast<size_t>(marker - 1)];
        }
        if (slot.used && slot.group >= 0 && slot.group <= kMaxGroupIndex) {
            groupCount = std::max(groupCount, static_cast<size_t>(slot.group) + 1);
        }
    }

    song.groups = document.groups;
    song.groups.resize(groupCount);
    if (song.groups[0].name.empty()) song.groups[0].name = kGlobalGroupName;

    const std::vector<int32_t> order = effectiveTrackOrder(document);
    song.trackOrder.assign(order.begin(), order.end());
    song.currentTrack = order.empty() ? 0 : order.front();
}

DocumentData snapshotOf(const Song& song)
{
    DocumentData snapshot;
    snapshot.title = song.title;
    snapshot.source = song.source;
    snapshot.memo = song.memo;
    snapshot.timing = song.timing;
    for (int i = 0; i < kTrackCount; ++i) {
        const Track& track = song.tracks[i];
        if (!track.used) continue;  // free slots stay at their defaults
        DocumentSlot& slot = snapshot.slots[i];
        static_cast<TrackProperties&>(slot) = track;
        slot.used = true;
        slot.text = track.text;
        slot.channel = track.channel;
        slot.reserved = track.reserved;
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
    snapshot.markers = song.markers;
    snapshot.groups = song.groups;
    return snapshot;
}

}  // namespace zema
