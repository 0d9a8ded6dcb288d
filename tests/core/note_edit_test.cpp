#include "core/note_edit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "cli_runner.h"
#include "core/compile_helpers.h"
#include "core/corpus_tracks.h"
#include "core/strings.h"

namespace zema {
namespace {

using test::compile;

NoteEdit insertOf(int32_t tick, int32_t length, int32_t note, int32_t volume = -1)
{
    return {NoteEditKind::Insert, 0, 0, {tick, length, note, volume}};
}
NoteEdit deleteOf(int32_t tick, int32_t note) { return {NoteEditKind::Delete, tick, note, {}}; }
NoteEdit moveOf(int32_t tick, int32_t note, int32_t newTick, int32_t newNote)
{
    return {NoteEditKind::Move, tick, note, {newTick, 0, newNote, 0}};
}
NoteEdit resizeOf(int32_t tick, int32_t note, int32_t length) { return {NoteEditKind::Resize, tick, note, {0, length, 0, 0}}; }
NoteEdit volumeOf(int32_t tick, int32_t note, int32_t volume) { return {NoteEditKind::Volume, tick, note, {0, 0, 0, volume}}; }

// The notes the edits should leave, worked out from the note list alone.
std::vector<EditNote> expectedNotes(std::vector<EditNote> notes, std::span<const NoteEdit> edits)
{
    const std::vector<EditNote> before = notes;
    std::vector<bool> deleted(notes.size(), false);
    for (const NoteEdit& edit : edits) {
        if (edit.kind == NoteEditKind::Insert) {
            notes.push_back(edit.note);
            deleted.push_back(false);
            continue;
        }
        const auto it = std::find_if(before.begin(), before.end(), [&](const EditNote& n) {
            return n.tick == edit.tick && n.noteNumber == edit.noteNumber;
        });
        EditNote& n = notes[static_cast<size_t>(it - before.begin())];
        switch (edit.kind) {
        case NoteEditKind::Delete: deleted[static_cast<size_t>(it - before.begin())] = true; break;
        case NoteEditKind::Move: n.tick = edit.note.tick, n.noteNumber = edit.note.noteNumber; break;
        case NoteEditKind::Resize: n.length = edit.note.length; break;
        case NoteEditKind::Volume: n.volume = edit.note.volume; break;
        case NoteEditKind::Insert: break;
        }
    }
    std::vector<EditNote> out;
    for (size_t i = 0; i < notes.size(); ++i) {
        if (!deleted[i]) out.push_back(notes[i]);
    }
    std::stable_sort(out.begin(), out.end(), [](const EditNote& a, const EditNote& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.noteNumber < b.noteNumber;
    });
    return out;
}

std::u16string applied(std::u16string text, const std::vector<TextChange>& changes)
{
    for (auto it = changes.rbegin(); it != changes.rend(); ++it) {
        text.replace(static_cast<size_t>(it->offset), static_cast<size_t>(it->removed), it->inserted);
    }
    return text;
}

// The changes that take the new text back to the old one.
std::vector<TextChange> inverse(std::u16string_view old, const std::vector<TextChange>& changes)
{
    std::vector<TextChange> out;
    int32_t shift = 0;
    for (const TextChange& c : changes) {
        out.push_back({c.offset + shift, static_cast<int32_t>(c.inserted.size()),
                       std::u16string(old.substr(static_cast<size_t>(c.offset), static_cast<size_t>(c.removed)))});
        shift += static_cast<int32_t>(c.inserted.size()) - c.removed;
    }
    return out;
}

struct SpellingCase {
    const char* text;
    std::vector<NoteEdit> edits;
    const char* expected;  // the whole new text; nullptr when refused
    NoteEditStatus status;
};

TEST(NoteEdit, WritesTheSmallestChangeInTheTrackOwnSpelling)
{
    const std::vector<SpellingCase> cases = {
        // Pitch changes in place; octave marks go out and come back.
        {"c d8 e", {moveOf(96, 62, 96, 74)}, "c >d8< e", NoteEditStatus::Applied},
        {"c d8 e", {moveOf(96, 62, 96, 26)}, "c o1d8o4 e", NoteEditStatus::Applied},
        {"c d e", {moveOf(96, 62, 96, 86)}, "c n74 e", NoteEditStatus::Applied},
        {"o5 c d e", {moveOf(96, 74, 96, 71)}, "o5 c c- e", NoteEditStatus::Applied},
        // No way back is written where the text sets the octave itself.
        {"c d8 o4e", {moveOf(96, 62, 96, 74)}, "c >d8 o4e", NoteEditStatus::Applied},
        // The default length in force; rests split so later notes keep their ticks.
        {"l8 c r2 d", {insertOf(96, 48, 64)}, "l8 c rer4 d", NoteEditStatus::Applied},
        {"l8 c r2 d", {insertOf(48, 192, 64)}, "l8 c e2 d", NoteEditStatus::Applied},
        {"cdefg", {deleteOf(96, 62)}, "crefg", NoteEditStatus::Applied},
        {"cdefg", {resizeOf(96, 62, 48)}, "cd8r8efg", NoteEditStatus::Applied},
        {"c4&c4 d", {moveOf(0, 60, 0, 62)}, "d2 d", NoteEditStatus::Applied},
        {"cdefg", {insertOf(480, 96, 67)}, "cdefgg", NoteEditStatus::Applied},
        {"c", {insertOf(192, 144, 62, 8)}, "crd.", NoteEditStatus::Applied},
        // Volumes: set before the note, given back after it unless the text does.
        {"cdefg", {volumeOf(96, 62, 12)}, "cv12dv8efg", NoteEditStatus::Applied},
        {"c d v8 e", {volumeOf(96, 62, 12)}, "c v12d v8 e", NoteEditStatus::Applied},
        // Comments and line breaks inside a rewritten stretch stay.
        {"c r4 /* rest */ r4\nd", {insertOf(96, 192, 64)}, "c e2 /* rest */ \nd", NoteEditStatus::Applied},
        // A stroke over neighbouring notes sets the volume once and gives it back once.
        {"l8 c c g g a", {volumeOf(0, 60, 6), volumeOf(48, 60, 6), volumeOf(96, 67, 6), volumeOf(144, 67, 6)},
         "l8 v6c c g gv8 a", NoteEditStatus::Applied},
        {"l8 c c g g a", {volumeOf(0, 60, 6), volumeOf(48, 60, 7), volumeOf(144, 67, 9)},
         "l8 v6c v7cv8 g v9gv8 a", NoteEditStatus::Applied},
        {"v3 c r", {insertOf(96, 96, 64)}, "v3 c e", NoteEditStatus::Applied},
        // Moves leave a rest behind and fill one elsewhere.
        {"c r d", {moveOf(0, 60, 96, 60)}, "r c d", NoteEditStatus::Applied},
        // A tie the edit would create is avoided by writing the pair anew.
        {"c4&d4 d", {moveOf(96, 62, 96, 60)}, "ccd", NoteEditStatus::Rewritten},
        {"// only a comment", {insertOf(0, 96, 60)}, "// only a comment\nc", NoteEditStatus::Applied},
        {"//#using_extension\n@5 c d e", {moveOf(96, 62, 96, 50)}, "//#using_extension\n@5 c <d> e",
         NoteEditStatus::Applied},
        // Refused: overlaps, a note across a tempo change, unknown notes, odd lengths.
        {"cdefg", {insertOf(96, 96, 67)}, nullptr, NoteEditStatus::NotExpressible},
        {"c t100 d", {resizeOf(0, 60, 192)}, nullptr, NoteEditStatus::NotExpressible},
        {"cdefg", {deleteOf(96, 61)}, nullptr, NoteEditStatus::NoSuchNote},
        {"cdefg", {resizeOf(0, 60, 5)}, nullptr, NoteEditStatus::NotExpressible},
        {"cdefg", {moveOf(0, 60, 0, 121)}, nullptr, NoteEditStatus::NotExpressible},
    };
    for (const SpellingCase& c : cases) {
        const std::u16string text = utf8ToUtf16(c.text);
        const NoteEditResult result = applyNoteEdits({}, text, c.edits);
        EXPECT_EQ(result.status, c.status) << c.text;
        EXPECT_EQ(utf16ToUtf8(result.text), c.expected ? c.expected : c.text) << c.text;
        EXPECT_EQ(applied(text, result.changes), result.text) << c.text;
        if (!result.ok()) {
            EXPECT_TRUE(result.changes.empty()) << c.text;
        }
    }
}

TEST(NoteEdit, ReportsEachOutcomeThroughTheStringTable)
{
    EXPECT_EQ(noteEditNotice(NoteEditStatus::Applied), "");
    for (const NoteEditStatus status :
         {NoteEditStatus::Rewritten, NoteEditStatus::NoSuchNote, NoteEditStatus::NotExpressible}) {
        const StringEntry* entry = findString(noteEditNotice(status));
        ASSERT_NE(entry, nullptr);
        EXPECT_GE(entry->id, 11500);
        EXPECT_LE(entry->id, 11519);
    }
}

// Random edits on the notes of a track; every accepted result is checked
// against the note list worked out independently, the text outside the
// changes, and the way back.
class EditChecker {
public:
    explicit EditChecker(uint32_t seed) : random_(seed) {}

