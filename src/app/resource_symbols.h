#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace zema {

// The kinds of resource symbols, by their prefix.
enum class SymbolGroup : int32_t { Button, Indicator, Bitmap, Control, Dialog, Icon, Resource, Menu, String };

// One resource symbol: the name the language files and the key file use for
// a control, dialog, menu command or string, and its numeric identifier.
struct ResourceSymbol {
    std::string_view name;
    int32_t id = 0;
    SymbolGroup group = SymbolGroup::Control;
};

// The vocabulary of 510 symbols: IDOK and IDCANCEL, two status-bar
// indicators, 37 IDB_, 175 IDC_ (the last six added after the others), 18
// IDD_, one IDI_, 13 IDR_, 82 IDM_ and the first 180 IDS_ names of the string
// table. Identifiers are unique across the table.
[[nodiscard]] std::span<const ResourceSymbol> resourceSymbols();
// Lookup by name (ASCII case-insensitive, as INI keys are read) or identifier.
[[nodiscard]] const ResourceSymbol* findResourceSymbol(std::string_view name);
[[nodiscard]] const ResourceSymbol* findResourceSymbol(int32_t id);

}  // namespace zema
