#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/accelerator.h"

namespace zema {

// A menu as the key page sees it, without any toolkit: the root stands for
// the menu bar; an entry with children is a pop-up, one with a command (not
// 0) is a command entry. Texts keep their "&" markers.
struct MenuNode {
    std::u16string text;
    int32_t command = 0;
    std::vector<MenuNode> children;
};

// One row of the key list: the command, its menu path and its key.
struct KeyPageRow {
    int32_t command = 0;
    std::u16string menuText;  // "[新規作成(N)]" or "ファイル(F)->[新規作成(N)]"
    std::u16string keyText;   // "Ctrl+N", or the "not assigned" text

    friend bool operator==(const KeyPageRow&, const KeyPageRow&) = default;
};

// A menu text without its mnemonic markers ("&&" stays a literal "&") and
// without a shortcut hint after a tab.
[[nodiscard]] std::u16string menuTextWithoutMarkers(std::u16string_view text);

// Every command entry of the menu bar `root`, depth first in menu order.
// Entries directly on the bar show as "[text]", nested ones as
// "parent->[text]" with the whole path of pop-ups above them.
[[nodiscard]] std::vector<KeyPageRow> keyPageRows(const MenuNode& root, const CAccelerator& keys);

// The key column of a command: its key text or the "not assigned" text.
[[nodiscard]] std::u16string keyColumnText(const CAccelerator& keys, int32_t command);

// The key choice list: first the "not assigned" entry (code 0), then every
// key with a name: letters, digits, F1-F12, the named keys, the arrows, the
// keypad and the punctuation keys.
struct KeyChoice {
    int32_t virtualKey = 0;
    std::u16string text;
};
[[nodiscard]] std::vector<KeyChoice> keyChoices();

// Gives `command` the key (code 0 removes its key). A key with the same
// modifiers held by other commands is taken from them, so the later choice
// wins; those commands are returned so their rows can show that they lost it.
[[nodiscard]] std::vector<int32_t> assignKey(CAccelerator& keys, int32_t command, const KeyAssign& key);

}  // namespace zema
