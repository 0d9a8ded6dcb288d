#include "document/instrument_definitions.h"

#include "document/locale_id.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <new>
#include <cstring>

#include "document/smf_file_io.h"
#include "document/text_util.h"

namespace zema {

namespace {

constexpr std::u16string_view kPresetSection = u"Instrument presets";
constexpr size_t kGmNameWidth = 23;

constexpr std::array<std::u16string_view, 128> kGmNames = {
    u"Acoustic Grand Piano", u"Bright Piano", u"Electric Grand Piano", u"Honky-Tonk Piano", u"Electric Piano 1",
    u"Electric Piano 2", u"Harpsichord", u"Clavinet", u"Celesta", u"Glockenspiel", u"Music Box", u"Vibraphone",
    u"Marimba", u"Xylophone", u"Tubular bells", u"Dulcimer", u"Drawbar Organ", u"Percussive Organ", u"Rock Organ",
    u"Church Organ", u"Reed Organ", u"Accordion", u"Harmonica", u"Tango Accordion", u"Nylon String Guitar",
    u"Steel String Guitar", u"Jazz Guitar", u"Clean Electric Guitar", u"Muted Electric Guitar", u"Overdrive Guitar",
    u"Distortion Guitar", u"Guitar Harmonics", u"Accoustic Bass", u"Fingered Bass", u"Picked Bass", u"Fretless Bass",
    u"Slap Bass 1", u"Slap Bass 2", u"Synth Bass 1", u"Synth Bass 2", u"Violin", u"Viola", u"Cello", u"Contrabass",
    u"Tremolo Strings", u"Pizzicato Strings", u"Orchestral Harp", u"Timpani", u"String Ensemble 1",
    u"String Ensemble 2", u"Synth Strings 1", u"Synth Strings 2", u"Choir \"ahh\"", u"Choir \"oohh\"", u"Synth Voice",
    u"Orchestral Hit", u"Trumpet", u"Trombone", u"Tuba", u"Muted Trumpet", u"French Horn", u"Brass Section",
    u"Synth Brass 1", u"Synth Brass 2", u"Soprano Sax", u"Alto Sax", u"Tenor Sax", u"Baritone Sax", u"Oboe",
    u"English Horn", u"Bassoon", u"Clarinet", u"Piccolo", u"Flute", u"Recorder", u"Pan flute", u"Blown Bottle",
    u"Shakuhachi", u"Whistle", u"Ocarina", u"Square Wave", u"Sawtooth Wave", u"Caliope", u"Chiff", u"Charang",
    u"Voice", u"Fifths", u"Bass & Lead", u"New Age", u"Warm", u"PolySynth", u"Choir", u"Bowed", u"Metallic", u"Halo",
    u"Sweep", u"FX: Rain", u"FX: Soundtrack", u"FX: Crystal", u"FX: Atmosphere", u"FX: Brightness", u"FX: Goblins",
    u"FX: Echo Drops", u"FX: Star Theme", u"Sitar", u"Banjo", u"Shamisen", u"Koto", u"Kalimba", u"Bagpipe", u"Fiddle",
    u"Shanai", u"Tinkle bell", u"Agogo", u"Steel Drums", u"Woodblock", u"Taiko Drum", u"Melodic Tom", u"Synth Drum",
    u"Reverse Cymbal", u"Guitar Fret Noise", u"Breath Noise", u"Seashore", u"Bird Tweet", u"Telephone Ring",
    u"Helicopter", u"Applause", u"Gunshot",
};

// The fields of "%d,%d,%d,%d,%d,%d,%d,%d,%d,%d": how many converted, and
// their values.
std::vector<int64_t> scanFields(std::u16string_view value)
{
    std::vector<int64_t> fields;
    FieldScanner scanner(value);
    while (fields.size() < 10) {
        const auto field = scanner.decimal();
        if (!field) break;
        fields.push_back(*field);
        if (!scanner.literal(u',')) break;
    }
    return fields;
}

std::u16string numbered(int64_t number, std::u16string_view name)
{
    char digits[32];
    std::snprintf(digits, sizeof digits, "%03lld: ", static_cast<long long>(number));
    std::u16string text(digits, digits + std::strlen(digits));
    text += name;
    return text;
}

}  // namespace

ReadStatus loadInstrumentPresets(const std::filesystem::path& path, int32_t languageId,
                                 std::vector<InstrumentPreset>& presets)
{
    presets.clear();
    int systemError = 0;
    const std::optional<std::string> bytes = readFileBytes(path, systemError);
    if (!bytes) return ReadStatus::unreadable(systemError);
    if (bytes->find_first_not_of(" \t\r\n") == std::string::npos) return ReadStatus::of(ReadStatusKind::Empty);
    try {
        CIniReader ini;
        ini.loadBytes(*bytes);
        readInstrumentPresets(ini, languageId, presets);
    } catch (const std::bad_alloc&) {
        presets.clear();
        return ReadStatus::unreadable(ENOMEM);
    }
    if (presets.empty()) return ReadStatus::of(ReadStatusKind::WrongKind, ReadDetail::NotInstruments);
    return {};
}

void readInstrumentPresets(const CIniReader& ini, int32_t languageId, std::vector<InstrumentPreset>& presets)
{
    presets.clear();
    const std::u16string languageSection = decimalText(languageId != 0 ? languageId : systemLanguageId());
    for (const std::u16string& key : ini.keys(kPresetSection)) {
        const std::vector<int64_t> f = scanFields(ini.value(kPresetSection, key).value_or(u""));
        if (f.size() != 7) continue;
        const auto inByte = [](int64_t v) { return v >= 0 && v <= 127; };
        if (f[2] < 1 || f[2] > 128 || !inByte(f[3]) || !inByte(f[4]) || !inByte(f[5]) || !inByte(f[6])) continue;
        InstrumentPreset preset;
        preset.preset = static_cast<int32_t>(f[0]);
        preset.second = static_cast<int32_t>(f[1]);
        preset.program = static_cast<int32_t>(f[2] - 1);
        preset.bankHigh = static_cast<int32_t>(f[3]);
        preset.bankLow = static_cast<int32_t>(f[4]);
        preset.patch = preset.bankHigh * 65536 + preset.bankLow * 256 + preset.program;
        const auto name = ini.value(languageSection, key);
        preset.name = (name && !name->empty()) ? *name : key;
        presets.push_back(std::move(preset));
    }
}

std::u16string gmProgramName(int32_t program)
{
    if (program < 0 || program > 127) return {};
    std::u16string name(kGmNames[static_cast<size_t>(program)]);
    if (name.size() < kGmNameWidth) name.resize(kGmNameWidth, u' ');
    return name;
}

std::vector<InstrumentListItem> instrumentListItems(const std::vector<InstrumentPreset>& presets, bool withGeneralMidi)
{
    std::vector<InstrumentListItem> items;
    for (size_t i = 0; i < presets.size(); ++i) {
        items.push_back({numbered(int64_t{presets[i].preset} + 1, presets[i].name), static_cast<int32_t>(i), true});
    }
    if (withGeneralMidi) {
        for (int32_t program = 0; program < 128; ++program) {
            items.push_back({numbered(program + 1, gmProgramName(program)), program, false});
        }
    }
    return items;
}

}  // namespace zema
