#include "gui/dialogs/clip_export_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/instrument_choice.h"
#include "core/strings.h"
#include "gui/dialogs/config_page_support.h"
#include "gui/qt_text.h"
#include "gui/translate.h"

namespace zema {

namespace {
constexpr std::u16string_view kWindowKey = u"Clipboard Export";

QRadioButton* formatButton(QButtonGroup* group, const char* symbol, const char* tip, ClipOutputMode mode)
{
    auto* button = namedWidget<QRadioButton>(symbol);
    button->setToolTip(stringQ(tip));
    group->addButton(button, static_cast<int>(mode));
    return button;
}

}  // namespace

CMMLClipExportDlg::CMMLClipExportDlg(ClipExportInput input, QWidget* parent)
    : QDialog(parent), input_(std::move(input)), model_(input_.song, input_.options)
{
    setObjectName(QStringLiteral("IDD_CLIPBOARD_EXPORT"));
    buildLayout();
    translateWindow(this, kWindowKey);
    fillLists();
    refresh();
    copy_->setFocus();
}

CMMLClipExportDlg::~CMMLClipExportDlg() = default;

void CMMLClipExportDlg::buildLayout()
{
    selectMode_ = namedWidget<QComboBox>("IDC_CMB_SELECT_MODE");
    selectMode_->addItem(stringQ("IDS_CB_EX_MODE_1"));
    selectMode_->addItem(stringQ("IDS_CB_EX_MODE_2"));
    tracks_ = checkList("IDC_LST_EXPORT_TRACK");
    groups_ = namedWidget<QListWidget>("IDC_LST_GROUP");
    groupTracks_ = checkList("IDC_LST_GROUP_TRACK");
    songTrack_ = namedWidget<QComboBox>("IDC_CMB_SONG_TRACK");
    reset_ = namedWidget<QPushButton>("IDC_BTN_RESET");
    information_ = namedWidget<QLabel>("IDC_TXT_RANK");
    information_->setFrameShape(QFrame::StyledPanel);
    information_->setFrameShadow(QFrame::Sunken);
    information_->setWordWrap(true);
    information_->setMinimumHeight(information_->fontMetrics().lineSpacing() * 3 + 8);
    information_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    format_ = new QButtonGroup(this);
    auto* formatBox = namedWidget<QGroupBox>("IDC_GRP_OUTPUT_FORMAT");
    auto* formatLayout = new QVBoxLayout(formatBox);
    formatLayout->addWidget(formatButton(format_, "IDC_RDO_FORMAT_MABINOGI", "IDS_CB_EX_HELP1", ClipOutputMode::Game));
    formatLayout->addWidget(formatButton(format_, "IDC_RDO_FORMAT_BOARD", "IDS_CB_EX_HELP2", ClipOutputMode::Board));
    formatLayout->addWidget(formatButton(format_, "IDC_RDO_FORMAT_MABIMML", "IDS_CB_EX_HELP3", ClipOutputMode::MabiMml));
    formatLayout->addWidget(formatButton(format_, "IDC_RDO_FORMAT_BOOK", "IDS_CB_EX_HELP4", ClipOutputMode::Book));
    bookRank_ = namedWidget<QComboBox>("IDC_CMB_BOOK_RANK");
    for (int rank = 0; rank < kRankCount; ++rank) bookRank_->addItem(qt(rankName(rank)));
    auto* rankRow = new QHBoxLayout;
    rankRow->setContentsMargins(20, 0, 0, 0);
    rankRow->addWidget(buddyLabel("IDC_STATIC_CB_EX_BOOK_RANK", bookRank_));
    rankRow->addWidget(bookRank_, 1);
    formatLayout->addLayout(rankRow);
    format_->button(static_cast<int>(ClipOutputMode::Game))->setChecked(true);

    auto* optionsBox = namedWidget<QGroupBox>("IDC_GRP_EXPORT_OPTIONS");
    auto* optionsLayout = new QVBoxLayout(optionsBox);
    sort_ = namedWidget<QCheckBox>("IDC_CHK_SORT");
    optimize_ = namedWidget<QCheckBox>("IDC_CHK_OPTIMIZE");
    excludeSong_ = namedWidget<QCheckBox>("IDC_CHK_EXCLUDE_SONG");
    filler_ = namedWidget<QCheckBox>("IDC_CHK_MELODY_FILLER");
    for (QCheckBox* box : {sort_, optimize_, excludeSong_, filler_}) optionsLayout->addWidget(box);

    auto* toolsBox = namedWidget<QGroupBox>("IDC_GRP_COPY_TOOLS");
    auto* toolsLayout = new QGridLayout(toolsBox);
    const std::array<const char*, 4> toolNames = {"IDC_BTN_COPY_TITLE", "IDC_BTN_COPY_TRACK_NAME",
                                                  "IDC_BTN_COPY_INSTRUMENT", "IDC_BTN_COPY_GROUP_NAME"};
    for (size_t i = 0; i < tools_.size(); ++i) {
        tools_[i] = namedWidget<QPushButton>(toolNames[i]);
        tools_[i]->setAutoDefault(false);
        toolsLayout->addWidget(tools_[i], static_cast<int>(i / 2), static_cast<int>(i % 2));
    }

    copy_ = namedWidget<QPushButton>("IDC_BTN_COPY_MML");
    copy_->setDefault(true);
    auto* close = namedWidget<QPushButton>("IDCANCEL");
    close->setAutoDefault(false);
    reset_->setAutoDefault(false);

    auto* left = new QVBoxLayout;
    auto* modeRow = new QHBoxLayout;
    modeRow->addWidget(buddyLabel("IDC_STATIC_CB_EX_SELECT", selectMode_));
    modeRow->addWidget(selectMode_, 1);
    left->addLayout(modeRow);
    left->addWidget(buddyLabel("IDC_STATIC_CB_EX_TRACKS", tracks_));
    left->addWidget(tracks_, 3);
    left->addWidget(buddyLabel("IDC_STATIC_CB_EX_GROUPS", groups_));
    auto* groupRow = new QHBoxLayout;
    groupRow->addWidget(groups_, 1);
    groupRow->addWidget(groupTracks_, 2);
    left->addLayout(groupRow, 2);
    auto* songRow = new QHBoxLayout;
    songRow->addWidget(buddyLabel("IDC_STATIC_CB_EX_SONG", songTrack_));
    songRow->addWidget(songTrack_, 1);
    left->addLayout(songRow);
    left->addWidget(reset_, 0, Qt::AlignLeft);

    auto* right = new QVBoxLayout;
    right->addWidget(information_);
    right->addWidget(formatBox);
    right->addWidget(optionsBox);
    right->addWidget(toolsBox);
    right->addStretch(1);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(copy_);
    buttons->addWidget(close);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(columns, 1);
    outer->addLayout(buttons);
    const int width = fontMetrics().averageCharWidth();
    tracks_->setMinimumWidth(width * 34);
    tracks_->setMinimumHeight(fontMetrics().lineSpacing() * 8);
    information_->setMinimumWidth(width * 40);

    connect(selectMode_, &QComboBox::activated, this, [this](int index) {
        model_.setSelectionMode(static_cast<ClipSelectionMode>(index));
        refresh();
    });
    connect(tracks_, &QListWidget::itemSelectionChanged, this, [this] { readListSelection(tracks_, true); });
    connect(groupTracks_, &QListWidget::itemSelectionChanged, this,
            [this] { readListSelection(groupTracks_, false); });
    connect(groups_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (syncing_ || row < 0) return;
        model_.chooseGroup(row);
        refresh();
    });
    connect(songTrack_, &QComboBox::activated, this, [this](int index) {
        model_.setSongTrack(index <= 0 ? std::nullopt : std::optional<int>(index - 1));
        refresh();
    });
    connect(reset_, &QPushButton::clicked, this, [this] {
        model_.reset();
        refresh();
    });
    connect(format_, &QButtonGroup::idClicked, this, [this](int id) {
        model_.setOutputMode(static_cast<ClipOutputMode>(id));
        refresh();
    });
    connect(bookRank_, &QComboBox::activated, this, [this] { readOptions(); });
    for (QCheckBox* box : {sort_, optimize_, excludeSong_, filler_}) {
        connect(box, &QCheckBox::toggled, this, [this] { readOptions(); });
    }
    connect(copy_, &QPushButton::clicked, this, &CMMLClipExportDlg::copyMml);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(tools_[0], &QPushButton::clicked, this, &CMMLClipExportDlg::copyTitle);
    connect(tools_[1], &QPushButton::clicked, this, &CMMLClipExportDlg::copyTrackName);
    connect(tools_[2], &QPushButton::clicked, this, &CMMLClipExportDlg::copyInstrumentName);
    connect(tools_[3], &QPushButton::clicked, this, &CMMLClipExportDlg::copyGroupName);
}

