#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/smf_import_options.h"
#include "document/smf_track_list.h"

namespace zema {

struct Settings;

// What the MIDI import dialog shows and decides, without a window: the track
// list and its selection, the profile, the option check boxes (value and
// whether each is enabled), the quantize list, the information line and the
// check made on OK. The dialog draws this state and forwards clicks to it.

// The option check boxes, in the order the dialog shows them.
enum class SmfOption {
    Program,
    Control,
    Pitch,
    Velocity,
    Comment,
    SysEx,
    Channel,
    ReduceRest,
    Spread,
    SpreadControl,
};
inline constexpr int kSmfOptionCount = 10;

// The check box of an option ("IDC_CHK_PROGRAM" ...).
[[nodiscard]] const char* smfOptionSymbol(SmfOption option);

// The options the dialog opens with: the stored "SMF Import Settings".
[[nodiscard]] SmfImportOptions smfImportOptionsOf(const Settings& settings);
// Stores the options back after OK.
void storeSmfImportOptions(const SmfImportOptions& options, Settings& settings);

class SmfImportChoices {
public:
    // `tracks`: the scan of the file; `options`: the stored options.
    SmfImportChoices(SmfTrackList tracks, const SmfImportOptions& options);

    [[nodiscard]] const std::vector<std::u16string>& trackTexts() const { return texts_; }
    [[nodiscard]] const std::vector<bool>& selection() const { return selected_; }
    void setSelected(size_t entry, bool selected);
    // The button beside the list.
    void clearSelection();

    [[nodiscard]] SmfImportProfile profile() const { return profile_; }
    // The profile list: its options are set and the track selection follows
    // its rule ("カスタム" changes nothing).
    void chooseProfile(SmfImportProfile profile);

    [[nodiscard]] bool option(SmfOption option) const;
    // A check box clicked: the option changes and the profile list shows
    // "カスタム", since the options are no longer the profile's.
    void setOption(SmfOption option, bool on);
    // Whether the check box can be clicked: the separate track for non-note
    // events only while spreading.
    [[nodiscard]] bool enabled(SmfOption option) const;

    // The quantize list: its item texts, and the index of the current value.
    [[nodiscard]] static std::vector<std::u16string> quantizeItems() { return quantizeItemTexts(); }
    [[nodiscard]] int quantizeIndex() const;
    void chooseQuantize(int index);
    // The information line for the file's timebase and the quantize value.
    [[nodiscard]] std::u16string information() const;

    // OK: the message that keeps the dialog open, or nothing when the
    // selection can be converted.
    [[nodiscard]] std::optional<std::u16string> check() const;

    [[nodiscard]] const SmfImportOptions& options() const { return options_; }
    [[nodiscard]] const SmfHeader& header() const { return tracks_.header; }

private:
    SmfTrackList tracks_;
    std::vector<std::u16string> texts_;
    std::vector<bool> selected_;
    SmfImportOptions options_;
    SmfImportProfile profile_ = SmfImportProfile::Custom;
};

}  // namespace zema
