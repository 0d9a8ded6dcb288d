// The main window's side of note editing in the piano roll: the grid list,
// edits written into the current track's text as one undo step, the notes
// sounding under the mouse, and bringing the current track's notes into view.
#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>
#include <algorithm>

#include "app/roll_edit_model.h"
#include "core/strings.h"
#include "editor/editor_frame.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "views/piano_roll_ctrl.h"

namespace zema {

namespace {

constexpr int32_t kGridTipId = 11565;

}  // namespace

void CMainWindow::buildGridChoice(QWidget* central)
{
    grid_ = new QComboBox(central);
    grid_->setObjectName(QStringLiteral("IDC_CMB_PIANO_GRID"));
    grid_->setFocusPolicy(Qt::NoFocus);
    fillGridChoices();
    connect(grid_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0) return;  // the list is being refilled
        settings_.pianoRollGrid = index;
        if (pianoRoll_ != nullptr) pianoRoll_->setGrid(index);
    });
}

void CMainWindow::fillGridChoices()
{
    const QSignalBlocker blocker(grid_);
    grid_->clear();
    for (const RollGridChoice& choice : rollGridChoices()) grid_->addItem(qt(loadString(choice.stringId)));
    grid_->setCurrentIndex(std::clamp(settings_.pianoRollGrid, 0, kRollGridCount - 1));
    grid_->setToolTip(qt(loadString(kGridTipId)));
}

void CMainWindow::connectRollEditing()
{
    pianoRoll_->setGrid(settings_.pianoRollGrid);
    pianoRoll_->setVolumeLaneVisible(true);
    pianoRoll_->canEditNotes = [this] { return !isBusy(); };
    pianoRoll_->onNoteEdits = [this](const std::vector<NoteEdit>& edits) { return applyRollEdits(edits); };
    pianoRoll_->onNoteSound = [this](int note, bool down) { keyboardNote(note, down, false); };
}

bool CMainWindow::applyRollEdits(const std::vector<NoteEdit>& edits)
{
    if (isBusy() || edits.empty()) return false;
    // The engine works on the text as it stands, typing included.
    recompilePending();
    const int32_t slot = song_.currentTrack;
    CMMLEditor* editor = frame_->editor(slot);
    if (editor == nullptr) return false;
    const NoteEditResult result = applyNoteEdits(song_.timing, song_.tracks[static_cast<size_t>(slot)].text, edits);
    if (!result.ok()) {
        panes_[3]->setText(qt(loadString(noteEditNotice(result.status))));
        return false;
    }
    // One edit of the editor: one step of its undo and of the document's history.
    if (editor->applyTextChanges(result.changes) != kEditorOk) return false;
    recompilePending();
    // Set after the recompile, which clears the pane.
    panes_[3]->setText(qt(loadString(noteEditNotice(result.status))));
    return true;
}

void CMainWindow::revealRollNotes()
{
    (void)pianoRoll_->revealCurrentNotes();
}

}  // namespace zema