    void run(const std::string& name, const TimingContext& timing, const std::u16string& text, int rounds)
    {
        const std::vector<EditNote> notes = editableNotes(timing, text);
        if (notes.empty()) return;
        const test::Compiled before = compile(text, timing);
        const CompiledTrack compiled{before.events, before.states};
        for (int round = 0; round < rounds; ++round) {
            const std::vector<NoteEdit> edits = randomEdits(notes, timing);
            // Every other round the editor's way, with the compile at hand and the new one handed back.
            CompiledTrack recompiled;
            const bool withCompile = round % 2 == 1;
            const NoteEditResult result = withCompile ? applyNoteEdits(timing, text, compiled, edits, &recompiled)
                                                      : applyNoteEdits(timing, text, edits);
            ++tried_;
            if (!result.ok()) {
                EXPECT_TRUE(refusable(expectedNotes(notes, edits), before)) << name;
                EXPECT_EQ(result.text, text) << name;
                EXPECT_TRUE(result.changes.empty()) << name;
                continue;
            }
            ++accepted_;
            if (result.status == NoteEditStatus::Rewritten) ++rewritten_;
            const std::vector<EditNote> expected = expectedNotes(notes, edits);
            std::vector<EditNote> got = editableNotes(timing, result.text);
            ASSERT_EQ(got, expected) << name << "\n" << utf16ToUtf8(result.text);
            ASSERT_EQ(applied(text, result.changes), result.text) << name;
            for (size_t i = 1; i < result.changes.size(); ++i) {
                ASSERT_GE(result.changes[i].offset, result.changes[i - 1].offset + result.changes[i - 1].removed) << name;
            }
            ASSERT_EQ(applied(result.text, inverse(text, result.changes)), text) << name;
            const test::Compiled after = compile(result.text, timing);
            if (withCompile && !result.changes.empty()) {
                ASSERT_EQ(recompiled.events, after.events) << name;
                ASSERT_EQ(recompiled.states, after.states) << name;
            }
            ASSERT_EQ(tempos(after), tempos(before)) << name;
            int32_t end = before.end().tick;
            for (const EditNote& n : expected) end = std::max(end, n.tick + n.length);
            ASSERT_EQ(after.end().tick, end) << name;
        }
    }

