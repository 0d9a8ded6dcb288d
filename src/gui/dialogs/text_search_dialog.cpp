#include "gui/dialogs/text_search_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/dialogs/config_page_support.h"
#include "gui/qt_text.h"
#include "gui/translate.h"

namespace zema {

namespace {

constexpr std::u16string_view kWindowKey = u"Text Search";

QComboBox* historyBox(const char* symbol)
{
    auto* box = namedWidget<QComboBox>(symbol);
    box->setEditable(true);
    // The lists are the histories, kept by the dialog; no completion either,
    // which would turn a typed "c" into a longer entry of the list.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(30);
    return box;
}

}  // namespace

CMMLTextSearch::CMMLTextSearch(TextSearch search, std::optional<DialogPosition> position, TextSearchHost host,
                               QWidget* parent)
    : QDialog(parent), search_(std::move(search)), host_(std::move(host))
{
    setObjectName(QStringLiteral("IDD_TEXT_SEARCH"));
    setModal(false);
    if (position) place_ = QPoint(position->left, position->top);

    searchText_ = historyBox("IDC_CMB_SEARCH_TEXT");
    replaceText_ = historyBox("IDC_CMB_REPLACE_TEXT");
    matchCase_ = namedWidget<QCheckBox>("IDC_CHK_MATCH_CASE");
    range_ = namedWidget<QGroupBox>("IDC_GRP_REPLACE_RANGE");
    selectionRange_ = namedWidget<QRadioButton>("IDC_RDO_RANGE_SELECTION");
    trackRange_ = namedWidget<QRadioButton>("IDC_RDO_RANGE_TRACK");
    auto* rangeLayout = new QVBoxLayout(range_);
    rangeLayout->addWidget(selectionRange_);
    rangeLayout->addWidget(trackRange_);

    auto* fields = new QGridLayout;
    fields->addWidget(buddyLabel("IDC_STATIC_SEARCH_TEXT", searchText_), 0, 0);
    fields->addWidget(searchText_, 0, 1);
    replaceLabel_ = buddyLabel("IDC_STATIC_REPLACE_TEXT", replaceText_);
    fields->addWidget(replaceLabel_, 1, 0);
    fields->addWidget(replaceText_, 1, 1);
    fields->setColumnStretch(1, 1);
    auto* options = new QHBoxLayout;
    options->addWidget(matchCase_, 0, Qt::AlignTop);
    options->addStretch(1);
    options->addWidget(range_);
    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(options);
    left->addStretch(1);

    const auto button = [this](const char* symbol, void (CMMLTextSearch::*clicked)()) {
        auto* push = namedWidget<QPushButton>(symbol);
        connect(push, &QPushButton::clicked, this, clicked);
        return push;
    };
    findUp_ = button("IDC_BTN_FIND_UP", &CMMLTextSearch::findUp);
    findDown_ = button("IDC_BTN_FIND_DOWN", &CMMLTextSearch::findDown);
    replace_ = button("IDC_BTN_REPLACE", &CMMLTextSearch::replaceOne);
    replaceAll_ = button("IDC_BTN_REPLACE_ALL", &CMMLTextSearch::replaceAll);
    auto* close = button("IDCANCEL", &QDialog::reject);
    // Enter finds the previous match, the dialog's traditional default.
    findUp_->setDefault(true);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* push : {findUp_, findDown_, replace_, replaceAll_}) buttons->addWidget(push);
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
    // The size follows the mode: the replace parts come and go.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(searchText_, replaceText_);
    setTabOrder(replaceText_, matchCase_);
    setTabOrder(matchCase_, selectionRange_);
    setTabOrder(selectionRange_, trackRange_);
    setTabOrder(trackRange_, findUp_);

    retranslate();
    showHistories();
    matchCase_->setChecked(search_.options.matchCase);
    showRange();
}

void CMMLTextSearch::retranslate()
{
    translateWindow(this, kWindowKey);
    applyMode();
}

