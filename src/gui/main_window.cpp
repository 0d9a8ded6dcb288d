#include "app/gui/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <thread>

#include "app/autosave.h"
#include "app/command_table.h"
#include "app/gui/key_mapping.h"
#include "app/new_document.h"
#include "app/output_choice.h"
#include "app/recent_name.h"
#include "app/status_text.h"
#include "app/track_commands.h"
#include "app/window_placement.h"
#include "app/window_text.h"
#include "core/clipboard_export.h"
#include "core/strings.h"
#include "document/document_open.h"
#include "document/mml_file_writer.h"
#include "document/song_document.h"
#include "document/smf_export.h"
#include "editor/editor_frame.h"
#include "playback/midi_monitor_model.h"
#include "playback/synth_out.h"
#include "app/piano_input_text.h"
#include "app/piano_target.h"
#include "views/piano_roll_ctrl.h"
#include "views/code_list_ctrl.h"
#include "views/level_meter_ctrl.h"
#include "views/piano_input_ctrl.h"
#include "views/midi_monitor_ctrl.h"

namespace zema {

namespace {

QString qt(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

QString qtString(const char* symbol) { return qt(loadString(symbol)); }

std::filesystem::path pathOf(const QString& text) { return std::filesystem::path(text.toStdU16String()); }

// A Windows-style filter ("Name (*.a)|*.a|All (*.*)|*.*||") as a Qt name filter
// list; the patterns in each name are rewritten from the pattern part.
QString qtFilter(const QString& windowsFilter)
{
    const QStringList parts = windowsFilter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i].trimmed();
        if (const qsizetype open = name.lastIndexOf(QLatin1Char('(')); open > 0) name = name.left(open).trimmed();
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << name + QStringLiteral(" (") + patterns.simplified() + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

QMessageBox::StandardButton showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, qtString("AFX_IDS_APP_TITLE"), text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

constexpr int kMaxDroppedPath = 2047;

}  // namespace

CMainWindow::CMainWindow(SettingsLocation location, Settings settings, WindowPrompts prompts, QWidget* parent)
    : QMainWindow(parent),
      location_(std::move(location)),
      settings_(std::move(settings)),
      prompts_(std::move(prompts)),
      history_(song_, *this),
      player_(std::make_unique<PlayerController>(song_)),
      autosaver_(std::make_unique<CAutosaver>())
{
    if (!prompts_.message) {
        prompts_.message = [this](QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
                                  QMessageBox::StandardButton defaultButton) {
            return showMessage(this, icon, text, buttons, defaultButton);
        };
    }
    if (!prompts_.openFile) {
        prompts_.openFile = [this](const QString& title, const QString& filter, const QString& initial) {
            return QFileDialog::getOpenFileName(this, title, initial, filter);
        };
    }
    if (!prompts_.saveFile) {
        prompts_.saveFile = [this](const QString& title, const QString& filter, const QString& initial) {
            QFileDialog dialog(this, title, initial.isEmpty() ? QDir::homePath() : initial, filter);
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setDefaultSuffix(QStringLiteral("mml"));
            if (!initial.isEmpty()) dialog.selectFile(initial);
            return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                       ? dialog.selectedFiles().front()
                       : QString();
        };
    }
    if (!prompts_.trackName) {
        prompts_.trackName = [this](const QString& current) -> std::optional<QString> {
            bool ok = false;
            const QString name = QInputDialog::getText(this, qtString("AFX_IDS_APP_TITLE"),
                                                       qt(findCommand(command::kTrackRename)->menuText).remove('&'),
                                                       QLineEdit::Normal, current, &ok);
            if (!ok) return std::nullopt;
            return name;
        };
    }

    recompileTimer_.setSingleShot(true);
    recompileTimer_.setInterval(kRecompileDelayMs);
    connect(&recompileTimer_, &QTimer::timeout, this, &CMainWindow::recompilePending);
    displayTimer_.setInterval(1000 / std::max(1, settings_.statFrameRate));
    connect(&displayTimer_, &QTimer::timeout, this, &CMainWindow::onDisplayTick);
    player_->setListener([this](PlayerNotification notification) { onPlayerNotification(notification); });
    player_->setOutputSettings(outputSettingsOf(settings_));

    (void)keys_.load(location_.keyFilePath(), kMainWindowKey);
    if (keys_.keys().empty()) keys_ = defaultAccelerator();

    buildLayout();
    buildMenus();
    applyShortcuts();
    restorePlacement();
    newDocument();
    setAcceptDrops(true);
    displayTimer_.start();
}

CMainWindow::~CMainWindow()
{
    player_->Join();
    autosaver_->waitForAll();
}

// ---- Layout ----------------------------------------------------------------

void CMainWindow::buildLayout()
{
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(4, 4, 4, 0);
    column->setSpacing(4);

    // The piano-roll target list and the track buttons, with the play position.
    auto* controls = new QHBoxLayout;
    controls->setSpacing(4);
    target_ = new QComboBox(central);
    for (const char* symbol : {"IDS_MAIN_PIANO_T_CURRENT_TRACK", "IDS_MAIN_PIANO_T_GLOBAL",
                               "IDS_MAIN_PIANO_T_GLOBAL_ALLFOCUS", "IDS_MAIN_PIANO_T_GROUP",
                               "IDS_MAIN_PIANO_T_GROUP_ALLFOCUS", "IDS_MAIN_PIANO_T_CUSTOM",
                               "IDS_MAIN_PIANO_T_CUSTOM_ALLFOCUS"}) {
        target_->addItem(qtString(symbol));
    }
    target_->setCurrentIndex(settings_.pianoRollTarget >= 1 && settings_.pianoRollTarget <= 5
                                 ? settings_.pianoRollTarget
                                 : 0);
    connect(target_, &QComboBox::currentIndexChanged, this, [this](int index) {
        settings_.pianoRollTarget = index;
        applyPianoTarget();
    });
    controls->addWidget(target_);
    const auto button = [&](const char* symbol, void (CMainWindow::*slot)()) {
        auto* push = new QPushButton(qtString(symbol), central);
        push->setObjectName(QString::fromLatin1(symbol));
        push->setFocusPolicy(Qt::NoFocus);
        connect(push, &QPushButton::clicked, this, slot);
        controls->addWidget(push);
        return push;
    };
    button("IDS_MAIN_BUTTON_MUTE", &CMainWindow::muteCurrent);
    button("IDS_MAIN_BUTTON_SOLO", &CMainWindow::soloCurrent);
    button("IDS_MAIN_BUTTON_ALL", &CMainWindow::unmuteAllTracks);
    button("IDS_MAIN_BUTTON_LINK", &CMainWindow::toggleGroupLinkCurrent);
    button("IDS_MAIN_BUTTON_VIEW", &CMainWindow::chooseUserTracks);
    controls->addStretch(1);
    meter_ = new CLevelMeterCtrl(central);
    meter_->setObjectName(QStringLiteral("LevelMeter"));
    controls->addWidget(meter_);
    position_ = new QLabel(central);
    position_->setObjectName(QStringLiteral("PositionDisplay"));
    position_->setFrameShape(QFrame::StyledPanel);
    position_->setMinimumWidth(position_->fontMetrics().horizontalAdvance(QStringLiteral("0000:0000  Tempo 000")) + 16);
    position_->setAlignment(Qt::AlignCenter);
    controls->addWidget(position_);
    column->addLayout(controls);

    splitter_ = new QSplitter(central);
    splitter_->setChildrenCollapsible(false);
    pianoRoll_ = new CPianoRollCtrl(splitter_);
    pianoRoll_->setObjectName(QStringLiteral("PianoRoll"));
    pianoRoll_->setRenderer(settings_.enableGdiPlus);
    pianoRoll_->setMagnification(settings_.pianoRollHMag, settings_.pianoRollVMag);
    pianoRoll_->setSong(&song_);
    pianoRoll_->onNoteClicked = [this](int track, int index) { selectEventSource(track, index); };
    pianoRoll_->onMagnificationChanged = [this](int hmag, int vmag) {
        settings_.pianoRollHMag = hmag;
        settings_.pianoRollVMag = vmag;
    };
    userTracks_.fill(true);
    textSplitter_ = new QSplitter(Qt::Horizontal, splitter_);
    textSplitter_->setChildrenCollapsible(false);
    auto* editorSide = new QWidget(textSplitter_);
    auto* editorColumn = new QVBoxLayout(editorSide);
    editorColumn->setContentsMargins(0, 0, 0, 0);
    editorColumn->setSpacing(0);
    tabs_ = new QTabBar(editorSide);
    tabs_->setExpanding(false);
    tabs_->setDocumentMode(true);
    tabs_->setContextMenuPolicy(Qt::CustomContextMenu);
    frame_ = new CEditorFrame(editorSide);
    frame_->setEditorFont(qt(settings_.editorFontName), static_cast<int>(settings_.editorFontSize));
    editorColumn->addWidget(tabs_);
    editorColumn->addWidget(frame_, 1);
    eventList_ = new CCodeListCtrl(textSplitter_);
    eventList_->setObjectName(QStringLiteral("EventList"));
    eventList_->setRowActivated([this](int index) { selectEventSource(song_.currentTrack, index); });
    textSplitter_->addWidget(editorSide);
    textSplitter_->addWidget(eventList_);
    textSplitter_->setStretchFactor(0, 3);
    textSplitter_->setStretchFactor(1, 1);
    splitter_->addWidget(pianoRoll_);
    splitter_->addWidget(textSplitter_);
    splitter_->setStretchFactor(1, 1);
    column->addWidget(splitter_, 1);
    setCentralWidget(central);

    for (size_t i = 0; i < panes_.size(); ++i) {
        QLabel*& pane = panes_[i];
        pane = new QLabel(this);
        pane->setObjectName(QStringLiteral("StatusPane%1").arg(i));
        // Wide enough for the longest text of each pane, so growing numbers never get cut.
        static const char* const widest[] = {"分解能 : 9999", "拍子 : 99 / 99", "文字数 : 99999",
                                             "Tempo 999, Octave 9, Velocity 99, L64.", "99999 行 99999 列"};
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(QString::fromUtf8(widest[i])) + 8);
        statusBar()->addPermanentWidget(pane, i == 3 ? 1 : 0);
    }

