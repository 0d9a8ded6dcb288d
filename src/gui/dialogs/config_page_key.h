#pragma once

#include <QWidget>
#include <vector>

#include "app/accelerator.h"
#include "app/key_page.h"

class QCheckBox;
class QComboBox;
class QTreeWidget;

namespace zema {

// The "キー割り当て" page: every command of the main menu with its key. A key
// or modifier chosen below the list applies to the selected command at once;
// a command that held the same key loses it.
class CConfigPageKey final : public QWidget {
    Q_OBJECT
public:
    CConfigPageKey(const MenuNode& menu, CAccelerator keys, QWidget* parent = nullptr);

    [[nodiscard]] const CAccelerator& keys() const { return keys_; }
    // Selects the first row of `command`; false when the menu has none.
    bool selectCommand(int32_t command);

private:
    [[nodiscard]] int32_t selectedCommand() const;
    void showSelected();
    void changeSelected();
    void refreshKeyColumn(const std::vector<int32_t>& commands);

    CAccelerator keys_;
    QTreeWidget* list_ = nullptr;
    QComboBox* key_ = nullptr;
    QCheckBox* ctrl_ = nullptr;
    QCheckBox* alt_ = nullptr;
    QCheckBox* shift_ = nullptr;
};

}  // namespace zema
