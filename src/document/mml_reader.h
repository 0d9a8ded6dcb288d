#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/timing.h"
#include "document/document_data.h"

namespace zema {

// Base of the document readers: loads bytes or text, converts it to UTF-16
// and hands it to Read(), which fills the DocumentData. Readers never throw;
// every entry point returns whether something was read.
class CMMLReader {
public:
    // `defaults`: the timing that applies when the document gives none or an
    // invalid one (the caller's settings).
    explicit CMMLReader(const TimingContext& defaults = {});
    virtual ~CMMLReader() = default;
    CMMLReader(const CMMLReader&) = delete;
    CMMLReader& operator=(const CMMLReader&) = delete;

    // Forgets the source text and clears the result.
    virtual void Reset();

    // Reads a file: its Encoding key, byte-order mark or UTF-8 validity decide
    // the encoding. False when the file cannot be read or holds nothing.
    [[nodiscard]] bool LoadFile(const std::filesystem::path& path);
    // The same for a file's bytes already in memory.
    [[nodiscard]] bool LoadBytes(std::string_view bytes);
    // Reads text (clipboard text, a literal); false when it is empty.
    [[nodiscard]] bool LoadText(std::u16string_view text);

    [[nodiscard]] const DocumentData& result() const { return result_; }
    [[nodiscard]] DocumentData& result() { return result_; }
    [[nodiscard]] const TimingContext& defaults() const { return defaults_; }

protected:
    // Parses text() into the result; true when something was read.
    [[nodiscard]] virtual bool Read() = 0;
    [[nodiscard]] std::u16string_view text() const { return text_; }

private:
    [[nodiscard]] bool readGuarded();

    TimingContext defaults_;
    DocumentData result_;
    std::u16string_view text_;
};

// Applies read timing: the read values when the timebase lies in 32..960
// (a bad signature becomes 4/4), otherwise the defaults for all three.
[[nodiscard]] TimingContext validatedTiming(const TimingContext& read, const TimingContext& defaults);

}  // namespace zema