    for (int slot = 0; slot < CEditorFrame::kSlots; ++slot) {
        CMMLEditor* editor = frame_->editor(slot);
        editor->setChangeHandler([this, slot](int code) { onEditorChange(slot, code); });
        editor->installEventFilter(this);
        connect(editor, &QPlainTextEdit::cursorPositionChanged, this, [this, slot] {
            if (slot != song_.currentTrack) return;
            refreshStatus();
            if (!pendingTracks_.test(static_cast<size_t>(slot))) traceCaret();
        });
    }
    keyboard_ = new CPianoInputCtrl(this);
    keyboard_->move(settings_.pianoInputX, settings_.pianoInputY);
    keyboard_->setNoteHandlers([this](int note) { keyboardNote(note, true, false); },
                               [this](int note) { keyboardNote(note, false, false); });
    keyboard_->setInsertHandler([this](int note) { keyboardNote(note, true, true); });
    monitor_ = new CMidiMoniterCtrl(this);
    monitor_->setWindowFlags(Qt::Tool);
    monitor_->setSong(&song_);
    monitor_->setProgramOf(programOfInstrument);
    monitor_->move(settings_.monitorLeft, settings_.monitorTop);
    monitor_->resize(monitor_->sizeHint());
    connect(tabs_, &QTabBar::currentChanged, this, &CMainWindow::onTabChanged);
    connect(tabs_, &QTabBar::tabBarDoubleClicked, this, [this](int) { runCommand(command::kTrackRename); });
    connect(tabs_, &QTabBar::customContextMenuRequested, this, [this](const QPoint& at) {
        const int tab = tabs_->tabAt(at);
        if (tab < 0) return;
        tabs_->setCurrentIndex(tab);
        QMenu menu(this);
        for (int32_t id : {command::kTrackProperty, command::kTrackRename, command::kTrackDelete, command::kOptimize}) {
            menu.addAction(action(id));
        }
        menu.addSeparator();
        menu.addAction(QStringLiteral("キャンセル(&C)"));  // closes the menu, nothing else
        menu.exec(tabs_->mapToGlobal(at));
    });
    applyViewMode(settings_.viewMode);
}

void CMainWindow::buildMenus()
{
    std::map<MenuGroup, QMenu*> menus;
    for (MenuGroup group : {MenuGroup::File, MenuGroup::Edit, MenuGroup::View, MenuGroup::Track, MenuGroup::Play,
                            MenuGroup::Settings, MenuGroup::Help}) {
        menus[group] = menuBar()->addMenu(qt(menuTitle(group)));
    }
    auto* viewModes = new QActionGroup(this);
    for (const CommandInfo& info : commandTable()) {
        QMenu* menu = menus[info.menu];
        if (info.separatorBefore) menu->addSeparator();
        if (info.id == command::kRecentFirst) {
            recentMenu_ = menu->addMenu(QStringLiteral("最近使ったファイル(&F)"));
            continue;
        }
        auto* entry = new QAction(qt(info.menuText), this);
        entry->setObjectName(QString::fromLatin1(info.symbol));
        entry->setCheckable(info.checkable);
        entry->setShortcutContext(Qt::WindowShortcut);
        const int32_t id = info.id;
        connect(entry, &QAction::triggered, this, [this, id] { runCommand(id); });
        menu->addAction(entry);
        actions_[id] = entry;
        if (id == command::kViewNormal || id == command::kViewHorizontal || id == command::kViewVertical) {
            viewModes->addAction(entry);
        }
    }
    // The syntax check has never done anything; its entry stays for the key table.
    action(command::kMmlCheck)->setEnabled(false);
    // These commands open windows that are not part of this version yet.
    for (int32_t id : {command::kImportMml, command::kExportMmla, command::kImportSmf, command::kExportSmf,
                       command::kExportWav, command::kDocumentProperty, command::kMigration, command::kSearch,
                       command::kReplace, command::kTrackProperty,
                       command::kConfig}) {
        action(id)->setEnabled(false);
    }
    rebuildRecentMenu();
    refreshChecks();
}

void CMainWindow::applyShortcuts()
{
    for (auto& [id, entry] : actions_) {
        const KeyAssign* key = keys_.find(id);
        entry->setShortcut(key ? keySequenceOf(*key) : QKeySequence());
    }
}

QAction* CMainWindow::action(int32_t command) const
{
    const auto found = actions_.find(command);
    return found == actions_.end() ? nullptr : found->second;
}

void CMainWindow::applyViewMode(uint32_t mode)
{
    // Keep the first pane's size of the mode being left.
    if (splitter_->sizes().size() == 2 && isVisible()) {
        const int first = splitter_->sizes().front();
        if (first > 0) {
            (settings_.viewMode == 1 ? settings_.pianoRollWidth : settings_.pianoRollHeight) =
                static_cast<uint32_t>(first);
        }
    }
    settings_.viewMode = mode > 2 ? 0 : mode;
    // Mode 1 puts the piano roll beside the text, 0 and 2 above it; only mode
    // 0 shows the event list.
    const bool sideBySide = settings_.viewMode == 1;
    splitter_->setOrientation(sideBySide ? Qt::Horizontal : Qt::Vertical);
    eventList_->setVisible(settings_.viewMode == 0);
    const int first = static_cast<int>(sideBySide ? settings_.pianoRollWidth : settings_.pianoRollHeight);
    splitter_->setSizes({first, std::max(1, (sideBySide ? width() : height()) - first)});
    refreshChecks();
}

void CMainWindow::restorePlacement()
{
    const QRect current = geometry();
    WindowPlacement now;
    now.left = current.left();
    now.top = current.top();
    now.right = current.right() + 1;
    now.bottom = current.bottom() + 1;
    const WindowPlacement stored = loadWindowPlacement(location_.iniPath(), now);
    const int width = stored.right - stored.left;
    const int height = stored.bottom - stored.top;
    if (stored != now && width >= 200 && height >= 150) {
        setGeometry(stored.left, stored.top, width, height);
    } else {
        resize(1100, 720);
    }
    if (stored.showCmd == kShowMaximized) setWindowState(windowState() | Qt::WindowMaximized);
}

// ---- Tabs, title, status ----------------------------------------------------

void CMainWindow::rebuildTabs()
{
    {
        const QSignalBlocker blocker(tabs_);
        while (tabs_->count() > 0) tabs_->removeTab(0);
        for (int32_t slot : song_.trackOrder) tabs_->addTab(qt(song_.tracks[static_cast<size_t>(slot)].name));
        int current = 0;
        for (size_t i = 0; i < song_.trackOrder.size(); ++i) {
            if (song_.trackOrder[i] == song_.currentTrack) current = static_cast<int>(i);
        }
        tabs_->setCurrentIndex(current);
    }
    // A tab bar that is not on screen yet does not tell its layout that it grew.
    tabs_->updateGeometry();
    monitor_->RefreshTrack();
    onTabChanged(tabs_->currentIndex());
}

void CMainWindow::onTabChanged(int tabIndex)
{
    if (tabIndex < 0 || tabIndex >= static_cast<int>(song_.trackOrder.size())) return;
    song_.currentTrack = song_.trackOrder[static_cast<size_t>(tabIndex)];
    frame_->showSlot(song_.currentTrack);
    pianoRoll_->setCurrentTrack(song_.currentTrack);
    applyPianoTarget();
    refreshEventList();
    refreshTitle();
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
    setWindowTitle(qt(windowTitleText(song_, documentPath_.toStdU16String(), history_.isModified())));
    refreshStatus();
}

void CMainWindow::refreshChecks()
{
    const auto check = [this](int32_t id, bool on) {
        if (QAction* entry = action(id)) entry->setChecked(on);
    };
    check(command::kViewNormal, settings_.viewMode == 0);
    check(command::kViewHorizontal, settings_.viewMode == 1);
    check(command::kViewVertical, settings_.viewMode == 2);
    check(command::kPlayLoop, player_->loop());
    check(command::kCaretTrace, settings_.traceCaret);
    check(command::kEditPlaySelect, settings_.editPlaySelect);
    check(command::kEventScroll, settings_.editScroll);
    check(command::kPianoScroll, settings_.pianoScroll);
    check(command::kLanguageBuiltIn, true);
    check(command::kViewMonitor, monitor_->isVisible());
    check(command::kDisplayKeyboard, keyboard_->isVisible());
}

void CMainWindow::rebuildRecentMenu()
{
    recentMenu_->clear();
    for (size_t i = 0; i < settings_.recentFiles.size(); ++i) {
        const QString shown = qt(shortenedRecentName(settings_.recentFiles[i]));
        auto* entry = recentMenu_->addAction(QStringLiteral("&%1 %2").arg((i + 1) % 10).arg(shown));
        entry->setToolTip(qt(settings_.recentFiles[i]));
        const int index = static_cast<int>(i);
        connect(entry, &QAction::triggered, this, [this, index] { runCommand(command::kRecentFirst + index); });
    }
    recentMenu_->setEnabled(!settings_.recentFiles.empty());
}

// ---- Editors and the undo history ------------------------------------------

void CMainWindow::loadEditorsFromSong()
{
    for (int slot = 0; slot < CEditorFrame::kSlots; ++slot) {
        (void)frame_->editor(slot)->setText(song_.tracks[static_cast<size_t>(slot)].text);
    }
}

void CMainWindow::onEditorChange(int slot, int code)
{
    // The editors' own undo and redo run on behalf of the history; every
    // other change is a new step of it.
    if (code != kChangeUndo && code != kChangeRedo && !historyReplaying_) {
        history_.record(HistoryKind::TrackText, slot, 0);
    }
    pendingTracks_.set(static_cast<size_t>(slot));
    if (!player_->playing()) recompileTimer_.start();
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
    pianoRoll_->songChanged();
    refreshEventList();
    refreshStatus();
}

void CMainWindow::selectTrack(int32_t slot)
{
    const auto found = std::find(song_.trackOrder.begin(), song_.trackOrder.end(), slot);
    if (found != song_.trackOrder.end()) tabs_->setCurrentIndex(static_cast<int>(found - song_.trackOrder.begin()));
}

void CMainWindow::editorUndo(int32_t slot)
{
    historyReplaying_ = true;
    (void)frame_->editor(slot)->undoStep();
    historyReplaying_ = false;
}

void CMainWindow::editorRedo(int32_t slot)
{
    historyReplaying_ = true;
    (void)frame_->editor(slot)->redoStep();
    historyReplaying_ = false;
}

void CMainWindow::storeTrackText(int32_t slot)
{
    song_.tracks[static_cast<size_t>(slot)].text = frame_->editor(slot)->text();
}

void CMainWindow::stepApplied(const HistoryStep& step)
{
    switch (step.kind) {
    case HistoryKind::TrackText: break;  // the editor reported its own change
    case HistoryKind::TrackAdded:
    case HistoryKind::TrackDeleted: {
        const auto slot = static_cast<size_t>(step.arg1);
        CMMLEditor* editor = frame_->editor(step.arg1);
        if (editor && editor->text() != song_.tracks[slot].text) (void)editor->setText(song_.tracks[slot].text);
        pendingTracks_.reset(slot);
        recompileTrack(song_, step.arg1);
        if (song_.tracks[slot].used) {
            song_.currentTrack = step.arg1;
        } else if (!song_.trackOrder.empty()) {
            const auto position = std::min(static_cast<size_t>(std::max(step.arg2, 0)), song_.trackOrder.size() - 1);
            song_.currentTrack = song_.trackOrder[position];
        }
        rebuildTabs();
        break;
    }
    case HistoryKind::TrackProperties:
        recompileTrack(song_, step.arg1);
        rebuildTabs();
        break;
    default:
        recompilePending();
        recompileAll(song_);
        rebuildTabs();
        break;
    }
}

void CMainWindow::historyChanged() { refreshTitle(); }

void CMainWindow::closeTypingRuns()
{
    for (int slot = 0; slot < CEditorFrame::kSlots; ++slot) frame_->editor(slot)->startNewUndoStep();
}

// ---- Commands ---------------------------------------------------------------

bool CMainWindow::isBusy() const { return saving_ || player_->playing() || player_->busy(); }

void CMainWindow::runCommand(int32_t command)
{
    autosaveIfNeeded();
    const CommandInfo* info = findCommand(command);
    if (info == nullptr) return;
    if (info->idleOnly && isBusy()) return;
    if (QAction* entry = action(command); entry && !entry->isEnabled()) return;
    dispatch(command);
}

void CMainWindow::dispatch(int32_t command)
{
    CMMLEditor* editor = frame_->editor(song_.currentTrack);
    switch (command) {
    case command::kFileNew:
        if (confirmDiscard()) newDocument();
        break;
    case command::kFileOpen: openWithDialog(); break;
    case command::kFileSave: (void)saveDocument(false); break;
    case command::kFileSaveAs: (void)saveDocument(true); break;
    case command::kAppClose: close(); break;
    case command::kUndo:
        recompilePending();
        (void)history_.undo();
        break;
    case command::kRedo:
        recompilePending();
        (void)history_.redo();
        break;
    case command::kCut: (void)editor->cutSelection(); break;
    case command::kCopy: (void)editor->copySelection(); break;
    case command::kPaste: (void)editor->pasteClipboard(); break;
    case command::kDelete: {
        // The Delete key itself is this command's shortcut: hand the key to the editor.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QCoreApplication::sendEvent(editor, &press);
        break;
    }
    case command::kSelectAll: (void)editor->selectAllText(); break;
    case command::kViewNormal: applyViewMode(0); break;
    case command::kViewHorizontal: applyViewMode(1); break;
    case command::kViewVertical: applyViewMode(2); break;
    case command::kViewMonitor: showMonitor(!monitor_->isVisible()); break;
    case command::kDisplayKeyboard: showKeyboard(!keyboard_->isVisible()); break;
    case command::kTrackAdd: addTrackCommand(); break;
    case command::kTrackDelete: deleteTrackCommand(); break;
    case command::kTrackRename: renameTrackCommand(); break;
    case command::kTrackSelectLeft: selectNeighbourTab(-1); break;
    case command::kTrackSelectRight: selectNeighbourTab(1); break;
    case command::kOptimize: optimizeTracks(false); break;
    case command::kOptimizeAll: optimizeTracks(true); break;
    case command::kPlayToggle:
    case command::kPlayPause:
    case command::kPlayStop:
    case command::kPlayPreviousMeasure:
    case command::kPlayNextMeasure:
    case command::kPlayTop:
    case command::kPlayCursor: startPlayback(command); break;
    case command::kPlayLoop: player_->ToggleLoop(); break;
    case command::kCaretTrace: settings_.traceCaret = !settings_.traceCaret; break;
    case command::kEditPlaySelect: settings_.editPlaySelect = !settings_.editPlaySelect; break;
    case command::kEventScroll: settings_.editScroll = !settings_.editScroll; break;
    case command::kPianoScroll: settings_.pianoScroll = !settings_.pianoScroll; break;
    case command::kAbout:
        (void)ask(QMessageBox::Information,
                  qtString("AFX_IDS_APP_TITLE") + QStringLiteral(" ") + QCoreApplication::applicationVersion(),
                  QMessageBox::Ok);
        break;
    default:
        if (command >= command::kRecentFirst && command <= command::kRecentLast) {
            openRecent(command - command::kRecentFirst);
        }
        break;
    }
    refreshChecks();
}

QMessageBox::StandardButton CMainWindow::ask(QMessageBox::Icon icon, const QString& text,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton)
{
    return prompts_.message(icon, text, buttons, defaultButton);
}

// ---- Documents ----------------------------------------------------------------

void CMainWindow::newDocument()
{
    recompileTimer_.stop();
    pendingTracks_.reset();
    resetToNewDocument(song_, settings_);
    loadEditorsFromSong();
    documentPath_.clear();
    loadStamp_ = std::time(nullptr);
    history_.clear();
    rebuildTabs();
    sendMuteStates();
    refreshTitle();
}

bool CMainWindow::confirmDiscard()
{
    if (!history_.isModified()) return true;
    const auto answer = ask(QMessageBox::Warning, qt(modifiedPromptText(documentPath_.toStdU16String())),
                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::No) return true;
    if (answer != QMessageBox::Yes) return false;
    return saveDocument(false);
}

bool CMainWindow::openDocumentPath(const QString& path)
{
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    ReadResult document;
    const TimingContext defaults{readerTimebase(settings_), 4, 4};
    if (path.isEmpty() || !openDocument(pathOf(fullPath), defaults, document)) {
        (void)ask(QMessageBox::Critical, qtString("IDS_ERR_FILEOPEN"), QMessageBox::Ok);
        return false;
    }
    recompileTimer_.stop();
    pendingTracks_.reset();
    copyToSong(document, song_);
    if (!song_.trackOrder.empty()) song_.currentTrack = song_.trackOrder.front();
    recompileAll(song_);
    loadEditorsFromSong();
    documentPath_ = fullPath;
    loadStamp_ = std::time(nullptr);
    history_.clear();
    addRecentFile(settings_, fullPath.toStdU16String());
    rebuildRecentMenu();
    rebuildTabs();
    sendMuteStates();
    refreshTitle();
    return true;
}

void CMainWindow::openWithDialog()
{
    if (!confirmDiscard()) return;
    const QString path = prompts_.openFile(qtString("IDS_MAIN_OPEN_TITLE"), qtFilter(qtString("IDS_MAIN_OPEN_FILTER")),
                                           QFileInfo(documentPath_).absolutePath());
    if (!path.isEmpty()) (void)openDocumentPath(path);
}

void CMainWindow::openRecent(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= settings_.recentFiles.size()) return;
    if (!confirmDiscard()) return;
    const std::u16string path = settings_.recentFiles[static_cast<size_t>(index)];
    if (!openDocumentPath(qt(path))) {
        removeRecentFile(settings_, path);
        rebuildRecentMenu();
    }
}

