// The note-edit engine: one edit on a 1,200-character melody, applied and the
// result recompiled, against recompiling the melody alone; and, over the
// corpus, how many characters an edit adds beyond the note's own spelling.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include "bench_support.h"
#include "corpus_parts.h"
#include "core/mml_compiler.h"
#include "core/note_edit.h"
#include "core/note_edit_spelling.h"

namespace {

using zema::EditNote;
using zema::NoteEdit;
using zema::NoteEditKind;

const std::u16string& melody()
{
    static const std::u16string text = zema::bench::melodyOf(1200, true);
    return text;
}

void BM_CompileTrack1200(benchmark::State& state)
{
    zema::EventList events;
    zema::StateList states;
    for (auto _ : state) {
        zema::compileTrack({}, melody(), events, states, 0, false, false);
        benchmark::DoNotOptimize(events.data());
    }
    state.counters["chars"] = static_cast<double>(melody().size());
}
BENCHMARK(BM_CompileTrack1200)->Unit(benchmark::kMicrosecond);

// The middle note a semitone up (written in place), then the editor's recompile.
void BM_EditPitchAndRecompile1200(benchmark::State& state)
{
    const std::vector<EditNote> notes = zema::editableNotes({}, melody());
    if (notes.empty()) {
        state.SkipWithError("no corpus melody of 1,200 characters");
        return;
    }
    const EditNote& n = notes[notes.size() / 2];
    const NoteEdit edit{NoteEditKind::Move, n.tick, n.noteNumber, {n.tick, 0, n.noteNumber + 1, 0}};
    zema::EventList events;
    zema::StateList states;
    for (auto _ : state) {
        const zema::NoteEditResult result = zema::applyNoteEdits({}, melody(), std::span(&edit, 1));
        zema::compileTrack({}, result.text, events, states, 0, false, false);
        benchmark::DoNotOptimize(events.data());
    }
}
BENCHMARK(BM_EditPitchAndRecompile1200)->Unit(benchmark::kMicrosecond);

// The editor's way: the track's compile is at hand, and the one the engine
// makes of the new text to check it replaces the editor's recompile.
void BM_EditPitchWithCompile1200(benchmark::State& state)
{
    zema::CompiledTrack compiled;
    zema::compileTrack({}, melody(), compiled.events, compiled.states, 0, false, false);
    const std::vector<EditNote> notes = zema::editableNotes({}, melody());
    if (notes.empty()) {
        state.SkipWithError("no corpus melody of 1,200 characters");
        return;
    }
    const EditNote& n = notes[notes.size() / 2];
    const NoteEdit edit{NoteEditKind::Move, n.tick, n.noteNumber, {n.tick, 0, n.noteNumber + 1, 0}};
    zema::CompiledTrack recompiled;
    for (auto _ : state) {
        const zema::NoteEditResult result = zema::applyNoteEdits({}, melody(), compiled, std::span(&edit, 1), &recompiled);
        benchmark::DoNotOptimize(result.changes.data());
        benchmark::DoNotOptimize(recompiled.events.data());
    }
}
BENCHMARK(BM_EditPitchWithCompile1200)->Unit(benchmark::kMicrosecond);

// A note inserted in the middle of the first rest of the track's second half.
void BM_EditInsertAndRecompile1200(benchmark::State& state)
{
    const std::vector<EditNote> notes = zema::editableNotes({}, melody());
    NoteEdit edit;
    bool found = false;
    for (size_t i = notes.size() / 2; i + 1 < notes.size() && !found; ++i) {
        const int32_t gapStart = notes[i].tick + notes[i].length;
        if (notes[i + 1].tick - gapStart >= 48) {
            edit = {NoteEditKind::Insert, 0, 0, {gapStart + 24, 24, notes[i].noteNumber, -1}};
            found = true;
        }
    }
    if (!found) {
        state.SkipWithError("no rest of an eighth in the melody's second half");
        return;
    }
    zema::EventList events;
    zema::StateList states;
    for (auto _ : state) {
        const zema::NoteEditResult result = zema::applyNoteEdits({}, melody(), std::span(&edit, 1));
        zema::compileTrack({}, result.text, events, states, 0, false, false);
        benchmark::DoNotOptimize(events.data());
    }
}
BENCHMARK(BM_EditInsertAndRecompile1200)->Unit(benchmark::kMicrosecond);

struct Spread {
    std::vector<int32_t> values;
    int refused = 0;

