#pragma once

#include <filesystem>
#include <string_view>

#include "core/timing.h"
#include "document/document_data.h"

namespace zema {

enum class DocumentKind { Mml, Mms, PastedText };

// How a file is read: `.mms` by its extension; a file that is not a `.mml`
// document and whose text holds "MML@" as pasted game text; anything else as
// a `.mml` document.
[[nodiscard]] DocumentKind documentKindOf(const std::filesystem::path& path, std::string_view bytes);

// Reads a document of any kind into `result`; false when the file cannot be
// read or holds nothing.
[[nodiscard]] bool openDocument(const std::filesystem::path& path, const TimingContext& defaults, DocumentData& result);

}  // namespace zema
