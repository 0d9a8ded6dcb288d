#include "document/mml_file_writer.h"

#include <cstdio>

#include "document/extension_block.h"
#include "document/text_util.h"

namespace zema {

namespace {

std::u16string hexText(uint32_t value)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%x", value);
    return std::u16string(digits, digits + std::char_traits<char>::length(digits));
}

std::u16string keyLine(std::u16string_view key, std::u16string_view value)
{
    std::u16string line(key);
    line += u'=';
    line += value;
    line += u"\r\n";
    return line;
}

std::u16string keyLine(std::u16string_view key, int64_t value) { return keyLine(key, decimalText(value)); }

}  // namespace

std::u16string escapeMemo(std::u16string_view memo)
{
    std::u16string escaped;
    escaped.reserve(memo.size());
    for (char16_t c : memo) {
        switch (c) {
            case u'\\': escaped += u"\\\\"; break;
            case u'\r': escaped += u"\\r"; break;
            case u'\n': escaped += u"\\n"; break;
            case u'\t': escaped += u"\\t"; break;
            default: escaped.push_back(c); break;
        }
    }
    return escaped;
}

std::u16string removeBracketedRuns(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    size_t runStart = 0;
    bool open = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'[') {
            if (open) out += text.substr(runStart, i - runStart);
            open = true;
            runStart = i;
        } else if (open && c == u']') {
            open = false;
        } else if (open && (c == u'\n' || c == u'\r')) {
            out += text.substr(runStart, i - runStart + 1);
            open = false;
        } else if (!open) {
            out.push_back(c);
        }
    }
    if (open) out += text.substr(runStart);
    return out;
}

bool CMMLFileWriter::Write()
{
    const DocumentData& song = snapshot();
    std::u16string body;
    body += keyLine(u"Title", song.title);
    body += keyLine(u"Source", song.source);
    body += keyLine(u"Memo", escapeMemo(song.memo));
    if (!compact_) {
        body += keyLine(u"TimeBase", song.timing.timebase);
        body += keyLine(u"TimeSignatureNN", song.timing.numerator);
        body += keyLine(u"TimeSignatureDD", song.timing.denominator);
    }
    for (int32_t index : effectiveTrackOrder(song)) {
        const DocumentSlot& slot = song.slots[index];
        const std::u16string number = decimalText(index + 1);
        if (!compact_) {
            body += u"[ChannelProperty" + number + u"]\r\n";
            body += keyLine(u"Name", slot.name);
            body += keyLine(u"Patch", slot.instrument);
            body += keyLine(u"Volume", slot.volume);
            body += keyLine(u"Panpot", slot.panpot);
            body += keyLine(u"Marker", slot.startMarker);
            body += u"\r\n";
        }
        body += u"[Channel" + number + u"]\r\n";
        // An empty track stays empty, so it reads back as it was.
        const std::u16string text = removeBracketedRuns(slot.text);
        body += text;
        if (!text.empty() && !text.ends_with(u"\r\n")) body += u"\r\n";
    }
    if (!compact_ && !song.markers.empty()) {
        body += u"[Marker]\r\n";
        for (const Marker& marker : song.markers) {
            body += u"entry=" + decimalText(marker.tick) + u"," + hexText(marker.colour) + u"," + marker.name + u"\r\n";
        }
    }
    if (auto block = encodeExtensionBlock(song, compact_)) body += *block;

    // One character the ANSI code page cannot hold makes the whole file UTF-8.
    const bool ansi = canEncodeAnsi(body);
    setEncoding(ansi ? TextEncoding::Ansi : TextEncoding::Utf8);
    WriteText(u"[Settings]\r\n");
    WriteText(keyLine(u"Encoding", ansi ? kAnsiCharsetName : kUtf8CharsetName));
    WriteText(body);
    return !failed();
}

}  // namespace zema
