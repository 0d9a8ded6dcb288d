// The main window's way to and from the game: the clipboard export dialog
// and the clipboard import.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include "app/clip_export_model.h"
#include "app/clip_import.h"
#include "app/new_document.h"
#include "document/song_document.h"
#include "editor/editor_frame.h"
#include "gui/dialogs/clip_export_dialog.h"
#include "gui/dialogs/clip_import_dialog.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "gui/translate.h"

namespace zema {

void CMainWindow::registerClipboardCommands()
{
    commands_.add(command::kExportMmla, [this] { exportToClipboard(); });
    commands_.add(command::kImportMml, [this] { importFromClipboard(); });
}

void CMainWindow::exportToClipboard()
{
    recompilePending();
    ClipExportInput input;
    input.song = copyForClipExport(song_);
    input.options.sortByLength = settings_.clipExportSort;
    input.options.optimize = settings_.optClipExport;
    input.options.excludeSong = settings_.excludeSongPart;
    input.options.melodyFiller = settings_.clipExportFiller;
    input.options.bookRank = settings_.clipExportBookRank;
    input.editorText = [this](int32_t slot) {
        const CMMLEditor* editor = frame_->editor(slot);
        return editor ? editor->text() : song_.tracks[static_cast<size_t>(slot)].text;
    };
    input.wholeDocument = [this] { return mabiMmlText(snapshotOf(song_), settings_.compact); };
    input.presets = presets_;
    input.message = [this](QMessageBox::Icon icon, const QString& text) { (void)ask(icon, text, QMessageBox::Ok); };
    CMMLClipExportDlg dialog(std::move(input), this);
    if (prompts_.clipboardExport) prompts_.clipboardExport(dialog);
    else dialog.exec();
    // Closing (and every copy) keeps the options for the next time.
    const ClipExportModel::Options& options = dialog.model().options();
    settings_.clipExportSort = options.sortByLength;
    settings_.optClipExport = options.optimize;
    settings_.excludeSongPart = options.excludeSong;
    settings_.clipExportFiller = options.melodyFiller;
    settings_.clipExportBookRank = options.bookRank;
}

void CMainWindow::importFromClipboard()
{
    const QClipboard* clipboard = QApplication::clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (!data || !data->hasText()) {
        (void)ask(QMessageBox::Critical, stringQ("IDS_ERR_CLIPBOARDOPEN"), QMessageBox::Ok);
        return;
    }
    const TimingContext defaults{readerTimebase(settings_), 4, 4};
    PastedText pasted = readPastedText(data->text().toStdU16String(), defaults);
    if (pasted.kind == PastedKind::Nothing) return;
    if (pasted.kind == PastedKind::Document) {
        if (!confirmDiscard()) return;
        takeImportedDocument(pasted.document);
        return;
    }
    CMMLClipImportDlg dialog(pasted.trackCount, presets_, !settings_.disableGmPresets, this);
    std::optional<ClipImportChoice> choice;
    if (prompts_.clipboardImport) {
        choice = prompts_.clipboardImport(dialog);
    } else if (dialog.exec() == QDialog::Accepted) {
        choice = dialog.choice();
    }
    if (!choice) return;
    if (!choice->addToCurrent) {
        if (!confirmDiscard()) return;
        nameImportedTracks(pasted.document, choice->name, choice->instrument);
        takeImportedDocument(pasted.document);
        return;
    }
    recompilePending();
    const std::vector<std::u16string> texts = importedTexts(pasted.document);
    const ImportAddition addition = addImportedTracks(song_, texts, choice->name, choice->instrument);
    for (int32_t slot : addition.slots) {
        (void)frame_->editor(slot)->setText(song_.tracks[static_cast<size_t>(slot)].text);
        Track freeSlot;
        freeSlot.name = song_.tracks[static_cast<size_t>(slot)].name;
        history_.record(HistoryKind::TrackAdded, slot, static_cast<int32_t>(song_.trackOrder.size()) - 1,
                        std::move(freeSlot));
        player_->SendTrackSetup(slot);
    }
    for (int i = 0; i < addition.refused; ++i) {
        (void)ask(QMessageBox::Warning, stringQ("IDS_ERR_NOMOREADDTRACK"), QMessageBox::Ok);
    }
    if (addition.slots.empty()) return;
    closeTypingRuns();
    song_.currentTrack = addition.slots.back();
    history_.setDirty();
    rebuildTabs();
}

void CMainWindow::takeImportedDocument(const DocumentData& document)
{
    loadSongFrom(document);
    documentPath_.clear();
    history_.setDirty();
    rebuildTabs();
    sendMuteStates();
    refreshTitle();
}

}  // namespace zema
