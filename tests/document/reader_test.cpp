// Reading `.mml` documents and pasted MML@ text.
#include <gtest/gtest.h>

#include "core/score_book.h"
#include "core/unicode.h"
#include "core/writer_oracle.h"
#include "document/document_open.h"
#include "document/mml_atmark_reader.h"
#include "document/mml_file_reader.h"
#include "document/text_encoding.h"
#include "document_test_support.h"

namespace zema {
namespace {

using test::eachSlot;
using Ints = std::vector<int32_t>;

DocumentData readDocument(std::u16string_view text, const TimingContext& defaults = {})
{
    CMMLFileReader reader(defaults);
    EXPECT_TRUE(reader.LoadText(text));
    return reader.result();
}

TEST(FileReader, SettingsKeysAnyCaseAndTrimmed)
{
    const DocumentData doc = readDocument(
        u"[Settings]\r\nTITLE　= 曲名 \r\n source=src\r\nMemo=a\\nb\\tc\\\\d\\qe\r\nTimeBase=480\r\n"
        u"TimeSignatureNN=6\r\ntimesignaturedd=8\r\n[Channel1]\r\ncde\r\n");
    EXPECT_EQ(doc.title, u"曲名");
    EXPECT_EQ(doc.source, u"src");
    EXPECT_EQ(doc.memo, u"a\nb\tc\\dqe");
    EXPECT_EQ(doc.timing, (TimingContext{480, 6, 8}));
}

TEST(FileReader, InvalidTimingFallsBack)
{
    const TimingContext defaults{48, 3, 4};
    // A timebase outside 32..960 gives the caller's defaults for all three.
    EXPECT_EQ(readDocument(u"[Settings]\r\nTimeBase=20\r\nTimeSignatureNN=2\r\n", defaults).timing, defaults);
    // A bad denominator resets only the signature.
    EXPECT_EQ(readDocument(u"[Settings]\r\nTimeBase=96\r\nTimeSignatureNN=2\r\nTimeSignatureDD=3\r\n", defaults).timing,
              (TimingContext{96, 4, 4}));
    EXPECT_EQ(readDocument(u"[Settings]\r\nTimeSignatureNN=17\r\nTimeSignatureDD=4\r\n", defaults).timing,
              (TimingContext{48, 4, 4}));
}

TEST(FileReader, ChannelSectionsFillTheirSlots)
{
    const DocumentData doc = readDocument(u"ignored\r\n[Channel3]\r\nabc\r\n\r\ndef");
    for (int i = 0; i < kTrackCount; ++i) EXPECT_EQ(doc.slots[i].used, i == 2) << i;
    EXPECT_EQ(doc.slots[2].text, u"abc\r\n\r\ndef");
    EXPECT_FALSE(doc.trackOrderPresent);
}

TEST(FileReader, HeaderRules)
{
    // Text around the brackets is ignored; an unknown bracketed name is text;
    // "[]x]" needs its ']' from the second character after '[' on.
    const DocumentData doc =
        readDocument(u"x[channel1]y\r\na[note]b\r\n[]\r\n[Channel17]\r\n[ChannelProperty1]\r\nName=n\r\n");
    EXPECT_EQ(doc.slots[0].text, u"a[note]b\r\n[]\r\n[Channel17]\r\n");
    EXPECT_EQ(doc.slots[0].name, u"n");
}

TEST(FileReader, ForeignExtensionSectionIsNotTrackText)
{
    const DocumentData doc = readDocument(
        u"[Channel1]\r\ncde\r\n[3MLE EXTENSION]\r\n/* comment */\r\nc=1\r\nd=AAAA\r\n[Channel2]\r\nfg\r\n");
    EXPECT_EQ(doc.slots[0].text, u"cde\r\n");
    EXPECT_EQ(doc.slots[1].text, u"fg\r\n");
}

TEST(FileReader, MabiMmlPrefixesAndInstrumentMapping)
{
    const DocumentData doc = readDocument(
        u"[Settings]\r\nInstrument1=130\r\nInstrument2=134\r\nInstrument3=135\r\nInstrument4=-1\r\n"
        u"Instrument5=127\r\nInstrument17=3\r\nVolume1=127\r\nVolume2=128\r\nPanpot1=0\r\nPanpot2=200\r\n"
        u"TrackName3=名前\r\n[Channel1]\r\nc\r\n");
    EXPECT_EQ(eachSlot(doc, &DocumentSlot::instrument, 5), (Ints{2, 4, 0, 0, 127}));
    EXPECT_EQ(eachSlot(doc, &DocumentSlot::volume, 2), (Ints{127, 100}));
    EXPECT_EQ(eachSlot(doc, &DocumentSlot::panpot, 2), (Ints{0, 64}));
    EXPECT_EQ(doc.slots[2].name, u"名前");
}

TEST(FileReader, EnsemblePlayer)
{
    const DocumentData doc = readDocument(
        u"[Settings]\r\nEnsemblePlayer1=Alice,,129, 1 ,2,　17\r\nEnsemblePlayer2=Bob,1,5,6\r\n"
        u"EnsemblePlayer3=,x,1,7,8,9\r\n[Channel1]\r\nc\r\n");
    EXPECT_EQ(doc.slots[0].name, u"Alice");
    EXPECT_EQ(doc.slots[0].instrument, 1);
    EXPECT_EQ(doc.slots[1].name, u"Alice");
    // Fewer than five fields set nothing; empty fields do not count, so a
    // leading empty field shifts the rest.
    EXPECT_EQ(doc.slots[4].name, u"");
    EXPECT_EQ(doc.slots[6].name, u"x");
    EXPECT_EQ(doc.slots[6].instrument, 1);
}

TEST(FileReader, ChannelPropertiesAndMarkers)
{
    const DocumentData doc = readDocument(
        u"[ChannelProperty2]\r\nName=ベース\r\nPatch=131\r\nVolume=50\r\nPanpot=128\r\nMarker=2\r\n"
        u"[Marker]\r\nentry=96,ff00,サビ 前\r\nentry=-5,0x1A,\r\nentry=x\r\n[Channel2]\r\nc\r\n");
    const DocumentSlot& slot = doc.slots[1];
    EXPECT_EQ(std::tie(slot.name, slot.instrument, slot.volume, slot.panpot, slot.startMarker),
              std::make_tuple(u"ベース", 5, 50, 64, 2));
    EXPECT_EQ(doc.markers, (std::vector<Marker>{{96, 0xFF00, u"サビ"}, {-5, 0x1A, u""}}));
}

TEST(FileReader, NothingReadIsFailure)
{
    CMMLFileReader reader;
    EXPECT_FALSE(reader.LoadText(u""));
    EXPECT_FALSE(reader.LoadText(u"just text\r\n[Unknown]\r\nkey=value\r\n"));
    EXPECT_FALSE(reader.LoadText(u"[Channel1]\r\n\r\n[Marker]\r\nentry=1,2,x\r\n"));
    EXPECT_TRUE(reader.LoadText(u"[Settings]\r\nfoo=bar\r\n"));
    EXPECT_FALSE(reader.LoadFile("/nonexistent/folder/file.mml"));
}

TEST(FileReader, EncodingDetection)
{
    const std::u16string text = u"[Settings]\r\nTitle=日本語 한국어\r\n";
    const std::string utf8 = "[Settings]\r\nTitle=\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4\r\n";
    std::string le = "\xFF\xFE";
    std::string be = "\xFE\xFF";
    for (char16_t c : text) {
        le += static_cast<char>(c & 0xFF), le += static_cast<char>(c >> 8);
        be += static_cast<char>(c >> 8), be += static_cast<char>(c & 0xFF);
    }
    // UTF-8 without a byte-order mark or Encoding key is recognised by validity.
    CMMLFileReader reader;
    for (const std::string& bytes : {utf8, "\xEF\xBB\xBF" + utf8, le, be}) {
        ASSERT_TRUE(reader.LoadBytes(bytes));
        EXPECT_EQ(reader.result().title, u"日本語 한국어");
    }

    // Shift_JIS bytes, with and without the Encoding key.
    const std::string sjis = "[Settings]\r\nTitle=\x93\xFA\x96\x7B\r\n";
    ASSERT_TRUE(reader.LoadBytes(sjis));
    EXPECT_EQ(reader.result().title, u"日本");
    ASSERT_TRUE(reader.LoadBytes("[Settings]\r\nEncoding=shift_jis\r\nTitle=\x93\xFA\x96\x7B\r\n"));
    EXPECT_EQ(reader.result().title, u"日本");
    EXPECT_EQ(reader.result().encoding, u"shift_jis");
    // The Encoding key wins over detection.
    ASSERT_TRUE(reader.LoadBytes("[Settings]\r\nEncoding=UTF-8\r\nTitle=\xE6\x97\xA5\r\n"));
    EXPECT_EQ(reader.result().title, u"日");
    // Undecodable bytes become U+FFFD instead of failing the load.
    ASSERT_TRUE(reader.LoadBytes("[Settings]\r\nTitle=a\x81\r\n"));
    EXPECT_EQ(reader.result().title.substr(0, 1), u"a");
}

// Each field goes to its slot, the groups of a slot joined by a separator
// line; empty fields take no slot, and a slot's text is all it gets.
TEST(AtmarkReader, FieldsGoToTheirSlotsAndGroupsJoin)
{
    const std::u16string next = u"\r\n//Next MML@ group fund.\r\n";
    struct Case {
        std::u16string text;
        std::vector<std::u16string> slots;  // the rest are unused
    };
    const Case cases[] = {
        {u"xx MML@aa,bb,cc; junk\r\nMML@\r\ndd,ee,ff;",
         {u"aa" + next + u"dd", u"bb" + next + u"ee", u"cc" + next + u"ff"}},
        {u"MML@,mel,,chord2", {u"mel", u"chord2"}},  // no ';': runs to the end
        // An empty group adds no separator; a field that is only line breaks ends the group.
        {u"MML@;MML@a,\r\n,b;MML@c;", {u"a" + next + u"c"}},
        {u"MML@a,b,c,d;", {u"a", u"b", u"c", u"d"}},  // the fourth field is the song part
        // The groups are the scrolls of a book: each starts from the fresh state.
        {u"MML@o5l8c,v3d&;\r\nMML@c,d,e;MML@t150c,4e;",
         {u"o5l8c" + next + u"o4l4c" + next + u"t150c", u"v3d&" + next + u"v8d" + next + u"e", u"e" + next}},
        // Twenty fields: sixteen are taken.
        {u"MML@c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,", std::vector<std::u16string>(kTrackCount, u"c")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(utf16ToUtf8(c.text));
        CMMLAtmarkReader reader({48, 3, 4});
        ASSERT_TRUE(reader.LoadText(c.text));
        std::vector<std::u16string> texts = c.slots;
        texts.resize(kTrackCount);
        EXPECT_EQ(test::eachSlot(reader.result(), &DocumentSlot::text), texts);
        for (size_t slot = 0; slot < kTrackCount; ++slot) {
            EXPECT_EQ(reader.result().slots[slot].used, slot < c.slots.size()) << slot;
        }
        EXPECT_EQ(reader.result().slots[15].name, u"Track16");
        EXPECT_EQ(reader.result().timing, (TimingContext{48, 3, 4}));
    }
    CMMLAtmarkReader reader;
    EXPECT_FALSE(reader.LoadText(u"no game text here"));
}

// A song split into a book and pasted back plays as it did.
TEST(AtmarkReader, PastedBookPlaysLikeTheSong)
{
    DocumentData song;
    ASSERT_TRUE(openDocument(std::filesystem::path(ZEMA_CORPUS_DIR) / "mml" / "FF10 - besaid.mml", {}, song));
    std::vector<std::u16string> parts;
    for (const int32_t slot : effectiveTrackOrder(song)) {
        if (parts.size() < 3) parts.push_back(song.slots[static_cast<size_t>(slot)].text);
    }
    const ScoreBook book = splitIntoBook(song.timing, parts, 1, false, false);
    ASSERT_GT(book.scrolls.size(), 2U);
    std::u16string pasted;
    for (const BookScroll& scroll : book.scrolls) pasted += scroll.line + u"\r\n";
    CMMLAtmarkReader reader(song.timing);
    ASSERT_TRUE(reader.LoadText(pasted));
    for (size_t part = 0; part < parts.size(); ++part) {
        const test::Sound source = test::soundOf(song.timing, parts[part]);
        const test::Sound read = test::soundOf(song.timing, reader.result().slots[part].text);
        EXPECT_EQ(read.notes, source.notes) << part;
        EXPECT_EQ(read.end, source.end) << part;
    }
}

}  // namespace
}  // namespace zema
