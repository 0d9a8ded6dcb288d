#include "gui/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
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
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/autosave.h"
#include "app/output_choice.h"
#include "app/status_text.h"
#include "app/window_placement.h"
#include "app/window_text.h"
#include "document/smf_export.h"
#include "editor/editor_frame.h"
#include "gui/background_work.h"
#include "gui/key_mapping.h"
#include "gui/qt_text.h"
#include "gui/translate.h"
#include "views/code_list_ctrl.h"
#include "views/level_meter_ctrl.h"
#include "views/midi_monitor_ctrl.h"
#include "views/piano_input_ctrl.h"
#include "views/piano_roll_ctrl.h"

namespace zema {

namespace {

constexpr std::u16string_view kMainWindow = u"Main Window";
constexpr std::u16string_view kMainMenu = u"Main Window Menu";
constexpr int kMaxDroppedPath = 2047;

QMessageBox::StandardButton showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, stringQ("AFX_IDS_APP_TITLE"), text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

// The object name of each menu of the menu bar, which keys its title in the language files.
const char* menuName(MenuGroup group)
{
    switch (group) {
    case MenuGroup::File: return "MENU_FILE";
    case MenuGroup::Edit: return "MENU_EDIT";
    case MenuGroup::View: return "MENU_VIEW";
    case MenuGroup::Track: return "MENU_TRACK";
    case MenuGroup::Play: return "MENU_PLAY";
    case MenuGroup::Settings: return "MENU_SETTINGS";
    case MenuGroup::Help: return "MENU_HELP";
    case MenuGroup::None: break;
    }
    return "";
}

}  // namespace

CMainWindow::CMainWindow(SettingsLocation location, Settings settings, WindowPrompts prompts,
                         std::unique_ptr<CMultiLanguage> language, QWidget* parent)
    : QMainWindow(parent),
      location_(std::move(location)),
      settings_(std::move(settings)),
      prompts_(std::move(prompts)),
      history_(song_, *this),
      player_(std::make_unique<PlayerController>(song_)),
      autosaver_(std::make_unique<CAutosaver>()),
      background_(std::make_unique<CBackgroundWork>()),
      language_(language ? std::move(language) : std::make_unique<CMultiLanguage>()),
      languageFolders_(languageFolders(programFolder(), location_))
{
    setObjectName(QStringLiteral("IDD_ZEMA_DIALOG"));
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
    if (!prompts_.exportFile) {
        prompts_.exportFile = [this](const QString& title, const QString& filter, const QString& proposed,
                                     const QString& suffix) -> std::optional<ChosenFile> {
            const QString initial = QFileInfo(proposed).isRelative() ? QDir::home().filePath(proposed) : proposed;
            QFileDialog dialog(this, title, QFileInfo(initial).absolutePath(), filter);
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setDefaultSuffix(suffix);
            dialog.selectFile(initial);
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
            const int entry = static_cast<int>(filter.split(QStringLiteral(";;")).indexOf(dialog.selectedNameFilter()));
            return ChosenFile{dialog.selectedFiles().front(), std::max(0, entry)};
        };
    }
    if (!prompts_.trackName) {
        prompts_.trackName = [this](const QString& current) -> std::optional<QString> {
            bool ok = false;
            const QString name = QInputDialog::getText(
                this, stringQ("AFX_IDS_APP_TITLE"), withoutMnemonic(windowTextQ(kMainMenu, "IDM_TRACK_NAME_EDIT")),
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
    // Autosaves finish on their own threads; the window hears of them on its
    // own. The result goes into a locked mailbox and only a by-name call is
    // queued, so no object of ours is shared with the event that carries it.
    autosaver_->setResultListener([this](std::error_code result) {
        {
            const std::lock_guard lock(autosaveResultsLock_);
            autosaveResults_.push_back(result);
        }
        QMetaObject::invokeMethod(this, "takeAutosaveResults", Qt::QueuedConnection);
    });

    (void)keys_.load(location_.keyFilePath(), kMainWindowKey);
    if (keys_.keys().empty()) keys_ = defaultAccelerator();
    reloadPresets();

    buildLayout();
    registerFileCommands();
    registerEditCommands();
    registerTrackCommands();
    registerPlayCommands();
    registerViewCommands();
    registerSettingsCommands();
    registerClipboardCommands();
    registerDocumentCommands();
    registerSearchCommands();
    registerMediaCommands();
    buildMenus();
    applyShortcuts();
    translateWindow(this, kMainWindow);
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
    auto* controls = new QHBoxLayout;
    controls->setSpacing(4);
    buildControls(central, controls);
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
    connectRollEditing();
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

    buildStatusPanes();
    for (int slot = 0; slot < CEditorFrame::kSlots; ++slot) {
        CMMLEditor* editor = frame_->editor(slot);
        editor->setChangeHandler([this, slot](int code) { onEditorChange(slot, code); });
        connect(editor, &QPlainTextEdit::textChanged, this, [this, slot] { onEditorTextChanged(slot); });
        editor->installEventFilter(this);
        editor->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(editor, &QWidget::customContextMenuRequested, this,
                [this, slot](const QPoint& at) { showEditorMenu(slot, at); });
        connect(editor, &QPlainTextEdit::cursorPositionChanged, this, [this, slot] {
            if (slot != song_.currentTrack) return;
            refreshStatus();
            if (!pendingTracks_.test(static_cast<size_t>(slot))) traceCaret();
        });
    }
    buildToolWindows();
    connect(tabs_, &QTabBar::currentChanged, this, &CMainWindow::onTabChanged);
    connect(tabs_, &QTabBar::tabBarDoubleClicked, this, [this](int) { runCommand(command::kTrackRename); });
    connect(tabs_, &QTabBar::customContextMenuRequested, this, &CMainWindow::showTrackTabMenu);
    applyViewMode(settings_.viewMode);
}

void CMainWindow::buildControls(QWidget* central, QHBoxLayout* controls)
{
    // The piano-roll target list and the track buttons, with the play position.
    target_ = new QComboBox(central);
    target_->setObjectName(QStringLiteral("IDC_CMB_PIANO_TARGET"));
    fillPianoTargets();
    target_->setCurrentIndex(settings_.pianoRollTarget >= 1 && settings_.pianoRollTarget <= 5
                                 ? settings_.pianoRollTarget
                                 : 0);
    connect(target_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0) return;  // the list is being refilled
        settings_.pianoRollTarget = index;
        applyPianoTarget();
    });
    controls->addWidget(target_);
    buildGridChoice(central);
    controls->addWidget(grid_);
    const auto button = [&](const char* name, void (CMainWindow::*slot)()) {
        auto* push = new QPushButton(central);
        push->setObjectName(QString::fromLatin1(name));
        push->setFocusPolicy(Qt::NoFocus);
        connect(push, &QPushButton::clicked, this, slot);
        controls->addWidget(push);
    };
    button("IDC_BTN_MUTE", &CMainWindow::muteCurrent);
    button("IDC_BTN_SOLO", &CMainWindow::soloCurrent);
    button("IDC_BTN_ALL", &CMainWindow::unmuteAllTracks);
    button("IDC_BTN_LINK", &CMainWindow::toggleGroupLinkCurrent);
    button("IDC_BTN_VIEW", &CMainWindow::chooseUserTracks);
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
}

void CMainWindow::buildStatusPanes()
{
    for (size_t i = 0; i < panes_.size(); ++i) {
        QLabel*& pane = panes_[i];
        pane = new QLabel(this);
        pane->setObjectName(QStringLiteral("StatusPane%1").arg(i));
        statusBar()->addPermanentWidget(pane, i == 3 ? 1 : 0);
    }
    autosaveNotice_ = new QLabel(this);
    autosaveNotice_->setObjectName(QStringLiteral("AutosaveNotice"));
    autosaveNotice_->setStyleSheet(QStringLiteral("color: #c00000;"));
    autosaveNotice_->hide();
    statusBar()->insertPermanentWidget(0, autosaveNotice_);
}

void CMainWindow::buildToolWindows()
{
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
    monitor_->setWindowTitle(captionOfMenuText(windowTextQ(kMainMenu, "IDM_VIEW_MONITOR")));
}

void CMainWindow::buildMenus()
{
    auto* viewModes = new QActionGroup(this);
    for (MenuGroup group : {MenuGroup::File, MenuGroup::Edit, MenuGroup::View, MenuGroup::Track, MenuGroup::Play,
                            MenuGroup::Settings, MenuGroup::Help}) {
        QMenu* menu = menuBar()->addMenu(windowTextQ(kMainMenu, menuName(group)));
        menu->setObjectName(QString::fromLatin1(menuName(group)));
        connect(menu, &QMenu::aboutToShow, this, &CMainWindow::refreshCommandStates);
        menus_[group] = menu;
    }
    for (const CommandInfo& info : commandTable()) {
        QMenu* menu = menus_[info.menu];
        if (info.separatorBefore) menu->addSeparator();
        if (info.id == command::kRecentFirst) {
            recentMenu_ = menu->addMenu(windowTextQ(kMainMenu, "MENU_RECENT"));
            recentMenu_->setObjectName(QStringLiteral("MENU_RECENT"));
            continue;
        }
        if (info.id == command::kLanguageBuiltIn) {
            // The built-in entry heads the Language menu; the files follow it.
            languageMenu_ = menu->addMenu(windowTextQ(kMainMenu, "MENU_LANGUAGE"));
            languageMenu_->setObjectName(QStringLiteral("MENU_LANGUAGE"));
            connect(languageMenu_, &QMenu::aboutToShow, this, &CMainWindow::refreshCommandStates);
            menu = languageMenu_;
        }
        auto* entry = new QAction(windowTextQ(kMainMenu, info.symbol), this);
        entry->setObjectName(QString::fromLatin1(info.symbol));
        entry->setProperty("zemaCommand", info.id);
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
    rebuildRecentMenu();
    rebuildLanguageMenu();
    refreshCommandStates();
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

void CMainWindow::refreshCommandStates()
{
    const bool busy = isBusy();
    shownBusy_ = busy;
    for (auto& [id, entry] : actions_) {
        entry->setEnabled(commands_.enabled(id, busy));
        if (entry->isCheckable()) entry->setChecked(commands_.checked(id));
    }
    if (recentMenu_ != nullptr) recentMenu_->setEnabled(!settings_.recentFiles.empty() && !busy);
    refreshSearchButtons(busy);
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
    revealRollNotes();
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
    for (size_t i = 0; i < texts.size(); ++i) {
        QLabel* pane = panes_[i];
        pane->setText(qt(texts[i]));
        // Never narrower than its text with the widest digits, so growing numbers are never cut.
        QString widest = pane->text();
        for (QChar& c : widest) {
            if (c.isDigit()) c = QLatin1Char('9');
        }
        const int wanted = pane->fontMetrics().horizontalAdvance(widest + QStringLiteral("99")) + 8;
        if (pane->minimumWidth() < wanted) pane->setMinimumWidth(wanted);
    }
}

void CMainWindow::refreshTitle()
{
    setWindowTitle(qt(windowTitleText(song_, documentPath_.toStdU16String(), history_.isModified())));
    refreshStatus();
}

// ---- Commands ---------------------------------------------------------------

bool CMainWindow::isBusy() const { return saving_ || player_->playing() || player_->busy(); }

void CMainWindow::runCommand(int32_t command)
{
    autosaveIfNeeded();
    (void)commands_.run(command, isBusy());
    refreshCommandStates();
}

QMessageBox::StandardButton CMainWindow::ask(QMessageBox::Icon icon, const QString& text,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton)
{
    return prompts_.message(icon, text, buttons, defaultButton);
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

}  // namespace zema
