#include <gtest/gtest.h>

#include <string>

#include "compile_helpers.h"

namespace zema {
namespace {

using K = TrackEventKind;

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
    ASSERT_EQ(notes.size(), 5u);
    EXPECT_EQ(notes[0].length, 96);
    EXPECT_EQ(notes[1].length, 96);
    EXPECT_EQ(notes[2].noteNumber, 61);
    EXPECT_EQ(notes[3].noteNumber, 61);  // position of the accidental does not matter
    EXPECT_EQ(notes[4].noteNumber, 61);
    EXPECT_EQ(notes[4].length, 72);
    EXPECT_TRUE(notes[0].text.empty());
    EXPECT_EQ(c.of(K::Rest).size(), 1u);
}

TEST(ExtendedDialect, CharactersThatAreNoCommandsAreSkippedInsideParameters)
{
    // L is no command here, so its digits continue the note's length.
    const auto notes = ext("c L8 d1 6").of(K::Note);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].length, 48);
    EXPECT_EQ(notes[1].length, 24);
}

TEST(ExtendedDialect, CommandsNeedTheirNumbers)
{
    const auto c = ext("o v n p @ o5 c v3 c n60 t300 t301 t31");
    const auto notes = c.of(K::Note);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0].noteNumber, 72);
    EXPECT_EQ(notes[1].value, 3);
    EXPECT_EQ(notes[2].noteNumber, 72);
    EXPECT_TRUE(notes[2].byNumber);
    ASSERT_EQ(c.of(K::Tempo).size(), 1u);
    EXPECT_EQ(c.of(K::Tempo)[0].value, 300);
    EXPECT_TRUE(c.of(K::Program).empty());
    EXPECT_TRUE(c.of(K::Control).empty());
}

TEST(ExtendedDialect, ProgramControlsAndPitchBend)
{
    const auto c = ext("@127 @128 V100 E64 p0 y91,40 y91 y128,1 ~64 ~64,127 ~64,128 ~128");
    const auto program = c.of(K::Program);
    ASSERT_EQ(program.size(), 1u);
    EXPECT_EQ(program[0].value, 127);

    const auto controls = c.of(K::Control);
    ASSERT_EQ(controls.size(), 4u);
    EXPECT_EQ(std::make_pair(controls[0].value, controls[0].value2), std::make_pair(7, 100));
    EXPECT_EQ(std::make_pair(controls[1].value, controls[1].value2), std::make_pair(11, 64));
    EXPECT_EQ(std::make_pair(controls[2].value, controls[2].value2), std::make_pair(10, 0));
    EXPECT_EQ(std::make_pair(controls[3].value, controls[3].value2), std::make_pair(91, 40));

    const auto bends = c.of(K::PitchBend);
    ASSERT_EQ(bends.size(), 3u);
    EXPECT_EQ(bends[0].value2, 64);
    EXPECT_EQ(bends[0].value, 0);
    EXPECT_EQ(bends[1].value, 127);
    EXPECT_EQ(bends[2].value, 0);  // low part out of range counts as 0
}

TEST(ExtendedDialect, ValueEventsGetMeasureMarks)
{
    const auto c = ext("c1 @5 c1 y7,100");
    EXPECT_EQ(c.kinds(), (std::vector<K>{K::TrackStart, K::Measure, K::Note, K::Measure, K::Program, K::Note,
                                         K::Measure, K::Control, K::TrackEnd}));
}

TEST(ExtendedSysEx, HexParametersMakeOneMessage)
{
    const auto c = ext("EXxF0,x41,x10,x42,x12,x40,x00,x7F,x00,x41,xF7");
    const auto sysex = c.of(K::SysEx);
    ASSERT_EQ(sysex.size(), 1u);
    EXPECT_EQ(sysex[0].value, 11);
    EXPECT_EQ(sysex[0].data,
              (std::vector<uint8_t>{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}));
}

TEST(ExtendedSysEx, DecimalAndMixedCaseHexAreAccepted)
{
    const auto sysex = ext("EX240,126,127,9,1,247").of(K::SysEx);
    ASSERT_EQ(sysex.size(), 1u);
    EXPECT_EQ(sysex[0].data, (std::vector<uint8_t>{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    EXPECT_EQ(ext("EXxf0,x7e,xF7").of(K::SysEx).size(), 1u);
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
    const auto notes = c.of(K::Note);
    ASSERT_EQ(notes.size(), 5u);
    EXPECT_EQ(notes[0].channel, -1);
    EXPECT_EQ(notes[1].channel, 9);
    EXPECT_EQ(notes[2].channel, 2);
    EXPECT_EQ(notes[3].channel, 2);
    EXPECT_EQ(notes[4].channel, 2);
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
    EXPECT_EQ(ext("c4&c4").of(K::Note).size(), 1u);
    EXPECT_EQ(ext("c4&c4").of(K::Note)[0].length, 192);
    EXPECT_TRUE(ext("c4&c4").of(K::Note)[0].text.empty());
    EXPECT_EQ(ext("c4&c0c4").of(K::Note).size(), 2u);  // a dropped note closes the tie here
    EXPECT_EQ(ext("c4&c4", true).of(K::Tie).size(), 1u);
}

TEST(ExtendedPositions, ParametersSpanLinesAndEndsSkipGarbage)
{
    const auto notes = ext("c4 \nd1,\n6 e").of(K::Note);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0].startLine, 1);
    EXPECT_EQ(notes[0].endColumn, 2);
    EXPECT_EQ(notes[1].endLine, 3);
    EXPECT_EQ(notes[1].endColumn, 1);
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
