#include "app/preferences.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/settings_location.h"
#include "core/ascii.h"
#include "core/strings.h"
#include "core/unicode.h"
#include "document/text_util.h"

namespace zema {

namespace {

std::vector<SettingChoice> timebaseChoices(std::string_view prefix)
{
    constexpr std::array<std::pair<int32_t, std::string_view>, 6> kTimebases = {{
        {32, "032"}, {48, "048"}, {96, "096"}, {120, "120"}, {480, "480"}, {960, "960"},
    }};
    std::vector<SettingChoice> choices;
    for (const auto& [value, suffix] : kTimebases) {
        choices.push_back({loadString(std::string(prefix) + std::string(suffix)), value});
    }
    return choices;
}

bool sameOutput(const Settings& a, const Settings& b)
{
    return a.outputDls == b.outputDls && a.porta == b.porta && a.dlsFilePath == b.dlsFilePath &&
           a.resetType == b.resetType && a.samplingRate == b.samplingRate && a.dlsChannel == b.dlsChannel &&
           a.dlsVolume == b.dlsVolume && a.enableReverb == b.enableReverb && a.enableChorus == b.enableChorus &&
           a.enableDelay == b.enableDelay;
}

}  // namespace

PreferencesChanges diffPreferences(const PreferencesValues& before, const PreferencesValues& after)
{
    PreferencesChanges changes;
    changes.reopenOutput = !sameOutput(before.settings, after.settings);
    changes.reloadPresets = before.settings.instrumentsFile != after.settings.instrumentsFile ||
                            before.settings.disableGmPresets != after.settings.disableGmPresets;
    changes.keysChanged = before.keys.keys() != after.keys.keys();
    return changes;
}

int choiceIndexOf(const std::vector<SettingChoice>& choices, int32_t value, int fallback)
{
    const auto found = std::find_if(choices.begin(), choices.end(),
                                    [value](const SettingChoice& choice) { return choice.value == value; });
    return found == choices.end() ? fallback : static_cast<int>(found - choices.begin());
}

std::vector<SettingChoice> defaultTimebaseChoices() { return timebaseChoices("IDS_CFG_GEN_TPQN_"); }

std::vector<SettingChoice> specificTimebaseChoices() { return timebaseChoices("IDS_TPQN_"); }

std::vector<SettingChoice> windowStyleChoices()
{
    return {{u"Office XP Style", 0}, {u"Office XP 2003 Style", 1}};
}

std::vector<SettingChoice> frameRateChoices()
{
    return {{loadString("IDS_CFG_GEN_30FPS"), 30}, {loadString("IDS_CFG_GEN_60FPS"), 60}};
}

std::vector<SettingChoice> translucentChoices()
{
    return {{loadString("IDS_CFG_GEN_ALPHABLEND_ENABLE"), 1}, {loadString("IDS_CFG_GEN_ALPHABLEND_DISABLE"), 0}};
}

std::u16string editorFontText(std::u16string_view face, uint32_t size)
{
    return std::u16string(face) + u", " + decimalText(size) + u" pt";
}

std::vector<OutputEntry> midiOutputEntries(const std::vector<std::u16string>& portNames, bool synthAvailable)
{
    std::vector<OutputEntry> entries;
    entries.push_back({std::u16string(kFirstPortEntryText), 0, 0xFFFFFFFFu});
    for (size_t port = 0; port < portNames.size(); ++port) {
        entries.push_back({portNames[port], 0, static_cast<uint32_t>(port)});
    }
    if (synthAvailable) {
        entries.push_back({std::u16string(kSynthGeneralEntryText), 2, 0xFFFFFFFFu});
        entries.push_back({std::u16string(kSynthBankEntryText), 1, 0xFFFFFFFFu});
    }
    return entries;
}

int initialOutputEntry(Settings& settings, size_t portCount, bool synthAvailable)
{
    if (!synthAvailable && settings.outputDls != 0) {
        settings.porta = 0xFFFFFFFFu;
        settings.outputDls = 0;
    }
    const int synthGeneral = static_cast<int>(portCount) + 1;
    if (settings.outputDls == 1) return synthGeneral + 1;
    if (settings.outputDls == 2) return synthGeneral;
    return settings.porta < portCount ? static_cast<int>(settings.porta) + 1 : 0;
}

void applyOutputEntry(Settings& settings, int entry, size_t portCount, bool synthAvailable)
{
    settings.outputDls = 0;
    settings.porta = 0xFFFFFFFFu;
    if (entry <= 0) return;
    const auto index = static_cast<size_t>(entry);
    if (index <= portCount) {
        settings.porta = static_cast<uint32_t>(index - 1);
    } else if (synthAvailable && index == portCount + 1) {
        settings.outputDls = 2;
    } else if (synthAvailable && index == portCount + 2) {
        settings.outputDls = 1;
    }
}

std::vector<std::u16string> resetTypeEntries()
{
    return {u"None", u"GM System On", u"GS Reset", u"XG System On", u"Roland SC-88 Mode-1", u"Roland SD-80 Native"};
}

std::vector<std::u16string> samplingRateEntries()
{
    return {loadString("IDS_CFG_DLS_08KHZ"), loadString("IDS_CFG_DLS_11KHZ"), loadString("IDS_CFG_DLS_22KHZ"),
            loadString("IDS_CFG_DLS_44KHZ")};
}

std::vector<std::u16string> channelEntries()
{
    return {loadString("IDS_CFG_DLS_MONO"), loadString("IDS_CFG_DLS_STEREO")};
}

std::u16string volumeText(int percent) { return decimalText(percent) + u"%"; }

std::u16string bankFileFilter()
{
    std::u16string filter = loadString("IDS_CFG_DLS_FILEFILTER");
    if (asciiLowered(filter).find(u"*.sf2") != std::u16string::npos) return filter;
    // The synthesizer reads SoundFont banks as well: the first entry's
    // patterns (after its name) take them in too.
    const size_t nameEnd = filter.find(u'|');
    if (nameEnd == std::u16string::npos) return filter;
    const size_t patternEnd = filter.find(u'|', nameEnd + 1);
    filter.insert(patternEnd == std::u16string::npos ? filter.size() : patternEnd, u";*.sf2");
    return filter;
}

std::filesystem::path instrumentsFilePath(std::u16string_view stored, const std::filesystem::path& settingsFolder)
{
    if (stored.empty()) return {};
    std::u16string file(stored);
    std::replace(file.begin(), file.end(), u'\\', u'/');
    const std::filesystem::path path(file);
    return path.is_relative() ? settingsFolder / path : path;
}

std::filesystem::path defaultInstrumentsFile(const std::optional<std::filesystem::path>& programDir)
{
    const auto data = dataFolder(programDir);
    return data ? *data / "Instruments" / "Mabinogi.def" : std::filesystem::path{};
}

std::filesystem::path instrumentsFileToLoad(std::u16string_view stored, const std::filesystem::path& settingsFolder,
                                            const std::optional<std::filesystem::path>& programDir)
{
    return stored.empty() ? defaultInstrumentsFile(programDir) : instrumentsFilePath(stored, settingsFolder);
}

std::u16string absolutePathText(std::u16string_view path)
{
    if (path.empty()) return {};
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(utf16ToUtf8(path)), error);
    if (error) return std::u16string(path);
    return utf8ToUtf16(absolute.lexically_normal().string());
}

}  // namespace zema
