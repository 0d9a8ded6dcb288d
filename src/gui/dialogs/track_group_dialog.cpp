#include "gui/dialogs/track_group_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "app/instrument_choice.h"
#include "app/preferences.h"
#include "app/track_commands.h"
#include "gui/dialogs/config_page_support.h"
#include "gui/qt_text.h"
#include "gui/translate.h"

namespace zema {

namespace {
constexpr int kSlotRole = Qt::UserRole;       // a track item's slot
constexpr int kGroupRole = Qt::UserRole + 1;  // a group item's group index
}  // namespace

CMMLTrackTreeCtrl::CMMLTrackTreeCtrl(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setDragDropMode(QAbstractItemView::InternalMove);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDefaultDropAction(Qt::MoveAction);
}

void CMMLTrackTreeCtrl::dropEvent(QDropEvent* event)
{
    QTreeWidgetItem* dragged = currentItem();
    QTreeWidgetItem* target = itemAt(event->position().toPoint());
    event->ignore();  // the dialog rebuilds the tree from its model
    if (!dragged || !target || !dragged->parent()) return;
    const int slot = dragged->data(0, kSlotRole).toInt();
    if (!target->parent()) {
        Q_EMIT trackDropped(slot, target->data(0, kGroupRole).toInt(), -1);
    } else {
        Q_EMIT trackDropped(slot, target->parent()->data(0, kGroupRole).toInt(), target->data(0, kSlotRole).toInt());
    }
}

CMMLTrackGroupDlg::CMMLTrackGroupDlg(TrackGroupInput input, QWidget* parent)
    : QDialog(parent),
      input_(std::move(input)),
      editor_(*input_.song),
      instruments_(instrumentListItems(input_.presets, input_.withGeneralMidi))
{
    setObjectName(QStringLiteral("IDD_TRACK_PROPERTY"));
    buildLayout();
    translateWindow(this, u"Tracks Property");
    fillTree();
    showTrack(input_.currentSlot);
}

void CMMLTrackGroupDlg::buildLayout()
{
    tree_ = new CMMLTrackTreeCtrl;
    tree_->setObjectName(QStringLiteral("IDC_TREE_GROUP"));
    auto* addGroup = namedWidget<QPushButton>("IDC_BTN_GROUP_ADD");
    deleteGroup_ = namedWidget<QPushButton>("IDC_BTN_GROUP_DEL");
    for (QPushButton* button : {addGroup, deleteGroup_}) button->setAutoDefault(false);

    name_ = namedWidget<QLineEdit>("IDC_EDT_TRACK_NAME");
    name_->setMaxLength(static_cast<int>(kTrackNameLimit));
    instrument_ = namedWidget<QComboBox>("IDC_CMB_INSTRUMENT");
    for (const InstrumentListItem& item : instruments_) instrument_->addItem(qt(item.text));
    start_ = namedWidget<QComboBox>("IDC_CMB_START_MARKER");
    for (const std::u16string& entry : startMarkerEntries(*input_.song)) start_->addItem(qt(entry));
    type_ = namedWidget<QComboBox>("IDC_CMB_TRACK_TYPE");
    type_->addItem(stringQ("IDS_TP_TRACK_TYPE_NORMAL"));
    type_->addItem(stringQ("IDS_TP_TRACK_TYPE_RHYTHM"));

    volume_ = namedWidget<QSlider>("IDC_SLD_TRACK_VOLUME", Qt::Horizontal);
    volume_->setRange(0, 127);
    volume_->setPageStep(5);
    volume_->setTickPosition(QSlider::TicksBelow);
    volume_->setTickInterval(50);  // marks at 50 and 100
    volumeText_ = namedWidget<QLabel>("IDC_TXT_TRACK_VOLUME");
    panpot_ = namedWidget<QSlider>("IDC_SLD_PANPOT", Qt::Horizontal);
    panpot_->setRange(0, 127);
    panpot_->setPageStep(5);
    panpotText_ = namedWidget<QLabel>("IDC_TXT_PANPOT");
    const int valueWidth = fontMetrics().horizontalAdvance(QStringLiteral("R100%")) + 8;
    volumeText_->setMinimumWidth(valueWidth);
    panpotText_->setMinimumWidth(valueWidth);
    mute_ = namedWidget<QCheckBox>("IDC_CHK_MUTE");
    saveOrder_ = namedWidget<QCheckBox>("IDC_CHK_SAVE_ORDER");
    saveOrder_->setChecked(input_.saveOrder);

    auto* basic = namedWidget<QGroupBox>("IDC_GRP_BASIC");
    auto* basicGrid = new QGridLayout(basic);
    basicGrid->addWidget(buddyLabel("IDC_STATIC_TP_NAME", name_), 0, 0);
    basicGrid->addWidget(name_, 0, 1);
    basicGrid->addWidget(buddyLabel("IDC_STATIC_TP_INSTRUMENT", instrument_), 1, 0);
    basicGrid->addWidget(instrument_, 1, 1);
    basicGrid->addWidget(buddyLabel("IDC_STATIC_TP_START", start_), 2, 0);
    basicGrid->addWidget(start_, 2, 1);
    basicGrid->addWidget(buddyLabel("IDC_STATIC_TP_TYPE", type_), 3, 0);
    basicGrid->addWidget(type_, 3, 1);
    basicGrid->setColumnStretch(1, 1);

    auto* mixer = namedWidget<QGroupBox>("IDC_GRP_MIXER");
    auto* mixerGrid = new QGridLayout(mixer);
    mixerGrid->addWidget(buddyLabel("IDC_STATIC_TP_VOLUME", volume_), 0, 0);
    mixerGrid->addWidget(volume_, 0, 1);
    mixerGrid->addWidget(volumeText_, 0, 2);
    mixerGrid->addWidget(buddyLabel("IDC_STATIC_TP_PANPOT", panpot_), 1, 0);
    mixerGrid->addWidget(panpot_, 1, 1);
    mixerGrid->addWidget(panpotText_, 1, 2);
    mixerGrid->addWidget(mute_, 2, 0, 1, 3);
    mixerGrid->setColumnStretch(1, 1);

    auto* buttons = new QDialogButtonBox;
    auto* apply = buttons->addButton(QString(), QDialogButtonBox::ApplyRole);
    apply->setObjectName(QStringLiteral("IDC_BTN_APPLY"));
    apply->setAutoDefault(false);
    auto* ok = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setDefault(true);
    auto* cancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("IDCANCEL"));

