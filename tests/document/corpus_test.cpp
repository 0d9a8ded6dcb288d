// The real songs of the corpus: every document loads, every track compiles,
// and saving then loading keeps the song.
#include <memory>

#include <gtest/gtest.h>

#include "core/song.h"
#include "document/document_open.h"
#include "document/mml_file_reader.h"
#include "document/mml_file_writer.h"
#include "document/song_document.h"
#include "document_test_support.h"

namespace zema {
namespace {

using test::corpusFiles;

// What a saved track text reads back as.
std::u16string savedText(const std::u16string& text)
{
    std::u16string saved = removeBracketedRuns(text);
    if (!saved.empty() && !saved.ends_with(u"\r\n")) saved += u"\r\n";
    return saved;
}

void checkDocument(const std::filesystem::path& path)
{
    SCOPED_TRACE(path.filename().string());
    DocumentData doc;
    ASSERT_TRUE(openDocument(path, {}, doc));
    auto song = std::make_unique<Song>();
    copyToSong(doc, *song);
    ASSERT_FALSE(song->trackOrder.empty());
    recompileAll(*song);
    for (int32_t slot : song->trackOrder) {
        const Track& track = song->tracks[slot];
        ASSERT_FALSE(track.events.empty()) << slot;
        EXPECT_EQ(track.events.back().kind, TrackEventKind::TrackEnd) << slot;
    }

    DocumentData expected = snapshotOf(*song);
    for (DocumentSlot& slot : expected.slots) {
        if (slot.used) slot.text = savedText(slot.text);
    }
    for (bool compact : {true, false}) {
        SCOPED_TRACE(compact ? "compact" : "not compact");
        CMMLFileWriter writer(snapshotOf(*song), compact);
        ASSERT_TRUE(writer.WriteToMemory());
        CMMLFileReader reader;
        ASSERT_TRUE(reader.LoadBytes(writer.buffer()));
        DocumentData back = reader.result();
        EXPECT_FALSE(back.encoding.empty());
        back.encoding.clear();
        for (int i = 0; i < kTrackCount; ++i) EXPECT_EQ(back.slots[i], expected.slots[i]) << i;
        EXPECT_EQ(back, expected);
    }
}

TEST(Corpus, DocumentsOfEveryKindRoundTrip)
{
    const auto mms = corpusFiles("mms", ".mms");
    const auto mml = corpusFiles("mml", ".mml");
    const auto pasted = corpusFiles("mmla", ".txt");
    ASSERT_GT(mms.size(), 100u);
    ASSERT_EQ(mml.size(), 9u);
    ASSERT_EQ(pasted.size(), 6u);
    for (const auto& path : pasted) EXPECT_EQ(documentKindOf(path, test::readBytes(path)), DocumentKind::PastedText);
    for (const auto* files : {&mms, &mml, &pasted}) {
        for (const auto& path : *files) checkDocument(path);
    }
}

TEST(Corpus, KnownDocumentContent)
{
    DocumentData doc;
    ASSERT_TRUE(openDocument(std::filesystem::path(ZEMA_CORPUS_DIR) / "mml" / "BWV161.mml", {}, doc));
    EXPECT_EQ(doc.title, u"来たれ！甘き死よ");
    EXPECT_EQ(doc.encoding, u"shift_jis");
    EXPECT_EQ(doc.slots[10].name, u"ベース");
    EXPECT_EQ(doc.slots[10].instrument, 77);
    EXPECT_EQ(doc.slots[10].panpot, 32);
    // The other editor's block that follows channel 9 stays out of its text.
    EXPECT_EQ(doc.slots[8].text.find(u"DO NOT EDIT"), std::u16string::npos);
}

TEST(DemoSong, IsACompactDocument)
{
    const auto path = std::filesystem::path(ZEMA_SOURCE_DIR) / "resources" / "demo" / "demo.mml";
    const std::string bytes = test::readBytes(path);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.find("TimeBase="), std::string::npos);
    EXPECT_NE(bytes.find("[ZEMA EXTENSION]"), std::string::npos);
    CMMLFileReader reader;
    ASSERT_TRUE(reader.LoadBytes(bytes));
    EXPECT_TRUE(reader.result().trackOrderPresent);
    EXPECT_GE(effectiveTrackOrder(reader.result()).size(), 3u);
    EXPECT_FALSE(reader.result().title.empty());
}

}  // namespace
}  // namespace zema