    int tried_ = 0;
    int accepted_ = 0;
    int rewritten_ = 0;

private:
    // An edit may only be refused when its notes overlap, leave the range a
    // letter can spell, or sound across a tempo change.
    static bool refusable(const std::vector<EditNote>& expected, const test::Compiled& before)
    {
        for (size_t i = 0; i < expected.size(); ++i) {
            const EditNote& n = expected[i];
            if (n.noteNumber < 11 || n.noteNumber > 120) return true;
            if (i > 0 && n.tick < expected[i - 1].tick + expected[i - 1].length) return true;
            for (const TrackEvent& tempo : before.of(TrackEventKind::Tempo)) {
                if (tempo.tick > n.tick && tempo.tick < n.tick + n.length) return true;
            }
        }
        return false;
    }

    static std::vector<std::pair<int32_t, int32_t>> tempos(const test::Compiled& c)
    {
        std::vector<std::pair<int32_t, int32_t>> out;
        for (const TrackEvent& e : c.of(TrackEventKind::Tempo)) out.emplace_back(e.tick, e.value);
        return out;
    }

    int32_t pick(int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(random_); }

    std::vector<NoteEdit> randomEdits(const std::vector<EditNote>& notes, const TimingContext& timing)
    {
        const int32_t step = std::max(timing.timebase / 4, 1);  // a sixteenth
        std::vector<NoteEdit> edits;
        std::vector<size_t> used;
        const int count = pick(1, 3);
        for (int k = 0; k < count; ++k) {
            const auto index = static_cast<size_t>(pick(0, static_cast<int32_t>(notes.size()) - 1));
            if (std::find(used.begin(), used.end(), index) != used.end()) continue;
            used.push_back(index);
            const EditNote& n = notes[index];
            switch (pick(0, 5)) {
            case 0: edits.push_back(deleteOf(n.tick, n.noteNumber)); break;
            case 1: edits.push_back(moveOf(n.tick, n.noteNumber, n.tick, n.noteNumber + pick(-14, 14))); break;
            case 2:
                edits.push_back(moveOf(n.tick, n.noteNumber, std::max(0, n.tick + step * pick(-8, 8)), n.noteNumber));
                break;
            case 3: edits.push_back(resizeOf(n.tick, n.noteNumber, step * pick(1, 8))); break;
            case 4: edits.push_back(volumeOf(n.tick, n.noteNumber, pick(0, 15))); break;
            default:
                edits.push_back(insertOf(n.tick + n.length + step * pick(0, 4), step * pick(1, 4), pick(40, 90),
                                         pick(0, 15)));
                break;
            }
        }
        return edits;
    }

