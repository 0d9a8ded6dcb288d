// The main window's playback: the transport commands, the output device, and
// the display refresh that moves the views with the player.
#include <QLabel>

#include "app/output_choice.h"
#include "app/piano_input_text.h"
#include "editor/editor_frame.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "gui/translate.h"
#include "playback/midi_monitor_model.h"
#include "views/code_list_ctrl.h"
#include "views/level_meter_ctrl.h"
#include "views/midi_monitor_ctrl.h"
#include "views/piano_input_ctrl.h"
#include "views/piano_roll_ctrl.h"

namespace zema {

void CMainWindow::registerPlayCommands()
{
    for (int32_t id : {command::kPlayToggle, command::kPlayPause, command::kPlayStop, command::kPlayPreviousMeasure,
                       command::kPlayNextMeasure, command::kPlayTop, command::kPlayCursor}) {
        commands_.add(id, [this, id] { startPlayback(id); });
    }
    commands_.add(
        command::kPlayLoop, [this] { player_->ToggleLoop(); }, {}, [this] { return player_->loop(); });
    const auto toggle = [this](int32_t id, bool Settings::*flag) {
        commands_.add(
            id, [this, flag] { settings_.*flag = !(settings_.*flag); }, {}, [this, flag] { return settings_.*flag; });
    };
    toggle(command::kCaretTrace, &Settings::traceCaret);
    toggle(command::kEditPlaySelect, &Settings::editPlaySelect);
    toggle(command::kEventScroll, &Settings::editScroll);
    toggle(command::kPianoScroll, &Settings::pianoScroll);
}

void CMainWindow::startPlayback(int32_t command)
{
    switch (command) {
    case command::kPlayToggle:
        recompilePending();
        player_->PlayCommand();  // plays when stopped, pauses while playing
        if (player_->playing()) setPlaying(true);
        break;
    case command::kPlayPause: player_->Pause(); break;
    case command::kPlayStop: player_->Stop(); break;
    case command::kPlayPreviousMeasure: player_->PreviousMeasure(); break;
    case command::kPlayNextMeasure: player_->NextMeasure(); break;
    case command::kPlayTop: player_->BackToTop(); break;
    case command::kPlayCursor: {
        recompilePending();
        int line = 0;
        int column = 0;
        (void)frame_->editor(song_.currentTrack)->getCaret(&line, &column);
        player_->PlayFromCaret(line, column);
        if (player_->playing()) setPlaying(true);
        break;
    }
    default: break;
    }
    onDisplayTick();
}

void CMainWindow::keyboardNote(int note, bool down, bool insert)
{
    if (note < 0 || note > 127) return;
    if (!insert) {
        // Sounded on the current track's channel whenever a device is open.
        player_->SendNote(song_.currentTrack, note, down);
        return;
    }
    if (!down || player_->playing()) return;
    recompilePending();
    const int32_t slot = song_.currentTrack;
    CMMLEditor* editor = frame_->editor(slot);
    int line = 0;
    int column = 0;
    (void)editor->getCaret(&line, &column);
    const Track& track = song_.tracks[static_cast<size_t>(slot)];
    const std::u16string text = pianoInsertText(track.states, track.events, TextCaret{line, column}, note);
    (void)editor->replaceSelection(text);
    recompilePending();
}

void CMainWindow::setPlaying(bool playing)
{
    frame_->setPlaybackFlag(playing);
    meter_->Reset();
    if (playing) {
        monitor_->attach(&player_->context(), [this] { return player_->nowMilliseconds(); });
        player_->setMetering(true);
    } else {
        monitor_->attach(nullptr, {});
        keyboard_->clearSounding();
    }
    lastShownIndex_ = -1;
    setAcceptDrops(!playing && !saving_);
    if (!playing && pendingTracks_.any()) recompileTimer_.start();
    refreshCommandStates();
}

void CMainWindow::onPlayerNotification(PlayerNotification notification)
{
    if (notification.code == PlayerNotifyCode::Finished) setPlaying(false);
}

void CMainWindow::onDisplayTick()
{
    player_->Poll();
    // Idle-only entries and their shortcuts follow the busy state as soon as it changes.
    if (const bool busy = isBusy(); busy != shownBusy_) {
        shownBusy_ = busy;
        refreshCommandStates();
    }
    const PositionDisplay shown = player_->position();
    position_->setText(QString::asprintf("%04d:%04d  Tempo %3d", shown.measure, shown.tick, shown.tempo));
    if (!player_->playing()) {
        pianoRoll_->SetPlayPosition(player_->startTick());
        return;
    }
    pianoRoll_->followPlayPosition(player_->context().currentTick.load(std::memory_order_relaxed),
                                   settings_.pianoScroll);
    if (const auto levels = player_->meterLevels()) meter_->Set((*levels)[0], (*levels)[1], player_->nowMilliseconds());
    if (monitor_->isVisible()) monitor_->update();
    if (keyboard_->isVisible()) {
        const auto words = monitor::keyboardWords(player_->context());  // notes 64-95, 96-127, 0-31, 32-63
        for (int note = keyboard_->lowestNote(); note <= keyboard_->highestNote(); ++note) {
            const size_t word = note >= 64 ? static_cast<size_t>((note - 64) / 32) : static_cast<size_t>(2 + note / 32);
            keyboard_->setNoteSounding(note, ((words[word] >> (note % 32)) & 1u) != 0);
        }
    }
    // The current track's last dispatched event: its row in the list, its text in the editor.
    const int32_t slot = song_.currentTrack;
    const int32_t index = player_->context().lastIndex[static_cast<size_t>(slot)].load(std::memory_order_relaxed);
    const EventList& events = song_.tracks[static_cast<size_t>(slot)].events;
    if (index < 0 || static_cast<size_t>(index) >= events.size() || index == lastShownIndex_) return;
    lastShownIndex_ = index;
    eventList_->MarkRow(index);
    if (settings_.editScroll) (void)eventList_->ScrollToRow(index);
    const TrackEvent& event = events[static_cast<size_t>(index)];
    if (!settings_.editPlaySelect || event.kind == TrackEventKind::TrackEnd) return;
    (void)frame_->editor(slot)->setSelection(event.startLine, event.startColumn, event.endLine, event.endColumn);
}

void CMainWindow::showOutputDeviceError(int code)
{
    const QString text = qt(outputDeviceErrorMessage(code)) + QStringLiteral("\n\n") +
                         stringQ("IDS_MAIN_MIDIOUT_SETTINGS");
    if (ask(QMessageBox::Warning, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes) {
        openPreferences(PreferencesPage::Midi);
    }
}

void CMainWindow::reopenOutputDevice()
{
    // The device is closed and opened again at once, without the error box;
    // a small notice says what the pause is for.
    player_->CloseOutputDevice();
    const OutputSettings output = outputSettingsOf(settings_);
    player_->setOutputSettings(output);
    showNotice(windowTextQ(u"Notify Window", "IDC_TXT_NOTIFY"));
    (void)player_->OpenOutputDevice(output);
    showNotice({});
}

void CMainWindow::startUp(const QString& commandLinePath)
{
    if (settings_.monitorVisible) showMonitor(true);
    if (settings_.pianoInputVisible) showKeyboard(true);
    const int code = player_->OpenOutputDevice(outputSettingsOf(settings_));
    if (code != 0) showOutputDeviceError(code);
    if (!commandLinePath.isEmpty()) (void)openDocumentPath(commandLinePath);
    (void)offerRecovery();
}

}  // namespace zema