void CMainWindow::openDropped(const QString& path)
{
    if (!confirmDiscard()) return;
    (void)openDocumentPath(path);
}

bool CMainWindow::saveDocument(bool askForPath)
{
    recompilePending();
    QString target = documentPath_;
    if (askForPath || target.isEmpty()) {
        target = prompts_.saveFile(qtString("IDS_MAIN_SAVE_TITLE"), qtFilter(qtString("IDS_MAIN_SAVE_FILTER")),
                                   documentPath_);
        if (target.isEmpty()) return false;
    }
    saving_ = true;
    setAcceptDrops(false);
    CMMLFileWriter writer(snapshotOf(song_), settings_.compact);
    const bool written = writer.SaveFile(pathOf(target));
    saving_ = false;
    setAcceptDrops(!player_->playing());
    if (!written) {
        (void)ask(QMessageBox::Critical, qtString("IDS_ERR_FILESAVE"), QMessageBox::Ok);
        return false;
    }
    documentPath_ = QFileInfo(target).absoluteFilePath();
    history_.markSaved();
    closeTypingRuns();
    addRecentFile(settings_, documentPath_.toStdU16String());
    rebuildRecentMenu();
    refreshTitle();
    return true;
}

std::filesystem::path CMainWindow::autosavePath() const
{
    return location_.autosaveFolder() / autosaveFileName(loadStamp_);
}

