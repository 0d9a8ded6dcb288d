// The main window's views: layouts, the tool windows, the piano roll's target
// list, and the views following the caret.
#include <QComboBox>
#include <QMenu>
#include <QSplitter>

#include "app/piano_target.h"
#include "editor/editor_frame.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "gui/translate.h"
#include "views/code_list_ctrl.h"
#include "views/midi_monitor_ctrl.h"
#include "views/piano_input_ctrl.h"
#include "views/piano_roll_ctrl.h"

namespace zema {

void CMainWindow::registerViewCommands()
{
    const auto mode = [this](int32_t id, uint32_t value) {
        commands_.add(
            id, [this, value] { applyViewMode(value); }, {}, [this, value] { return settings_.viewMode == value; });
    };
    mode(command::kViewNormal, 0);
    mode(command::kViewHorizontal, 1);
    mode(command::kViewVertical, 2);
    commands_.add(
        command::kViewMonitor, [this] { showMonitor(!monitor_->isVisible()); }, {},
        [this] { return monitor_->isVisible(); });
    commands_.add(
        command::kDisplayKeyboard, [this] { showKeyboard(!keyboard_->isVisible()); }, {},
        [this] { return keyboard_->isVisible(); });
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
}

void CMainWindow::showMonitor(bool visible)
{
    monitor_->setVisible(visible);
    refreshCommandStates();
}

void CMainWindow::showKeyboard(bool visible)
{
    keyboard_->setVisible(visible);
    refreshCommandStates();
}

void CMainWindow::fillPianoTargets()
{
    // Refilled in a fixed order whenever the language changes, keeping the selected position.
    const int selected = target_->currentIndex();
    const QSignalBlocker blocker(target_);
    target_->clear();
    for (const char* symbol : {"IDS_MAIN_PIANO_T_CURRENT_TRACK", "IDS_MAIN_PIANO_T_GLOBAL",
                               "IDS_MAIN_PIANO_T_GLOBAL_ALLFOCUS", "IDS_MAIN_PIANO_T_GROUP",
                               "IDS_MAIN_PIANO_T_GROUP_ALLFOCUS", "IDS_MAIN_PIANO_T_CUSTOM",
                               "IDS_MAIN_PIANO_T_CUSTOM_ALLFOCUS"}) {
        target_->addItem(stringQ(symbol));
    }
    if (selected >= 0) target_->setCurrentIndex(selected);
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

}  // namespace zema
