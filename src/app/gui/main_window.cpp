#include "app/gui/main_window.h"

#include <QLabel>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>

#include "app/new_document.h"
#include "app/status_text.h"
#include "core/strings.h"
#include "editor/editor_frame.h"

namespace zema {

namespace {

QString qt(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

// A framed stand-in for a view that a later part of the window provides.
QWidget* placeholder(const QString& name, QWidget* parent)
{
    auto* label = new QLabel(name, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::StyledPanel);
    label->setMinimumSize(40, 40);
    label->setObjectName(name);
    return label;
}

}  // namespace

CMainWindow::CMainWindow(SettingsLocation location, Settings settings, QWidget* parent)
    : QMainWindow(parent), location_(std::move(location)), settings_(std::move(settings))
{
    recompileTimer_.setSingleShot(true);
    recompileTimer_.setInterval(kRecompileDelayMs);
    connect(&recompileTimer_, &QTimer::timeout, this, &CMainWindow::recompilePending);
    buildLayout();
    newDocument();
}

void CMainWindow::buildLayout()
{
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(0);

    splitter_ = new QSplitter(central);
    pianoRoll_ = placeholder(QStringLiteral("Piano Roll"), splitter_);
    auto* editorSide = new QWidget(splitter_);
    auto* editorColumn = new QVBoxLayout(editorSide);
    editorColumn->setContentsMargins(0, 0, 0, 0);
    editorColumn->setSpacing(0);
    tabs_ = new QTabBar(editorSide);
    tabs_->setExpanding(false);
    tabs_->setDocumentMode(true);
    frame_ = new CEditorFrame(editorSide);
    frame_->setEditorFont(qt(settings_.editorFontName), static_cast<int>(settings_.editorFontSize));
    editorColumn->addWidget(tabs_);
    editorColumn->addWidget(frame_, 1);
    eventList_ = placeholder(QStringLiteral("Event List"), splitter_);
    splitter_->addWidget(pianoRoll_);
    splitter_->addWidget(editorSide);
    splitter_->addWidget(eventList_);
    column->addWidget(splitter_, 1);
    setCentralWidget(central);

    for (QLabel*& pane : panes_) {
        pane = new QLabel(this);
        statusBar()->addPermanentWidget(pane);
    }
    statusBar()->addPermanentWidget(placeholder(QStringLiteral("Monitor"), this));

    for (int slot = 0; slot < CEditorFrame::kSlots; ++slot) {
        CMMLEditor* editor = frame_->editor(slot);
        editor->setChangeHandler([this, slot](int code) { onEditorChange(slot, code); });
        connect(editor, &QPlainTextEdit::cursorPositionChanged, this, &CMainWindow::refreshStatus);
    }
    connect(tabs_, &QTabBar::currentChanged, this, &CMainWindow::selectTab);
    applyViewMode();
}

void CMainWindow::applyViewMode()
{
    // Mode 1 puts the piano roll beside the text; 0 and 2 above it.
    const bool sideBySide = settings_.viewMode == 1;
    splitter_->setOrientation(sideBySide ? Qt::Horizontal : Qt::Vertical);
    eventList_->setVisible(settings_.viewMode == 0);
    const int first = static_cast<int>(sideBySide ? settings_.pianoRollWidth : settings_.pianoRollHeight);
    splitter_->setSizes({first, 400, settings_.viewMode == 0 ? 160 : 0});
}

void CMainWindow::newDocument()
{
    recompileTimer_.stop();
    pendingTracks_.reset();
    resetToNewDocument(song_, settings_);
    for (int slot = 0; slot < CEditorFrame::kSlots; ++slot) {
        (void)frame_->editor(slot)->setText(song_.tracks[static_cast<size_t>(slot)].text);
    }
    rebuildTabs();
    refreshTitle();
}

void CMainWindow::rebuildTabs()
{
    const QSignalBlocker blocker(tabs_);
    while (tabs_->count() > 0) tabs_->removeTab(0);
    for (int32_t slot : song_.trackOrder) tabs_->addTab(qt(song_.tracks[static_cast<size_t>(slot)].name));
    int current = 0;
    for (size_t i = 0; i < song_.trackOrder.size(); ++i) {
        if (song_.trackOrder[i] == song_.currentTrack) current = static_cast<int>(i);
    }
    tabs_->setCurrentIndex(current);
    selectTab(current);
}

void CMainWindow::selectTab(int tabIndex)
{
    if (tabIndex < 0 || tabIndex >= static_cast<int>(song_.trackOrder.size())) return;
    song_.currentTrack = song_.trackOrder[static_cast<size_t>(tabIndex)];
    frame_->showSlot(song_.currentTrack);
    refreshTitle();
}

void CMainWindow::onEditorChange(int slot, int /*code*/)
{
    pendingTracks_.set(static_cast<size_t>(slot));
    recompileTimer_.start();
}

void CMainWindow::recompilePending()
{
    recompileTimer_.stop();
    for (int slot = 0; slot < kTrackCount; ++slot) {
        if (!pendingTracks_.test(static_cast<size_t>(slot))) continue;
        song_.tracks[static_cast<size_t>(slot)].text = frame_->editor(slot)->text();
        recompileTrack(song_, slot);
    }
    pendingTracks_.reset();
    refreshStatus();
}

QString CMainWindow::statusText(int pane) const
{
    return pane >= 0 && pane < static_cast<int>(panes_.size()) ? panes_[static_cast<size_t>(pane)]->text() : QString();
}

void CMainWindow::refreshStatus()
{
    int line = 0;
    int column = 0;
    if (CMMLEditor* editor = frame_->editor(song_.currentTrack)) (void)editor->getCaret(&line, &column);
    const auto texts = statusPaneTexts(song_, song_.currentTrack, line, column);
    panes_[3]->clear();
    panes_[4]->clear();
    for (size_t i = 0; i < texts.size(); ++i) panes_[i]->setText(qt(texts[i]));
}

void CMainWindow::refreshTitle()
{
    const Track& track = song_.tracks[static_cast<size_t>(song_.currentTrack)];
    const QString title = QStringLiteral("ZEMA - ") + qt(track.name) + QStringLiteral(" - (") +
                          qt(loadString("IDS_MAIN_UNTITLED")) + QStringLiteral(") [") + qt(song_.title) +
                          QStringLiteral("]");
    setWindowTitle(title);
    refreshStatus();
}

}  // namespace zema