void CMMLTextSearch::applyMode()
{
    setWindowTitle(stringQ(replacing_ ? "IDS_SEARCH_TITLE_2" : "IDS_SEARCH_TITLE_1"));
    for (QWidget* part : std::initializer_list<QWidget*>{replaceLabel_, replaceText_, range_, replace_, replaceAll_}) {
        part->setVisible(replacing_);
    }
}

void CMMLTextSearch::showFor(bool replacing)
{
    replacing_ = replacing;
    if (const std::optional<std::u16string> selected = search_.openedOver(host_.editor())) {
        searchText_->setEditText(qt(*selected));
    }
    showRange();
    applyMode();
    setBusy(host_.busy());
    if (place_ && !isVisible()) move(*place_);
    show();
    raise();
    activateWindow();
    searchText_->setFocus();
    searchText_->lineEdit()->selectAll();
}

void CMMLTextSearch::setBusy(bool busy)
{
    search_.setBusy(busy);
    for (QPushButton* push : {findUp_, findDown_, replace_, replaceAll_}) push->setEnabled(search_.buttonsEnabled());
}

DialogPosition CMMLTextSearch::position() const
{
    const QPoint at = isVisible() || !place_ ? pos() : *place_;
    return {at.x(), at.y()};
}

void CMMLTextSearch::hideEvent(QHideEvent* event)
{
    if (!event->spontaneous()) place_ = pos();
    QDialog::hideEvent(event);
}

bool CMMLTextSearch::takeOptions()
{
    search_.options.matchCase = matchCase_->isChecked();
    search_.options.range = selectionRange_->isChecked() ? ReplaceRange::Selection : ReplaceRange::Track;
    setBusy(host_.busy());
    return search_.buttonsEnabled();
}

void CMMLTextSearch::find(SearchDirection direction)
{
    if (!takeOptions()) return;
    const QString needle = searchText_->currentText();
    report(search_.find(host_.editor(), needle.toStdU16String(), direction), needle, direction);
}

void CMMLTextSearch::replaceOne()
{
    if (!takeOptions()) return;
    const QString needle = searchText_->currentText();
    report(search_.replaceOne(host_.editor(), needle.toStdU16String(), replaceText_->currentText().toStdU16String()),
           needle, SearchDirection::Down);
}

void CMMLTextSearch::replaceAll()
{
    if (!takeOptions()) return;
    const QString needle = searchText_->currentText();
    report(search_.replaceAll(host_.editor(), needle.toStdU16String(), replaceText_->currentText().toStdU16String()),
           needle, SearchDirection::Down);
}

void CMMLTextSearch::report(const SearchResult& result, const QString& needle, SearchDirection direction)
{
    showHistories();
    switch (result.outcome) {
    case SearchOutcome::Refused:
    case SearchOutcome::Found: break;
    case SearchOutcome::Wrapped: host_.notice(qt(wrappedNotice(direction))); break;
    case SearchOutcome::NotFound: host_.inform(qt(notFoundMessage(needle.toStdU16String()))); break;
    case SearchOutcome::Replaced: host_.inform(qt(replacedMessage(result.replaced))); break;
    }
}

void CMMLTextSearch::showHistories()
{
    const auto fill = [](QComboBox* box, const SearchHistory& history) {
        // The text just used is the top entry; a text never used stays as typed.
        const QString typed = box->currentText();
        box->clear();
        for (const std::u16string& text : history.entries()) box->addItem(qt(text));
        if (!history.entries().empty() && qt(history.entries().front()) == typed) {
            box->setCurrentIndex(0);
        } else {
            box->setEditText(typed);
        }
    };
    fill(searchText_, search_.histories().search);
    fill(replaceText_, search_.histories().replace);
}

void CMMLTextSearch::showRange()
{
    (search_.options.range == ReplaceRange::Selection ? selectionRange_ : trackRange_)->setChecked(true);
}

}  // namespace zema
