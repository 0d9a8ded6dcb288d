// What the readers say about files they cannot read, or read only in part:
// crafted files of every kind, through the same entry points the window and
// the command-line tool use.
#include <cerrno>
#include <cstring>
#include <optional>
#include <set>

#include "core/strings.h"
#include "core/unicode.h"
#include "document/document_open.h"
#include "document/instrument_definitions.h"
#include "document/mml_file_writer.h"
#include "document/read_status.h"
#include "document/smf_track_list.h"
#include "document/document_test_support.h"
#include "document/smf_test_support.h"

namespace zema {
namespace {

using test::damagedExtension;
using test::savedSample;

// Each distinct status has its own reason: one line with every value filled in.
void expectOwnReason(const ReadStatus& status, std::set<std::u16string>& seen)
{
    const std::u16string reason = readStatusText(status);
    EXPECT_EQ(reason.empty(), status.kind == ReadStatusKind::Ok);
    EXPECT_EQ(reason.find_first_of(u"\n%"), std::u16string::npos) << utf16ToUtf8(reason);
    seen.insert(reason);
}

struct DocumentCase {
    const char* name;
    const char* file;                  // inside the test's folder
    std::optional<std::string> bytes;  // nothing: the file is not made
    ReadStatusKind kind;
    ReadDetail detail = ReadDetail::None;
    int systemError = 0;
};

class DocumentReadStatus : public ::testing::Test {
protected:
    test::TempFolder folder;
};

TEST_F(DocumentReadStatus, EachKindOfFileGivesItsStatus)
{
    const std::string saved = savedSample();
    ASSERT_FALSE(saved.empty());
    std::filesystem::create_directory(folder / "folder.mml");
    const std::vector<DocumentCase> cases = {
        {"missing file", "none.mml", std::nullopt, ReadStatusKind::Unreadable, ReadDetail::None, ENOENT},
        {"folder", "folder.mml", std::nullopt, ReadStatusKind::Unreadable, ReadDetail::None, EISDIR},
        {"no bytes", "empty.mml", "", ReadStatusKind::Empty},
        {"white space and a byte-order mark", "blank.mml", "\xEF\xBB\xBF \r\n\t\r\n", ReadStatusKind::Empty},
        {"blank .mms", "blank.mms", "\r\n", ReadStatusKind::Empty},
        {"picture named .mml", "picture.mml", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16),
         ReadStatusKind::WrongKind, ReadDetail::NotMmlDocument},
        {"INI text of another program", "other.mml", "[Window]\r\nLeft=10\r\n", ReadStatusKind::WrongKind,
         ReadDetail::NotMmlDocument},
        {"text named .mms", "notes.mms", "just some notes\r\n", ReadStatusKind::WrongKind,
         ReadDetail::NotMmsDocument},
        {"saved document", "good.mml", saved, ReadStatusKind::Ok},
        {"damaged extension block", "damaged.mml", damagedExtension(saved), ReadStatusKind::DamagedExtension},
        {"checksum without data", "cut.mml", "[Channel1]\r\ncde\r\n[ZEMA EXTENSION]\r\nc=12\r\n",
         ReadStatusKind::DamagedExtension},
        {"damaged block in a .mms", "damaged.mms",
         "[mms-file]\r\n[part0]\r\nch0_mml=cde\r\n[ZEMA EXTENSION]\r\nc=1\r\nd=QUJD\r\n", ReadStatusKind::DamagedExtension},
        {"unknown encoding", "odd.mml", "[Settings]\r\nEncoding=x-unheard-of\r\n[Channel1]\r\ncde\r\n",
         ReadStatusKind::UnknownEncoding},
        {"unknown encoding and a damaged block", "both.mml",
         "[Settings]\r\nEncoding=x-unheard-of\r\n[Channel1]\r\ncde\r\n[ZEMA EXTENSION]\r\nc=1\r\nd=QUJD\r\n",
         ReadStatusKind::DamagedExtension},
        {"known encoding by another name", "korean.mml", "[Settings]\r\nEncoding=euc-kr\r\n[Channel1]\r\ncde\r\n",
         ReadStatusKind::Ok},
    };
    std::set<std::u16string> reasons;
    for (const DocumentCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = folder / c.file;
        if (c.bytes) test::writeBytes(path, *c.bytes);
        DocumentData document;
        document.title = u"untouched";
        const ReadStatus status = openDocument(path, {}, document);
        EXPECT_EQ(status.kind, c.kind);
        EXPECT_EQ(status.detail, c.detail);
        EXPECT_EQ(status.systemError, c.systemError);
        // A failure leaves the caller's document alone; anything else fills it.
        EXPECT_EQ(document.title == u"untouched", status.failed());
        expectOwnReason(status, reasons);
    }
    EXPECT_EQ(reasons.size(), 8u);  // the kinds and details above, Ok's "" included
}

TEST_F(DocumentReadStatus, DamagedBlockKeepsTheTracksAndDropsOnlyTheBlockData)
{
    const auto path = folder / "damaged.mml";
    test::writeBytes(path, damagedExtension(savedSample()));
    DocumentData document;
    ASSERT_TRUE(openDocument(path, {}, document));
    const DocumentData sample = test::sampleDocument();
    for (int slot : {4, 0, 9, 2}) {
        EXPECT_TRUE(document.slots[slot].used) << slot;
        EXPECT_EQ(document.slots[slot].text, sample.slots[slot].text) << slot;
    }
    // The groups live only in the block.
    EXPECT_NE(document.groups, sample.groups);
}

TEST_F(DocumentReadStatus, UnknownEncodingNamesWhatTheTextWasReadAs)
{
    struct Case {
        std::string title;  // the Title value's bytes
        std::u16string readAs;
    };
    for (const Case& c : {Case{"\xE6\xAD\x8C", u"UTF-8"}, Case{"\x89\xCC", u"shift_jis"}}) {
        const auto path = folder / "odd.mml";
        test::writeBytes(path, "[Settings]\r\nEncoding= x-unheard-of \r\nTitle=" + c.title + "\r\n[Channel1]\r\nc\r\n");
        DocumentData document;
        const ReadStatus status = openDocument(path, {}, document);
        ASSERT_EQ(status.kind, ReadStatusKind::UnknownEncoding);
        EXPECT_EQ(status.charset, u"x-unheard-of");
        EXPECT_EQ(status.readAs, c.readAs);
        EXPECT_EQ(document.title, u"歌");
    }
}

TEST(SmfReadStatus, EachKindOfMidiFileGivesItsStatus)
{
    using test::MidiTrack;
    MidiTrack notes;
    notes.on(0, 0, 60, 100).off(96, 0, 60).end();
    const std::string chunk = test::midiChunk(notes);
    const std::string good = test::midiFile(1, 96, {notes, notes});
    struct Case {
        const char* name;
        std::string bytes;
        ReadStatusKind kind;
        ReadDetail detail = ReadDetail::None;
        int32_t value = 0;
        int32_t expected = 0;
    };
    const std::vector<Case> cases = {
        {"no bytes", "", ReadStatusKind::Empty},
        {"a RIFF file", std::string("RIFF\x10\0\0\0WAVEfmt ", 16), ReadStatusKind::WrongKind, ReadDetail::NotMidiFile},
        {"text", "MThe is not it", ReadStatusKind::WrongKind, ReadDetail::NotMidiFile},
        {"cut inside the header", std::string("MThd\0\0\0\x06\0", 9), ReadStatusKind::BadMidiHeader, ReadDetail::HeaderCut},
        {"cut inside the magic", "MT", ReadStatusKind::BadMidiHeader, ReadDetail::HeaderCut},
        {"header of 8 bytes", "MThd" + test::bigEndianBytes(8, 4) + std::string(8, '\0'), ReadStatusKind::BadMidiHeader,
         ReadDetail::HeaderLength, 8},
        {"format 3", test::midiHeader(3, 1, 96) + chunk, ReadStatusKind::BadMidiHeader, ReadDetail::HeaderFormat, 3},
        {"23 SMPTE frames", test::midiHeader(1, 1, 0xE904) + chunk, ReadStatusKind::BadMidiHeader,
         ReadDetail::HeaderDivision, 23},
        {"whole file", good, ReadStatusKind::Ok},
        {"second track cut", good.substr(0, good.size() - 3), ReadStatusKind::TruncatedTrack, ReadDetail::TrackCut, 2},
        {"a track fewer than announced", test::midiHeader(1, 3, 96) + chunk + chunk, ReadStatusKind::TruncatedTrack,
         ReadDetail::TracksMissing, 2, 3},
        {"damage after the first track", test::midiHeader(1, 2, 96) + chunk + "\x01\x02garbage",
         ReadStatusKind::TruncatedTrack, ReadDetail::TracksMissing, 1, 2},
    };
    std::set<std::u16string> reasons;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReadStatus status = ReadStatus::unreadable(EIO);  // every path must overwrite it
        const auto list = scanSmfTracks(c.bytes, &status);
        EXPECT_EQ(status.kind, c.kind);
        EXPECT_EQ(status.detail, c.detail);
        EXPECT_EQ(status.value, c.value);
        EXPECT_EQ(status.expected, c.expected);
        EXPECT_EQ(list.has_value(), !status.failed());
        expectOwnReason(status, reasons);
    }
    EXPECT_EQ(reasons.size(), cases.size() - 2);  // two rows repeat a not-MIDI and a cut-header reason
}

