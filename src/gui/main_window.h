#pragma once

#include <QMainWindow>
#include <QMessageBox>
#include <QTimer>
#include <array>
#include <bitset>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "app/accelerator.h"
#include "app/command_registry.h"
#include "app/command_table.h"
#include "app/mml_history.h"
#include "app/multi_language.h"
#include "app/preferences.h"
#include "document/instrument_definitions.h"
#include "app/settings.h"
#include "app/settings_location.h"
#include "app/text_search.h"
#include "core/note_edit.h"
#include "core/song.h"
#include "gui/dialogs/preferences_sheet.h"
#include "playback/player_controller.h"

class QAction;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QMenu;
class QSplitter;
class QTabBar;

namespace zema {

class CEditorFrame;
class CAboutDlg;
class CMMLClipExportDlg;
class CMMLClipImportDlg;
class CMMLMarkerDlg;
class CMMLPropatyDlg;
class CMMLTrackGroupDlg;
class TrackGroupEditor;
class CMMLTextSearch;
class CMMLSmfImportDlg;
class CMMLWaveExportDlg;
class CMMLRecoveryDlg;
struct RecoveryCandidate;
class CBackgroundWork;
struct ClipImportChoice;
struct DocumentData;
class CAutosaver;
class CLevelMeterCtrl;
class CMidiMoniterCtrl;
class CCodeListCtrl;
class CPianoRollCtrl;
class CPianoInputCtrl;

// Installs Qt's own translations (standard buttons and dialogs) for the
// loaded language: its tag's language, or Japanese for the built-in texts.
void applyQtTranslation(const CMultiLanguage& language);

// A file chosen in a save dialog and the entry of its filter list (0 = the first).
struct ChosenFile {
    QString path;
    int filterIndex = 0;
};

// What the window asks the user. Tests replace these to drive the window
// without dialogs.
struct WindowPrompts {
    // Shows a message; returns the button pressed.
    std::function<QMessageBox::StandardButton(QMessageBox::Icon icon, const QString& text,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton defaultButton)>
        message;
    // File dialogs: the chosen path, or empty when cancelled.
    std::function<QString(const QString& title, const QString& filter, const QString& initialPath)> openFile;
    std::function<QString(const QString& title, const QString& filter, const QString& initialPath)> saveFile;
    // A new name for a track tab, or nothing when cancelled.
    std::function<std::optional<QString>(const QString& currentName)> trackName;
    // The preferences sheet: the confirmed values, or nothing when cancelled.
    std::function<std::optional<PreferencesValues>(const PreferencesInput& input)> preferences;
    // The clipboard export dialog, built and ready; empty: shown modally.
    std::function<void(CMMLClipExportDlg& dialog)> clipboardExport;
    // The clipboard import dialog: the choice, or nothing when cancelled; empty: shown modally.
    std::function<std::optional<ClipImportChoice>(CMMLClipImportDlg& dialog)> clipboardImport;
    // The track property, document property and marker dialogs, built and ready; empty: shown modally.
    std::function<void(CMMLTrackGroupDlg& dialog)> trackProperties;
    std::function<int(CMMLPropatyDlg& dialog)> documentProperties;
    std::function<int(CMMLMarkerDlg& dialog)> markerEdit;
    // The save dialogs of the exports (title, filter, proposed name, default
    // extension): the file and filter entry chosen, or nothing when cancelled.
    std::function<std::optional<ChosenFile>(const QString& title, const QString& filter, const QString& proposed,
                                            const QString& defaultSuffix)>
        exportFile;
    // The MIDI import dialog, built and ready: true when it closed with OK; empty: shown modally.
    std::function<bool(CMMLSmfImportDlg& dialog)> smfImport;
    // The WAVE export dialog once its file is chosen and the render runs; empty: shown modally.
    std::function<void(CMMLWaveExportDlg& dialog)> waveExport;
    // The about box, built and ready; empty: shown modally.
    std::function<void(CAboutDlg& dialog)> about;
    // The recovery dialog at start-up, built and ready; empty: shown modally.
    std::function<void(CMMLRecoveryDlg& dialog)> recovery;
};

// The editor's main window: menus and shortcuts, track tabs over the sixteen
// editors, the piano roll and event list beside them, the five status panes
// and the transport. It owns the song, the undo history and the player, and
// turns every command into calls of the libraries.
class CMainWindow final : public QMainWindow, private IHistoryTarget {
    Q_OBJECT
public:
    // `language` is the language chosen at start-up; without one the window
    // starts in the built-in language.
    CMainWindow(SettingsLocation location, Settings settings, WindowPrompts prompts = {},
                std::unique_ptr<CMultiLanguage> language = {}, QWidget* parent = nullptr);
    ~CMainWindow() override;

