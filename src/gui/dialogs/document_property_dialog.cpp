#include "gui/dialogs/document_property_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/document_commands.h"
#include "core/strings.h"
#include "gui/dialogs/config_page_support.h"
#include "gui/qt_text.h"
#include "gui/translate.h"

namespace zema {

CMMLPropatyDlg::CMMLPropatyDlg(DocumentPropertyInput input, QWidget* parent)
    : QDialog(parent), input_(std::move(input)), tracks_(copyForClipExport(*input_.song).tracks)
{
    setObjectName(QStringLiteral("IDD_DOCUMENT_PROPERTY"));
    const Song& song = *input_.song;
    auto* heading = namedWidget<QLabel>("IDC_TXT_PROPERTY_HEADING");
    heading->setText(qt(propertyHeading(input_.fileName)));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    title_ = namedWidget<QLineEdit>("IDC_EDT_TITLE");
    title_->setText(qt(song.title));
    source_ = namedWidget<QLineEdit>("IDC_EDT_SOURCE");
    source_->setText(qt(song.source));
    memo_ = namedWidget<QPlainTextEdit>("IDC_EDT_MEMO");
    memo_->setPlainText(qt(song.memo));
    memo_->setTabChangesFocus(true);

    numerator_ = namedWidget<QComboBox>("IDC_CMB_NUMERATOR");
    for (int n = 1; n <= 16; ++n) numerator_->addItem(QString::number(n), n);
    numerator_->setCurrentIndex(numerator_->findData(song.timing.numerator));
    denominator_ = namedWidget<QComboBox>("IDC_CMB_DENOMINATOR");
    for (int d : {1, 2, 4, 8, 16}) denominator_->addItem(QString::number(d), d);
    denominator_->setCurrentIndex(denominator_->findData(song.timing.denominator));
    timebase_ = namedWidget<QComboBox>("IDC_CMB_TIMEBASE");
    timebase_->setEditable(true);
    for (const TimebaseChoice& choice : timebaseChoices()) timebase_->addItem(qt(choice.label), choice.timebase);
    timebase_->setCurrentText(qt(timebaseText(song.timing.timebase)));
    for (QWidget* control : {static_cast<QWidget*>(numerator_), static_cast<QWidget*>(denominator_),
                             static_cast<QWidget*>(timebase_)}) {
        control->setEnabled(!input_.busy);
    }

    counts_ = namedWidget<QListWidget>("IDC_LST_COUNT_TRACK");
    counts_->setSelectionMode(QAbstractItemView::MultiSelection);
    for (const ClipListItem& item : tracks_) counts_->addItem(qt(clipListText(item)));
    for (int i = 0; i < std::min(3, counts_->count()); ++i) counts_->item(i)->setSelected(true);
    rank_ = namedWidget<QLabel>("IDC_TXT_COUNT_RANK");
    rank_->setWordWrap(true);
    rank_->setMinimumHeight(rank_->fontMetrics().lineSpacing() * 3);
    excludeSong_ = namedWidget<QCheckBox>("IDC_CHK_EXCLUDE_SONG");
    excludeSong_->setChecked(input_.rankOptions.excludeSong);
    auto* clear = namedWidget<QPushButton>("IDC_BTN_CLEAR");
    clear->setAutoDefault(false);

    auto* timing = namedWidget<QGroupBox>("IDC_GRP_TIMING");
    auto* timingGrid = new QGridLayout(timing);
    timingGrid->addWidget(buddyLabel("IDC_STATIC_DP_BEAT", numerator_), 0, 0);
    auto* beat = new QHBoxLayout;
    beat->addWidget(numerator_);
    beat->addWidget(namedWidget<QLabel>("IDC_STATIC_DP_SLASH"));
    beat->addWidget(denominator_);
    beat->addStretch(1);
    timingGrid->addLayout(beat, 0, 1);
    timingGrid->addWidget(buddyLabel("IDC_STATIC_DP_TPQN", timebase_), 1, 0);
    timingGrid->addWidget(timebase_, 1, 1);

    auto* countBox = namedWidget<QGroupBox>("IDC_GRP_CHARACTER_COUNT");
    auto* countLayout = new QVBoxLayout(countBox);
    countLayout->addWidget(counts_, 1);
    countLayout->addWidget(rank_);
    auto* countButtons = new QHBoxLayout;
    countButtons->addWidget(excludeSong_);
    countButtons->addStretch(1);
    countButtons->addWidget(clear);
    countLayout->addLayout(countButtons);

    auto* fields = new QGridLayout;
    fields->addWidget(buddyLabel("IDC_STATIC_DP_TITLE", title_), 0, 0);
    fields->addWidget(title_, 0, 1);
    fields->addWidget(buddyLabel("IDC_STATIC_DP_SOURCE", source_), 1, 0);
    fields->addWidget(source_, 1, 1);
    fields->addWidget(buddyLabel("IDC_STATIC_DP_MEMO", memo_), 2, 0, Qt::AlignTop);
    fields->addWidget(memo_, 2, 1);

    auto* buttons = new QDialogButtonBox;
    auto* ok = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setDefault(true);
    buttons->addButton(QString(), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("IDCANCEL"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CMMLPropatyDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* left = new QVBoxLayout;
    left->addLayout(fields, 1);
    left->addWidget(timing);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 3);
    columns->addWidget(countBox, 2);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(heading);
    outer->addLayout(columns, 1);
    outer->addWidget(buttons);
    title_->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    counts_->setMinimumWidth(fontMetrics().averageCharWidth() * 28);

    connect(counts_, &QListWidget::itemSelectionChanged, this, &CMMLPropatyDlg::refreshRank);
    connect(excludeSong_, &QCheckBox::toggled, this, &CMMLPropatyDlg::refreshRank);
    connect(clear, &QPushButton::clicked, counts_, &QListWidget::clearSelection);
    translateWindow(this, u"Document Property");
    refreshRank();
    title_->setFocus();
}

void CMMLPropatyDlg::refreshRank()
{
    std::vector<ClipListItem> chosen;
    for (int i = 0; i < counts_->count() && i < static_cast<int>(tracks_.size()); ++i) {
        if (counts_->item(i)->isSelected()) chosen.push_back(tracks_[static_cast<size_t>(i)]);
    }
    ClipExportModel::Options options = input_.rankOptions;
    options.excludeSong = excludeSong_->isChecked();
    rank_->setText(qt(rankInformation(std::move(chosen), options, std::nullopt).line));
}

void CMMLPropatyDlg::accept()
{
    const std::optional<int32_t> timebase = parseTimebase(timebase_->currentText().toStdU16String());
    if (!timebase) {
        const QString text = stringQ("IDS_DP_TPQN_ERROR");
        if (input_.warn) input_.warn(text);
        else QMessageBox::warning(this, windowTitle(), text);
        timebase_->setFocus();
        return;
    }
    DocumentPropertyResult result;
    result.title = title_->text().toStdU16String();
    result.source = source_->text().toStdU16String();
    result.memo = memo_->toPlainText().toStdU16String();
    result.timing = {*timebase, numerator_->currentData().toInt(), denominator_->currentData().toInt()};
    result.excludeSong = excludeSong_->isChecked();
    result_ = result;
    QDialog::accept();
}

}  // namespace zema
