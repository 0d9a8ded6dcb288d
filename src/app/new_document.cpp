#include "app/new_document.h"

#include "document/text_util.h"

namespace zema {

namespace {
constexpr int32_t kSkippedSlot = 9;
}

void resetToNewDocument(Song& song, const Settings& settings)
{
    song = Song{};
    song.timing = TimingContext{settings.defaultTimeBase, 4, 4};
    for (int32_t slot = 0; slot < kTrackCount; ++slot) {
        Track& track = song.tracks[static_cast<size_t>(slot)];
        track.name = u"Track" + decimalText(slot + 1);
    }
    int32_t wanted = settings.defaultTrackCount;
    for (int32_t slot = 0; slot < kTrackCount && wanted > 0; ++slot) {
        if (slot == kSkippedSlot) continue;
        song.tracks[static_cast<size_t>(slot)].used = true;
        song.trackOrder.push_back(slot);
        --wanted;
    }
    song.currentTrack = song.trackOrder.empty() ? 0 : song.trackOrder.front();
    recompileAll(song);
}

}  // namespace zema
