#include "document/smf_import_steps.h"

#include <algorithm>
#include <array>

namespace zema {

namespace {

using Kind = SmfImportEvent::Kind;

constexpr int kDrumChannel = 9;  // MIDI channel 10
constexpr int64_t kImportMaxMeasures = 2000;

// Reads one chunk's events into the lists. `current` is the list that events
// without a channel go to in format 0 (the last channel seen), kept across chunks.
class ChunkRouter {
public:
    ChunkRouter(SmfImportLists& out, const SmfImportOptions& options, int keepLists)
        : out_(out), options_(options), keepLists_(keepLists), limit_(importTickLimit(out.header.timebase))
    {
    }

    void read(int chunkIndex, std::string_view chunk)
    {
        const bool format0 = out_.header.format == 0;
        SmfTrackCursor cursor(chunk);
        SmfRawEvent raw;
        while (cursor.next(raw)) {
            if (raw.tick > limit_) break;
            const auto tick = static_cast<int32_t>(raw.tick);
            if (raw.isChannelMessage()) {
                if (format0) current_ = raw.channel();
                const int target = format0 ? raw.channel() : chunkIndex;
                channelMessage(target, tick, raw);
            } else {
                otherEvent(format0 ? current_ : chunkIndex, chunkIndex, tick, raw);
            }
        }
    }

private:
    void add(int target, const SmfImportEvent& event)
    {
        if (target >= keepLists_) return;
        SmfImportList& list = out_.lists[static_cast<size_t>(target)];
        if (list.channel < 0 && event.channel >= 0) list.channel = event.channel;
        list.events.push_back(event);
    }

    uint32_t addBlob(std::string bytes)
    {
        out_.blobs.push_back(std::move(bytes));
        return static_cast<uint32_t>(out_.blobs.size() - 1);
    }

    void channelMessage(int target, int32_t tick, const SmfRawEvent& raw)
    {
        SmfImportEvent event;
        event.tick = tick;
        event.channel = raw.channel();
        switch (raw.command()) {
        case 0x80:
            event.kind = Kind::NoteOff;
            event.note = raw.data1;
            break;
        case 0x90:
            event.kind = raw.data2 == 0 ? Kind::NoteOff : Kind::NoteOn;
            event.note = raw.data1;
            event.value = raw.data2 * 15 / 127;
            break;
        case 0xB0:
            if (!options_.controlChange) return;
            event.kind = Kind::Control;
            event.value = raw.data1;
            event.value2 = raw.data2;
            break;
        case 0xC0:
            if (!options_.programChange) return;
            event.kind = Kind::Program;
            event.value = raw.data1;
            break;
        case 0xE0:
            if (!options_.pitchBend) return;
            event.kind = Kind::PitchBend;
            event.value = raw.data1;
            event.value2 = raw.data2;
            break;
        default:  // key and channel pressure are not carried
            return;
        }
        add(target, event);
    }

    void otherEvent(int target, int chunkIndex, int32_t tick, const SmfRawEvent& raw)
    {
        SmfImportEvent event;
        event.tick = tick;
        if (raw.status == 0xF0 || raw.status == 0xF7) {
            if (!options_.sysEx || target >= keepLists_) return;
            event.kind = Kind::SysEx;
            event.blob = addBlob(static_cast<char>(raw.status) + std::string(raw.payload));
            add(target, event);
            return;
        }
        if (raw.status != 0xFF) return;
        switch (raw.metaType) {
        case 0x01:
        case 0x04:
        case 0x05:
        case 0x06:
        case 0x07:
            if (!options_.midiText || target >= keepLists_) return;
            event.kind = Kind::Text;
            event.blob = addBlob(std::string(raw.payload));
            add(target, event);
            return;
        case 0x02:
            out_.copyright = decodeSmfText(raw.payload);
            return;
        case 0x03: {
            std::u16string name = decodeSmfText(raw.payload);
            if (chunkIndex == 0 && !titleSet_) {
                out_.title = name;
                titleSet_ = true;
            }
            if (target < keepLists_) out_.lists[static_cast<size_t>(target)].name = std::move(name);
            return;
        }
        case 0x51: {
            if (raw.payload.size() < 3 || out_.header.smpte) return;  // SMPTE time has no tempo
            uint32_t micros = 0;
            for (int i = 0; i < 3; ++i) micros = (micros << 8) | static_cast<uint8_t>(raw.payload[static_cast<size_t>(i)]);
            if (micros == 0) return;
            event.kind = Kind::Tempo;
            event.value = static_cast<int32_t>(60000000 / micros);
            add(target, event);
            return;
        }
        default:
            return;
        }
    }

