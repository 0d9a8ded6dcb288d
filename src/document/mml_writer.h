#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "document/document_data.h"
#include "document/text_encoding.h"

namespace zema {

// Base of the document writers: Write() emits the document through
// WriteText(), which converts to the output encoding and appends to the
// memory buffer. SaveFile() then replaces the target file only when the whole
// document was written.
class CMMLWriter {
public:
    explicit CMMLWriter(DocumentData snapshot) : snapshot_(std::move(snapshot)) {}
    virtual ~CMMLWriter() = default;
    CMMLWriter(const CMMLWriter&) = delete;
    CMMLWriter& operator=(const CMMLWriter&) = delete;

    // Empties the buffer and the failure state.
    virtual void Reset();

    // Writes into a temporary file beside `path` and renames it over `path`
    // after everything was written and flushed; on any failure the old file
    // is left as it was and the result is false.
    [[nodiscard]] bool SaveFile(const std::filesystem::path& path);
    // Writes into the memory buffer (see buffer()).
    [[nodiscard]] bool WriteToMemory();
    // Appends text in the output encoding (no terminator, no byte-order mark).
    void WriteText(std::u16string_view text);

    [[nodiscard]] const std::string& buffer() const { return buffer_; }
    [[nodiscard]] const DocumentData& snapshot() const { return snapshot_; }
    [[nodiscard]] TextEncoding encoding() const { return encoding_; }

protected:
    // Emits the document; true when it was written.
    [[nodiscard]] virtual bool Write() = 0;
    void setEncoding(TextEncoding encoding) { encoding_ = encoding; }
    [[nodiscard]] bool failed() const { return failed_; }

private:
    [[nodiscard]] bool writeGuarded();

    DocumentData snapshot_;
    std::string buffer_;
    TextEncoding encoding_ = TextEncoding::Ansi;
    bool failed_ = false;
};

}  // namespace zema
