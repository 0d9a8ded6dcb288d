// The main window's track commands: adding, deleting, renaming and choosing
// tracks, optimising their text, and the mute buttons.
#include <QMenu>
#include <QTabBar>

#include "app/track_commands.h"
#include "core/clipboard_export.h"
#include "editor/editor_frame.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "gui/translate.h"

namespace zema {

void CMainWindow::registerTrackCommands()
{
    commands_.add(command::kTrackAdd, [this] { addTrackCommand(); });
    commands_.add(command::kTrackDelete, [this] { deleteTrackCommand(); });
    commands_.add(command::kTrackRename, [this] { renameTrackCommand(); });
    commands_.add(command::kTrackSelectLeft, [this] { selectNeighbourTab(-1); });
    commands_.add(command::kTrackSelectRight, [this] { selectNeighbourTab(1); });
    commands_.add(command::kOptimize, [this] { optimizeTracks(false); });
    commands_.add(command::kOptimizeAll, [this] { optimizeTracks(true); });
    // The syntax check has never done anything; its entry stays, disabled, for the key table.
    commands_.add(command::kMmlCheck, [] {}, [] { return false; });
}

void CMainWindow::showTrackTabMenu(const QPoint& at)
{
    const int tab = tabs_->tabAt(at);
    if (tab < 0) return;
    tabs_->setCurrentIndex(tab);
    refreshCommandStates();
    QMenu menu(this);
    for (int32_t id : {command::kTrackProperty, command::kTrackRename, command::kTrackDelete, command::kOptimize}) {
        menu.addAction(action(id));
    }
    menu.addSeparator();
    // Closes the menu, nothing else.
    menu.addAction(windowTextQ(u"Main Window Menu", "IDM_TRACK_CANCEL"))->setObjectName(QStringLiteral("IDM_TRACK_CANCEL"));
    menu.exec(tabs_->mapToGlobal(at));
}

void CMainWindow::addTrackCommand()
{
    recompilePending();
    const std::optional<int32_t> slot = addTrack(song_);
    if (!slot) {
        (void)ask(QMessageBox::Warning, stringQ("IDS_ERR_NOMOREADDTRACK"), QMessageBox::Ok);
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

}  // namespace zema
