#include "document/mml_file_reader.h"

#include <vector>

#include "document/extension_block.h"
#include "document/text_util.h"

namespace zema {

namespace {

enum class Section { None, Settings, Extension, ForeignExtension, Marker, Channel, ChannelProperty };

struct SectionState {
    Section section = Section::None;
    int slot = 0;  // for Channel and ChannelProperty
};

// "channel7" with prefix "channel" gives 7; anything but 1..16 gives 0.
int trackNumberAfter(std::u16string_view name, std::u16string_view prefix)
{
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return 0;
    const std::u16string_view digits = name.substr(prefix.size());
    if (digits.size() > 2) return 0;
    int value = 0;
    for (char16_t c : digits) {
        if (c < u'0' || c > u'9') return 0;
        value = value * 10 + (c - u'0');
    }
    return (value >= 1 && value <= kTrackCount) ? value : 0;
}

// Splits at ',' the way the formats do: empty fields do not count.
std::vector<std::u16string_view> splitNonEmpty(std::u16string_view text)
{
    std::vector<std::u16string_view> fields;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(u',', start);
        if (comma == std::u16string_view::npos) comma = text.size();
        if (comma > start) fields.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return fields;
}

std::u16string_view trimField(std::u16string_view field)
{
    while (!field.empty() && (field.front() == u' ' || field.front() == u'\u3000' || field.front() == u'\t')) {
        field.remove_prefix(1);
    }
    while (!field.empty() && (field.back() == u' ' || field.back() == u'\u3000' || field.back() == u'\t')) {
        field.remove_suffix(1);
    }
    return field;
}

class DocumentParser {
public:
    DocumentParser(DocumentData& result, const TimingContext& defaults) : result_(result), timing_(defaults) {}

    void line(std::u16string_view line)
    {
        if (auto name = sectionName(line); name && switchSection(toLowerAscii(*name))) return;
        switch (state_.section) {
            case Section::None:
            case Section::ForeignExtension: return;
            case Section::Channel:
                result_.slots[state_.slot].text += line;
                if (!trimIni(line).empty()) readSomething_ = true;
                return;
            default: break;
        }
        auto pair = splitKeyValue(line);
        if (!pair) return;
        switch (state_.section) {
            case Section::Settings:
                readSomething_ = true;
                settingsKey(pair->key, pair->value);
                return;
            case Section::Extension:
                readSomething_ = true;
                extension_.take(pair->key, pair->value);
                return;
            case Section::ChannelProperty: channelPropertyKey(result_.slots[state_.slot], pair->key, pair->value); return;
            case Section::Marker:
                if (pair->key == u"entry") markerEntry(pair->value);
                return;
            default: return;
        }
    }

    [[nodiscard]] bool finish(const TimingContext& defaults)
    {
        result_.timing = validatedTiming(timing_, defaults);
        // A block that fails its checks is left out whole; the INI text
        // above it still gives the tracks and settings.
        extensionDamaged_ = extension_.present() && !extension_.apply(result_);
        return readSomething_;
    }

    [[nodiscard]] bool extensionDamaged() const { return extensionDamaged_; }

private:
    bool switchSection(const std::u16string& name)
    {
        if (name == u"settings") {
            state_ = {Section::Settings, 0};
        } else if (name == kExtensionSectionName) {
            state_ = {Section::Extension, 0};
        } else if (name == u"marker") {
            state_ = {Section::Marker, 0};
        } else if (const int n = trackNumberAfter(name, u"channel"); n > 0) {
            state_ = {Section::Channel, n - 1};
            result_.slots[n - 1].used = true;
        } else if (const int m = trackNumberAfter(name, u"channelproperty"); m > 0) {
            state_ = {Section::ChannelProperty, m - 1};
        } else if (name.size() > 10 && name.ends_with(u" extension")) {
            // Another editor's own block ("[3MLE EXTENSION]"): its lines are
            // that program's data, not part of the track above it.
            state_ = {Section::ForeignExtension, 0};
        } else {
            return false;
        }
        return true;
    }

