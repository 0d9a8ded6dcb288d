#include "gui/dialogs/config_page_file.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/preferences.h"
#include "gui/dialogs/config_page_support.h"
#include "gui/translate.h"

namespace zema {

CConfigPageFile::CConfigPageFile(const Settings& settings, std::optional<FileAssociation> association,
                                 PreferencesMessage message, QWidget* parent)
    : QWidget(parent), association_(std::move(association)), message_(std::move(message))
{
    setObjectName(QStringLiteral("IDD_CONFIG_FILE"));

    compact_ = namedWidget<QCheckBox>("IDC_CHK_COMPACT");
    compact_->setChecked(settings.compact);
    autoSave_ = namedWidget<QCheckBox>("IDC_CHK_AUTOSAVE");
    autoSave_->setChecked(settings.autoSave);

    auto* associationBox = namedWidget<QGroupBox>("IDC_STATIC_CFG_FILE_ASSOC");
    auto* associateButton = namedWidget<QPushButton>("IDC_BTN_ASSOCIATE");
    auto* disassociateButton = namedWidget<QPushButton>("IDC_BTN_DISASSOCIATE");
    connect(associateButton, &QPushButton::clicked, this, &CConfigPageFile::associate);
    connect(disassociateButton, &QPushButton::clicked, this, &CConfigPageFile::disassociate);
    auto* associationRow = new QHBoxLayout(associationBox);
    associationRow->addWidget(associateButton);
    associationRow->addWidget(disassociateButton);
    associationRow->addStretch(1);

    auto* timebaseBox = namedWidget<QGroupBox>("IDC_STATIC_CFG_FILE_TPQN");
    defaultTimebase_ = namedWidget<QRadioButton>("IDC_RDO_DEFAULT_TPQN");
    specificTimebase_ = namedWidget<QRadioButton>("IDC_RDO_SPECIFIC_TPQN");
    auto* radios = new QButtonGroup(this);
    radios->addButton(defaultTimebase_);
    radios->addButton(specificTimebase_);
    timebase_ = namedWidget<QComboBox>("IDC_CMB_SPECIFIC_TPQN");
    fillChoices(timebase_, specificTimebaseChoices());
    timebase_->setCurrentIndex(choiceIndexOf(specificTimebaseChoices(), settings.specificTpqn, 2));
    (settings.ifNotSpecifyTpqn ? specificTimebase_ : defaultTimebase_)->setChecked(true);
    timebase_->setEnabled(settings.ifNotSpecifyTpqn);
    connect(specificTimebase_, &QRadioButton::toggled, timebase_, &QComboBox::setEnabled);
    auto* timebaseColumn = new QVBoxLayout(timebaseBox);
    timebaseColumn->addWidget(defaultTimebase_);
    auto* specificRow = new QHBoxLayout;
    specificRow->addWidget(specificTimebase_);
    specificRow->addWidget(timebase_, 1);
    timebaseColumn->addLayout(specificRow);

    auto* column = new QVBoxLayout(this);
    column->addWidget(compact_);
    column->addWidget(autoSave_);
    column->addWidget(associationBox);
    column->addWidget(timebaseBox);
    column->addStretch(1);

    translateWindow(this, u"Preferences Sheet - File");
}

void CConfigPageFile::apply(Settings& settings) const
{
    settings.compact = compact_->isChecked();
    settings.autoSave = autoSave_->isChecked();
    settings.ifNotSpecifyTpqn = specificTimebase_->isChecked();
    settings.specificTpqn = selectedValue(timebase_, settings.specificTpqn);
}

void CConfigPageFile::associate()
{
    if (!association_) {
        tell(AssociationResult::Failed, false);
        return;
    }
    AssociationResult result = association_->create(false);
    if (result == AssociationResult::AlreadyAssociated) {
        const auto answer = message_(QMessageBox::Question, qt(associationMessage(result, false)),
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes) return;
        result = association_->create(true);
    }
    tell(result, false);
}

void CConfigPageFile::disassociate()
{
    tell(association_ ? association_->remove() : AssociationResult::Failed, true);
}

void CConfigPageFile::tell(AssociationResult result, bool removing)
{
    const QMessageBox::Icon icon = result == AssociationResult::Done ? QMessageBox::Information : QMessageBox::Critical;
    (void)message_(icon, qt(associationMessage(result, removing)), QMessageBox::Ok, QMessageBox::NoButton);
}

}  // namespace zema
