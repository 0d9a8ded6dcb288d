#pragma once

#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace zema {

// One translatable text of a window: the name of the control, menu command or
// caption it belongs to (a resource symbol, or a name of its own for static
// texts and pop-up menu titles that share no identifier) and its built-in
// Japanese text. The window's caption is keyed by the window's IDD_ symbol.
struct WindowText {
    std::string_view name;
    std::u16string_view text;
};

// The built-in texts of one window key ("Main Window", "Preferences Sheet - Midi" ...).
struct WindowTexts {
    std::u16string_view key;
    std::span<const WindowText> texts;
};

// Every window key the language files may hold, in the order the language
// files list them, with their built-in texts.
[[nodiscard]] std::span<const WindowTexts> builtInWindowTexts();
[[nodiscard]] const WindowTexts* findWindowTexts(std::u16string_view key);
// The built-in text of `name` (ASCII case-insensitive) in window `key`; null when the window has no such text.
[[nodiscard]] const WindowText* findWindowText(std::u16string_view key, std::string_view name);

// Replacement texts of a loaded language: window key (lower-cased) -> name
// (upper-cased) -> text.
using WindowTextOverrides = std::map<std::u16string, std::map<std::string, std::u16string>>;

// Installs the loaded language's window texts; null returns to the built-in
// texts. Safe against concurrent windowText calls.
void setWindowTextOverrides(std::shared_ptr<const WindowTextOverrides> overrides);

// The text shown for `name` in window `key`: the loaded language's
// replacement, else the built-in text, else "".
[[nodiscard]] std::u16string windowText(std::u16string_view key, std::string_view name);

}  // namespace zema