TEST(InstrumentReadStatus, FilesWithoutPresetsAreRefused)
{
    test::TempFolder folder;
    struct Case {
        const char* bytes;
        ReadStatusKind kind;
    };
    for (const Case& c : {Case{"", ReadStatusKind::Empty}, Case{"[Other]\r\na=1\r\n", ReadStatusKind::WrongKind},
                          Case{"[Instrument presets]\r\nLute=0,0,25,0,0,0,127\r\n", ReadStatusKind::Ok}}) {
        test::writeBytes(folder / "bank.def", c.bytes);
        std::vector<InstrumentPreset> presets;
        const ReadStatus status = loadInstrumentPresets(folder / "bank.def", 1033, presets);
        EXPECT_EQ(status.kind, c.kind) << c.bytes;
        EXPECT_EQ(presets.empty(), status.failed()) << c.bytes;
    }
}

TEST(ReadStatusText, ReasonIsOneLineUnderTheMessageWithTheSystemsWording)
{
    const std::u16string reason = readStatusText(ReadStatus::unreadable(EACCES));
    EXPECT_NE(reason.find(utf8ToUtf16(std::strerror(EACCES))), std::u16string::npos);
    EXPECT_EQ(withReadReason(u"message", ReadStatus::unreadable(EACCES)), u"message\n" + reason);
    EXPECT_EQ(withReadReason(u"message", ReadStatus{}), u"message");
}

}  // namespace
}  // namespace zema
