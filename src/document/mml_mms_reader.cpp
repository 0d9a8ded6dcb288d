#include "document/mml_mms_reader.h"

#include "document/extension_block.h"
#include "document/text_util.h"

namespace zema {

namespace {

constexpr int kPartCount = 5;
constexpr int32_t kMaxMarkerNumber = 10000;

enum class Section { None, Information, Part, Marker, Extension };

// "position12" with word "position" gives 12; nothing for another word or a
// number of 10000 or more.
std::optional<int32_t> numberAfter(std::u16string_view key, std::u16string_view word)
{
    if (key.size() <= word.size() || key.substr(0, word.size()) != word) return std::nullopt;
    int32_t value = 0;
    for (char16_t c : key.substr(word.size())) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value >= kMaxMarkerNumber) return std::nullopt;
    }
    return value;
}

}  // namespace

int32_t mmsInstrument(int32_t code)
{
    if (code < 0 || code > 21) return 0;
    switch (code) {
        case 12: return 13;
        case 13: return 12;
        case 18: return 65;
        case 19: return 66;
        case 20: return 67;
        case 21: return 68;
        default: return code;
    }
}

int mmsSlotOf(int part, int channel)
{
    const int slot = 3 * part + channel;
    return slot > 8 ? slot + 1 : slot;
}

bool CMMLMmsReader::Read()
{
    DocumentData& out = result();
    out.groups.assign(1, TrackGroup{std::u16string(kGlobalGroupName)});
    TimingContext timing = defaults();
    ExtensionCollector extension;
    Section section = Section::None;
    int part = 0;
    bool sawSection = false;

    LineCursor cursor(text());
    std::u16string_view line;
    while (cursor.next(line)) {
        if (const auto name = sectionName(line)) {
            const std::u16string lower = toLowerAscii(*name);
            bool matched = true;
            if (lower == u"mms-file") {
                section = Section::None;
            } else if (lower == u"infomation") {
                section = Section::Information;
            } else if (lower == u"marker") {
                section = Section::Marker;
            } else if (lower == kExtensionSectionName) {
                section = Section::Extension;
            } else {
                matched = false;
                for (int p = 0; p < kPartCount; ++p) {
                    if (lower == u"part" + decimalText(p)) {
                        section = Section::Part;
                        part = p;
                        matched = true;
                    }
                }
            }
            if (matched) {
                sawSection = true;
                continue;
            }
        }
        const auto pair = splitKeyValue(line);
        if (!pair) continue;
        const std::u16string& key = pair->key;
        const std::u16string_view value = pair->value;
        switch (section) {
            case Section::None: break;
            case Section::Information:
                if (key == u"title") {
                    out.title = value;
                } else if (key == u"auther") {
                    out.source = value;
                } else if (key == u"timebase") {
                    timing.timebase = parseInt(value);
                } else if (key == u"rythmnum") {
                    timing.numerator = parseInt(value);
                } else if (key == u"rythmbase") {
                    timing.denominator = parseInt(value);
                }
                break;
            case Section::Part: {
                const int slots[3] = {mmsSlotOf(part, 0), mmsSlotOf(part, 1), mmsSlotOf(part, 2)};
                for (int slot : slots) {
                    out.slots[slot].used = true;
                    out.slots[slot].group = part + 1;
                }
                if (key == u"name") {
                    if (out.groups.size() < static_cast<size_t>(part + 2)) out.groups.resize(part + 2);
                    out.groups[part + 1].name = value;
                } else if (key == u"instrument") {
                    for (int slot : slots) out.slots[slot].instrument = mmsInstrument(parseInt(value));
                } else if (key == u"panpot") {
                    const int64_t panpot = int64_t{parseInt(value)} + 64;
                    if (panpot >= 0 && panpot <= 127) {
                        for (int slot : slots) out.slots[slot].panpot = static_cast<int32_t>(panpot);
                    }
                } else if (key == u"marker") {
                    const int64_t marker = int64_t{parseInt(value)} + 1;
                    if (marker >= 0 && marker < kMaxMarkerNumber) {
                        for (int slot : slots) out.slots[slot].startMarker = static_cast<int32_t>(marker);
                    }
                } else if (key.size() == 7 && key.starts_with(u"ch") && key.ends_with(u"_mml") && key[2] >= u'0' &&
                           key[2] <= u'2') {
                    out.slots[slots[key[2] - u'0']].text = value;
                }
                break;
            }
            case Section::Marker: {
                auto markerAt = [&out](int32_t n) -> Marker& {
                    if (out.markers.size() < static_cast<size_t>(n) + 1) out.markers.resize(static_cast<size_t>(n) + 1);
                    return out.markers[static_cast<size_t>(n)];
                };
                if (const auto n = numberAfter(key, u"label")) {
                    markerAt(*n).name = value;
                } else if (const auto p = numberAfter(key, u"position")) {
                    markerAt(*p).tick = parseInt(value);
                } else if (const auto c = numberAfter(key, u"color")) {
                    markerAt(*c).colour = parseUnsigned(value);
                }
                break;
            }
            case Section::Extension: extension.take(key, value); break;
        }
    }

    out.timing = validatedTiming(timing, defaults());
    if (extension.present() && !extension.apply(out)) noteLoss(ReadStatus::of(ReadStatusKind::DamagedExtension));
    return sawSection;
}

}  // namespace zema
