#include "app/track_commands.h"

#include <algorithm>

#include "document/text_util.h"

namespace zema {

namespace {

constexpr int32_t kDrumSlot = 9;

bool validSlot(int32_t slot) { return slot >= 0 && slot < kTrackCount; }

Track& trackOf(Song& song, int32_t slot) { return song.tracks[static_cast<size_t>(slot)]; }

// True when the track's buttons act on its whole group.
bool linkedToGroup(const Track& track) { return track.group != 0 && track.groupLink; }

template <typename Action>
void forEachGroupMember(Song& song, int32_t group, Action&& action)
{
    for (Track& track : song.tracks) {
        if (track.used && track.group == group) action(track);
    }
}

}  // namespace

std::optional<int32_t> addTrack(Song& song, const std::optional<std::u16string>& name)
{
    for (int32_t slot = 0; slot < kTrackCount; ++slot) {
        if (slot == kDrumSlot || trackOf(song, slot).used) continue;
        Track& track = trackOf(song, slot);
        track = Track{};
        track.name = name ? *name : u"Track" + decimalText(slot + 1);
        track.used = true;
        std::erase(song.trackOrder, slot);
        song.trackOrder.push_back(slot);
        recompileTrack(song, slot);
        return slot;
    }
    return std::nullopt;
}

std::optional<DeletedTrack> deleteTrack(Song& song, int32_t slot)
{
    if (!validSlot(slot) || !trackOf(song, slot).used || song.trackOrder.size() <= 1) return std::nullopt;
    const auto found = std::find(song.trackOrder.begin(), song.trackOrder.end(), slot);
    if (found == song.trackOrder.end()) return std::nullopt;

    DeletedTrack deleted;
    deleted.slot = slot;
    deleted.tabPosition = static_cast<int32_t>(found - song.trackOrder.begin());
    deleted.record = trackOf(song, slot);
    deleted.record.events.clear();
    deleted.record.states.clear();

    Track& track = trackOf(song, slot);
    track = Track{};
    track.name = u"Track" + decimalText(slot + 1);
    song.trackOrder.erase(found);
    recompileTrack(song, slot);  // an unused slot merges as no events

    const size_t next = std::min(static_cast<size_t>(deleted.tabPosition), song.trackOrder.size() - 1);
    song.currentTrack = song.trackOrder[next];
    return deleted;
}

std::optional<Track> renameTrack(Song& song, int32_t slot, std::u16string_view name)
{
    if (!validSlot(slot) || !trackOf(song, slot).used) return std::nullopt;
    Track& track = trackOf(song, slot);
    Track previous = track;
    previous.events.clear();
    previous.states.clear();
    track.name = std::u16string(name.substr(0, kTrackNameLimit));
    return previous;
}

void toggleMute(Song& song, int32_t slot)
{
    if (!validSlot(slot)) return;
    Track& track = trackOf(song, slot);
    if (!linkedToGroup(track)) {
        track.mute = !track.mute;
        return;
    }
    bool anyMuted = false;
    forEachGroupMember(song, track.group, [&](const Track& member) { anyMuted = anyMuted || member.mute; });
    forEachGroupMember(song, track.group, [&](Track& member) { member.mute = !anyMuted; });
}

void solo(Song& song, int32_t slot)
{
    if (!validSlot(slot)) return;
    const Track& current = trackOf(song, slot);
    const bool wholeGroup = linkedToGroup(current);
    const int32_t group = current.group;
    for (int32_t i = 0; i < kTrackCount; ++i) {
        Track& track = trackOf(song, i);
        track.mute = wholeGroup ? track.group != group : i != slot;
    }
}

void unmuteAll(Song& song)
{
    for (Track& track : song.tracks) track.mute = false;
}

bool toggleGroupLink(Song& song, int32_t slot)
{
    if (!validSlot(slot)) return false;
    const Track& track = trackOf(song, slot);
    if (track.group == 0) return false;
    const bool linked = !track.groupLink;
    forEachGroupMember(song, track.group, [&](Track& member) { member.groupLink = linked; });
    return true;
}

}  // namespace zema
