#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/song.h"

namespace zema {

// What the track property dialog edits, without a window: the groups, which
// group each track belongs to, the tracks' order and their properties. The
// dialog draws this state; "適用" and "OK" write it back to the song.
class TrackGroupEditor {
public:
    explicit TrackGroupEditor(const Song& song);

    [[nodiscard]] const std::vector<TrackGroup>& groups() const { return groups_; }
    // The shown name of a group: the global group's from the string table.
    [[nodiscard]] std::u16string groupName(int group) const;
    // The tracks in use of a group, in the dialog's order.
    [[nodiscard]] std::vector<int32_t> tracksOf(int group) const;
    [[nodiscard]] const std::vector<int32_t>& order() const { return order_; }

    // "追加": a new group "グループ %d" with its number; returns its index.
    int addGroup();
    // "削除": the group's tracks go back to the global group; the global
    // group itself cannot be deleted. False when nothing changed.
    bool deleteGroup(int group);
    // Drag and drop: the track joins `group`, placed before `before` (a track
    // of that group) or after the group's last track.
    void moveTrack(int32_t slot, int group, std::optional<int32_t> before = std::nullopt);

    // The edited properties of a slot in use.
    [[nodiscard]] TrackProperties& track(int32_t slot) { return tracks_[static_cast<size_t>(slot)]; }
    [[nodiscard]] const TrackProperties& track(int32_t slot) const { return tracks_[static_cast<size_t>(slot)]; }

    // Writes groups, properties and, with `saveOrder`, the tree's order as
    // the tab order into `song`. Returns the slots whose group or properties
    // changed (they must be merged again); the song's texts stay.
    std::vector<int32_t> apply(Song& song, bool saveOrder) const;

private:
    std::vector<TrackGroup> groups_;
    std::array<TrackProperties, kTrackCount> tracks_;
    std::vector<int32_t> order_;             // slots in use, in tab order
};

// A panpot as the slider shows it: "0" at the centre (64), "L%02d" and "R%02d" with the distance.
[[nodiscard]] std::u16string panpotText(int32_t panpot);
// The start positions a track can choose: the song start, then "[%02d:%03d] %s"
// for each marker with its measure, tick within the measure and name.
[[nodiscard]] std::vector<std::u16string> startMarkerEntries(const Song& song);

}  // namespace zema
