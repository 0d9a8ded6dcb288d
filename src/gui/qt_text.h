#pragma once

#include <QString>
#include <filesystem>
#include <string_view>

namespace zema {

// UTF-16 text of the libraries as a QString, and back.
[[nodiscard]] inline QString qt(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

// UTF-8 text as a QString.
[[nodiscard]] inline QString qt(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

[[nodiscard]] inline std::filesystem::path pathOf(const QString& text)
{
    return std::filesystem::path(text.toStdU16String());
}

// A Windows-style filter ("Name (*.a)|*.a|All (*.*)|*.*||") as a Qt name
// filter list; the patterns shown in each name are taken from its pattern part.
[[nodiscard]] QString qtFilter(const QString& windowsFilter);

// A menu or control text without its "&" accelerator markers ("&&" stays one
// "&"), as the key page shows menu texts.
[[nodiscard]] QString withoutMnemonic(const QString& text);

// A menu text as a window caption: a trailing Japanese-style "(&X)" marker
// is dropped and other "&" markers removed ("演奏モニタ(&M)" -> "演奏モニタ").
[[nodiscard]] QString captionOfMenuText(const QString& text);

}  // namespace zema
