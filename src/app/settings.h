#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zema {

// Every setting of "ZEMA.ini" with its default. Member order is the order in
// which the settings are written back.
struct Settings {
    // [ApplicationData]
    bool editScroll = true;
    int32_t windowStyle = 0;          // 0 Office XP, 1 Office 2003 menus
    int32_t defaultTimeBase = 96;     // timebase of a new document
    uint32_t pianoRollHeight = 200;   // piano-roll pane height in pixels, view modes 0 and 2
    uint32_t pianoRollWidth = 200;    // piano-roll pane width in pixels, view mode 1
    int32_t pianoRollTarget = 0;      // entry of the piano-roll target list
    int32_t pianoRollVMag = 8;
    int32_t pianoRollHMag = 48;
    bool optClipExport = false;
    bool editPlaySelect = true;
    uint32_t viewMode = 0;            // 0 all, 1 side by side, 2 stacked
    std::u16string editorFontName;    // "MS Gothic" after correction
    uint32_t editorFontSize = 10;
    int32_t monitorLeft = 0;
    int32_t monitorTop = 0;
    bool monitorVisible = false;
    int32_t defaultTrackCount = 3;
    int32_t statFrameRate = 30;       // redraws per second during playback
    bool autoSave = true;
    bool enableGdiPlus = false;       // translucent piano-roll renderer
    bool traceCaret = true;
    bool pianoScroll = true;
    bool clipExportSort = true;
    int32_t pianoInputX = 100;
    int32_t pianoInputY = 200;
    bool pianoInputVisible = false;
    bool excludeSongPart = false;     // the game's "exclude song part": larger limits, no song part
    bool clipExportFiller = true;     // write "<>" for an empty melody
    int32_t clipExportBookRank = 15;  // rank index a score book is cut for
    int32_t pianoRollGrid = 4;        // entry of the piano-roll grid list (4: sixteenth notes, 14: no grid)
    // [MML File Settings]
    bool compact = true;
    bool ifNotSpecifyTpqn = false;
    int32_t specificTpqn = 32;
    // [Midi Settings]
    int32_t outputDls = 0;            // output kind: 0 MIDI port, 1 synthesizer with a bank, 2 synthesizer GM set
    uint32_t porta = 4294967295u;     // MIDI port index; all bits set = first available port
    std::u16string dlsFilePath;
    int32_t resetType = 1;
    std::u16string instrumentsFile;
    bool disableGmPresets = false;
    // [DLS Settings]
    int32_t samplingRate = 2;         // 0 8 kHz, 1 11.025 kHz, 2 22.05 kHz, 3 44.1 kHz
    int32_t dlsChannel = 1;           // 0 mono, 1 stereo
    int32_t dlsVolume = 100;          // percent
    bool enableReverb = false;
    bool enableChorus = false;
    bool enableDelay = false;
    // [SMF Import Settings]
    bool smfProgramChange = false;
    bool smfControlChange = false;
    bool smfPitchBend = false;
    bool smfVelocity = false;
    bool smfMidiText = false;
    bool smfSysEx = false;
    bool smfSpreadTrack = false;
    bool smfSpreadControl = false;
    bool smfChannel = false;
    bool smfReduceRest = true;
    int32_t smfQuantizeValue = 32;
    // [Track Group Edit Settings]
    bool saveOrder = true;
    // [Recent File List], newest first, at most kRecentFileCount
    std::vector<std::u16string> recentFiles;

    friend bool operator==(const Settings&, const Settings&) = default;
};

inline constexpr size_t kRecentFileCount = 10;

// One stored setting: where it lives and which member holds it.
struct SettingField {
    std::u16string_view section;
    std::u16string_view key;
    std::variant<bool Settings::*, int32_t Settings::*, uint32_t Settings::*, std::u16string Settings::*> member;
};

// The settings in the order they are written.
[[nodiscard]] const std::vector<SettingField>& settingFields();

// Replaces every out-of-range value by its stated substitute.
void correctSettings(Settings& settings);

class CIniReader;

// Every setting from text already read, corrected.
[[nodiscard]] Settings settingsFromIni(const CIniReader& reader);

// Reads every setting from one reading of the file (defaults for what is
// missing) and corrects it. A missing or unreadable file gives the corrected defaults.
[[nodiscard]] Settings loadSettings(const std::filesystem::path& iniPath);

// Writes every setting, in table order, then the recent-file list. False when
// the file could not be written.
bool saveSettings(const Settings& settings, const std::filesystem::path& iniPath);

// Puts `path` at the top of the list (moving it when already there, compared
// exactly) and drops entries beyond the tenth.
void addRecentFile(Settings& settings, const std::u16string& path);
void removeRecentFile(Settings& settings, const std::u16string& path);

// The language file chosen in the Language menu ("Language Settings").
[[nodiscard]] std::u16string loadLanguageFile(const std::filesystem::path& iniPath);
bool saveLanguageFile(const std::filesystem::path& iniPath, std::u16string_view languageFile);

// The timebase a document without its own is read with.
[[nodiscard]] int32_t readerTimebase(const Settings& settings);

}  // namespace zema
