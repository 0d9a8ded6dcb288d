#include "gui/dialogs/smf_import_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/dialogs/config_page_support.h"
#include "gui/qt_text.h"
#include "gui/translate.h"

namespace zema {

namespace {
constexpr std::u16string_view kWindowKey = u"SMF Import";
}  // namespace

CMMLSmfImportDlg::CMMLSmfImportDlg(const QString& midiPath, SmfImportChoices choices,
                                   std::function<void(const QString&)> warn, QWidget* parent)
    : QDialog(parent), choices_(std::move(choices)), warn_(std::move(warn))
{
    setObjectName(QStringLiteral("IDD_SMF_IMPORT"));
    buildLayout(midiPath);
    translateWindow(this, kWindowKey);
    refresh();
    tracks_->setFocus();
}

void CMMLSmfImportDlg::buildLayout(const QString& midiPath)
{
    const int charWidth = fontMetrics().averageCharWidth();
    file_ = namedWidget<QLabel>("IDC_TXT_SMF_FILE");
    file_->setText(fontMetrics().elidedText(QDir::toNativeSeparators(midiPath), Qt::ElideMiddle, charWidth * 70));
    file_->setToolTip(midiPath);

    tracks_ = checkList("IDC_LST_TRACK");
    for (const std::u16string& text : choices_.trackTexts()) tracks_->addItem(qt(text));
    tracks_->setMinimumWidth(charWidth * 36);
    tracks_->setMinimumHeight(fontMetrics().lineSpacing() * 14);
    clear_ = namedWidget<QPushButton>("IDC_BTN_CLEAR");
    clear_->setAutoDefault(false);

    profile_ = namedWidget<QComboBox>("IDC_CMB_PROFILE");
    for (int i = 0; i < kSmfImportProfileCount; ++i) profile_->addItem(qt(profileName(static_cast<SmfImportProfile>(i))));
    quantize_ = namedWidget<QComboBox>("IDC_CMB_QUANTIZE");
    fillTexts(quantize_, SmfImportChoices::quantizeItems());
    information_ = namedWidget<QLabel>("IDC_TXT_INFORMATION");
    information_->setFrameShape(QFrame::StyledPanel);
    information_->setFrameShadow(QFrame::Sunken);
    information_->setMinimumHeight(fontMetrics().lineSpacing() * 3 + 8);
    information_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    information_->setMargin(2);

    auto* optionsBox = namedWidget<QGroupBox>("IDC_GRP_SMF_OPTIONS");
    auto* grid = new QGridLayout(optionsBox);
    for (int i = 0; i < kSmfOptionCount; ++i) {
        const auto option = static_cast<SmfOption>(i);
        QCheckBox*& box = options_[static_cast<size_t>(i)];
        box = namedWidget<QCheckBox>(smfOptionSymbol(option));
        connect(box, &QCheckBox::clicked, this, [this, option](bool on) {
            choices_.setOption(option, on);
            refresh();
        });
    }
    // The extended data in two columns, then how notes are laid out.
    constexpr int kExtendedRows = 4;
    for (int i = 0; i <= static_cast<int>(SmfOption::ReduceRest); ++i) {
        grid->addWidget(options_[static_cast<size_t>(i)], i % kExtendedRows, i / kExtendedRows);
    }
    grid->addWidget(&optionBox(SmfOption::Spread), kExtendedRows, 0, 1, 2);
    auto* indented = new QHBoxLayout;
    indented->setContentsMargins(charWidth * 3, 0, 0, 0);
    indented->addWidget(&optionBox(SmfOption::SpreadControl));
    grid->addLayout(indented, kExtendedRows + 1, 0, 1, 2);

    auto* left = new QVBoxLayout;
    left->addWidget(buddyLabel("IDC_STATIC_SMF_TRACKS", tracks_));
    left->addWidget(tracks_, 1);
    left->addWidget(clear_, 0, Qt::AlignLeft);

    auto* choicesGrid = new QGridLayout;
    choicesGrid->addWidget(buddyLabel("IDC_STATIC_SMF_PROFILE", profile_), 0, 0);
    choicesGrid->addWidget(profile_, 0, 1);
    choicesGrid->addWidget(buddyLabel("IDC_STATIC_SMF_QUANTIZE", quantize_), 1, 0);
    choicesGrid->addWidget(quantize_, 1, 1);
    choicesGrid->setColumnStretch(1, 1);
    auto* right = new QVBoxLayout;
    right->addLayout(choicesGrid);
    right->addWidget(information_);
    right->addWidget(optionsBox);
    right->addStretch(1);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 0);

    auto* buttons = okCancelButtons(this);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(file_);
    outer->addLayout(columns, 1);
    outer->addWidget(buttons);

    connect(tracks_, &QListWidget::itemSelectionChanged, this, &CMMLSmfImportDlg::readListSelection);
    connect(clear_, &QPushButton::clicked, this, [this] {
        choices_.clearSelection();
        refresh();
    });
    connect(profile_, &QComboBox::activated, this, [this](int index) {
        choices_.chooseProfile(static_cast<SmfImportProfile>(index));
        refresh();
    });
    connect(quantize_, &QComboBox::activated, this, [this](int index) {
        choices_.chooseQuantize(index);
        refresh();
    });
}

void CMMLSmfImportDlg::refresh()
{
    syncing_ = true;
    const std::vector<bool>& selected = choices_.selection();
    for (int i = 0; i < tracks_->count(); ++i) setChecked(tracks_->item(i), selected[static_cast<size_t>(i)]);
    profile_->setCurrentIndex(static_cast<int>(choices_.profile()));
    quantize_->setCurrentIndex(choices_.quantizeIndex());
    for (int i = 0; i < kSmfOptionCount; ++i) {
        const auto option = static_cast<SmfOption>(i);
        optionBox(option).setChecked(choices_.option(option));
        optionBox(option).setEnabled(choices_.enabled(option));
    }
    information_->setText(qt(choices_.information()));
    syncing_ = false;
}

void CMMLSmfImportDlg::readListSelection()
{
    if (syncing_) return;
    for (int i = 0; i < tracks_->count(); ++i) choices_.setSelected(static_cast<size_t>(i), tracks_->item(i)->isSelected());
    refresh();
}

void CMMLSmfImportDlg::accept()
{
    if (const auto problem = choices_.check()) {
        warn_(qt(*problem));
        return;
    }
    QDialog::accept();
}

}  // namespace zema
