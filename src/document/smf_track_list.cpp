#include "document/smf_track_list.h"

#include <array>
#include <cstdio>

#include "core/unicode.h"

namespace zema {

namespace {

std::u16string format(const char* pattern, int a, int b = 0)
{
    char text[32];
    std::snprintf(text, sizeof text, pattern, a, b);
    return utf8ToUtf16(text);
}

std::u16string chunkEntry(int number, std::string_view chunk)
{
    SmfTrackCursor cursor(chunk);
    SmfRawEvent event;
    std::u16string name;
    int port = 0;
    int channel = -1;
    // The label needs the port and name that come before the music; the
    // first channel message gives the channel and ends the scan.
    while (cursor.next(event)) {
        if (event.isChannelMessage()) {
            channel = event.channel();
            break;
        }
        if (event.status != 0xFF) continue;
        if (event.metaType == 0x03) name = decodeSmfText(event.payload);
        if (event.metaType == 0x21 && !event.payload.empty()) port = static_cast<uint8_t>(event.payload[0]);
    }
    std::u16string label = channel >= 0 && port < 26 ? format("%c%02d ", 'A' + port, channel + 1) : u"--- ";
    return format("%2d : ", number) + label + name;
}

}  // namespace

std::vector<std::u16string> SmfTrackList::texts() const
{
    std::vector<std::u16string> result;
    result.reserve(entries.size());
    for (const SmfTrackEntry& entry : entries) result.push_back(entry.text);
    return result;
}

std::optional<SmfTrackList> scanSmfTracks(std::string_view bytes, ReadStatus* status)
{
    const auto file = readSmfFile(bytes, status);
    if (!file) return std::nullopt;
    SmfTrackList list;
    list.header = file->header;
    if (file->header.format == 0) {
        std::array<bool, 16> used{};
        for (std::string_view chunk : file->tracks) {
            SmfTrackCursor cursor(chunk);
            SmfRawEvent event;
            while (cursor.next(event)) {
                if (event.isChannelMessage()) used[static_cast<size_t>(event.channel())] = true;
            }
        }
        for (int channel = 0; channel < 16; ++channel) {
            if (used[static_cast<size_t>(channel)]) {
                list.entries.push_back({format("%2d : A%02d", channel + 1, channel + 1), channel});
            }
        }
        return list;
    }
    for (size_t i = 0; i < file->tracks.size(); ++i) {
        list.entries.push_back({chunkEntry(static_cast<int>(i) + 1, file->tracks[i]), static_cast<int32_t>(i)});
    }
    return list;
}

}  // namespace zema
