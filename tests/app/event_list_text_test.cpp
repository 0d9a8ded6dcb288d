#include <gtest/gtest.h>

#include "app/event_list_text.h"
#include "core/mml_compiler.h"

namespace zema {
namespace {

namespace colours = event_list_colours;

constexpr TimingContext kCommonTime{96, 4, 4};  // 384 ticks a measure

TrackEvent eventOf(TrackEventKind kind, int32_t tick, int32_t value = 0, int32_t value2 = 0)
{
    TrackEvent event;
    event.kind = kind;
    event.tick = tick;
    event.value = value;
    event.value2 = value2;
    return event;
}

TrackEvent noteOf(int32_t noteNumber, int32_t tick, int32_t length, int32_t step, int32_t volume)
{
    TrackEvent note = eventOf(TrackEventKind::Note, tick, volume);
    setNoteNumber(note, noteNumber);
    note.length = length;
    note.step = step;
    return note;
}

std::string eventText(const TrackEvent& event) { return eventListRow(event, kCommonTime, 0).event; }
Rgb textColour(const TrackEvent& event) { return eventListRow(event, kCommonTime, 0).text; }

TEST(EventListText, NotesShowMeasureTickStepAndNameWithSharpColumn)
{
    const EventRow sharp = eventListRow(noteOf(61, 400, 48, 96, 8), kCommonTime, 0);
    EXPECT_EQ(sharp.position, "    1:0016   96");
    EXPECT_EQ(sharp.event, "C# 4 [ 61]        48           8");
    EXPECT_EQ(sharp.text, colours::kText);
    EXPECT_EQ(sharp.background, colours::kEvenRow);
    EXPECT_FALSE(sharp.framed);

    const EventRow natural = eventListRow(noteOf(72, 0, 12345, 0, 15), kCommonTime, 1);
    EXPECT_EQ(natural.position, "    0:0000    0");
    EXPECT_EQ(natural.event, "C  5 [ 72]     12345          15");
    EXPECT_EQ(natural.background, colours::kOddRow);

    // Octave -1 and three-digit note numbers keep the columns.
    EXPECT_EQ(eventText(noteOf(11, 0, 6, 6, 0)), "B  -1 [ 11]         6           0");
    EXPECT_EQ(eventText(noteOf(127, 0, 6, 6, 0)), "G  9 [127]         6           0");
}

TEST(EventListText, PositionFollowsTheSignatureAndLeavesOutStepsBeyondFourDigits)
{
    EXPECT_EQ(eventListRow(noteOf(60, 300, 96, 96, 8), TimingContext{96, 6, 8}, 0).position, "    1:0012   96");
    EXPECT_EQ(eventListRow(noteOf(60, 1000, 96, 96, 8), TimingContext{480, 4, 4}, 0).position, "    0:1000   96");
    EXPECT_EQ(eventListRow(noteOf(60, 384 * 12 + 5, 96, 9999, 8), kCommonTime, 0).position, "   12:0005 9999");
    EXPECT_EQ(eventListRow(noteOf(60, 384 * 12 + 5, 96, 10000, 8), kCommonTime, 0).position, "   12:0005");
    TrackEvent tempo = eventOf(TrackEventKind::Tempo, 0, 120);
    tempo.step = 10000;
    EXPECT_EQ(eventListRow(tempo, kCommonTime, 0).position, "    0:0000");
}

TEST(EventListText, RestsAndUnsteppedEventsShowOnlyMeasureAndTick)
{
    TrackEvent rest = eventOf(TrackEventKind::Rest, 480, 8);
    setNoteNumber(rest, 60);
    rest.length = 96;
    rest.step = 96;  // not a note: the step column stays empty whatever is stored
    const EventRow row = eventListRow(rest, kCommonTime, 0);
    EXPECT_EQ(row.position, "    1:0096");
    EXPECT_EQ(row.event, "R  4 [ 60]        96           8");
    EXPECT_EQ(row.text, colours::kRestText);

    for (const TrackEventKind kind : {TrackEventKind::OctaveState, TrackEventKind::Tie, TrackEventKind::NoteOff,
                                      TrackEventKind::Overlap, TrackEventKind::SpelledNote}) {
        const EventRow other = eventListRow(eventOf(kind, 800, 5, 6), kCommonTime, 0);
        EXPECT_EQ(other.position, "    2:0032") << kindName(kind);
        EXPECT_EQ(other.event, "") << kindName(kind);
        EXPECT_EQ(other.text, colours::kText) << kindName(kind);
        EXPECT_FALSE(other.framed);
    }
}

TEST(EventListText, MeasureAndTrackRowsAreFramedBands)
{
    TrackEvent measure = eventOf(TrackEventKind::Measure, 768 + 10, 2);
    const EventRow meas = eventListRow(measure, kCommonTime, 3);
    EXPECT_EQ(meas.position, "    2:0000      Meas 2 ");
    EXPECT_EQ(meas.event, "");
    EXPECT_TRUE(meas.framed);
    EXPECT_EQ(meas.frame, colours::kMeasureFrame);
    EXPECT_EQ(meas.fill, colours::kMeasureFill);
    EXPECT_EQ(meas.text, colours::kMeasureText);

    const EventRow start = eventListRow(eventOf(TrackEventKind::TrackStart, 400), kCommonTime, 0);
    EXPECT_EQ(start.position, "    1:0016      ZEM Extension MML");
    EXPECT_EQ(start.event, "");
    EXPECT_TRUE(start.framed);
    EXPECT_EQ(start.fill, colours::kTrackFill);

    TrackEvent end = eventOf(TrackEventKind::TrackEnd, 96, 14);
    const EventRow endRow = eventListRow(end, kCommonTime, 0);
    EXPECT_EQ(endRow.position, "    0:0096    0");
    EXPECT_EQ(endRow.event, "End of track                  14");
    EXPECT_TRUE(endRow.framed);
    EXPECT_EQ(endRow.frame, colours::kTrackFrame);
    EXPECT_EQ(endRow.text, colours::kTrackText);
}

TEST(EventListText, ValueEventsAndTheirColours)
{
    EXPECT_EQ(eventText(eventOf(TrackEventKind::Tempo, 0, 150)), "Tempo                        150");
    EXPECT_EQ(textColour(eventOf(TrackEventKind::Tempo, 0, 150)), colours::kTempoText);
    EXPECT_EQ(eventText(eventOf(TrackEventKind::Program, 0, 5)), "Program Change                 5");
    EXPECT_EQ(textColour(eventOf(TrackEventKind::Program, 0, 5)), colours::kProgramText);
    EXPECT_EQ(eventText(eventOf(TrackEventKind::MarkerEntry, 0, 255)), "Marker                       255");
    EXPECT_EQ(textColour(eventOf(TrackEventKind::MarkerEntry, 0, 255)), colours::kMarkerText);
    EXPECT_EQ(eventListRow(eventOf(TrackEventKind::Program, 0, 5), kCommonTime, 0).position, "    0:0000    0");
}

TEST(EventListText, PitchBendCombinesBothBytesAroundTheCentre)
{
    // value is the low 7 bits, value2 the high 7 bits.
    EXPECT_EQ(eventText(eventOf(TrackEventKind::PitchBend, 0, 0, 64)), "PitchBend                      0");
    EXPECT_EQ(eventText(eventOf(TrackEventKind::PitchBend, 0, 127, 127)), "PitchBend                   8191");
    EXPECT_EQ(eventText(eventOf(TrackEventKind::PitchBend, 0, 0, 0)), "PitchBend                  -8192");
    EXPECT_EQ(eventText(eventOf(TrackEventKind::PitchBend, 0, 1, 0)), "PitchBend                  -8191");
    EXPECT_EQ(textColour(eventOf(TrackEventKind::PitchBend, 0, 0, 64)), colours::kMarkerText);
}

TEST(EventListText, ControlsShowPaddedNamesPanpotAroundCentreOrTheNumber)
{
    EXPECT_EQ(eventText(eventOf(TrackEventKind::Control, 0, 10, 64)), "Panpot                         0");
    EXPECT_EQ(eventText(eventOf(TrackEventKind::Control, 0, 10, 0)), "Panpot                       -64");
    EXPECT_EQ(eventText(eventOf(TrackEventKind::Control, 0, 10, 127)), "Panpot                        63");
    EXPECT_EQ(eventText(eventOf(TrackEventKind::Control, 0, 7, 100)), "Volume                       100");
    EXPECT_EQ(eventText(eventOf(TrackEventKind::Control, 0, 121, 0)), "Reset All Ctrl                 0");
    EXPECT_EQ(eventText(eventOf(TrackEventKind::Control, 0, 20, 3)), "Control Change [ 20]           3");
    EXPECT_EQ(eventText(eventOf(TrackEventKind::Control, 0, 3, 127)), "Control Change [  3]         127");
    // Only the low 7 bits choose the controller.
    EXPECT_EQ(eventText(eventOf(TrackEventKind::Control, 0, 128 + 7, 1)), "Volume                         1");

    struct Case {
        int controller;
        Rgb colour;
    };
    for (const Case& c : {Case{32, {128, 0, 128}}, Case{94, {0, 0, 208}}, Case{11, {208, 0, 0}}, Case{10, {180, 180, 0}},
                          Case{38, {64, 69, 92}}, Case{101, {64, 69, 92}}, Case{78, {0, 128, 128}},
                          Case{93, {0, 128, 128}}, Case{79, {128, 0, 0}}, Case{102, {128, 0, 0}}}) {
        EXPECT_EQ(textColour(eventOf(TrackEventKind::Control, 0, c.controller, 1)), c.colour) << c.controller;
    }
}

TEST(EventListText, ControllerTableNamesArePaddedToTwentyAndPedalsAreSwitches)
{
    int named = 0;
    for (int number = 0; number < 128; ++number) {
        const ControllerInfo& info = controllerInfo(number);
        if (!info.name.empty()) {
            ++named;
            EXPECT_EQ(info.name.size(), 20u) << number;
            EXPECT_NE(info.name.front(), ' ') << number;
        }
        EXPECT_EQ(info.isSwitch, number >= 64 && number <= 67) << number;
    }
    EXPECT_EQ(named, 51);
    EXPECT_EQ(controllerInfo(5).name, "Potamento Time      ");
    EXPECT_EQ(controllerInfo(84).name, "Portamento          ");
    EXPECT_TRUE(controllerInfo(3).name.empty());
    EXPECT_TRUE(controllerInfo(90).name.empty());
}

TEST(EventListText, SysExShowsAtMostTenBytes)
{
    TrackEvent sysEx = eventOf(TrackEventKind::SysEx, 384 + 1, 12);
    sysEx.data = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0x11, 0xF7};
    const EventRow row = eventListRow(sysEx, kCommonTime, 0);
    EXPECT_EQ(row.position, "    1:0001");
    EXPECT_EQ(row.event, "Ex:F0 41 10 42 12 40 00 7F 00 41 ");
    EXPECT_EQ(row.text, colours::kText);

    sysEx.data = {0xF0, 0x7E, 0xF7};
    EXPECT_EQ(eventText(sysEx), "Ex:F0 7E F7 ");
    sysEx.data.clear();
    EXPECT_EQ(eventText(sysEx), "Ex:");
}

TEST(EventListText, EveryEventGetsARowWithAlternatingBackgrounds)
{
    EXPECT_TRUE(eventListRows({}, kCommonTime).empty());
    EventList events;
    StateList states;
    compileTrack(kCommonTime, u"//#using_extension\nt150 c1 d", events, states, 0, false, false);
    const auto rows = eventListRows(events, kCommonTime);
    ASSERT_EQ(rows.size(), events.size());
    for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i], eventListRow(events[i], kCommonTime, i));
    EXPECT_EQ(rows[4].background, colours::kEvenRow);
    EXPECT_EQ(rows[5].background, colours::kOddRow);
}

}  // namespace
}  // namespace zema
