#include <gtest/gtest.h>

#include <string>

#include "compile_helpers.h"

namespace zema {
namespace {

using K = TrackEventKind;
using test::each;
using Ints = std::vector<int32_t>;
using Pairs = std::vector<std::pair<int32_t, int32_t>>;

// Each event's value and second value.
Pairs values(const std::vector<TrackEvent>& events)
{
    Pairs out;
    for (const TrackEvent& e : events) out.emplace_back(e.value, e.value2);
    return out;
}

test::Compiled ext(const std::string& body, bool keepTies = false)
{
    return test::compile("//#using_extension\n" + body, TimingContext{}, 0, keepTies);
}

TEST(ExtendedDialect, StartsWithATrackStartAndTheStartStates)
{
    const auto c = test::compile("//#using_extension", TimingContext{}, 30);
    EXPECT_EQ(c.kinds(), (std::vector<K>{K::TrackStart, K::TrackEnd}));
    EXPECT_EQ(c.events[0].tick, 30);
    EXPECT_EQ(c.end().tick, 30);
    EXPECT_EQ(c.end().value, 0);  // the directive line is a comment
    EXPECT_EQ(c.states.size(), 4u);
}

TEST(ExtendedDialect, NotesAreLowerCaseOnlyAndNeedValidLengths)
{
    const auto c = ext("C4 c4 c0 c65 r0 c c+4 c4+ c#8. r");
    const auto notes = c.of(K::Note);
    // The position of the accidental does not matter.
    EXPECT_EQ(each(notes, &TrackEvent::noteNumber), (Ints{60, 60, 61, 61, 61}));
    EXPECT_EQ(each(notes, &TrackEvent::length), (Ints{96, 96, 96, 96, 72}));
    EXPECT_TRUE(notes[0].text.empty());
    EXPECT_EQ(c.of(K::Rest).size(), 1u);
}

TEST(ExtendedDialect, CharactersThatAreNoCommandsAreSkippedInsideParameters)
{
    // L is no command here, so its digits continue the note's length.
    EXPECT_EQ(each(ext("c L8 d1 6").of(K::Note), &TrackEvent::length), (Ints{48, 24}));
}

TEST(ExtendedDialect, CommandsNeedTheirNumbers)
{
    const auto c = ext("o v n p @ o5 c v3 c n60 t300 t301 t31");
    const auto notes = c.of(K::Note);
    EXPECT_EQ(each(notes, &TrackEvent::noteNumber), (Ints{72, 72, 72}));
    EXPECT_EQ(each(notes, &TrackEvent::value), (Ints{8, 3, 3}));
    EXPECT_TRUE(notes[2].byNumber);
    EXPECT_EQ(each(c.of(K::Tempo), &TrackEvent::value), (Ints{300}));
    EXPECT_TRUE(c.of(K::Program).empty());
    EXPECT_TRUE(c.of(K::Control).empty());
}

TEST(ExtendedDialect, ProgramControlsAndPitchBend)
{
    const auto c = ext("@127 @128 V100 E64 p0 y91,40 y91 y128,1 ~64 ~64,127 ~64,128 ~128");
    EXPECT_EQ(each(c.of(K::Program), &TrackEvent::value), (Ints{127}));
    EXPECT_EQ(values(c.of(K::Control)), (Pairs{{7, 100}, {11, 64}, {10, 0}, {91, 40}}));
    // A low part out of range counts as 0.
    EXPECT_EQ(values(c.of(K::PitchBend)), (Pairs{{0, 64}, {127, 64}, {0, 64}}));
}

TEST(ExtendedDialect, ValueEventsGetMeasureMarks)
{
    const auto c = ext("c1 @5 c1 y7,100");
    EXPECT_EQ(c.kinds(), (std::vector<K>{K::TrackStart, K::Measure, K::Note, K::Measure, K::Program, K::Note,
                                         K::Measure, K::Control, K::TrackEnd}));
}

TEST(ExtendedSysEx, HexDecimalAndMixedCaseParametersMakeOneMessage)
{
    using Data = std::vector<uint8_t>;
    const std::pair<const char*, Data> cases[] = {
        {"EXxF0,x41,x10,x42,x12,x40,x00,x7F,x00,x41,xF7",
         {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}},
        {"EX240,126,127,9,1,247", {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
        {"EXxf0,x7e,xF7", {0xF0, 0x7E, 0xF7}},
    };
    for (const auto& [body, data] : cases) {
        const auto sysex = ext(body).of(K::SysEx);
        ASSERT_EQ(sysex.size(), 1u) << body;
        EXPECT_EQ(sysex[0].data, data) << body;
        EXPECT_EQ(sysex[0].value, static_cast<int32_t>(data.size())) << body;
    }
}

TEST(ExtendedSysEx, BadMessagesAreDroppedWhole)
{
    for (const char* body : {"EXxF0,x41", "EXxF0,x80,xF7", "EXxF0,,xF7", "EXx41,xF7", "EX", "EXxF0,x4,xF7",
                             "EXxF0,x411,xF7", "EXxF0,xG1,xF7"}) {
        EXPECT_TRUE(ext(body).of(K::SysEx).empty()) << body;
    }
    std::string longMessage = "EXxF0";
    for (int i = 0; i < 130; ++i) longMessage += ",1";
    longMessage += ",xF7";
    EXPECT_TRUE(ext(longMessage).of(K::SysEx).empty());
}

TEST(ExtendedSysEx, LoneEIsExpression)
{
    const auto c = ext("E100 EX");
    ASSERT_EQ(c.of(K::Control).size(), 1u);
    EXPECT_EQ(c.of(K::Control)[0].value, 11);
}

TEST(ExtendedDirectives, ChannelAppliesToLaterEvents)
{
    const auto c = ext("c\n//#using_channel=10\nd\n//#using_channel = 3 \r\ne\n//#using_channel=17\nf\n"
                       "//#using_channel=0\ng");
    EXPECT_EQ(each(c.of(K::Note), &TrackEvent::channel), (Ints{-1, 9, 2, 2, 2}));
    EXPECT_EQ(c.end().channel, 2);
}

TEST(ExtendedDirectives, MalformedDirectivesAreIgnored)
{
    for (const char* line : {"//#using_channel", "//#using_channel=", "//#using_channel=x", "//#other=4",
                             "//# using_channel=4", "//#using_channel=="}) {
        const auto notes = ext(std::string(line) + "\nc").of(K::Note);
        ASSERT_EQ(notes.size(), 1u) << line;
        EXPECT_EQ(notes[0].channel, -1) << line;
    }
    EXPECT_EQ(ext("//#using_channel==5\nc").of(K::Note)[0].channel, 4);  // empty pieces are skipped
}

TEST(ExtendedTies, JoinWithoutKeepTiesAndTieEventsWith)
{
    const auto joined = ext("c4&c4").of(K::Note);
    ASSERT_EQ(joined.size(), 1u);
    EXPECT_EQ(joined[0].length, 192);
    EXPECT_TRUE(joined[0].text.empty());
    EXPECT_EQ(ext("c4&c0c4").of(K::Note).size(), 2u);  // a dropped note closes the tie here
    EXPECT_EQ(ext("c4&c4", true).of(K::Tie).size(), 1u);
}

TEST(ExtendedPositions, ParametersSpanLinesAndEndsSkipGarbage)
{
    const auto notes = ext("c4 \nd1,\n6 e").of(K::Note);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(test::span(notes[0]), (test::Span{1, 0, 1, 2}));
    EXPECT_EQ(test::span(notes[1]), (test::Span{2, 0, 3, 1}));
    EXPECT_EQ(notes[1].length, 384);  // the second parameter is ignored
}

TEST(ExtendedCount, CountedCharactersAnywhereOutsideComments)
{
    struct Case {
        const char* body;
        int32_t count;
    };
    for (const Case& c : {Case{"c4", 2}, Case{"@1 y7,100 ~64", 7}, Case{"EXxF0,x41,xF7", 1}, Case{"L8 N60", 5},
                          Case{"// c d\nc", 1}, Case{"/* c */ c", 1}, Case{"Xx zZ", 0}, Case{"V100 E10", 7},
                          Case{"c#+-.", 5}}) {
        EXPECT_EQ(ext(c.body).end().value, c.count) << c.body;
    }
}

}  // namespace
}  // namespace zema
