#include "app/mml_history.h"

#include <algorithm>
#include <utility>

namespace zema {

namespace {

bool isDocumentSlot(int32_t slot) { return slot >= 0 && slot < kTrackCount; }

// Exchanges what the track property dialog and tab renaming change; the text,
// the compiled lists and the slot's use stay.
void swapTrackProperties(Track& a, Track& b)
{
    std::swap(static_cast<TrackProperties&>(a), static_cast<TrackProperties&>(b));
    std::swap(a.channel, b.channel);
    std::swap(a.reserved, b.reserved);
}

}  // namespace

GroupConfiguration groupConfigurationOf(const Song& song, bool withProperties)
{
    GroupConfiguration configuration;
    configuration.groups = song.groups;
    for (int i = 0; i < kTrackCount; ++i) configuration.trackGroups[static_cast<size_t>(i)] = song.tracks[static_cast<size_t>(i)].group;
    if (withProperties) {
        for (const Track& track : song.tracks) configuration.properties.push_back(track);
        configuration.trackOrder = song.trackOrder;
    }
    return configuration;
}

void CMMLHistory::record(HistoryKind kind, int32_t arg1, int32_t arg2,
                         std::variant<std::monostate, Track, Marker, GroupConfiguration> snapshot)
{
    auto step = std::make_unique<HistoryStep>();
    step->position = static_cast<int32_t>(undoList_.size()) + 1;
    step->kind = kind;
    step->arg1 = arg1;
    step->arg2 = arg2;
    step->snapshot = std::move(snapshot);
    // A save point among the undone steps can never be reached again once
    // they are dropped; without this, a new change made after undoing past
    // the save would bring the count back to the saved one and the document
    // would look unmodified.
    if (savedPosition_ > static_cast<int32_t>(undoList_.size())) savedPosition_ = -1;
    undoList_.push_back(std::move(step));
    redoList_.clear();
    target_.historyChanged();
}

bool CMMLHistory::undo()
{
    if (undoList_.empty()) return false;
    redoList_.push_front(std::move(undoList_.back()));
    undoList_.pop_back();
    apply(*redoList_.front(), true);
    return true;
}

bool CMMLHistory::redo()
{
    if (redoList_.empty()) return false;
    undoList_.push_back(std::move(redoList_.front()));
    redoList_.pop_front();
    apply(*undoList_.back(), false);
    return true;
}

void CMMLHistory::markSaved()
{
    savedPosition_ = static_cast<int32_t>(undoList_.size());
    dirty_ = false;
    target_.historyChanged();
}

void CMMLHistory::clear()
{
    undoList_.clear();
    redoList_.clear();
    savedPosition_ = 0;
    dirty_ = false;
    target_.historyChanged();
}

void CMMLHistory::setDirty()
{
    dirty_ = true;
    target_.historyChanged();
}

bool CMMLHistory::isModified() const
{
    return dirty_ || savedPosition_ != static_cast<int32_t>(undoList_.size());
}

void CMMLHistory::apply(HistoryStep& step, bool undoing)
{
    switch (step.kind) {
    case HistoryKind::TrackAdded: swapTrack(step, !undoing); break;
    case HistoryKind::TrackDeleted: swapTrack(step, undoing); break;
    case HistoryKind::TrackText:
        if (!isDocumentSlot(step.arg1)) break;
        target_.selectTrack(step.arg1);
        if (undoing) {
            target_.editorUndo(step.arg1);
        } else {
            target_.editorRedo(step.arg1);
        }
        break;
    case HistoryKind::MarkerCreated:
    case HistoryKind::MarkerDeleted:
    case HistoryKind::MarkerEdited: applyMarker(step, undoing); break;
    case HistoryKind::TrackProperties: swapProperties(step); break;
    case HistoryKind::TrackGroups:
        if (auto* configuration = std::get_if<GroupConfiguration>(&step.snapshot)) {
            const bool full = configuration->properties.size() == song_.tracks.size();
            GroupConfiguration current = groupConfigurationOf(song_, full);
            song_.groups = std::move(configuration->groups);
            for (size_t i = 0; i < song_.tracks.size(); ++i) song_.tracks[i].group = configuration->trackGroups[i];
            if (full) {
                for (size_t i = 0; i < song_.tracks.size(); ++i) {
                    static_cast<TrackProperties&>(song_.tracks[i]) = configuration->properties[i];
                }
                if (!configuration->trackOrder.empty()) song_.trackOrder = std::move(configuration->trackOrder);
            }
            *configuration = std::move(current);
        }
        break;
    }
    target_.stepApplied(step);
    target_.historyChanged();
}

void CMMLHistory::swapTrack(HistoryStep& step, bool becomesUsed)
{
    auto* snapshot = std::get_if<Track>(&step.snapshot);
    if (!snapshot || !isDocumentSlot(step.arg1)) return;
    const int32_t slot = step.arg1;
    if (!becomesUsed) target_.storeTrackText(slot);
    Track& track = song_.tracks[static_cast<size_t>(slot)];
    std::swap(track, *snapshot);
    track.used = becomesUsed;

    std::vector<int32_t>& order = song_.trackOrder;
    std::erase(order, slot);
    if (becomesUsed) {
        const auto position = static_cast<size_t>(std::clamp<int32_t>(step.arg2, 0, static_cast<int32_t>(order.size())));
        order.insert(order.begin() + static_cast<std::ptrdiff_t>(position), slot);
    }
}

void CMMLHistory::swapProperties(HistoryStep& step)
{
    auto* snapshot = std::get_if<Track>(&step.snapshot);
    if (!snapshot || !isDocumentSlot(step.arg1)) return;
    swapTrackProperties(song_.tracks[static_cast<size_t>(step.arg1)], *snapshot);
}

void CMMLHistory::applyMarker(HistoryStep& step, bool undoing)
{
    auto* snapshot = std::get_if<Marker>(&step.snapshot);
    if (!snapshot || step.arg1 < 0) return;
    auto& markers = song_.markers;
    const auto index = static_cast<size_t>(step.arg1);
    const bool removes = (step.kind == HistoryKind::MarkerCreated) == undoing;
    if (step.kind == HistoryKind::MarkerEdited) {
        if (index < markers.size()) std::swap(markers[index], *snapshot);
    } else if (removes) {
        if (index < markers.size()) {
            *snapshot = std::move(markers[index]);
            markers.erase(markers.begin() + static_cast<std::ptrdiff_t>(index));
        }
    } else if (index <= markers.size()) {
        markers.insert(markers.begin() + static_cast<std::ptrdiff_t>(index), *snapshot);
    }
}

}  // namespace zema
