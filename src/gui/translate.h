#pragma once

#include <QString>
#include <string_view>

class QWidget;
class QMenu;

namespace zema {

struct ReadStatus;

// Sets the texts of a window from its window key: the window's caption (keyed
// by the window's own object name, its IDD_ symbol), and every child widget,
// action and menu whose object name has a text in that window's table.
void translateWindow(QWidget* window, std::u16string_view windowKey);
// The same for a menu and its sub-menus and actions.
void translateMenu(QMenu* menu, std::u16string_view windowKey);

// The text of `name` in window `windowKey`, as a QString.
[[nodiscard]] QString windowTextQ(std::u16string_view windowKey, std::string_view name);
// A string-table text, as a QString.
[[nodiscard]] QString stringQ(std::string_view symbol);
// A string-table message with a read's reason on its second line.
[[nodiscard]] QString stringWithReadReason(std::string_view symbol, const ReadStatus& status);

}  // namespace zema
