#pragma once

// Reads the track texts of the corpus's .mms and .mml documents (Shift_JIS,
// INI-like) for the writer and migration tests, without the document library.

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/timing.h"
#include "core/unicode.h"

namespace zema::test {

struct CorpusTrack {
    std::string name;  // file name and track key, for failure messages
    std::u16string text;
    TimingContext timing;
};

// Shift_JIS (code page 932) to UTF-8; an undecodable byte becomes U+FFFD.
inline std::string decodeShiftJis(const std::string& bytes)
{
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return bytes;
    std::string out;
    std::string input = bytes;
    char* in = input.data();
    size_t inLeft = input.size();
    std::string buffer(4096, '\0');
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        size_t outLeft = buffer.size();
        const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), buffer.size() - outLeft);
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            out += "\xEF\xBF\xBD";
            ++in;
            --inLeft;
        }
    }
    iconv_close(cd);
    return out;
}

inline std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
        start = end + 1;
    }
    return out;
}

inline int intValue(const std::string& line, size_t from, int fallback)
{
    try {
        return std::stoi(line.substr(from));
    } catch (...) {  // not a number: keep the default, as documents do
        return fallback;
    }
}

// Every non-empty track text of one document.
inline std::vector<CorpusTrack> readCorpusDocument(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const std::vector<std::string> text = lines(decodeShiftJis(bytes));
    const std::string fileName = path.filename().string();
    const bool mms = path.extension() == ".mms";
    TimingContext timing;
    std::vector<CorpusTrack> tracks;
    std::string section;
    for (const std::string& line : text) {
        if (!line.empty() && line.front() == '[') {
            section = line;
            if (!mms && section.rfind("[Channel", 0) == 0 && section.rfind("[ChannelProperty", 0) != 0)
                tracks.push_back({fileName + section, u"", {}});
            continue;
        }
        const auto key = [&](const char* name) { return line.rfind(name, 0) == 0; };
        if (mms) {
            if (key("timeBase=")) timing.timebase = intValue(line, 9, 96);
            else if (key("rythmNum=")) timing.numerator = intValue(line, 9, 4);
            else if (key("rythmBase=")) timing.denominator = intValue(line, 10, 4);
            else if (line.size() > 8 && line.rfind("ch", 0) == 0 && line.compare(3, 5, "_mml=") == 0)
                tracks.push_back({fileName + section + line.substr(0, 3), utf8ToUtf16(line.substr(8)), {}});
        } else if (section == "[Settings]") {
            if (key("TimeBase=")) timing.timebase = intValue(line, 9, 96);
            else if (key("TimeSignatureNN=")) timing.numerator = intValue(line, 16, 4);
            else if (key("TimeSignatureDD=")) timing.denominator = intValue(line, 16, 4);
        } else if (section.rfind("[Channel", 0) == 0 && !tracks.empty() && section.rfind("[ChannelProperty", 0) != 0) {
            if (!tracks.back().text.empty()) tracks.back().text += u"\r\n";
            tracks.back().text += utf8ToUtf16(line);
        }
    }
    if (timing.timebase < 1 || timing.timebase > 960) timing.timebase = 96;
    if (timing.numerator < 1) timing.numerator = 4;
    if (timing.denominator < 1) timing.denominator = 4;
    std::vector<CorpusTrack> used;
    for (CorpusTrack& track : tracks) {
        const bool blank = std::all_of(track.text.begin(), track.text.end(),
                                       [](char16_t c) { return c == u' ' || c == u'\r' || c == u'\n' || c == u'\t'; });
        if (blank) continue;
        track.timing = timing;
        used.push_back(std::move(track));
    }
    return used;
}

// The tracks of every .mms and .mml document of the corpus, in file-name order.
inline std::vector<CorpusTrack> corpusTracks()
{
    std::vector<std::filesystem::path> files;
    for (const char* folder : {"mms", "mml"}) {
        const std::filesystem::path dir = std::filesystem::path(ZEMA_CORPUS_DIR) / folder;
        if (!std::filesystem::is_directory(dir)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            const auto extension = entry.path().extension();
            if (extension == ".mms" || extension == ".mml") files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    std::vector<CorpusTrack> tracks;
    for (const auto& file : files) {
        auto document = readCorpusDocument(file);
        std::move(document.begin(), document.end(), std::back_inserter(tracks));
    }
    return tracks;
}

}  // namespace zema::test
