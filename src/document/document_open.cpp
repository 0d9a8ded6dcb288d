#include "document/document_open.h"

#include <fstream>
#include <iterator>

#include "document/mml_atmark_reader.h"
#include "document/mml_file_reader.h"
#include "document/mml_mms_reader.h"
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

bool openDocument(const std::filesystem::path& path, const TimingContext& defaults, DocumentData& result)
{
    std::string bytes;
    try {
        std::ifstream file(path, std::ios::binary);
        if (!file) return false;
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        if (file.bad()) return false;
    } catch (const std::exception&) {
        return false;  // unreadable: reported to the caller as a failed open
    }
    bool read = false;
    switch (documentKindOf(path, bytes)) {
        case DocumentKind::Mms: {
            CMMLMmsReader reader(defaults);
            read = reader.LoadBytes(bytes);
            if (read) result = reader.result();
            break;
        }
        case DocumentKind::PastedText: {
            CMMLAtmarkReader reader(defaults);
            read = reader.LoadBytes(bytes);
            if (read) result = reader.result();
            break;
        }
        case DocumentKind::Mml: {
            CMMLFileReader reader(defaults);
            read = reader.LoadBytes(bytes);
            if (read) result = reader.result();
            break;
        }
    }
    return read;
}

}  // namespace zema