void CMainWindow::autosaveIfNeeded()
{
    AutosaveRequest request;
    request.enabled = settings_.autoSave;
    request.modified = history_.isModified();
    request.settingsFolder = location_.folder;
    localtime_r(&loadStamp_, &request.loadTime);
    const AutosaveOutcome outcome = zema::autosaveIfNeeded(*autosaver_, request, [this] {
        recompilePending();
        return songAutosaveJob(song_);
    });
    if (outcome == AutosaveOutcome::Started) ++autosavesStarted_;
}

void CMainWindow::waitForAutosaves() { autosaver_->waitForAll(); }

// ---- Tracks -------------------------------------------------------------------

void CMainWindow::addTrackCommand()
{
    recompilePending();
    const std::optional<int32_t> slot = addTrack(song_);
    if (!slot) {
        (void)ask(QMessageBox::Warning, qtString("IDS_ERR_NOMOREADDTRACK"), QMessageBox::Ok);
        return;
    }
    (void)frame_->editor(*slot)->setText(u"");
    Track freeSlot;
    freeSlot.name = song_.tracks[static_cast<size_t>(*slot)].name;
    history_.record(HistoryKind::TrackAdded, *slot, static_cast<int32_t>(song_.trackOrder.size()) - 1,
                    std::move(freeSlot));
    closeTypingRuns();
    song_.currentTrack = *slot;
    rebuildTabs();
    player_->SendTrackSetup(*slot);
}

