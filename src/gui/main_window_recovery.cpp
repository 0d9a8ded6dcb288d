// The main window's side of crash recovery: offering the autosaves of a run
// that did not end normally, opening one, and showing autosave failures.
#include <QFileInfo>
#include <QLabel>

#include "app/autosave.h"
#include "app/settings.h"
#include "app/recovery.h"
#include "core/strings.h"
#include "document/document_open.h"
#include "gui/dialogs/recovery_dialog.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "gui/translate.h"

namespace zema {

bool CMainWindow::offerRecovery()
{
    const TimingContext defaults{readerTimebase(settings_), 4, 4};
    std::vector<RecoveryCandidate> candidates = findRecoverable(location_.folder, defaults);
    if (candidates.empty()) {
        (void)removeSettledMarkers(location_.folder);
        return false;
    }
    CMMLRecoveryDlg dialog(std::move(candidates), [this](const RecoveryCandidate& candidate) {
        if (ask(QMessageBox::Warning, stringQ("IDS_RECOVERY_DISCARD_ASK"), QMessageBox::Yes | QMessageBox::No,
                QMessageBox::No) != QMessageBox::Yes) {
            return false;
        }
        if (const std::error_code error = discardRecoverable(candidate)) {
            const std::u16string reason = QString::fromStdString(error.message()).toStdU16String();
            (void)ask(QMessageBox::Critical,
                      qt(formatText(loadString("IDS_RECOVERY_DISCARD_FAILED"), {std::u16string_view(reason)})),
                      QMessageBox::Ok);
            return false;
        }
        return true;
    }, this);
    if (prompts_.recovery) {
        prompts_.recovery(dialog);
    } else {
        dialog.exec();
    }
    const bool opened = dialog.chosen() && openRecovered(*dialog.chosen());
    (void)removeSettledMarkers(location_.folder);
    return opened;
}

bool CMainWindow::openRecovered(const RecoveryCandidate& candidate)
{
    DocumentData document;
    const TimingContext defaults{readerTimebase(settings_), 4, 4};
    if (!openDocument(candidate.autosaveFile, defaults, document)) {
        (void)ask(QMessageBox::Critical, stringQ("IDS_ERR_FILEOPEN"), QMessageBox::Ok);
        return false;
    }
    if (!confirmDiscard()) return false;
    loadSongFrom(document);
    documentPath_ = candidate.origin.document.empty() ? QString()
                                                      : QString::fromStdString(candidate.origin.document.string());
    // Later autosaves of this document replace the recovered file rather than start another.
    autosaveName_ = candidate.autosaveFile.filename().string();
    history_.setDirty();
    if (const std::error_code error = adoptRecoverable(candidate, runId_)) showAutosaveResult(error);
    rebuildTabs();
    sendMuteStates();
    refreshTitle();
    return true;
}

void CMainWindow::showAutosaveResult(std::error_code result)
{
    if (!result) {
        autosaveNotice_->clear();
        autosaveNotice_->hide();
        return;
    }
    const std::u16string reason = QString::fromStdString(result.message()).toStdU16String();
    autosaveNotice_->setText(qt(formatText(loadString("IDS_AUTOSAVE_FAILED"), {std::u16string_view(reason)})));
    autosaveNotice_->show();
}

QString CMainWindow::autosaveNotice() const
{
    return autosaveNotice_->isHidden() ? QString() : autosaveNotice_->text();
}

}  // namespace zema