    // The step the window posts to itself once it is built: opens the output
    // device (asking about the MIDI settings on failure) and then the
    // document named on the command line, if any.
    void startUp(const QString& commandLinePath);
    // Runs a menu or shortcut command: autosave first, then the command
    // unless it is disabled (idle-only while the document is busy, or not
    // available in this version).
    void runCommand(int32_t command);
    // The registry behind the menus: what each command does and when it is
    // enabled or ticked.
    [[nodiscard]] const CommandRegistry& commands() const { return commands_; }
    // Enables and ticks every menu entry as the registry says now.
    void refreshCommandStates();

    // Document operations, as the commands use them. Each returns false when
    // it did not happen (refused, cancelled or failed).
    void newDocument();
    bool openDocumentPath(const QString& path);
    bool saveDocument(bool askForPath);
    // Asks to save a modified document; false when the pending action must stop.
    bool confirmDiscard();
    // Closing without the window system (session end): an autosave of a
    // modified document, waited for, and the settings written. True when
    // the autosave holds work that was never saved, to be offered back at
    // the next start.
    bool endSession();

    // The id of this run's marker, written into each autosave's origin
    // record; empty: the autosaves carry no origin and cannot be offered back.
    void setRunId(std::string runId) { runId_ = std::move(runId); }
    // Offers the autosaves of runs that did not end normally; true when one
    // of them became the window's document.
    bool offerRecovery();
    // The status-bar notice of the last autosave failure; empty once an
    // autosave succeeds again.
    [[nodiscard]] QString autosaveNotice() const;

    // The buttons beside the piano-roll target list.
    void muteCurrent();
    void soloCurrent();
    void unmuteAllTracks();
    void toggleGroupLinkCurrent();

    [[nodiscard]] const Song& song() const { return song_; }
    [[nodiscard]] CEditorFrame& editorFrame() { return *frame_; }
    [[nodiscard]] CMMLHistory& history() { return history_; }
    [[nodiscard]] PlayerController& player() { return *player_; }
    [[nodiscard]] const Settings& settings() const { return settings_; }
    [[nodiscard]] const QString& documentPath() const { return documentPath_; }
    [[nodiscard]] bool isModified() const { return history_.isModified(); }
    [[nodiscard]] bool isBusy() const;
    [[nodiscard]] QString statusText(int pane) const;
    [[nodiscard]] QTabBar& tabBar() { return *tabs_; }
    [[nodiscard]] QAction* action(int32_t command) const;
    [[nodiscard]] CMidiMoniterCtrl& monitor() { return *monitor_; }
    [[nodiscard]] CLevelMeterCtrl& levelMeter() { return *meter_; }
    [[nodiscard]] CCodeListCtrl& eventList() { return *eventList_; }
    [[nodiscard]] CPianoRollCtrl& pianoRoll() { return *pianoRoll_; }
    // The search and replace dialog; null until a search command first opens it.
    [[nodiscard]] CMMLTextSearch* textSearch() const { return textSearch_; }
    // Chooses the piano-roll target entry (0..6) as the drop-down does.
    void setPianoTarget(int target);
    // The piano roll's grid list beside the target list.
    [[nodiscard]] QComboBox& gridChoice() { return *grid_; }
    [[nodiscard]] CPianoInputCtrl& keyboard() { return *keyboard_; }
    // The on-screen keyboard: a key pressed or released sounds on the current
    // track's channel; with `insert` (a mouse press) the note is typed at the
    // caret instead, unless something plays.
    void keyboardNote(int note, bool down, bool insert);
    // Translates the window again in the loaded language: menus, buttons,
    // the title, the piano-roll target list (keeping its selection) and the
    // tool windows' captions.
    void retranslate();
    // The language files the Language menu offers, in menu order.
    [[nodiscard]] const std::vector<LanguageFileInfo>& languageFiles() const { return languageFiles_; }
    [[nodiscard]] const CMultiLanguage& language() const { return *language_; }
    [[nodiscard]] const CAccelerator& keys() const { return keys_; }
    [[nodiscard]] std::time_t loadTimeStamp() const { return loadStamp_; }
    [[nodiscard]] int autosavesStarted() const { return autosavesStarted_; }
    // The file the next autosave of this document writes.
    [[nodiscard]] std::filesystem::path autosavePath() const;
    // Waits for autosave writes still running.
    void waitForAutosaves();
    // Recompiles the tracks changed since the last recompile now.
    void recompilePending();
    [[nodiscard]] bool recompileScheduled() const { return recompileTimer_.isActive(); }
    // Writes the settings and the window placement as closing does.
    void storeSettings();

