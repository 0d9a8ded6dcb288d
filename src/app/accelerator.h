#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace zema {

class CIniReader;

// One keyboard shortcut: a Windows virtual-key code (kept in the key file so
// the file stays interchangeable) and its modifiers.
struct KeyAssign {
    int32_t virtualKey = 0;
    bool ctrl = false;
    bool alt = false;
    bool shift = false;

    friend bool operator==(const KeyAssign&, const KeyAssign&) = default;
};

inline constexpr std::u16string_view kMainWindowKey = u"Main Window";

// The shortcuts of one window, read from and written to "ZEMA_ACCEL.ini":
// one key per command identifier, the value "VK\nCTRL\nALT\nSHIFT" with a
// literal backslash-n between the fields.
class CAccelerator {
public:
    // Reads the window's section. Entries whose command is not a positive
    // number, or whose value is not four fields (a key code 1..254 and three
    // flags "0"/"1"), are skipped. False when the file cannot be read.
    bool load(const std::filesystem::path& keyFile, std::u16string_view windowKey);
    void loadFrom(const CIniReader& reader, std::u16string_view windowKey);
    // Replaces the window's section with the map, in command order.
    bool save(const std::filesystem::path& keyFile) const;

    [[nodiscard]] const std::map<int32_t, KeyAssign>& keys() const { return keys_; }
    void assign(int32_t command, const KeyAssign& key) { keys_[command] = key; }
    void unassign(int32_t command) { keys_.erase(command); }
    [[nodiscard]] const KeyAssign* find(int32_t command) const;

    // "Ctrl+Shift+S", or "なし" for a command without a key.
    [[nodiscard]] std::u16string keyText(int32_t command) const;

private:
    std::u16string windowKey_{kMainWindowKey};
    std::map<int32_t, KeyAssign> keys_;
};

// The built-in table of the main window.
[[nodiscard]] CAccelerator defaultAccelerator();

// The built-in key file, byte for byte (CR LF line ends).
[[nodiscard]] std::string defaultKeyFileText();

// Writes the built-in key file when `keyFile` does not exist. False only when
// it was missing and could not be written.
bool ensureKeyFile(const std::filesystem::path& keyFile);

// The value text of one entry ("83\n1\n0\n1") and its parser.
[[nodiscard]] std::u16string keyValueText(const KeyAssign& key);
[[nodiscard]] bool parseKeyValue(std::u16string_view text, KeyAssign& key);

// Display name of a virtual-key code ("F5", "Page Up", "←"); "" when unnamed.
[[nodiscard]] std::u16string virtualKeyName(int32_t virtualKey);
// The modifiers and key name joined by "+".
[[nodiscard]] std::u16string keyAssignText(const KeyAssign& key);

}  // namespace zema