void CMMLClipExportDlg::fillLists()
{
    syncing_ = true;
    const auto& options = model_.options();
    sort_->setChecked(options.sortByLength);
    optimize_->setChecked(options.optimize);
    excludeSong_->setChecked(options.excludeSong);
    filler_->setChecked(options.melodyFiller);
    bookRank_->setCurrentIndex(options.bookRank);
    for (const ClipListItem& item : model_.song().tracks) tracks_->addItem(qt(clipListText(item)));
    for (const auto& group : model_.song().groups) groups_->addItem(qt(group.name));
    songTrack_->addItem(stringQ("IDS_CB_EX_SONG_NONE"));
    for (const ClipListItem& item : model_.song().tracks) songTrack_->addItem(qt(item.name));
    syncing_ = false;
}

void CMMLClipExportDlg::syncListsFromModel()
{
    syncing_ = true;
    for (int i = 0; i < tracks_->count(); ++i) setChecked(tracks_->item(i), model_.trackSelected(i));
    if (groups_->currentRow() != model_.chosenGroup() && groups_->count() > 0) {
        groups_->setCurrentRow(model_.chosenGroup());
    }
    const auto& members = model_.groupTracks();
    if (groupTracks_->count() != static_cast<int>(members.size()) || groupTracks_->property("group") != model_.chosenGroup()) {
        groupTracks_->clear();
        for (const ClipListItem& item : members) groupTracks_->addItem(qt(clipListText(item)));
        groupTracks_->setProperty("group", model_.chosenGroup());
    }
    for (int i = 0; i < groupTracks_->count(); ++i) setChecked(groupTracks_->item(i), model_.groupTrackSelected(i));
    selectMode_->setCurrentIndex(static_cast<int>(model_.selectionMode()));
    songTrack_->setCurrentIndex(model_.songTrack() ? *model_.songTrack() + 1 : 0);
    syncing_ = false;
}