    void settingsKey(const std::u16string& key, std::u16string_view value)
    {
        if (key == u"title") {
            result_.title = value;
        } else if (key == u"source") {
            result_.source = value;
        } else if (key == u"memo") {
            result_.memo = unescapeMemo(value);
        } else if (key == u"timebase") {
            timing_.timebase = parseInt(value);
        } else if (key == u"timesignaturenn") {
            timing_.numerator = parseInt(value);
        } else if (key == u"timesignaturedd") {
            timing_.denominator = parseInt(value);
        } else if (int n = trackNumberAfter(key, u"instrument"); n > 0) {
            result_.slots[n - 1].instrument = mapInstrument(parseInt(value));
        } else if (int v = trackNumberAfter(key, u"volume"); v > 0) {
            if (const int32_t volume = parseInt(value); volume >= 0 && volume < 128) result_.slots[v - 1].volume = volume;
        } else if (int p = trackNumberAfter(key, u"panpot"); p > 0) {
            if (const int32_t panpot = parseInt(value); panpot >= 0 && panpot < 128) result_.slots[p - 1].panpot = panpot;
        } else if (int t = trackNumberAfter(key, u"trackname"); t > 0) {
            result_.slots[t - 1].name = value;
        } else if (trackNumberAfter(key, u"ensembleplayer") > 0) {
            ensemblePlayer(value);
        }
    }

    // "name,instrument,track,track,track": one player's name and instrument
    // for three tracks.
    void ensemblePlayer(std::u16string_view value)
    {
        const std::vector<std::u16string_view> fields = splitNonEmpty(value);
        if (fields.size() < 5) return;
        const std::u16string_view name = fields[0];
        if (name.empty()) return;
        const int32_t instrument = mapInstrument(parseInt(trimField(fields[1])));
        for (size_t i = 2; i < 5; ++i) {
            const int32_t track = parseInt(trimField(fields[i]));
            if (track < 1 || track > kTrackCount) continue;
            result_.slots[track - 1].name = name;
            result_.slots[track - 1].instrument = instrument;
        }
    }

    static void channelPropertyKey(DocumentSlot& slot, const std::u16string& key, std::u16string_view value)
    {
        if (key == u"name") {
            slot.name = value;
        } else if (key == u"patch") {
            slot.instrument = mapInstrument(parseInt(value));
        } else if (key == u"panpot") {
            if (const int32_t panpot = parseInt(value); panpot >= 0 && panpot < 128) slot.panpot = panpot;
        } else if (key == u"volume") {
            if (const int32_t volume = parseInt(value); volume >= 0 && volume < 128) slot.volume = volume;
        } else if (key == u"marker") {
            slot.startMarker = parseInt(value);
        }
    }

    // "position,colour in hex,name"; the name is one word.
    void markerEntry(std::u16string_view value)
    {
        FieldScanner scanner(value);
        const auto position = scanner.decimal();
        if (!position) return;
        Marker marker;
        marker.tick = static_cast<int32_t>(*position);
        if (scanner.literal(u',')) {
            if (const auto colour = scanner.hexadecimal()) {
                marker.colour = *colour;
                if (scanner.literal(u',')) marker.name = scanner.token().value_or(u"");
            }
        }
        result_.markers.push_back(std::move(marker));
    }

    DocumentData& result_;
    TimingContext timing_;
    SectionState state_;
    ExtensionCollector extension_;
    bool readSomething_ = false;
    bool extensionDamaged_ = false;
};

}  // namespace

std::u16string unescapeMemo(std::u16string_view value)
{
    std::u16string memo;
    memo.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            memo.push_back(value[i]);
            continue;
        }
        const char16_t next = value[++i];
        switch (next) {
            case u'n': memo.push_back(u'\n'); break;
            case u'r': memo.push_back(u'\r'); break;
            case u't': memo.push_back(u'\t'); break;
            default: memo.push_back(next); break;
        }
    }
    return memo;
}

bool CMMLFileReader::Read()
{
    DocumentParser parser(result(), defaults());
    LineCursor cursor(text());
    std::u16string_view line;
    while (cursor.next(line)) parser.line(line);
    const bool read = parser.finish(defaults());
    if (read && parser.extensionDamaged()) noteLoss(ReadStatus::of(ReadStatusKind::DamagedExtension));
    return read;
}

}  // namespace zema
