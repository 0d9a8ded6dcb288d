#include "document/smf_export.h"

#include <algorithm>
#include <vector>

#include "core/unicode.h"
#include "document/smf_file_io.h"
#include "document/text_encoding.h"

namespace zema {

namespace {

constexpr uint32_t kMaxDelta = 0x0FFFFFFF;  // the largest four-byte variable-length value

void putBigEndian(std::string& out, uint32_t value, int bytes)
{
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void putVariable(std::string& out, uint32_t value)
{
    char bytes[4];
    int count = 0;
    bytes[count++] = static_cast<char>(value & 0x7F);
    while ((value >>= 7) != 0 && count < 4) bytes[count++] = static_cast<char>((value & 0x7F) | 0x80);
    while (count > 0) out += bytes[--count];
}

// Meta texts are in the ANSI code page; a text it cannot hold goes as UTF-8
// rather than with characters replaced.
std::string metaText(std::u16string_view text)
{
    if (auto ansi = encodeAnsi(text)) return *ansi;
    return utf16ToUtf8(text);
}

bool isExtended(const SmfExportTrack& track)
{
    return !track.events.empty() && track.events.front().kind == TrackEventKind::TrackStart;
}

uint8_t denominatorPower(int32_t denominator)
{
    switch (denominator) {
    case 1:
        return 0;
    case 2:
        return 1;
    case 8:
        return 3;
    case 16:
        return 4;
    default:
        return 2;
    }
}

TrackEvent controlEvent(int32_t channel, int32_t controller, int32_t value)
{
    TrackEvent event;
    event.kind = TrackEventKind::Control;
    event.channel = channel;
    event.value = controller;
    event.value2 = value;
    return event;
}

// The tick-0 setup of a slot in the game's dialect: bank select, program,
// volume and pan on the slot's channel.
void appendSetup(std::vector<TrackEvent>& out, const SmfExportTrack& track, int32_t channel)
{
    out.push_back(controlEvent(channel, 0, 0));
    out.push_back(controlEvent(channel, 32, 0));
    TrackEvent program;
    program.kind = TrackEventKind::Program;
    program.channel = channel;
    program.value = programOfInstrument(track.instrument);
    out.push_back(program);
    out.push_back(controlEvent(channel, 7, track.volume));
    out.push_back(controlEvent(channel, 10, track.panpot));
}

// Writes one MTrk chunk: events with delta times, note-offs held until their
// time comes, the end-of-track event and the patched length.
class ChunkWriter {
public:
    explicit ChunkWriter(std::string& out) : out_(out)
    {
        out_ += "MTrk";
        lengthAt_ = out_.size();
        putBigEndian(out_, 0, 4);
    }

    void meta(int64_t tick, uint8_t type, std::string_view data)
    {
        delta(tick);
        out_ += '\xFF';
        out_ += static_cast<char>(type);
        putVariable(out_, static_cast<uint32_t>(std::min<size_t>(data.size(), kMaxDelta)));
        out_.append(data.substr(0, kMaxDelta));
    }

    void exclusive(int64_t tick, std::string_view afterF0)
    {
        delta(tick);
        out_ += '\xF0';
        putVariable(out_, static_cast<uint32_t>(std::min<size_t>(afterF0.size(), kMaxDelta)));
        out_.append(afterF0.substr(0, kMaxDelta));
    }

    void event(const TrackEvent& event)
    {
        const int64_t tick = std::max(0, event.tick);
        releaseUntil(tick);
        const auto channel = static_cast<uint8_t>(event.channel & 0x0F);
        switch (event.kind) {
        case TrackEventKind::Note: {
            const auto velocity = static_cast<uint8_t>((event.value * 127 / 15) & 0x7F);
            const auto note = static_cast<uint8_t>(event.noteNumber & 0x7F);
            shortMessage(tick, 0x90 | channel, note, velocity);
            // After every held note-off that ends at the same tick or earlier.
            const Pending off{tick + std::max(0, event.length), static_cast<uint8_t>(0x80 | channel), note, velocity};
            pending_.insert(std::upper_bound(pending_.begin(), pending_.end(), off,
                                             [](const Pending& a, const Pending& b) { return a.end < b.end; }),
                            off);
            break;
        }
        case TrackEventKind::Program:
            shortMessage(tick, 0xC0 | channel, event.value & 0x7F);
            break;
        case TrackEventKind::Tempo:
            if (event.value > 0) {
                std::string data;
                putBigEndian(data, static_cast<uint32_t>(std::min(60000000 / event.value, 0xFFFFFF)), 3);
                meta(tick, 0x51, data);
            }
            break;
        case TrackEventKind::Control:
            shortMessage(tick, 0xB0 | channel, event.value & 0x7F, event.value2 & 0x7F);
            break;
        case TrackEventKind::PitchBend:
            shortMessage(tick, 0xE0 | channel, event.value & 0x7F, event.value2 & 0x7F);
            break;
        case TrackEventKind::SysEx:
            if (!event.data.empty() && event.data.front() == 0xF0) {
                exclusive(tick, std::string_view(reinterpret_cast<const char*>(event.data.data()) + 1,
                                                 event.data.size() - 1));
            }
            break;
        default:  // rests, measures, states and the like sound nothing
            break;
        }
    }

    void finish()
    {
        releaseUntil(INT64_MAX);
        out_ += std::string_view("\x00\xFF\x2F\x00", 4);
        const size_t length = out_.size() - lengthAt_ - 4;
        for (int i = 0; i < 4; ++i) out_[lengthAt_ + static_cast<size_t>(i)] = static_cast<char>((length >> (24 - 8 * i)) & 0xFF);
    }

private:
    struct Pending {
        int64_t end;
        uint8_t status;
        uint8_t note;
        uint8_t velocity;
    };

    // A delta time that does not fit four bytes is carried by empty text
    // events, so the file keeps its timing and stays readable.
    void delta(int64_t tick)
    {
        int64_t value = std::max<int64_t>(0, tick - lastTick_);
        while (value > kMaxDelta) {
            putVariable(out_, kMaxDelta);
            out_ += std::string_view("\xFF\x01\x00", 3);
            value -= kMaxDelta;
        }
        putVariable(out_, static_cast<uint32_t>(value));
        lastTick_ = std::max(lastTick_, tick);
    }

    void shortMessage(int64_t tick, int status, int data1, int data2 = -1)
    {
        delta(tick);
        out_ += static_cast<char>(status);
        out_ += static_cast<char>(data1);
        if (data2 >= 0) out_ += static_cast<char>(data2);
    }

    void releaseUntil(int64_t tick)
    {
        size_t released = 0;
        while (released < pending_.size() && pending_[released].end <= tick) {
            const Pending& off = pending_[released++];
            shortMessage(off.end, off.status, off.note, off.velocity);
        }
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(released));
    }

    std::string& out_;
    size_t lengthAt_ = 0;
    int64_t lastTick_ = 0;
    std::vector<Pending> pending_;
};

void writePreamble(ChunkWriter& chunk, const SmfExportRequest& request, bool anyExtended)
{
    std::string signature;
    signature += static_cast<char>(request.timing.numerator & 0xFF);
    signature += static_cast<char>(denominatorPower(request.timing.denominator));
    signature += '\x18';
    signature += '\x08';
    chunk.meta(0, 0x58, signature);
    if (!request.title.empty()) chunk.meta(0, 0x03, metaText(request.title));
    if (!anyExtended) chunk.exclusive(0, std::string_view("\x7E\x7F\x09\x01\xF7", 5));
}

}  // namespace

int32_t programOfInstrument(int32_t instrument)
{
    // Lute, ukulele, mandolin, flute, whistle, chalumeau, roncadora.
    static constexpr int32_t kGamePrograms[7] = {105, 24, 25, 73, 72, 71, 77};
    if (instrument < 0) return kGamePrograms[0];
    if (instrument < 7) return kGamePrograms[instrument];
    return (instrument - 7) & 0x7F;
}

SmfExportRequest smfExportRequestOf(const Song& song, int32_t format)
{
    SmfExportRequest request;
    request.format = format;
    request.title = song.title;
    request.timing = song.timing;
    for (int i = 0; i < kTrackCount; ++i) {
        const Track& track = song.tracks[static_cast<size_t>(i)];
        SmfExportTrack& out = request.tracks[static_cast<size_t>(i)];
        out.used = track.used;
        out.name = track.name;
        out.instrument = track.instrument;
        out.volume = track.volume;
        out.panpot = track.panpot;
        if (!track.used) continue;
        out.events = track.events;
        for (TrackEvent& event : out.events) {
            if (event.channel < 0) event.channel = i;
        }
    }
    return request;
}

std::string buildSmf(const SmfExportRequest& request)
{
    bool anyExtended = false;
    int lastNonEmpty = -1;
    for (int i = 0; i < kTrackCount; ++i) {
        const SmfExportTrack& track = request.tracks[static_cast<size_t>(i)];
        if (track.used && isExtended(track)) anyExtended = true;
        if (!track.events.empty()) lastNonEmpty = i;
    }
    const bool format0 = request.format == 0;
    // At least one chunk, so that an empty song still carries its time signature.
    const int chunkCount = format0 ? 1 : std::max(1, lastNonEmpty + 1);

    std::string out = "MThd";
    putBigEndian(out, 6, 4);
    putBigEndian(out, format0 ? 0 : 1, 2);
    putBigEndian(out, static_cast<uint32_t>(chunkCount), 2);
    putBigEndian(out, static_cast<uint32_t>(std::clamp(request.timing.timebase, 1, 0x7FFF)), 2);

    if (format0) {
        ChunkWriter chunk(out);
        writePreamble(chunk, request, anyExtended);
        // Setups first, then every track's events by tick (ties in slot order).
        std::vector<TrackEvent> setup;
        std::vector<const TrackEvent*> merged;
        for (int i = 0; i < kTrackCount; ++i) {
            const SmfExportTrack& track = request.tracks[static_cast<size_t>(i)];
            if (track.used && !isExtended(track)) appendSetup(setup, track, i);
        }
        for (const TrackEvent& event : setup) merged.push_back(&event);
        for (const SmfExportTrack& track : request.tracks) {
            for (const TrackEvent& event : track.events) merged.push_back(&event);
        }
        std::stable_sort(merged.begin(), merged.end(),
                         [](const TrackEvent* a, const TrackEvent* b) { return a->tick < b->tick; });
        for (const TrackEvent* event : merged) chunk.event(*event);
        chunk.finish();
        return out;
    }

    for (int c = 0; c < chunkCount; ++c) {
        const SmfExportTrack& track = request.tracks[static_cast<size_t>(c)];
        ChunkWriter chunk(out);
        if (c == 0) writePreamble(chunk, request, anyExtended);
        chunk.meta(0, 0x03, metaText(track.name));
        if (track.used && !isExtended(track)) {
            std::vector<TrackEvent> setup;
            appendSetup(setup, track, c);
            for (const TrackEvent& event : setup) chunk.event(event);
        }
        for (const TrackEvent& event : track.events) chunk.event(event);
        chunk.finish();
    }
    return out;
}

bool exportSmf(const std::filesystem::path& path, const SmfExportRequest& request)
{
    try {
        return writeFileAtomically(path, buildSmf(request));
    } catch (const std::exception&) {
        return false;  // out of memory while building the file
    }
}

}  // namespace zema
