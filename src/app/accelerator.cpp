#include "app/accelerator.h"

#include <array>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "app/inifile.h"
#include "core/strings.h"
#include "core/unicode.h"
#include "document/ini_reader.h"
#include "document/smf_file_io.h"
#include "document/text_encoding.h"
#include "document/text_util.h"

namespace zema {

namespace {

// Command, virtual key, ctrl, alt, shift of the built-in table.
struct DefaultKey {
    int32_t command;
    int32_t virtualKey;
    bool ctrl;
    bool alt;
    bool shift;
};
constexpr std::array<DefaultKey, 27> kDefaultKeys = {{
    {147, 27, false, false, false},     {32728, 116, false, false, false}, {32786, 118, false, false, false},
    {32791, 86, true, false, true},     {32814, 114, false, false, false}, {32817, 67, true, false, false},
    {32818, 86, true, false, false},    {32819, 88, true, false, false},   {32820, 65, true, false, false},
    {32821, 90, true, false, false},    {32822, 89, true, false, false},   {32842, 46, false, false, false},
    {32849, 32, true, false, false},    {32862, 117, false, false, false}, {32864, 115, false, false, false},
    {32871, 84, true, false, false},    {32880, 75, true, false, false},   {32887, 13, false, true, false},
    {32893, 70, true, false, false},    {32894, 82, true, false, false},   {32919, 37, true, false, false},
    {32920, 39, true, false, false},    {32925, 78, true, false, false},   {32926, 79, true, false, false},
    {32927, 83, true, false, false},    {32928, 83, true, false, true},    {32969, 119, false, false, false},
}};

// Named keys other than letters, digits, F-keys and the number pad. The
// punctuation codes follow the Japanese keyboard layout.
constexpr std::array<std::pair<int32_t, std::u16string_view>, 26> kNamedKeys = {{
    {0x08, u"Back Space"}, {0x09, u"Tab"},    {0x0D, u"Enter"},     {0x1B, u"Escape"}, {0x20, u"Space"},
    {0x2D, u"Insert"},     {0x2E, u"Delete"}, {0x24, u"Home"},      {0x23, u"End"},    {0x21, u"Page Up"},
    {0x22, u"Page Down"},  {0x13, u"Break"},  {0x26, u"↑"},         {0x28, u"↓"},      {0x25, u"←"},
    {0x27, u"→"},          {0xBA, u":"},      {0xBF, u"/"},         {0xDE, u"^"},      {0xDB, u"["},
    {0xDC, u"\\"},         {0xDD, u"]"},      {0xC0, u"`"},         {0xBC, u","},      {0xBD, u"-"},
    {0xBE, u"."},
}};

constexpr std::u16string_view kFieldSeparator = u"\\n";

std::u16string flag(bool on) { return on ? u"1" : u"0"; }

std::optional<int32_t> commandOf(std::u16string_view key)
{
    int32_t command = 0;
    if (!parseStoredInt(key, command) || command <= 0) return std::nullopt;
    return command;
}

}  // namespace

std::u16string keyValueText(const KeyAssign& key)
{
    std::u16string text = decimalText(key.virtualKey);
    for (bool on : {key.ctrl, key.alt, key.shift}) {
        text += kFieldSeparator;
        text += flag(on);
    }
    return text;
}

bool parseKeyValue(std::u16string_view text, KeyAssign& key)
{
    std::vector<std::u16string_view> fields;
    while (true) {
        const size_t separator = text.find(kFieldSeparator);
        fields.push_back(trimIni(text.substr(0, separator)));
        if (separator == std::u16string_view::npos) break;
        text.remove_prefix(separator + kFieldSeparator.size());
    }
    if (fields.size() != 4) return false;
    int32_t virtualKey = 0;
    if (!parseStoredInt(fields[0], virtualKey) || virtualKey < 1 || virtualKey > 254) return false;
    std::array<bool, 3> flags{};
    for (size_t i = 0; i < flags.size(); ++i) {
        if (fields[i + 1] != u"0" && fields[i + 1] != u"1") return false;
        flags[i] = fields[i + 1] == u"1";
    }
    key = KeyAssign{virtualKey, flags[0], flags[1], flags[2]};
    return true;
}

CAccelerator defaultAccelerator()
{
    CAccelerator accelerator;
    for (const DefaultKey& entry : kDefaultKeys) {
        accelerator.assign(entry.command, KeyAssign{entry.virtualKey, entry.ctrl, entry.alt, entry.shift});
    }
    return accelerator;
}

std::string defaultKeyFileText()
{
    std::u16string text = u"[" + std::u16string(kMainWindowKey) + u"]\r\n";
    for (const DefaultKey& entry : kDefaultKeys) {
        text += decimalText(entry.command) + u"=" +
                keyValueText(KeyAssign{entry.virtualKey, entry.ctrl, entry.alt, entry.shift}) + u"\r\n";
    }
    return utf16ToUtf8(text);
}

bool ensureKeyFile(const std::filesystem::path& keyFile)
{
    std::error_code error;
    if (std::filesystem::exists(keyFile, error)) return true;
    return writeFileAtomically(keyFile, defaultKeyFileText());
}

std::u16string virtualKeyName(int32_t virtualKey)
{
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9')) {
        return std::u16string(1, static_cast<char16_t>(virtualKey));
    }
    if (virtualKey >= 0x70 && virtualKey <= 0x7B) return u"F" + decimalText(virtualKey - 0x70 + 1);
    if (virtualKey >= 0x60 && virtualKey <= 0x69) return u"Num " + decimalText(virtualKey - 0x60);
    switch (virtualKey) {
    case 0x6A: return u"Num *";
    case 0x6B: return u"Num +";
    case 0x6D: return u"Num -";
    case 0x6E: return u"Num .";
    case 0x6F: return u"Num /";
    default: break;
    }
    for (const auto& [code, name] : kNamedKeys) {
        if (code == virtualKey) return std::u16string(name);
    }
    return {};
}

