#include "app/event_list_text.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>

namespace zema {

namespace {

namespace colours = event_list_colours;

// Steps longer than this leave the step column empty: it is only four wide.
constexpr int32_t kLargestShownStep = 9999;

constexpr Rgb kControllerDefault{128, 0, 0};
constexpr Rgb kControllerBank{128, 0, 128};
constexpr Rgb kControllerModulation{0, 0, 208};
constexpr Rgb kControllerVolume{208, 0, 0};
constexpr Rgb kControllerPanpot{180, 180, 0};
constexpr Rgb kControllerParameter{64, 69, 92};
constexpr Rgb kControllerSound{0, 128, 128};

struct NamedController {
    int number;
    std::string_view name;
};

// Names padded to 20 characters, so the value column lines up after them.
constexpr NamedController kNamedControllers[] = {
    {0, "Bank Select MSB     "},  {1, "Modulation          "},  {2, "Breath              "},
    {5, "Potamento Time      "},  {6, "DATA ENTRY MSB      "},  {7, "Volume              "},
    {8, "Balance             "},  {10, "Panpot              "}, {11, "Expression          "},
    {32, "Bank Select LSB     "}, {38, "DATA ENTRY LSB      "}, {64, "Hold 1              "},
    {65, "Portamento          "}, {66, "Sostenuto           "}, {67, "Soft Pedal          "},
    {68, "Legato              "}, {69, "Hold 2              "}, {70, "Sound Variation     "},
    {71, "Harmonic Content    "}, {72, "Release Time        "}, {73, "Attack Time         "},
    {74, "Brightness          "}, {75, "Decay Time          "}, {76, "Vibrato Rate        "},
    {77, "Vibrato Depth       "}, {78, "Vibrato Delay       "}, {79, "Sound Ctrl 10       "},
    {80, "GPC 5               "}, {81, "GPC 6               "}, {82, "GPC 7               "},
    {83, "GPC 8               "}, {84, "Portamento          "}, {91, "Reverb              "},
    {92, "Tremolo             "}, {93, "Chorus              "}, {94, "Variation           "},
    {95, "Phaser              "}, {96, "Data Increment      "}, {97, "Data Decrement      "},
    {98, "NRPN LSB            "}, {99, "NRPN MSB            "}, {100, "RPN LSB             "},
    {101, "RPN MSB             "}, {120, "All Sound OFF       "}, {121, "Reset All Ctrl      "},
    {122, "Local Control       "}, {123, "All Note OFF        "}, {124, "OMNI OFF            "},
    {125, "OMNI ON             "}, {126, "MONO                "}, {127, "POLY                "},
};

Rgb controllerColour(int number)
{
    switch (number) {
    case 0:
    case 32: return kControllerBank;
    case 1:
    case 94: return kControllerModulation;
    case 7:
    case 11: return kControllerVolume;
    case 10: return kControllerPanpot;
    case 6:
    case 38: return kControllerParameter;
    default: break;
    }
    if (number >= 98 && number <= 101) return kControllerParameter;
    if ((number >= 70 && number <= 78) || number == 93) return kControllerSound;
    return kControllerDefault;
}

std::array<ControllerInfo, 128> buildControllerTable()
{
    std::array<ControllerInfo, 128> table{};
    for (int number = 0; number < 128; ++number) {
        ControllerInfo& info = table[static_cast<size_t>(number)];
        info.colour = controllerColour(number);
        info.isSwitch = number >= 64 && number <= 67;
    }
    for (const NamedController& named : kNamedControllers) table[static_cast<size_t>(named.number)].name = named.name;
    return table;
}

[[gnu::format(printf, 1, 2)]] std::string format(const char* pattern, ...)
{
    std::array<char, 128> buffer{};
    va_list arguments;
    va_start(arguments, pattern);
    const int written = std::vsnprintf(buffer.data(), buffer.size(), pattern, arguments);
    va_end(arguments);
    if (written <= 0) return {};
    return std::string(buffer.data(), std::min<size_t>(static_cast<size_t>(written), buffer.size() - 1));
}

std::string positionText(const TrackEvent& event, const TimingContext& timing)
{
    const int32_t measureTicks = ticksPerMeasure(timing);
    const int measure = event.tick / measureTicks;
    const int tick = event.tick % measureTicks;
    switch (event.kind) {
    case TrackEventKind::Measure: return format(" %4d:0000      Meas %d ", measure, event.value);
    case TrackEventKind::TrackEnd: return format(" %4d:%04d %4d", measure, tick, event.step);
    case TrackEventKind::TrackStart: return format(" %4d:%04d      ZEM Extension MML", measure, tick);
    case TrackEventKind::Note:
    case TrackEventKind::Tempo:
    case TrackEventKind::PitchBend:
    case TrackEventKind::Program:
    case TrackEventKind::Control:
        if (event.step <= kLargestShownStep) return format(" %4d:%04d %4d", measure, tick, event.step);
        break;
    default: break;
    }
    return format(" %4d:%04d", measure, tick);
}

std::string controlText(const TrackEvent& event)
{
    const int controller = event.value & 0x7F;
    if (controller == 10) return format("Panpot                    %6d", event.value2 - 64);
    const ControllerInfo& info = controllerInfo(controller);
    if (!info.name.empty()) {
        return format("%.*s      %6d", static_cast<int>(info.name.size()), info.name.data(), event.value2);
    }
    return format("Control Change [%3d]      %6d", controller, event.value2);
}

std::string sysExText(const TrackEvent& event)
{
    std::string text = "Ex:";
    const size_t shown = std::min<size_t>(event.data.size(), 10);
    for (size_t i = 0; i < shown; ++i) text += format("%02X ", event.data[i]);
    return text;
}

std::string eventText(const TrackEvent& event)
{
    switch (event.kind) {
    case TrackEventKind::Note:
        return format(event.sharp != 0 ? "%c# %d [%3d]     %5d      %6d" : "%c  %d [%3d]     %5d      %6d",
                      static_cast<char>(event.letter), event.octave, event.noteNumber, event.length, event.value);
    case TrackEventKind::Rest:
        return format("R  %d [%3d]     %5d      %6d", event.octave, event.noteNumber, event.length, event.value);
    case TrackEventKind::Program: return format("Program Change            %6d", event.value);
    case TrackEventKind::Tempo: return format("Tempo                     %6d", event.value);
    case TrackEventKind::MarkerEntry: return format("Marker                    %6d", event.value);
    case TrackEventKind::Control: return controlText(event);
    case TrackEventKind::PitchBend:
        return format("PitchBend                 %6d", event.value2 * 128 + event.value - 8192);
    case TrackEventKind::SysEx: return sysExText(event);
    case TrackEventKind::TrackEnd: return format("End of track              %6d", event.value);
    default: return {};
    }
}

Rgb textColour(const TrackEvent& event)
{
    switch (event.kind) {
    case TrackEventKind::Rest: return colours::kRestText;
    case TrackEventKind::Tempo: return colours::kTempoText;
    case TrackEventKind::Program: return colours::kProgramText;
    case TrackEventKind::MarkerEntry:
    case TrackEventKind::PitchBend: return colours::kMarkerText;
    case TrackEventKind::Control: return controllerInfo(event.value).colour;
    case TrackEventKind::Measure: return colours::kMeasureText;
    case TrackEventKind::TrackStart:
    case TrackEventKind::TrackEnd: return colours::kTrackText;
    default: return colours::kText;
    }
}

}  // namespace

const ControllerInfo& controllerInfo(int32_t controller)
{
    static const std::array<ControllerInfo, 128> table = buildControllerTable();
    return table[static_cast<size_t>(controller & 0x7F)];
}

EventRow eventListRow(const TrackEvent& event, const TimingContext& timing, size_t index)
{
    EventRow row;
    row.position = positionText(event, timing);
    row.event = eventText(event);
    row.text = textColour(event);
    row.background = index % 2 == 0 ? colours::kEvenRow : colours::kOddRow;
    if (event.kind == TrackEventKind::Measure) {
        row.framed = true;
        row.frame = colours::kMeasureFrame;
        row.fill = colours::kMeasureFill;
    } else if (event.kind == TrackEventKind::TrackStart || event.kind == TrackEventKind::TrackEnd) {
        row.framed = true;
        row.frame = colours::kTrackFrame;
        row.fill = colours::kTrackFill;
    }
    return row;
}

std::vector<EventRow> eventListRows(const EventList& events, const TimingContext& timing)
{
    std::vector<EventRow> rows;
    rows.reserve(events.size());
    for (size_t i = 0; i < events.size(); ++i) rows.push_back(eventListRow(events[i], timing, i));
    return rows;
}

}  // namespace zema
