// The main window's documents: new, open, save, recent files, dropped files,
// autosave, and the end of a session.
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenu>
#include <QSplitter>
#include <cerrno>

#include "app/autosave.h"
#include "app/new_document.h"
#include "app/recent_name.h"
#include "app/window_placement.h"
#include "app/window_text.h"
#include "document/document_open.h"
#include "document/mml_file_writer.h"
#include "document/song_document.h"
#include "editor/editor_frame.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "gui/translate.h"
#include "views/midi_monitor_ctrl.h"
#include "views/piano_input_ctrl.h"

namespace zema {

void CMainWindow::registerFileCommands()
{
    commands_.add(command::kFileNew, [this] {
        if (confirmDiscard()) newDocument();
    });
    commands_.add(command::kFileOpen, [this] { openWithDialog(); });
    commands_.add(command::kFileSave, [this] { (void)saveDocument(false); });
    commands_.add(command::kFileSaveAs, [this] { (void)saveDocument(true); });
    commands_.add(command::kAppClose, [this] { close(); });
    commands_.addRange(command::kRecentFirst, command::kRecentLast,
                       [this](int32_t id) { openRecent(id - command::kRecentFirst); });
}

void CMainWindow::newDocument()
{
    recompileTimer_.stop();
    pendingTracks_.reset();
    resetToNewDocument(song_, settings_);
    loadEditorsFromSong();
    documentPath_.clear();
    suggestedPath_.clear();
    loadStamp_ = std::time(nullptr);
    autosaveName_ = autosaveFileName(loadStamp_);
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
    DocumentData document;
    const TimingContext defaults{readerTimebase(settings_), 4, 4};
    const ReadStatus read = path.isEmpty() ? ReadStatus::unreadable(ENOENT)
                                           : openDocument(pathOf(fullPath), defaults, document);
    if (!read) {
        (void)ask(QMessageBox::Critical, stringWithReadReason("IDS_ERR_FILEOPEN", read), QMessageBox::Ok);
        return false;
    }
    loadSongFrom(document);
    documentPath_ = fullPath;
    addRecentFile(settings_, fullPath.toStdU16String());
    rebuildRecentMenu();
    rebuildTabs();
    sendMuteStates();
    refreshTitle();
    // Shown over the opened document, which holds everything that was read.
    if (read.lossy()) (void)ask(QMessageBox::Warning, stringWithReadReason("IDS_READ_PARTIAL", read), QMessageBox::Ok);
    return true;
}

void CMainWindow::loadSongFrom(const DocumentData& document)
{
    recompileTimer_.stop();
    pendingTracks_.reset();
    copyToSong(document, song_);
    suggestedPath_.clear();
    if (!song_.trackOrder.empty()) song_.currentTrack = song_.trackOrder.front();
    recompileAll(song_);
    loadEditorsFromSong();
    loadStamp_ = std::time(nullptr);
    autosaveName_ = autosaveFileName(loadStamp_);
    history_.clear();
}

void CMainWindow::openWithDialog()
{
    if (!confirmDiscard()) return;
    const QString path = prompts_.openFile(stringQ("IDS_MAIN_OPEN_TITLE"), qtFilter(stringQ("IDS_MAIN_OPEN_FILTER")),
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

bool CMainWindow::saveDocument(bool askForPath)
{
    recompilePending();
    QString target = documentPath_;
    if (askForPath || target.isEmpty()) {
        target = prompts_.saveFile(stringQ("IDS_MAIN_SAVE_TITLE"), qtFilter(stringQ("IDS_MAIN_SAVE_FILTER")),
                                   documentPath_.isEmpty() ? suggestedPath_ : documentPath_);
        if (target.isEmpty()) return false;
    }
    saving_ = true;
    setAcceptDrops(false);
    CMMLFileWriter writer(snapshotOf(song_), settings_.compact);
    const bool written = writer.SaveFile(pathOf(target));
    saving_ = false;
    setAcceptDrops(!player_->playing());
    if (!written) {
        (void)ask(QMessageBox::Critical, stringQ("IDS_ERR_FILESAVE"), QMessageBox::Ok);
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
    return location_.autosaveFolder() / autosaveName_;
}

void CMainWindow::autosaveIfNeeded()
{
    AutosaveRequest request;
    request.enabled = settings_.autoSave;
    request.modified = history_.isModified();
    request.settingsFolder = location_.folder;
    localtime_r(&loadStamp_, &request.loadTime);
    request.fileName = autosaveName_;
    const AutosaveOutcome outcome = zema::autosaveIfNeeded(*autosaver_, request, [this] {
        recompilePending();
        return songAutosaveJob(song_, AutosaveOrigin{runId_, pathOf(documentPath_)});
    });
    if (outcome == AutosaveOutcome::Started) ++autosavesStarted_;
    if (outcome == AutosaveOutcome::SkippedNoFolder) {
        // Asked again only to learn why the folder cannot be made.
        std::error_code error;
        std::filesystem::create_directories(location_.autosaveFolder(), error);
        showAutosaveResult(error ? error : std::make_error_code(std::errc::not_a_directory));
    }
}

void CMainWindow::takeAutosaveResults()
{
    std::vector<std::error_code> results;
    {
        const std::lock_guard lock(autosaveResultsLock_);
        results.swap(autosaveResults_);
    }
    for (const std::error_code result : results) showAutosaveResult(result);
}

void CMainWindow::waitForAutosaves() { autosaver_->waitForAll(); }

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
    storeSearchState();
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    WindowPlacement placement;
    placement.showCmd = isMaximized() ? kShowMaximized : 1;
    placement.left = normal.left();
    placement.top = normal.top();
    placement.right = normal.right() + 1;
    placement.bottom = normal.bottom() + 1;
    (void)saveWindowPlacement(location_.iniPath(), placement);
    storeLanguageChoice();
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

bool CMainWindow::endSession()
{
    player_->Stop();
    player_->Join();
    const bool unsaved = history_.isModified();
    if (unsaved) {
        // The session is ending: keep the work in the autosave file, whatever the setting says.
        recompilePending();
        std::error_code error;
        std::filesystem::create_directories(location_.autosaveFolder(), error);
        autosaver_->start([job = songAutosaveJob(song_, AutosaveOrigin{runId_, pathOf(documentPath_)}),
                           file = autosavePath()] { return job(file); });
        ++autosavesStarted_;
    }
    autosaver_->waitForAll();
    storeSettings();
    return unsaved;
}

}  // namespace zema
