#pragma once

#include <QColor>
#include <array>

namespace zema {

// Each track's colour pair, shared by the piano roll's note styles and the
// MIDI monitor's bands: the outline (pen) and the fill.
struct TrackColours {
    QColor pen;
    QColor fill;
};

inline const std::array<TrackColours, 16>& trackColourTable()
{
    static const std::array<TrackColours, 16> table{{
        {QColor(209, 4, 151), QColor(239, 123, 206)},  {QColor(83, 132, 110), QColor(114, 192, 82)},
        {QColor(0, 0, 231), QColor(98, 98, 240)},      {QColor(149, 163, 65), QColor(216, 246, 114)},
        {QColor(184, 93, 4), QColor(254, 129, 5)},     {QColor(182, 166, 45), QColor(245, 216, 37)},
        {QColor(0, 107, 153), QColor(0, 165, 205)},    {QColor(224, 0, 0), QColor(239, 127, 127)},
        {QColor(124, 17, 89), QColor(181, 80, 158)},   {QColor(241, 120, 255), QColor(243, 194, 243)},
        {QColor(200, 135, 71), QColor(250, 180, 111)}, {QColor(75, 59, 108), QColor(147, 122, 180)},
        {QColor(82, 118, 130), QColor(117, 204, 232)}, {QColor(153, 0, 0), QColor(204, 130, 55)},
        {QColor(8, 50, 32), QColor(1, 189, 78)},       {QColor(186, 108, 108), QColor(255, 201, 201)},
    }};
    return table;
}

}  // namespace zema
