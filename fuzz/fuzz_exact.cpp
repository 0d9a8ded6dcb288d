// Any bytes as a track for the exact search: it may abstain, but what it
// writes must play exactly like its source at the chosen timing.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/exact_optimizer.h"
#include "core/mml_compiler.h"
#include "core/unicode.h"
#include "core/writer_oracle.h"

using zema::test::soundOf;

// The exact search grows faster than the text; longer inputs only slow the
// fuzzer down without reaching code shorter ones do not.
constexpr size_t kMaxInput = 256;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > kMaxInput) return 0;
    static constexpr int32_t kTimebases[] = {96, 32, 48, 120, 480, 960, 1, 7};
    const uint8_t selector = data[0];
    const zema::TimingContext timing{kTimebases[selector & 7], 1 + (selector >> 3 & 7), 4};
    const std::u16string text =
        zema::utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    const std::optional<std::u16string> out = zema::writeShortestTrack(timing, text);
    if (!out) return 0;
    // The output is in the game's dialect whatever the source's.
    if (zema::isExtendedDialect(*out) || soundOf(timing, *out) != soundOf(timing, text)) __builtin_trap();
    return 0;
}
