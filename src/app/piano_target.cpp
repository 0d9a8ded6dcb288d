#include "app/piano_target.h"

namespace zema {

int effectiveGroup(const Song& song, int slot)
{
    if (slot < 0 || slot >= kTrackCount) return 0;
    const int32_t group = song.tracks[static_cast<size_t>(slot)].group;
    if (group <= 0 || static_cast<size_t>(group) >= song.groups.size()) return 0;
    return group;
}

PianoTrackSelection pianoTargetSelection(int target, const Song& song, const TrackMask& userTracks)
{
    if (target < 0 || target >= kPianoTargetCount) target = static_cast<int>(PianoTarget::CurrentTrack);
    const auto kind = static_cast<PianoTarget>(target);
    const int current = song.currentTrack;
    const int currentGroup = effectiveGroup(song, current);

    PianoTrackSelection selection;
    for (int slot = 0; slot < kTrackCount; ++slot) {
        const auto index = static_cast<size_t>(slot);
        if (!song.tracks[index].used) continue;
        bool visible = false;
        switch (kind) {
        case PianoTarget::CurrentTrack: visible = slot == current; break;
        case PianoTarget::Global:
        case PianoTarget::GlobalEmphasised: visible = true; break;
        case PianoTarget::Group:
        case PianoTarget::GroupEmphasised: visible = effectiveGroup(song, slot) == currentGroup; break;
        case PianoTarget::User:
        case PianoTarget::UserEmphasised: visible = userTracks[index]; break;
        }
        if (!visible) continue;
        selection.visible[index] = true;
        const bool all = kind == PianoTarget::GlobalEmphasised || kind == PianoTarget::GroupEmphasised ||
                         kind == PianoTarget::UserEmphasised;
        selection.emphasised[index] = all || slot == current;
    }
    return selection;
}

}  // namespace zema
