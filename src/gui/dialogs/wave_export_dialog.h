#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "core/song.h"
#include "playback/offline_render.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace zema {

// What the WAVE export dialog needs from the window.
struct WaveExportInput {
    std::shared_ptr<const Song> song;  // the window's song, copied: the render reads it on its own thread
    RenderOptions render;              // synthesizer settings; the progress hook is the dialog's
    QString proposedPath;              // the save dialog's proposal
    // The save dialog (title, filter, proposed path): the chosen path, or empty.
    std::function<QString(const QString& title, const QString& filter, const QString& proposed)> chooseFile;
    // A message box; returns the button pressed.
    std::function<QMessageBox::StandardButton(QMessageBox::Icon icon, const QString& text,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton defaultButton)>
        message;
    // Hides (true) or shows (false) the main window.
    std::function<void(bool hidden)> hideOwner;
};

// "Waveファイルを出力中": the song rendered once from the top by the software
// synthesizer into a WAVE file, offline on a worker thread as fast as the
// machine allows, with the elapsed time and the play position every 200 ms.
// Abort (the button or Cancel) asks first and leaves a valid file of what was
// rendered; the end says so and closes with OK.
class CMMLWaveExportDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CMMLWaveExportDlg(WaveExportInput input, QWidget* parent = nullptr);
    // Stops a render still running and waits for it.
    ~CMMLWaveExportDlg() override;

    // The dialog's start: asks for the file and starts the render. False when
    // it ends there (cancelled, or the render could not start), closed with Cancel.
    bool begin();
    // The render runs (it may have just ended; the next timer step tells).
    [[nodiscard]] bool running() const { return worker_.joinable(); }
    [[nodiscard]] const QString& path() const { return path_; }
    // Cancel, Escape and the close box: while rendering, the abort question.
    void reject() override;

    // For tests: the controls.
    [[nodiscard]] QPushButton& startButton() const { return *start_; }
    [[nodiscard]] QProgressBar& progress() const { return *progress_; }
    [[nodiscard]] QLabel& timeLabel() const { return *time_; }
    [[nodiscard]] QCheckBox& hideMainWindow() const { return *hideMain_; }

    static constexpr int kTimerMs = 200;

private:
    void buildLayout();
    // Starts the render into path_; false (after its message) when it cannot.
    bool start();
    // The 200 ms step: the time, the position, and the end of the render.
    void step();
    // The render has ended: its message, then the dialog closes.
    void ended();
    // Asks whether to abort; true when the render was aborted.
    bool askAbort();
    // Waits for the worker, stops the timer and shows the main window again.
    void finish();
    void hideOwner(bool hidden);

    WaveExportInput input_;
    QString path_;
    QLabel* file_ = nullptr;
    QLabel* time_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* start_ = nullptr;
    QCheckBox* hideMain_ = nullptr;
    QTimer timer_;
    QElapsedTimer clock_;
    bool asking_ = false;       // the abort question is open
    bool ownerHidden_ = false;  // the check box has hidden the main window

    // Shared with the render thread.
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> done_{false};
    std::atomic<int32_t> tick_{0};
    RenderStatus status_ = RenderStatus::Ok;  // written by the worker before done_
};

}  // namespace zema