    SmfImportLists& out_;
    const SmfImportOptions& options_;
    int keepLists_;
    int64_t limit_;
    int current_ = 0;
    bool titleSet_ = false;
};

}  // namespace

int64_t importTickLimit(int32_t timebase)
{
    return std::min<int64_t>(int64_t{timebase} * 4 * kImportMaxMeasures, int64_t{1} << 30);
}

SmfImportLists readImportLists(const SmfFile& file, const SmfImportOptions& options, int keepLists)
{
    SmfImportLists out;
    out.header = file.header;
    const size_t listCount = file.header.format == 0 ? 16 : file.tracks.size();
    keepLists = std::clamp(keepLists, 0, static_cast<int>(listCount));
    out.lists.resize(listCount);
    ChunkRouter router(out, options, keepLists);
    for (size_t i = 0; i < file.tracks.size(); ++i) router.read(static_cast<int>(i), file.tracks[i]);
    // A format 0 file with several chunks restarts its ticks in each; the
    // later stages need every list in time order.
    for (SmfImportList& list : out.lists) {
        auto byTick = [](const SmfImportEvent& a, const SmfImportEvent& b) { return a.tick < b.tick; };
        if (!std::is_sorted(list.events.begin(), list.events.end(), byTick)) {
            std::stable_sort(list.events.begin(), list.events.end(), byTick);
        }
    }
    return out;
}

void quantizeList(SmfImportList& list, int32_t unit)
{
    if (unit <= 1) return;
    for (SmfImportEvent& event : list.events) {
        const int32_t remainder = event.tick % unit;
        event.tick -= remainder;
        if (remainder * 2 > unit) event.tick += unit;
    }
}

void pairNotes(SmfImportList& list, int32_t unit, bool reduceRest)
{
    std::vector<SmfImportEvent>& events = list.events;
    std::vector<bool> removed(events.size(), false);
    // Per note number, the starts still waiting for their end, oldest first:
    // each end (or start of velocity 0) closes the oldest waiting start.
    std::array<std::vector<uint32_t>, 128> waiting;
    std::array<size_t, 128> oldest{};
    const bool drums = list.channel == kDrumChannel;

    for (size_t i = 0; i < events.size(); ++i) {
        SmfImportEvent& event = events[i];
        if (event.kind != Kind::NoteOn && event.kind != Kind::NoteOff) continue;
        const auto note = static_cast<size_t>(event.note & 0x7F);
        const bool closes = event.kind == Kind::NoteOff || event.value == 0;
        if (closes && oldest[note] < waiting[note].size()) {
            SmfImportEvent& start = events[waiting[note][oldest[note]++]];
            start.length = event.tick - start.tick;
            removed[i] = true;
            continue;
        }
        if (event.kind == Kind::NoteOff) {
            removed[i] = true;  // an end without a start
            continue;
        }
        event.length = -1;  // not ended yet
        waiting[note].push_back(static_cast<uint32_t>(i));
    }

    for (size_t i = 0; i < events.size(); ++i) {
        SmfImportEvent& event = events[i];
        if (removed[i] || event.kind != Kind::NoteOn) continue;
        if (event.length < 0) {
            removed[i] = true;  // never ended
        } else if (event.length == 0) {
            if (drums) {
                event.length = unit;
            } else if (!reduceRest) {
                removed[i] = true;
            }
        }
    }

    size_t kept = 0;
    for (size_t i = 0; i < events.size(); ++i) {
        if (!removed[i]) events[kept++] = events[i];
    }
    events.resize(kept);
}

void spreadList(std::vector<SmfImportList>& lists, int source, bool controlApart)
{
    if (source < 0 || source >= static_cast<int>(lists.size()) || source >= kSmfImportMaxTracks) return;
    // The voices may land on any of the output tracks, also where the file has no chunk.
    if (lists.size() < static_cast<size_t>(kSmfImportMaxTracks)) lists.resize(kSmfImportMaxTracks);
    const int outputs = kSmfImportMaxTracks;
    SmfImportList input = std::move(lists[static_cast<size_t>(source)]);
    for (SmfImportList& list : lists) list = SmfImportList{};

    std::array<int64_t, kSmfImportMaxTracks> endTick{};
    SmfImportList apart;
    for (const SmfImportEvent& event : input.events) {
        if (event.kind == Kind::NoteOff) continue;
        if (controlApart) {
            const bool control = event.kind == Kind::Program || event.kind == Kind::Control ||
                                 event.kind == Kind::PitchBend || event.kind == Kind::SysEx;
            if (control || event.kind == Kind::Text) apart.events.push_back(event);
            if (control) continue;
        }
        int target = source;
        if (event.tick < endTick[static_cast<size_t>(source)]) {
            target = -1;
            for (int t = 0; t < outputs; ++t) {
                if (t != source && endTick[static_cast<size_t>(t)] <= event.tick) {
                    target = t;
                    break;
                }
            }
            if (target < 0) continue;  // every track is sounding: dropped
        }
        lists[static_cast<size_t>(target)].events.push_back(event);
        endTick[static_cast<size_t>(target)] = int64_t{event.tick} + event.length;
    }

    if (!apart.events.empty()) {
        for (int t = 0; t < outputs; ++t) {
            if (lists[static_cast<size_t>(t)].events.empty()) {
                lists[static_cast<size_t>(t)] = std::move(apart);
                break;
            }
        }
    }
    for (SmfImportList& list : lists) {
        for (const SmfImportEvent& event : list.events) {
            if (event.channel >= 0) {
                list.channel = event.channel;
                break;
            }
        }
        if (list.channel < 0) list.channel = input.channel;
    }
}

void makeMonophonic(SmfImportList& list, bool reduceRest)
{
    std::vector<SmfImportEvent> out;
    out.reserve(list.events.size() + list.events.size() / 2);
    int64_t cursor = 0;
    for (const SmfImportEvent& event : list.events) {
        if (event.kind == Kind::NoteOff || event.tick < cursor) continue;
        if (event.tick > cursor) {
            const auto gap = static_cast<int32_t>(event.tick - cursor);
            if (reduceRest && !out.empty() && out.back().kind == Kind::NoteOn) {
                out.back().length += gap;
            } else {
                SmfImportEvent rest;
                rest.kind = Kind::Rest;
                rest.tick = static_cast<int32_t>(cursor);
                rest.length = gap;
                out.push_back(rest);
            }
        }
        out.push_back(event);
        cursor = int64_t{event.tick} + event.length;
    }
    list.events = std::move(out);
}

}  // namespace zema
