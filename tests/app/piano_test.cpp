// The piano keyboard's insertions and the tracks the piano roll shows.
#include <gtest/gtest.h>

#include <initializer_list>

#include "app/piano_input_text.h"
#include "app/piano_target.h"
#include "core/mml_compiler.h"
#include "core/unicode.h"

namespace zema {
namespace {

TEST(PianoInputText, SignsReachTheNotesOctaveFromTheOneInForceAndGoBackWhenANoteFollows)
{
    struct Case {
        std::u16string_view mml;
        TextCaret caret;
        int32_t note;
        std::u16string_view expected;
    };
    const Case cases[] = {
        // A note in the octave in force is its letter only; a following note needs no signs then.
        {u"", {0, 0}, 60, u"c"}, {u"cde", {0, 3}, 71, u"b"}, {u"cde", {0, 0}, 69, u"a"},
        // Other octaves get signs there, and back when a note follows; a rest keeps whatever octave it finds.
        {u"cde", {0, 0}, 73, u">c+<"}, {u"", {0, 0}, 73, u">c+"}, {u"c", {0, 1}, 59, u"<b"},
        {u"c", {0, 0}, 94, u">>a+<<"}, {u"c r", {0, 1}, 73, u">c+"}, {u"c", {0, 1}, 35, u"<<<b"},
        // The octave in force comes from the states ending at or before the caret: right after o6, not inside it.
        {u"o6 c", {0, 4}, 60, u"<<c"}, {u"o6 c", {0, 2}, 62, u"<<d>>"}, {u"o6 c", {0, 1}, 84, u">>c<<"},
        {u"c>d", {0, 3}, 71, u"<b"}, {u"c>d<<e", {0, 6}, 54, u"f+"},
        // Lines are compared before columns.
        {u"o2\nc", {1, 0}, 36, u"c"}, {u"c\no2", {0, 1}, 36, u"<<c"}, {u"o7 c\nd", {0, 9}, 96, u"c"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pianoInsertText(c.mml, c.caret, c.note), c.expected)
            << utf16ToUtf8(c.mml) << " at " << c.caret.line << ":" << c.caret.column << ", note " << c.note;
    }
}

TEST(PianoInputText, ListsAreReadDirectly)
{
    EventList events;
    StateList states;
    compileTrack(TimingContext{}, u"o5 c d", events, states, 0, false, false);
    EXPECT_EQ(octaveAtCaret(states, TextCaret{0, 0}), 4);
    EXPECT_EQ(octaveAtCaret(states, TextCaret{0, 2}), 5);
    EXPECT_EQ(octaveAtCaret({}, TextCaret{3, 3}), 4);
    EXPECT_TRUE(noteFollowsCaret(events, TextCaret{0, 5}));  // at the start of d
    EXPECT_FALSE(noteFollowsCaret(events, TextCaret{0, 6}));
    EXPECT_FALSE(noteFollowsCaret({}, TextCaret{0, 0}));
    EXPECT_EQ(pianoInsertText(states, events, TextCaret{0, 3}, 61), u"<c+>");
}

TEST(PianoInputText, InsertionTextForEveryBlackAndWhiteKey)
{
    const std::u16string expected[12] = {u"c", u"c+", u"d", u"d+", u"e", u"f", u"f+", u"g", u"g+", u"a", u"a+", u"b"};
    for (int semitone = 0; semitone < 12; ++semitone) {
        EXPECT_EQ(noteInsertionText(48 + semitone, 3, true), expected[semitone]) << semitone;
    }
    EXPECT_EQ(noteInsertionText(0, 4, false), u"<<<<<c");
    EXPECT_EQ(noteInsertionText(127, 8, true), u">g<");
}

TEST(PianoInputText, KeyLabelsNameOctaveAndNote)
{
    for (const auto& [note, label] : {std::pair{60, "Octave4 C"}, std::pair{61, "Octave4 C#"},
                                      std::pair{11, "Octave-1 B"}, std::pair{106, "Octave7 A#"}}) {
        EXPECT_EQ(pianoKeyLabel(note), label);
    }
}

// ---- Which tracks the piano roll shows -------------------------------------

TrackMask maskOf(std::initializer_list<int> slots)
{
    TrackMask mask{};
    for (int slot : slots) mask[static_cast<size_t>(slot)] = true;
    return mask;
}

// Slots 0..5 in use: 0, 1 and 5 in the global group, 2 and 3 in group 1,
// 4 in group 2; slot 7 holds a stale group number but is not in use.
Song groupedSong(int current)
{
    Song song;
    song.groups = {TrackGroup{u"グローバルグループ"}, TrackGroup{u"グループ 1"}, TrackGroup{u"グループ 2"}};
    for (int slot = 0; slot <= 5; ++slot) song.tracks[static_cast<size_t>(slot)].used = true;
    song.tracks[2].group = 1;
    song.tracks[3].group = 1;
    song.tracks[4].group = 2;
    song.tracks[7].group = 1;
    song.currentTrack = current;
    return song;
}

TEST(PianoTarget, CurrentTrackAndGlobalEntries)
{
    const Song song = groupedSong(3);
    const TrackMask user = maskOf({0, 9});

    const PianoTrackSelection current = pianoTargetSelection(0, song, user);
    EXPECT_EQ(current.visible, maskOf({3}));
    EXPECT_EQ(current.emphasised, maskOf({3}));

    const PianoTrackSelection global = pianoTargetSelection(1, song, user);
    EXPECT_EQ(global.visible, maskOf({0, 1, 2, 3, 4, 5}));  // unused slot 7 stays hidden
    EXPECT_EQ(global.emphasised, maskOf({3}));

    const PianoTrackSelection globalAll = pianoTargetSelection(2, song, user);
    EXPECT_EQ(globalAll.visible, global.visible);
    EXPECT_EQ(globalAll.emphasised, global.visible);
}

TEST(PianoTarget, GroupEntriesFollowTheCurrentTracksGroup)
{
    const TrackMask none{};
    const PianoTrackSelection group1 = pianoTargetSelection(3, groupedSong(2), none);
    EXPECT_EQ(group1.visible, maskOf({2, 3}));
    EXPECT_EQ(group1.emphasised, maskOf({2}));
    EXPECT_EQ(pianoTargetSelection(4, groupedSong(2), none).emphasised, maskOf({2, 3}));

    // A track of the global group sees the other global tracks only.
    EXPECT_EQ(pianoTargetSelection(3, groupedSong(5), none).visible, maskOf({0, 1, 5}));

    // A group number past the group list counts as the global group.
    Song stale = groupedSong(0);
    stale.tracks[4].group = 9;
    EXPECT_EQ(effectiveGroup(stale, 4), 0);
    EXPECT_EQ(pianoTargetSelection(4, stale, none).visible, maskOf({0, 1, 4, 5}));
    EXPECT_EQ(pianoTargetSelection(4, stale, none).emphasised, maskOf({0, 1, 4, 5}));
}

TEST(PianoTarget, UserEntriesShowExactlyTheChosenUsedTracks)
{
    const Song song = groupedSong(1);
    const TrackMask user = maskOf({1, 4, 7});  // 7 is not in use

    const PianoTrackSelection plain = pianoTargetSelection(5, song, user);
    EXPECT_EQ(plain.visible, maskOf({1, 4}));
    EXPECT_EQ(plain.emphasised, maskOf({1}));
    EXPECT_EQ(pianoTargetSelection(6, song, user).emphasised, maskOf({1, 4}));

    // The current track is not added behind the user's back.
    const PianoTrackSelection without = pianoTargetSelection(5, song, maskOf({0}));
    EXPECT_EQ(without.visible, maskOf({0}));
    EXPECT_EQ(without.emphasised, TrackMask{});
    EXPECT_EQ(pianoTargetSelection(6, song, TrackMask{}).visible, TrackMask{});
}

TEST(PianoTarget, OutOfRangeEntriesActAsTheCurrentTrack)
{
    const Song song = groupedSong(4);
    for (int target : {-1, 7, 100}) {
        EXPECT_EQ(pianoTargetSelection(target, song, maskOf({0, 1})), pianoTargetSelection(0, song, TrackMask{}))
            << target;
    }
}

}  // namespace
}  // namespace zema
