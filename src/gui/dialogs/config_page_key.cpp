#include "gui/dialogs/config_page_key.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/dialogs/config_page_support.h"
#include "gui/translate.h"

namespace zema {

namespace {

constexpr int kCommandRole = Qt::UserRole;

}  // namespace

CConfigPageKey::CConfigPageKey(const MenuNode& menu, CAccelerator keys, QWidget* parent)
    : QWidget(parent), keys_(std::move(keys))
{
    setObjectName(QStringLiteral("IDD_CONFIG_KEY"));

    list_ = namedWidget<QTreeWidget>("IDC_LST_KEY");
    list_->setColumnCount(2);
    list_->setHeaderLabels({stringQ("IDS_CFG_KEY_COL_MENU"), stringQ("IDS_CFG_KEY_COL_KEY")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const KeyPageRow& row : keyPageRows(menu, keys_)) {
        auto* item = new QTreeWidgetItem(list_, {qt(row.menuText), qt(row.keyText)});
        item->setData(0, kCommandRole, row.command);
    }
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    list_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);

    key_ = namedWidget<QComboBox>("IDC_CMB_KEY");
    for (const KeyChoice& choice : keyChoices()) key_->addItem(qt(choice.text), choice.virtualKey);
    key_->setMaxVisibleItems(20);
    ctrl_ = namedWidget<QCheckBox>("IDC_CHK_CTRL");
    alt_ = namedWidget<QCheckBox>("IDC_CHK_ALT");
    shift_ = namedWidget<QCheckBox>("IDC_CHK_SHIFT");
    auto* note = namedWidget<QLabel>("IDC_STATIC_CFG_KEY_NOTE");
    note->setWordWrap(true);

    connect(list_, &QTreeWidget::itemSelectionChanged, this, &CConfigPageKey::showSelected);
    connect(key_, &QComboBox::currentIndexChanged, this, &CConfigPageKey::changeSelected);
    for (QCheckBox* box : {ctrl_, alt_, shift_}) connect(box, &QCheckBox::toggled, this, &CConfigPageKey::changeSelected);

    auto* assigned = new QHBoxLayout;
    assigned->addWidget(buddyLabel("IDC_STATIC_CFG_KEY_ASSIGNED", key_));
    assigned->addWidget(key_, 1);
    assigned->addWidget(ctrl_);
    assigned->addWidget(alt_);
    assigned->addWidget(shift_);
    auto* column = new QVBoxLayout(this);
    column->addWidget(list_, 1);
    column->addLayout(assigned);
    column->addWidget(note);

    translateWindow(this, u"Preferences Sheet - Key Assign");
    showSelected();
}

int32_t CConfigPageKey::selectedCommand() const
{
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    return selected.isEmpty() ? 0 : selected.front()->data(0, kCommandRole).toInt();
}

bool CConfigPageKey::selectCommand(int32_t command)
{
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        if (item->data(0, kCommandRole).toInt() != command) continue;
        list_->setCurrentItem(item);
        list_->scrollToItem(item);
        return true;
    }
    return false;
}

void CConfigPageKey::showSelected()
{
    const int32_t command = selectedCommand();
    for (QWidget* control : std::initializer_list<QWidget*>{key_, ctrl_, alt_, shift_}) control->setEnabled(command != 0);
    const QSignalBlocker blockKey(key_);
    const QSignalBlocker blockCtrl(ctrl_);
    const QSignalBlocker blockAlt(alt_);
    const QSignalBlocker blockShift(shift_);
    const KeyAssign* key = command != 0 ? keys_.find(command) : nullptr;
    const KeyAssign shown = key ? *key : KeyAssign{};
    const int index = key_->findData(shown.virtualKey);
    key_->setCurrentIndex(index < 0 ? 0 : index);
    ctrl_->setChecked(shown.ctrl);
    alt_->setChecked(shown.alt);
    shift_->setChecked(shown.shift);
}

void CConfigPageKey::changeSelected()
{
    const int32_t command = selectedCommand();
    if (command == 0) return;
    const KeyAssign key{key_->currentData().toInt(), ctrl_->isChecked(), alt_->isChecked(), shift_->isChecked()};
    std::vector<int32_t> changed = assignKey(keys_, command, key);
    changed.push_back(command);
    refreshKeyColumn(changed);
}

void CConfigPageKey::refreshKeyColumn(const std::vector<int32_t>& commands)
{
    // A command may appear in several rows.
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        const int32_t command = item->data(0, kCommandRole).toInt();
        if (std::find(commands.begin(), commands.end(), command) == commands.end()) continue;
        item->setText(1, qt(keyColumnText(keys_, command)));
    }
}

}  // namespace zema
