#pragma once

#include <array>
#include <cstdint>

namespace zema {

struct PlayerContext;

// What the MIDI monitor shows for one track, without drawing.
namespace monitor {

// Segments of the velocity bar (0..60): the last note's velocity decaying
// over 15 s while it sounds, and after its release also over 600 ms. Times
// are the player's milliseconds; noteOffTime all bits set = still sounding.
[[nodiscard]] int32_t velocitySegments(int32_t level, uint32_t noteOnTime, uint32_t noteOffTime, uint32_t nowMs);

// Whether note n sounds in a track's two note masks.
[[nodiscard]] bool noteSounds(uint64_t highNotes, uint64_t lowNotes, int32_t note);

// The keyboard display's four words: the OR of all tracks' masks as notes
// 64-95, 96-127, 0-31 and 32-63.
[[nodiscard]] std::array<uint32_t, 4> keyboardWords(const PlayerContext& context);

// A three-digit value as the monitor lights it: digits from hundreds to
// units, and whether each is lit (a leading zero is drawn unlit; the units
// digit is always lit).
struct Digits {
    std::array<int32_t, 3> digit{};
    std::array<bool, 3> lit{};
};
[[nodiscard]] Digits digitsOf(int32_t value);

// The INS value: the instrument's program + 1, or 0 when the program is
// outside 0..127.
[[nodiscard]] int32_t instrumentNumber(int32_t program);

// First and last note drawn in the key strip.
inline constexpr int32_t kFirstKey = 24;
inline constexpr int32_t kLastKey = 118;
inline constexpr int32_t kMaxSegments = 60;

}  // namespace monitor
}  // namespace zema
