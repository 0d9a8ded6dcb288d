#include "app/clip_export_model.h"

#include <algorithm>

#include "core/mml_compiler.h"
#include "core/score_book.h"
#include "core/strings.h"
#include "core/unicode.h"
#include "document/mml_file_writer.h"
#include "document/text_encoding.h"

namespace zema {

std::u16string clipListText(const ClipListItem& item)
{
    return formatText(loadString("IDS_CB_EX_LISTENTRY"), {item.count, std::u16string_view(item.name)});
}

namespace {
// The count of the track's last compile (the value of its TrackEnd event).
int32_t compiledCount(const Track& track)
{
    for (auto it = track.events.rbegin(); it != track.events.rend(); ++it) {
        if (it->kind == TrackEventKind::TrackEnd) return it->value;
    }
    return characterCount(track.text);
}
}  // namespace

ClipSongCopy copyForClipExport(const Song& song)
{
    ClipSongCopy copy;
    copy.title = song.title;
    copy.source = song.source;
    copy.timing = song.timing;
    for (const Track& track : song.tracks) copy.instruments.push_back(track.instrument);
    std::vector<std::vector<ClipListItem>> byGroup(song.groups.size());
    for (int32_t slot : song.trackOrder) {
        if (slot < 0 || slot >= kTrackCount) continue;
        const Track& track = song.tracks[static_cast<size_t>(slot)];
        if (!track.used) continue;
        ClipListItem item{slot, track.name, compiledCount(track)};
        copy.tracks.push_back(item);
        if (track.group > 0 && static_cast<size_t>(track.group) < byGroup.size()) {
            byGroup[static_cast<size_t>(track.group)].push_back(std::move(item));
        }
    }
    for (size_t g = 1; g < byGroup.size(); ++g) {
        if (byGroup[g].empty()) continue;
        copy.groups.push_back({static_cast<int32_t>(g), song.groups[g].name, std::move(byGroup[g])});
    }
    return copy;
}

namespace {
constexpr size_t kMaxParts = 3;
constexpr size_t kExamined = 16;

// The first three entries of a list start selected.
std::vector<bool> firstThree(size_t size)
{
    std::vector<bool> selection(size, false);
    for (size_t i = 0; i < std::min(size, kMaxParts); ++i) selection[i] = true;
    return selection;
}
}  // namespace

ClipExportModel::ClipExportModel(ClipSongCopy song, Options options) : song_(std::move(song)), options_(options)
{
    trackSelection_ = firstThree(song_.tracks.size());
    for (int i = 0; i < static_cast<int>(std::min(song_.tracks.size(), kMaxParts)); ++i) queue_.push_back(i);
    if (!song_.groups.empty()) selectionMode_ = ClipSelectionMode::Groups;
    chooseGroup(0);
}

void ClipExportModel::setSelectionMode(ClipSelectionMode mode)
{
    if (mode == ClipSelectionMode::Groups && song_.groups.empty()) return;
    selectionMode_ = mode;
}

bool ClipExportModel::groupNameButtonEnabled() const
{
    return selectionModeEnabled() && selectionMode_ == ClipSelectionMode::Groups;
}

void ClipExportModel::chooseGroup(int group)
{
    if (song_.groups.empty()) {
        chosenGroup_ = 0;
        groupSelection_.clear();
        return;
    }
    chosenGroup_ = std::clamp(group, 0, static_cast<int>(song_.groups.size()) - 1);
    groupSelection_ = firstThree(groupTracks().size());
}

const std::vector<ClipListItem>& ClipExportModel::groupTracks() const
{
    static const std::vector<ClipListItem> kNone;
    if (song_.groups.empty()) return kNone;
    return song_.groups[static_cast<size_t>(chosenGroup_)].tracks;
}

void ClipExportModel::setTrackSelected(int item, bool selected)
{
    if (item < 0 || static_cast<size_t>(item) >= trackSelection_.size()) return;
    const size_t index = static_cast<size_t>(item);
    if (trackSelection_[index] == selected) return;
    trackSelection_[index] = selected;
    if (!selected) {
        std::erase(queue_, item);
        return;
    }
    queue_.push_back(item);
    const auto selectedCount = [this] { return std::count(trackSelection_.begin(), trackSelection_.end(), true); };
    while (selectedCount() > static_cast<long>(kMaxParts) && queue_.size() > 1) {
        trackSelection_[static_cast<size_t>(queue_.front())] = false;
        queue_.erase(queue_.begin());
    }
}

void ClipExportModel::setGroupTrackSelected(int item, bool selected)
{
    if (item < 0 || static_cast<size_t>(item) >= groupSelection_.size()) return;
    groupSelection_[static_cast<size_t>(item)] = selected;
}

bool ClipExportModel::trackSelected(int item) const
{
    return item >= 0 && static_cast<size_t>(item) < trackSelection_.size() && trackSelection_[static_cast<size_t>(item)];
}

bool ClipExportModel::groupTrackSelected(int item) const
{
    return item >= 0 && static_cast<size_t>(item) < groupSelection_.size() && groupSelection_[static_cast<size_t>(item)];
}

void ClipExportModel::reset()
{
    std::fill(trackSelection_.begin(), trackSelection_.end(), false);
    std::fill(groupSelection_.begin(), groupSelection_.end(), false);
    queue_.clear();
}

bool ClipExportModel::songChoiceEnabled() const
{
    return outputMode_ != ClipOutputMode::MabiMml && !options_.excludeSong;
}

std::vector<ClipListItem> ClipExportModel::selectedEntries() const
{
    const bool tracks = selectionMode_ == ClipSelectionMode::Tracks;
    const std::vector<ClipListItem>& list = tracks ? song_.tracks : groupTracks();
    const std::vector<bool>& selection = tracks ? trackSelection_ : groupSelection_;
    std::vector<ClipListItem> out;
    for (size_t i = 0; i < std::min({list.size(), selection.size(), kExamined}); ++i) {
        if (selection[i]) out.push_back(list[i]);
    }
    return out;
}

std::optional<ClipListItem> ClipExportModel::songEntry() const
{
    if (!songTrack_ || options_.excludeSong) return std::nullopt;
    if (*songTrack_ < 0 || static_cast<size_t>(*songTrack_) >= song_.tracks.size()) return std::nullopt;
    return song_.tracks[static_cast<size_t>(*songTrack_)];
}

ClipInformation rankInformation(std::vector<ClipListItem> entries, const ClipExportModel::Options& options,
                                const std::optional<ClipListItem>& song)
{
    ClipInformation info;
    if (entries.empty()) {
        info.line = loadString("IDS_CB_EX_3TRACKS");
        return info;
    }
    if (entries.size() > kMaxParts) {
        info.line = loadString("IDS_CB_EX_4TRACKS");
        return info;
    }
    if (options.sortByLength) {
        std::stable_sort(entries.begin(), entries.end(),
                         [](const ClipListItem& a, const ClipListItem& b) { return a.count > b.count; });
    }
    std::array<int32_t, kPartCount> counts{};
    for (size_t k = 0; k < entries.size(); ++k) counts[k] = entries[k].count;
    if (song && !options.excludeSong) counts[kSongPart] = song->count;
    info.line = requiredRankLine(rankOf(counts, options.excludeSong), options.excludeSong);
    const bool othersWritten = std::any_of(counts.begin() + 1, counts.end(), [](int32_t c) { return c > 0; });
    if (counts[0] == 0 && othersWritten) {
        info.line += u"\n" + loadString(options.melodyFiller ? "IDS_CB_EX_EMPTY_MELODY" : "IDS_CB_EX_EMPTY_MELODY_REFUSED");
    }
    info.copyEnabled = true;
    return info;
}

ClipInformation ClipExportModel::information() const
{
    ClipInformation info;
    if (outputMode_ == ClipOutputMode::MabiMml) {
        info.line = loadString("IDS_CB_EX_ALLTRACK");
        info.copyEnabled = true;
        info.listsEnabled = false;
        return info;
    }
    return rankInformation(selectedEntries(), options_, songEntry());
}

void ClipExportModel::walkOn()
{
    if (selectionMode_ == ClipSelectionMode::Groups) {
        if (!song_.groups.empty()) chooseGroup((chosenGroup_ + 1) % static_cast<int>(song_.groups.size()));
        return;
    }
    const int size = static_cast<int>(trackSelection_.size());
    int last = -1;
    int selected = 0;
    for (int i = 0; i < size; ++i) {
        if (trackSelection_[static_cast<size_t>(i)]) {
            last = i;
            ++selected;
        }
    }
    // With every entry selected there is nothing to walk on to; the
    // selection stays rather than shrinking by one.
    if (selected == 0 || selected >= size) return;
    reset();
    for (int k = 1; k <= selected; ++k) {
        const int item = (last + k) % size;
        if (item == last) break;
        setTrackSelected(item, true);
    }
}

std::u16string ClipExportModel::bookKey() const
{
    std::string key;
    for (const ClipListItem& item : selectedEntries()) key += std::to_string(item.slot) + ",";
    if (const auto song = songEntry()) key += "s" + std::to_string(song->slot);
    key += options_.optimize ? "O" : "o";
    key += options_.excludeSong ? "X" : "x";
    key += std::to_string(options_.bookRank);
    return std::u16string(key.begin(), key.end());
}

ClipCopyInput clipCopyInput(const ClipExportModel& model, const std::function<std::u16string(int32_t slot)>& editorText)
{
    ClipCopyInput input;
    const auto sourceOf = [&](const ClipListItem& item) {
        return ClipSource{item.slot, item.name, editorText(item.slot), item.count};
    };
    std::vector<ClipListItem> entries = model.selectedEntries();
    if (entries.size() > kMaxParts) entries.resize(kMaxParts);
    for (const ClipListItem& item : entries) input.parts.push_back(sourceOf(item));
    if (const auto song = model.songEntry()) input.song = sourceOf(*song);
    return input;
}

ClipBookOutcome clipBookScrolls(const TimingContext& timing, const ClipCopyInput& parts,
                                const ClipExportModel::Options& options)
{
    std::vector<ClipSource> sources = parts.parts;
    if (options.sortByLength) {
        std::stable_sort(sources.begin(), sources.end(),
                         [](const ClipSource& a, const ClipSource& b) { return a.sourceCount > b.sourceCount; });
    }
    std::vector<std::u16string> texts;
    for (const ClipSource& source : sources) texts.push_back(source.text);
    if (parts.song && !options.excludeSong) {
        texts.resize(3);
        texts.push_back(parts.song->text);
    }
    const ScoreBook book = splitIntoBook(timing, texts, options.bookRank, options.excludeSong, options.optimize);
    ClipBookOutcome outcome;
    if (book.problem == BookProblem::TooManyScrolls) {
        outcome.message =
            formatText(loadString("IDS_CB_EX_BOOK_TOO_MANY"), {static_cast<int32_t>(book.scrolls.size())});
        return outcome;
    }
    if (!book.ok()) {
        outcome.message = loadString("IDS_CB_EX_BOOK_FAILED");
        return outcome;
    }
    for (const BookScroll& scroll : book.scrolls) outcome.scrolls.push_back(scroll.line);
    return outcome;
}

std::u16string mabiMmlText(const DocumentData& snapshot, bool compact)
{
    CMMLFileWriter writer(snapshot, compact);
    if (!writer.WriteToMemory()) return {};
    if (writer.encoding() == TextEncoding::Ansi) return decodeAnsi(writer.buffer());
    return utf8ToUtf16(writer.buffer());
}

}  // namespace zema

