#include "gui/dialogs/clip_import_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/instrument_choice.h"
#include "core/strings.h"
#include "gui/dialogs/config_page_support.h"
#include "gui/translate.h"

namespace zema {

CMMLClipImportDlg::CMMLClipImportDlg(int trackCount, std::vector<InstrumentPreset> presets, bool withGeneralMidi,
                                     QWidget* parent)
    : QDialog(parent), presets_(std::move(presets)), items_(instrumentListItems(presets_, withGeneralMidi))
{
    setObjectName(QStringLiteral("IDD_CLIPBOARD_IMPORT"));
    auto* info = namedWidget<QLabel>("IDC_TXT_IMPORT_INFO");
    info->setText(qt(formatText(loadString("IDS_MAIN_MMLATMARK_FORMAT"), {trackCount})));

    auto* method = namedWidget<QGroupBox>("IDC_GRP_IMPORT_METHOD");
    auto* fresh = namedWidget<QRadioButton>("IDC_RDO_IMPORT_NEW");
    add_ = namedWidget<QRadioButton>("IDC_RDO_IMPORT_ADD");
    fresh->setChecked(true);
    auto* methodLayout = new QVBoxLayout(method);
    methodLayout->addWidget(fresh);
    methodLayout->addWidget(add_);

    instrument_ = namedWidget<QComboBox>("IDC_CMB_IMPORT_INSTRUMENT");
    for (const InstrumentListItem& item : items_) instrument_->addItem(qt(item.text));
    instrument_->setCurrentIndex(items_.empty() ? -1 : 0);
    name_ = namedWidget<QLineEdit>("IDC_EDT_IMPORT_NAME");
    name_->setMaxLength(31);

    auto* form = new QFormLayout;
    form->addRow(buddyLabel("IDC_STATIC_CB_IM_INSTRUMENT", instrument_), instrument_);
    form->addRow(buddyLabel("IDC_STATIC_CB_IM_NAME", name_), name_);

    auto* buttons = okCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(info);
    layout->addWidget(method);
    layout->addLayout(form);
    layout->addWidget(buttons);
    instrument_->setMinimumWidth(fontMetrics().averageCharWidth() * 32);
    translateWindow(this, u"Clipboard Import");
    // The default name is the window text of the edit field ("Track").
    name_->setText(windowTextQ(u"Clipboard Import", "IDC_EDT_IMPORT_NAME"));
    name_->setFocus();
    name_->selectAll();
}

ClipImportChoice CMMLClipImportDlg::choice() const
{
    ClipImportChoice choice;
    choice.addToCurrent = add_->isChecked();
    const int index = instrument_->currentIndex();
    if (index >= 0 && static_cast<size_t>(index) < items_.size()) {
        choice.instrument = instrumentOfItem(items_[static_cast<size_t>(index)], presets_);
    }
    choice.name = name_->text().toStdU16String();
    return choice;
}

}  // namespace zema
