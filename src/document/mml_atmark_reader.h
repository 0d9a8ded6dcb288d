#pragma once

#include "document/mml_reader.h"

namespace zema {

// Reads the game's pasted form "MML@melody,chord1,chord2;" (and any further
// fields, such as the song part): field k of every group goes to slot k.
// Several groups are read as the scrolls of a score book: a slot's pieces are
// joined by joinBookPieces with the separator below, so the track plays as
// the book does.
class CMMLAtmarkReader : public CMMLReader {
public:
    using CMMLReader::CMMLReader;

protected:
    [[nodiscard]] bool Read() override;
    [[nodiscard]] ReadDetail wrongKindDetail() const override { return ReadDetail::NoPastedMml; }
};

// The line placed between the texts of two MML@ groups in one slot.
inline constexpr std::u16string_view kNextGroupSeparator = u"\r\n//Next MML@ group fund.\r\n";

}  // namespace zema
