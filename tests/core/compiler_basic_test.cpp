#include <gtest/gtest.h>

#include "compile_helpers.h"

namespace zema {
namespace {

using test::compile;
using test::each;
using K = TrackEventKind;
using Ints = std::vector<int32_t>;

// --- lengths and dots -------------------------------------------------------

TEST(BasicLengths, WrittenDefaultAndDottedLengths)
{
    struct Case {
        const char* text;
        int32_t length;
        bool dotted;
        int32_t lengthNumber;
    };
    for (const Case& c : {Case{"c", 96, false, 4}, Case{"c8", 48, false, 8}, Case{"c4.", 144, true, 4},
                          Case{"l8 c4.", 144, true, 4}, Case{"l4. c", 144, true, 4}, Case{"l4. c.", 144, true, 4},
                          Case{"l4. c8", 48, false, 8}, Case{"l8 c.", 72, true, 8}, Case{"c0", 96, false, 4},
                          Case{"c0.", 144, true, 4}, Case{"c64", 6, false, 64}, Case{"c64.", 9, true, 64},
                          Case{"c1", 384, false, 1}, Case{"c3", 128, false, 3}, Case{"c5.", 114, true, 5},
                          Case{"c4..", 144, true, 4}}) {
        const auto notes = compile(c.text).of(K::Note);
        ASSERT_EQ(notes.size(), 1u) << c.text;
        EXPECT_EQ(notes[0].length, c.length) << c.text;
        EXPECT_EQ(notes[0].dotted, c.dotted) << c.text;
        EXPECT_EQ(notes[0].lengthNumber, c.lengthNumber) << c.text;
    }
}

TEST(BasicLengths, OutOfRangeNotesAndRestsAreDroppedAndTakeNoTime)
{
    const auto c = compile("c65 r65 r99999999999999 c");
    ASSERT_EQ(c.of(K::Note).size(), 1u);
    EXPECT_EQ(c.of(K::Note)[0].tick, 0);
    EXPECT_TRUE(c.of(K::Rest).empty());
    EXPECT_EQ(c.end().tick, 96);
}

TEST(BasicLengths, TimebaseOneMakesShortNotesTakeNoTime)
{
    const auto c = compile("c8 d4 e2", TimingContext{1, 4, 4});
    EXPECT_EQ(each(c.of(K::Note), &TrackEvent::tick), (Ints{0, 0, 1}));
    EXPECT_EQ(each(c.of(K::Note), &TrackEvent::length), (Ints{0, 1, 2}));
    EXPECT_EQ(c.end().tick, 3);
}

TEST(BasicLengths, BlanksLineBreaksAndCommentsMayStandBetweenDigits)
{
    for (const char* text : {"c 1 6", "c1\r\n6", "c1/*x*/6", "c1// tail\n6", "c\t1\xE3\x80\x80" "6", "c 16"}) {
        const auto notes = compile(text).of(K::Note);
        ASSERT_EQ(notes.size(), 1u) << text;
        EXPECT_EQ(notes[0].length, 24) << text;
        EXPECT_EQ(notes[0].lengthNumber, 16) << text;
    }
}

// --- notes, octaves and commands at the ends of their ranges -----------------

TEST(BasicNotes, LettersAccidentalsNumbersAndOctaveLimits)
{
    struct Case {
        const char* text;
        Ints notes;
    };
    const Case cases[] = {
        {"c d e f g a b h c+ c# d- c+- c-+ C+4 n48 n0 n96",
         {60, 62, 64, 65, 67, 69, 71, 71, 61, 61, 61, 59, 61, 61, 60, 12, 108}},
        {"c4+ d", {60, 62}},  // modifiers after the number are garbage
        {"o0 c- o8 b+", {11, 120}},
        // Octave commands stop at their limits.
        {"o0 < c", {12}}, {"o1 < c", {24}}, {"o2 < c", {24}}, {"o8 > c", {108}}, {"o7 > c", {108}},
        {"o9 c", {60}},   {"o c", {12}},    {"> > > > > c", {108}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(each(compile(c.text).of(K::Note), &TrackEvent::noteNumber), c.notes) << c.text;
    }
    const TrackEvent byNumber = compile("c n48").of(K::Note)[1];
    EXPECT_TRUE(byNumber.byNumber);
    EXPECT_EQ(byNumber.lengthNumber, 48);
}

TEST(BasicNotes, NUsesTheDefaultLengthAndRejectsOutOfRange)
{
    const auto c = compile("l8. n60 n97 n");
    const auto notes = c.of(K::Note);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].length, 72);
    EXPECT_TRUE(notes[0].dotted);
    EXPECT_EQ(notes[0].text, u"N60");
    EXPECT_EQ(notes[1].noteNumber, 12);  // a missing number is 0
    EXPECT_EQ(c.end().tick, 144);
}

TEST(BasicCommands, VolumeTempoAndLengthRanges)
{
    const auto c = compile("v15 c v16 c v0 c v c t31 t32 t255 t256 l0 l65 l64 c");
    // v16 is ignored, a missing number is 0; l0 and l65 leave l64 in force.
    EXPECT_EQ(each(c.of(K::Note), &TrackEvent::value), (Ints{15, 15, 0, 0, 0}));
    EXPECT_EQ(c.of(K::Note)[4].length, 6);
    EXPECT_EQ(each(c.of(K::Tempo), &TrackEvent::value), (Ints{32, 255}));
}

TEST(BasicCommands, RestsCarryTheLastPitchAndVolume)
{
    const auto rests = compile("r v3 o5 d r").of(K::Rest);
    EXPECT_EQ(each(rests, &TrackEvent::noteNumber), (Ints{60, 74}));
    EXPECT_EQ(each(rests, &TrackEvent::value), (Ints{8, 3}));
}

TEST(BasicCommands, EventTextsSpellTheNoteAsUsed)
{
    EXPECT_EQ(each(compile("c+8. l16 d c-").of(K::Note), &TrackEvent::text),
              (std::vector<std::u16string>{u"C+8.", u"D16", u"C-16"}));
    EXPECT_TRUE(compile("r8").of(K::Rest)[0].text.empty());
}

TEST(BasicCommands, StatesGoToTheStateListOrTheEvents)
{
    const auto c = compile("o5 v10 t150 l8.", {}, 0, false, false);
    EXPECT_EQ(each(c.states, &TrackEvent::kind), (std::vector<K>{K::OctaveState, K::VolumeState, K::TempoState,
                                                                 K::LengthState, K::OctaveState, K::VolumeState,
                                                                 K::TempoState, K::LengthState}));
    EXPECT_EQ(c.states[7].value, 8);
    EXPECT_EQ(c.states[7].value2, 1);

    const auto moved = compile("o5 v10 t150 l8.", {}, 0, false, true);
    EXPECT_EQ(moved.states.size(), 6u);  // start states, octave and tempo stay
    EXPECT_EQ(moved.of(K::VolumeState).size(), 1u);
    EXPECT_EQ(moved.of(K::LengthState).size(), 1u);
}

// --- ties --------------------------------------------------------------------

TEST(BasicTies, EqualPitchesJoinOthersDoNot)
{
    const auto joined = compile("c4&c4");
    ASSERT_EQ(joined.of(K::Note).size(), 1u);
    EXPECT_EQ(joined.of(K::Note)[0].length, 192);
    EXPECT_EQ(joined.of(K::Note)[0].text, u"C4&&&&C4");
    EXPECT_EQ(joined.of(K::Note)[0].endColumn, 5);

    EXPECT_EQ(compile("c4&d4").of(K::Note).size(), 2u);
    EXPECT_EQ(compile("c4&r4&c4").of(K::Note).size(), 2u);
    const auto overRest = compile("c4r4&c4");
    EXPECT_EQ(overRest.of(K::Note).size() + overRest.of(K::Rest).size(), 3u);
    EXPECT_EQ(compile("&c").of(K::Note).size(), 1u);
    EXPECT_EQ(compile("c&n48").of(K::Note).size(), 1u);  // equal pitch written by number
}

TEST(BasicTies, OtherCommandsCloseTheTieButADroppedNoteDoesNot)
{
    EXPECT_EQ(compile("c&v5c").of(K::Note).size(), 2u);
    EXPECT_EQ(compile("c&c65c").of(K::Note).size(), 1u);
    EXPECT_EQ(compile("c&r65c").of(K::Note).size(), 2u);
    EXPECT_EQ(compile("c&&c").of(K::Note).size(), 1u);
}

TEST(BasicTies, KeepTiesLeavesNotesApartWithTieEvents)
{
    const auto c = compile("l8. c4&c4", {}, 0, true);
    EXPECT_EQ(c.kinds(), (std::vector<K>{K::Measure, K::Note, K::Tie, K::Note, K::TrackEnd}));
    const auto tie = c.of(K::Tie)[0];
    EXPECT_EQ(tie.tick, 96);
    EXPECT_EQ(tie.defaultLength, 8);
    EXPECT_TRUE(tie.defaultDotted);
}

TEST(BasicTies, ATieOverABarLineMakesNoMeasureMark)
{
    const auto measures = compile("c1&c1 d").of(K::Measure);
    EXPECT_EQ(each(measures, &TrackEvent::tick), (Ints{0, 768}));  // before d; the tied whole at 384 got none
    EXPECT_EQ(measures[1].value, 2);
}

// --- measures ------------------------------------------------------------------

TEST(BasicMeasures, MarksPrecedeTheFirstEventOfEachUsedMeasure)
{
    const auto c = compile("c1 c1");
    EXPECT_EQ(c.kinds(), (std::vector<K>{K::Measure, K::Note, K::Measure, K::Note, K::TrackEnd}));
    EXPECT_EQ(c.of(K::Measure)[1].tick, 384);
    EXPECT_EQ(c.of(K::Measure)[1].value, 1);

    const auto skip = compile("c1 r1 r1 t100 c");  // rests and tempo get marks too
    EXPECT_EQ(skip.of(K::Measure).size(), 4u);
    EXPECT_EQ(compile("c1 v5 o3").of(K::Measure).size(), 1u);
}

TEST(BasicMeasures, StartTickPlacesEverythingAndMeasuresCountFromSongStart)
{
    const auto c = compile("c", {}, 400);
    EXPECT_EQ(c.of(K::Measure)[0].value, 1);
    EXPECT_EQ(c.of(K::Note)[0].tick, 400);
    EXPECT_EQ(c.end().tick, 496);
    for (const auto& s : c.states) EXPECT_EQ(s.tick, 400);
}

TEST(BasicMeasures, SixEightAtNinetySix)
{
    EXPECT_EQ(each(compile("c4. c4. c4.", {96, 6, 8}).of(K::Measure), &TrackEvent::tick), (Ints{0, 288}));
}

// --- steps, start and end ------------------------------------------------------

TEST(BasicTrack, EmptyTextHasStartStatesAndAnEnd)
{
    const auto c = compile("", {}, 50);
    EXPECT_EQ(c.kinds(), (std::vector<K>{K::TrackEnd}));
    EXPECT_EQ(c.end().tick, 50);
    EXPECT_EQ(c.end().value, 0);
    EXPECT_EQ(each(c.states, &TrackEvent::kind),
              (std::vector<K>{K::OctaveState, K::VolumeState, K::TempoState, K::LengthState}));
    EXPECT_EQ(each(c.states, &TrackEvent::value), (Ints{4, 8, 120, 4}));
    EXPECT_EQ(c.states[3].value2, 0);
}

TEST(BasicTrack, StepsRunToTheNextNoteOverRestsAndToTheEnd)
{
    EXPECT_EQ(each(compile("c8 r8 d4 l2 e r").of(K::Note), &TrackEvent::step), (Ints{96, 96, 384}));
}

TEST(BasicTrack, TrackEndCarriesTheDefaultLength)
{
    const auto end = compile("l8. c").end();
    EXPECT_EQ(end.defaultLength, 8);
    EXPECT_TRUE(end.defaultDotted);
}

TEST(BasicTrack, TextStopsAtNul)
{
    const std::u16string text{u'c', u'\0', u'd'};
    EXPECT_EQ(compile(std::u16string_view(text)).of(K::Note).size(), 1u);
}

// --- source positions ------------------------------------------------------------

TEST(BasicPositions, ColumnsCountUtf16UnitsAcrossCrLfLines)
{
    const auto notes = compile(u"c4\r\n  d8.\r\n\U0001F3B5e").of(K::Note);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(test::span(notes[0]), (test::Span{0, 0, 0, 2}));
    EXPECT_EQ(test::span(notes[1]), (test::Span{1, 2, 1, 5}));
    EXPECT_EQ(test::span(notes[2]), (test::Span{2, 2, 2, 3}));  // after a surrogate pair
}

TEST(BasicPositions, CommentsKeepLineCountsAndEndsExcludeTrailingBlanks)
{
    const auto notes = compile("/* one\ntwo */ c // x\n c 1\n6 d").of(K::Note);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(test::span(notes[0]), (test::Span{1, 7, 1, 8}));
    EXPECT_EQ(test::span(notes[1]), (test::Span{2, 1, 3, 1}));
    EXPECT_EQ(notes[1].length, 24);
    EXPECT_EQ(notes[2].startLine, 3);
}

TEST(BasicPositions, UnterminatedBlockCommentRunsToTheEnd)
{
    const auto c = compile("c /* d e f");
    EXPECT_EQ(c.of(K::Note).size(), 1u);
    EXPECT_EQ(c.end().value, 1);
}

// --- dialect selection -------------------------------------------------------------

TEST(Dialect, OnlyTheExactMarkerAtTheStartSelectsTheExtendedDialect)
{
    EXPECT_TRUE(isExtendedDialect(u"//#using_extension\nc"));
    EXPECT_FALSE(isExtendedDialect(u" //#using_extension\nc"));
    EXPECT_FALSE(isExtendedDialect(u"//#USING_EXTENSION"));
    EXPECT_FALSE(isExtendedDialect(u"//#using_extensio"));
    // Upper-case notes only sound in the basic dialect.
    EXPECT_EQ(compile("//#USING_EXTENSION\nC4").of(K::Note).size(), 1u);
    EXPECT_EQ(compile("//#using_extension\nC4").of(K::Note).size(), 0u);
}

// --- character counting ----------------------------------------------------------------

TEST(BasicCount, CommandCharactersCountWhetherAcceptedOrNot)
{
    struct Case {
        const char* text;
        int32_t count;
    };
    for (const Case& c : {Case{"", 0}, Case{"c4", 2}, Case{"c+8.", 4}, Case{"c 1 6", 3}, Case{"c65", 3},
                          Case{"t20 v16", 6}, Case{"c4+", 2}, Case{"// c d e\nc", 1}, Case{"/* c */c", 1},
                          Case{"xyz c", 1}, Case{"l8&c<>", 6}, Case{"\xEF\xBD\x83 c", 1}, Case{"C+4", 3}}) {
        EXPECT_EQ(compile(c.text).end().value, c.count) << c.text;
        EXPECT_EQ(characterCount(utf8ToUtf16(c.text)), c.count) << c.text;
    }
}

TEST(BasicTrack, NonPositiveTimebaseNeverRunsTimeBackwards)
{
    for (int32_t timebase : {0, -255}) {
        const auto c = test::compile("c1 d r8. e", TimingContext{timebase, 4, 4});
        for (size_t i = 1; i < c.events.size(); ++i) EXPECT_LE(c.events[i - 1].tick, c.events[i].tick);
        EXPECT_EQ(c.end().tick, 4 + 1 + 0 + 1);  // read at timebase 1
    }
}

}  // namespace
}  // namespace zema
