#pragma once

// What a track sounds like, for checking that a rewrite plays like its source,
// and a generator of random basic-dialect texts.

#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "core/mml_compiler.h"

namespace zema::test {

struct Sound {
    std::vector<std::tuple<int32_t, int32_t, int32_t, int32_t>> notes;  // tick, length, note number, volume
    std::vector<std::pair<int32_t, int32_t>> tempos;                      // tick, tempo
    int32_t end = 0;

    friend bool operator==(const Sound&, const Sound&) = default;
};

inline Sound soundOf(const TimingContext& timing, std::u16string_view text)
{
    EventList events;
    StateList states;
    compileTrack(timing, text, events, states, 0, false, false);
    Sound sound;
    for (const TrackEvent& e : events) {
        if (e.kind == TrackEventKind::Note) sound.notes.emplace_back(e.tick, e.length, e.noteNumber, e.value);
        else if (e.kind == TrackEventKind::Tempo) sound.tempos.emplace_back(e.tick, e.value);
        else if (e.kind == TrackEventKind::TrackEnd) sound.end = e.tick;
    }
    return sound;
}

// The same sound with only the tempo events that change the tempo: one that
// restates the tempo in force (from 120 at the start), or that a later one at
// the same tick overrides, plays no differently.
inline Sound withTempoChangesOnly(Sound sound)
{
    std::vector<std::pair<int32_t, int32_t>> changes;
    int32_t current = 120;
    for (size_t i = 0; i < sound.tempos.size(); ++i) {
        const auto [tick, tempo] = sound.tempos[i];
        if (i + 1 < sound.tempos.size() && sound.tempos[i + 1].first == tick) continue;
        if (tempo != current) changes.emplace_back(tick, tempo);
        current = tempo;
    }
    sound.tempos = std::move(changes);
    return sound;
}

// A random track in the game's dialect: every octave, `n` 0..96, accidentals,
// dotted lengths, ties (also ties cancelled by a command), rests, `l`, `v`,
// `t`, blanks and the odd comment or out-of-range command.
inline std::u16string randomBasicText(uint32_t seed, int commands = 120)
{
    std::mt19937 rng(seed);
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const auto chance = [&](int percent) { return pick(1, 100) <= percent; };
    const auto length = [&]() -> std::string {
        if (chance(35)) return "";
        static const int common[] = {1, 2, 4, 8, 16, 32, 64, 3, 6, 12, 24, 48};
        std::string s = std::to_string(chance(70) ? common[pick(0, 11)] : pick(1, 64));
        return s;
    };
    std::string text;
    for (int i = 0; i < commands; ++i) {
        const int kind = pick(0, 99);
        if (kind < 40) {
            text += "cdefgabh"[pick(0, 7)];
            if (chance(25)) text += "+-#"[pick(0, 2)];
            text += length();
            if (chance(20)) text += '.';
        } else if (kind < 55) {
            text += 'r';
            text += length();
            if (chance(25)) text += '.';
        } else if (kind < 63) {
            text += '&';
            if (chance(15)) text += "vol"[pick(0, 2)] + std::to_string(pick(1, 8));
        } else if (kind < 70) {
            text += "o" + std::to_string(pick(0, 8));
        } else if (kind < 77) {
            text += chance(50) ? '<' : '>';
        } else if (kind < 82) {
            text += "n" + std::to_string(pick(0, 96));
        } else if (kind < 88) {
            text += "l" + std::to_string(pick(1, 64));
            if (chance(20)) text += '.';
        } else if (kind < 93) {
            text += "v" + std::to_string(pick(0, 15));
        } else if (kind < 96) {
            text += "t" + std::to_string(pick(32, 255));
        } else if (kind < 97) {
            text += chance(50) ? " /* note */ " : "\r\n";
        } else {
            // Commands the compiler drops: lengths and values out of range.
            static const char* dropped[] = {"c65", "t20", "v16", "o9", "n97", "l0", "x"};
            text += dropped[pick(0, 6)];
        }
        if (chance(10)) text += ' ';
    }
    return std::u16string(text.begin(), text.end());
}

}  // namespace zema::test
