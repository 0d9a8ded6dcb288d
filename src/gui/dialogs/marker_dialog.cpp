#include "gui/dialogs/marker_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/dialogs/config_page_support.h"
#include "gui/translate.h"

namespace zema {

CMMLMarkerDlg::CMMLMarkerDlg(bool editing, const QString& name, const QString& position, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("IDD_MARKER_EDIT"));
    name_ = namedWidget<QLineEdit>("IDC_EDT_MARKER_NAME");
    name_->setText(name);
    name_->setMinimumWidth(fontMetrics().averageCharWidth() * 32);
    auto* where = namedWidget<QLabel>("IDC_TXT_MARKER_POSITION");
    where->setText(position);

    auto* form = new QFormLayout;
    form->addRow(buddyLabel("IDC_STATIC_MK_NAME", name_), name_);
    form->addRow(namedWidget<QLabel>("IDC_STATIC_MK_POSITION"), where);

    auto* buttons = new QDialogButtonBox;
    auto* remove = buttons->addButton(QString(), QDialogButtonBox::DestructiveRole);
    remove->setObjectName(QStringLiteral("IDC_BTN_MARKER_DELETE"));
    remove->setEnabled(editing);
    remove->setAutoDefault(false);
    auto* ok = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setDefault(true);
    buttons->addButton(QString(), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("IDCANCEL"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(remove, &QPushButton::clicked, this, [this] { done(kDeleteResult); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    translateWindow(this, u"Marker Edit");
    // The caption says what the dialog does.
    setWindowTitle(stringQ(editing ? "IDS_MK_TITLE_EDIT" : "IDS_MK_TITLE_CREATE"));
    name_->setFocus();
    name_->selectAll();
}

QString CMMLMarkerDlg::name() const { return name_->text(); }

}  // namespace zema
