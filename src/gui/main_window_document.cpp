// The main window's document operations: the property dialog, markers from
// the piano roll, and the 32→96 migration.
#include <QFileInfo>

#include "app/document_commands.h"
#include "app/mml_history.h"
#include "app/new_document.h"
#include "document/song_document.h"
#include "gui/dialogs/document_property_dialog.h"
#include "gui/dialogs/marker_dialog.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "gui/translate.h"
#include "views/piano_roll_ctrl.h"

namespace zema {

void CMainWindow::registerDocumentCommands()
{
    commands_.add(command::kDocumentProperty, [this] { showDocumentProperties(); });
    commands_.add(command::kMigration, [this] { migrateDocument(); });
    pianoRoll_->onMarkerCommand = [this](int command, int tick, int markerIndex) {
        markerCommand(command, tick, markerIndex);
    };
    pianoRoll_->canEditMarkers = [this] { return !isBusy(); };
}

void CMainWindow::showDocumentProperties()
{
    recompilePending();
    DocumentPropertyInput input;
    input.song = &song_;
    input.fileName = QFileInfo(documentPath_).fileName().toStdU16String();
    input.busy = isBusy();
    input.rankOptions.sortByLength = settings_.clipExportSort;
    input.rankOptions.excludeSong = settings_.excludeSongPart;
    input.rankOptions.melodyFiller = settings_.clipExportFiller;
    input.warn = [this](const QString& text) { (void)ask(QMessageBox::Warning, text, QMessageBox::Ok); };
    CMMLPropatyDlg dialog(std::move(input), this);
    const int answer = prompts_.documentProperties ? prompts_.documentProperties(dialog) : dialog.exec();
    if (answer != QDialog::Accepted || !dialog.result()) return;
    const DocumentPropertyResult& result = *dialog.result();
    settings_.excludeSongPart = result.excludeSong;
    bool changed = result.title != song_.title || result.source != song_.source || result.memo != song_.memo;
    song_.title = result.title;
    song_.source = result.source;
    song_.memo = result.memo;
    if (!isBusy() && applyTiming(song_, result.timing)) {
        changed = true;
        pendingTracks_.reset();
        rebuildTabs();
    }
    // The history does not record these changes, but they must not be lost
    // on closing without a question.
    if (changed) history_.setDirty();
    refreshTitle();
    pianoRoll_->update();
}

void CMainWindow::markerCommand(int command, int tick, int markerIndex)
{
    if (isBusy()) return;
    // Marker index 0 is the song start; explicit markers are 1.. in the piano roll.
    const int32_t index = markerIndex - 1;
    switch (command) {
    case kMarkerCreateCommand: {
        CMMLMarkerDlg dialog(false, stringQ("IDS_MAIN_NEWMARKER"), qt(markerPositionText(song_.timing, tick)), this);
        const int answer = prompts_.markerEdit ? prompts_.markerEdit(dialog) : dialog.exec();
        if (answer != QDialog::Accepted) return;
        const int32_t at = insertMarker(song_, tick, dialog.name().toStdU16String());
        history_.record(HistoryKind::MarkerCreated, at, 0, song_.markers[static_cast<size_t>(at)]);
        break;
    }
    case kMarkerEditCommand: {
        if (index < 0 || static_cast<size_t>(index) >= song_.markers.size()) return;
        const Marker& marker = song_.markers[static_cast<size_t>(index)];
        CMMLMarkerDlg dialog(true, qt(marker.name), qt(markerPositionText(song_.timing, marker.tick)), this);
        const int answer = prompts_.markerEdit ? prompts_.markerEdit(dialog) : dialog.exec();
        if (answer == CMMLMarkerDlg::kDeleteResult) {
            if (auto removed = removeMarker(song_, index)) history_.record(HistoryKind::MarkerDeleted, index, 0, *removed);
        } else if (answer == QDialog::Accepted) {
            if (auto previous = renameMarker(song_, index, dialog.name().toStdU16String())) {
                history_.record(HistoryKind::MarkerEdited, index, 0, *previous);
            }
        }
        break;
    }
    case kMarkerDeleteCommand:
        if (auto removed = removeMarker(song_, index)) history_.record(HistoryKind::MarkerDeleted, index, 0, *removed);
        break;
    default: return;
    }
    closeTypingRuns();
    rebuildTabs();
    pianoRoll_->update();
}

void CMainWindow::migrateDocument()
{
    if (song_.timing.timebase != 32) return;
    if (!confirmDiscard()) return;
    recompilePending();
    std::optional<Song> migrated = migratedSong(song_);
    if (!migrated) return;
    const QString path = documentPath_.isEmpty() ? QString() : qt(migratedPath(documentPath_.toStdU16String()));
    loadSongFrom(snapshotOf(*migrated));
    documentPath_ = path;
    history_.setDirty();
    rebuildTabs();
    sendMuteStates();
    refreshTitle();
    (void)ask(QMessageBox::Information, stringQ("IDS_MAIN_MIGRATION_COMPLETED"), QMessageBox::Ok);
}

}  // namespace zema
