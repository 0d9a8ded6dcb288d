#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <variant>
#include <vector>

#include "core/song.h"

namespace zema {

// The kinds of document change the history records.
enum class HistoryKind : int32_t {
    TrackAdded = 1,
    TrackDeleted = 2,
    TrackText = 3,
    MarkerCreated = 4,
    MarkerDeleted = 5,
    MarkerEdited = 6,
    TrackProperties = 7,
    TrackGroups = 8,
};

// The groups and every slot's choice of group, as the group choice changes
// them; the track property dialog also keeps every slot's properties and the
// tab order, since it changes them in the same step.
struct GroupConfiguration {
    std::vector<TrackGroup> groups;
    std::array<int32_t, kTrackCount> trackGroups{};
    std::vector<TrackProperties> properties;  // per slot; empty: not kept
    std::vector<int32_t> trackOrder;    // empty: not kept
};

// With `withProperties`, the slots' properties and the tab order too.
[[nodiscard]] GroupConfiguration groupConfigurationOf(const Song& song, bool withProperties = false);

// One recorded change. The snapshot holds the state on the other side of the
// change: undoing or redoing swaps it with the song's current state.
struct HistoryStep {
    int32_t position = 0;  // undo steps before this one plus one, when recorded
    HistoryKind kind = HistoryKind::TrackText;
    int32_t arg1 = 0;      // track slot (kinds 1, 2, 3, 7) or index into Song::markers (4 to 6)
    int32_t arg2 = 0;      // tab position of the track (kinds 1 and 2)
    std::variant<std::monostate, Track, Marker, GroupConfiguration> snapshot;
};

// What the history needs from the window that owns the song: the editors hold
// the track texts, and views and title follow every change.
class IHistoryTarget {
public:
    virtual ~IHistoryTarget() = default;
    // Shows the track's tab.
    virtual void selectTrack(int32_t slot) = 0;
    // The track's editor undoes or redoes its own last change.
    virtual void editorUndo(int32_t slot) = 0;
    virtual void editorRedo(int32_t slot) = 0;
    // Copies the editor's text into the song's slot before the slot is swapped out.
    virtual void storeTrackText(int32_t slot) = 0;
    // A step was undone or redone: reload texts, recompile and redraw what it touched.
    virtual void stepApplied(const HistoryStep& step) = 0;
    // The modified state may have changed: refresh the title.
    virtual void historyChanged() = 0;
};

// The document-wide undo and redo: one sequence of steps across tracks,
// markers, track properties and groups. It also decides whether the document
// differs from its saved state.
class CMMLHistory {
public:
    CMMLHistory(Song& song, IHistoryTarget& target) : song_(song), target_(target) {}

    // Appends a step and forgets everything that could be redone.
    void record(HistoryKind kind, int32_t arg1, int32_t arg2,
                std::variant<std::monostate, Track, Marker, GroupConfiguration> snapshot = {});
    // Each returns false when there was nothing to undo or redo.
    bool undo();
    bool redo();

    void markSaved();
    void clear();
    // Set by changes that bypass the steps (clipboard import, migration).
    void setDirty();

    [[nodiscard]] bool isModified() const;
    [[nodiscard]] bool canUndo() const { return !undoList_.empty(); }
    [[nodiscard]] bool canRedo() const { return !redoList_.empty(); }
    [[nodiscard]] size_t undoCount() const { return undoList_.size(); }
    [[nodiscard]] size_t redoCount() const { return redoList_.size(); }
    [[nodiscard]] int32_t savedPosition() const { return savedPosition_; }
    [[nodiscard]] const HistoryStep* lastUndoStep() const { return undoList_.empty() ? nullptr : undoList_.back().get(); }

private:
    void apply(HistoryStep& step, bool undoing);
    void swapTrack(HistoryStep& step, bool becomesUsed);
    void swapProperties(HistoryStep& step);
    void applyMarker(HistoryStep& step, bool undoing);

    Song& song_;
    IHistoryTarget& target_;
    std::deque<std::unique_ptr<HistoryStep>> undoList_;  // oldest first
    std::deque<std::unique_ptr<HistoryStep>> redoList_;  // next to redo first
    int32_t savedPosition_ = 0;
    bool dirty_ = false;
};

}  // namespace zema
