#pragma once

#include <QKeySequence>

#include "app/accelerator.h"

namespace zema {

// The Qt shortcut of a key-file entry: the Windows virtual-key code mapped to
// the Qt key (numeric-keypad codes carry the keypad modifier) with its
// modifiers. An empty sequence for codes Qt has no key for.
[[nodiscard]] QKeySequence keySequenceOf(const KeyAssign& key);

}  // namespace zema