    static constexpr int kRecompileDelayMs = 250;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // IHistoryTarget
    void selectTrack(int32_t slot) override;
    void editorUndo(int32_t slot) override;
    void editorRedo(int32_t slot) override;
    void storeTrackText(int32_t slot) override;
    void stepApplied(const HistoryStep& step) override;
    void historyChanged() override;

    // Construction and layout (main_window.cpp).
    void buildLayout();
    void buildControls(QWidget* central, QHBoxLayout* controls);
    void buildStatusPanes();
    void buildToolWindows();
    void buildMenus();
    void applyShortcuts();
    void applyViewMode(uint32_t mode);
    void restorePlacement();
    void rebuildTabs();
    void onTabChanged(int tabIndex);
    void refreshStatus();
    void refreshTitle();
    void showTrackTabMenu(const QPoint& at);

    // Each area registers its commands from its own file.
    void registerFileCommands();      // main_window_files.cpp: documents, recent files, autosave
    void registerEditCommands();      // main_window_edit.cpp: the editors and the undo history
    void registerTrackCommands();     // main_window_tracks.cpp
    void registerPlayCommands();      // main_window_play.cpp: transport, output device, display refresh
    void registerViewCommands();      // main_window_view.cpp: layouts, tool windows, piano roll targets
    void registerSettingsCommands();  // main_window_settings.cpp: language, preferences, about
    void registerClipboardCommands(); // main_window_clipboard.cpp: to and from the game's MML@ text
    void registerDocumentCommands();  // main_window_document.cpp: properties, markers, migration
    // Document operations (main_window_document.cpp).
    void showDocumentProperties();
    // A marker command of the piano roll at `tick` on marker `markerIndex` (0: the song start).
    void markerCommand(int command, int tick, int markerIndex);
    void migrateDocument();

    void registerSearchCommands();    // main_window_search.cpp: the search and replace dialog
    // Search and replace (main_window_search.cpp).
    void showTextSearch(bool replacing);
    // The dialog's buttons follow the busy state.
    void refreshSearchButtons(bool busy);
    void retranslateSearch();
    // Writes the search histories and the dialog's place, once it exists.
    void storeSearchState();
    void registerMediaCommands();     // main_window_media.cpp: MIDI files in and out, WAVE files out

    // To and from the game (main_window_clipboard.cpp).
    void exportToClipboard();
    void importFromClipboard();
    // Makes a pasted or imported document the current, untitled and modified one.
    void takeImportedDocument(const DocumentData& document);

    // MIDI and WAVE files (main_window_media.cpp).
    void importSmfFile();
    void exportSmfFile();
    void exportWaveFile();

    // Documents.
    void rebuildRecentMenu();
    // Makes `document` the window's song with fresh editors and an empty history.
    void loadSongFrom(const DocumentData& document);
    void openWithDialog();
    void openRecent(int index);
    void openDropped(const QString& path);
    void autosaveIfNeeded();
    // Shows or clears the failure notice after an autosave finished.
    void showAutosaveResult(std::error_code result);
    // Shows the results the autosave threads left in the mailbox, in order.
    Q_INVOKABLE void takeAutosaveResults();
    // Makes an offered autosave the window's document: modified, under its
    // original path (or untitled), autosaving to the same file from now on.
    bool openRecovered(const RecoveryCandidate& candidate);

    // Editors and history.
    void loadEditorsFromSong();
    void onEditorChange(int slot, int code);
    // Every change of an editor's text, also those that continue an undo step.
    void onEditorTextChanged(int slot);
    // Typing after this point starts new undo steps in every editor.
    void closeTypingRuns();
    void deleteInEditor();
    void showEditorMenu(int slot, const QPoint& at);

    // Tracks.
    void addTrackCommand();
    void deleteTrackCommand();
    void renameTrackCommand();
    void selectNeighbourTab(int direction);
    void optimizeTracks(bool all);
    void showTrackProperties();
    // The group choice of the tab menu: one undo step of the track's properties.
    void chooseTrackGroup(int32_t slot, int group);
    // "適用"/"OK" of the track property dialog: one undo step for groups and properties.
    void applyTrackGroups(const TrackGroupEditor& editor, bool saveOrder);
    void sendMuteStates();

    // Playback.
    void startPlayback(int32_t command);
    void onPlayerNotification(PlayerNotification notification);
    void onDisplayTick();
    void setPlaying(bool playing);
    void showOutputDeviceError(int code);

