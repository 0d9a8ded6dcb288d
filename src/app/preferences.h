#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/accelerator.h"
#include "app/settings.h"

namespace zema {

// What the preferences sheet edits: the settings and the main window's keys.
struct PreferencesValues {
    Settings settings;
    CAccelerator keys;
};

// What the main window has to redo after the sheet was confirmed.
struct PreferencesChanges {
    bool reopenOutput = false;   // output kind, port, bank, reset type or a synthesizer setting changed
    bool reloadPresets = false;  // instrument definition file or "DisableGMPresets" changed
    bool keysChanged = false;    // the key table differs: save it and rebuild the shortcuts

    friend bool operator==(const PreferencesChanges&, const PreferencesChanges&) = default;
};

[[nodiscard]] PreferencesChanges diffPreferences(const PreferencesValues& before, const PreferencesValues& after);

// The pages of the sheet, in tab order.
enum class PreferencesPage : int32_t { General, File, Midi, Dls, Key };

// One entry of a choice list: the text shown and the setting value it stands for.
struct SettingChoice {
    std::u16string text;
    int32_t value = 0;

    friend bool operator==(const SettingChoice&, const SettingChoice&) = default;
};

// Index of the entry holding `value`; `fallback` when none does.
[[nodiscard]] int choiceIndexOf(const std::vector<SettingChoice>& choices, int32_t value, int fallback = 0);

// General page: the default timebase (32 .. 960), the menu style, the redraw
// rate and translucent drawing (1 on, 0 off).
[[nodiscard]] std::vector<SettingChoice> defaultTimebaseChoices();
[[nodiscard]] std::vector<SettingChoice> windowStyleChoices();
[[nodiscard]] std::vector<SettingChoice> frameRateChoices();
[[nodiscard]] std::vector<SettingChoice> translucentChoices();
inline constexpr int32_t kMinTrackCount = 1;
inline constexpr int32_t kMaxTrackCount = 15;
// The editor font as the page shows it: "IPAGothic, 10 pt".
[[nodiscard]] std::u16string editorFontText(std::u16string_view face, uint32_t size);

// File page: the timebase used for files that carry none.
[[nodiscard]] std::vector<SettingChoice> specificTimebaseChoices();

// MIDI page. The output list: the first-available-port entry, one entry per
// MIDI output port, then (when the synthesizer can be created) the GM set and
// the bank-file entries.
struct OutputEntry {
    std::u16string text;
    int32_t outputKind = 0;
    uint32_t porta = 0xFFFFFFFFu;

    friend bool operator==(const OutputEntry&, const OutputEntry&) = default;
};
inline constexpr std::u16string_view kFirstPortEntryText = u"MIDI Mapper (first available port)";
inline constexpr std::u16string_view kSynthGeneralEntryText = u"Software Synthesizer (GM)";
inline constexpr std::u16string_view kSynthBankEntryText = u"Software Synthesizer (DLS/SF2)";

[[nodiscard]] std::vector<OutputEntry> midiOutputEntries(const std::vector<std::u16string>& portNames,
                                                         bool synthAvailable);
// The entry the page selects for the settings. Without a synthesizer a
// synthesizer kind falls back to the first-available port first, which is why
// the settings are changed here.
[[nodiscard]] int initialOutputEntry(Settings& settings, size_t portCount, bool synthAvailable);
// Takes over the selected entry (-1 for none) into OutputDLS and PORTA.
void applyOutputEntry(Settings& settings, int entry, size_t portCount, bool synthAvailable);

// Reset list, by ResetType value 0..5.
[[nodiscard]] std::vector<std::u16string> resetTypeEntries();

// DLS page: sample rates by SamplingRate 0..3 and channels by Channel 0..1.
[[nodiscard]] std::vector<std::u16string> samplingRateEntries();
[[nodiscard]] std::vector<std::u16string> channelEntries();
[[nodiscard]] std::u16string volumeText(int percent);
// The bank file dialog's filter: the string table's filter, its first entry
// widened to SoundFont files unless the text already names them.
[[nodiscard]] std::u16string bankFileFilter();

// Where a stored "InstrumentsFile" is: either separator accepted; a relative
// file (the game's "Presets\MSXspirit.def") lies below the settings folder.
// Empty for an empty setting.
[[nodiscard]] std::filesystem::path instrumentsFilePath(std::u16string_view stored,
                                                        const std::filesystem::path& settingsFolder);

// The instrument file shipped with the program, naming the game's instruments:
// <data folder>/Instruments/Mabinogi.def. Empty when the program folder is unknown.
[[nodiscard]] std::filesystem::path defaultInstrumentsFile(const std::optional<std::filesystem::path>& programDir);

// The instrument file to read: the user's "InstrumentsFile" when it is set
// (instrumentsFilePath), else the shipped one.
[[nodiscard]] std::filesystem::path instrumentsFileToLoad(std::u16string_view stored,
                                                          const std::filesystem::path& settingsFolder,
                                                          const std::optional<std::filesystem::path>& programDir);

// A chosen file as an absolute, normalised path.
[[nodiscard]] std::u16string absolutePathText(std::u16string_view path);

}  // namespace zema
