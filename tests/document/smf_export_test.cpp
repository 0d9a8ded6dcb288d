// MIDI export: exact bytes for small songs, read back by midicsv (an
// independent reader), and a round trip through the import.
#include <cstdio>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/song.h"
#include "core/unicode.h"
#include "document/smf_export.h"
#include "document/smf_import.h"
#include "document_test_support.h"
#include "smf_test_support.h"

namespace zema {
namespace {

using test::compiledNotes;
using test::SoundingNote;
using ::testing::HasSubstr;
using ::testing::Not;

std::unique_ptr<Song> makeSong(std::initializer_list<std::pair<int, std::u16string>> tracks, TimingContext timing = {})
{
    auto song = std::make_unique<Song>();
    song->timing = timing;
    for (const auto& [slot, text] : tracks) {
        Track& track = song->tracks[static_cast<size_t>(slot)];
        track.used = true;
        track.text = text;
        track.name = u"Track" + std::u16string(1, static_cast<char16_t>(u'1' + slot));
    }
    recompileAll(*song);
    return song;
}

std::string bytesOf(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

// midicsv's reading of a file: one vector of fields per record.
std::vector<std::vector<std::string>> midicsv(const std::filesystem::path& path)
{
    std::vector<std::vector<std::string>> records;
    FILE* pipe = ::popen(("midicsv '" + path.string() + "' 2>&1").c_str(), "r");
    if (!pipe) return records;
    std::string output;
    char buffer[4096];
    size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, read);
    EXPECT_EQ(::pclose(pipe), 0) << output;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        std::string cell;
        while (std::getline(cells, cell, ',')) {
            const size_t first = cell.find_first_not_of(' ');
            fields.push_back(first == std::string::npos ? std::string() : cell.substr(first));
        }
        records.push_back(std::move(fields));
    }
    return records;
}

std::vector<std::vector<std::string>> recordsOfType(const std::vector<std::vector<std::string>>& records,
                                                    const std::string& type)
{
    std::vector<std::vector<std::string>> out;
    for (const auto& record : records) {
        if (record.size() > 2 && record[2] == type) out.push_back(record);
    }
    return out;
}

TEST(SmfExport, SmallSongByteForByte)
{
    auto song = makeSong({{0, u"t150 v8 c4 d8"}});
    song->title = u"T";
    song->tracks[0].name = u"A";
    const std::string expected =
        std::string("MThd\0\0\0\x06\0\x01\0\x01\0\x60MTrk\0\0\0\x48", 22) +
        bytesOf({0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08,          // 4/4
                 0x00, 0xFF, 0x03, 0x01, 'T',                                // title
                 0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7,             // GM system on
                 0x00, 0xFF, 0x03, 0x01, 'A',                                // slot name
                 0x00, 0xB0, 0x00, 0x00, 0x00, 0xB0, 0x20, 0x00,             // bank select
                 0x00, 0xC0, 105,                                            // lute
                 0x00, 0xB0, 0x07, 100, 0x00, 0xB0, 0x0A, 64,                // volume, pan
                 0x00, 0xFF, 0x51, 0x03, 0x06, 0x1A, 0x80,                   // tempo 150
                 0x00, 0x90, 60, 67, 0x60, 0x80, 60, 67,                     // c4 at volume 8
                 0x00, 0x90, 62, 67, 0x30, 0x80, 62, 67,                     // d8
                 0x00, 0xFF, 0x2F, 0x00});
    EXPECT_EQ(buildSmf(smfExportRequestOf(*song, 1)), expected);

    // Format 0 holds the same events in one chunk, without the slot's name.
    const std::string format0 = buildSmf(smfExportRequestOf(*song, 0));
    EXPECT_EQ(format0.substr(8, 4), bytesOf({0x00, 0x00, 0x00, 0x01}));
    EXPECT_EQ(format0.size(), expected.size() - 5);
    EXPECT_THAT(format0, Not(HasSubstr(bytesOf({0xFF, 0x03, 0x01, 'A'}))));
}

TEST(SmfExport, ChunksSetupsSignaturesAndDialects)
{
    // Only slot 3 has events: four chunks, the empty slots with just a name.
    auto song = makeSong({{3, u"c4"}}, {96, 3, 8});
    std::string file = buildSmf(smfExportRequestOf(*song, 1));
    EXPECT_EQ(file.substr(10, 2), bytesOf({0, 4}));
    EXPECT_THAT(file, HasSubstr(bytesOf({0xFF, 0x58, 0x04, 3, 3, 24, 8})));
    EXPECT_THAT(file, HasSubstr("MTrk" + bytesOf({0, 0, 0, 8, 0, 0xFF, 0x03, 0, 0, 0xFF, 0x2F, 0})));
    EXPECT_THAT(file, HasSubstr(bytesOf({0xB3, 0x07, 100, 0x00, 0xB3, 0x0A, 64})));  // setup on channel 4

    song = makeSong({{0, u"c4"}}, {96, 5, 4});
    EXPECT_THAT(buildSmf(smfExportRequestOf(*song, 1)), HasSubstr(bytesOf({0xFF, 0x58, 0x04, 5, 2})));

    // Tracks of the extended dialect carry their own setup: no GM system on,
    // no bank, program, volume or pan of the slot. Their instrument is theirs.
    song = makeSong({{0, u"//#using_extension\r\n@40 v15 c4"}, {1, u"//#using_extension\r\nd4"}});
    file = buildSmf(smfExportRequestOf(*song, 1));
    EXPECT_THAT(file, Not(HasSubstr(bytesOf({0xF0, 0x05, 0x7E}))));
    EXPECT_THAT(file, Not(HasSubstr(bytesOf({0xB0, 0x00, 0x00}))));
    EXPECT_THAT(file, HasSubstr(bytesOf({0x00, 0xC0, 40, 0x00, 0x90, 60, 127})));

    EXPECT_EQ(programOfInstrument(0), 105);
    EXPECT_EQ(programOfInstrument(6), 77);
    EXPECT_EQ(programOfInstrument(7 + 40), 40);
    EXPECT_EQ(programOfInstrument(-3), 105);  // never an index outside the table

    // An empty song still makes a readable file with its one chunk.
    Song empty;
    file = buildSmf(smfExportRequestOf(empty, 1));
    EXPECT_EQ(file.substr(10, 2), bytesOf({0, 1}));
}

TEST(SmfExport, ReadBackByMidicsv)
{
    test::TempFolder folder;
    auto song = makeSong({{0, u"v8 c2"}, {1, u"v15 r4 e4"}, {2, u"//#using_extension\r\n@5 y64,127 ~80 c4"}},
                         {96, 3, 8});
    song->tracks[0].instrument = 7 + 40;
    song->tracks[1].instrument = 1;
    for (int format : {0, 1}) {
        const auto path = folder / ("song" + std::to_string(format) + ".mid");
        ASSERT_TRUE(exportSmf(path, smfExportRequestOf(*song, format)));
        const auto records = midicsv(path);
        ASSERT_FALSE(records.empty());
        EXPECT_EQ(records[0], (std::vector<std::string>{"0", "0", "Header", std::to_string(format),
                                                         format == 0 ? "1" : "3", "96"}));
        EXPECT_EQ(recordsOfType(records, "Time_signature").at(0),
                  (std::vector<std::string>{"1", "0", "Time_signature", "3", "3", "24", "8"}));

        std::vector<std::string> programs;
        for (const auto& record : recordsOfType(records, "Program_c")) programs.push_back(record[3] + ":" + record[4]);
        EXPECT_EQ(programs, (std::vector<std::string>{"0:40", "1:24", "2:5"}));
        EXPECT_EQ(recordsOfType(records, "Control_c").size(), 9u);  // two setups of four, one y
        EXPECT_EQ(recordsOfType(records, "Pitch_bend_c").at(0)[4], std::to_string(80 << 7));

        std::vector<std::string> ons;
        for (const auto& record : recordsOfType(records, "Note_on_c")) {
            ons.push_back(record[1] + ":" + record[3] + ":" + record[4] + ":" + record[5]);
        }
        std::sort(ons.begin(), ons.end());
        EXPECT_EQ(ons, (std::vector<std::string>{"0:0:60:67", "0:2:60:67", "96:1:64:127"}));

        // Both notes of slots 0 and 1 end at 192: their note-offs keep the
        // order in which the notes started.
        std::vector<std::string> offs;
        for (const auto& record : recordsOfType(records, "Note_off_c")) {
            offs.push_back(record[1] + ":" + record[3] + ":" + record[4]);
        }
        if (format == 0) {
            EXPECT_EQ(offs, (std::vector<std::string>{"96:2:60", "192:0:60", "192:1:64"}));
        } else {
            std::sort(offs.begin(), offs.end());
            EXPECT_EQ(offs, (std::vector<std::string>{"192:0:60", "192:1:64", "96:2:60"}));
        }
    }
}

TEST(SmfExport, NoteOffsAtOneTickInStartOrderAndHugeDeltas)
{
    // Notes sounding together on one chunk: the later start ends first in time,
    // ties by start order.
    SmfExportRequest request;
    request.format = 1;
    request.tracks[0].used = true;
    auto note = [](int tick, int length, int number) {
        TrackEvent event;
        event.kind = TrackEventKind::Note;
        event.tick = tick;
        event.length = length;
        event.value = 15;
        event.channel = 0;
        setNoteNumber(event, number);
        return event;
    };
    request.tracks[0].events = {note(0, 96, 60), note(0, 48, 64), note(24, 72, 67), note(0x10000100, 6, 72)};
    test::TempFolder folder;
    const auto path = folder / "offs.mid";
    ASSERT_TRUE(exportSmf(path, request));
    std::vector<std::string> notes;
    for (const auto& record : midicsv(path)) {
        if (record.size() > 4 && (record[2] == "Note_on_c" || record[2] == "Note_off_c")) {
            notes.push_back(record[1] + (record[2] == "Note_on_c" ? " on " : " off ") + record[4]);
        }
    }
    EXPECT_EQ(notes, (std::vector<std::string>{"0 on 60", "0 on 64", "24 on 67", "48 off 64", "96 off 60",
                                               "96 off 67", "268435712 on 72", "268435718 off 72"}));
}

TEST(SmfExport, WriteFailureLeavesNothingBehind)
{
    test::TempFolder folder;
    std::filesystem::create_directory(folder / "taken");
    auto song = makeSong({{0, u"c"}});
    EXPECT_FALSE(exportSmf(folder / "taken", smfExportRequestOf(*song, 1)));
    EXPECT_FALSE(exportSmf(folder / "missing" / "a.mid", smfExportRequestOf(*song, 1)));
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++entries;
    EXPECT_EQ(entries, 1u);  // only the folder that was in the way
}

TEST(SmfExport, RoundTripKeepsEveryNote)
{
    auto song = makeSong({{0, u"t132 l8 o4 c d e f g4 a16 b16 > c2 r4 c+8. d32 r32 <<b-4"},
                          {1, u"o3 v12 c1 & c4 r2 d4 e2 n30 n100"},
                          {2, u"o5 c64 d64 e32 f16. g1 r1 r1 a2&a8"}});
    for (int format : {0, 1}) {
        SmfImportOptions none = test::plainOptions();
        none.quantizeValue = 64;
        const SmfImportResult result =
            convertSmf(buildSmf(smfExportRequestOf(*song, format)), none, std::vector<bool>(16, true));
        ASSERT_EQ(result.status, SmfImportStatus::Ok);
        ASSERT_EQ(result.texts.size(), 3u);
        for (int slot = 0; slot < 3; ++slot) {
            EXPECT_EQ(compiledNotes(result.texts[static_cast<size_t>(slot)], 96),
                      test::notesOf(song->tracks[static_cast<size_t>(slot)].events))
                << "format " << format << " slot " << slot << "\n"
                << utf16ToUtf8(result.texts[static_cast<size_t>(slot)]);
        }
    }
}

}  // namespace
}  // namespace zema
