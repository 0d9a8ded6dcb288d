#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/timing.h"
#include "core/track_event.h"

namespace zema {

// A plain RGB colour, so that the row model stays free of any toolkit.
struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Fixed colours of the event list.
namespace event_list_colours {
inline constexpr Rgb kEvenRow{96, 96, 96};  // rows 0, 2, 4, ...
inline constexpr Rgb kOddRow{88, 88, 88};
inline constexpr Rgb kBackground{80, 80, 80};  // below the last row
inline constexpr Rgb kText{224, 224, 224};
inline constexpr Rgb kHeaderText{64, 64, 64};
inline constexpr Rgb kHeaderTop{232, 232, 232};  // header gradient, top to bottom
inline constexpr Rgb kHeaderBottom{176, 176, 176};
inline constexpr Rgb kHeaderSeparator{101, 101, 101};
inline constexpr Rgb kMarkedLine{240, 0, 0};
inline constexpr Rgb kMeasureFrame{144, 144, 144};
inline constexpr Rgb kMeasureFill{64, 64, 64};
inline constexpr Rgb kMeasureText{176, 176, 176};
inline constexpr Rgb kTrackFrame{220, 222, 230};  // TrackStart and TrackEnd bands
inline constexpr Rgb kTrackFill{50, 62, 91};
inline constexpr Rgb kTrackText{222, 225, 231};
inline constexpr Rgb kRestText{144, 144, 144};
inline constexpr Rgb kTempoText{210, 210, 0};
inline constexpr Rgb kProgramText{128, 0, 128};
inline constexpr Rgb kMarkerText{128, 0, 0};  // also pitch bends
}  // namespace event_list_colours

// Geometry of the list in pixels.
namespace event_list_layout {
inline constexpr int kRowHeight = 13;
inline constexpr int kInset = 2;          // the client area is inset by this on every side
inline constexpr int kHeaderHeight = 24;  // header band, separator line below it
inline constexpr int kRowsTop = 25;       // first row, below the inset top
inline constexpr int kEventTextOffset = 8 * kRowHeight - 8;  // event part, right of the position part
}  // namespace event_list_layout

// The header band's text.
inline constexpr std::string_view kEventListHeader = " Meas Tick Step Event           Gate   Vel/Value";

// One entry of the controller table: the name padded with spaces to 20
// characters ("" when the controller has no name), the text colour of its
// rows, and whether it is an on/off switch (64 to 67).
struct ControllerInfo {
    std::string_view name;
    Rgb colour;
    bool isSwitch = false;
};

// The table entry of a controller number; only the low 7 bits count.
[[nodiscard]] const ControllerInfo& controllerInfo(int32_t controller);

// How a row is drawn: both texts in `text`, over `background`; a framed row
// (Measure, TrackStart, TrackEnd) is a band filled with `fill` and outlined in
// `frame` instead.
struct EventRow {
    std::string position;  // measure, tick and step
    std::string event;     // description, gate and velocity or value
    Rgb text;
    Rgb background;
    bool framed = false;
    Rgb frame;
    Rgb fill;

    friend bool operator==(const EventRow&, const EventRow&) = default;
};

// The row at `index` (its parity picks the background) showing `event`.
[[nodiscard]] EventRow eventListRow(const TrackEvent& event, const TimingContext& timing, size_t index);

// Every row of a track's list, in list order.
[[nodiscard]] std::vector<EventRow> eventListRows(const EventList& events, const TimingContext& timing);

}  // namespace zema