    std::mt19937 random_;
};

TEST(NoteEdit, RandomEditsOnEveryCorpusTrackChangeOnlyWhatTheyName)
{
    const std::vector<test::CorpusTrack> tracks = test::corpusTracks();
    ASSERT_FALSE(tracks.empty());
    EditChecker checker(20240611);
    for (const test::CorpusTrack& track : tracks) {
        checker.run(track.name, track.timing, track.text, 6);
        if (::testing::Test::HasFatalFailure()) return;
    }
    // Most random edits land where the track has room for them.
    EXPECT_GT(checker.accepted_ * 3, checker.tried_) << checker.accepted_ << " of " << checker.tried_;
}

TEST(NoteEdit, RandomEditsOnRandomTexts)
{
    static const char* const kPieces[] = {"c", "d+", "e8", "f16", "g4.", "a2", "b", "r", "r8", "r2.", "<", ">",
                                          "o3", "o5", "l8", "l4.", "v12", "v5", "t150", "&", " ", "\n",
                                          "/* x */", "n60", "C", "c&c", "h-"};
    std::mt19937 random(77);
    EditChecker checker(5);
    for (int k = 0; k < 300; ++k) {
        std::string text;
        const int pieces = std::uniform_int_distribution<int>(1, 40)(random);
        for (int i = 0; i < pieces; ++i) text += kPieces[random() % std::size(kPieces)];
        checker.run(text, {}, utf8ToUtf16(text), 4);
        if (::testing::Test::HasFatalFailure()) return;
    }
    EXPECT_GT(checker.accepted_ * 3, checker.tried_);
}

TEST(CliEdit, AppliesEveryOptionTogetherAndRefusesWithStatusOne)
{
    struct Case {
        const char* args;
        const char* input;
        int status;
        const char* output;  // the whole output, or a part of it when refused
    };
    const Case cases[] = {
        {"--insert 96:48:64", "l8 c r2 d", 0, "l8 c rer4 d"},
        {"--move 96:62:96:74 --volume 0:60:12", "c d8 e", 0, "v12cv8 >d8< e"},
        {"--delete 0:60 --insert 0:96:60:3", "c d", 0, "v3cv8 d"},
        {"--insert 0:96:60", "c", 1, "zema-cli edit: "},
        {"--delete 5", "c", 1, "is not --delete TICK:NOTE"},
        {"", "c", 1, "give at least one"},
    };
    for (const Case& c : cases) {
        const test::CliRun run = test::runCli(std::string("edit - ") + c.args, c.input);
        EXPECT_EQ(run.status, c.status) << c.args;
        if (c.status == 0) {
            EXPECT_EQ(run.out, c.output) << c.args;
        } else {
            EXPECT_NE(run.out.find(c.output), std::string::npos) << c.args << ": " << run.out;
        }
    }
}

}  // namespace
}  // namespace zema
