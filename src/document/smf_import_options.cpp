#include "document/smf_import_options.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/strings.h"
#include "core/unicode.h"
#include "document/ini_reader.h"
#include "document/text_util.h"

namespace zema {

namespace {

std::u16string replaceFirst(std::u16string text, std::u16string_view pattern, std::u16string_view replacement)
{
    const size_t at = text.find(pattern);
    if (at != std::u16string::npos) text.replace(at, pattern.size(), replacement);
    return text;
}

std::u16string ascii(const char* text) { return utf8ToUtf16(text); }

// The option fields in the order of the settings keys; the channel option has none.
struct SettingsKey {
    const char16_t* key;
    bool SmfImportOptions::*field;
};
constexpr SettingsKey kSettingsKeys[] = {
    {u"ProgramChange", &SmfImportOptions::programChange}, {u"ControlChange", &SmfImportOptions::controlChange},
    {u"PitchBend", &SmfImportOptions::pitchBend},         {u"Velocity", &SmfImportOptions::velocity},
    {u"MidiText", &SmfImportOptions::midiText},           {u"SysEx", &SmfImportOptions::sysEx},
    {u"ReduceRest", &SmfImportOptions::reduceRest},       {u"SpreadTrack", &SmfImportOptions::spreadTrack},
    {u"SpreadControl", &SmfImportOptions::spreadControl},
};
constexpr std::u16string_view kQuantizeKey = u"QuantizeValue";

}  // namespace

int32_t normalizeQuantizeValue(int32_t value)
{
    return std::find(kSmfQuantizeValues.begin(), kSmfQuantizeValues.end(), value) != kSmfQuantizeValues.end() ? value
                                                                                                                : 32;
}

std::vector<std::u16string> quantizeItemTexts()
{
    std::vector<std::u16string> items;
    for (int32_t value : kSmfQuantizeValues) {
        char symbol[32];
        std::snprintf(symbol, sizeof symbol, "IDS_SMF_IM_Q_%02d", static_cast<int>(value));
        items.push_back(loadString(symbol));
    }
    return items;
}

int32_t quantizeUnit(int32_t timebase, int32_t quantizeValue)
{
    if (quantizeValue <= 0) return std::max(1, timebase);
    return std::max<int32_t>(1, static_cast<int32_t>(int64_t{timebase} * 4 / quantizeValue));
}

std::u16string importInformationText(int32_t timebase, int32_t quantizeValue)
{
    const double unit = quantizeValue > 0 ? timebase * 4.0 / quantizeValue : 0.0;
    char numbers[96];
    std::u16string text = loadString("IDS_SMF_IM_TPQN");
    std::snprintf(numbers, sizeof numbers, " : %d TPQN\n", static_cast<int>(timebase));
    text += ascii(numbers) + loadString("IDS_SMF_IM_Q_TICK");
    if (unit == std::floor(unit)) {
        std::snprintf(numbers, sizeof numbers, " : %d tick", static_cast<int>(unit));
        text += ascii(numbers);
    } else {
        std::snprintf(numbers, sizeof numbers, " : %.2f tick\n", unit);
        text += ascii(numbers) + loadString("IDS_SMF_IM_Q_ERROR");
    }
    return text;
}

void readSmfImportSettings(const CIniReader& settings, SmfImportOptions& options)
{
    for (const SettingsKey& entry : kSettingsKeys) {
        if (const auto value = settings.value(kSmfImportSettingsSection, entry.key)) {
            options.*entry.field = parseInt(*value) != 0;
        }
    }
    if (const auto value = settings.value(kSmfImportSettingsSection, kQuantizeKey)) {
        options.quantizeValue = normalizeQuantizeValue(parseInt(*value));
    }
}

std::vector<std::pair<std::u16string, int32_t>> smfImportSettingsEntries(const SmfImportOptions& options)
{
    std::vector<std::pair<std::u16string, int32_t>> entries;
    for (const SettingsKey& entry : kSettingsKeys) entries.emplace_back(entry.key, options.*entry.field ? 1 : 0);
    entries.emplace_back(kQuantizeKey, options.quantizeValue);
    return entries;
}

std::u16string profileName(SmfImportProfile profile)
{
    static constexpr const char* kSymbols[kSmfImportProfileCount] = {
        "IDS_SMF_IM_PF_CUSTOM",    "IDS_SMF_IM_PF_MABI_N", "IDS_SMF_IM_PF_MABI_R",
        "IDS_SMF_IM_PF_MABI_C", "IDS_SMF_IM_PF_EX_MANY",   "IDS_SMF_IM_PF_EX_ONE",
    };
    const int index = static_cast<int>(profile);
    return index >= 0 && index < kSmfImportProfileCount ? loadString(kSymbols[index]) : std::u16string();
}

SmfTrackSelectionRule applyProfile(SmfImportProfile profile, SmfImportOptions& options)
{
    // Mabinogi profiles write the game's own dialect (no extended data);
    // extended profiles carry everything.
    auto set = [&options](bool extended, bool pitch, bool reduceRest, bool spread, bool spreadControl) {
        options.programChange = extended;
        options.controlChange = extended;
        options.pitchBend = pitch;
        options.velocity = extended;
        options.midiText = extended;
        options.sysEx = extended;
        options.channel = extended;
        options.reduceRest = reduceRest;
        options.spreadTrack = spread;
        options.spreadControl = spreadControl;
    };
    switch (profile) {
    case SmfImportProfile::Custom:
        return SmfTrackSelectionRule::Unchanged;
    case SmfImportProfile::MabinogiNormal:
        set(false, false, false, false, false);
        return SmfTrackSelectionRule::Auto;
    case SmfImportProfile::MabinogiSaving:
        set(false, false, true, false, false);
        return SmfTrackSelectionRule::Auto;
    case SmfImportProfile::MabinogiChord:
        set(false, false, false, true, false);
        return SmfTrackSelectionRule::Clear;
    case SmfImportProfile::ExtendedMulti:
        set(true, false, false, false, false);
        return SmfTrackSelectionRule::Auto;
    case SmfImportProfile::ExtendedSingle:
        set(true, true, false, true, true);
        return SmfTrackSelectionRule::Clear;
    }
    return SmfTrackSelectionRule::Unchanged;
}

std::vector<bool> autoSelection(const std::vector<std::u16string>& entryTexts)
{
    std::vector<bool> selected(entryTexts.size(), false);
    int count = 0;
    for (size_t i = 0; i < entryTexts.size() && count < kSmfImportMaxTracks; ++i) {
        if (entryTexts[i].find(u"A10") != std::u16string::npos) continue;
        selected[i] = true;
        ++count;
    }
    return selected;
}

std::vector<bool> applySelectionRule(SmfTrackSelectionRule rule, const std::vector<std::u16string>& entryTexts,
                                     const std::vector<bool>& current)
{
    switch (rule) {
    case SmfTrackSelectionRule::Auto:
        return autoSelection(entryTexts);
    case SmfTrackSelectionRule::Clear:
        return std::vector<bool>(entryTexts.size(), false);
    case SmfTrackSelectionRule::Unchanged:
        break;
    }
    std::vector<bool> selection = current;
    selection.resize(entryTexts.size(), false);
    return selection;
}

std::optional<std::u16string> checkTrackSelection(const std::vector<bool>& selected, bool spreadTrack)
{
    const auto count = std::count(selected.begin(), selected.end(), true);
    if (count == 0) return loadString("IDS_SMF_IM_NOTRACK");
    if (spreadTrack && count > 1) return loadString("IDS_SMF_IM_1TRACK");
    if (count > kSmfImportMaxTracks) {
        return replaceFirst(loadString("IDS_SMF_IM_TOOMANYTRACKS"), u"%d", decimalText(kSmfImportMaxTracks));
    }
    return std::nullopt;
}

}  // namespace zema
