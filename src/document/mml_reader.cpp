#include "document/mml_reader.h"

#include <cerrno>
#include <new>

#include "document/smf_file_io.h"
#include "document/text_encoding.h"
#include "document/text_util.h"

namespace zema {

namespace {

// Nothing but white space, byte-order marks and NUL bytes: a file with no content.
bool isBlank(std::u16string_view text)
{
    for (char16_t c : text) {
        if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n' && c != u'\u3000' && c != u'\uFEFF' && c != 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

CMMLReader::CMMLReader(const TimingContext& defaults) : defaults_(defaults) { result_.clear(defaults_); }

void CMMLReader::Reset()
{
    text_ = {};
    status_ = {};
    result_.clear(defaults_);
}

bool CMMLReader::LoadFile(const std::filesystem::path& path)
{
    Reset();
    int systemError = 0;
    const std::optional<std::string> bytes = readFileBytes(path, systemError);
    if (!bytes) {
        status_ = ReadStatus::unreadable(systemError);
        return false;
    }
    return LoadBytes(*bytes);
}

bool CMMLReader::LoadBytes(std::string_view bytes)
{
    Reset();
    try {
        const std::u16string encoding = findEncodingKey(bytes);
        const std::u16string text = decodeDocumentBytes(bytes, encoding);
        if (isBlank(text)) {
            status_ = ReadStatus::of(ReadStatusKind::Empty);
            return false;
        }
        if (auto readAs = unknownCharsetFallback(bytes, encoding)) {
            ReadStatus guessed = ReadStatus::of(ReadStatusKind::UnknownEncoding);
            guessed.charset = trimIni(encoding);
            guessed.readAs = std::move(*readAs);
            noteLoss(guessed);
        }
        text_ = text;
        const bool read = readGuarded();
        result_.encoding = encoding;
        text_ = {};
        return finishLoad(read);
    } catch (const std::bad_alloc&) {
        text_ = {};
        status_ = ReadStatus::unreadable(ENOMEM);
        return false;
    }
}

bool CMMLReader::LoadText(std::u16string_view text)
{
    Reset();
    if (isBlank(text)) {
        status_ = ReadStatus::of(ReadStatusKind::Empty);
        return false;
    }
    text_ = text;
    const bool read = readGuarded();
    text_ = {};
    return finishLoad(read);
}

bool CMMLReader::finishLoad(bool read)
{
    if (!read && !status_.failed()) status_ = ReadStatus::of(ReadStatusKind::WrongKind, wrongKindDetail());
    return read;
}

void CMMLReader::noteLoss(const ReadStatus& loss)
{
    if (status_.kind == ReadStatusKind::Ok || loss.kind == ReadStatusKind::DamagedExtension) status_ = loss;
}

bool CMMLReader::readGuarded()
{
    try {
        return Read();
    } catch (const std::exception&) {
        // Only running out of memory can get here; the document is not loaded.
        result_.clear(defaults_);
        status_ = ReadStatus::unreadable(ENOMEM);
        return false;
    }
}

TimingContext validatedTiming(const TimingContext& read, const TimingContext& defaults)
{
    if (read.timebase < 32 || read.timebase > 960) return defaults;
    TimingContext timing = read;
    const int32_t d = timing.denominator;
    const bool denominatorOk = d == 1 || d == 2 || d == 4 || d == 8 || d == 16;
    if (!denominatorOk || timing.numerator < 1 || timing.numerator > 16) {
        timing.numerator = 4;
        timing.denominator = 4;
    }
    return timing;
}

}  // namespace zema
