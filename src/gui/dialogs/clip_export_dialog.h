#pragma once

#include <QDialog>
#include <QMessageBox>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/clip_export_model.h"
#include "document/instrument_definitions.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace zema {

// Everything the export dialog needs from the main window.
struct ClipExportInput {
    ClipSongCopy song;
    ClipExportModel::Options options;
    // The current text of a track's editor.
    std::function<std::u16string(int32_t slot)> editorText;
    // The whole song as a MabiMML document (the "MabiMML互換形式" output).
    std::function<std::u16string()> wholeDocument;
    std::vector<InstrumentPreset> presets;
    // Shows a message; an empty one shows a message box.
    std::function<void(QMessageBox::Icon icon, const QString& text)> message;
    // Puts text on the clipboard; an empty one uses the system clipboard.
    std::function<bool(const QString& text)> setClipboard;
};

// "クリップボードへMMLを出力": picks up to three tracks (and a song part),
// composes the game's MML@ text or a score book, and copies it.
class CMMLClipExportDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CMMLClipExportDlg(ClipExportInput input, QWidget* parent = nullptr);
    ~CMMLClipExportDlg() override;

    [[nodiscard]] const ClipExportModel& model() const { return model_; }
    // "MMLをコピー" and the tool buttons, as the buttons run them.
    void copyMml();
    void copyTitle();
    void copyTrackName();
    void copyInstrumentName();
    void copyGroupName();

    [[nodiscard]] QListWidget& trackList() const { return *tracks_; }
    [[nodiscard]] QListWidget& groupTrackList() const { return *groupTracks_; }
    [[nodiscard]] QLabel& information() const { return *information_; }

protected:
    void done(int result) override;

private:
    void buildLayout();
    void fillLists();
    void syncListsFromModel();
    void readListSelection(QListWidget* list, bool trackList);
    void readOptions();
    void refresh();
    void copyBookScroll();
    void showMessage(QMessageBox::Icon icon, const QString& text);
    bool putOnClipboard(const QString& text);

    ClipExportInput input_;
    ClipExportModel model_;
    ClipBookState book_;
    bool syncing_ = false;

    QComboBox* selectMode_ = nullptr;
    QListWidget* tracks_ = nullptr;
    QListWidget* groups_ = nullptr;
    QListWidget* groupTracks_ = nullptr;
    QComboBox* songTrack_ = nullptr;
    QPushButton* reset_ = nullptr;
    QLabel* information_ = nullptr;
    QButtonGroup* format_ = nullptr;
    QComboBox* bookRank_ = nullptr;
    QCheckBox* sort_ = nullptr;
    QCheckBox* optimize_ = nullptr;
    QCheckBox* excludeSong_ = nullptr;
    QCheckBox* filler_ = nullptr;
    std::array<QPushButton*, 4> tools_{};
    QPushButton* copy_ = nullptr;
};

}  // namespace zema
