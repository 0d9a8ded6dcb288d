#include "app/text_search.h"

#include <algorithm>

#include "app/inifile.h"
#include "core/clipboard_export.h"
#include "core/strings.h"
#include "document/ini_reader.h"
#include "document/text_util.h"

namespace zema {

namespace {

constexpr std::u16string_view kHistorySection = u"Search History";
constexpr std::u16string_view kPositionSection = u"Window Placement - TextSearch";

// One list of the history section: its count key and the prefix of its entries.
struct HistoryKeys {
    std::u16string_view count;
    std::u16string_view entry;
};
constexpr HistoryKeys kSearchKeys{u"SearchKeyCount", u"SearchKey"};
constexpr HistoryKeys kReplaceKeys{u"ReplaceKeyCount", u"ReplaceKey"};

std::u16string entryKey(const HistoryKeys& keys, size_t index)
{
    return std::u16string(keys.entry) + u"[" + decimalText(static_cast<int64_t>(index)) + u"]";
}

// The stored count, believed no further than the section has keys.
size_t storedCount(const CIniReader& reader, const HistoryKeys& keys)
{
    const uint32_t count = CIniValues(reader).getUnsigned(kHistorySection, keys.count, 0);
    return std::min<size_t>(count, reader.keys(kHistorySection).size());
}

SearchHistory historyFromIni(const CIniReader& reader, const HistoryKeys& keys)
{
    const CIniValues ini(reader);
    std::vector<std::u16string> texts(storedCount(reader, keys));
    for (size_t i = 0; i < texts.size(); ++i) texts[i] = ini.getString(kHistorySection, entryKey(keys, i), u"");
    // Oldest first, so that the most recent of equal entries ends on top.
    SearchHistory history;
    for (auto text = texts.rbegin(); text != texts.rend(); ++text) history.add(*text);
    return history;
}

bool holdsLineBreak(std::u16string_view text) { return text.find_first_of(u"\r\n") != std::u16string_view::npos; }

void appendHistoryChanges(std::vector<IniChange>& changes, const CIniReader& before, const HistoryKeys& keys,
                          const SearchHistory& history)
{
    // A text with a line break cannot be one value of the file; it is left out.
    std::vector<std::u16string_view> kept;
    for (const std::u16string& text : history.entries()) {
        if (!holdsLineBreak(text)) kept.push_back(text);
    }
    changes.push_back({std::u16string(keys.count), decimalText(static_cast<int64_t>(kept.size()))});
    for (size_t i = 0; i < kept.size(); ++i) changes.push_back({entryKey(keys, i), std::u16string(kept[i])});
    for (size_t i = kept.size(); i < storedCount(before, keys); ++i) changes.push_back({entryKey(keys, i), {}});
}

CIniReader readIni(const std::filesystem::path& iniPath)
{
    CIniReader reader;
    if (!reader.loadFile(iniPath)) reader.loadText(u"");
    return reader;
}

char16_t searchLower(char16_t c)
{
    const bool ascii = c >= u'A' && c <= u'Z';
    const bool latin1 = c >= 0xC0 && c <= 0xDE && c != 0xD7;
    const bool fullWidth = c >= 0xFF21 && c <= 0xFF3A;
    return ascii || latin1 || fullWidth ? static_cast<char16_t>(c + 0x20) : c;
}

// The text as the search compares it: as it is, or lower-cased (the length stays).
std::u16string compared(std::u16string_view text, bool matchCase)
{
    std::u16string out(text);
    if (!matchCase) std::transform(out.begin(), out.end(), out.begin(), searchLower);
    return out;
}

// Where `offset` of the old text lies after replaceEveryMatch: shifted by the
// replacements before it; inside a match, at the start of its replacement.
size_t offsetAfterReplacing(size_t offset, const std::vector<size_t>& matches, size_t needleSize,
                            size_t replacementSize)
{
    size_t before = 0;
    size_t base = offset;
    for (size_t match : matches) {
        if (match + needleSize <= offset) {
            ++before;
            continue;
        }
        if (match < offset) base = match;
        break;
    }
    return base - before * needleSize + before * replacementSize;
}

}  // namespace

LineColumn lineColumnOf(std::u16string_view text, size_t offset)
{
    offset = std::min(offset, text.size());
    const std::u16string_view head = text.substr(0, offset);
    const size_t lineStart = head.rfind(u'\n') == std::u16string_view::npos ? 0 : head.rfind(u'\n') + 1;
    return {static_cast<int>(std::count(head.begin(), head.end(), u'\n')), static_cast<int>(offset - lineStart)};
}

size_t offsetOf(std::u16string_view text, LineColumn position)
{
    size_t lineStart = 0;
    for (int line = 0; line < position.line; ++line) {
        const size_t lineEnd = text.find(u'\n', lineStart);
        if (lineEnd == std::u16string_view::npos) return text.size();
        lineStart = lineEnd + 1;
    }
    const size_t lineEnd = std::min(text.find(u'\n', lineStart), text.size());
    return std::min(lineStart + static_cast<size_t>(std::max(position.column, 0)), lineEnd);
}

void SearchHistory::add(std::u16string_view text)
{
    if (text.empty()) return;
    std::erase(entries_, text);
    entries_.insert(entries_.begin(), std::u16string(text));
}

SearchHistories searchHistoriesFromIni(const CIniReader& reader)
{
    return {historyFromIni(reader, kSearchKeys), historyFromIni(reader, kReplaceKeys)};
}

SearchHistories loadSearchHistories(const std::filesystem::path& iniPath)
{
    return searchHistoriesFromIni(readIni(iniPath));
}

bool saveSearchHistories(const std::filesystem::path& iniPath, const SearchHistories& histories)
{
    const CIniReader before = readIni(iniPath);
    std::vector<IniChange> changes;
    appendHistoryChanges(changes, before, kSearchKeys, histories.search);
    appendHistoryChanges(changes, before, kReplaceKeys, histories.replace);
    return CInifile(iniPath, std::u16string(kHistorySection)).setMany(changes);
}

std::optional<DialogPosition> loadSearchDialogPosition(const std::filesystem::path& iniPath)
{
    const CIniReader reader = readIni(iniPath);
    const std::optional<std::u16string> left = reader.value(kPositionSection, u"left");
    const std::optional<std::u16string> top = reader.value(kPositionSection, u"top");
    DialogPosition position;
    if (!left || !top || !parseStoredInt(*left, position.left) || !parseStoredInt(*top, position.top)) {
        return std::nullopt;
    }
    return position;
}

bool saveSearchDialogPosition(const std::filesystem::path& iniPath, DialogPosition position)
{
    const CInifile ini(iniPath, std::u16string(kPositionSection));
    const bool left = ini.setInt(u"left", position.left);
    return ini.setInt(u"top", position.top) && left;
}

bool sameSearchText(std::u16string_view a, std::u16string_view b, bool matchCase)
{
    return a.size() == b.size() && compared(a, matchCase) == compared(b, matchCase);
}

std::optional<FoundText> findText(std::u16string_view text, std::u16string_view needle, TextSpan from,
                                  SearchDirection direction, bool matchCase)
{
    if (needle.empty() || needle.size() > text.size()) return std::nullopt;
    const std::u16string haystack = compared(text, matchCase);
    const std::u16string wanted = compared(needle, matchCase);
    const size_t size = wanted.size();
    const size_t start = std::min(from.start, text.size());
    const size_t end = std::clamp(from.end, start, text.size());
    const auto found = [size](size_t at, bool wrapped) -> std::optional<FoundText> {
        if (at == std::u16string::npos) return std::nullopt;
        return FoundText{{at, at + size}, wrapped};
    };
    if (direction == SearchDirection::Down) {
        if (const size_t at = haystack.find(wanted, end); at != std::u16string::npos) return found(at, false);
        return found(haystack.find(wanted), true);
    }
    if (start >= size) {
        if (const size_t at = haystack.rfind(wanted, start - size); at != std::u16string::npos) return found(at, false);
    }
    return found(haystack.rfind(wanted), true);
}

ReplacedText replaceEveryMatch(std::u16string_view text, std::u16string_view needle, std::u16string_view replacement,
                               bool matchCase)
{
    ReplacedText out;
    if (needle.empty()) {
        out.text = text;
        return out;
    }
    const std::u16string haystack = compared(text, matchCase);
    const std::u16string wanted = compared(needle, matchCase);
    size_t done = 0;
    for (size_t at = haystack.find(wanted); at != std::u16string::npos; at = haystack.find(wanted, done)) {
        out.text.append(text.substr(done, at - done));
        out.text.append(replacement);
        out.matches.push_back(at);
        done = at + wanted.size();
    }
    out.text.append(text.substr(done));
    return out;
}

std::optional<std::u16string> TextSearch::openedOver(const ISearchEditor& editor)
{
    options.range = ReplaceRange::Track;
    const TextSpan selection = editor.selection();
    if (selection.size() == 0) return std::nullopt;
    const std::u16string text = editor.text();
    const std::u16string_view selected = std::u16string_view(text).substr(selection.start, selection.size());
    if (selected.find(u'\n') != std::u16string_view::npos) {
        options.range = ReplaceRange::Selection;
        return std::nullopt;
    }
    return std::u16string(selected);
}

SearchResult TextSearch::find(ISearchEditor& editor, std::u16string_view needle, SearchDirection direction)
{
    if (refused(needle)) return {};
    histories_.search.add(needle);
    return findFrom(editor, needle, editor.selection(), direction);
}

SearchResult TextSearch::findFrom(ISearchEditor& editor, std::u16string_view needle, TextSpan from,
                                  SearchDirection direction) const
{
    const std::optional<FoundText> found = findText(editor.text(), needle, from, direction, options.matchCase);
    if (!found) return {SearchOutcome::NotFound};
    editor.select(found->span);
    return {found->wrapped ? SearchOutcome::Wrapped : SearchOutcome::Found};
}

SearchResult TextSearch::replaceOne(ISearchEditor& editor, std::u16string_view needle, std::u16string_view replacement)
{
    if (refused(needle)) return {};
    histories_.search.add(needle);
    histories_.replace.add(replacement);
    TextSpan from = editor.selection();
    const std::u16string text = editor.text();
    if (from.end <= text.size() &&
        sameSearchText(std::u16string_view(text).substr(from.start, from.size()), needle, options.matchCase)) {
        editor.replace(from, replacement);
        from.end = from.start + replacement.size();
        from.start = from.end;
    }
    return findFrom(editor, needle, from, SearchDirection::Down);
}

SearchResult TextSearch::replaceAll(ISearchEditor& editor, std::u16string_view needle, std::u16string_view replacement)
{
    if (refused(needle)) return {};
    histories_.search.add(needle);
    histories_.replace.add(replacement);
    const std::u16string text = editor.text();
    const TextSpan selection{std::min(editor.selection().start, text.size()),
                             std::min(editor.selection().end, text.size())};
    const TextSpan range = options.range == ReplaceRange::Selection ? selection : TextSpan{0, text.size()};
    const ReplacedText replaced = replaceEveryMatch(std::u16string_view(text).substr(range.start, range.size()),
                                                    needle, replacement, options.matchCase);
    const auto count = static_cast<int32_t>(replaced.matches.size());
    if (count > 0) {
        editor.replace(range, replaced.text);
        if (options.range == ReplaceRange::Selection) {
            editor.select({range.start, range.start + replaced.text.size()});
        } else {
            const auto shifted = [&](size_t offset) {
                return offsetAfterReplacing(offset, replaced.matches, needle.size(), replacement.size());
            };
            editor.select({shifted(selection.start), shifted(selection.end)});
        }
    }
    return {SearchOutcome::Replaced, count};
}

std::u16string notFoundMessage(std::u16string_view needle)
{
    return formatText(loadString("IDS_SEARCH_NOT_FOUND"), {needle});
}

std::u16string replacedMessage(int32_t count) { return formatText(loadString("IDS_SEARCH_REPLACE_COUNT"), {count}); }

std::u16string wrappedNotice(SearchDirection direction)
{
    return loadString(direction == SearchDirection::Down ? "IDS_SEARCH_WRAPPED_TO_TOP" : "IDS_SEARCH_WRAPPED_TO_END");
}

}  // namespace zema
