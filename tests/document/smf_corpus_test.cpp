// The real MIDI files of the corpus under every import profile, and the
// import-smf and export-smf commands run as a user would.
#include <sys/wait.h>

#include <cstdio>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli_runner.h"

#include "core/mml_compiler.h"
#include "core/unicode.h"
#include "document/smf_export.h"
#include "document/smf_file_io.h"
#include "document/smf_import.h"
#include "document/smf_track_list.h"
#include "document/document_open.h"
#include "document_test_support.h"
#include "smf_test_support.h"

namespace zema {
namespace {

using ::testing::HasSubstr;

const std::filesystem::path kMidiCorpus = std::filesystem::path(ZEMA_CORPUS_DIR) / "midi";


// Every output text compiles to notes within the song it came from: a track
// that plays nothing is fine, a crash or a text the compiler cannot read is not.
void expectCompiles(const SmfImportResult& result, const std::string& where)
{
    for (const std::u16string& text : result.texts) {
        EventList events;
        StateList states;
        compileTrack({96, 4, 4}, text, events, states, 0, false, false);
        ASSERT_FALSE(events.empty()) << where;
        EXPECT_EQ(events.back().kind, TrackEventKind::TrackEnd) << where;
        // Extended texts must be read as such, or their notes are lost.
        EXPECT_EQ(isExtendedDialect(text), text.starts_with(u"//#using_extension")) << where;
    }
}

TEST(SmfCorpus, EveryFileImportsUnderEveryProfileOrIsRefused)
{
    const auto files = test::corpusFiles("midi", ".mid");
    ASSERT_EQ(files.size(), 72u);
    int refused = 0;
    int withNotes = 0;
    for (const auto& path : files) {
        const auto bytes = readFileBytes(path);
        ASSERT_TRUE(bytes) << path;
        const auto list = scanSmfTracks(*bytes);
        if (!list) {
            EXPECT_EQ(convertSmf(*bytes, {}, {true}).status, SmfImportStatus::ParseError) << path;
            ++refused;
            continue;
        }
        const std::vector<std::u16string> entries = list->texts();
        bool anyNotes = false;
        for (int p = 0; p < kSmfImportProfileCount; ++p) {
            SmfImportOptions options;
            const auto rule = applyProfile(static_cast<SmfImportProfile>(p), options);
            for (int32_t quantize : {p == 0 ? 4 : 64, 64}) {
                options.quantizeValue = quantize;
                std::vector<std::vector<bool>> selections;
                if (rule == SmfTrackSelectionRule::Clear) {
                    // Spreading profiles: each track on its own.
                    for (size_t i = 0; i < entries.size(); ++i) {
                        selections.emplace_back(entries.size(), false);
                        selections.back()[i] = true;
                    }
                } else {
                    selections.push_back(std::vector<bool>(entries.size(), true));
                    selections.push_back(applySelectionRule(rule, entries, autoSelection(entries)));
                }
                for (const auto& selected : selections) {
                    const SmfImportResult result = convertSmf(*bytes, options, selected);
                    const std::string where = path.filename().string() + " profile " + std::to_string(p);
                    ASSERT_EQ(result.status, SmfImportStatus::Ok) << where;
                    EXPECT_LE(result.texts.size(), 16u) << where;
                    expectCompiles(result, where);
                    for (const auto& text : result.texts) anyNotes = anyNotes || !test::compiledNotes(text, 96).empty();
                }
            }
        }
        if (anyNotes) ++withNotes;
    }
    EXPECT_EQ(refused, 2);  // the empty file and the text file
    EXPECT_EQ(withNotes, 58);  // twelve files hold controllers, texts or exclusives only
}

TEST(SmfCorpus, KnownFilesImportAsTheyShould)
{
    const auto bytes = readFileBytes(kMidiCorpus / "test-c-major-scale.mid");
    ASSERT_TRUE(bytes);
    SmfImportOptions options;
    applyProfile(SmfImportProfile::MabinogiNormal, options);
    const SmfImportResult scale = convertSmf(*bytes, options, {true});
    ASSERT_EQ(scale.texts.size(), 1u);
    std::vector<int32_t> pitches;
    for (const auto& note : test::compiledNotes(scale.texts[0], 96)) pitches.push_back(note.note);
    EXPECT_EQ(pitches, (std::vector<int32_t>{60, 62, 64, 65, 67, 69, 71, 72}));

    // Its only track sits behind a chunk that is not a track.
    const auto junk = readFileBytes(kMidiCorpus / "test-non-midi-track.mid");
    ASSERT_TRUE(junk);
    const SmfImportResult skipped = convertSmf(*junk, options, {true});
    ASSERT_EQ(skipped.texts.size(), 1u);
    EXPECT_EQ(test::compiledNotes(skipped.texts[0], 96).size(), 8u);
}

using test::CliRun;
using test::runCli;

using test::quoted;

TEST(SmfCli, ImportListProfilesAndErrors)
{
    test::TempFolder folder;
    const auto chords = kMidiCorpus / "test-multichannel-chords-0.mid";
    const CliRun list = runCli("import-smf " + quoted(chords) + " --list");
    ASSERT_EQ(list.status, 0) << list.out;
    EXPECT_THAT(list.out, HasSubstr(" 1 : A01"));

    const auto out = folder / "chords.mml";
    const CliRun normal = runCli("import-smf " + quoted(chords) + " -o " + quoted(out) + " --profile 1");
    ASSERT_EQ(normal.status, 0) << normal.out;
    DocumentData document;
    ASSERT_TRUE(openDocument(out, {}, document));
    EXPECT_TRUE(document.slots[0].used);
    EXPECT_EQ(document.slots[0].name, u"Track1");
    EXPECT_THAT(utf16ToUtf8(document.slots[0].text), ::testing::Not(HasSubstr("//#using_extension")));

    // The spreading profiles start with nothing selected.
    const CliRun none = runCli("import-smf " + quoted(chords) + " -o " + quoted(out) + " --profile 3");
    EXPECT_EQ(none.status, 1);
    EXPECT_THAT(none.out, HasSubstr("トラックが選択されていません。"));
    const CliRun spread = runCli("import-smf " + quoted(chords) + " -o " + quoted(out) +
                                 " --profile 3 --tracks 1 --quantize 16 --no-reduce-rest");
    EXPECT_EQ(spread.status, 0) << spread.out;
    const CliRun two = runCli("import-smf " + quoted(chords) + " -o " + quoted(out) + " --spread --tracks 1,2");
    EXPECT_EQ(two.status, 1);
    EXPECT_THAT(two.out, HasSubstr("トラックを１つだけ選択してください。"));

    const CliRun bad = runCli("import-smf " + quoted(kMidiCorpus / "test-not-a-midi-file.mid") + " --list");
    EXPECT_EQ(bad.status, 5);
    EXPECT_THAT(bad.out, HasSubstr("標準MIDIファイルの解析に失敗しました。"));
}

TEST(SmfCli, ExportFormatsAndFailure)
{
    test::TempFolder folder;
    const auto source = std::filesystem::path(ZEMA_CORPUS_DIR) / "mml" / "FMTM_4BEAT.mml";
    for (const char* format : {"0", "1"}) {
        const auto out = folder / (std::string("song") + format + ".mid");
        const CliRun run = runCli("export-smf " + quoted(source) + " -o " + quoted(out) + " --format " + format);
        ASSERT_EQ(run.status, 0) << run.out;
        const auto bytes = readFileBytes(out);
        ASSERT_TRUE(bytes);
        EXPECT_EQ(bytes->substr(0, 4), "MThd");
        EXPECT_EQ(static_cast<int>((*bytes)[9]), format[0] - '0');
    }
    const CliRun failed = runCli("export-smf " + quoted(source) + " -o " + quoted(folder / "no" / "x.mid"));
    EXPECT_EQ(failed.status, 1);
    EXPECT_THAT(failed.out, HasSubstr("標準MIDIファイルが保存できませんでした。"));
}

}  // namespace
}  // namespace zema
