#include "playback/midi_monitor_model.h"

#include <algorithm>

#include "playback/player_context.h"

namespace zema::monitor {

int32_t velocitySegments(int32_t level, uint32_t noteOnTime, uint32_t noteOffTime, uint32_t nowMs)
{
    // 64-bit products: a note held for hours must not wrap the arithmetic.
    const int64_t l = level;
    const int64_t sinceOn = static_cast<uint32_t>(nowMs - noteOnTime);
    int64_t v = 0;
    if (noteOffTime == kNoteSounding) {
        v = l - l * sinceOn / 15000;
    } else {
        const int64_t sinceOff = static_cast<uint32_t>(nowMs - noteOffTime);
        v = l - l * sinceOn / 10000 - l * sinceOff / 600;
    }
    v = std::max<int64_t>(v, 0);
    return static_cast<int32_t>(std::min<int64_t>(v * kMaxSegments / 127, kMaxSegments));
}

bool noteSounds(uint64_t highNotes, uint64_t lowNotes, int32_t note)
{
    if (note < 0 || note > 127) return false;
    const uint64_t mask = note >= 64 ? highNotes : lowNotes;
    return ((mask >> (note & 63)) & 1) != 0;
}

std::array<uint32_t, 4> keyboardWords(const PlayerContext& context)
{
    uint64_t high = 0;
    uint64_t low = 0;
    for (int t = 0; t < kTrackCount; ++t) {
        high |= context.highNotes[t].load();
        low |= context.lowNotes[t].load();
    }
    return {static_cast<uint32_t>(high), static_cast<uint32_t>(high >> 32), static_cast<uint32_t>(low),
            static_cast<uint32_t>(low >> 32)};
}

Digits digitsOf(int32_t value)
{
    value = std::clamp(value, 0, 999);
    Digits d;
    d.digit = {value / 100, value / 10 % 10, value % 10};
    d.lit = {value >= 100, value >= 10, true};
    return d;
}

int32_t instrumentNumber(int32_t program)
{
    return program >= 0 && program <= 127 ? program + 1 : 0;
}

}  // namespace zema::monitor