    void print(const char* what)
    {
        if (values.empty()) return;
        std::sort(values.begin(), values.end());
        std::printf("  %-34s median %d, maximum %d characters over %zu edits (%d refused)\n", what,
                    values[values.size() / 2], values.back(), values.size(), refused);
    }
};

// Characters (as the game counts them) each kind of edit adds beyond the
// spelling of the note itself, over every corpus track.
void reportCharactersAdded()
{
    std::mt19937 random(11);
    Spread inserts;
    Spread pitches;
    Spread volumes;
    for (const zema::bench::Track& track : zema::bench::corpusTracks()) {
        zema::EventList events;
        zema::StateList states;
        zema::compileTrack(track.timing, track.text, events, states, 0, false, false);
        const int32_t before = events.back().value;
        zema::exact::PieceTables tables(std::max(track.timing.timebase, 1));
        const auto added = [&](const NoteEdit& edit, Spread& spread, int32_t own) {
            const zema::NoteEditResult result = zema::applyNoteEdits(track.timing, track.text, std::span(&edit, 1));
            if (!result.ok()) {
                ++spread.refused;
                return;
            }
            spread.values.push_back(zema::characterCount(result.text) - before - own);
        };
        const int32_t step = std::max(track.timing.timebase / 4, 1);
        for (const zema::TrackEvent& e : events) {
            if (e.kind == zema::TrackEventKind::Note) {
                if (random() % 4 != 0) continue;
                const int32_t shift = static_cast<int32_t>(random() % 24) - 12;
                const int32_t target = std::clamp(e.noteNumber + (shift == 0 ? 1 : shift), 12, 119);
                const zema::noteedit::ScoreState at{0, 4, e.defaultLength, e.defaultDotted, 8};
                const int32_t own = zema::noteedit::noteSpellingCost(tables, at, target, e.length) -
                                    zema::noteedit::noteSpellingCost(tables, at, e.noteNumber, e.length);
                added({NoteEditKind::Move, e.tick, e.noteNumber, {e.tick, 0, target, 0}}, pitches, own);
                added({NoteEditKind::Volume, e.tick, e.noteNumber, {0, 0, 0, static_cast<int32_t>(random() % 16)}},
                      volumes, 0);
            } else if (e.kind == zema::TrackEventKind::Rest && e.length >= step) {
                // A sixteenth to a quarter at a sixteenth step inside the rest.
                const int32_t slots = e.length / step;
                const int32_t length = step * (1 + static_cast<int32_t>(random() % std::min(slots, 4)));
                const int32_t at = e.tick + step * static_cast<int32_t>(random() % (slots - length / step + 1));
                const int32_t note = std::clamp(e.noteNumber + static_cast<int32_t>(random() % 13) - 6, 12, 119);
                const int32_t own = zema::noteedit::noteSpellingCost(
                    tables, {0, 4, e.defaultLength, e.defaultDotted, 8}, note, length);
                added({NoteEditKind::Insert, 0, 0, {at, length, note, -1}}, inserts, own);
            }
        }
    }
    std::printf("\nCharacters an edit adds beyond the note's own spelling (corpus):\n");
    inserts.print("insert into a rest");
    pitches.print("pitch change");
    volumes.print("volume change");
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    zema::bench::RatioReporter reporter;
    reporter.compare("BM_EditPitchAndRecompile1200", "BM_CompileTrack1200");
    reporter.compare("BM_EditInsertAndRecompile1200", "BM_CompileTrack1200");
    reporter.compare("BM_EditPitchWithCompile1200", "BM_CompileTrack1200");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    reportCharactersAdded();
    return 0;
}
