#include "app/track_group_model.h"

#include <algorithm>

#include "core/strings.h"
#include "core/timing.h"

namespace zema {

TrackGroupEditor::TrackGroupEditor(const Song& song) : groups_(song.groups)
{
    if (groups_.empty()) groups_.push_back({});
    for (size_t i = 0; i < tracks_.size(); ++i) tracks_[i] = song.tracks[i];
    for (int32_t slot : song.trackOrder) {
        if (slot >= 0 && slot < kTrackCount && song.tracks[static_cast<size_t>(slot)].used) order_.push_back(slot);
    }
    // A group number the song does not have belongs to the global group.
    for (TrackProperties& track : tracks_) {
        if (track.group < 0 || static_cast<size_t>(track.group) >= groups_.size()) track.group = 0;
    }
}

std::u16string TrackGroupEditor::groupName(int group) const
{
    if (group == 0) return loadString("IDS_TP_DEFAULT_GROUP");
    if (group < 0 || static_cast<size_t>(group) >= groups_.size()) return {};
    return groups_[static_cast<size_t>(group)].name;
}

std::vector<int32_t> TrackGroupEditor::tracksOf(int group) const
{
    std::vector<int32_t> out;
    for (int32_t slot : order_) {
        if (track(slot).group == group) out.push_back(slot);
    }
    return out;
}

int TrackGroupEditor::addGroup()
{
    const int index = static_cast<int>(groups_.size());
    groups_.push_back({formatText(loadString("IDS_TP_GROUP_NAME"), {index})});
    return index;
}

bool TrackGroupEditor::deleteGroup(int group)
{
    if (group <= 0 || static_cast<size_t>(group) >= groups_.size()) return false;
    groups_.erase(groups_.begin() + group);
    for (TrackProperties& track : tracks_) {
        if (track.group == group) track.group = 0;
        else if (track.group > group) --track.group;
    }
    return true;
}

void TrackGroupEditor::moveTrack(int32_t slot, int group, std::optional<int32_t> before)
{
    if (slot < 0 || slot >= kTrackCount || group < 0 || static_cast<size_t>(group) >= groups_.size()) return;
    const auto at = std::find(order_.begin(), order_.end(), slot);
    if (at == order_.end()) return;
    order_.erase(at);
    track(slot).group = group;
    auto place = order_.end();
    if (before && *before != slot) {
        place = std::find(order_.begin(), order_.end(), *before);
    } else {
        // After the group's last track, or at the end when the group is empty.
        const auto last = std::find_if(order_.rbegin(), order_.rend(), [&](int32_t s) { return track(s).group == group; });
        if (last != order_.rend()) place = last.base();
    }
    order_.insert(place, slot);
}

std::vector<int32_t> TrackGroupEditor::apply(Song& song, bool saveOrder) const
{
    std::vector<int32_t> changed;
    for (int32_t slot : order_) {
        TrackProperties& target = song.tracks[static_cast<size_t>(slot)];
        if (target == track(slot)) continue;
        target = track(slot);
        changed.push_back(slot);
    }
    song.groups = groups_;
    if (saveOrder) {
        // The tabs follow the tree: group by group, each in the dialog's order.
        std::vector<int32_t> order;
        for (int group = 0; group < static_cast<int>(groups_.size()); ++group) {
            for (int32_t slot : tracksOf(group)) order.push_back(slot);
        }
        song.trackOrder = std::move(order);
    }
    return changed;
}

std::u16string panpotText(int32_t panpot)
{
    constexpr int32_t kCentre = 64;
    if (panpot == kCentre) return u"0";
    return formatText(panpot < kCentre ? u"L%02d" : u"R%02d", {panpot < kCentre ? kCentre - panpot : panpot - kCentre});
}

std::vector<std::u16string> startMarkerEntries(const Song& song)
{
    std::vector<std::u16string> entries = {loadString("IDS_MAIN_TOPMARKER")};
    const int32_t measure = std::max(1, ticksPerMeasure(song.timing));
    for (const Marker& marker : song.markers) {
        entries.push_back(
            formatText(u"[%02d:%03d] %s", {marker.tick / measure, marker.tick % measure, std::u16string_view(marker.name)}));
    }
    return entries;
}

}  // namespace zema
