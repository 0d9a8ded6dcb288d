// MIDI import: made MIDI bytes in, MML text out, and that text compiled back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/unicode.h"
#include "document/smf_import.h"
#include "smf_test_support.h"

namespace zema {
namespace {

using test::compiledNotes;
using test::midiFile;
using test::MidiTrack;
using test::SoundingNote;
using ::testing::HasSubstr;
using ::testing::Not;

using test::plainOptions;

std::vector<std::u16string> importTexts(const std::string& bytes, const SmfImportOptions& options,
                                        std::vector<bool> selected = std::vector<bool>(32, true))
{
    const SmfImportResult result = convertSmf(bytes, options, selected);
    EXPECT_EQ(result.status, SmfImportStatus::Ok);
    return result.texts;
}

// The single track a file makes, as UTF-8 for readable failures.
std::string onlyText(const std::string& bytes, const SmfImportOptions& options)
{
    const auto texts = importTexts(bytes, options);
    EXPECT_EQ(texts.size(), 1u);
    return texts.empty() ? std::string() : utf16ToUtf8(texts.front());
}

std::string oneNote(int timebase, uint32_t length, int note = 60, int channel = 0)
{
    return midiFile(0, timebase, {MidiTrack().on(0, channel, note).off(length, channel, note).end()});
}

TEST(SmfImport, RefusesWhatIsNoMidiFileAndReadsSmpteTime)
{
    for (const std::string& bad : {std::string(), std::string("not a midi file"), test::midiHeader(3, 1, 96),
                                   std::string("MThd\0\0\0\x07\0\0\0\x01\0\x60\0", 15),
                                   test::midiHeader(0, 1, 96).substr(0, 13),
                                   test::midiHeader(0, 1, 0xE800)}) {  // -24 fps with 0 ticks per frame
        EXPECT_EQ(convertSmf(bad, plainOptions(), {true}).status, SmfImportStatus::ParseError);
    }
    EXPECT_EQ(convertSmf(test::midiHeader(0, 1, 0xC228), plainOptions(), {true}).status,
              SmfImportStatus::ParseError);  // -62 is no frame rate

    // -24 fps, 80 ticks a frame: 1920 ticks a second, so 960 are a quarter at
    // tempo 120, and a tempo event has no meaning in real time.
    const std::string smpte = midiFile(
        0, 0xE850, {MidiTrack().meta(0, 0x51, "\x0F\x42\x40").on(0, 0, 60).off(960, 0, 60).on(0, 0, 62).off(480, 0, 62).end()});
    EXPECT_EQ(onlyText(smpte, plainOptions()), "\r\n/*M 0  */  C4D8\r\n");
}

TEST(SmfImport, LengthPiecesAtTimebases96And480And1)
{
    struct Case {
        int timebase;
        uint32_t length;
        int note;
        const char* text;
    };
    const Case cases[] = {
        // A quarter and a sixteenth is tied from two pieces; a dotted quarter is one.
        {96, 120, 60, "C4&C16\r\n"},
        {96, 144, 60, "C4.\r\n"},
        {480, 600, 61, "C+4&C+16\r\n"},
        {480, 480 * 9, 60, "C1\r\n/*M 1  */  &C1\r\n/*M 2  */  &C4\r\n"},  // two bar lines crossed
        // Timebase 1: the short pieces are 0 ticks and are skipped, and the
        // dotted quarter (1 tick after truncation) gives way to the plain quarter.
        {1, 1, 60, "C4\r\n"},
        {1, 3, 60, "C2.\r\n"},
        {1, 7, 60, "C1\r\n/*M 1  */  &C2.\r\n"},
    };
    for (const Case& c : cases) {
        const std::string text = onlyText(oneNote(c.timebase, c.length, c.note), plainOptions());
        EXPECT_EQ(text, std::string("\r\n/*M 0  */  ") + c.text) << c.timebase << ": " << c.length;
    }
}

TEST(SmfImport, QuantizeRoundsExactHalvesDown)
{
    // Timebase 480, sixteenths: the grid is 120 ticks.
    const std::string bytes = midiFile(
        0, 480, {MidiTrack().on(60, 0, 60).off(120, 0, 60).on(1, 0, 62).off(180, 0, 62).end()});
    SmfImportOptions options = plainOptions();
    options.quantizeValue = 16;
    const auto texts = importTexts(bytes, options);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(utf16ToUtf8(texts[0]), "\r\n/*M 0  */  C16R16D16\r\n");
    EXPECT_EQ(compiledNotes(texts[0], 480), (std::vector<SoundingNote>{{0, 120, 60}, {240, 120, 62}}));
}

TEST(SmfImport, RunningStatusNoteOnZeroAndUnendedNotes)
{
    // Running status survives a meta event; velocity 0 ends a note; a note
    // that never ends and an end without a start leave nothing.
    MidiTrack track;
    track.on(0, 0, 60).raw(std::string("\x60\x3C\x00", 3));
    track.meta(0, 0x01, "break").raw(std::string("\x00\x3E\x7F\x60\x3E\x00", 6));
    track.off(0, 0, 70).on(0, 0, 64).end(96);
    const std::string bytes = midiFile(0, 96, {track});
    const auto texts = importTexts(bytes, plainOptions());
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(compiledNotes(texts[0], 96), (std::vector<SoundingNote>{{0, 96, 60}, {96, 96, 62}}));

    SmfImportOptions velocity = plainOptions();
    velocity.velocity = true;
    EXPECT_EQ(onlyText(bytes, velocity), "//#using_extension\r\n\r\n\r\n/*M 0  */  v11c4v15d4\r\n");
}

TEST(SmfImport, OverlapsRestsAndRestSaving)
{
    // C from 0 to 96, E from 48 to 144, G from 192 to 288.
    const std::string bytes = midiFile(0, 96, {MidiTrack()
                                                   .on(0, 0, 60)
                                                   .on(48, 0, 64)
                                                   .off(48, 0, 60)
                                                   .off(48, 0, 64)
                                                   .on(48, 0, 67)
                                                   .off(96, 0, 67)
                                                   .end()});
    EXPECT_EQ(onlyText(bytes, plainOptions()), "\r\n/*M 0  */  C4R4G4\r\n");
    SmfImportOptions saving = plainOptions();
    saving.reduceRest = true;
    EXPECT_EQ(onlyText(bytes, saving), "\r\n/*M 0  */  C2G4\r\n");

    SmfImportOptions spread = plainOptions();
    spread.spreadTrack = true;
    const auto texts = importTexts(bytes, spread, {true});
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(utf16ToUtf8(texts[0]), "\r\n/*M 0  */  C4R4G4\r\n");
    EXPECT_EQ(utf16ToUtf8(texts[1]), "\r\n/*M 0  */  R8E4\r\n");
}

TEST(SmfImport, SpreadPutsChordsOnTracksAndControlsApart)
{
    // Format 1, chunk 2 holds a three-note chord with a program change and a
    // text; chunk 1 is the conductor. Spreading chunk 2 keeps its list index
    // for the first voice and fills the free lists for the others.
    MidiTrack conductor;
    conductor.meta(0, 0x03, "Song").end();
    MidiTrack chords;
    chords.event(0, {0xC0, 5}).meta(0, 0x01, "x").on(0, 0, 60).on(0, 0, 64).on(0, 0, 67);
    chords.off(96, 0, 60).off(0, 0, 64).off(0, 0, 67).end();
    const std::string bytes = midiFile(1, 96, {conductor, chords});

    SmfImportOptions options = plainOptions();
    options.spreadTrack = true;
    options.programChange = true;
    options.midiText = true;
    auto texts = importTexts(bytes, options, {false, true});
    ASSERT_EQ(texts.size(), 3u);  // lists 0 and 2 take the other voices
    EXPECT_EQ(compiledNotes(texts[0], 96), (std::vector<SoundingNote>{{0, 96, 64}}));
    EXPECT_EQ(compiledNotes(texts[1], 96), (std::vector<SoundingNote>{{0, 96, 60}}));
    EXPECT_EQ(compiledNotes(texts[2], 96), (std::vector<SoundingNote>{{0, 96, 67}}));
    EXPECT_THAT(utf16ToUtf8(texts[1]), HasSubstr("@5"));  // the program stays on the spread track
    EXPECT_THAT(utf16ToUtf8(texts[0]), Not(HasSubstr("// Song")));  // no name comments when spreading

    options.spreadControl = true;
    texts = importTexts(bytes, options, {false, true});
    ASSERT_EQ(texts.size(), 4u);
    // The program and a copy of the text take the first empty list (3).
    EXPECT_EQ(utf16ToUtf8(texts[3]), "//#using_extension\r\n\r\n\r\n/*M 0  */  @5\r\n/*M 0  */  // x\r\n");
    EXPECT_THAT(utf16ToUtf8(texts[1]), HasSubstr("// x"));
    EXPECT_THAT(utf16ToUtf8(texts[1]), Not(HasSubstr("@5")));
}

TEST(SmfImport, ZeroLengthNotes)
{
    // Drums on channel 10 played as on/off at one tick last one grid step.
    const std::string drums =
        midiFile(0, 96, {MidiTrack().on(0, 9, 36).off(0, 9, 36).on(96, 9, 38).off(0, 9, 38).end()});
    EXPECT_EQ(onlyText(drums, plainOptions()), "\r\n/*M 0  */  o2C64R8.R32.D64\r\n");

    // Elsewhere they vanish, unless rest saving holds them over the gap.
    const std::string melody =
        midiFile(0, 96, {MidiTrack().on(0, 0, 60).off(0, 0, 60).on(96, 0, 62).off(96, 0, 62).end()});
    EXPECT_EQ(onlyText(melody, plainOptions()), "\r\n/*M 0  */  R4D4\r\n");
    SmfImportOptions saving = plainOptions();
    saving.reduceRest = true;
    EXPECT_EQ(onlyText(melody, saving), "\r\n/*M 0  */  C4D4\r\n");
}

TEST(SmfImport, OctavesStayInStepWithTheCompiler)
{
    // '<' cannot reach octave 0 and octaves past 8 do not exist: notes there
    // move by whole octaves and later notes keep their pitch.
    MidiTrack track;
    uint32_t delay = 0;
    for (int note : {60, 36, 24, 12, 127, 5, 60, 72}) {
        track.on(delay, 0, note).off(96, 0, note);
        delay = 0;
    }
    const auto texts = importTexts(midiFile(0, 96, {track.end()}), plainOptions());
    ASSERT_EQ(texts.size(), 1u);
    std::vector<int32_t> pitches;
    for (const SoundingNote& note : compiledNotes(texts[0], 96)) pitches.push_back(note.note);
    EXPECT_EQ(pitches, (std::vector<int32_t>{60, 36, 24, 12, 115, 17, 60, 72}));
    EXPECT_EQ(utf16ToUtf8(texts[0]), "\r\n/*M 0  */  C4o2C4<C4o0C4\r\n/*M 1  */  o8G4o0F4o4C4>C4\r\n");
}

TEST(SmfImport, ExtendedDialectWritesLowerCaseAndEveryOption)
{
    MidiTrack track;
    track.event(0, {0xC2, 5}).event(0, {0xB2, 7, 100}).event(0, {0xB2, 10, 64});
    track.event(0, {0xE2, 0, 64}).event(0, {0xE2, 1, 64});
    track.event(0, {0xF0, 5, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
    track.meta(0, 0x51, "\x07\xA1\x20").on(0, 2, 61, 127).off(96, 2, 61).on(96, 2, 62, 64).off(96, 2, 62).end();
    SmfImportOptions options;  // the dialog's defaults, with bends and the channel
    options.pitchBend = true;
    options.channel = true;
    const std::string text = onlyText(midiFile(0, 96, {track}), options);
    EXPECT_EQ(text,
              "//#using_extension\r\n//#using_channel = 3\r\n\r\n"
              "\r\n/*M 0  */  @5V100y10,64~64~64,1"
              "\r\n/*M 0  */  EXxF0,x7E,x7F,x09,x01,xF7"
              "\r\n/*M 0  */  t120v15c+4r4v7d4\r\n");

    // The extended compiler reads all of it.
    EventList events;
    StateList states;
    compileTrack({96, 4, 4}, utf8ToUtf16(text), events, states, 0, false, false);
    std::vector<TrackEventKind> kinds;
    for (const TrackEvent& event : events) {
        if (event.kind != TrackEventKind::Measure && event.kind != TrackEventKind::TrackStart &&
            event.kind != TrackEventKind::TrackEnd) {
            kinds.push_back(event.kind);
            EXPECT_EQ(event.channel, 2);
        }
    }
    using K = TrackEventKind;
    EXPECT_EQ(kinds, (std::vector<K>{K::Program, K::Control, K::Control, K::PitchBend, K::PitchBend, K::SysEx,
                                     K::Tempo, K::Note, K::Rest, K::Note}));
}

TEST(SmfImport, CommentsLinesAndBrackets)
{
    // Names and texts keep their words with brackets as parentheses; a
    // comment never swallows the note after it.
    MidiTrack conductor;
    conductor.meta(0, 0x03, "My [Song]\r\nTwo").meta(0, 0x02, "(c) [me]").end();
    MidiTrack lead;
    lead.meta(0, 0x03, "[Lead]").meta(0, 0x01, std::string("a[1]\r\nb\0c", 9)).on(0, 0, 60).off(96, 0, 60).end();
    SmfImportOptions options = plainOptions();
    options.midiText = true;
    const auto texts = importTexts(midiFile(1, 96, {conductor, lead}), options);
    ASSERT_EQ(texts.size(), 1u);  // the conductor holds no event
    EXPECT_EQ(utf16ToUtf8(texts[0]), "// (Lead)\r\n\r\n/*M 0  */  // a(1)\r\n/*M 0  */  // b c\r\n/*M 0  */  C4\r\n");

    const SmfImportResult result = convertSmf(midiFile(1, 96, {conductor, lead}), options, {true, true});
    EXPECT_EQ(result.title, u"My [Song]\r\nTwo");
    EXPECT_EQ(result.copyright, u"(c) [me]");
    conductor = MidiTrack();
    conductor.meta(0, 0x03, "My [Song]\r\nTwo").meta(0, 0x02, "(c) [me]").on(0, 0, 60).off(96, 0, 60).end();
    const auto first = importTexts(midiFile(1, 96, {conductor}), plainOptions());
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(utf16ToUtf8(first[0]), "// title     : My (Song)  Two\r\n// copyright : (c) (me)\r\n\r\n/*M 0  */  C4\r\n");

    // Sixty-fourth notes fill a measure: lines break after 80 characters.
    MidiTrack fast;
    for (int i = 0; i < 64; ++i) fast.on(0, 0, 60 + i % 2).off(6, 0, 60 + i % 2);
    const auto lines = importTexts(midiFile(0, 96, {fast.end()}), plainOptions());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(compiledNotes(lines[0], 96).size(), 64u);
    const std::string text = utf16ToUtf8(lines[0]);
    size_t count = 0;
    for (size_t at = text.find("/*M 0  */"); at != std::string::npos; at = text.find("/*M 0  */", at + 1)) ++count;
    EXPECT_EQ(count, 3u);  // 64 x 4 characters in lines of at most 84
    EXPECT_THAT(text, HasSubstr("\r\n/*M 0  */  C64C+64C64"));
}

TEST(SmfImport, Format0RoutingAndTempo)
{
    // Channel messages go to their channel's list, other events to the list
    // of the last channel seen.
    MidiTrack track;
    track.meta(0, 0x01, "first").on(0, 1, 62).off(96, 1, 62).meta(0, 0x51, "\x07\xA1\x20");
    track.on(0, 0, 60).off(96, 0, 60).end();
    SmfImportOptions options = plainOptions();
    options.midiText = true;
    const auto texts = importTexts(midiFile(0, 96, {track}), options);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(utf16ToUtf8(texts[0]), "\r\n/*M 0  */  // first\r\n/*M 0  */  R4C4\r\n");
    EXPECT_EQ(utf16ToUtf8(texts[1]), "\r\n/*M 0  */  D4t120\r\n");
}

TEST(SmfImport, DamagedTracksKeepWhatWasRead)
{
    const MidiTrack good = MidiTrack().on(0, 0, 60).off(96, 0, 60);
    const std::vector<SoundingNote> justC{{0, 96, 60}};
    auto notesOfFile = [](const std::string& bytes) {
        const auto texts = importTexts(bytes, plainOptions());
        return texts.empty() ? std::vector<SoundingNote>() : compiledNotes(texts.front(), 96);
    };

    // A chunk length past the end of the file.
    std::string bytes = test::midiHeader(0, 1, 96) + "MTrk" + test::bigEndianBytes(100000, 4) + good.data();
    EXPECT_EQ(notesOfFile(bytes), justC);
    // A delta time of five bytes.
    EXPECT_EQ(notesOfFile(midiFile(0, 96, {MidiTrack(good).raw("\x81\x81\x81\x81\x01\x90\x40\x40")})), justC);
    // A meta event longer than the file.
    EXPECT_EQ(notesOfFile(midiFile(0, 96, {MidiTrack(good).raw(std::string("\x00\xFF\x01\x7F" "abc", 7))})), justC);
    // A note cut off by the end of its chunk.
    EXPECT_EQ(notesOfFile(midiFile(0, 96, {MidiTrack(good).raw(std::string("\x00\x90\x40", 3))})), justC);
    // A chunk of another kind is skipped; a broken chunk head ends the file.
    bytes = test::midiHeader(0, 1, 96) + "Junk" + test::bigEndianBytes(3, 4) + "abc" + test::midiChunk(good);
    EXPECT_EQ(notesOfFile(bytes), justC);
    bytes = test::midiHeader(1, 3, 96) + test::midiChunk(good) + std::string("\x01\x02\x03\x04\xFF\xFF\xFF\xFF", 8) +
            test::midiChunk(MidiTrack().on(0, 0, 70).off(96, 0, 70));
    EXPECT_EQ(notesOfFile(bytes), justC);
    // Announced tracks that are not there.
    EXPECT_EQ(notesOfFile(test::midiHeader(1, 5, 96) + test::midiChunk(good)), justC);
    // A delta time so long that the song would last for days is cut off.
    EXPECT_EQ(notesOfFile(midiFile(0, 96, {MidiTrack(good).on(0x0FFFFFFF, 0, 62).off(96, 0, 62)})), justC);
    // Up to 2000 measures are kept.
    const uint32_t lastMeasure = 1999 * 384;
    EXPECT_EQ(notesOfFile(midiFile(0, 96, {MidiTrack(good).on(lastMeasure - 96, 0, 62).off(96, 0, 62)})).back(),
              (SoundingNote{static_cast<int32_t>(lastMeasure), 96, 62}));
}

TEST(SmfImport, SelectionAmongManyChunksAndTheNewDocument)
{
    // Twenty chunks are all listed, but only the first sixteen can be converted.
    std::string bytes = test::midiHeader(1, 20, 96);
    for (int i = 0; i < 20; ++i) bytes += test::midiChunk(MidiTrack().on(0, 0, 40 + i).off(96, 0, 40 + i).end());
    std::vector<bool> selected(20, false);
    selected[16] = true;
    EXPECT_TRUE(convertSmf(bytes, plainOptions(), selected).texts.empty());
    selected[2] = true;
    const SmfImportResult result = convertSmf(bytes, plainOptions(), selected);
    ASSERT_EQ(result.texts.size(), 1u);
    EXPECT_EQ(compiledNotes(result.texts[0], 96), (std::vector<SoundingNote>{{0, 96, 42}}));

    SmfImportResult two;
    two.texts = {u"C", u"D"};
    two.title = u"T";
    two.copyright = u"S";
    const DocumentData document = importedDocument(two, {480, 3, 4});
    EXPECT_EQ(document.timing, (TimingContext{480, 3, 4}));
    EXPECT_EQ(document.title, u"T");
    EXPECT_EQ(document.source, u"S");
    EXPECT_TRUE(document.slots[1].used);
    EXPECT_EQ(document.slots[1].name, u"Track2");
    EXPECT_EQ(document.slots[1].text, u"D");
    EXPECT_FALSE(document.slots[2].used);
    EXPECT_EQ(importedDocumentPath("/songs/a.b/tune.mid"), std::filesystem::path("/songs/a.b/tune.mml"));
}

}  // namespace
}  // namespace zema
