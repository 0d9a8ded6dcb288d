#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zema {

class CIniReader;

// What the MIDI import carries over beyond notes, and how it quantizes.
struct SmfImportOptions {
    bool programChange = true;   // program changes become "@n"
    bool controlChange = true;   // controller 7 becomes "Vn", others "yc,v"
    bool pitchBend = false;      // bends become "~m" or "~m,l"
    bool velocity = true;        // "vn" when a note's scaled velocity changes
    bool midiText = true;        // text meta events become comment lines
    bool sysEx = true;           // exclusive messages become "EX" commands
    bool channel = false;        // "//#using_channel" with the track's MIDI channel
    bool reduceRest = false;     // rest saving: a note is held over a following gap
    bool spreadTrack = false;    // one MIDI track spread over several MML tracks
    bool spreadControl = false;  // with spreading, non-note events on a track of their own
    int32_t quantizeValue = 64;  // 4, 8, 16, 32 or 64: the grid is that note length

    // True when the output needs commands of the extended dialect.
    [[nodiscard]] bool usesExtension() const
    {
        return programChange || controlChange || pitchBend || velocity || sysEx || channel;
    }

    friend bool operator==(const SmfImportOptions&, const SmfImportOptions&) = default;
};

inline constexpr int kSmfImportMaxTracks = 16;
inline constexpr std::array<int32_t, 5> kSmfQuantizeValues = {4, 8, 16, 32, 64};

// A stored quantize value that is none of the offered ones selects 32.
[[nodiscard]] int32_t normalizeQuantizeValue(int32_t value);
// The combo item texts ("4分音符" ... "64分音符"), in the order of kSmfQuantizeValues.
[[nodiscard]] std::vector<std::u16string> quantizeItemTexts();
// Ticks of the quantize grid: timebase * 4 / value, never below 1.
[[nodiscard]] int32_t quantizeUnit(int32_t timebase, int32_t quantizeValue);
// The dialog's information line: resolution and quantize unit, with the
// conversion-error note when the unit is not a whole number of ticks.
[[nodiscard]] std::u16string importInformationText(int32_t timebase, int32_t quantizeValue);

// Settings of section "SMF Import Settings". Missing or unreadable keys keep
// the values already in `options`; the channel option is not stored.
inline constexpr std::u16string_view kSmfImportSettingsSection = u"SMF Import Settings";
void readSmfImportSettings(const CIniReader& settings, SmfImportOptions& options);
// The keys and values to store, in a fixed order.
[[nodiscard]] std::vector<std::pair<std::u16string, int32_t>> smfImportSettingsEntries(const SmfImportOptions& options);

// The profiles of the import dialog, in the order of its list.
enum class SmfImportProfile {
    Custom = 0,
    MabinogiNormal,
    MabinogiSaving,
    MabinogiChord,
    ExtendedMulti,
    ExtendedSingle,
};
inline constexpr int kSmfImportProfileCount = 6;

enum class SmfTrackSelectionRule { Unchanged, Auto, Clear };

[[nodiscard]] std::u16string profileName(SmfImportProfile profile);
// Sets the options the profile fixes (all but the quantize value) and returns
// how the track selection changes. Custom changes nothing.
SmfTrackSelectionRule applyProfile(SmfImportProfile profile, SmfImportOptions& options);

// Auto selection: from the top, up to 16 entries whose text does not hold
// "A10" (the drum channel on port A).
[[nodiscard]] std::vector<bool> autoSelection(const std::vector<std::u16string>& entryTexts);
// The selection after a rule: Auto as above, Clear none, Unchanged `current`.
[[nodiscard]] std::vector<bool> applySelectionRule(SmfTrackSelectionRule rule,
                                                   const std::vector<std::u16string>& entryTexts,
                                                   const std::vector<bool>& current);

// The OK check of the dialog: the message to show, or nothing when the
// selection can be converted.
[[nodiscard]] std::optional<std::u16string> checkTrackSelection(const std::vector<bool>& selected, bool spreadTrack);

}  // namespace zema