void CMainWindow::deleteTrackCommand()
{
    recompilePending();
    std::optional<DeletedTrack> deleted = deleteTrack(song_, song_.currentTrack);
    if (!deleted) return;
    history_.record(HistoryKind::TrackDeleted, deleted->slot, deleted->tabPosition, std::move(deleted->record));
    closeTypingRuns();
    rebuildTabs();
}

void CMainWindow::renameTrackCommand()
{
    const int32_t slot = song_.currentTrack;
    const std::optional<QString> name = prompts_.trackName(qt(song_.tracks[static_cast<size_t>(slot)].name));
    if (!name) return;
    std::optional<Track> previous = renameTrack(song_, slot, name->toStdU16String());
    if (!previous) return;
    history_.record(HistoryKind::TrackProperties, slot, 0, std::move(*previous));
    closeTypingRuns();
    rebuildTabs();
}

void CMainWindow::selectNeighbourTab(int direction)
{
    const int next = tabs_->currentIndex() + direction;
    if (next >= 0 && next < tabs_->count()) tabs_->setCurrentIndex(next);
}

void CMainWindow::optimizeTracks(bool all)
{
    recompilePending();
    const int32_t current = song_.currentTrack;
    for (int32_t slot : std::vector<int32_t>(song_.trackOrder)) {
        if (!all && slot != current) continue;
        CMMLEditor* editor = frame_->editor(slot);
        const std::u16string text = editor->text();
        const OptimizedPart optimized = optimizePart(song_.timing, text);
        if (optimized.text == text) continue;
        // One replacement of the whole text: one step of the editor's undo
        // and of the document's history.
        (void)editor->selectAllText(false);
        (void)editor->replaceSelection(optimized.text);
        (void)editor->setCaret(0, 0);
    }
    recompilePending();
}