void CMMLClipExportDlg::readListSelection(QListWidget* list, bool trackList)
{
    if (syncing_) return;
    for (int i = 0; i < list->count(); ++i) {
        const bool selected = list->item(i)->isSelected();
        const bool held = trackList ? model_.trackSelected(i) : model_.groupTrackSelected(i);
        if (selected == held) continue;
        if (trackList) model_.setTrackSelected(i, selected);
        else model_.setGroupTrackSelected(i, selected);
    }
    refresh();
}

void CMMLClipExportDlg::readOptions()
{
    if (syncing_) return;
    auto& options = model_.options();
    options.sortByLength = sort_->isChecked();
    options.optimize = optimize_->isChecked();
    options.excludeSong = excludeSong_->isChecked();
    options.melodyFiller = filler_->isChecked();
    options.bookRank = std::max(0, bookRank_->currentIndex());
    refresh();
}

void CMMLClipExportDlg::refresh()
{
    syncListsFromModel();
    const ClipInformation info = model_.information();
    const bool lists = info.listsEnabled;
    const bool groupsOn = lists && model_.selectionModeEnabled();
    const bool groupMode = model_.selectionMode() == ClipSelectionMode::Groups;
    selectMode_->setEnabled(groupsOn);
    tracks_->setEnabled(lists && !groupMode);
    groups_->setEnabled(groupsOn && groupMode);
    groupTracks_->setEnabled(groupsOn && groupMode);
    reset_->setEnabled(lists);
    songTrack_->setEnabled(lists && model_.songChoiceEnabled());
    bookRank_->setEnabled(model_.outputMode() == ClipOutputMode::Book);
    for (QCheckBox* box : {sort_, optimize_, excludeSong_, filler_}) box->setEnabled(lists);
    for (QPushButton* tool : tools_) tool->setEnabled(lists);
    tools_[3]->setEnabled(lists && model_.groupNameButtonEnabled());
    information_->setText(qt(info.line));
    copy_->setEnabled(info.copyEnabled);
    if (model_.outputMode() == ClipOutputMode::Book && book_.key != model_.bookKey()) book_ = {};
}

void CMMLClipExportDlg::showMessage(QMessageBox::Icon icon, const QString& text)
{
    if (input_.message) {
        input_.message(icon, text);
        return;
    }
    QMessageBox box(icon, windowTitle(), text, QMessageBox::Ok, this);
    box.exec();
}

