#pragma once

#include <filesystem>
#include <string_view>

#include "core/timing.h"
#include "document/document_data.h"
#include "document/read_status.h"

namespace zema {

enum class DocumentKind { Mml, Mms, PastedText };

// How a file is read: `.mms` by its extension; a file that is not a `.mml`
// document and whose text holds "MML@" as pasted game text; anything else as
// a `.mml` document.
[[nodiscard]] DocumentKind documentKindOf(const std::filesystem::path& path, std::string_view bytes);

// Reads a document of any kind into `result`. The status is false (and
// `result` untouched) when the file cannot be read, is empty or is not a
// document; a lossy status still fills `result` with what was read.
[[nodiscard]] ReadStatus openDocument(const std::filesystem::path& path, const TimingContext& defaults,
                                      DocumentData& result);

}  // namespace zema