void CMainWindow::sendMuteStates()
{
    for (int track = 0; track < kTrackCount; ++track) {
        player_->SetTrackMute(track, song_.tracks[static_cast<size_t>(track)].mute);
    }
}

void CMainWindow::muteCurrent()
{
    toggleMute(song_, song_.currentTrack);
    sendMuteStates();
}

void CMainWindow::soloCurrent()
{
    solo(song_, song_.currentTrack);
    sendMuteStates();
}

void CMainWindow::unmuteAllTracks()
{
    unmuteAll(song_);
    sendMuteStates();
}

void CMainWindow::toggleGroupLinkCurrent() { (void)toggleGroupLink(song_, song_.currentTrack); }

// ---- Playback -----------------------------------------------------------------

void CMainWindow::startPlayback(int32_t command)
{
    switch (command) {
    case command::kPlayToggle:
        recompilePending();
        player_->PlayCommand();  // plays when stopped, pauses while playing
        if (player_->playing()) setPlaying(true);
        break;
    case command::kPlayPause: player_->Pause(); break;
    case command::kPlayStop: player_->Stop(); break;
    case command::kPlayPreviousMeasure: player_->PreviousMeasure(); break;
    case command::kPlayNextMeasure: player_->NextMeasure(); break;
    case command::kPlayTop: player_->BackToTop(); break;
    case command::kPlayCursor: {
        recompilePending();
        int line = 0;
        int column = 0;
        (void)frame_->editor(song_.currentTrack)->getCaret(&line, &column);
        player_->PlayFromCaret(line, column);
        if (player_->playing()) setPlaying(true);
        break;
    }
    default: break;
    }
    onDisplayTick();
}

