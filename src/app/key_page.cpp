#include "app/key_page.h"

#include "core/strings.h"

namespace zema {

namespace {

void collectRows(const MenuNode& node, const std::u16string& parentPath, const CAccelerator& keys,
                 std::vector<KeyPageRow>& rows)
{
    for (const MenuNode& child : node.children) {
        const std::u16string text = menuTextWithoutMarkers(child.text);
        if (!child.children.empty()) {
            collectRows(child, parentPath.empty() ? text : parentPath + u"->" + text, keys, rows);
        } else if (child.command != 0) {
            const std::u16string entry = u"[" + text + u"]";
            rows.push_back({child.command, parentPath.empty() ? entry : parentPath + u"->" + entry,
                            keyColumnText(keys, child.command)});
        }
    }
}

}  // namespace

std::u16string menuTextWithoutMarkers(std::u16string_view text)
{
    text = text.substr(0, text.find(u'\t'));
    std::u16string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&') {
                result += u'&';
                ++i;
            }
            continue;
        }
        result += text[i];
    }
    return result;
}

std::vector<KeyPageRow> keyPageRows(const MenuNode& root, const CAccelerator& keys)
{
    std::vector<KeyPageRow> rows;
    collectRows(root, {}, keys, rows);
    return rows;
}

std::u16string keyColumnText(const CAccelerator& keys, int32_t command)
{
    const KeyAssign* key = keys.find(command);
    return key ? keyAssignText(*key) : loadString("IDS_CFG_KEY_NOTASSIGNED");
}

std::vector<KeyChoice> keyChoices()
{
    std::vector<int32_t> codes;
    for (int32_t code = 'A'; code <= 'Z'; ++code) codes.push_back(code);
    for (int32_t code = '0'; code <= '9'; ++code) codes.push_back(code);
    for (int32_t code = 0x70; code <= 0x7B; ++code) codes.push_back(code);  // F1..F12
    // Back Space, Tab, Enter, Escape, Space, Insert, Delete, Home, End, Page Up, Page Down, Break
    for (int32_t code : {0x08, 0x09, 0x0D, 0x1B, 0x20, 0x2D, 0x2E, 0x24, 0x23, 0x21, 0x22, 0x13}) codes.push_back(code);
    for (int32_t code : {0x26, 0x28, 0x25, 0x27}) codes.push_back(code);  // up, down, left, right
    for (int32_t code = 0x60; code <= 0x69; ++code) codes.push_back(code);  // Num 0..9
    for (int32_t code : {0x6B, 0x6D, 0x6A, 0x6F, 0x6E}) codes.push_back(code);  // Num + - * / .
    // The punctuation keys of a Japanese layout: : / ^ [ \ ] ` , - .
    for (int32_t code : {0xBA, 0xBF, 0xDE, 0xDB, 0xDC, 0xDD, 0xC0, 0xBC, 0xBD, 0xBE}) codes.push_back(code);

    std::vector<KeyChoice> choices;
    choices.push_back({0, loadString("IDS_CFG_KEY_NOTASSIGNED")});
    for (int32_t code : codes) choices.push_back({code, virtualKeyName(code)});
    return choices;
}

std::vector<int32_t> assignKey(CAccelerator& keys, int32_t command, const KeyAssign& key)
{
    std::vector<int32_t> losers;
    if (key.virtualKey == 0) {
        keys.unassign(command);
        return losers;
    }
    // A hand-edited key file may give one key to several commands; all of them lose it.
    for (const auto& [other, assigned] : keys.keys()) {
        if (other != command && assigned == key) losers.push_back(other);
    }
    for (int32_t loser : losers) keys.unassign(loser);
    keys.assign(command, key);
    return losers;
}

}  // namespace zema
