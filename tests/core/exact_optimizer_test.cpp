// The exact search: every output plays exactly like its source (the real
// corpus, random texts, every timing), and no shorter text does (a search of
// its own over the game's commands, judged by the compiler).
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <queue>
#include <tuple>

#include "core/clipboard_export.h"
#include "core/exact_optimizer.h"
#include "core/unicode.h"
#include "corpus_tracks.h"
#include "writer_oracle.h"

namespace zema {
namespace {

using test::Sound;
using test::soundOf;

std::u16string u16(std::string_view s) { return {s.begin(), s.end()}; }

// The exact text must exist, sound like the source and be no longer than the
// best of the five other candidates.
void expectExact(const TimingContext& timing, const std::u16string& text, const std::string& label)
{
    const std::optional<std::u16string> out = writeShortestTrack(timing, text);
    ASSERT_TRUE(out.has_value()) << label;
    EXPECT_EQ(soundOf(timing, *out), soundOf(timing, text)) << label << "\n  source: " << utf16ToUtf8(text)
                                                             << "\n  output: " << utf16ToUtf8(*out);
    const OptimizedPart best = optimizePart(timing, text);
    if (best.candidate != kExactCandidate) {
        EXPECT_LE(out->size(), best.text.size()) << label << " loses to " << utf16ToUtf8(methodLetter(best.candidate));
    }
}

TEST(ExactOracle, EveryCorpusTrackSoundsTheSameAndIsNeverLonger)
{
    const auto tracks = test::corpusTracks();
    ASSERT_GT(tracks.size(), 300U) << "corpus not found under " << ZEMA_CORPUS_DIR;
    for (const auto& track : tracks) expectExact(track.timing, track.text, track.name);
}

TEST(ExactOracle, RandomTextsAtEveryTiming)
{
    const TimingContext timings[] = {{96, 4, 4}, {32, 4, 4}, {48, 3, 4}, {120, 6, 8}, {480, 4, 4},
                                     {960, 4, 4}, {7, 4, 4}, {1, 4, 4}, {5, 2, 4}};
    uint32_t seed = 1;
    for (const TimingContext& timing : timings) {
        for (int k = 0; k < 80; ++k, ++seed) {
            expectExact(timing, test::randomBasicText(seed, 10 + static_cast<int>(seed % 150)),
                        "timebase " + std::to_string(timing.timebase) + " seed " + std::to_string(seed));
        }
    }
}

TEST(ExactOracle, EdgesOfTheNotation)
{
    const std::pair<TimingContext, const char*> cases[] = {
        {{}, "o0c-4 o8b+4 n0 n96 o0c o1c"},          // notes 11, 120, 12, 108
        {{}, "c1&c1&c1&c1&c1&c1&c1&c1&c1&c1&c64"},   // only ties reach it
        {{}, "c4t150&c4 r4 t200 r4 t100"},             // tempos inside a note and a rest, at the end
        {{}, "t120t130c"},                               // two tempos at one tick
        {{}, "v0c v15c v0r v3c"},                        // volumes, one across a rest
        {{}, "c4 c4 c&c c&v9c c&<c"},                     // equal pitches that must stay apart
        {{7, 4, 4}, "c64 c32. l5 c c. r13 c&c29"},        // truncated and zero-tick lengths
        {{1, 4, 4}, "c8 c16 d64 e4 l64 f r32 g"},         // zero-length notes
        {{480, 4, 4}, "c1.&c1.&c1.&c1.&c1.&c1.&c1.&c1.&c1.&c1.&c1.&c1.&c1.&c1. r1&r1 r1 c64"},
        {{}, ""},
        {{}, "r1 r1 r4"},                                 // nothing but silence
    };
    for (const auto& [timing, text] : cases) expectExact(timing, u16(text), text);
}

std::string repeat(std::string_view piece, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i) out += piece;
    return out;
}

TEST(ExactLongDurations, SoundTheSameAtTheLengthOfTheFullSearch)
{
    struct Case {
        TimingContext timing;
        std::string text;
        size_t length;
    };
    const Case cases[] = {
        // Long rests and long tied notes at large timebases, where a run of
        // default pieces before an `l` inside the chain can start from many
        // states and stop at many lengths. The lengths are those of the search
        // that tried every such run against every state.
        {{960, 4, 4}, "l1." + repeat("r", 48) + "r2v15l1cd+fg+2g2cd+fg+2g2l8.c+8fd+8>c+cc8", 90},
        {{960, 4, 4}, repeat("r1.", 300) + "r64 c", 308},
        {{960, 4, 4}, repeat("c1.&", 300) + "c63", 606},
        {{480, 4, 4}, repeat("r1.", 300) + "r17c", 308},
        {{7, 4, 4}, repeat("r1.", 300) + "r3", 305},
        {{960, 4, 4}, "l13" + repeat("r1", 60) + "rc4", 48},
        // Tempo changes cut the tie into separately spelled stretches.
        {{960, 4, 4}, repeat("c1&c1&t100c1&c1&t120c1&", 30) + "c", 459},
        // Letters in two octaves, a note only `n` reaches, rests between.
        {{960, 4, 4},
         "o2" + repeat("c1.&", 300) + "c11 " + repeat("r1.", 300) + "r9 n33 " + repeat("c1.&", 300) + "c", 1514},
        // An `l` between the pieces of one rest or tie is still found where it
        // is the only way to the shortest text: default pieces of the state in
        // force, then the new default for the rest of the chain.
        {{}, "l8 c r8 r1 r1 r1 r1 r1 r1 r1 r1 r8 c", 15},        // c8rl1rrrrrrrrc8
        {{}, "l16 c c r16 r1 r1 r1 r1 r1 r1. c c", 20},          // l16ccl1rrrrrr.l16rcc
        {{}, "l16 c c r16 r1 r1 r1 r1 r1 r1 r1. r8 c c", 21},
        {{}, "l16 c c c&c1&c1&c1&c1&c1&c1&c1&c16 c c", 26},      // ...c&c&c&cl16&c1&c8cc
        {{}, "l8 c c c c&c1&c1&c1&c1 l8 c c c", 20},
    };
    for (const Case& c : cases) {
        const std::u16string text = u16(c.text);
        const std::optional<std::u16string> out = writeShortestTrack(c.timing, text);
        ASSERT_TRUE(out.has_value()) << c.text;
        EXPECT_EQ(soundOf(c.timing, *out), soundOf(c.timing, text)) << c.text;
        EXPECT_EQ(out->size(), c.length) << c.text << "\n  output: " << utf16ToUtf8(*out);
    }
}

TEST(ExactOracle, AbstainsOnlyWhereTheGameCannotFollow)
{
    EXPECT_FALSE(writeShortestTrack({}, u"//#using_extension\nt300 c").has_value());
    EXPECT_FALSE(writeShortestTrack({1000, 4, 4}, u"c").has_value());
    const std::u16string extended = u"//#using_extension\n@5 t200 o5 c8 y10,64 d+16. n60";
    const std::optional<std::u16string> out = writeShortestTrack({}, extended);
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(soundOf({}, *out), soundOf({}, extended));
}

TEST(ExactChoice, WinsOnlyWhenStrictlyShorter)
{
    // "c" cannot be shortened: the stripped text keeps it.
    EXPECT_EQ(optimizePart({}, u"c").candidate, kStripCandidate);
    EXPECT_EQ(methodLetter(kExactCandidate), u"E");
    // A dotted rest tied into two pieces is shorter only with the search.
    const OptimizedPart part = optimizePart({}, u"c4&c8 c4&c8 d4&d8");
    EXPECT_EQ(part.candidate, kExactCandidate);
    EXPECT_EQ(part.text, u"c.c.d.");
}

// --- optimality against a search of its own ----------------------------------

// Every command the game reads, with every argument that can take part in
// writing `target`, tried in order of length; states already reached with
// fewer characters are not searched again. Returns the length of the
// shortest text that sounds like target, or `limit` when none is shorter.
size_t shortestByCommands(const TimingContext& timing, const Sound& target, size_t limit)
{
    // Pieces longer than every note (or every silence) of the target, and
    // spellings of no pitch class of the target, can never take part.
    int32_t longestNote = 0;
    int32_t longestGap = target.end;
    std::set<int> pitchClasses;
    for (const auto& [tick, length, number, volume] : target.notes) {
        longestNote = std::max(longestNote, length);
        pitchClasses.insert(number % 12);
    }
    std::vector<std::string> tokens;
    const auto lengths = [&](const std::string& head, int32_t longest) {
        for (int n = 0; n <= 64; ++n) {
            for (const bool dot : {false, true}) {
                if (n > 0 && tickOfLength(timing.timebase, n, dot) > longest) continue;
                tokens.push_back(head + (n > 0 ? std::to_string(n) : "") + (dot ? "." : ""));
            }
        }
    };
    static constexpr std::pair<const char*, int> kSpellings[] = {
        {"c", 0}, {"c+", 1}, {"d", 2}, {"d+", 3}, {"e", 4}, {"f", 5}, {"f+", 6}, {"g", 7}, {"g+", 8},
        {"a", 9}, {"a+", 10}, {"b", 11}, {"c-", 11}, {"b+", 0}, {"d-", 1}, {"e-", 3}, {"e+", 5}, {"f-", 4},
        {"g-", 6}, {"a-", 8}, {"b-", 10}};
    for (const auto& [spelling, pitchClass] : kSpellings) {
        if (pitchClasses.count(pitchClass)) lengths(spelling, longestNote);
    }
    lengths("r", longestGap);
    for (const auto& [tick, length, number, volume] : target.notes) {
        tokens.push_back(number == 12 ? "n" : "n" + std::to_string(number - 12));
        tokens.push_back(volume == 0 ? "v" : "v" + std::to_string(volume));
    }
    for (int n = 1; n <= 64; ++n) {
        tokens.push_back("l" + std::to_string(n));
        tokens.push_back("l" + std::to_string(n) + ".");
    }
    for (const char* t : {"&", "<", ">", "o", "o1", "o2", "o3", "o4", "o5", "o6", "o7", "o8"}) tokens.push_back(t);

    using State = std::tuple<size_t, int32_t, int32_t, int, int, int, int, bool>;
    std::map<State, size_t> seen;
    std::priority_queue<std::pair<size_t, std::string>, std::vector<std::pair<size_t, std::string>>,
                        std::greater<>>
        queue;
    queue.emplace(0, "");
    while (!queue.empty()) {
        const auto [size, text] = queue.top();
        queue.pop();
        for (const std::string& token : tokens) {
            const std::string next = text + token;
            if (next.size() >= limit) continue;
            EventList events;
            StateList states;
            const std::u16string wide = u16(next);
            compileTrack(timing, wide, events, states, 0, false, false);
            const Sound sound = soundOf(timing, wide);
            if (sound == target) return next.size();
            // Only prefixes of the target: finished notes equal, the last one
            // no longer than its target (a tie may still extend it).
            if (sound.notes.size() > target.notes.size() || sound.end > target.end) continue;
            bool prefix = true;
            for (size_t i = 0; i < sound.notes.size() && prefix; ++i) {
                auto [tick, length, number, volume] = sound.notes[i];
                const auto& want = target.notes[i];
                if (i + 1 < sound.notes.size()) prefix = sound.notes[i] == want;
                else prefix = tick == std::get<0>(want) && number == std::get<2>(want) &&
                              volume == std::get<3>(want) && length <= std::get<1>(want);
            }
            if (!prefix) continue;
            int octave = 4, volume = 8, length = 4, dotted = 0;
            for (const TrackEvent& s : states) {
                if (s.kind == TrackEventKind::OctaveState) octave = s.value;
                if (s.kind == TrackEventKind::VolumeState) volume = s.value;
                if (s.kind == TrackEventKind::LengthState) length = s.value, dotted = s.value2;
            }
            const int32_t lastLength = sound.notes.empty() ? -1 : std::get<1>(sound.notes.back());
            const State state{sound.notes.size(), lastLength, sound.end, octave, volume, length, dotted,
                              token == "&"};
            auto [it, inserted] = seen.try_emplace(state, next.size());
            if (!inserted && it->second <= next.size()) continue;
            it->second = next.size();
            queue.emplace(next.size(), next);
        }
    }
    return limit;
}

TEST(ExactOptimality, NoShorterTextSoundsTheSame)
{
    const char* sources[] = {
        "c4&c8 d8 r8. e4", "l8 c c c r4 c4", "o2c o6c o2c", "c4 r16 v3 c8", "o5c+8 c4",
        "c1&c4 c8&c16", "n0 n96", "o3b+ o4c- r2 c",
    };
    for (const char* source : sources) {
        const std::u16string text = u16(source);
        const std::optional<std::u16string> out = writeShortestTrack({}, text);
        ASSERT_TRUE(out.has_value()) << source;
        ASSERT_EQ(soundOf({}, *out), soundOf({}, text)) << source;
        EXPECT_EQ(shortestByCommands({}, soundOf({}, text), out->size()), out->size())
            << source << " has a text shorter than " << utf16ToUtf8(*out);
    }
}

TEST(ExactOptimality, RandomShortTracksAtTwoTimebases)
{
    for (uint32_t seed = 1; seed <= 16; ++seed) {
        const TimingContext timing{seed % 2 == 0 ? 96 : 7, 4, 4};
        const std::u16string text = test::randomBasicText(5000 + seed, 4);
        const std::optional<std::u16string> out = writeShortestTrack(timing, text);
        ASSERT_TRUE(out.has_value());
        const Sound sound = soundOf(timing, text);
        if (!sound.tempos.empty() || sound.notes.size() > 3) continue;  // tempos are copied as they are
        EXPECT_EQ(shortestByCommands(timing, sound, out->size()), out->size())
            << utf16ToUtf8(text) << " has a text shorter than " << utf16ToUtf8(*out);
    }
}

}  // namespace
}  // namespace zema