std::u16string keyAssignText(const KeyAssign& key)
{
    std::u16string text;
    auto add = [&text](std::u16string_view part) {
        if (!text.empty()) text += u"+";
        text += part;
    };
    if (key.ctrl) add(u"Ctrl");
    if (key.alt) add(u"Alt");
    if (key.shift) add(u"Shift");
    std::u16string name = virtualKeyName(key.virtualKey);
    if (name.empty()) {
        // An unnamed code still shows which key it is.
        constexpr std::u16string_view kHex = u"0123456789ABCDEF";
        name = u"0x";
        name += kHex[(key.virtualKey >> 4) & 0xF];
        name += kHex[key.virtualKey & 0xF];
    }
    add(name);
    return text;
}

bool CAccelerator::load(const std::filesystem::path& keyFile, std::u16string_view windowKey)
{
    CIniReader reader;
    const bool readable = reader.loadFile(keyFile);
    loadFrom(reader, windowKey);
    return readable;
}

void CAccelerator::loadFrom(const CIniReader& reader, std::u16string_view windowKey)
{
    windowKey_ = std::u16string(windowKey);
    keys_.clear();
    for (const std::u16string& name : reader.keys(windowKey)) {
        const std::optional<int32_t> command = commandOf(name);
        if (!command) continue;
        KeyAssign key;
        const std::optional<std::u16string> value = reader.value(windowKey, name);
        if (value && parseKeyValue(*value, key)) keys_[*command] = key;
    }
}

bool CAccelerator::save(const std::filesystem::path& keyFile) const
{
    std::u16string text;
    std::error_code error;
    if (std::filesystem::exists(keyFile, error)) {
        const std::optional<std::string> bytes = readFileBytes(keyFile);
        if (!bytes) return false;
        text = decodeDocumentBytes(*bytes, {});
    }
    // Entries that are no longer assigned leave the section first.
    CIniReader reader;
    reader.loadText(text);
    for (const std::u16string& name : reader.keys(windowKey_)) {
        const std::optional<int32_t> command = commandOf(name);
        if (!command || !keys_.contains(*command) || name != decimalText(*command)) text = rewriteIniText(text, windowKey_, name, nullptr);
    }
    for (const auto& [command, key] : keys_) {
        const std::u16string value = keyValueText(key);
        text = rewriteIniText(text, windowKey_, decimalText(command), &value);
    }
    return writeFileAtomically(keyFile, utf16ToUtf8(text));
}

const KeyAssign* CAccelerator::find(int32_t command) const
{
    const auto entry = keys_.find(command);
    return entry == keys_.end() ? nullptr : &entry->second;
}

std::u16string CAccelerator::keyText(int32_t command) const
{
    const KeyAssign* key = find(command);
    if (!key) return loadString("IDS_CFG_KEY_NOTASSIGNED");
    return keyAssignText(*key);
}

}  // namespace zema