    // Views.
    void showMonitor(bool visible);
    void showKeyboard(bool visible);
    void refreshEventList();
    void applyPianoTarget();
    void fillPianoTargets();
    void chooseUserTracks();

    // Note editing in the piano roll (main_window_roll.cpp).
    void buildGridChoice(QWidget* central);
    void fillGridChoices();
    void connectRollEditing();
    // Writes the roll's edits of the current track into its text as one
    // undo step; false (with a status-bar notice) when they cannot be written.
    bool applyRollEdits(const std::vector<NoteEdit>& edits);
    // Scrolls the roll to the current track's notes when none is in view.
    void revealRollNotes();
    // The views follow the caret: the event at it is marked and brought into view.
    void traceCaret();
    // Selects the MML text of event `index` of the slot's list in its editor.
    void selectEventSource(int32_t slot, int index);

    // Settings, language and help (main_window_settings.cpp).
    void showAbout();
    void rebuildLanguageMenu();
    void chooseLanguage(int32_t command);
    // Writes the language choice to the settings file.
    void storeLanguageChoice();
    void openPreferences(PreferencesPage page);
    // Closes the output device and opens it again with the current settings.
    void reopenOutputDevice();
    // Shows the small wait notice with `text`, or hides it for an empty text.
    void showNotice(const QString& text);
    // Reads the instrument presets of the instrument definition file again.
    void reloadPresets();

    QMessageBox::StandardButton ask(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    [[nodiscard]] int currentSlot() const { return song_.currentTrack; }

    SettingsLocation location_;
    Settings settings_;
    WindowPrompts prompts_;
    CAccelerator keys_;
    Song song_;
    CMMLHistory history_;
    std::unique_ptr<PlayerController> player_;
    std::unique_ptr<CAutosaver> autosaver_;
    // Results handed over by autosave threads; the window takes them on its
    // own thread. Only plain values cross, under this lock.
    std::mutex autosaveResultsLock_;
    std::vector<std::error_code> autosaveResults_;
    std::unique_ptr<CBackgroundWork> background_;  // long conversions off the window thread
    QString documentPath_;
    QString suggestedPath_;  // proposed by Save As while the document is untitled (an imported MIDI file's name)
    std::time_t loadStamp_ = 0;
    std::string autosaveName_;  // the current document's file in the autosave folder
    std::string runId_;
    bool saving_ = false;
    bool shownBusy_ = false;  // the busy state the menu entries were last enabled for
    bool historyReplaying_ = false;  // an undo or redo is driving the editors
    int autosavesStarted_ = 0;
    int32_t lastShownIndex_ = -1;            // event last marked during playback
    std::bitset<kTrackCount> pendingTracks_;  // edited since the last recompile
    QTimer recompileTimer_;
    QTimer displayTimer_;                     // position display and player notifications

    CommandRegistry commands_;
    std::map<int32_t, QAction*> actions_;     // owned by the window
    std::map<MenuGroup, QMenu*> menus_;
    QMenu* recentMenu_ = nullptr;
    QMenu* languageMenu_ = nullptr;
    CMMLTextSearch* textSearch_ = nullptr;           // owned by this window, made when first needed
    std::unique_ptr<ISearchEditor> searchEditor_;  // the current track's editor, as the search sees it
    std::unique_ptr<CMultiLanguage> language_;
    std::vector<LanguageFileInfo> languageFiles_;
    std::vector<std::filesystem::path> languageFolders_;  // searched in order
    QWidget* notice_ = nullptr;                            // the wait notice, while shown
    std::vector<InstrumentPreset> presets_;                // of the instrument definition file
    QTabBar* tabs_ = nullptr;
    CEditorFrame* frame_ = nullptr;
    QSplitter* splitter_ = nullptr;          // piano roll | text side
    QSplitter* textSplitter_ = nullptr;      // editor | event list
    CPianoRollCtrl* pianoRoll_ = nullptr;
    std::array<bool, kTrackCount> userTracks_{};  // the tracks chosen for the user-defined targets
    CCodeListCtrl* eventList_ = nullptr;
    CPianoInputCtrl* keyboard_ = nullptr;    // a tool window, owned by this window
    QComboBox* target_ = nullptr;
    QComboBox* grid_ = nullptr;              // the piano roll's grid
    CLevelMeterCtrl* meter_ = nullptr;
    CMidiMoniterCtrl* monitor_ = nullptr;    // a tool window, owned by this window
    QLabel* position_ = nullptr;
    std::array<QLabel*, 5> panes_{};
    QLabel* autosaveNotice_ = nullptr;  // shown while the last autosave failed
};

}  // namespace zema
