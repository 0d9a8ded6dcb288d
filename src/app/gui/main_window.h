#pragma once

#include <QMainWindow>
#include <QTimer>
#include <array>
#include <bitset>

#include "app/settings.h"
#include "app/settings_location.h"
#include "core/song.h"

class QLabel;
class QSplitter;
class QTabBar;

namespace zema {

class CEditorFrame;

// The editor's main window: track tabs over the editor frame, the piano roll
// and event list beside it, and the five status panes. It holds the song and
// hands every change of it to the libraries.
class CMainWindow final : public QMainWindow {
    Q_OBJECT
public:
    CMainWindow(SettingsLocation location, Settings settings, QWidget* parent = nullptr);

    // Starts an empty document with the settings' track count and timebase.
    void newDocument();

    [[nodiscard]] const Song& song() const { return song_; }
    [[nodiscard]] CEditorFrame& editorFrame() { return *frame_; }
    [[nodiscard]] QString statusText(int pane) const;
    // Recompiles the tracks changed since the last recompile now.
    void recompilePending();
    [[nodiscard]] bool recompileScheduled() const { return recompileTimer_.isActive(); }

    static constexpr int kRecompileDelayMs = 250;

private:
    void buildLayout();
    void applyViewMode();
    void rebuildTabs();
    void selectTab(int tabIndex);
    void onEditorChange(int slot, int code);
    void refreshStatus();
    void refreshTitle();

    SettingsLocation location_;
    Settings settings_;
    Song song_;
    std::bitset<kTrackCount> pendingTracks_;  // edited since the last recompile
    QTimer recompileTimer_;

    QTabBar* tabs_ = nullptr;                 // widgets below are owned by the window
    CEditorFrame* frame_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QWidget* pianoRoll_ = nullptr;
    QWidget* eventList_ = nullptr;
    std::array<QLabel*, 5> panes_{};
};

}  // namespace zema
