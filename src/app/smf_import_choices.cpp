#include "app/smf_import_choices.h"

#include <algorithm>
#include <iterator>

#include "app/settings.h"

namespace zema {

namespace {

struct OptionPlace {
    SmfOption option;
    const char* symbol;
    bool SmfImportOptions::*field;
    bool Settings::*setting;
};

constexpr OptionPlace kOptions[kSmfOptionCount] = {
    {SmfOption::Program, "IDC_CHK_PROGRAM", &SmfImportOptions::programChange, &Settings::smfProgramChange},
    {SmfOption::Control, "IDC_CHK_CONTROL", &SmfImportOptions::controlChange, &Settings::smfControlChange},
    {SmfOption::Pitch, "IDC_CHK_PITCH", &SmfImportOptions::pitchBend, &Settings::smfPitchBend},
    {SmfOption::Velocity, "IDC_CHK_VELOCITY", &SmfImportOptions::velocity, &Settings::smfVelocity},
    {SmfOption::Comment, "IDC_CHK_COMMENT", &SmfImportOptions::midiText, &Settings::smfMidiText},
    {SmfOption::SysEx, "IDC_CHK_SYSEX", &SmfImportOptions::sysEx, &Settings::smfSysEx},
    {SmfOption::Channel, "IDC_CHK_CHANNEL", &SmfImportOptions::channel, &Settings::smfChannel},
    {SmfOption::ReduceRest, "IDC_CHK_REDUCE_REST", &SmfImportOptions::reduceRest, &Settings::smfReduceRest},
    {SmfOption::Spread, "IDC_CHK_SPREAD", &SmfImportOptions::spreadTrack, &Settings::smfSpreadTrack},
    {SmfOption::SpreadControl, "IDC_CHK_SPREAD_CTRL", &SmfImportOptions::spreadControl,
     &Settings::smfSpreadControl},
};

const OptionPlace& placeOf(SmfOption option) { return kOptions[static_cast<size_t>(option)]; }

}  // namespace

const char* smfOptionSymbol(SmfOption option) { return placeOf(option).symbol; }

SmfImportOptions smfImportOptionsOf(const Settings& settings)
{
    SmfImportOptions options;
    for (const OptionPlace& place : kOptions) options.*place.field = settings.*place.setting;
    options.quantizeValue = normalizeQuantizeValue(settings.smfQuantizeValue);
    return options;
}

void storeSmfImportOptions(const SmfImportOptions& options, Settings& settings)
{
    for (const OptionPlace& place : kOptions) settings.*place.setting = options.*place.field;
    settings.smfQuantizeValue = normalizeQuantizeValue(options.quantizeValue);
}

SmfImportChoices::SmfImportChoices(SmfTrackList tracks, const SmfImportOptions& options)
    : tracks_(std::move(tracks)), texts_(tracks_.texts()), selected_(autoSelection(texts_)), options_(options)
{
    options_.quantizeValue = normalizeQuantizeValue(options_.quantizeValue);
}

void SmfImportChoices::setSelected(size_t entry, bool selected)
{
    if (entry < selected_.size()) selected_[entry] = selected;
}

void SmfImportChoices::clearSelection() { std::fill(selected_.begin(), selected_.end(), false); }

void SmfImportChoices::chooseProfile(SmfImportProfile profile)
{
    profile_ = profile;
    selected_ = applySelectionRule(applyProfile(profile, options_), texts_, selected_);
}

bool SmfImportChoices::option(SmfOption option) const { return options_.*placeOf(option).field; }

void SmfImportChoices::setOption(SmfOption option, bool on)
{
    if (this->option(option) == on) return;
    options_.*placeOf(option).field = on;
    profile_ = SmfImportProfile::Custom;
}

bool SmfImportChoices::enabled(SmfOption option) const
{
    return option != SmfOption::SpreadControl || options_.spreadTrack;
}

int SmfImportChoices::quantizeIndex() const
{
    const auto at = std::find(kSmfQuantizeValues.begin(), kSmfQuantizeValues.end(), options_.quantizeValue);
    return static_cast<int>(std::distance(kSmfQuantizeValues.begin(), at));
}

void SmfImportChoices::chooseQuantize(int index)
{
    if (index >= 0 && static_cast<size_t>(index) < kSmfQuantizeValues.size()) {
        options_.quantizeValue = kSmfQuantizeValues[static_cast<size_t>(index)];
    }
}

std::u16string SmfImportChoices::information() const
{
    return importInformationText(tracks_.header.timebase, options_.quantizeValue);
}

std::optional<std::u16string> SmfImportChoices::check() const
{
    return checkTrackSelection(selected_, options_.spreadTrack);
}

}  // namespace zema
