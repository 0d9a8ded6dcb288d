#pragma once

#include "document/mml_reader.h"

namespace zema {

// Reads the `.mms` documents of the editor "まきまびしーく": up to five parts
// of three channels each (one track group per part), document information
// and markers. An extension block added by this program is applied too.
class CMMLMmsReader : public CMMLReader {
public:
    using CMMLReader::CMMLReader;

protected:
    // False when the text has none of the format's sections.
    [[nodiscard]] bool Read() override;
    [[nodiscard]] ReadDetail wrongKindDetail() const override { return ReadDetail::NotMmsDocument; }
};

// The format's instrument codes as instrument numbers.
[[nodiscard]] int32_t mmsInstrument(int32_t code);

// The first of the three slots of part p (0..4); slot 9 (MIDI channel 10) is
// skipped, so parts use 0..8 and 10..15.
[[nodiscard]] int mmsSlotOf(int part, int channel);

inline constexpr std::u16string_view kGlobalGroupName = u"グローバルグループ";

}  // namespace zema
