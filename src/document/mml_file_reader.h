#pragma once

#include "document/mml_reader.h"

namespace zema {

// Reads a `.mml` document: the MabiMML-compatible INI text (settings, one
// section per channel, channel properties, markers) and this program's
// extension block, whose records override what the INI text set.
class CMMLFileReader : public CMMLReader {
public:
    using CMMLReader::CMMLReader;

protected:
    [[nodiscard]] bool Read() override;
};

// Un-escapes a memo value: "\n", "\r", "\t", "\\" and "\x" (any other x) give
// LF, CR, tab, backslash and x.
[[nodiscard]] std::u16string unescapeMemo(std::u16string_view value);

}  // namespace zema
