#pragma once

// The corpus tracks the writer benchmarks work on, read once.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/clipboard_export.h"
#include "core/mml_compiler.h"
#include "document/document_open.h"

namespace zema::bench {

struct Track {
    std::u16string text;
    TimingContext timing;
};

// The corpus's .mms and .mml documents, sorted.
inline std::vector<std::filesystem::path> corpusDocumentFiles()
{
    std::vector<std::filesystem::path> files;
    for (const char* folder : {"mms", "mml"}) {
        const std::filesystem::path dir = std::filesystem::path(ZEMA_CORPUS_DIR) / folder;
        if (!std::filesystem::is_directory(dir)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Every used track with characters of the corpus's .mms and .mml documents, in file order.
inline const std::vector<Track>& corpusTracks()
{
    static const std::vector<Track> all = [] {
        std::vector<Track> tracks;
        for (const auto& file : corpusDocumentFiles()) {
            DocumentData result;
            if (!openDocument(file, {}, result)) continue;
            for (const auto& slot : result.slots) {
                if (slot.used && characterCount(slot.text) > 0) tracks.push_back({slot.text, result.timing});
            }
        }
        return tracks;
    }();
    return all;
}

// The stripped text of the first corpus track long enough (at timebase 96
// when asked), cut before the command that would pass `length` characters.
inline std::u16string melodyOf(size_t length, bool onlyTimebase96 = false)
{
    for (const Track& track : corpusTracks()) {
        const std::u16string text = stripToCommands(track.text);
        if (text.size() < length || (onlyTimebase96 && track.timing.timebase != 96)) continue;
        size_t cut = length;
        while (cut > 0 && !((text[cut] >= u'a' && text[cut] <= u'z') || text[cut] == u'<' || text[cut] == u'>' ||
                            text[cut] == u'&'))
            --cut;
        return text.substr(0, cut);
    }
    return {};
}

}  // namespace zema::bench
