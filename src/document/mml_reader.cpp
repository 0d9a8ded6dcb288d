#include "document/mml_reader.h"

#include <fstream>
#include <iterator>
#include <new>

#include "document/text_encoding.h"

namespace zema {

CMMLReader::CMMLReader(const TimingContext& defaults) : defaults_(defaults) { result_.clear(defaults_); }

void CMMLReader::Reset()
{
    text_ = {};
    result_.clear(defaults_);
}

bool CMMLReader::LoadFile(const std::filesystem::path& path)
{
    Reset();
    std::string bytes;
    try {
        std::ifstream file(path, std::ios::binary);
        if (!file) return false;
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        if (file.bad()) return false;
    } catch (const std::exception&) {
        return false;  // unreadable file or no memory: reported as a failed load
    }
    return LoadBytes(bytes);
}

bool CMMLReader::LoadBytes(std::string_view bytes)
{
    Reset();
    try {
        const std::u16string encoding = findEncodingKey(bytes);
        const std::u16string text = decodeDocumentBytes(bytes, encoding);
        if (text.empty()) return false;
        text_ = text;
        const bool read = readGuarded();
        result_.encoding = encoding;
        text_ = {};
        return read;
    } catch (const std::bad_alloc&) {
        text_ = {};
        return false;
    }
}

bool CMMLReader::LoadText(std::u16string_view text)
{
    Reset();
    if (text.empty()) return false;
    text_ = text;
    const bool read = readGuarded();
    text_ = {};
    return read;
}

bool CMMLReader::readGuarded()
{
    try {
        return Read();
    } catch (const std::exception&) {
        // Only running out of memory can get here; the document is not loaded.
        result_.clear(defaults_);
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