void CMainWindow::showMonitor(bool visible)
{
    monitor_->setVisible(visible);
    refreshChecks();
}

void CMainWindow::showKeyboard(bool visible)
{
    keyboard_->setVisible(visible);
    refreshChecks();
}

void CMainWindow::keyboardNote(int note, bool down, bool insert)
{
    if (note < 0 || note > 127) return;
    if (!insert) {
        // Sounded on the current track's channel whenever a device is open.
        if (IMidi* device = player_->output()) {
            (void)device->ShortMsg(down ? 0x90 : 0x80, static_cast<uint8_t>(song_.currentTrack),
                                   static_cast<uint8_t>(note), 100);
        }
        return;
    }
    if (!down || player_->playing()) return;
    recompilePending();
    const int32_t slot = song_.currentTrack;
    CMMLEditor* editor = frame_->editor(slot);
    int line = 0;
    int column = 0;
    (void)editor->getCaret(&line, &column);
    const Track& track = song_.tracks[static_cast<size_t>(slot)];
    const std::u16string text = pianoInsertText(track.states, track.events, TextCaret{line, column}, note);
    (void)editor->replaceSelection(text);
    recompilePending();
}

void CMainWindow::setPianoTarget(int target) { target_->setCurrentIndex(target); }

void CMainWindow::applyPianoTarget()
{
    const PianoTrackSelection selection = pianoTargetSelection(target_->currentIndex(), song_, userTracks_);
    pianoRoll_->setTrackSelection(selection.visible, selection.emphasised);
}

void CMainWindow::chooseUserTracks()
{
    QMenu menu(this);
    for (int32_t slot : song_.trackOrder) {
        QAction* entry = menu.addAction(qt(song_.tracks[static_cast<size_t>(slot)].name));
        entry->setCheckable(true);
        entry->setChecked(userTracks_[static_cast<size_t>(slot)]);
        connect(entry, &QAction::toggled, this, [this, slot](bool on) {
            userTracks_[static_cast<size_t>(slot)] = on;
            if (target_->currentIndex() < 5) target_->setCurrentIndex(5);  // the choice is what the user wants to see
            applyPianoTarget();
        });
    }
    auto* source = qobject_cast<QWidget*>(sender());
    menu.exec(source ? source->mapToGlobal(QPoint(0, source->height())) : QCursor::pos());
}

void CMainWindow::traceCaret()
{
    if (!settings_.traceCaret || player_->playing()) return;
    const int32_t slot = song_.currentTrack;
    int line = 0;
    int column = 0;
    (void)frame_->editor(slot)->getCaret(&line, &column);
    const EventList& events = song_.tracks[static_cast<size_t>(slot)].events;
    for (size_t i = 0; i < events.size(); ++i) {
        const TrackEvent& event = events[i];
        if (event.startLine < line || (event.startLine == line && event.startColumn < column)) continue;
        eventList_->MarkRow(static_cast<int>(i));
        (void)eventList_->ScrollToRow(static_cast<int>(i));
        if (event.tick < pianoRoll_->firstVisibleTick() ||
            event.tick >= pianoRoll_->firstVisibleTick() + pianoRoll_->visibleSpan()) {
            (void)pianoRoll_->PageTo(event.tick, 0);
        }
        return;
    }
}

void CMainWindow::refreshEventList()
{
    const Track& track = song_.tracks[static_cast<size_t>(song_.currentTrack)];
    eventList_->setTrack(&track.events, song_.timing);
}

void CMainWindow::selectEventSource(int32_t slot, int index)
{
    if (slot < 0 || slot >= kTrackCount) return;
    const EventList& events = song_.tracks[static_cast<size_t>(slot)].events;
    if (index < 0 || static_cast<size_t>(index) >= events.size()) return;
    const TrackEvent& event = events[static_cast<size_t>(index)];
    if (event.kind == TrackEventKind::TrackEnd) return;
    selectTrack(slot);
    (void)frame_->editor(slot)->setSelection(event.startLine, event.startColumn, event.endLine, event.endColumn);
}

void CMainWindow::setPlaying(bool playing)
{
    frame_->setPlaybackFlag(playing);
    meter_->Reset();
    if (playing) {
        monitor_->attach(&player_->context(), [this] { return player_->nowMilliseconds(); });
        if (auto* synth = dynamic_cast<CSynthOut*>(player_->output())) synth->SetMetering(true);
    } else {
        monitor_->attach(nullptr, {});
        keyboard_->clearSounding();
    }
    lastShownIndex_ = -1;
    setAcceptDrops(!playing && !saving_);
    if (!playing && pendingTracks_.any()) recompileTimer_.start();
}

void CMainWindow::onPlayerNotification(PlayerNotification notification)
{
    if (notification.code == PlayerNotifyCode::Finished) setPlaying(false);
}

