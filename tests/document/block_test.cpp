// The extension block: encoder output checked byte by byte, every record type
// the decoder accepts, and damaged blocks.
#include <bzlib.h>

#include <gtest/gtest.h>

#include "document/checksum.h"
#include "document/extension_block.h"
#include "document/mml_file_reader.h"
#include "document_test_support.h"

namespace zema {
namespace {

using Bytes = std::vector<uint8_t>;

void putU32(Bytes& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
uint32_t getU32(const Bytes& in, size_t at)
{
    return in[at] | (in[at + 1] << 8) | (in[at + 2] << 16) | (uint32_t{in[at + 3]} << 24);
}

// One record: type, size, payload.
Bytes record(uint8_t type, const Bytes& payload)
{
    Bytes out{type};
    putU32(out, static_cast<uint32_t>(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}
Bytes wide(std::u16string_view text)
{
    Bytes out;
    for (char16_t c : text) out.push_back(static_cast<uint8_t>(c)), out.push_back(static_cast<uint8_t>(c >> 8));
    out.push_back(0), out.push_back(0);
    return out;
}
Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Header (method, stated length) in front of a body, with a correct body CRC.
Bytes payloadOf(const Bytes& body, uint8_t method, uint32_t statedLength)
{
    Bytes out;
    putU32(out, statedLength);
    putU32(out, crc32Of(body));
    out.push_back(method);
    out.insert(out.end(), {0, 0, 0});
    return out + body;
}

// The section text of a payload: no comment line, values with spaces around.
std::u16string blockText(const Bytes& payload)
{
    const std::string base64 = base64Encode(payload);
    std::string text = "[ZEMA EXTENSION]\r\nc = " + std::to_string(crc32Of(base64)) + " \r\n";
    for (size_t i = 0; i < base64.size(); i += 100) text += "d= " + base64.substr(i, 100) + "\r\n";
    return std::u16string(text.begin(), text.end());
}

DocumentData readWithBlock(const std::u16string& ini, const Bytes& payload)
{
    CMMLFileReader reader;
    EXPECT_TRUE(reader.LoadText(ini + blockText(payload)));
    return reader.result();
}

// The (type, size) of each record of a stream.
std::vector<std::pair<int, uint32_t>> recordsOf(const Bytes& stream)
{
    std::vector<std::pair<int, uint32_t>> records;
    for (size_t at = 0; at < stream.size(); at += 5 + getU32(stream, at + 1)) {
        records.emplace_back(stream[at], getU32(stream, at + 1));
    }
    return records;
}
std::vector<int> typesOf(const Bytes& stream)
{
    std::vector<int> types;
    for (const auto& [type, size] : recordsOf(stream)) types.push_back(type);
    return types;
}

// Parses an encoded block: the base64 text of its "d" lines and its "c" value.
struct ParsedBlock {
    std::vector<std::string> lines;
    std::string base64;
    uint32_t crc = 0;
};
ParsedBlock parse(const std::u16string& block)
{
    ParsedBlock parsed;
    std::string text(block.begin(), block.end());
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        parsed.lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    for (const std::string& line : parsed.lines) {
        if (line.starts_with("c=")) parsed.crc = static_cast<uint32_t>(std::stoul(line.substr(2)));
        if (line.starts_with("d=")) parsed.base64 += line.substr(2);
    }
    return parsed;
}

TEST(ExtensionBlock, EncoderOutputByteByByte)
{
    DocumentData doc = test::sampleDocument();
    doc.slots[0].name = u"한국어";  // not in the ANSI code page: wide record
    const auto block = encodeExtensionBlock(doc, true);
    ASSERT_TRUE(block);
    const ParsedBlock parsed = parse(*block);
    ASSERT_GE(parsed.lines.size(), 4u);
    EXPECT_EQ(parsed.lines[0], "[ZEMA EXTENSION]");
    EXPECT_EQ(parsed.lines[1], "/* DO NOT EDIT!! DATA VOID IF \"ZEMA EXTENSION\" IS EDITED. */");
    EXPECT_EQ(parsed.crc, crc32Of(parsed.base64));
    for (size_t i = 3; i < parsed.lines.size(); ++i) {
        const size_t length = parsed.lines[i].size() - 2;
        if (i + 1 < parsed.lines.size()) {
            EXPECT_EQ(length, 128u);
        }
        EXPECT_GE(length, 1u);
        EXPECT_LE(length, 128u);
    }

    const Bytes payload = base64Decode(parsed.base64);
    ASSERT_GT(payload.size(), 12u);
    EXPECT_EQ(getU32(payload, 4), crc32Of(Bytes(payload.begin() + 12, payload.end())));
    EXPECT_EQ(Bytes(payload.begin() + 8, payload.begin() + 12), (Bytes{1, 0, 0, 0}));
    EXPECT_EQ(payload[12], 'B');  // a bzip2 stream, block size 9
    EXPECT_EQ(payload[15], '9');

    Bytes stream(getU32(payload, 0));
    auto size = static_cast<unsigned int>(stream.size());
    Bytes compressed(payload.begin() + 12, payload.end());
    ASSERT_EQ(BZ2_bzBuffToBuffDecompress(reinterpret_cast<char*>(stream.data()), &size,
                                         reinterpret_cast<char*>(compressed.data()),
                                         static_cast<unsigned int>(compressed.size()), 0, 0),
              BZ_OK);
    ASSERT_EQ(size, stream.size());
    EXPECT_EQ(stream, buildExtensionRecords(doc, true));

    // Record sequence: version, timing, order, then property + name per track
    // in track order, markers, groups.
    const std::vector<std::pair<int, uint32_t>> expected = {
        {18, 16}, {4, 12}, {1, 5},  {2, 28},  {3, 11},      {2, 28},     {11, 9}, {2, 28},
        {3, 11},  {2, 28}, {3, 11}, {9, 15}, {9, 18}, {10, 19 + 18}, {10, 19 + 4}};
    EXPECT_EQ(recordsOf(stream), expected);
    // The order record lists slots 4, 0, 9, 2 after a zero byte.
    const size_t order = 5 + 16 + 5 + 12;
    EXPECT_EQ(Bytes(stream.begin() + order + 5, stream.begin() + order + 10), (Bytes{0, 4, 0, 9, 2}));
}

TEST(ExtensionBlock, NotCompactCarriesOnlyWhatTheIniCannot)
{
    DocumentData doc = test::sampleDocument();
    EXPECT_EQ(typesOf(buildExtensionRecords(doc, false)), (std::vector<int>{18, 1, 2, 2, 2, 2, 10, 10}));

    // A marker name with a space would be cut by the marker line: markers go in.
    doc.markers[0].name = u"two words";
    EXPECT_EQ(typesOf(buildExtensionRecords(doc, false)), (std::vector<int>{18, 1, 2, 2, 2, 2, 9, 9, 10, 10}));
}

TEST(ExtensionBlock, LastLineLengthsAndPadding)
{
    // Group names of growing length change the payload size; look for a
    // base64 text of exactly 128 * k characters and for one without padding.
    bool sawFullLine = false;
    bool sawNoPadding = false;
    for (int length = 0; length < 400 && !(sawFullLine && sawNoPadding); ++length) {
        DocumentData doc;
        // Varied characters, so that the compressed size follows the length.
        std::u16string name;
        uint32_t seed = 12345;
        for (int i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            name.push_back(static_cast<char16_t>(0x4E00 + (seed >> 16) % 2000));
        }
        doc.groups = {{name}};
        const ParsedBlock parsed = parse(*encodeExtensionBlock(doc, true));
        const Bytes payload = base64Decode(parsed.base64);
        if (payload.size() % 3 == 0) {
            sawNoPadding = true;
            EXPECT_EQ(parsed.base64.find('='), std::string::npos);
        } else {
            EXPECT_EQ(parsed.base64.back(), '=');
        }
        if (parsed.base64.size() % 128 == 0) {
            sawFullLine = true;
            EXPECT_EQ(parsed.lines.size(), 3 + parsed.base64.size() / 128);
            EXPECT_EQ(parsed.lines.back().size(), 130u);
        }
    }
    EXPECT_TRUE(sawFullLine);
    EXPECT_TRUE(sawNoPadding);
}

TEST(ExtensionBlock, Base64)
{
    EXPECT_EQ(base64Encode({'M', 'a', 'n'}), "TWFu");
    EXPECT_EQ(base64Encode({'M', 'a'}), "TWE=");
    EXPECT_EQ(base64Encode({'M'}), "TQ==");
    EXPECT_EQ(base64Decode("TWFuTQ=="), (Bytes{'M', 'a', 'n', 'M'}));
    EXPECT_EQ(base64Decode("TW Fu"), (Bytes{'M'}));  // stops at the first foreign character
    EXPECT_EQ(crc32Of(std::string_view("123456789")), 0xCBF43926u);
}

TEST(ExtensionBlock, EveryRecordTypeDecodes)
{
    const Bytes channel = Bytes{3, 101, 102, 5} + Bytes{0xFF, 0xFF, 0xFF, 0xFF} + Bytes{2, 0, 0, 0} +
                          Bytes{130, 0, 0, 0} + Bytes{0, 0, 0, 0} + Bytes{2, 1, 7, 0, 0, 0, 0, 0};
    const Bytes body =
        record(5, Bytes{1} + Bytes{'a', 'b', 0}) + record(12, Bytes{1} + wide(u"ｃ")) +
        record(6, Bytes{0} + Bytes{'T', 0}) + record(14, Bytes{0} + wide(u"出典")) + record(15, Bytes{0} + wide(u"m\r\n")) +
        record(2, channel) + record(11, Bytes{3} + wide(u"한")) + record(4, Bytes{0xC0, 0, 0, 0, 3, 0, 0, 0, 3, 0, 0, 0}) +
        record(16, Bytes{0, 0, 0, 0, 10, 0, 0, 0, 1, 2, 3, 0} + wide(u"印") + Bytes{0}) +
        record(10, Bytes{3, 0, 0, 0} + Bytes(12, 0) + wide(u"第三") + Bytes{0}) + record(99, Bytes{1, 2, 3}) +
        record(11, Bytes{16} + wide(u"skipped")) + record(18, Bytes(16, 0));
    const DocumentData doc = readWithBlock(u"[Channel2]\r\nfrom ini\r\n[Marker]\r\nentry=1,2,old\r\n",
                                         payloadOf(body, 0, static_cast<uint32_t>(body.size())));
    EXPECT_EQ(doc.slots[1].text, u"abｃ");  // the first text record replaces the INI text
    EXPECT_EQ(doc.title, u"T");
    EXPECT_EQ(doc.source, u"出典");
    EXPECT_EQ(doc.memo, u"m\r\n");
    const DocumentSlot& slot = doc.slots[3];
    // Instrument + 1 = 0: the older field 130 maps to 2.
    EXPECT_EQ(std::tie(slot.volume, slot.panpot, slot.channel, slot.reserved, slot.startMarker, slot.instrument,
                       slot.group),
              std::make_tuple(101, 102, 5, -1, 2, 2, 2));
    EXPECT_EQ(std::tie(slot.trackType, slot.option2, slot.name), std::make_tuple(1, 7, u"한"));
    EXPECT_EQ(doc.timing, (TimingContext{192, 4, 4}));  // 3/3 is no signature
    // The first marker record clears the INI markers.
    EXPECT_EQ(doc.markers, (std::vector<Marker>{{10, 0x030201, u"印"}}));
    ASSERT_EQ(doc.groups.size(), 4u);
    EXPECT_EQ(doc.groups[3].name, u"第三");
    EXPECT_EQ(doc.groups[1].name, u"");
}

TEST(ExtensionBlock, DamagedBlocksAreDroppedWhole)
{
    const std::u16string ini = u"[Settings]\r\nTitle=kept\r\n[Channel1]\r\nc\r\n";
    const Bytes body = record(6, Bytes{0} + Bytes{'X', 0});
    const Bytes good = payloadOf(body, 0, 0);
    EXPECT_EQ(readWithBlock(ini, good).title, u"X");

    Bytes badMethod = good;
    badMethod[8] = 2;
    Bytes badByte9 = good;
    badByte9[9] = 1;
    Bytes badCrc = good;
    badCrc[4] ^= 1;
    const Bytes badStream = payloadOf(Bytes{'B', 'Z', 'h', '9', 1, 2, 3}, 1, 100);
    const Bytes hugeLength = payloadOf(Bytes{'B', 'Z', 'h', '9'}, 1, 0xFFFFFFFFu);
    for (const Bytes& payload : {badMethod, badByte9, badCrc, badStream, hugeLength, Bytes{0, 0, 0}}) {
        const DocumentData doc = readWithBlock(ini, payload);
        EXPECT_EQ(doc.title, u"kept");
        EXPECT_EQ(doc.slots[0].text, u"c\r\n");
    }

    // One changed base64 character voids the block.
    std::u16string text = blockText(good);
    const size_t d = text.find(u"d= ") + 3;
    text[d] = text[d] == u'A' ? u'B' : u'A';
    CMMLFileReader reader;
    ASSERT_TRUE(reader.LoadText(ini + text));
    EXPECT_EQ(reader.result().title, u"kept");
}

TEST(ExtensionBlock, RecordsPastTheEndStopTheWalk)
{
    // A record claiming 4 GB, one running past the end and a string without
    // its terminator: the walk keeps what came before and reads nothing beyond.
    const Bytes noTerminator = record(6, Bytes{0, 'a', 'b'});
    Bytes huge{7};
    putU32(huge, 0xFFFFFFFFu);
    const Bytes truncated = record(8, Bytes{0, 'm', 0}) ;
    const Bytes body = noTerminator + huge;
    DocumentData doc = readWithBlock(u"[Settings]\r\nSource=s\r\n", payloadOf(body, 0, 0));
    EXPECT_EQ(doc.title, u"ab");
    EXPECT_EQ(doc.source, u"s");

    Bytes cut = noTerminator + Bytes(truncated.begin(), truncated.end() - 1);
    doc = readWithBlock(u"[Settings]\r\nMemo=m0\r\n", payloadOf(cut, 0, 0));
    EXPECT_EQ(doc.memo, u"m0");

    // An instrument field of INT32_MIN cannot be "instrument + 1".
    Bytes extreme = Bytes{0, 100, 64, 0} + Bytes(12, 0) + Bytes{0, 0, 0, 0x80} + Bytes(8, 0);
    doc = readWithBlock(u"[Channel1]\r\nc\r\n", payloadOf(record(2, extreme), 0, 0));
    EXPECT_EQ(doc.slots[0].instrument, 0);

    // Short records and a group index far out of range are skipped.
    const Bytes shortRecords = record(2, Bytes{0}) + record(9, Bytes{1, 2}) + record(10, Bytes{0xFF, 0xFF, 0xFF, 0x7F} + Bytes(14, 0)) +
                               record(1, Bytes{}) + record(4, Bytes{1});
    doc = readWithBlock(u"[Channel1]\r\nc\r\n", payloadOf(shortRecords, 0, 0));
    EXPECT_TRUE(doc.groups.empty());
    EXPECT_TRUE(doc.markers.empty());
    EXPECT_EQ(doc.slots[0].volume, 100);
}

}  // namespace
}  // namespace zema
