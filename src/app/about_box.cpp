#include "app/about_box.h"

#include <algorithm>
#include <system_error>

#include "app/desktop_files.h"
#include "app/settings_location.h"
#include "app/window_texts.h"
#include "core/strings.h"
#include "core/unicode.h"

#ifndef ZEMA_VERSION
#define ZEMA_VERSION "0"
#endif

namespace zema {

namespace {

constexpr std::u16string_view kWindow = u"About Box";

// A label and its value on one line: "Version 0.1.0", "번역: someone".
std::u16string labelled(std::string_view label, std::u16string_view value)
{
    return windowText(kWindow, label) + u" " + std::u16string(value);
}

}  // namespace

std::string_view programVersion() { return ZEMA_VERSION; }

std::u16string licenseName(LibraryLicense license)
{
    switch (license) {
    case LibraryLicense::Lgpl3:
        return u"LGPL v3";
    case LibraryLicense::Lgpl21:
        return u"LGPL v2.1";
    case LibraryLicense::MitStyle:
        return loadString("IDS_ABOUT_LICENSE_MIT_STYLE");
    case LibraryLicense::BsdStyle:
        return loadString("IDS_ABOUT_LICENSE_BSD_STYLE");
    case LibraryLicense::Zlib:
        break;
    }
    return loadString("IDS_ABOUT_LICENSE_ZLIB");
}

AboutBoxTexts aboutBoxTexts(std::u16string_view translatedBy, const std::vector<LibraryVersion>& libraries)
{
    AboutBoxTexts texts;
    texts.caption = windowText(kWindow, "IDD_ABOUTBOX");
    texts.name = windowText(kWindow, "IDC_TXT_APP_NAME");
    texts.version = labelled("IDC_TXT_VERSION", utf8ToUtf16(programVersion()));
    texts.copyright = windowText(kWindow, "IDC_TXT_COPYRIGHT");
    if (!translatedBy.empty()) texts.translator = labelled("IDC_TXT_TRANSLATOR", translatedBy);
    texts.librariesHeading = windowText(kWindow, "IDC_STATIC_ABOUT_LIBRARIES");
    for (const LibraryVersion& library : libraries) {
        texts.libraries.push_back(utf8ToUtf16(library.name) + u" " + utf8ToUtf16(library.version) + u" (" +
                                  licenseName(library.license) + u")");
    }
    return texts;
}

std::vector<std::filesystem::path> applicationIconFiles(const std::optional<std::filesystem::path>& programDir)
{
    std::vector<std::filesystem::path> files;
    const std::optional<std::filesystem::path> data = dataFolder(programDir);
    if (!data) return files;
    const std::filesystem::path theme = (*data / ".." / "icons" / "hicolor").lexically_normal();
    const std::string name = std::string(kApplicationId) + ".png";
    std::error_code error;
    for (std::filesystem::directory_iterator it(theme, error), end; !error && it != end; it.increment(error)) {
        const std::filesystem::path file = it->path() / "apps" / name;
        std::error_code missing;
        if (std::filesystem::is_regular_file(file, missing)) files.push_back(file);
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace zema