    auto* left = new QVBoxLayout;
    left->addWidget(buddyLabel("IDC_STATIC_TP_GROUPS", tree_));
    left->addWidget(tree_, 1);
    auto* groupButtons = new QHBoxLayout;
    groupButtons->addWidget(addGroup);
    groupButtons->addWidget(deleteGroup_);
    left->addLayout(groupButtons);
    auto* right = new QVBoxLayout;
    right->addWidget(basic);
    right->addWidget(mixer);
    right->addWidget(saveOrder_);
    right->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 2);
    columns->addLayout(right, 3);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(columns, 1);
    outer->addWidget(buttons);
    tree_->setMinimumSize(fontMetrics().averageCharWidth() * 28, fontMetrics().lineSpacing() * 16);
    instrument_->setMinimumWidth(fontMetrics().averageCharWidth() * 30);
    trackControls_ = {name_, instrument_, start_, type_, volume_, panpot_, mute_};

    connect(tree_, &QTreeWidget::itemSelectionChanged, this, &CMMLTrackGroupDlg::onSelection);
    connect(tree_, &CMMLTrackTreeCtrl::trackDropped, this, [this](int slot, int group, int before) {
        editor_.moveTrack(slot, group, before < 0 ? std::nullopt : std::optional<int32_t>(before));
        fillTree();
        showTrack(slot);
    });
    connect(addGroup, &QPushButton::clicked, this, &CMMLTrackGroupDlg::addGroup);
    connect(deleteGroup_, &QPushButton::clicked, this, &CMMLTrackGroupDlg::deleteGroup);
    connect(name_, &QLineEdit::textEdited, this, [this] { readControls(); });
    for (QComboBox* box : {instrument_, start_, type_}) {
        connect(box, &QComboBox::activated, this, [this] { readControls(); });
    }
    for (QSlider* slider : {volume_, panpot_}) {
        connect(slider, &QSlider::valueChanged, this, [this] { readControls(); });
    }
    connect(mute_, &QCheckBox::toggled, this, [this] { readControls(); });
    connect(apply, &QPushButton::clicked, this, &CMMLTrackGroupDlg::applyEdits);
    connect(buttons, &QDialogButtonBox::accepted, this, &CMMLTrackGroupDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CMMLTrackGroupDlg::fillTree()
{
    filling_ = true;
    tree_->clear();
    for (int group = 0; group < static_cast<int>(editor_.groups().size()); ++group) {
        auto* groupItem = new QTreeWidgetItem(tree_, {qt(editor_.groupName(group))});
        groupItem->setData(0, kGroupRole, group);
        groupItem->setFlags((groupItem->flags() | Qt::ItemIsDropEnabled) & ~Qt::ItemIsDragEnabled);
        for (int32_t slot : editor_.tracksOf(group)) {
            auto* trackItem = new QTreeWidgetItem(groupItem, {qt(editor_.track(slot).name)});
            trackItem->setData(0, kSlotRole, slot);
            trackItem->setFlags(trackItem->flags() | Qt::ItemIsDragEnabled);
        }
        groupItem->setExpanded(true);
    }
    filling_ = false;
}

void CMMLTrackGroupDlg::showTrack(int32_t slot)
{
    for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
        if ((*it)->parent() && (*it)->data(0, kSlotRole).toInt() == slot) {
            tree_->setCurrentItem(*it);
            return;
        }
    }
    onSelection();
}

