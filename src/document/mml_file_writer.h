#pragma once

#include "document/mml_writer.h"

namespace zema {

// Writes a `.mml` document: the MabiMML-compatible INI text followed by the
// extension block. In compact mode the timing, channel properties and
// markers live only in the block.
//
// The file is in the ANSI code page with "Encoding=shift_jis"; a document
// holding characters that code page cannot represent is written as UTF-8 with
// "Encoding=UTF-8" instead, so nothing is replaced by '?'.
class CMMLFileWriter : public CMMLWriter {
public:
    CMMLFileWriter(DocumentData snapshot, bool compact) : CMMLWriter(std::move(snapshot)), compact_(compact) {}

    [[nodiscard]] bool compact() const { return compact_; }

protected:
    [[nodiscard]] bool Write() override;

private:
    bool compact_;
};

// Escapes a memo for its one-line key: '\' → "\\", CR → "\r", LF → "\n", tab → "\t".
[[nodiscard]] std::u16string escapeMemo(std::u16string_view memo);

// Drops every complete bracketed run ("[...]" on one line) from MML text, so
// that no line of it can read back as a section header.
[[nodiscard]] std::u16string removeBracketedRuns(std::u16string_view text);

}  // namespace zema
