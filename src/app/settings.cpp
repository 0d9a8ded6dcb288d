#include "app/settings.h"

#include <algorithm>
#include <initializer_list>

#include "app/inifile.h"
#include "document/ini_reader.h"
#include "document/text_util.h"

namespace zema {

namespace {

constexpr std::u16string_view kApplication = u"ApplicationData";
constexpr std::u16string_view kMmlFile = u"MML File Settings";
constexpr std::u16string_view kMidi = u"Midi Settings";
constexpr std::u16string_view kDls = u"DLS Settings";
constexpr std::u16string_view kSmfImport = u"SMF Import Settings";
constexpr std::u16string_view kTrackGroup = u"Track Group Edit Settings";
constexpr std::u16string_view kRecentFiles = u"Recent File List";
constexpr std::u16string_view kLanguage = u"Language Settings";

bool isOneOf(int32_t value, std::initializer_list<int32_t> allowed)
{
    return std::find(allowed.begin(), allowed.end(), value) != allowed.end();
}

void keepInRange(int32_t& value, int32_t low, int32_t high, int32_t substitute)
{
    if (value < low || value > high) value = substitute;
}

void keepPaneSize(uint32_t& value)
{
    if (value == 0 || value > 2147483647u) value = 1;
}

std::u16string recentKey(size_t index) { return u"File" + decimalText(static_cast<int64_t>(index + 1)); }

}  // namespace

const std::vector<SettingField>& settingFields()
{
    static const std::vector<SettingField> fields = {
        {kApplication, u"EditScroll", &Settings::editScroll},
        {kApplication, u"Window_Style", &Settings::windowStyle},
        {kApplication, u"DefaultTimeBase", &Settings::defaultTimeBase},
        {kApplication, u"PianoRollHeight", &Settings::pianoRollHeight},
        {kApplication, u"PianoRollWidth", &Settings::pianoRollWidth},
        {kApplication, u"PianoRollTargetV2", &Settings::pianoRollTarget},
        {kApplication, u"PianoRollVMag", &Settings::pianoRollVMag},
        {kApplication, u"PianoRollHMag", &Settings::pianoRollHMag},
        {kApplication, u"OptClipExport", &Settings::optClipExport},
        {kApplication, u"EditPlaySelect", &Settings::editPlaySelect},
        {kApplication, u"ViewMode", &Settings::viewMode},
        {kApplication, u"EditorFontName", &Settings::editorFontName},
        {kApplication, u"EditorFontSize", &Settings::editorFontSize},
        {kApplication, u"Monitor_Left", &Settings::monitorLeft},
        {kApplication, u"Monitor_Top", &Settings::monitorTop},
        {kApplication, u"Monitor_Visible", &Settings::monitorVisible},
        {kApplication, u"DefaultTrackCount", &Settings::defaultTrackCount},
        {kApplication, u"StatFrameRate", &Settings::statFrameRate},
        {kApplication, u"AutoSave", &Settings::autoSave},
        {kApplication, u"EnableGDIPlus", &Settings::enableGdiPlus},
        {kApplication, u"TraceCaret", &Settings::traceCaret},
        {kApplication, u"PianoScroll", &Settings::pianoScroll},
        {kApplication, u"ClipExportSort", &Settings::clipExportSort},
        {kApplication, u"PianoInput_X", &Settings::pianoInputX},
        {kApplication, u"PianoInput_Y", &Settings::pianoInputY},
        {kApplication, u"PianoInput_Visible", &Settings::pianoInputVisible},
        {kApplication, u"ExcludeSongPart", &Settings::excludeSongPart},
        {kApplication, u"ClipExportMelodyFiller", &Settings::clipExportFiller},
        {kApplication, u"ClipExportBookRank", &Settings::clipExportBookRank},
        {kApplication, u"PianoRollGrid", &Settings::pianoRollGrid},
        {kMmlFile, u"Compact", &Settings::compact},
        {kMmlFile, u"IfNotSpecifyTpqn", &Settings::ifNotSpecifyTpqn},
        {kMmlFile, u"SpecificTPQN", &Settings::specificTpqn},
        {kMidi, u"OutputDLS", &Settings::outputDls},
        {kMidi, u"PORTA", &Settings::porta},
        {kMidi, u"DLSFilePath", &Settings::dlsFilePath},
        {kMidi, u"ResetType", &Settings::resetType},
        {kMidi, u"InstrumentsFile", &Settings::instrumentsFile},
        {kMidi, u"DisableGMPresets", &Settings::disableGmPresets},
        {kDls, u"SamplingRate", &Settings::samplingRate},
        {kDls, u"Channel", &Settings::dlsChannel},
        {kDls, u"Volume", &Settings::dlsVolume},
        {kDls, u"EnableReverb", &Settings::enableReverb},
        {kDls, u"EnableChorus", &Settings::enableChorus},
        {kDls, u"EnableDelay", &Settings::enableDelay},
        {kSmfImport, u"ProgramChange", &Settings::smfProgramChange},
        {kSmfImport, u"ControlChange", &Settings::smfControlChange},
        {kSmfImport, u"PitchBend", &Settings::smfPitchBend},
        {kSmfImport, u"Velocity", &Settings::smfVelocity},
        {kSmfImport, u"MidiText", &Settings::smfMidiText},
        {kSmfImport, u"SysEx", &Settings::smfSysEx},
        {kSmfImport, u"SpreadTrack", &Settings::smfSpreadTrack},
        {kSmfImport, u"SpreadControl", &Settings::smfSpreadControl},
        {kSmfImport, u"Channel", &Settings::smfChannel},
        {kSmfImport, u"ReduceRest", &Settings::smfReduceRest},
        {kSmfImport, u"QuantizeValue", &Settings::smfQuantizeValue},
        {kTrackGroup, u"SaveOrder", &Settings::saveOrder},
    };
    return fields;
}

void correctSettings(Settings& s)
{
    const std::initializer_list<int32_t> kTimebases = {32, 48, 96, 120, 480, 960};
    keepInRange(s.windowStyle, 0, 1, 0);
    keepInRange(s.clipExportBookRank, 0, 15, 15);
    if (!isOneOf(s.defaultTimeBase, kTimebases)) s.defaultTimeBase = 96;
    keepPaneSize(s.pianoRollHeight);
    keepPaneSize(s.pianoRollWidth);
    keepInRange(s.pianoRollTarget, 1, 5, 0);
    keepInRange(s.pianoRollGrid, 0, 14, 4);
    if (s.viewMode > 2) s.viewMode = 0;
    if (s.editorFontName.empty()) s.editorFontName = u"MS Gothic";
    if (s.editorFontSize == 0) s.editorFontSize = 10;
    keepInRange(s.defaultTrackCount, 1, 15, 3);
    if (!isOneOf(s.statFrameRate, {30, 60})) s.statFrameRate = 30;
    if (!isOneOf(s.specificTpqn, kTimebases)) s.specificTpqn = 96;
    keepInRange(s.outputDls, 0, 2, 0);
    keepInRange(s.resetType, 0, 5, 1);
    keepInRange(s.samplingRate, 0, 3, 2);
    keepInRange(s.dlsChannel, 0, 1, 1);
    keepInRange(s.dlsVolume, 0, 100, 100);
    if (!isOneOf(s.smfQuantizeValue, {4, 8, 16, 32, 64})) s.smfQuantizeValue = 32;
    if (s.recentFiles.size() > kRecentFileCount) s.recentFiles.resize(kRecentFileCount);
}

Settings settingsFromIni(const CIniReader& reader)
{
    const CIniValues ini(reader);
    const Settings defaults;
    Settings settings;
    for (const SettingField& field : settingFields()) {
        std::visit(
            [&](auto member) {
                using Value = std::remove_cvref_t<decltype(settings.*member)>;
                if constexpr (std::is_same_v<Value, bool>) {
                    settings.*member = ini.getBool(field.section, field.key, defaults.*member);
                } else if constexpr (std::is_same_v<Value, int32_t>) {
                    settings.*member = ini.getInt(field.section, field.key, defaults.*member);
                } else if constexpr (std::is_same_v<Value, uint32_t>) {
                    settings.*member = ini.getUnsigned(field.section, field.key, defaults.*member);
                } else {
                    settings.*member = ini.getString(field.section, field.key, defaults.*member);
                }
            },
            field.member);
    }
    for (size_t i = 0; i < kRecentFileCount; ++i) {
        std::u16string path = ini.getString(kRecentFiles, recentKey(i), u"");
        if (!path.empty()) settings.recentFiles.push_back(std::move(path));
    }
    correctSettings(settings);
    return settings;
}

Settings loadSettings(const std::filesystem::path& iniPath)
{
    CIniReader reader;
    if (!reader.loadFile(iniPath)) reader.loadText(u"");
    return settingsFromIni(reader);
}

bool saveSettings(const Settings& settings, const std::filesystem::path& iniPath)
{
    bool ok = true;
    for (const SettingField& field : settingFields()) {
        const CInifile ini(iniPath, std::u16string(field.section));
        std::visit(
            [&](auto member) {
                using Value = std::remove_cvref_t<decltype(settings.*member)>;
                if constexpr (std::is_same_v<Value, bool>) {
                    ok = ini.setBool(field.key, settings.*member) && ok;
                } else if constexpr (std::is_same_v<Value, int32_t>) {
                    ok = ini.setInt(field.key, settings.*member) && ok;
                } else if constexpr (std::is_same_v<Value, uint32_t>) {
                    ok = ini.setUnsigned(field.key, settings.*member) && ok;
                } else {
                    ok = ini.setString(field.key, settings.*member) && ok;
                }
            },
            field.member);
    }
    const CInifile recent(iniPath, std::u16string(kRecentFiles));
    for (size_t i = 0; i < kRecentFileCount; ++i) {
        if (i < settings.recentFiles.size()) {
            ok = recent.setString(recentKey(i), settings.recentFiles[i]) && ok;
        } else {
            ok = recent.remove(recentKey(i)) && ok;
        }
    }
    return ok;
}

void addRecentFile(Settings& settings, const std::u16string& path)
{
    if (path.empty()) return;
    removeRecentFile(settings, path);
    settings.recentFiles.insert(settings.recentFiles.begin(), path);
    if (settings.recentFiles.size() > kRecentFileCount) settings.recentFiles.resize(kRecentFileCount);
}

void removeRecentFile(Settings& settings, const std::u16string& path)
{
    std::erase(settings.recentFiles, path);
}

std::u16string loadLanguageFile(const std::filesystem::path& iniPath)
{
    return CInifile(iniPath, std::u16string(kLanguage)).getString(u"LanguageFile", u"");
}

bool saveLanguageFile(const std::filesystem::path& iniPath, std::u16string_view languageFile)
{
    return CInifile(iniPath, std::u16string(kLanguage)).setString(u"LanguageFile", languageFile);
}

int32_t readerTimebase(const Settings& settings)
{
    return settings.ifNotSpecifyTpqn ? settings.specificTpqn : settings.defaultTimeBase;
}

}  // namespace zema
