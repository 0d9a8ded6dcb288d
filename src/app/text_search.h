#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zema {

class CIniReader;

// A stretch of an editor's text in UTF-16 code units of its text with LF line
// breaks, start <= end; an empty one is a caret.
struct TextSpan {
    size_t start = 0;
    size_t end = 0;
    [[nodiscard]] size_t size() const { return end - start; }
    friend bool operator==(const TextSpan&, const TextSpan&) = default;
};

// Line and column of an offset, both from 0, as the editor counts them.
struct LineColumn {
    int line = 0;
    int column = 0;
};
[[nodiscard]] LineColumn lineColumnOf(std::u16string_view text, size_t offset);
// The offset of a line and column; past the end of its line or of the text
// it stops at that end.
[[nodiscard]] size_t offsetOf(std::u16string_view text, LineColumn position);

// Texts searched for or replaced with, most recent first, each once.
class SearchHistory {
public:
    // Puts `text` at the top, taking an equal entry out from below; an empty
    // text is not kept.
    void add(std::u16string_view text);
    [[nodiscard]] const std::vector<std::u16string>& entries() const { return entries_; }

private:
    std::vector<std::u16string> entries_;
};

struct SearchHistories {
    SearchHistory search;
    SearchHistory replace;
};

// The histories of "Search History" in the settings file. The stored count
// is trusted only as far as the section holds keys; empty and repeated
// entries are dropped.
[[nodiscard]] SearchHistories searchHistoriesFromIni(const CIniReader& reader);
[[nodiscard]] SearchHistories loadSearchHistories(const std::filesystem::path& iniPath);
// Writes both lists and their counts, deleting entries left over from a longer
// list. Like every value of the file, an entry is read back without the
// spaces around it; a text with a line break cannot be stored and is left out.
bool saveSearchHistories(const std::filesystem::path& iniPath, const SearchHistories& histories);

// The search dialog's screen position ("Window Placement - TextSearch");
// nothing until one was stored.
struct DialogPosition {
    int32_t left = 0;
    int32_t top = 0;
};
[[nodiscard]] std::optional<DialogPosition> loadSearchDialogPosition(const std::filesystem::path& iniPath);
bool saveSearchDialogPosition(const std::filesystem::path& iniPath, DialogPosition position);

enum class SearchDirection { Up, Down };
enum class ReplaceRange { Selection, Track };

// Equal texts: exactly with `matchCase`, else after lower-casing both sides
// (ASCII, Latin-1 and full-width Latin letters).
[[nodiscard]] bool sameSearchText(std::u16string_view a, std::u16string_view b, bool matchCase);

struct FoundText {
    TextSpan span;
    bool wrapped = false;  // went on from the other end of the text
};

// The next match of `needle` from `from` (the selection, or the caret):
// down, the first one starting at or after its end; up, the last one ending
// at or before its start. Without one there, the search goes on from the
// other end of the text. Nothing for an empty needle or no match at all.
[[nodiscard]] std::optional<FoundText> findText(std::u16string_view text, std::u16string_view needle, TextSpan from,
                                                SearchDirection direction, bool matchCase);

struct ReplacedText {
    std::u16string text;
    std::vector<size_t> matches;  // where each replaced match started in the old text
};

// Every match, scanning forward without overlaps, replaced.
[[nodiscard]] ReplacedText replaceEveryMatch(std::u16string_view text, std::u16string_view needle,
                                             std::u16string_view replacement, bool matchCase);

// The editor a search works on, in offsets of its text with LF line breaks.
class ISearchEditor {
public:
    virtual ~ISearchEditor() = default;
    [[nodiscard]] virtual std::u16string text() const = 0;
    [[nodiscard]] virtual TextSpan selection() const = 0;
    // Selects `span` and brings it into view.
    virtual void select(TextSpan span) = 0;
    // Replaces `span` with `text` as one undo step of the editor and of the document.
    virtual void replace(TextSpan span, std::u16string_view text) = 0;
};

// What a button of the search dialog did.
enum class SearchOutcome {
    Refused,   // busy, or nothing to search for: nothing happened
    Found,     // a match is selected
    Wrapped,   // a match is selected after going on from the other end
    NotFound,  // no match anywhere
    Replaced,  // replace-all ran; `replaced` tells how often
};

struct SearchResult {
    SearchOutcome outcome = SearchOutcome::Refused;
    int32_t replaced = 0;
    friend bool operator==(const SearchResult&, const SearchResult&) = default;
};

struct SearchOptions {
    bool matchCase = false;                     // "大文字と小文字を区別する"
    ReplaceRange range = ReplaceRange::Track;   // where replace-all works
};

// What the search dialog decides, without the dialog: its histories and
// options, the busy rule, and the finding and replacing in an editor.
class TextSearch {
public:
    TextSearch() = default;
    explicit TextSearch(SearchHistories histories) : histories_(std::move(histories)) {}

    [[nodiscard]] const SearchHistories& histories() const { return histories_; }
    SearchOptions options;

    // While the song plays or is being saved the buttons do nothing.
    void setBusy(bool busy) { busy_ = busy; }
    [[nodiscard]] bool buttonsEnabled() const { return !busy_; }

    // When the dialog is opened over `editor`: a selection within one line
    // is the text to search for (returned); one over several lines makes the
    // selection the replace range, anything else the whole track.
    [[nodiscard]] std::optional<std::u16string> openedOver(const ISearchEditor& editor);

    SearchResult find(ISearchEditor& editor, std::u16string_view needle, SearchDirection direction);
    // Replaces the selection when it is a match, then finds the next one down.
    SearchResult replaceOne(ISearchEditor& editor, std::u16string_view needle, std::u16string_view replacement);
    // Replaces every match in the range as one step; an empty selection holds none.
    SearchResult replaceAll(ISearchEditor& editor, std::u16string_view needle, std::u16string_view replacement);

private:
    [[nodiscard]] bool refused(std::u16string_view needle) const { return busy_ || needle.empty(); }
    SearchResult findFrom(ISearchEditor& editor, std::u16string_view needle, TextSpan from,
                          SearchDirection direction) const;

    SearchHistories histories_;
    bool busy_ = false;
};

// The texts the window shows for a result: "文字列 '%s' が見つかりません。",
// "%d箇所を置換しました。", and the status-bar notice of a wrapped search.
[[nodiscard]] std::u16string notFoundMessage(std::u16string_view needle);
[[nodiscard]] std::u16string replacedMessage(int32_t count);
[[nodiscard]] std::u16string wrappedNotice(SearchDirection direction);

}  // namespace zema
