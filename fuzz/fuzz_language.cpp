// Any bytes as a language file: reading it must never fail on content, a file
// is loaded exactly when the checker accepts its version, every installed
// text is what the lookups then return, and the translators' check agrees
// with the loader on what counts as translated.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/language_check.h"
#include "app/multi_language.h"
#include "core/strings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    zema::CMultiLanguage language;
    const bool loaded = language.loadFromBytes(bytes, "fuzz.lng");
    const zema::LanguageCheck check = zema::checkLanguageBytes(bytes);
    if (loaded != (check.status == zema::LanguageCheck::Status::Ok)) __builtin_trap();
    if (!loaded) {
        if (language.isLoaded() || !language.strings().empty()) __builtin_trap();
        return 0;
    }
    if (check.lcid != language.lcid() || check.sections.empty()) __builtin_trap();
    if (check.sections.front().translated != language.strings().size()) __builtin_trap();

    for (const auto& [id, text] : language.strings()) {
        if (text.empty() || !zema::findString(id) || zema::loadString(id) != text) __builtin_trap();
    }
    for (const auto& [key, texts] : language.windowTexts()) {
        for (const auto& [name, text] : texts) {
            if (text.empty() || zema::windowText(key, name) != text) __builtin_trap();
        }
    }
    // Untranslated strings keep their built-in text.
    for (const zema::StringEntry& entry : zema::stringTable()) {
        if (!language.strings().contains(entry.id) && zema::loadString(entry.id) != entry.text) __builtin_trap();
    }

    language.unloadLanguage();
    for (const zema::StringEntry& entry : zema::stringTable()) {
        if (zema::loadString(entry.id) != entry.text) __builtin_trap();
    }
    return 0;
}
