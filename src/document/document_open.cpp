#include "document/document_open.h"

#include <cerrno>
#include <memory>
#include <new>

#include "document/mml_atmark_reader.h"
#include "document/mml_file_reader.h"
#include "document/mml_mms_reader.h"
#include "document/smf_file_io.h"
#include "document/text_encoding.h"
#include "document/text_util.h"

namespace zema {

namespace {
std::u16string lowerExtension(const std::filesystem::path& path)
{
    const std::string extension = path.extension().string();
    return toLowerAscii(std::u16string(extension.begin(), extension.end()));
}
}  // namespace

DocumentKind documentKindOf(const std::filesystem::path& path, std::string_view bytes)
{
    const std::u16string extension = lowerExtension(path);
    if (extension == u".mms") return DocumentKind::Mms;
    if (extension != u".mml" && decodeDocumentBytes(bytes, findEncodingKey(bytes)).find(u"MML@") != std::u16string::npos) {
        return DocumentKind::PastedText;
    }
    return DocumentKind::Mml;
}

ReadStatus openDocument(const std::filesystem::path& path, const TimingContext& defaults, DocumentData& result)
{
    int systemError = 0;
    const std::optional<std::string> bytes = readFileBytes(path, systemError);
    if (!bytes) return ReadStatus::unreadable(systemError);
    std::unique_ptr<CMMLReader> reader;
    try {
        switch (documentKindOf(path, *bytes)) {
            case DocumentKind::Mms: reader = std::make_unique<CMMLMmsReader>(defaults); break;
            case DocumentKind::PastedText: reader = std::make_unique<CMMLAtmarkReader>(defaults); break;
            case DocumentKind::Mml: reader = std::make_unique<CMMLFileReader>(defaults); break;
        }
    } catch (const std::bad_alloc&) {
        return ReadStatus::unreadable(ENOMEM);  // the kind check decodes the whole text
    }
    if (reader->LoadBytes(*bytes)) result = reader->result();
    return reader->status();
}

}  // namespace zema
