#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/clipboard_export.h"
#include "core/song.h"
#include "document/document_data.h"

namespace zema {

// What the clipboard export dialog shows and decides, without a window: the
// track and group lists, the selection rules, the live information line and
// which controls are enabled. The dialog draws this state and forwards the
// user's clicks to it.

enum class ClipOutputMode { Game = 0, Board = 1, MabiMml = 2, Book = 3 };
enum class ClipSelectionMode { Tracks = 0, Groups = 1 };

// One list entry: a track in use with its character count.
struct ClipListItem {
    int32_t slot = 0;
    std::u16string name;
    int32_t count = 0;
};

// "%4d文字 : %s" of an entry.
[[nodiscard]] std::u16string clipListText(const ClipListItem& item);

// The dialog's own copy of what it needs from the song.
struct ClipSongCopy {
    std::u16string title;
    std::u16string source;
    TimingContext timing;
    std::vector<ClipListItem> tracks;  // every track in use, in display order
    struct Group {
        int32_t index = 0;  // in the song's group list
        std::u16string name;
        std::vector<ClipListItem> tracks;  // its tracks in use, in display order
    };
    std::vector<Group> groups;  // groups other than the global one with a track in use
    std::vector<int32_t> instruments;  // by slot
};
[[nodiscard]] ClipSongCopy copyForClipExport(const Song& song);

struct ClipInformation {
    std::u16string line;      // the information line
    bool copyEnabled = false; // "MMLをコピー"
    bool listsEnabled = true; // lists, drop-downs, options and tool buttons (off in MabiMML mode)
};

class ClipExportModel {
public:
    struct Options {
        bool sortByLength = true;
        bool optimize = false;
        bool excludeSong = false;
        bool melodyFiller = true;
        int bookRank = kRankCount - 1;
    };

    ClipExportModel(ClipSongCopy song, Options options);

    [[nodiscard]] const ClipSongCopy& song() const { return song_; }
    [[nodiscard]] Options& options() { return options_; }
    [[nodiscard]] const Options& options() const { return options_; }

    // Selection mode: "グループ" only when the song has groups.
    [[nodiscard]] bool selectionModeEnabled() const { return !song_.groups.empty(); }
    [[nodiscard]] ClipSelectionMode selectionMode() const { return selectionMode_; }
    void setSelectionMode(ClipSelectionMode mode);
    [[nodiscard]] bool groupNameButtonEnabled() const;

    [[nodiscard]] ClipOutputMode outputMode() const { return outputMode_; }
    void setOutputMode(ClipOutputMode mode) { outputMode_ = mode; }

    // The chosen group (index into song().groups) and its track list.
    [[nodiscard]] int chosenGroup() const { return chosenGroup_; }
    void chooseGroup(int group);
    [[nodiscard]] const std::vector<ClipListItem>& groupTracks() const;

    // Selection of the track list (with its selection-order queue) and of the
    // group's track list. Selecting a fourth track in the track list drops
    // the oldest selection, never the item just clicked.
    void setTrackSelected(int item, bool selected);
    void setGroupTrackSelected(int item, bool selected);
    [[nodiscard]] bool trackSelected(int item) const;
    [[nodiscard]] bool groupTrackSelected(int item) const;
    [[nodiscard]] const std::vector<int>& selectionQueue() const { return queue_; }
    // "リセット": nothing selected in either list.
    void reset();

    // The song (vocal) part: an entry of the track list, or none.
    [[nodiscard]] std::optional<int> songTrack() const { return songTrack_; }
    void setSongTrack(std::optional<int> item) { songTrack_ = item; }
    [[nodiscard]] bool songChoiceEnabled() const;

    // The selected entries of the active list, in list order.
    [[nodiscard]] std::vector<ClipListItem> selectedEntries() const;
    // The entry the song part uses, when one is chosen and the part is not excluded.
    [[nodiscard]] std::optional<ClipListItem> songEntry() const;

    [[nodiscard]] ClipInformation information() const;

    // After a copy: the selection walks on through the song.
    void walkOn();

    // What a score book is cut from: the chosen tracks and the options that
    // change the cut. A book copied scroll by scroll starts again when it changes.
    [[nodiscard]] std::u16string bookKey() const;

private:
    ClipSongCopy song_;
    Options options_;
    ClipSelectionMode selectionMode_ = ClipSelectionMode::Tracks;
    ClipOutputMode outputMode_ = ClipOutputMode::Game;
    std::vector<bool> trackSelection_;
    std::vector<int> queue_;
    int chosenGroup_ = 0;
    std::vector<bool> groupSelection_;
    std::optional<int> songTrack_;
};

// The information line over chosen entries (in list order) and a song part:
// the selection messages, or the required rank and the empty-melody note.
[[nodiscard]] ClipInformation rankInformation(std::vector<ClipListItem> entries,
                                              const ClipExportModel::Options& options,
                                              const std::optional<ClipListItem>& song);

// The parts a copy writes: the selected entries (at most three) with their
// current editor texts, and the song part.
struct ClipCopyInput {
    std::vector<ClipSource> parts;
    std::optional<ClipSource> song;
};
[[nodiscard]] ClipCopyInput clipCopyInput(const ClipExportModel& model,
                                          const std::function<std::u16string(int32_t slot)>& editorText);

// The scrolls of a score book cut from the parts for the model's book rank,
// or the message that says why there are none.
struct ClipBookOutcome {
    std::vector<std::u16string> scrolls;  // one MML@ line each
    std::u16string message;               // empty on success
};
[[nodiscard]] ClipBookOutcome clipBookScrolls(const TimingContext& timing, const ClipCopyInput& parts,
                                              const ClipExportModel::Options& options);

// The whole song as a MabiMML document, as text (the "MabiMML互換形式" output).
[[nodiscard]] std::u16string mabiMmlText(const DocumentData& snapshot, bool compact);

// Where a score book stands in the dialog: the scrolls of the last split and
// the next one to copy. A change of selection or options starts again.
struct ClipBookState {
    std::vector<std::u16string> scrolls;  // one MML@ line each
    size_t next = 0;
    std::u16string key;  // what the split was made from
};

}  // namespace zema
