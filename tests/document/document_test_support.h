#pragma once

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include "document/document_data.h"
#include "document/mml_file_writer.h"
#include "test_files.h"

namespace zema {

// Readable failure messages for the document records.
inline void PrintTo(const DocumentSlot& slot, std::ostream* out)
{
    *out << "{used " << slot.used << ", name \"" << std::string(slot.name.begin(), slot.name.end())
         << "\", instrument " << slot.instrument << ", volume " << slot.volume << ", panpot " << slot.panpot
         << ", channel " << slot.channel << ", reserved " << slot.reserved << ", start marker " << slot.startMarker
         << ", group " << slot.group << ", options " << int{slot.trackType} << "/" << int{slot.option2} << ", mute "
         << slot.mute << ", group link " << slot.groupLink << ", text length " << slot.text.size() << "}";
}

}  // namespace zema

namespace zema::test {

// A document using most of what a snapshot can hold.
inline DocumentData sampleDocument()
{
    DocumentData doc;
    doc.title = u"星の歌 \"test\"";
    doc.source = u"作者";
    doc.memo = u"line 1\r\nline\t2 \\ end";
    doc.timing = {120, 3, 8};
    const int used[] = {4, 0, 9, 2};
    for (int slot : used) {
        DocumentSlot& s = doc.slots[slot];
        s.used = true;
        s.name = u"トラック" + std::u16string(1, static_cast<char16_t>(u'A' + slot));
        s.instrument = 7 + slot;
        s.volume = 90 + slot;
        s.panpot = 10 * slot;
        s.channel = slot;
        s.startMarker = slot == 2 ? 2 : 0;
        s.group = slot == 9 ? 0 : 1;
        s.trackType = slot == 9 ? 1 : 0;
        s.option2 = static_cast<uint8_t>(slot);
        s.text = u"t120l8cdef\r\n//comment\r\ngab>c\r\n";
    }
    doc.trackOrder = {4, 0, 9, 2, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    doc.trackOrderPresent = true;
    doc.markers = {{96, 0x2828E0, u"A"}, {384, 0xFF00, u"サビ"}};
    doc.groups = {{u"グローバルグループ"}, {u"メロ"}};
    return doc;
}

// One member of each of the first `count` slots, in slot order.
template <typename Member>
auto eachSlot(const DocumentData& doc, Member member, int count = kTrackCount)
{
    std::vector<std::decay_t<decltype(std::invoke(member, doc.slots[0]))>> out;
    for (int i = 0; i < count; ++i) out.push_back(std::invoke(member, doc.slots[static_cast<size_t>(i)]));
    return out;
}

// A path quoted for the shell that runs zema-cli.
inline std::string quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

// The corpus files of one folder with one extension, in name order.
inline std::vector<std::filesystem::path> corpusFiles(const char* folder, const char* extension)
{
    std::vector<std::filesystem::path> files;
    const std::filesystem::path root = std::filesystem::path(ZEMA_CORPUS_DIR) / folder;
    if (!std::filesystem::exists(root)) return files;
    for (const auto& entry : std::filesystem::directory_iterator(root)) {
        if (entry.path().extension() == extension) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The sample document as saved, compact.
inline std::string savedSample()
{
    CMMLFileWriter writer(sampleDocument(), true);
    return writer.WriteToMemory() ? writer.buffer() : std::string();
}

// A saved document whose extension block fails its checksum: one base64
// character of the first data line changed.
inline std::string damagedExtension(std::string bytes)
{
    const size_t data = bytes.find("\nd=");
    if (data == std::string::npos) return {};
    char& c = bytes[data + 3];
    c = c == 'A' ? 'B' : 'A';
    return bytes;
}

}  // namespace zema::test
