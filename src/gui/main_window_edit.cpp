// The main window's text editing: the editors' commands, recompiling after
// edits, and the document-wide undo history that crosses tracks.
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTabBar>

#include "editor/editor_frame.h"
#include "gui/main_window.h"
#include "gui/translate.h"
#include "views/code_list_ctrl.h"
#include "views/piano_roll_ctrl.h"

namespace zema {

void CMainWindow::registerEditCommands()
{
    const auto editor = [this] { return frame_->editor(song_.currentTrack); };
    commands_.add(command::kUndo, [this] {
        recompilePending();
        (void)history_.undo();
    });
    commands_.add(command::kRedo, [this] {
        recompilePending();
        (void)history_.redo();
    });
    // With the piano roll focused, the clipboard commands act on its notes;
    // pasting puts the copied notes at the play position.
    const auto roll = [this] { return pianoRoll_->hasFocus() ? pianoRoll_ : nullptr; };
    commands_.add(command::kCut, [editor, roll] {
        if (CPianoRollCtrl* notes = roll()) {
            if (notes->copySelectedNotes()) (void)notes->deleteSelectedNotes();
            return;
        }
        (void)editor()->cutSelection();
    });
    commands_.add(command::kCopy, [editor, roll] {
        if (CPianoRollCtrl* notes = roll()) {
            (void)notes->copySelectedNotes();
            return;
        }
        (void)editor()->copySelection();
    });
    commands_.add(command::kPaste, [editor, roll] {
        if (CPianoRollCtrl* notes = roll()) {
            (void)notes->pasteNotes();
            return;
        }
        (void)editor()->pasteClipboard();
    });
    commands_.add(command::kDelete, [this, roll] {
        if (CPianoRollCtrl* notes = roll()) {
            (void)notes->deleteSelectedNotes();
            return;
        }
        deleteInEditor();
    });
    commands_.add(command::kSelectAll, [editor, roll] {
        if (CPianoRollCtrl* notes = roll()) {
            notes->selectAllNotes();
            return;
        }
        (void)editor()->selectAllText();
    });
}

void CMainWindow::showEditorMenu(int slot, const QPoint& at)
{
    // The editor's own menu runs the window's commands, so its undo is the
    // document-wide history and its entries follow the language.
    refreshCommandStates();
    QMenu menu(this);
    for (int32_t id : {command::kUndo, command::kRedo, 0, command::kCut, command::kCopy, command::kPaste,
                       command::kDelete, 0, command::kSelectAll}) {
        if (id == 0) {
            menu.addSeparator();
            continue;
        }
        const CommandInfo* info = findCommand(id);
        QAction* entry = menu.addAction(windowTextQ(u"Code Edit Menu", info->symbol));
        entry->setObjectName(QString::fromLatin1(info->symbol));
        entry->setEnabled(action(id) != nullptr && action(id)->isEnabled());
        connect(entry, &QAction::triggered, this, [this, id] { runCommand(id); });
    }
    menu.exec(frame_->editor(slot)->mapToGlobal(at));
}

void CMainWindow::deleteInEditor()
{
    // The Delete key itself is this command's shortcut: hand the key to the editor.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(frame_->editor(song_.currentTrack), &press);
}

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

void CMainWindow::onEditorTextChanged(int slot)
{
    // Typing that continues the editor's current undo step reports no change
    // of its own, yet it must reach the song: saving and autosave write the
    // song, not the editors.
    const auto index = static_cast<size_t>(slot);
    if (!pendingTracks_.test(index)) {
        if (frame_->editor(slot)->text() == song_.tracks[index].text) return;
        pendingTracks_.set(index);
    }
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

}  // namespace zema
