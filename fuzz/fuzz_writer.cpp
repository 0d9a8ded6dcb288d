// Any bytes as a track for the writer, the 32-to-96 migration and the score
// book: none may crash, and in the game's dialect every rewrite, and a book's
// pieces played one after another, must play like the source.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/migration.h"
#include "core/mml_compiler.h"
#include "core/mml_writer.h"
#include "core/score_book.h"
#include "core/unicode.h"
#include "core/writer_oracle.h"

using zema::test::soundOf;
using zema::test::withTempoChangesOnly;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 4096) return 0;
    static constexpr int32_t kTimebases[] = {96, 32, 48, 120, 480, 960, 1, 7};
    const uint8_t selector = data[0];
    const zema::TimingContext timing{kTimebases[selector & 7], 1 + (selector >> 3 & 7), 4};
    const int mode = (selector >> 6) & 1;
    const int option = static_cast<int>(selector >> 7) - (mode == 0 ? 1 : 0);
    const std::u16string text =
        zema::utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));

    std::u16string out;
    const int32_t written = zema::rewriteTrack(timing, text, mode, option, out);
    if (written != static_cast<int32_t>(out.size())) __builtin_trap();
    if (!zema::isExtendedDialect(text) && soundOf(timing, out) != soundOf(timing, text)) __builtin_trap();

    std::u16string migrated;
    zema::migrateTrack(text, migrated);
    if (soundOf({96, 4, 4}, migrated).end != soundOf({32, 4, 4}, text).end * 3 && !zema::isExtendedDialect(text))
        __builtin_trap();

    // A book at the practice rank (melody limit 200), its pieces joined again.
    if (!zema::isExtendedDialect(text)) {
        const zema::ScoreBook book = zema::splitIntoBook(timing, {text}, 0, false, false);
        std::vector<std::u16string> pieces;
        for (const zema::BookScroll& scroll : book.scrolls) {
            if (scroll.parts[0].size() > 200) __builtin_trap();
            pieces.push_back(scroll.parts[0]);
        }
        const std::u16string joined = zema::joinBookPieces(pieces, u"\n//\n");
        if (book.problem != zema::BookProblem::CannotCut &&
            withTempoChangesOnly(soundOf(timing, joined)) != withTempoChangesOnly(soundOf(timing, text)))
            __builtin_trap();
    }
    return 0;
}
