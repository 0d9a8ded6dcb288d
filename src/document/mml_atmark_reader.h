#pragma once

#include "document/mml_reader.h"

namespace zema {

// Reads the game's pasted form "MML@melody,chord1,chord2;": field k of every
// group goes to slot k; groups after the first are joined with a comment line.
class CMMLAtmarkReader : public CMMLReader {
public:
    using CMMLReader::CMMLReader;

protected:
    [[nodiscard]] bool Read() override;
};

// The line placed between the texts of two MML@ groups in one slot.
inline constexpr std::u16string_view kNextGroupSeparator = u"\r\n//Next MML@ group fund.\r\n";

}  // namespace zema
