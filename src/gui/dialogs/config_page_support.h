#pragma once

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <vector>

#include "app/preferences.h"
#include "gui/qt_text.h"

namespace zema {

// Small builders the preferences pages share.

// A widget of type W with its resource symbol as object name.
template <class W, class... Args>
W* namedWidget(const char* symbol, Args&&... args)
{
    auto* widget = new W(std::forward<Args>(args)...);
    widget->setObjectName(QString::fromLatin1(symbol));
    return widget;
}

// A label that gives keyboard focus to `buddy` through its "&" marker.
inline QLabel* buddyLabel(const char* symbol, QWidget* buddy)
{
    auto* label = namedWidget<QLabel>(symbol);
    label->setBuddy(buddy);
    return label;
}

inline void fillChoices(QComboBox* box, const std::vector<SettingChoice>& choices)
{
    for (const SettingChoice& choice : choices) box->addItem(qt(choice.text), choice.value);
}

inline void fillTexts(QComboBox* box, const std::vector<std::u16string>& texts)
{
    for (const std::u16string& text : texts) box->addItem(qt(text));
}

// The OK (default) and Cancel buttons of a dialog, named IDOK and IDCANCEL
// for their texts, calling the dialog's accept() and reject().
inline QDialogButtonBox* okCancelButtons(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox;
    auto* ok = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setDefault(true);
    auto* cancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("IDCANCEL"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

// A list whose entries are picked by clicking them, each picked one with a check mark.
inline QListWidget* checkList(const char* symbol)
{
    auto* list = namedWidget<QListWidget>(symbol);
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    list->setUniformItemSizes(true);
    return list;
}

inline void setChecked(QListWidgetItem* item, bool selected)
{
    item->setSelected(selected);
    item->setData(Qt::CheckStateRole, selected ? Qt::Checked : Qt::Unchecked);
}

// The value of the selected entry of a box filled by fillChoices; `fallback` when none is selected.
inline int32_t selectedValue(const QComboBox* box, int32_t fallback)
{
    return box->currentIndex() < 0 ? fallback : box->currentData().toInt();
}

}  // namespace zema
