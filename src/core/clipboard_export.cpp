#include "core/clipboard_export.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <thread>

#include "core/exact_optimizer.h"
#include "core/mml_writer.h"
#include "core/strings.h"

namespace zema {

const std::array<CompositionRank, kRankCount> compositionRanks = {{
    {u"", {200, 100, 0}},
    {u"F", {400, 200, 100}},
    {u"E", {500, 200, 100}},
    {u"D", {600, 250, 150}},
    {u"C", {650, 250, 200}},
    {u"B", {700, 300, 200}},
    {u"A", {750, 300, 200}},
    {u"9", {800, 350, 200}},
    {u"8", {850, 400, 200}},
    {u"7", {900, 400, 200}},
    {u"6", {950, 450, 200}},
    {u"5", {1000, 500, 250}},
    {u"4", {1050, 550, 300}},
    {u"3", {1100, 600, 350}},
    {u"2", {1150, 700, 400}},
    {u"1", {1200, 800, 500}},
}};

int32_t partLimit(int rank, int part, bool excludeSong)
{
    if (rank < 0 || rank >= kRankCount || part < 0 || part >= kPartCount) return 0;
    const auto& limits = compositionRanks[static_cast<size_t>(rank)].limits;
    if (part == kSongPart) return excludeSong ? 0 : limits[0];
    return limits[static_cast<size_t>(part)] + (excludeSong ? limits[0] / 3 : 0);
}

int rankOf(const std::array<int32_t, kPartCount>& counts, bool excludeSong)
{
    int result = 0;
    for (int part = 0; part < kPartCount; ++part) {
        const int32_t count = counts[static_cast<size_t>(part)];
        if (part == kSongPart && count == 0) continue;
        int found = kNoRank;
        for (int r = 0; r < kRankCount; ++r) {
            if (count <= partLimit(r, part, excludeSong)) {
                found = r;
                break;
            }
        }
        if (found == kNoRank) return kNoRank;
        result = std::max(result, found);
    }
    return result;
}

int rankOf(const std::array<int32_t, 3>& counts) { return rankOf({counts[0], counts[1], counts[2], 0}, false); }

std::u16string rankName(int rank, bool excludeSong)
{
    std::u16string name;
    if (rank == 0) name = loadString("IDS_CB_EX_RANK_PRACTICE");
    else if (rank < 0 || rank >= kRankCount) return loadString("IDS_CB_EX_RANK_IMPOSSIBLE");
    else name = std::u16string(compositionRanks[static_cast<size_t>(rank)].name);
    if (excludeSong) name += u'`';
    return name;
}

int rankIndexOf(std::u16string_view name)
{
    if (!name.empty() && name.back() == u'`') name.remove_suffix(1);
    if (name.empty()) return -1;
    if (name == loadString("IDS_CB_EX_RANK_PRACTICE") || name == u"練習") return 0;
    for (int r = 1; r < kRankCount; ++r) {
        std::u16string_view rankLetter = compositionRanks[static_cast<size_t>(r)].name;
        if (name.size() == 1 && (name == rankLetter || (name[0] >= u'a' && name[0] <= u'f' &&
                                                        static_cast<char16_t>(name[0] - 32) == rankLetter[0])))
            return r;
    }
    return -1;
}

namespace {

bool isCountedCommand(char16_t c)
{
    switch (c) {
    case u'#': case u'&': case u'+': case u'-': case u'.': case u'<': case u'>':
        return true;
    default:
        break;
    }
    if (c >= u'0' && c <= u'9') return true;
    const char16_t lower = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    return (lower >= u'a' && lower <= u'h') || lower == u'l' || lower == u'n' || lower == u'o' || lower == u'r' ||
           lower == u't' || lower == u'v';
}

}  // namespace

std::u16string stripToCommands(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const char16_t c = text[i];
        if (c == u'/' && i + 1 < text.size() && text[i + 1] == u'/') {
            const size_t end = text.find(u'\n', i + 2);
            i = end == std::u16string_view::npos ? text.size() : end;
            continue;
        }
        if (c == u'/' && i + 1 < text.size() && text[i + 1] == u'*') {
            const size_t end = text.find(u"*/", i + 2);
            i = end == std::u16string_view::npos ? text.size() : end + 2;
            continue;
        }
        if (isCountedCommand(c)) out.push_back((c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c);
        ++i;
    }
    return out;
}

std::u16string_view methodLetter(int candidate)
{
    static constexpr std::array<std::u16string_view, kCandidateCount> kLetters = {u"A", u"C", u"B", u"D", u"X", u"E"};
    if (candidate < 0 || candidate >= kCandidateCount) return kLetters[0];
    return kLetters[static_cast<size_t>(candidate)];
}

OptimizedPart optimizePart(const TimingContext& context, std::u16string_view text)
{
    // Writer settings (mode, option) of candidates 0..3.
    static constexpr std::array<std::pair<int, int>, 4> kSettings = {{{0, 0}, {1, -1}, {1, 0}, {1, 1}}};
    std::array<std::u16string, kCandidateCount> outputs;
    std::array<std::exception_ptr, kCandidateCount> failures;
    std::optional<std::u16string> exact;  // absent when the exact search abstains
    {
        std::array<std::jthread, kCandidateCount> jobs;
        for (size_t k = 0; k < kCandidateCount; ++k) {
            jobs[k] = std::jthread([&, k] {
                try {
                    if (k == kStripCandidate) outputs[k] = stripToCommands(text);
                    else if (k == kExactCandidate) exact = writeShortestTrack(context, text);
                    else (void)rewriteTrack(context, text, kSettings[k].first, kSettings[k].second, outputs[k]);
                } catch (...) {
                    failures[k] = std::current_exception();
                }
            });
        }
    }  // the jthreads join here
    for (const std::exception_ptr& failure : failures) {
        if (failure) std::rethrow_exception(failure);
    }
    size_t best = 0;
    for (size_t k = 1; k <= kStripCandidate; ++k) {
        if (outputs[k].size() <= outputs[best].size()) best = k;
    }
    if (exact && exact->size() < outputs[best].size()) return {std::move(*exact), kExactCandidate};
    return {std::move(outputs[best]), static_cast<int>(best)};
}

namespace {

std::array<int32_t, kPartCount> outputCounts(const std::array<ExportPart, kPartCount>& parts)
{
    return {parts[0].outputCount, parts[1].outputCount, parts[2].outputCount, parts[3].outputCount};
}

struct Composed {
    ExportPart part;
    std::u16string text;
};

Composed composePart(const TimingContext& context, const ClipSource& source, bool optimize, int& method)
{
    Composed c{{source.trackIndex, source.sourceCount, 0, source.name}, {}};
    if (optimize) {
        OptimizedPart best = optimizePart(context, source.text);
        c.text = std::move(best.text);
        method = best.candidate;
    } else {
        c.text = stripToCommands(source.text);
    }
    c.part.outputCount = static_cast<int32_t>(c.text.size());
    return c;
}

}  // namespace

ClipExport composeClipboard(const TimingContext& context, const std::vector<ClipSource>& sources,
                            const ClipOptions& options, const ClipSource* song)
{
    ClipExport result;
    result.excludeSong = options.excludeSong;
    const size_t count = std::min<size_t>(sources.size(), 3);
    std::vector<Composed> composed;
    for (size_t k = 0; k < count; ++k) composed.push_back(composePart(context, sources[k], options.optimize, result.methods[k]));
    if (options.sortByLength) {
        std::stable_sort(composed.begin(), composed.end(), [](const Composed& a, const Composed& b) {
            return a.part.outputCount > b.part.outputCount;
        });
    }
    std::optional<Composed> songPart;
    if (song && !options.excludeSong) {
        songPart = composePart(context, *song, options.optimize, result.methods[kSongPart]);
        result.hasSong = true;
        result.parts[kSongPart] = songPart->part;
    }
    const bool allEmpty =
        std::all_of(composed.begin(), composed.end(), [](const Composed& c) { return c.text.empty(); }) &&
        (!songPart || songPart->text.empty());
    if (!allEmpty && options.melodyFiller && (composed.empty() || composed[0].text.empty())) {
        if (composed.empty()) composed.push_back({});
        composed[0].text = std::u16string(kMelodyFiller);
        composed[0].part.outputCount = static_cast<int32_t>(kMelodyFiller.size());
        result.filledMelody = true;
    }
    for (size_t k = 0; k < composed.size(); ++k) result.parts[k] = composed[k].part;
    result.rank = rankOf(outputCounts(result.parts), options.excludeSong);
    if (allEmpty) return result;

    // A song part is the fourth field: the chords it skips are written empty.
    std::vector<const std::u16string*> fields;
    for (const Composed& c : composed) fields.push_back(&c.text);
    static const std::u16string kEmpty;
    if (songPart) {
        while (fields.size() < 3) fields.push_back(&kEmpty);
        fields.push_back(&songPart->text);
    }
    const bool board = options.format == ClipFormat::Board;
    std::u16string text = board ? boardHeader(options.title, options.source, result) : std::u16string();
    text.append(board ? u"MML@\r\n" : u"MML@");
    for (size_t k = 0; k < fields.size(); ++k) {
        text.append(*fields[k]);
        const bool last = k + 1 == fields.size();
        if (board) text.append(last ? u"\r\n;\r\n" : u"\r\n,\r\n");
        else text.append(last ? u";" : u",");
    }
    result.text = std::move(text);
    return result;
}

std::u16string boardHeader(std::u16string_view title, std::u16string_view source, const ClipExport& result)
{
    std::u16string out = loadString("IDS_CB_EX_SITA_TITLE") + u" " + std::u16string(title) + u"\r\n";
    out += loadString("IDS_CB_EX_SITA_SOURCE") + u" " + std::u16string(source) + u"\r\n";
    const auto& p = result.parts;
    out += loadString("IDS_CB_EX_SITA_RANK") + u" " + rankName(result.rank, result.excludeSong);
    out += result.hasSong ? formatText(u" (%d/%d/%d/%d)\r\n", {p[0].outputCount, p[1].outputCount, p[2].outputCount,
                                                                 p[3].outputCount})
                          : formatText(u" (%d/%d/%d)\r\n", {p[0].outputCount, p[1].outputCount, p[2].outputCount});
    out += u"\r\n";
    return out;
}

std::u16string requiredRankLine(int rank, bool excludeSong)
{
    return loadString("IDS_CB_EX_RANK") + u" : " + rankName(rank, excludeSong);
}

std::u16string resultMessage(const ClipExport& result, ClipFormat format, bool optimize)
{
    std::u16string out =
        loadString(format == ClipFormat::Board ? "IDS_CB_EX_RESULTMSG2" : "IDS_CB_EX_RESULTMSG1") + u"\n\n";
    const size_t lines = result.hasSong ? kPartCount : 3;
    if (optimize) {
        out += loadString("IDS_CB_EX_METHOD") + u" : ";
        for (size_t k = 0; k < lines; ++k) out += methodLetter(result.methods[k]);
        out += u"\n\n";
    }
    static constexpr std::array<const char*, kPartCount> kPlain = {"IDS_CB_EX_RESULT_A_1", "IDS_CB_EX_RESULT_A_2",
                                                                   "IDS_CB_EX_RESULT_A_3", "IDS_CB_EX_RESULT_A_4"};
    static constexpr std::array<const char*, kPartCount> kOptimized = {
        "IDS_CB_EX_RESULT_B_1", "IDS_CB_EX_RESULT_B_2", "IDS_CB_EX_RESULT_B_3", "IDS_CB_EX_RESULT_B_4"};
    for (size_t k = 0; k < lines; ++k) {
        const ExportPart& part = result.parts[k];
        if (optimize) {
            out += formatText(loadString(kOptimized[k]), {part.sourceCount, part.outputCount, part.name});
        } else {
            out += formatText(loadString(kPlain[k]), {part.sourceCount, part.name});
        }
        out += u"\n";
    }
    if (result.filledMelody) out += u"\n" + loadString("IDS_CB_EX_FILLED_MELODY") + u"\n";
    out += u"\n" + requiredRankLine(result.rank, result.excludeSong);
    return out;
}

}  // namespace zema
