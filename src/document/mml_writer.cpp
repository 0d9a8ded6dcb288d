#include "document/mml_writer.h"

#include "core/unicode.h"
#include "document/smf_file_io.h"

namespace zema {

void CMMLWriter::Reset()
{
    buffer_.clear();
    failed_ = false;
    encoding_ = TextEncoding::Ansi;
}

bool CMMLWriter::WriteToMemory()
{
    Reset();
    buffer_.reserve(4096);
    return writeGuarded();
}

bool CMMLWriter::writeGuarded()
{
    try {
        return Write() && !failed_;
    } catch (const std::exception&) {
        // Out of memory while building the text: the document is not written.
        buffer_.clear();
        return false;
    }
}

void CMMLWriter::WriteText(std::u16string_view text)
{
    try {
        if (encoding_ == TextEncoding::Utf8) {
            buffer_ += utf16ToUtf8(text);
            return;
        }
        if (auto bytes = encodeAnsi(text)) {
            buffer_ += *bytes;
        } else {
            failed_ = true;
        }
    } catch (const std::exception&) {
        failed_ = true;
    }
}

bool CMMLWriter::SaveFile(const std::filesystem::path& path)
{
    if (!WriteToMemory()) return false;

    return writeFileAtomically(path, buffer_);
}

}  // namespace zema
