#include "app/language_check.h"

#include "core/ascii.h"


#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "app/locale_id.h"
#include "app/multi_language.h"
#include "app/window_texts.h"
#include "core/strings.h"
#include "core/unicode.h"
#include "document/ini_reader.h"
#include "document/mml_file_writer.h"
#include "document/text_encoding.h"
#include "document/text_util.h"

namespace zema {

namespace {

// Section names as the INI reader sees them: a trimmed line that starts
// with '[', up to the first ']' (or the line's end).
std::vector<std::u16string> sectionNames(std::u16string_view text)
{
    std::vector<std::u16string> names;
    LineCursor cursor(text);
    std::u16string_view line;
    while (cursor.next(line)) {
        const std::u16string_view trimmed = trimIni(line);
        if (trimmed.empty() || trimmed.front() != u'[') continue;
        const size_t close = trimmed.find(u']');
        const std::u16string_view name =
            trimIni(trimmed.substr(1, close == std::u16string_view::npos ? std::u16string_view::npos : close - 1));
        const std::u16string lower = toLowerAscii(name);
        const bool seen = std::any_of(names.begin(), names.end(),
                                      [&](const std::u16string& known) { return toLowerAscii(known) == lower; });
        if (!seen) names.emplace_back(name);
    }
    return names;
}

bool isKnownSection(std::u16string_view name)
{
    const std::u16string lower = toLowerAscii(name);
    if (lower == toLowerAscii(kLanguageInformationSection) || lower == toLowerAscii(kLanguageGlobalSection)) return true;
    return findWindowTexts(name) != nullptr;
}

}  // namespace

std::string formatConversions(std::u16string_view text)
{
    std::string conversions;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'%') continue;
        size_t j = i + 1;
        while (j < text.size() && (text[j] == u'-' || text[j] == u'+' || text[j] == u' ' || text[j] == u'#' ||
                                   text[j] == u'0' || text[j] == u'.' || (text[j] >= u'1' && text[j] <= u'9'))) {
            ++j;
        }
        if (j >= text.size()) break;
        if (text[j] != u'%' && text[j] < 0x80) conversions += static_cast<char>(text[j]);
        i = j;
    }
    return conversions;
}

namespace {

LanguageSectionReport globalReport(const CIniReader& ini, const LanguageData& data)
{
    LanguageSectionReport report;
    report.section = std::u16string(kLanguageGlobalSection);
    report.translated = data.strings.size();
    for (const StringEntry& entry : stringTable()) {
        const auto found = data.strings.find(entry.id);
        if (found == data.strings.end()) {
            report.missing.emplace_back(entry.symbol);
        } else if (formatConversions(found->second) != formatConversions(entry.text)) {
            report.formatMismatch.emplace_back(entry.symbol);
        }
    }
    for (const std::u16string& key : ini.keys(kLanguageGlobalSection)) {
        if (!findString(utf16ToUtf8(key))) report.unknown.push_back(key);
    }
    return report;
}

LanguageSectionReport windowReport(const CIniReader& ini, const LanguageData& data, const WindowTexts& window)
{
    LanguageSectionReport report;
    report.section = std::u16string(window.key);
    const auto found = data.windows.find(toLowerAscii(window.key));
    static const std::map<std::string, std::u16string> none;
    const auto& texts = found == data.windows.end() ? none : found->second;
    report.translated = texts.size();
    for (const WindowText& text : window.texts) {
        const auto translated = texts.find(asciiUppered(text.name));
        if (translated == texts.end()) {
            report.missing.emplace_back(text.name);
        } else if (formatConversions(translated->second) != formatConversions(text.text)) {
            report.formatMismatch.emplace_back(text.name);
        }
    }
    for (const std::u16string& key : ini.keys(window.key)) {
        if (!isWindowTextName(window.key, utf16ToUtf8(key))) report.unknown.push_back(key);
    }
    return report;
}

void appendLine(std::u16string& out, std::u16string_view line)
{
    out += line;
    out += u"\r\n";
}

LanguageCheck unreadable()
{
    LanguageCheck check;
    check.status = LanguageCheck::Status::Unreadable;
    return check;
}

}  // namespace

std::u16string escapeLanguageValue(std::u16string_view text)
{
    // The escapes the reader undoes: those of a document's memo.
    return escapeMemo(text);
}

LanguageCheck checkLanguageBytes(std::string_view bytes)
{
    LanguageCheck check;
    const std::u16string text = decodeDocumentBytes(bytes, {});
    CIniReader ini;
    ini.loadText(text);
    const std::optional<LanguageData> data = readLanguageData(ini);
    if (!data) {
        check.status = LanguageCheck::Status::WrongVersion;
        return check;
    }
    check.language = data->language;
    check.languageName = data->languageName;
    check.translatedBy = data->translatedBy;
    check.lcid = data->lcid;
    check.sections.push_back(globalReport(ini, *data));
    for (const WindowTexts& window : builtInWindowTexts()) check.sections.push_back(windowReport(ini, *data, window));
    for (std::u16string& name : sectionNames(text)) {
        if (!isKnownSection(name)) check.foreignSections.push_back(std::move(name));
    }
    return check;
}

LanguageCheck checkLanguageFile(const std::filesystem::path& path)
{
    std::string bytes;
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return unreadable();
    try {
        std::ifstream file(path, std::ios::binary);
        if (file) bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        if (!file || file.bad()) return unreadable();
    } catch (const std::exception&) {
        return unreadable();  // a folder or a file too large to hold
    }
    return checkLanguageBytes(bytes);
}

std::string languageTemplate(const LanguageTemplateOptions& options)
{
    std::u16string out;
    const auto entry = [&](std::u16string_view section, std::string_view name, std::u16string_view builtIn) {
        const std::u16string key = utf8ToUtf16(name);
        std::optional<std::u16string> previous;
        if (options.previous) previous = options.previous->value(section, key);
        const std::u16string value = previous && !previous->empty() ? *previous : escapeLanguageValue(builtIn);
        appendLine(out, key + u"=" + value);
    };

    appendLine(out, u"[Information]");
    appendLine(out, u"Version=" + std::u16string(kLanguageFileVersion));
    appendLine(out, u"Language=" + utf8ToUtf16(options.language));
    appendLine(out, u"LanguageName=" + escapeLanguageValue(options.languageName));
    appendLine(out, u"TranslatedBy=" + escapeLanguageValue(options.translatedBy));
    const uint32_t lcid = lcidOfLocaleTag(options.language);
    char lcidText[16] = "";
    if (lcid != 0) std::snprintf(lcidText, sizeof lcidText, "0x%04X", static_cast<unsigned>(lcid));
    appendLine(out, u"LCID=" + utf8ToUtf16(lcidText));

    appendLine(out, u"");
    appendLine(out, u"[" + std::u16string(kLanguageGlobalSection) + u"]");
    for (const StringEntry& string : stringTable()) entry(kLanguageGlobalSection, string.symbol, string.text);
    for (const WindowTexts& window : builtInWindowTexts()) {
        appendLine(out, u"");
        appendLine(out, u"[" + std::u16string(window.key) + u"]");
        for (const WindowText& text : window.texts) entry(window.key, text.name, text.text);
    }
    return "\xEF\xBB\xBF" + utf16ToUtf8(out);
}

}  // namespace zema
