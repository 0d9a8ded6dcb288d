#include "gui/key_mapping.h"

namespace zema {

namespace {

// Qt key of a virtual-key code, or 0.
int qtKeyOf(int32_t vk, bool& keypad)
{
    keypad = false;
    if (vk >= '0' && vk <= '9') return Qt::Key_0 + (vk - '0');
    if (vk >= 'A' && vk <= 'Z') return Qt::Key_A + (vk - 'A');
    if (vk >= 0x70 && vk <= 0x87) return Qt::Key_F1 + (vk - 0x70);  // F1..F24
    if (vk >= 0x60 && vk <= 0x69) {                                   // keypad digits
        keypad = true;
        return Qt::Key_0 + (vk - 0x60);
    }
    switch (vk) {
    case 0x08: return Qt::Key_Backspace;
    case 0x09: return Qt::Key_Tab;
    case 0x0C: return Qt::Key_Clear;
    case 0x0D: return Qt::Key_Return;
    case 0x13: return Qt::Key_Pause;
    case 0x1B: return Qt::Key_Escape;
    case 0x20: return Qt::Key_Space;
    case 0x21: return Qt::Key_PageUp;
    case 0x22: return Qt::Key_PageDown;
    case 0x23: return Qt::Key_End;
    case 0x24: return Qt::Key_Home;
    case 0x25: return Qt::Key_Left;
    case 0x26: return Qt::Key_Up;
    case 0x27: return Qt::Key_Right;
    case 0x28: return Qt::Key_Down;
    case 0x2C: return Qt::Key_Print;
    case 0x2D: return Qt::Key_Insert;
    case 0x2E: return Qt::Key_Delete;
    case 0x2F: return Qt::Key_Help;
    case 0x6A: keypad = true; return Qt::Key_Asterisk;
    case 0x6B: keypad = true; return Qt::Key_Plus;
    case 0x6D: keypad = true; return Qt::Key_Minus;
    case 0x6E: keypad = true; return Qt::Key_Period;
    case 0x6F: keypad = true; return Qt::Key_Slash;
    case 0x90: return Qt::Key_NumLock;
    case 0x91: return Qt::Key_ScrollLock;
    case 0xBA: return Qt::Key_Semicolon;
    case 0xBB: return Qt::Key_Equal;  // the key that carries "=" and "+" on US layouts
    case 0xBC: return Qt::Key_Comma;
    case 0xBD: return Qt::Key_Minus;
    case 0xBE: return Qt::Key_Period;
    case 0xBF: return Qt::Key_Slash;
    case 0xC0: return Qt::Key_QuoteLeft;
    case 0xDB: return Qt::Key_BracketLeft;
    case 0xDC: return Qt::Key_Backslash;
    case 0xDD: return Qt::Key_BracketRight;
    case 0xDE: return Qt::Key_Apostrophe;
    default: return 0;
    }
}

}  // namespace

QKeySequence keySequenceOf(const KeyAssign& key)
{
    bool keypad = false;
    const int qtKey = qtKeyOf(key.virtualKey, keypad);
    if (qtKey == 0) return {};
    Qt::KeyboardModifiers modifiers;
    if (key.ctrl) modifiers |= Qt::ControlModifier;
    if (key.alt) modifiers |= Qt::AltModifier;
    if (key.shift) modifiers |= Qt::ShiftModifier;
    if (keypad) modifiers |= Qt::KeypadModifier;
    return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(qtKey)));
}

}  // namespace zema
