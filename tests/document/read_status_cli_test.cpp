// zema-cli's exit status and reason for each way a file can fail to read.
#include <cerrno>
#include <cstring>

#include <gtest/gtest.h>

#include "cli_runner.h"
#include "core/strings.h"
#include "core/unicode.h"
#include "document/read_status.h"
#include "document_test_support.h"
#include "smf_test_support.h"

namespace zema {
namespace {

using test::quoted;

std::string reasonOf(const ReadStatus& status) { return utf16ToUtf8(readStatusText(status)); }

TEST(CliReadStatus, EachKindExitsWithItsOwnStatusAndReason)
{
    test::TempFolder folder;
    const std::string damaged = test::damagedExtension(test::savedSample());
    ASSERT_FALSE(damaged.empty());

    test::MidiTrack notes;
    notes.on(0, 0, 60, 100).off(96, 0, 60).end();
    const std::string midi = test::midiFile(1, 96, {notes, notes});

    test::writeBytes(folder / "empty.mml", "");
    test::writeBytes(folder / "other.mml", "[Window]\r\nLeft=10\r\n");
    test::writeBytes(folder / "damaged.mml", damaged);
    test::writeBytes(folder / "odd.mml", "[Settings]\r\nEncoding=x-unheard-of\r\n[Channel1]\r\ncde\r\n");
    test::writeBytes(folder / "text.mid", "not a midi file");
    test::writeBytes(folder / "format3.mid", test::midiHeader(3, 1, 96) + test::midiChunk(notes));
    test::writeBytes(folder / "cut.mid", midi.substr(0, midi.size() - 3));
    std::filesystem::create_directory(folder / "folder.mml");

    ReadStatus guessed = ReadStatus::of(ReadStatusKind::UnknownEncoding);
    guessed.charset = u"x-unheard-of";
    guessed.readAs = u"shift_jis";
    const std::string fileOpen = utf16ToUtf8(loadString("IDS_ERR_FILEOPEN"));
    const std::string smfParse = utf16ToUtf8(loadString("IDS_ERR_SMFPARSE"));
    const std::string partial = utf16ToUtf8(loadString("IDS_READ_PARTIAL"));
    struct Case {
        std::string arguments;
        int status;
        std::string firstLine;
        ReadStatus reason;
    };
    const std::vector<Case> cases = {
        {"info " + quoted(folder / "none.mml"), 3, fileOpen, ReadStatus::unreadable(ENOENT)},
        {"info " + quoted(folder / "folder.mml"), 3, fileOpen, ReadStatus::unreadable(EISDIR)},
        {"info " + quoted(folder / "empty.mml"), 4, fileOpen, ReadStatus::of(ReadStatusKind::Empty)},
        {"info " + quoted(folder / "other.mml"), 5, fileOpen,
         ReadStatus::of(ReadStatusKind::WrongKind, ReadDetail::NotMmlDocument)},
        {"import-smf --list " + quoted(folder / "text.mid"), 5, smfParse,
         ReadStatus::of(ReadStatusKind::WrongKind, ReadDetail::NotMidiFile)},
        {"import-smf --list " + quoted(folder / "format3.mid"), 6, smfParse,
         ReadStatus::of(ReadStatusKind::BadMidiHeader, ReadDetail::HeaderFormat, 3)},
        {"info " + quoted(folder / "damaged.mml"), 7, partial, ReadStatus::of(ReadStatusKind::DamagedExtension)},
        {"events --song " + quoted(folder / "damaged.mml"), 7, partial,
         ReadStatus::of(ReadStatusKind::DamagedExtension)},
        {"info " + quoted(folder / "odd.mml"), 8, partial, guessed},
        {"import-smf --list " + quoted(folder / "cut.mid"), 9, partial,
         ReadStatus::of(ReadStatusKind::TruncatedTrack, ReadDetail::TrackCut, 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const test::CliRun run = test::runCli(c.arguments);
        EXPECT_EQ(run.status, c.status) << run.out;
        EXPECT_NE(run.out.find(c.firstLine + "\n" + reasonOf(c.reason) + "\n"), std::string::npos) << run.out;
    }

    // A lossy read still produces its output: the document and the track list.
    const test::CliRun info = test::runCli("info " + quoted(folder / "damaged.mml"));
    EXPECT_NE(info.out.find("\"trackOrder\""), std::string::npos);
    const test::CliRun list = test::runCli("import-smf --list " + quoted(folder / "cut.mid"));
    EXPECT_NE(list.out.find(" 2 : A01"), std::string::npos) << list.out;
}

}  // namespace
}  // namespace zema