void CMainWindow::onDisplayTick()
{
    player_->Poll();
    const PositionDisplay shown = player_->position();
    position_->setText(QString::asprintf("%04d:%04d  Tempo %3d", shown.measure, shown.tick, shown.tempo));
    if (!player_->playing()) {
        pianoRoll_->SetPlayPosition(player_->startTick());
        return;
    }
    pianoRoll_->followPlayPosition(player_->context().currentTick.load(std::memory_order_relaxed),
                                   settings_.pianoScroll);
    // The meter moves only with the synthesizer playing a bank file, whose rendered blocks it measures.
    const auto* synth = dynamic_cast<const CSynthOut*>(player_->output());
    if (synth && settings_.outputDls == static_cast<int32_t>(OutputKind::SynthBank)) {
        const auto decibels = synth->LevelDecibels();
        meter_->Set(decibels[0], decibels[1], player_->nowMilliseconds());
    }
    if (monitor_->isVisible()) monitor_->update();
    if (keyboard_->isVisible()) {
        const auto words = monitor::keyboardWords(player_->context());  // notes 64-95, 96-127, 0-31, 32-63
        for (int note = keyboard_->lowestNote(); note <= keyboard_->highestNote(); ++note) {
            const size_t word = note >= 64 ? static_cast<size_t>((note - 64) / 32) : static_cast<size_t>(2 + note / 32);
            keyboard_->setNoteSounding(note, ((words[word] >> (note % 32)) & 1u) != 0);
        }
    }
    // The current track's last dispatched event: its row in the list, its text in the editor.
    const int32_t slot = song_.currentTrack;
    const int32_t index = player_->context().lastIndex[static_cast<size_t>(slot)].load(std::memory_order_relaxed);
    const EventList& events = song_.tracks[static_cast<size_t>(slot)].events;
    if (index < 0 || static_cast<size_t>(index) >= events.size() || index == lastShownIndex_) return;
    lastShownIndex_ = index;
    eventList_->MarkRow(index);
    if (settings_.editScroll) (void)eventList_->ScrollToRow(index);
    const TrackEvent& event = events[static_cast<size_t>(index)];
    if (!settings_.editPlaySelect || event.kind == TrackEventKind::TrackEnd) return;
    (void)frame_->editor(slot)->setSelection(event.startLine, event.startColumn, event.endLine, event.endColumn);
}

void CMainWindow::showOutputDeviceError(int code)
{
    const QString text = qt(outputDeviceErrorMessage(code)) + QStringLiteral("\n\n") +
                         qtString("IDS_MAIN_MIDIOUT_SETTINGS");
    if (ask(QMessageBox::Warning, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes) {
        // The settings sheet is not part of this version: say where the setting lives.
        (void)ask(QMessageBox::Information,
                  QStringLiteral("MIDIの設定は %1 の [Midi Settings] にあります。")
                      .arg(QString::fromStdU16String(location_.iniPath().u16string())),
                  QMessageBox::Ok);
    }
}

void CMainWindow::startUp(const QString& commandLinePath)
{
    if (settings_.monitorVisible) showMonitor(true);
    if (settings_.pianoInputVisible) showKeyboard(true);
    const int code = player_->OpenOutputDevice(outputSettingsOf(settings_));
    if (code != 0) showOutputDeviceError(code);
    if (!commandLinePath.isEmpty()) (void)openDocumentPath(commandLinePath);
}

// ---- Window events ------------------------------------------------------------

bool CMainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The text editors would take the window's shortcuts (Ctrl+Z, Delete,
    // Ctrl+Left ...) as plain keys; leave every assigned shortcut to the window.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const auto& [id, entry] : actions_) {
            if (!entry->shortcut().isEmpty() && entry->shortcut().matches(pressed) == QKeySequence::ExactMatch) {
                event->ignore();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!isBusy() && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainWindow::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (isBusy() || urls.isEmpty() || !urls.front().isLocalFile()) return;
    const QString path = urls.front().toLocalFile().left(kMaxDroppedPath);
    event->acceptProposedAction();
    // Finish the drop before any dialog appears.
    QTimer::singleShot(0, this, [this, path] { openDropped(path); });
}

void CMainWindow::storeSettings()
{
    settings_.monitorLeft = monitor_->x();
    settings_.monitorTop = monitor_->y();
    settings_.monitorVisible = monitor_->isVisible();
    settings_.pianoInputX = keyboard_->x();
    settings_.pianoInputY = keyboard_->y();
    settings_.pianoInputVisible = keyboard_->isVisible();
    if (splitter_->sizes().size() == 2) {
        const int first = splitter_->sizes().front();
        if (first > 0) {
            (settings_.viewMode == 1 ? settings_.pianoRollWidth : settings_.pianoRollHeight) =
                static_cast<uint32_t>(first);
        }
    }
    (void)saveSettings(settings_, location_.iniPath());
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    WindowPlacement placement;
    placement.showCmd = isMaximized() ? kShowMaximized : 1;
    placement.left = normal.left();
    placement.top = normal.top();
    placement.right = normal.right() + 1;
    placement.bottom = normal.bottom() + 1;
    (void)saveWindowPlacement(location_.iniPath(), placement);
}

void CMainWindow::closeEvent(QCloseEvent* event)
{
    player_->Stop();
    player_->Join();
    setPlaying(false);
    if (!confirmDiscard()) {
        event->ignore();
        return;
    }
    storeSettings();
    autosaver_->waitForAll();
    event->accept();
}

void CMainWindow::endSession()
{
    player_->Stop();
    player_->Join();
    if (history_.isModified()) {
        // The session is ending: keep the work in the autosave file, whatever the setting says.
        recompilePending();
        std::error_code error;
        std::filesystem::create_directories(location_.autosaveFolder(), error);
        autosaver_->start([job = songAutosaveJob(song_), file = autosavePath()] { job(file); });
        ++autosavesStarted_;
    }
    autosaver_->waitForAll();
    storeSettings();
}

}  // namespace zema
