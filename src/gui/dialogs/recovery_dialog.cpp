#include "gui/dialogs/recovery_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/qt_text.h"
#include "gui/translate.h"

namespace zema {

namespace {

enum Column { kDocument, kTime, kTracks, kCharacters, kColumnCount };

}  // namespace

CMMLRecoveryDlg::CMMLRecoveryDlg(std::vector<RecoveryCandidate> candidates, Discard discard, QWidget* parent)
    : QDialog(parent), candidates_(std::move(candidates)), discard_(std::move(discard))
{
    setObjectName(QStringLiteral("IDD_RECOVERY"));
    setWindowTitle(stringQ("IDS_RECOVERY_TITLE"));

    auto* intro = new QLabel(stringQ("IDS_RECOVERY_INTRO"));
    intro->setObjectName(QStringLiteral("IDC_TXT_RECOVERY_INTRO"));
    intro->setWordWrap(true);

    list_ = new QTreeWidget;
    list_->setObjectName(QStringLiteral("IDC_LST_RECOVERY"));
    list_->setColumnCount(kColumnCount);
    list_->setHeaderLabels({stringQ("IDS_RECOVERY_COL_DOCUMENT"), stringQ("IDS_RECOVERY_COL_TIME"),
                            stringQ("IDS_RECOVERY_COL_TRACKS"), stringQ("IDS_RECOVERY_COL_CHARS")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    // The file name takes what room there is; the short columns keep their width.
    list_->header()->setStretchLastSection(false);

    auto* note = new QLabel(stringQ("IDS_RECOVERY_NOTE"));
    note->setObjectName(QStringLiteral("IDC_TXT_RECOVERY_NOTE"));
    note->setWordWrap(true);

    auto* buttons = new QDialogButtonBox;
    open_ = buttons->addButton(stringQ("IDS_RECOVERY_OPEN"), QDialogButtonBox::AcceptRole);
    open_->setObjectName(QStringLiteral("IDC_BTN_RECOVERY_OPEN"));
    open_->setDefault(true);
    discardButton_ = buttons->addButton(stringQ("IDS_RECOVERY_DISCARD"), QDialogButtonBox::DestructiveRole);
    discardButton_->setObjectName(QStringLiteral("IDC_BTN_RECOVERY_DISCARD"));
    discardButton_->setAutoDefault(false);
    auto* keep = buttons->addButton(stringQ("IDS_RECOVERY_KEEP"), QDialogButtonBox::RejectRole);
    keep->setObjectName(QStringLiteral("IDC_BTN_RECOVERY_KEEP"));
    keep->setAutoDefault(false);
    connect(open_, &QPushButton::clicked, this, &CMMLRecoveryDlg::openSelected);
    connect(discardButton_, &QPushButton::clicked, this, &CMMLRecoveryDlg::discardSelected);
    connect(keep, &QPushButton::clicked, this, &CMMLRecoveryDlg::keepForLater);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &CMMLRecoveryDlg::refreshButtons);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &CMMLRecoveryDlg::openSelected);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(list_, 1);
    layout->addWidget(note);
    layout->addWidget(buttons);

    fillList();
    selectRow(0);
    list_->setFocus();
}

void CMMLRecoveryDlg::fillList()
{
    list_->clear();
    for (const RecoveryCandidate& candidate : candidates_) {
        auto* item = new QTreeWidgetItem(list_);
        const std::u16string name = recoveryDocumentName(candidate);
        item->setText(kDocument, name.empty() ? stringQ("IDS_RECOVERY_UNTITLED") : qt(name));
        item->setToolTip(kDocument, QString::fromStdString(
                                        (candidate.origin.document.empty() ? candidate.autosaveFile
                                                                           : candidate.origin.document)
                                            .string()));
        item->setText(kTime, qt(recoveryTimeText(candidate.saved)));
        if (candidate.readable) {
            item->setText(kTracks, QString::number(candidate.tracks));
            item->setText(kCharacters, QString::number(candidate.characters));
        } else {
            item->setText(kTracks, stringQ("IDS_RECOVERY_UNREADABLE"));
        }
        item->setTextAlignment(kTracks, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(kCharacters, Qt::AlignRight | Qt::AlignVCenter);
    }
    // Sized to their contents with a little air, so that headers do not run into each other.
    const int gap = fontMetrics().averageCharWidth() * 2;
    for (int column = 0; column < kColumnCount; ++column) {
        list_->resizeColumnToContents(column);
        list_->setColumnWidth(column, list_->columnWidth(column) + gap);
    }
    list_->setColumnWidth(kDocument, std::max(list_->columnWidth(kDocument), fontMetrics().averageCharWidth() * 28));
    // Wide enough to show every column without scrolling, in any language.
    int total = 2 * list_->frameWidth() + list_->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < kColumnCount; ++column) total += list_->columnWidth(column);
    list_->setMinimumWidth(total);
    list_->header()->setSectionResizeMode(kDocument, QHeaderView::Stretch);
    refreshButtons();
}

void CMMLRecoveryDlg::selectRow(int row)
{
    if (row < 0 || row >= list_->topLevelItemCount()) return;
    list_->setCurrentItem(list_->topLevelItem(row));
}

void CMMLRecoveryDlg::refreshButtons()
{
    const int row = list_->currentItem() ? list_->indexOfTopLevelItem(list_->currentItem()) : -1;
    const bool chosen = row >= 0 && static_cast<size_t>(row) < candidates_.size();
    open_->setEnabled(chosen && candidates_[static_cast<size_t>(row)].readable);
    discardButton_->setEnabled(chosen);
}

void CMMLRecoveryDlg::openSelected()
{
    const int row = list_->currentItem() ? list_->indexOfTopLevelItem(list_->currentItem()) : -1;
    if (row < 0 || static_cast<size_t>(row) >= candidates_.size()) return;
    if (!candidates_[static_cast<size_t>(row)].readable) return;
    chosen_ = candidates_[static_cast<size_t>(row)];
    accept();
}

void CMMLRecoveryDlg::discardSelected()
{
    const int row = list_->currentItem() ? list_->indexOfTopLevelItem(list_->currentItem()) : -1;
    if (row < 0 || static_cast<size_t>(row) >= candidates_.size()) return;
    if (!discard_ || !discard_(candidates_[static_cast<size_t>(row)])) return;
    candidates_.erase(candidates_.begin() + row);
    fillList();
    if (candidates_.empty()) {
        reject();
        return;
    }
    selectRow(std::min(row, static_cast<int>(candidates_.size()) - 1));
}

}  // namespace zema