void CMMLTrackGroupDlg::onSelection()
{
    if (filling_) return;
    const QTreeWidgetItem* item = tree_->currentItem();
    shownSlot_ = item && item->parent() ? item->data(0, kSlotRole).toInt() : -1;
    const bool groupChosen = item && !item->parent() && item->data(0, kGroupRole).toInt() > 0;
    deleteGroup_->setEnabled(groupChosen);
    for (QWidget* control : trackControls_) control->setEnabled(shownSlot_ >= 0);
    if (shownSlot_ < 0) return;
    filling_ = true;
    const TrackProperties& track = editor_.track(shownSlot_);
    name_->setText(qt(track.name));
    instrument_->setCurrentIndex(instrumentItemIndex(track.instrument, instruments_, input_.presets));
    start_->setCurrentIndex(std::clamp(track.startMarker, 0, start_->count() - 1));
    type_->setCurrentIndex(track.trackType == 1 ? 1 : 0);
    volume_->setValue(track.volume);
    panpot_->setValue(track.panpot);
    mute_->setChecked(track.mute);
    filling_ = false;
    refreshTexts();
}

void CMMLTrackGroupDlg::readControls()
{
    if (filling_ || shownSlot_ < 0) return;
    TrackProperties& track = editor_.track(shownSlot_);
    track.name = name_->text().toStdU16String();
    const int item = instrument_->currentIndex();
    if (item >= 0 && static_cast<size_t>(item) < instruments_.size()) {
        track.instrument = instrumentOfItem(instruments_[static_cast<size_t>(item)], input_.presets);
    }
    track.startMarker = std::max(0, start_->currentIndex());
    track.trackType = static_cast<uint8_t>(type_->currentIndex() == 1 ? 1 : 0);
    track.volume = volume_->value();
    track.panpot = panpot_->value();
    track.mute = mute_->isChecked();
    if (QTreeWidgetItem* current = tree_->currentItem()) current->setText(0, qt(track.name));
    refreshTexts();
}

void CMMLTrackGroupDlg::refreshTexts()
{
    volumeText_->setText(qt(volumeText(volume_->value())));
    panpotText_->setText(qt(panpotText(panpot_->value())));
}

bool CMMLTrackGroupDlg::saveOrder() const { return saveOrder_->isChecked(); }

void CMMLTrackGroupDlg::addGroup()
{
    const int group = editor_.addGroup();
    fillTree();
    tree_->setCurrentItem(tree_->topLevelItem(group));
}

void CMMLTrackGroupDlg::deleteGroup()
{
    const QTreeWidgetItem* item = tree_->currentItem();
    if (!item || item->parent()) return;
    if (!editor_.deleteGroup(item->data(0, kGroupRole).toInt())) return;
    fillTree();
    tree_->setCurrentItem(tree_->topLevelItem(0));
}

void CMMLTrackGroupDlg::accept()
{
    applyEdits();
    QDialog::accept();
}

void CMMLTrackGroupDlg::applyEdits()
{
    if (input_.apply) input_.apply(editor_, saveOrder());
}

}  // namespace zema
