#include "app/document_commands.h"

#include <algorithm>
#include <array>

#include "core/migration.h"
#include "core/strings.h"
#include "core/timing.h"
#include "document/text_util.h"

namespace zema {

namespace {
constexpr int32_t kMaxTimebase = 960;

int32_t rescaled(int32_t tick, int32_t newBase, int32_t oldBase)
{
    if (oldBase <= 0) return tick;
    return static_cast<int32_t>(static_cast<double>(tick) * newBase / oldBase + 0.5);
}

bool validSignature(const TimingContext& timing)
{
    static constexpr std::array<int32_t, 5> kDenominators = {1, 2, 4, 8, 16};
    return timing.numerator >= 1 && timing.numerator <= 16 &&
           std::find(kDenominators.begin(), kDenominators.end(), timing.denominator) != kDenominators.end();
}
}  // namespace

std::vector<TimebaseChoice> timebaseChoices()
{
    return {{32, loadString("IDS_TPQN_032")},  {48, loadString("IDS_TPQN_048")},  {96, loadString("IDS_TPQN_096")},
            {120, loadString("IDS_TPQN_120")}, {480, loadString("IDS_TPQN_480")}, {960, loadString("IDS_TPQN_960")}};
}

std::u16string timebaseText(int32_t timebase)
{
    for (const TimebaseChoice& choice : timebaseChoices()) {
        if (choice.timebase == timebase) return choice.label;
    }
    return decimalText(timebase);
}

std::optional<int32_t> parseTimebase(std::u16string_view text)
{
    for (const TimebaseChoice& choice : timebaseChoices()) {
        if (choice.label == text) return choice.timebase;
    }
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
    if (text.empty() || text.size() > 6) return std::nullopt;
    int32_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    if (value < 1 || value > kMaxTimebase) return std::nullopt;
    return value;
}

std::u16string propertyHeading(std::u16string_view fileName)
{
    const std::u16string name = fileName.empty() ? u"(" + loadString("IDS_DP_UNTITLED") + u")" : std::u16string(fileName);
    return loadString("IDS_DP_TITLE") + u" " + name;
}

bool applyTiming(Song& song, const TimingContext& timing)
{
    const TimingContext old = song.timing;
    if (old.timebase == timing.timebase && old.numerator == timing.numerator &&
        old.denominator == timing.denominator) {
        return false;
    }
    for (Marker& marker : song.markers) marker.tick = rescaled(marker.tick, timing.timebase, old.timebase);
    song.timing = timing;
    recompileAll(song);
    return true;
}

std::u16string markerPositionText(const TimingContext& timing, int32_t tick)
{
    const int32_t measure = std::max(1, ticksPerMeasure(timing));
    return formatText(u"%04d:%04d", {tick / measure, tick % measure});
}

uint32_t newMarkerColour(const Song& song, int32_t tick)
{
    // Distinct, readable colours (0x00BBGGRR).
    static constexpr std::array<uint32_t, 6> kPalette = {0x3030E0, 0x30A030, 0xE07030, 0x20A0E0, 0xC040C0, 0xA0A020};
    uint32_t before = kSongStartMarkerColour;
    std::optional<uint32_t> after;
    for (const Marker& marker : song.markers) {
        if (marker.tick <= tick) {
            before = marker.colour;
        } else {
            after = marker.colour;
            break;
        }
    }
    for (uint32_t colour : kPalette) {
        if (colour != before && (!after || colour != *after)) return colour;
    }
    return kPalette.front();
}

int32_t insertMarker(Song& song, int32_t tick, std::u16string name)
{
    Marker marker{tick, newMarkerColour(song, tick), std::move(name)};
    const auto at = std::upper_bound(song.markers.begin(), song.markers.end(), tick,
                                     [](int32_t t, const Marker& m) { return t < m.tick; });
    const auto index = static_cast<int32_t>(at - song.markers.begin());
    song.markers.insert(at, std::move(marker));
    recompileAll(song);
    return index;
}

std::optional<Marker> renameMarker(Song& song, int32_t index, std::u16string name)
{
    if (index < 0 || static_cast<size_t>(index) >= song.markers.size()) return std::nullopt;
    Marker previous = song.markers[static_cast<size_t>(index)];
    song.markers[static_cast<size_t>(index)].name = std::move(name);
    recompileAll(song);
    return previous;
}

std::optional<Marker> removeMarker(Song& song, int32_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= song.markers.size()) return std::nullopt;
    Marker removed = song.markers[static_cast<size_t>(index)];
    song.markers.erase(song.markers.begin() + index);
    recompileAll(song);
    return removed;
}

std::optional<Song> migratedSong(const Song& song)
{
    if (song.timing.timebase != 32) return std::nullopt;
    Song out = song;
    TimingContext timing = song.timing;
    timing.timebase = 96;
    if (!validSignature(timing)) {
        timing.numerator = 4;
        timing.denominator = 4;
    }
    out.timing = timing;
    for (Track& track : out.tracks) {
        if (!track.used) continue;
        std::u16string text;
        migrateTrack(track.text, text);
        track.text = std::move(text);
    }
    for (Marker& marker : out.markers) marker.tick = rescaled(marker.tick, 96, 32);
    recompileAll(out);
    return out;
}

std::u16string migratedPath(std::u16string_view path)
{
    const size_t slash = path.find_last_of(u"/\\");
    const size_t nameStart = slash == std::u16string_view::npos ? 0 : slash + 1;
    size_t dot = path.find_last_of(u'.');
    if (dot == std::u16string_view::npos || dot <= nameStart) dot = path.size();
    return std::u16string(path.substr(0, dot)) +
           formatText(u" (%s)%s", {std::u16string_view(loadString("IDS_MAIN_MIGRATED")), path.substr(dot)});
}

}  // namespace zema
