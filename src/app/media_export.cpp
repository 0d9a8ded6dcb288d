#include "app/media_export.h"

#include <cstdio>
#include <filesystem>

#include "app/output_choice.h"
#include "app/settings.h"
#include "core/strings.h"
#include "core/unicode.h"

namespace zema {

namespace {

// A title as a file name: characters that name folders or that file systems
// refuse become '_', so the proposal stays one name in the dialog's folder.
std::u16string fileNameOfTitle(std::u16string_view title)
{
    std::u16string name(title);
    for (char16_t& c : name) {
        if (c < 0x20 || std::u16string_view(u"/\\:*?\"<>|").find(c) != std::u16string_view::npos) c = u'_';
    }
    return name;
}

// The document's path with `extension` ("" removes it); for an untitled
// document the title, or `untitled`, with the extension.
std::u16string proposedName(std::u16string_view documentPath, std::u16string_view title,
                            std::u16string_view extension, std::u16string_view untitled)
{
    if (!documentPath.empty()) {
        std::filesystem::path path{std::u16string(documentPath)};
        path.replace_extension(std::filesystem::path{std::u16string(extension)});
        return path.u16string();
    }
    if (title.empty()) return std::u16string(untitled);
    return fileNameOfTitle(title) + std::u16string(extension);
}

}  // namespace

int32_t smfFormatOfFilter(int filterIndex) { return filterIndex == 1 ? 0 : 1; }

std::u16string proposedSmfExportName(std::u16string_view documentPath, std::u16string_view title)
{
    return proposedName(documentPath, title, u"", loadString("IDS_MAIN_UNTITLED"));
}

std::u16string proposedWaveExportName(std::u16string_view documentPath, std::u16string_view title)
{
    return proposedName(documentPath, title, u".wav", loadString("IDS_WAV_EX_UNTITLED_FILENAME"));
}

RenderOptions waveRenderOptionsOf(const Settings& settings)
{
    const OutputSettings output = outputSettingsOf(settings);
    RenderOptions options;
    options.synth = output.synth;
    if (output.kind != OutputKind::SynthGeneral) options.bankPath = output.bankPath;
    options.resetType = output.resetType;
    return options;
}

std::u16string waveExportTimeText(int64_t elapsedMilliseconds)
{
    const int64_t ms = elapsedMilliseconds < 0 ? 0 : elapsedMilliseconds;
    char digits[48];
    std::snprintf(digits, sizeof digits, " %02lld:%02lld.%03lld", static_cast<long long>(ms / 60000),
                  static_cast<long long>(ms / 1000 % 60), static_cast<long long>(ms % 1000));
    return loadString("IDS_WAV_EX_TIME") + utf8ToUtf16(digits);
}

}  // namespace zema
