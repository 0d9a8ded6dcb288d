// The main window's track commands: adding, deleting, renaming and choosing
// tracks, optimising their text, and the mute buttons.
#include <QMenu>
#include <QTabBar>

#include "app/mml_history.h"
#include "app/track_commands.h"
#include "app/track_group_model.h"
#include "core/clipboard_export.h"
#include "editor/editor_frame.h"
#include "gui/dialogs/track_group_dialog.h"
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
    commands_.add(command::kTrackProperty, [this] { showTrackProperties(); });
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
    // The group choice: the current track moves to the chosen group.
    QMenu* groups = menu.addMenu(stringQ("IDS_TP_GROUP_MENU"));
    groups->setObjectName(QStringLiteral("TrackGroupMenu"));
    const int32_t slot = song_.currentTrack;
    const int groupCount = std::max<int>(1, static_cast<int>(song_.groups.size()));
    for (int group = 0; group < groupCount; ++group) {
        const QString name = group == 0 ? stringQ("IDS_TP_DEFAULT_GROUP") : qt(song_.groups[static_cast<size_t>(group)].name);
        QAction* entry = groups->addAction(name);
        entry->setCheckable(true);
        entry->setChecked(song_.tracks[static_cast<size_t>(slot)].group == group);
        entry->setEnabled(!isBusy());
        connect(entry, &QAction::triggered, this, [this, slot, group] { chooseTrackGroup(slot, group); });
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

void CMainWindow::showTrackProperties()
{
    recompilePending();
    TrackGroupInput input;
    input.song = &song_;
    input.presets = presets_;
    input.withGeneralMidi = !settings_.disableGmPresets;
    input.saveOrder = settings_.saveOrder;
    input.currentSlot = song_.currentTrack;
    input.apply = [this](const TrackGroupEditor& editor, bool saveOrder) { applyTrackGroups(editor, saveOrder); };
    CMMLTrackGroupDlg dialog(std::move(input), this);
    if (prompts_.trackProperties) prompts_.trackProperties(dialog);
    else dialog.exec();
    settings_.saveOrder = dialog.saveOrder();
}

void CMainWindow::applyTrackGroups(const TrackGroupEditor& editor, bool saveOrder)
{
    recompilePending();
    GroupConfiguration before = groupConfigurationOf(song_, true);
    const std::vector<int32_t> changed = editor.apply(song_, saveOrder);
    if (changed.empty() && before.groups == song_.groups && before.trackOrder == song_.trackOrder) return;
    history_.record(HistoryKind::TrackGroups, song_.currentTrack, 0, std::move(before));
    closeTypingRuns();
    // Group membership changes what the merged list marks, so every track is merged again.
    recompileAll(song_);
    for (int32_t slot : changed) player_->SendTrackSetup(slot);
    sendMuteStates();
    rebuildTabs();
}

void CMainWindow::chooseTrackGroup(int32_t slot, int group)
{
    Track& track = song_.tracks[static_cast<size_t>(slot)];
    if (!track.used || track.group == group) return;
    recompilePending();
    Track previous;
    static_cast<TrackProperties&>(previous) = track;
    previous.channel = track.channel;
    previous.reserved = track.reserved;
    track.group = group;
    history_.record(HistoryKind::TrackProperties, slot, 0, std::move(previous));
    closeTypingRuns();
    recompileAll(song_);
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