bool CMMLClipExportDlg::putOnClipboard(const QString& text)
{
    if (input_.setClipboard) return input_.setClipboard(text);
    QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard) return false;
    clipboard->setText(text);
    return true;
}

void CMMLClipExportDlg::copyMml()
{
    const ClipOutputMode mode = model_.outputMode();
    if (mode == ClipOutputMode::MabiMml) {
        if (!input_.wholeDocument || !putOnClipboard(qt(input_.wholeDocument()))) return;
        showMessage(QMessageBox::Information, stringQ("IDS_CB_EX_RESULTMSG3"));
        accept();
        return;
    }
    if (mode == ClipOutputMode::Book) {
        copyBookScroll();
        return;
    }
    const ClipCopyInput parts = clipCopyInput(model_, input_.editorText);
    if (parts.parts.empty()) return;
    ClipOptions options;
    options.format = mode == ClipOutputMode::Board ? ClipFormat::Board : ClipFormat::Game;
    options.sortByLength = model_.options().sortByLength;
    options.optimize = model_.options().optimize;
    options.excludeSong = model_.options().excludeSong;
    options.melodyFiller = model_.options().melodyFiller;
    options.title = model_.song().title;
    options.source = model_.song().source;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ClipExport result = composeClipboard(model_.song().timing, parts.parts, options,
                                               parts.song ? &*parts.song : nullptr);
    QApplication::restoreOverrideCursor();
    if (result.text.empty()) return;
    if (!putOnClipboard(qt(result.text))) return;
    showMessage(QMessageBox::Information, qt(resultMessage(result, options.format, options.optimize)));
    model_.walkOn();
    refresh();
}

void CMMLClipExportDlg::copyBookScroll()
{
    const std::u16string key = model_.bookKey();
    if (book_.key != key || book_.scrolls.empty()) {
        const ClipCopyInput parts = clipCopyInput(model_, input_.editorText);
        if (parts.parts.empty()) return;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const ClipBookOutcome outcome = clipBookScrolls(model_.song().timing, parts, model_.options());
        QApplication::restoreOverrideCursor();
        if (outcome.scrolls.empty() || !outcome.message.empty()) {
            showMessage(QMessageBox::Warning, qt(outcome.message));
            return;
        }
        book_ = {outcome.scrolls, 0, key};
    }
    if (!putOnClipboard(qt(book_.scrolls[book_.next]))) return;
    const int shown = static_cast<int>(book_.next) + 1;
    showMessage(QMessageBox::Information,
                qt(formatText(loadString("IDS_CB_EX_BOOK_RESULT"), {shown, static_cast<int32_t>(book_.scrolls.size())})));
    book_.next = (book_.next + 1) % book_.scrolls.size();
}

void CMMLClipExportDlg::copyTitle()
{
    if (putOnClipboard(qt(model_.song().title))) showMessage(QMessageBox::Information, stringQ("IDS_CB_EX_RESULTMSG4"));
}

void CMMLClipExportDlg::copyTrackName()
{
    const auto entries = model_.selectedEntries();
    if (entries.empty()) return;
    if (putOnClipboard(qt(entries.front().name))) showMessage(QMessageBox::Information, stringQ("IDS_CB_EX_RESULTMSG5"));
}

void CMMLClipExportDlg::copyInstrumentName()
{
    const auto entries = model_.selectedEntries();
    if (entries.empty()) return;
    const auto& instruments = model_.song().instruments;
    const size_t slot = static_cast<size_t>(entries.front().slot);
    const int32_t instrument = slot < instruments.size() ? instruments[slot] : 0;
    if (putOnClipboard(qt(instrumentName(instrument, input_.presets)))) {
        showMessage(QMessageBox::Information, stringQ("IDS_CB_EX_RESULTMSG6"));
    }
}

void CMMLClipExportDlg::copyGroupName()
{
    const auto& groups = model_.song().groups;
    if (groups.empty()) return;
    if (putOnClipboard(qt(groups[static_cast<size_t>(model_.chosenGroup())].name))) {
        showMessage(QMessageBox::Information, stringQ("IDS_CB_EX_RESULTMSG7"));
    }
}

void CMMLClipExportDlg::done(int result)
{
    readOptions();
    QDialog::done(result);
}

}  // namespace zema
