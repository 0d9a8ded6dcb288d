#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/timing.h"
#include "document/document_data.h"
#include "document/read_status.h"

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
    // the encoding. False when the file cannot be read or holds nothing of
    // its kind; status() says which.
    [[nodiscard]] bool LoadFile(const std::filesystem::path& path);
    // The same for a file's bytes already in memory.
    [[nodiscard]] bool LoadBytes(std::string_view bytes);
    // Reads text (clipboard text, a literal); false when it is empty.
    [[nodiscard]] bool LoadText(std::u16string_view text);

    // What the last load found: why it failed, or what a successful load
    // left out (a damaged extension block, an unknown Encoding name).
    [[nodiscard]] const ReadStatus& status() const { return status_; }

    [[nodiscard]] const DocumentData& result() const { return result_; }
    [[nodiscard]] DocumentData& result() { return result_; }
    [[nodiscard]] const TimingContext& defaults() const { return defaults_; }

protected:
    // Parses text() into the result; true when something was read.
    [[nodiscard]] virtual bool Read() = 0;
    [[nodiscard]] std::u16string_view text() const { return text_; }
    // The reason given when Read() finds nothing of its kind.
    [[nodiscard]] virtual ReadDetail wrongKindDetail() const { return ReadDetail::NotMmlDocument; }
    // Records a loss while reading; a damaged extension block, which loses
    // data, wins over a guessed encoding, which only risks odd characters.
    void noteLoss(const ReadStatus& loss);

private:
    [[nodiscard]] bool readGuarded();
    [[nodiscard]] bool finishLoad(bool read);

    TimingContext defaults_;
    DocumentData result_;
    std::u16string_view text_;
    ReadStatus status_;
};

// Applies read timing: the read values when the timebase lies in 32..960
// (a bad signature becomes 4/4), otherwise the defaults for all three.
[[nodiscard]] TimingContext validatedTiming(const TimingContext& read, const TimingContext& defaults);

}  // namespace zema
