#pragma once

#include <QDialog>
#include <QTreeWidget>
#include <functional>
#include <vector>

#include "app/track_group_model.h"
#include "document/instrument_definitions.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace zema {

// The group tree: groups with their tracks as children; tracks are dragged
// between groups (dropped on a group they go last, on a track before it).
class CMMLTrackTreeCtrl final : public QTreeWidget {
    Q_OBJECT
public:
    explicit CMMLTrackTreeCtrl(QWidget* parent = nullptr);

Q_SIGNALS:
    // A track was dropped onto a group or before a track (-1: none).
    void trackDropped(int slot, int group, int beforeSlot);

protected:
    void dropEvent(QDropEvent* event) override;
};

struct TrackGroupInput {
    const Song* song = nullptr;
    std::vector<InstrumentPreset> presets;
    bool withGeneralMidi = true;
    bool saveOrder = true;
    int32_t currentSlot = 0;
    // "適用" and "OK": the window records the undo step and writes the edits.
    std::function<void(const TrackGroupEditor& editor, bool saveOrder)> apply;
};

// "トラックプロパティ": groups and the properties of every track.
class CMMLTrackGroupDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CMMLTrackGroupDlg(TrackGroupInput input, QWidget* parent = nullptr);

    [[nodiscard]] TrackGroupEditor& editor() { return editor_; }
    [[nodiscard]] bool saveOrder() const;
    // The track whose properties the controls show, or -1 when a group is chosen.
    [[nodiscard]] int32_t shownSlot() const { return shownSlot_; }
    void showTrack(int32_t slot);
    void addGroup();
    void deleteGroup();
    void applyEdits();
    // OK: the edits are applied, then the dialog closes.
    void accept() override;

private:
    void buildLayout();
    void fillTree();
    void onSelection();
    void readControls();
    void refreshTexts();

    TrackGroupInput input_;
    TrackGroupEditor editor_;
    std::vector<InstrumentListItem> instruments_;
    int32_t shownSlot_ = -1;
    bool filling_ = false;

    CMMLTrackTreeCtrl* tree_ = nullptr;
    QPushButton* deleteGroup_ = nullptr;
    QLineEdit* name_ = nullptr;
    QComboBox* instrument_ = nullptr;
    QComboBox* start_ = nullptr;
    QComboBox* type_ = nullptr;
    QSlider* volume_ = nullptr;
    QLabel* volumeText_ = nullptr;
    QSlider* panpot_ = nullptr;
    QLabel* panpotText_ = nullptr;
    QCheckBox* mute_ = nullptr;
    QCheckBox* saveOrder_ = nullptr;
    std::vector<QWidget*> trackControls_;
};

}  // namespace zema
